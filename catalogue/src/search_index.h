// The matching behind the catalogue's searches, private to the catalogue library: indexed
// texts with their folded forms and pinyin readings, a query matched against the texts of
// one entry, and the ranks that order the hits. The function index and the completion
// index (functions and declared names together) share it, so both rank alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "nemro/function_index.h"

namespace nemro::search {

// Matching follows a query through at most this many characters of a text, and a query of
// at most this many bytes through pinyin: one bit each in the failure memo.
constexpr std::size_t kMaxUnits = 64;
constexpr std::size_t kMaxPinyinQuery = 64;

// One character of an indexed text: where it is in the text and in its folded form, and
// its readings (indices into the index's syllables).
struct Unit {
    std::uint32_t begin, end;
    std::uint32_t foldedBegin, foldedEnd;
    std::uint32_t firstReading;
    std::uint16_t readings;
};

// The characters a text holds, as bits: one for each ASCII letter and digit, and the rest
// for other characters by a hash. A query can match only a text that has all its bits;
// pinyin readings add the letters they are spelt with.
std::uint64_t characterBits(std::string_view folded);

// The characters beyond ASCII a text holds, one of 64 bits each: more discerning for
// Chinese than the part of characterBits they share.
std::uint64_t wideBits(std::string_view folded);

// One of 64 bits for a pair of characters.
std::uint64_t pairBit(char32_t a, char32_t b);

struct Text {
    std::string folded;
    std::vector<std::uint32_t> origins;  // of each folded byte; empty when they are the same
    std::vector<Unit> units;             // only for texts matched by pinyin
    std::uint64_t literal = 0;           // characterBits of the folded text
    std::uint64_t letters = 0;           // and of the readings' letters
    std::uint64_t wide = 0;              // wideBits of the folded text
    // The characters a match by readings can begin with (a unit's own character, or the
    // first letter of one of its readings): at the first unit, and at any unit.
    std::uint64_t firstStarts = 0, starts = 0;
    // The pairs of characters a match by readings can begin with (pairBit).
    std::uint64_t pairs = 0;

    std::size_t source(std::size_t foldedByte) const {
        return origins.empty() ? foldedByte : origins[foldedByte];
    }
};

// A text matched literally only.
Text folded(std::string_view text);

// The syllables an index's texts are read in, each kept once.
struct Readings {
    std::vector<std::string> syllables;
    std::vector<std::uint32_t> readings;  // the units' reading lists, as syllable indices
};

class Builder {
  public:
    explicit Builder(Readings& readings) : data_(readings) {}

    // Reads every Han character of the texts at once.
    void prepare(const std::vector<std::string_view>& texts);
    // A text matched literally and by the readings of its characters.
    Text pinyinText(std::string_view source);

  private:
    std::uint32_t syllable(const std::string& reading);

    Readings& data_;
    std::unordered_map<std::string, std::uint32_t> ids_;
    std::unordered_map<char32_t, std::vector<std::uint32_t>> readings_;
};

// Follows the query through the characters of one text, each matched by itself or by a
// non-empty beginning of one of its readings (a whole syllable or an initial). Failures
// are remembered per character and query position, so no state is tried twice.
class Matcher {
  public:
    explicit Matcher(std::string_view query) : query_(query) {}

    void reset(const Readings& readings, const Text& text) {
        data_ = &readings;
        text_ = &text;
        std::fill(memo_.begin(), memo_.begin() + static_cast<std::ptrdiff_t>(text.units.size()), 0);
    }

    // A match starting at one of the units [first, last): the span of the text it covers.
    bool find(std::size_t first, std::size_t last, std::size_t& begin, std::size_t& end);

  private:
    int from(std::size_t unit, std::size_t at);

    std::string_view query_;
    const Readings* data_ = nullptr;
    const Text* text_ = nullptr;
    std::array<std::uint64_t, kMaxUnits> memo_{};
};

// A part of the folded texts, found with tables made once per query: the first byte
// alone begins every Chinese character and would find too many candidates.
class Finder {
  public:
    explicit Finder(std::string_view query);

    // The span of the match in the text's own bytes.
    bool find(const Text& t, std::size_t& begin, std::size_t& end) const;
    bool prefix(const Text& t, std::size_t& begin, std::size_t& end) const;

