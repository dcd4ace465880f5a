#include "text_tools.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <cmath>
#include <memory>
#include <vector>

#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::TextTools {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// One converter per thread, opened on first use and kept; a failed conversion
// stops instead of substituting, so that unmapped characters are seen.
UConverter* gbk() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* c = ucnv_open("GBK", &status);
        if (U_FAILURE(status) || !c)
            throw NemroError(err::InvalidArgument, "TextTools", detail::msg::NoGbkCodePage);
        ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        return std::unique_ptr<UConverter, ConverterCloser>(c);
    }();
    return converter.get();
}

// GBK bytes of one code point given as one or two UTF-16 units; empty when unmapped.
std::string encode(std::u16string_view unit) {
    UConverter* c = gbk();
    ucnv_resetFromUnicode(c);
    char buf[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c, buf, sizeof buf, unit.data(),
                                      static_cast<int32_t>(unit.size()), &status);
    if (U_FAILURE(status) || n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

struct Piece {
    size_t offset;  // in UTF-16 units
    size_t units;
    std::int64_t bytes;
};

std::vector<Piece> pieces(const std::u16string& s) {
    std::vector<Piece> out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        size_t units = 1;
        if (U16_IS_LEAD(s[i]) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) units = 2;
        std::int64_t bytes = 1;
        if (units == 2 || s[i] >= 0x80) {
            const std::string enc = encode(std::u16string_view(s).substr(i, units));
            bytes = enc.empty() ? 1 : static_cast<std::int64_t>(enc.size());
        }
        out.push_back({i, units, bytes});
        i += units;
    }
    return out;
}

std::string slice(const std::u16string& s, const std::vector<Piece>& p, size_t first, size_t last) {
    if (first >= last) return {};
    const size_t from = p[first].offset;
    const size_t to = p[last - 1].offset + p[last - 1].units;
    return text::toUtf8(std::u16string_view(s).substr(from, to - from));
}

}  // namespace

std::string FormatText(std::string_view templ, std::string_view argument) {
    std::string out;
    out.reserve(templ.size() + argument.size());
    for (size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 's') {
            out += argument;
            ++i;
        } else {
            out.push_back(templ[i]);
        }
    }
    return out;
}

std::string LeftBytes(std::string_view text, std::int16_t count) {
    if (count < 0) raisePlatform(err::InvalidArgument, "TextTools.LeftBytes()");
    const std::u16string s = text::toUtf16(text);
    const auto p = pieces(s);
    std::int64_t used = 0;
    size_t last = 0;
    while (last < p.size() && used + p[last].bytes <= count) used += p[last++].bytes;
    return slice(s, p, 0, last);
}

std::string RightBytes(std::string_view text, std::int16_t count) {
    if (count < 0) raisePlatform(err::InvalidArgument, "TextTools.RightBytes()");
    const std::u16string s = text::toUtf16(text);
    const auto p = pieces(s);
    std::int64_t used = 0;
    size_t first = p.size();
    while (first > 0 && used + p[first - 1].bytes <= count) used += p[--first].bytes;
    return slice(s, p, first, p.size());
}

std::string MidBytes(std::string_view text, std::int32_t start, std::int32_t length) {
    if (start < 1 || length < 0) raisePlatform(err::InvalidArgument, "TextTools.MidBytes()");
    const std::u16string s = text::toUtf16(text);
    const auto p = pieces(s);
    const std::int64_t lo = start, hi = static_cast<std::int64_t>(start) + length - 1;
    std::int64_t pos = 1;
    size_t first = p.size(), last = 0;
    for (size_t i = 0; i < p.size() && pos <= hi; ++i) {
        if (pos >= lo && pos + p[i].bytes - 1 <= hi) {
            if (first == p.size()) first = i;
            last = i + 1;
        }
        pos += p[i].bytes;
    }
    return first == p.size() ? std::string() : slice(s, p, first, last);
}

std::int16_t LenBytes(std::string_view text) {
    std::int64_t total = 0;
    for (const auto& piece : pieces(text::toUtf16(text))) total += piece.bytes;
    if (total > 32767) raisePlatform(err::Overflow, "TextTools.LenBytes()");
    return static_cast<std::int16_t>(total);
}

