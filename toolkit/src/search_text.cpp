#include "nemro/search_text.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace nemro::text {
namespace {

// Characters whose other common readings the transliterator's one reading misses; each
// lists all of its readings. Function titles use them in either reading ("长度", "增长").
struct Polyphone {
    char32_t character;
    const char* readings;  // separated by blanks
};
constexpr Polyphone kPolyphones[] = {
    {U'长', "chang zhang"}, {U'重', "chong zhong"},   {U'行', "xing hang"},
    {U'率', "lv lu shuai"}, {U'和', "he huo hu"},     {U'调', "tiao diao"},
    {U'差', "cha chai ci"}, {U'单', "dan shan chan"}, {U'数', "shu shuo"},
    {U'乘', "cheng sheng"}, {U'传', "chuan zhuan"},   {U'还', "huan hai"},
    {U'大', "da dai"},      {U'便', "bian pian"},     {U'朝', "chao zhao"},
    {U'角', "jiao jue"},    {U'校', "xiao jiao"},     {U'解', "jie xie"},
    {U'系', "xi ji"},       {U'度', "du duo"},        {U'参', "can shen cen"},
    {U'的', "de di"},       {U'地', "di de"},         {U'得', "de dei"},
    {U'省', "sheng xing"},
};

void addReading(std::vector<std::string>& readings, std::string reading) {
    if (!reading.empty() && std::find(readings.begin(), readings.end(), reading) == readings.end())
        readings.push_back(std::move(reading));
}

// One transliterated syllable without its tone marks; "ü" in both spellings.
void addToneless(std::vector<std::string>& readings, const icu::UnicodeString& syllable) {
    std::string plain, withV;
    bool umlaut = false;
    for (int32_t i = 0; i < syllable.length(); ++i) {
        const UChar c = syllable[i];
        switch (c) {
            case u'ü':
            case u'ǖ':
            case u'ǘ':
            case u'ǚ':
            case u'ǜ':
                umlaut = true;
                plain += 'u';
                withV += 'v';
                continue;
            default:
                break;
        }
        // Tone marks decompose into a letter and a combining mark.
        UChar32 base = c;
        if (c >= 0x80) {
            icu::UnicodeString decomposed;
            UErrorCode status = U_ZERO_ERROR;
            const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
            if (U_SUCCESS(status)) nfd->normalize(icu::UnicodeString(c), decomposed, status);
            base = U_SUCCESS(status) && !decomposed.isEmpty() ? decomposed.char32At(0) : c;
        }
        if (base >= 'A' && base <= 'Z') base += 'a' - 'A';
        if (base < 'a' || base > 'z') continue;
        plain += static_cast<char>(base);
        withV += static_cast<char>(base);
    }
    addReading(readings, plain);
    if (umlaut) addReading(readings, withV);
}

class PinyinCache {
  public:
    std::vector<std::vector<std::string>> readings(std::u32string_view characters) {
        std::lock_guard lock(mutex_);
        std::u32string missing;
        for (char32_t c : characters)
            if (isHan(c) && !known_.contains(c) && missing.find(c) == missing.npos) missing += c;
        if (!missing.empty()) transliterate(missing);
        std::vector<std::vector<std::string>> result;
        result.reserve(characters.size());
        for (char32_t c : characters) {
            const auto at = known_.find(c);
            result.push_back(at == known_.end() ? std::vector<std::string>() : at->second);
        }
        return result;
    }

  private:
    // One call for all the characters, a line each: the rules cost far more to start than
    // to run.
    void transliterate(const std::u32string& characters) {
        if (!transliterator_ && !failed_) {
            UErrorCode status = U_ZERO_ERROR;
            transliterator_.reset(
                icu::Transliterator::createInstance("Han-Latin", UTRANS_FORWARD, status));
            if (U_FAILURE(status)) transliterator_.reset();
            failed_ = !transliterator_;
        }
        icu::UnicodeString text;
        for (char32_t c : characters) text.append(static_cast<UChar32>(c)).append(u'\n');
        if (transliterator_) transliterator_->transliterate(text);
        int32_t start = 0;
        for (char32_t c : characters) {
            int32_t end = text.indexOf(u'\n', start);
            if (end < 0) end = text.length();
            std::vector<std::string>& readings = known_[c];
            if (transliterator_) addToneless(readings, text.tempSubStringBetween(start, end));
            start = end + 1;
        }
        for (const Polyphone& p : kPolyphones) {
            const auto at = known_.find(p.character);
            if (at == known_.end()) continue;
            std::string all = p.readings;
            for (std::size_t from = 0; from < all.size();) {
                std::size_t to = all.find(' ', from);
                if (to == all.npos) to = all.size();
                addReading(at->second, all.substr(from, to - from));
                from = to + 1;
            }
        }
    }

    std::mutex mutex_;
    std::unique_ptr<icu::Transliterator> transliterator_;
    bool failed_ = false;
    std::unordered_map<char32_t, std::vector<std::string>> known_;
};

void appendUtf8(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(buffer, length, U8_MAX_LENGTH, c, error);
    if (!error) out.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace

bool isHan(char32_t c) {
    UErrorCode status = U_ZERO_ERROR;
    return uscript_getScript(static_cast<UChar32>(c), &status) == USCRIPT_HAN &&
           U_SUCCESS(status) && u_isalpha(static_cast<UChar32>(c));
}

std::string foldForSearch(std::string_view utf8, std::vector<std::uint32_t>* origins) {
    std::string out;
    out.reserve(utf8.size());
    if (origins) origins->clear();
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) c = 0xFFFD;
        const bool wideDigit = c >= 0xFF10 && c <= 0xFF19;
        const bool wideLetter = (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
        if (wideDigit || wideLetter) c -= 0xFEE0;
        if (c == 0x3000) c = ' ';
        c = c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : u_foldCase(c, U_FOLD_CASE_DEFAULT);
        const std::size_t before = out.size();
        appendUtf8(out, c);
        if (origins)
            origins->insert(origins->end(), out.size() - before, static_cast<std::uint32_t>(start));
    }
    if (origins) origins->push_back(static_cast<std::uint32_t>(utf8.size()));
    return out;
}

std::vector<std::vector<std::string>> pinyinReadings(std::u32string_view characters) {
    static PinyinCache cache;
    return cache.readings(characters);
}

}  // namespace nemro::text
