#include "nemro/text.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace nemro::text {
namespace {

icu::UnicodeString fromU16(std::u16string_view s) {
    return icu::UnicodeString(s.data(), static_cast<int32_t>(s.size()));
}

std::u16string toStd(const icu::UnicodeString& u) {
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

// Formula texts are short and mostly ASCII: well-formed text is converted here without
// ICU's intermediate string; anything else goes through ICU, which replaces what is
// ill-formed. Well-formed text has one conversion, so both ways give the same result.

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed sequence at p (1 to 4 bytes), or 0 when it is ill-formed.
[[gnu::always_inline]] inline std::size_t sequenceLength(const unsigned char* p,
                                                         const unsigned char* end) {
    const unsigned char c = *p;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return end - p >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (end - p < 3 || !isContinuation(p[1]) || !isContinuation(p[2])) return 0;
        return (c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F) ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (end - p < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        return (c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F) ? 0 : 4;
    }
    return 0;
}

bool decodeUtf8(std::string_view s, std::u16string& out) {
    out.resize(s.size());  // never more units than bytes
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        const std::size_t length = sequenceLength(p, end);
        switch (length) {
            case 1:
                *o++ = c;
                break;
            case 2:
                *o++ = static_cast<char16_t>(((c & 0x1F) << 6) | (p[1] & 0x3F));
                break;
            case 3:
                *o++ = static_cast<char16_t>(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) |
                                             (p[2] & 0x3F));
                break;
            case 4: {
                const char32_t cp = (static_cast<char32_t>(c & 0x07) << 18) |
                                    ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
                *o++ = static_cast<char16_t>(0xD7C0 + (cp >> 10));
                *o++ = static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
                break;
            }
            default:
                return false;
        }
        p += length;
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return true;
}

bool encodeUtf8(std::u16string_view s, std::string& out) {
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        if (!appendUtf8(out, s, i)) return false;
    return true;
}

template <class Text>
bool allAscii(const Text& s) {
    for (auto c : s)
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) >= 0x80)
            return false;
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Case folding of ASCII text is ASCII lower case, compared unit by unit.
template <class Text>
int compareAsciiNoCase(const Text& a, const Text& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = asciiLower(static_cast<char>(a[i])), y = asciiLower(static_cast<char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

bool appendUtf8(std::string& out, std::u16string_view s, std::size_t& i) {
    const char32_t c = s[i];
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0xD800 || c > 0xDFFF) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        if (c > 0xDBFF || i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
        const char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return true;
}

namespace {

// Validation as a state machine whose next state is a shift of one table word: no branch
// per byte, so mixed ASCII and CJK text costs the same as either. A state is a 6-bit
// offset into the word of the byte that is read.
enum Utf8State : std::uint8_t {
    kAccept = 0,
    kReject = 6,
    kOneMore = 12,    // one continuation byte still to come
    kTwoMore = 18,    // two
    kThreeMore = 24,  // three
    kAfterE0 = 30,    // A0..BF, then one more (no overlong form)
    kAfterED = 36,    // 80..9F, then one more (no surrogate)
    kAfterF0 = 42,    // 90..BF, then two more (no overlong form)
    kAfterF4 = 48,    // 80..8F, then two more (nothing beyond U+10FFFF)
};

constexpr std::uint64_t transitions(std::uint8_t b) {
    // The next state for each state, rejecting by default.
    std::uint8_t next[9] = {kReject, kReject, kReject, kReject, kReject,
                            kReject, kReject, kReject, kReject};
    auto at = [&](Utf8State from) -> std::uint8_t& { return next[from / 6]; };
    if (b < 0x80)
        at(kAccept) = kAccept;
    else if (b <= 0xBF) {
        at(kOneMore) = kAccept;
        at(kTwoMore) = kOneMore;
        at(kThreeMore) = kTwoMore;
        if (b >= 0xA0) at(kAfterE0) = kOneMore;
        if (b <= 0x9F) at(kAfterED) = kOneMore;
        if (b >= 0x90) at(kAfterF0) = kTwoMore;
        if (b <= 0x8F) at(kAfterF4) = kTwoMore;
    } else if (b >= 0xC2 && b <= 0xDF)
        at(kAccept) = kOneMore;
    else if (b == 0xE0)
        at(kAccept) = kAfterE0;
    else if (b == 0xED)
        at(kAccept) = kAfterED;
    else if (b >= 0xE1 && b <= 0xEF)
        at(kAccept) = kTwoMore;
    else if (b == 0xF0)
        at(kAccept) = kAfterF0;
    else if (b == 0xF4)
        at(kAccept) = kAfterF4;
    else if (b >= 0xF1 && b <= 0xF3)
        at(kAccept) = kThreeMore;
    std::uint64_t word = 0;
    for (int s = 0; s < 9; ++s) word |= static_cast<std::uint64_t>(next[s]) << (6 * s);
    return word;
}

constexpr auto kUtf8Transitions = [] {
    std::array<std::uint64_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[static_cast<std::size_t>(b)] = transitions(static_cast<std::uint8_t>(b));
    return t;
}();

}  // namespace

bool isValidUtf8(std::string_view utf8) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    std::uint64_t state = kAccept;
    while (end - p >= 16) {
        // Sixteen ASCII bytes between whole characters need no machine.
        std::uint64_t a, b;
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + 8, 8);
        if (state != kAccept || ((a | b) & 0x8080808080808080ull) != 0) {
            for (int i = 0; i < 16; ++i) state = (kUtf8Transitions[p[i]] >> state) & 63;
            if (state == kReject) return false;
        }
        p += 16;
    }
    for (; p < end; ++p) state = (kUtf8Transitions[*p] >> state) & 63;
    return state == kAccept;
}

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    toUtf16(utf8, out);
    return out;
}

void toUtf16(std::string_view utf8, std::u16string& out) {
    if (decodeUtf8(utf8, out)) return;
    const auto u = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    out.assign(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::string toUtf8(std::u16string_view utf16) {
    std::string out;
    if (encodeUtf8(utf16, out)) return out;
    out.clear();
    fromU16(utf16).toUTF8String(out);
    return out;
}

std::u16string upper(std::u16string_view s) {
    return toStd(fromU16(s).toUpper(icu::Locale::getRoot()));
}

std::u16string lower(std::u16string_view s) {
    return toStd(fromU16(s).toLower(icu::Locale::getRoot()));
}

std::string_view trimBlanks(std::string_view s) noexcept {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The root locale maps ASCII letters to ASCII letters and touches nothing else in ASCII.
std::string upper(std::string_view utf8) {
    if (allAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out) c = asciiUpper(c);
        return out;
    }
    return toUtf8(upper(toUtf16(utf8)));
}

std::string lower(std::string_view utf8) {
    if (allAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out) c = asciiLower(c);
        return out;
    }
    return toUtf8(lower(toUtf16(utf8)));
}

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    if (allAscii(a) && allAscii(b)) return compareAsciiNoCase(a, b);
    return fromU16(a).caseCompare(fromU16(b), U_FOLD_CASE_DEFAULT);
}

int compareNoCase(std::string_view a, std::string_view b) {
    if (allAscii(a) && allAscii(b)) return compareAsciiNoCase(a, b);
    return compareNoCase(toUtf16(a), toUtf16(b));
}

bool isAscii(std::string_view utf8) noexcept {
    return allAscii(utf8);
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    return compareNoCase(a, b) == 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (allAscii(a) && allAscii(b)) return compareAsciiNoCase(a, b) == 0;
    return equalsNoCase(toUtf16(a), toUtf16(b));
}

}  // namespace nemro::text
