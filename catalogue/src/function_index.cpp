#include "nemro/function_index.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "catalogue_document.h"
#include "nemro/search_text.h"

namespace nemro {
namespace {

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

std::uint64_t letterBit(char c) {
    if (c >= 'a' && c <= 'z') return 1ULL << (c - 'a');
    if (c >= '0' && c <= '9') return 1ULL << (26 + c - '0');
    return 0;
}

// The characters a text holds, as bits: one for each ASCII letter and digit, and the rest
// for other characters by a hash. A query can match only a text that has all its bits;
// pinyin readings add the letters they are spelt with.
std::uint64_t characterBits(std::string_view folded) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < folded.size();) {
        const auto byte = static_cast<unsigned char>(folded[i]);
        if (byte < 0x80) {
            bits |= letterBit(folded[i++]);
            continue;
        }
        UChar32 c = 0;
        auto at = static_cast<int32_t>(i);
        U8_NEXT(reinterpret_cast<const uint8_t*>(folded.data()), at,
                static_cast<int32_t>(folded.size()), c);
        i = static_cast<std::size_t>(at);
        bits |= 1ULL << (36 + (static_cast<std::uint32_t>(c) * 2654435761U >> 16) % 28);
    }
    return bits;
}

struct Text {
    std::string folded;
    std::vector<std::uint32_t> origins;  // of each folded byte; empty when they are the same
    std::vector<Unit> units;             // only for texts matched by pinyin
    std::uint64_t letters = 0;           // every ASCII letter and digit it can match

    std::size_t source(std::size_t foldedByte) const {
        return origins.empty() ? foldedByte : origins[foldedByte];
    }
};

}  // namespace

struct FunctionIndex::Data {
    struct Entry {
        const CatalogueFunction* function;
        Text name, title, description;
        std::vector<Text> keywords;
        std::size_t category;  // into categories
    };
    std::vector<std::string> syllables;
    std::vector<std::uint32_t> readings;  // the units' reading lists, as syllable indices
    std::vector<Text> categories;
    std::vector<Entry> entries;
};

namespace {

using Data = FunctionIndex::Data;

Text folded(std::string_view text) {
    Text t;
    t.folded = text::foldForSearch(text, &t.origins);
    bool same = t.folded.size() == text.size();
    for (std::size_t i = 0; same && i < t.origins.size(); ++i) same = t.origins[i] == i;
    if (same) t.origins.clear();
    t.letters = characterBits(t.folded);
    return t;
}

class Builder {
  public:
    explicit Builder(Data& data) : data_(data) {}

    // Reads every Han character of the texts at once.
    void prepare(const std::vector<std::string_view>& texts) {
        std::u32string han;
        for (std::string_view text : texts) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
            const auto length = static_cast<int32_t>(text.size());
            for (int32_t i = 0; i < length;) {
                UChar32 c = 0;
                U8_NEXT(bytes, i, length, c);
                if (c > 0x2E7F && !readings_.contains(static_cast<char32_t>(c)) &&
                    text::isHan(static_cast<char32_t>(c))) {
                    readings_[static_cast<char32_t>(c)];
                    han += static_cast<char32_t>(c);
                }
            }
        }
        const auto all = text::pinyinReadings(han);
        for (std::size_t i = 0; i < han.size(); ++i) {
            std::vector<std::uint32_t>& ids = readings_[han[i]];
            for (const std::string& reading : all[i]) ids.push_back(syllable(reading));
        }
    }

    Text pinyinText(std::string_view source) {
        Text t = folded(source);
        const auto* bytes = reinterpret_cast<const uint8_t*>(source.data());
        const auto length = static_cast<int32_t>(source.size());
        std::size_t f = 0;  // the folded bytes of the current character start here
        for (int32_t i = 0; i < length && t.units.size() < kMaxUnits;) {
            const auto begin = static_cast<std::uint32_t>(i);
            UChar32 c = 0;
            U8_NEXT(bytes, i, length, c);
            const std::size_t foldedBegin = f;
            if (t.origins.empty())
                f = static_cast<std::size_t>(i);  // folding kept every byte
            else
                while (f < t.folded.size() && t.origins[f] == begin) ++f;
            if (c == ' ' || c == 0x3000 || f == foldedBegin) continue;
            Unit u{begin,
                   static_cast<std::uint32_t>(i),
                   static_cast<std::uint32_t>(foldedBegin),
                   static_cast<std::uint32_t>(f),
                   static_cast<std::uint32_t>(data_.readings.size()),
                   0};
            if (const auto at = readings_.find(static_cast<char32_t>(c)); at != readings_.end()) {
                for (std::uint32_t id : at->second) {
                    data_.readings.push_back(id);
                    for (char letter : data_.syllables[id]) t.letters |= letterBit(letter);
                }
                u.readings = static_cast<std::uint16_t>(at->second.size());
            }
            t.units.push_back(u);
        }
        return t;
    }

