#include "search_index.h"

#include <unicode/utf8.h>

#include <algorithm>

#include "nemro/search_text.h"

namespace nemro::search {
namespace {

std::uint64_t letterBit(char c) {
    if (c >= 'a' && c <= 'z') return 1ULL << (c - 'a');
    if (c >= '0' && c <= '9') return 1ULL << (26 + c - '0');
    return 0;
}

// The query folded, without the blanks around it.
std::string spacedQuery(std::string_view query) {
    std::string spaced = text::foldForSearch(query);
    const std::size_t first = spaced.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return spaced.substr(first, spaced.find_last_not_of(' ') - first + 1);
}

// Pinyin may be typed with blanks or apostrophes between the syllables.
std::string compactQuery(const std::string& spaced) {
    std::string compact;
    for (char c : spaced)
        if (c != ' ' && c != '\'') compact += c;
    return compact;
}

// The bytes of the first character.
std::size_t firstCharacter(std::string_view s) {
    std::size_t n = s.empty() ? 0 : 1;
    while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
    return n;
}

char32_t firstCodePoint(std::string_view s) {
    UChar32 c = 0;
    int32_t at = 0;
    if (!s.empty())
        U8_NEXT(reinterpret_cast<const uint8_t*>(s.data()), at, static_cast<int32_t>(s.size()), c);
    return static_cast<char32_t>(c < 0 ? 0xFFFD : c);
}

}  // namespace

std::uint64_t wideBits(std::string_view folded) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < folded.size();) {
        if (static_cast<unsigned char>(folded[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = firstCharacter(folded.substr(i));
        bits |= 1ULL << (static_cast<std::uint32_t>(firstCodePoint(folded.substr(i, n))) *
                             0x9E3779B1u >>
                         26);
        i += n;
    }
    return bits;
}

std::uint64_t pairBit(char32_t a, char32_t b) {
    const std::uint32_t mixed = (static_cast<std::uint32_t>(a) * 0x9E3779B1u) ^
                                (static_cast<std::uint32_t>(b) * 0x85EBCA77u + 0x165667B1u);
    return 1ULL << (mixed * 0x27D4EB2Fu >> 26);
}

namespace {

// The pair of the query's first two characters, which a match by readings begins with;
// none for a query of one character.
std::uint64_t secondPair(std::string_view query) {
    const std::size_t first = firstCharacter(query);
    if (first >= query.size()) return 0;
    return pairBit(firstCodePoint(query), firstCodePoint(query.substr(first)));
}

}  // namespace

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

Text folded(std::string_view text) {
    Text t;
    t.folded = text::foldForSearch(text, &t.origins);
    bool same = t.folded.size() == text.size();
    for (std::size_t i = 0; same && i < t.origins.size(); ++i) same = t.origins[i] == i;
    if (same) t.origins.clear();
    t.literal = t.letters = characterBits(t.folded);
    t.wide = wideBits(t.folded);
    return t;
}

void Builder::prepare(const std::vector<std::string_view>& texts) {
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

Text Builder::pinyinText(std::string_view source) {
    Text t = folded(source);
    const auto* bytes = reinterpret_cast<const uint8_t*>(source.data());
    const auto length = static_cast<int32_t>(source.size());
    std::size_t f = 0;                       // the folded bytes of the current character start here
    std::vector<char32_t> before, starting;  // what the previous and this unit can begin with
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
        const std::string_view literal(t.folded.data() + foldedBegin, f - foldedBegin);
        std::uint64_t starts = characterBits(literal);
        starting.assign(1, firstCodePoint(literal));
        // A character that folds to several: its second one is no unit's start.
        if (firstCharacter(literal) < literal.size()) t.pairs = ~0ULL;
        if (const auto at = readings_.find(static_cast<char32_t>(c)); at != readings_.end()) {
            for (std::uint32_t id : at->second) {
                data_.readings.push_back(id);
                const std::string& syllable = data_.syllables[id];
                for (char letter : syllable) t.letters |= letterBit(letter);
                if (syllable.empty()) continue;
                starts |= letterBit(syllable[0]);
                starting.push_back(static_cast<unsigned char>(syllable[0]));
                if (syllable.size() > 1)
                    t.pairs |= pairBit(static_cast<unsigned char>(syllable[0]),
                                       static_cast<unsigned char>(syllable[1]));
            }
            u.readings = static_cast<std::uint16_t>(at->second.size());
        }
        for (char32_t a : before)
            for (char32_t b : starting) t.pairs |= pairBit(a, b);
        before.swap(starting);
        if (t.units.empty()) t.firstStarts = starts;
        t.starts |= starts;
        t.units.push_back(u);
    }
    return t;
}

std::uint32_t Builder::syllable(const std::string& reading) {
    const auto [at, fresh] =
        ids_.emplace(reading, static_cast<std::uint32_t>(data_.syllables.size()));
    if (fresh) data_.syllables.push_back(reading);
    return at->second;
}

bool Matcher::find(std::size_t first, std::size_t last, std::size_t& begin, std::size_t& end) {
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

int Matcher::from(std::size_t unit, std::size_t at) {
    if (at == query_.size()) return static_cast<int>(unit);
    if (unit >= text_->units.size() || (memo_[unit] >> at & 1)) return -1;
    const Unit& u = text_->units[unit];
    // A character folds to a few bytes: compared in place, not by a library call.
    const std::size_t size = u.foldedEnd - u.foldedBegin;
    bool same = at + size <= query_.size();
    for (std::size_t i = 0; same && i < size; ++i)
        same = query_[at + i] == text_->folded[u.foldedBegin + i];
    if (same) {
        if (const int to = from(unit + 1, at + size); to >= 0) return to;
    }
    for (std::uint32_t r = 0; r < u.readings; ++r) {
        const std::string& reading = data_->syllables[data_->readings[u.firstReading + r]];
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

Finder::Finder(std::string_view query)
    : query_(query),
      bits_(characterBits(query)),
      wide_(wideBits(query)),
      wideStart_(!query_.empty() && static_cast<unsigned char>(query_[0]) >= 0x80),
      searcher_(query_.begin(), query_.end()) {}

bool Finder::find(const Text& t, std::size_t& begin, std::size_t& end) const {
    if ((bits_ & ~t.literal) != 0 || (wide_ & ~t.wide) != 0) return false;
    std::size_t at = 0;
    if (wideStart_) {
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

bool Finder::prefix(const Text& t, std::size_t& begin, std::size_t& end) const {
    // Most texts differ at once; starts_with would call the library's compare for each.
    if ((bits_ & ~t.literal) != 0 || (wide_ & ~t.wide) != 0 || t.folded.size() < query_.size() ||
        t.folded[0] != query_[0] || t.folded.compare(0, query_.size(), query_) != 0)
        return false;
    begin = 0;
    end = t.source(query_.size());
    return true;
}

SearchQuery::SearchQuery(std::string_view query)
    : spaced_(spacedQuery(query)),
      compact_(compactQuery(spaced_)),
      letters_(characterBits(compact_)),
      firstBits_(characterBits(std::string_view(compact_).substr(0, firstCharacter(compact_)))),
      pairBit_(secondPair(compact_)),
      wide_(wideBits(compact_)),
      matcher_(compact_),
      inName_(compact_),
      inText_(spaced_) {}

bool SearchQuery::pinyin(const Text& t, std::size_t from, std::size_t to, Match& m) {
    if ((letters_ & ~t.letters) != 0) return false;
    if ((firstBits_ & ~(from == 0 && to == 1 ? t.firstStarts : t.starts)) != 0) return false;
    if ((pairBit_ & ~t.pairs) != 0 || (wide_ & ~t.wide) != 0) return false;
    return matcher_.find(from, to, m.begin, m.end);
}

// The ways before the category, best first.
int SearchQuery::matchTexts(const Readings& readings, const EntryTexts& e, int ceiling, Match& m) {
    auto found = [&](Rank rank, SearchField field) {
        m.field = field;
        return static_cast<int>(rank);
    };
    if (e.name.folded == compact_) {
        m.end = e.name.source(e.name.folded.size());
        return found(kExactName, SearchField::Name);
    }
    if (ceiling <= kNamePrefix) return -1;
    if (inName_.prefix(e.name, m.begin, m.end)) return found(kNamePrefix, SearchField::Name);
    if (ceiling <= kTitleStart) return -1;
    matcher_.reset(readings, e.title);
    if (pinyin(e.title, 0, 1, m)) return found(kTitleStart, SearchField::Title);
    if (ceiling <= kNamePart) return -1;
    if (inName_.find(e.name, m.begin, m.end)) return found(kNamePart, SearchField::Name);
    if (ceiling <= kTitleOrKeyword) return -1;
    // A title that is the name itself was searched for the query as typed just above.
    const bool sameText = &e.title == &e.name && spaced_ == compact_;
    if (pinyin(e.title, 1, kMaxUnits, m) || (!sameText && inText_.find(e.title, m.begin, m.end)))
        return found(kTitleOrKeyword, SearchField::Title);
    for (std::size_t k = 0; k < e.keywords.size(); ++k) {
        matcher_.reset(readings, e.keywords[k]);
        m.keyword = k;
        if (pinyin(e.keywords[k], 0, kMaxUnits, m) || inText_.find(e.keywords[k], m.begin, m.end))
            return found(kTitleOrKeyword, SearchField::Keywords);
    }
    m.keyword = 0;
    return -1;
}

int SearchQuery::match(const Readings& readings, const EntryTexts& e, CategoryMemo& categories,
                       int ceiling, Match& m) {
    m = Match{};
    if (compact_.empty() || ceiling <= kExactName) return -1;
    // Neither a part of a text nor a match by readings: only the category can match.
    const bool onlyCategory =
        ((letters_ & ~e.bits.literal) != 0 || (wide_ & ~e.bits.wide) != 0) &&
        ((letters_ & ~e.bits.description) != 0 || (wide_ & ~e.bits.descriptionWide) != 0) &&
        ((letters_ & ~e.bits.letters) != 0 || (firstBits_ & ~e.bits.starts) != 0 ||
         (pairBit_ & ~e.bits.pairs) != 0);
    const int rank =
        onlyCategory ? -1 : matchTexts(readings, e, std::min<int>(ceiling, kCategory), m);
    if (rank >= 0) return rank;
    if (ceiling <= kCategory) return -1;
    signed char& known = categories.known[e.categoryIndex];
    if (known < 0) {
        Match& c = categories.found[e.categoryIndex];
        matcher_.reset(readings, e.category);
        known = pinyin(e.category, 0, kMaxUnits, c) || inText_.find(e.category, c.begin, c.end);
        c.field = SearchField::Category;
    }
    if (known > 0) {
        m = categories.found[e.categoryIndex];
        return kCategory;
    }
    if (onlyCategory || ceiling <= kDescription || (letters_ & ~e.bits.description) != 0) return -1;
    m = Match{};
    if (!inText_.find(e.description, m.begin, m.end)) return -1;
    m.field = SearchField::Description;
    return kDescription;
}

void Ranked::add(int rank, const RankedHit& hit) {
    ranks_[static_cast<std::size_t>(rank)].push_back(hit);
    std::size_t count = 0;
    for (int r = 0; r < kRanks; ++r) {
        count += ranks_[static_cast<std::size_t>(r)].size();
        if (count >= limit_) {
            ceiling_ = r;
            return;
        }
    }
}

std::vector<RankedHit> Ranked::best() const {
    std::vector<RankedHit> hits;
    for (const std::vector<RankedHit>& rank : ranks_)
        for (const RankedHit& hit : rank) {
            if (hits.size() >= limit_) return hits;
            hits.push_back(hit);
        }
    return hits;
}

}  // namespace nemro::search