  private:
    std::string query_;
    std::uint64_t bits_, wide_;
    bool wideStart_;  // begins with a byte that begins every Chinese character too
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher_;
};

// Best first; ties keep the order of the entries.
enum Rank {
    kExactName,
    kNamePrefix,
    kTitleStart,
    kNamePart,
    kTitleOrKeyword,
    kCategory,
    kDescription,
    kRanks
};

// What all the texts of one entry but its category hold, kept apart from the texts so
// that a search passes over most entries without reading them.
struct EntryBits {
    std::uint64_t literal = 0, letters = 0, starts = 0, pairs = 0, wide = 0;
    std::uint64_t description = 0, descriptionWide = 0;  // the description's alone

    void add(const Text& t) {
        literal |= t.literal;
        wide |= t.wide;
        letters |= t.letters;
        starts |= t.starts;
        pairs |= t.pairs;
    }
    void addDescription(const Text& t) {
        description = t.literal;
        descriptionWide = t.wide;
    }
};

// The texts of one entry. A declared name is its own title.
struct EntryTexts {
    const EntryBits& bits;
    const Text& name;   // matched literally
    const Text& title;  // with readings
    const std::vector<Text>& keywords;
    const Text& category;
    std::size_t categoryIndex;  // among the entries' categories, which many entries share
    const Text& description;
};

// Where an entry matched, as a SearchHit tells it.
struct Match {
    SearchField field = SearchField::Name;
    std::size_t keyword = 0;
    std::size_t begin = 0, end = 0;
};

// Each category matched once per query, however many entries share it.
struct CategoryMemo {
    explicit CategoryMemo(std::size_t categories) : known(categories, -1), found(categories) {}
    std::vector<signed char> known;  // -1 not tried yet, 0 no match, 1 a match
    std::vector<Match> found;
};

class SearchQuery {
  public:
    explicit SearchQuery(std::string_view query);
    SearchQuery(const SearchQuery&) = delete;
    SearchQuery& operator=(const SearchQuery&) = delete;

    bool empty() const { return compact_.empty(); }

    // The best rank before `ceiling` at which the entry matches, or -1; m says where.
    int match(const Readings& readings, const EntryTexts& texts, CategoryMemo& categories,
              int ceiling, Match& m);

  private:
    int matchTexts(const Readings& readings, const EntryTexts& texts, int ceiling, Match& m);
    bool pinyin(const Text& t, std::size_t from, std::size_t to, Match& m);

    std::string spaced_, compact_;
    std::uint64_t letters_ = 0;
    std::uint64_t firstBits_ = 0;  // of the query's first character
    std::uint64_t pairBit_ = 0;    // of its first two
    std::uint64_t wide_ = 0;
    Matcher matcher_;
    Finder inName_, inText_;
};

// The hits of a search by rank, keeping only what can still be among the first `limit`.
struct RankedHit {
    std::uint32_t source;  // which list of entries: 0 functions, 1 declared names
    std::uint32_t entry;
    Match match;
};

class Ranked {
  public:
    explicit Ranked(std::size_t limit) : limit_(limit), ceiling_(limit == 0 ? 0 : kRanks) {}

    // Only a match of a rank before this can still be among the first `limit`: a later
    // one would come after `limit` hits already found.
    int ceiling() const { return ceiling_; }
    void add(int rank, const RankedHit& hit);
    std::vector<RankedHit> best() const;

  private:
    std::size_t limit_;
    int ceiling_;
    std::array<std::vector<RankedHit>, kRanks> ranks_;
};

}  // namespace nemro::search

namespace nemro {

struct FunctionIndex::Data : search::Readings {
    struct Entry {
        const CatalogueFunction* function;
        search::Text name, title, description;
        std::vector<search::Text> keywords;
        std::size_t category;  // into categories
    };
    std::vector<search::Text> categories;
    std::vector<Entry> entries;
    std::vector<search::EntryBits> bits;  // of each entry

    // Each displayed function the query matches, as source 0.
    void rank(search::SearchQuery& query, search::Ranked& hits) const;
};

}  // namespace nemro