std::int16_t SignedCodeOf(std::string_view text) {
    const std::u16string s = text::toUtf16(text);
    if (s.empty()) raisePlatform(err::InvalidArgument, "TextTools.CharCode()");
    const size_t units = (U16_IS_LEAD(s[0]) && s.size() > 1 && U16_IS_TRAIL(s[1])) ? 2 : 1;
    const std::string enc = encode(std::u16string_view(s).substr(0, units));
    if (enc.empty() || enc.size() > 2) raisePlatform(err::InvalidArgument, "TextTools.CharCode()");
    unsigned code = static_cast<unsigned char>(enc[0]);
    if (enc.size() == 2) code = code << 8 | static_cast<unsigned char>(enc[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(code));
}

std::int32_t CharCode(std::int16_t code, std::int32_t flag) {
    if (flag == 0) return static_cast<std::uint16_t>(code);
    return code;
}

std::string CharOfCode(std::int32_t code) {
    if (code < 1 || code > 0xFFFF) raisePlatform(err::InvalidArgument, "TextTools.CharOfCode()");
    char bytes[2];
    int32_t n = 0;
    if (code > 0xFF) bytes[n++] = static_cast<char>(code >> 8);
    bytes[n++] = static_cast<char>(code & 0xFF);
    UConverter* c = gbk();
    ucnv_resetToUnicode(c);
    UChar buf[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t units = ucnv_toUChars(c, buf, 8, bytes, n, &status);
    if (U_FAILURE(status) || units <= 0 || units != U16_LENGTH(buf[0]) ||
        (units == 1 && U16_IS_SURROGATE(buf[0])))
        raisePlatform(err::InvalidArgument, "TextTools.CharOfCode()");
    return text::toUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(buf), static_cast<size_t>(units)));
}

namespace {

constexpr const char* kDigits[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
constexpr const char* kPlaces[] = {"仟", "佰", "拾", ""};
constexpr const char* kGroupUnits[] = {"", "万", "亿"};

// One group of four digits; zeros after its last nonzero digit are not written,
// a run of zeros between two nonzero digits is one 零.
std::string groupText(int group) {
    const int digits[4] = {group / 1000, group / 100 % 10, group / 10 % 10, group % 10};
    std::string out;
    bool pendingZero = false, started = false;
    for (int i = 0; i < 4; ++i) {
        if (digits[i] == 0) {
            if (started) pendingZero = true;
            continue;
        }
        if (pendingZero) out += kDigits[0];
        pendingZero = false;
        started = true;
        out += kDigits[digits[i]];
        out += kPlaces[i];
    }
    return out;
}

}  // namespace

std::string MoneyText(double amount) {
    if (!(std::fabs(amount) < 1e12)) raisePlatform(err::Overflow, "TextTools.MoneyText()");
    const auto cents = static_cast<long long>(std::llround(std::fabs(amount) * 100.0));
    if (cents >= 100'000'000'000'000LL) raisePlatform(err::Overflow, "TextTools.MoneyText()");
    const bool negative = amount < 0 && cents > 0;
    const long long whole = cents / 100;
    const int jiao = static_cast<int>(cents / 10 % 10), fen = static_cast<int>(cents % 10);

    std::string out = negative ? "负" : "";
    const int groups[3] = {static_cast<int>(whole / 100'000'000),
                           static_cast<int>(whole / 10'000 % 10'000),
                           static_cast<int>(whole % 10'000)};
    bool written = false, gap = false;
    for (int g = 0; g < 3; ++g) {
        if (groups[g] == 0) {
            if (written) gap = true;
            continue;
        }
        if (written && (gap || groups[g] < 1000)) out += kDigits[0];
        out += groupText(groups[g]);
        out += kGroupUnits[2 - g];
        written = true;
        gap = false;
    }
    if (whole != 0) out += "元";
    if (jiao == 0 && fen == 0) return whole == 0 ? out + "零元整" : out + "整";
    if (jiao != 0)
        out += std::string(kDigits[jiao]) + "角";
    else if (whole != 0)
        out += kDigits[0];
    if (fen != 0) out += std::string(kDigits[fen]) + "分";
    return out;
}

}  // namespace nemro::TextTools