  private:
    std::uint32_t syllable(const std::string& reading) {
        const auto [at, fresh] =
            ids_.emplace(reading, static_cast<std::uint32_t>(data_.syllables.size()));
        if (fresh) data_.syllables.push_back(reading);
        return at->second;
    }

    Data& data_;
    std::unordered_map<std::string, std::uint32_t> ids_;
    std::unordered_map<char32_t, std::vector<std::uint32_t>> readings_;
};

// Follows the query through the characters of one text, each matched by itself or by a
// non-empty beginning of one of its readings (a whole syllable or an initial). Failures
// are remembered per character and query position, so no state is tried twice.
class Matcher {
  public:
    Matcher(const Data& data, std::string_view query) : data_(data), query_(query) {}

    void reset(const Text& text) {
        text_ = &text;
        std::fill(memo_.begin(), memo_.begin() + static_cast<std::ptrdiff_t>(text.units.size()), 0);
    }

    // A match starting at one of the units [first, last): the span of the text it covers.
    bool find(std::size_t first, std::size_t last, std::size_t& begin, std::size_t& end) {
        if (query_.size() > kMaxPinyinQuery) return false;
        last = std::min(last, text_->units.size());
        for (std::size_t start = first; start < last; ++start) {
            const int to = from(start, 0);
            if (to < 0) continue;
            begin = text_->units[start].begin;
            end = text_->units[static_cast<std::size_t>(to) - 1].end;
            return true;
        }
        return false;
    }

  private:
    int from(std::size_t unit, std::size_t at) {
        if (at == query_.size()) return static_cast<int>(unit);
        if (unit >= text_->units.size() || (memo_[unit] >> at & 1)) return -1;
        const Unit& u = text_->units[unit];
        const std::string_view literal(text_->folded.data() + u.foldedBegin,
                                       u.foldedEnd - u.foldedBegin);
        if (query_.compare(at, literal.size(), literal) == 0) {
            if (const int to = from(unit + 1, at + literal.size()); to >= 0) return to;
        }
        for (std::uint32_t r = 0; r < u.readings; ++r) {
            const std::string& reading = data_.syllables[data_.readings[u.firstReading + r]];
            std::size_t common = 0;
            while (common < reading.size() && at + common < query_.size() &&
                   reading[common] == query_[at + common])
                ++common;
            for (std::size_t n = common; n >= 1; --n)
                if (const int to = from(unit + 1, at + n); to >= 0) return to;
        }
        memo_[unit] |= 1ULL << at;
        return -1;
    }

    const Data& data_;
    std::string_view query_;
    const Text* text_ = nullptr;
    std::array<std::uint64_t, kMaxUnits> memo_{};
};

// A part of the folded texts, found with tables made once per query: the first byte
// alone begins every Chinese character and would find too many candidates.
class Finder {
  public:
    explicit Finder(std::string_view query)
        : query_(query),
          bits_(characterBits(query)),
          wide_(!query_.empty() && static_cast<unsigned char>(query_[0]) >= 0x80),
          searcher_(query_.begin(), query_.end()) {}

    // The span of the match in the text's own bytes.
    bool find(const Text& t, std::size_t& begin, std::size_t& end) const {
        if ((bits_ & ~t.letters) != 0) return false;
        std::size_t at = 0;
        if (wide_) {
            const auto found = std::search(t.folded.begin(), t.folded.end(), searcher_);
            if (found == t.folded.end()) return false;
            at = static_cast<std::size_t>(found - t.folded.begin());
        } else if ((at = t.folded.find(query_)) == std::string::npos) {
            return false;
        }
        begin = t.source(at);
        end = t.source(at + query_.size());
        return true;
    }
    bool prefix(const Text& t, std::size_t& begin, std::size_t& end) const {
        if (!t.folded.starts_with(query_)) return false;
        begin = 0;
        end = t.source(query_.size());
        return true;
    }

  private:
    std::string query_;
    std::uint64_t bits_;
    bool wide_;  // begins with a byte that begins every Chinese character too
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher_;
};

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

}  // namespace

const char* searchFieldName(SearchField field) {
    switch (field) {
        case SearchField::Name:
            return "name";
        case SearchField::Title:
            return "title";
        case SearchField::Keywords:
            return "keywords";
        case SearchField::Category:
            return "category";
        case SearchField::Description:
            return "description";
    }
    return "";
}

