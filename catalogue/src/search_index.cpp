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
    t.letters = characterBits(t.folded);
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
    const std::string_view literal(text_->folded.data() + u.foldedBegin,
                                   u.foldedEnd - u.foldedBegin);
    if (query_.compare(at, literal.size(), literal) == 0) {
        if (const int to = from(unit + 1, at + literal.size()); to >= 0) return to;
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
      wide_(!query_.empty() && static_cast<unsigned char>(query_[0]) >= 0x80),
      searcher_(query_.begin(), query_.end()) {}

bool Finder::find(const Text& t, std::size_t& begin, std::size_t& end) const {
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

bool Finder::prefix(const Text& t, std::size_t& begin, std::size_t& end) const {
    if (!t.folded.starts_with(query_)) return false;
    begin = 0;
    end = t.source(query_.size());
    return true;
}

SearchQuery::SearchQuery(std::string_view query)
    : spaced_(spacedQuery(query)),
      compact_(compactQuery(spaced_)),
      letters_(characterBits(compact_)),
      matcher_(compact_),
      inName_(compact_),
      inText_(spaced_) {}

bool SearchQuery::pinyin(const Text& t, std::size_t from, std::size_t to, Match& m) {
    if ((letters_ & ~t.letters) != 0) return false;
    return matcher_.find(from, to, m.begin, m.end);
}

int SearchQuery::match(const Readings& readings, const EntryTexts& e, int ceiling, Match& m) {
    m = Match{};
    // Each way is tried only while its rank can still count.
    auto found = [&](Rank rank, SearchField field) {
        m.field = field;
        return static_cast<int>(rank);
    };
    if (compact_.empty() || ceiling <= kExactName) return -1;
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
    if (pinyin(e.title, 1, kMaxUnits, m) || inText_.find(e.title, m.begin, m.end))
        return found(kTitleOrKeyword, SearchField::Title);
    for (std::size_t k = 0; k < e.keywords.size(); ++k) {
        matcher_.reset(readings, e.keywords[k]);
        m.keyword = k;
        if (pinyin(e.keywords[k], 0, kMaxUnits, m) || inText_.find(e.keywords[k], m.begin, m.end))
            return found(kTitleOrKeyword, SearchField::Keywords);
    }
    m.keyword = 0;
    if (ceiling <= kCategory) return -1;
    matcher_.reset(readings, e.category);
    if (pinyin(e.category, 0, kMaxUnits, m) || inText_.find(e.category, m.begin, m.end))
        return found(kCategory, SearchField::Category);
    if (ceiling <= kDescription) return -1;
    if (inText_.find(e.description, m.begin, m.end))
        return found(kDescription, SearchField::Description);
    return -1;
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