FunctionIndex::FunctionIndex(std::shared_ptr<const Catalogue> catalogue)
    : catalogue_(std::move(catalogue)) {
    auto data = std::make_unique<Data>();
    Builder builder(*data);
    std::vector<const CatalogueFunction*> functions;
    std::vector<std::string_view> texts;
    for (const CatalogueFunction& f : catalogue_->functions) {
        if (!f.displayed || f.name.empty()) continue;
        functions.push_back(&f);
        texts.push_back(f.title);
        texts.push_back(f.categoryTitle);
        for (const std::string& keyword : f.keywords) texts.push_back(keyword);
    }
    builder.prepare(texts);
    std::unordered_map<std::string_view, std::size_t> categories;
    data->entries.reserve(functions.size());
    for (const CatalogueFunction* f : functions) {
        const auto [at, fresh] = categories.emplace(f->categoryTitle, data->categories.size());
        if (fresh) data->categories.push_back(builder.pinyinText(f->categoryTitle));
        Data::Entry e{f,  folded(f->name), builder.pinyinText(f->title), folded(f->description),
                      {}, at->second};
        for (const std::string& keyword : f->keywords)
            e.keywords.push_back(builder.pinyinText(keyword));
        data->entries.push_back(std::move(e));
    }
    data_ = std::move(data);
}

FunctionIndex::~FunctionIndex() = default;

std::vector<SearchHit> FunctionIndex::search(std::string_view query, std::size_t limit) const {
    std::string spaced = text::foldForSearch(query);
    const std::size_t first = spaced.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    spaced = spaced.substr(first, spaced.find_last_not_of(' ') - first + 1);
    // Pinyin may be typed with blanks or apostrophes between the syllables.
    std::string compact;
    for (char c : spaced)
        if (c != ' ' && c != '\'') compact += c;
    if (compact.empty()) return {};
    const std::uint64_t letters = characterBits(compact);

    std::array<std::vector<SearchHit>, kRanks> ranked;
    Matcher matcher(*data_, compact);
    const Finder inName(compact), inText(spaced);
    auto pinyin = [&](const Text& t, std::size_t from, std::size_t to, SearchHit& hit) {
        if ((letters & ~t.letters) != 0) return false;
        return matcher.find(from, to, hit.begin, hit.end);
    };
    for (const Data::Entry& e : data_->entries) {
        SearchHit hit{e.function, SearchField::Name, 0, 0, 0};
        auto add = [&](Rank rank, SearchField field) {
            hit.field = field;
            ranked[rank].push_back(hit);
        };
        if (e.name.folded == compact) {
            hit.end = e.function->name.size();
            add(kExactName, SearchField::Name);
            continue;
        }
        if (inName.prefix(e.name, hit.begin, hit.end)) {
            add(kNamePrefix, SearchField::Name);
            continue;
        }
        matcher.reset(e.title);
        if (pinyin(e.title, 0, 1, hit)) {
            add(kTitleStart, SearchField::Title);
            continue;
        }
        if (inName.find(e.name, hit.begin, hit.end)) {
            add(kNamePart, SearchField::Name);
            continue;
        }
        if (pinyin(e.title, 1, kMaxUnits, hit) || inText.find(e.title, hit.begin, hit.end)) {
            add(kTitleOrKeyword, SearchField::Title);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < e.keywords.size() && !found; ++k) {
            matcher.reset(e.keywords[k]);
            found = pinyin(e.keywords[k], 0, kMaxUnits, hit) ||
                    inText.find(e.keywords[k], hit.begin, hit.end);
            hit.keyword = k;
        }
        if (found) {
            add(kTitleOrKeyword, SearchField::Keywords);
            continue;
        }
        hit.keyword = 0;
        const Text& category = data_->categories[e.category];
        matcher.reset(category);
        if (pinyin(category, 0, kMaxUnits, hit) || inText.find(category, hit.begin, hit.end)) {
            add(kCategory, SearchField::Category);
            continue;
        }
        if (inText.find(e.description, hit.begin, hit.end))
            add(kDescription, SearchField::Description);
    }
    std::vector<SearchHit> hits;
    for (const std::vector<SearchHit>& rank : ranked)
        for (const SearchHit& hit : rank) {
            if (hits.size() >= limit) return hits;
            hits.push_back(hit);
        }
    return hits;
}

std::shared_ptr<const FunctionIndex> loadFunctionIndex(std::shared_ptr<const Catalogue> catalogue) {
    constexpr std::size_t kCachedIndexes = 4;
    // Keyed by the catalogue, which stays the same object while its file is unchanged (an
    // index keeps its catalogue, so the address is not reused while it is cached). Shared
    // by every thread: an index is immutable once built, and it is built outside the lock.
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const FunctionIndex>> indexes;
    const auto cached = [&]() -> std::shared_ptr<const FunctionIndex> {
        for (const auto& index : indexes)
            if (&index->catalogue() == catalogue.get()) return index;
        return nullptr;
    };
    {
        const std::lock_guard lock(mutex);
        if (auto index = cached()) return index;
    }
    auto index = std::make_shared<const FunctionIndex>(catalogue);
    const std::lock_guard lock(mutex);
    if (auto other = cached()) return other;  // another thread built it meanwhile
    if (indexes.size() >= kCachedIndexes) indexes.erase(indexes.begin());
    indexes.push_back(index);
    return index;
}

std::shared_ptr<const FunctionIndex> loadFunctionIndex(const std::string& path) {
    return loadFunctionIndex(loadCatalogue(path, "loadFunctionIndex"));
}

}  // namespace nemro
