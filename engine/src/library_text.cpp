// CONCATENATE, LOWER, UPPER, PROPER, TRIM, REPLACE, REPT, SUBSTITUTE, TEXT and VALUE.
// Characters are UTF-16 code units, as LEN and MID count them.
#include <cctype>
#include <cmath>

#include "library.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"

namespace nemro::detail {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\u3000';
}

// Full-width ASCII forms and the ideographic space as their ASCII twins.
std::string narrowed(std::string_view s) {
    std::u16string u = text::toUtf16(s);
    for (char16_t& c : u) {
        if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<char16_t>(c - 0xFEE0);
        if (c == u'\u3000') c = u' ';
    }
    return text::toUtf8(u);
}

// A whole number argument of a text function; error 5 below `least`.
std::int32_t countArgument(FunctionCall& call, std::int32_t least) {
    const std::int32_t n = truncToInt32(call.nextValue());
    if (n < least) outsideDomain(call.name());
    return n;
}

[[noreturn]] void badFormat(std::string_view format) {
    throw NemroError(err::InvalidArgument, "",
                     TextTools::FormatText(msg::UnsupportedFormat, format));
}

// Number formats: [#,##]0...[.0...][%].
bool numberFormat(std::string_view f, double value, std::string& out) {
    bool grouped = false;
    if (f.starts_with("#,##")) grouped = true, f.remove_prefix(4);
    const bool percent = f.ends_with('%');
    if (percent) f.remove_suffix(1);
    const std::size_t point = f.find('.');
    const std::string_view whole = f.substr(0, point);
    const std::string_view frac = point == f.npos ? std::string_view() : f.substr(point + 1);
    const auto zeros = [](std::string_view s) { return s.find_first_not_of('0') == s.npos; };
    if (whole.empty() || !zeros(whole) || !zeros(frac) || (point != f.npos && frac.empty()))
        return false;
    if (percent) value = checkedResult(value * 100);
    std::string t =
        roundDecimalText(value, static_cast<std::int32_t>(frac.size()), Rounding::HalfAway);
    const bool negative = t.front() == '-';
    if (negative) t.erase(0, 1);
    const std::size_t dot = t.find('.');
    std::string intPart = t.substr(0, dot), fracPart = dot == t.npos ? "" : t.substr(dot + 1);
    if (intPart == "0") intPart.clear();
    if (intPart.size() < whole.size()) intPart.insert(0, whole.size() - intPart.size(), '0');
    fracPart.resize(frac.size(), '0');
    if (grouped)
        for (auto i = static_cast<std::ptrdiff_t>(intPart.size()) - 3; i > 0; i -= 3)
            intPart.insert(static_cast<std::size_t>(i), 1, ',');
    out = (negative && (intPart.find_first_not_of("0,") != intPart.npos ||
                        fracPart.find_first_not_of('0') != fracPart.npos)
               ? "-"
               : "") +
          intPart + (frac.empty() ? "" : "." + fracPart) + (percent ? "%" : "");
    return true;
}

// Date and time formats: yyyy yy m mm d dd h hh mm ss and literal characters.
std::string dateFormat(std::string_view f, double serial) {
    struct Part {
        char letter;  // 0 for literal text
        std::size_t length;
        std::string literal;
    };
    std::vector<Part> parts;
    for (std::size_t i = 0; i < f.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
        if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's') {
            std::size_t j = i;
            while (j < f.size() && std::tolower(static_cast<unsigned char>(f[j])) == c) ++j;
            parts.push_back({c, j - i, {}});
            i = j;
        } else if (c == '"') {
            const std::size_t end = f.find('"', i + 1);
            if (end == f.npos) badFormat(f);
            parts.push_back({0, 0, std::string(f.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else {
            std::size_t len = 1;
            for (std::string_view lit : {"年", "月", "日"})
                if (f.substr(i).starts_with(lit)) len = lit.size();
            if (len == 1 && std::string_view("-/: ").find(c) == std::string_view::npos)
                badFormat(f);
            parts.push_back({0, 0, std::string(f.substr(i, len))});
            i += len;
        }
    }
    const DateParts d = dateParts(serial, "TEXT");
    std::string out;
    char lastField = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const Part& p = parts[k];
        if (p.letter == 0) {
            out += p.literal;
            continue;
        }
        char field = p.letter;
        if (field == 'm') {
            // Minutes after hours or before seconds; months otherwise.
            bool beforeSeconds = false;
            for (std::size_t n = k + 1; n < parts.size(); ++n)
                if (parts[n].letter != 0) {
                    beforeSeconds = parts[n].letter == 's';
                    break;
                }
            if (lastField == 'h' || beforeSeconds) field = 'n';
        }
        std::int32_t value = 0;
        std::size_t width = p.length;
        switch (field) {
            case 'y':
                if (p.length != 2 && p.length != 4) badFormat(f);
                value = p.length == 2 ? d.year % 100 : d.year;
                break;
            case 'm':
                value = d.month;
                break;
            case 'd':
                value = d.day;
                break;
            case 'h':
                value = d.hour;
                break;
            case 'n':
                value = d.minute;
                break;
            default:
                value = d.second;
        }
        if (field != 'y' && p.length > 2) badFormat(f);
        std::string digits = std::to_string(value);
        if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
        out += digits;
        lastField = field;
    }
    return out;
}

}  // namespace

bool valueOfText(std::string_view text, double& out) {
    const std::string narrow = narrowed(text);
    std::string s(text::trimBlanks(narrow));
    if (s.empty()) return false;
    if (ParseDateText(s, out)) return true;
    const bool percent = s.back() == '%';
    if (percent) s.pop_back();
    // Thousands separators: the whole part's groups after the first are three digits.
    if (s.find(',') != s.npos) {
        const std::size_t start = s[0] == '-' || s[0] == '+' ? 1 : 0;
        const std::size_t end = std::min(s.find('.'), s.size());
        std::string whole;
        std::size_t group = 0, groups = 0;
        for (std::size_t i = start; i <= end; ++i) {
            if (i == end || s[i] == ',') {
                if (group == 0 || (groups == 0 ? group > 3 : group != 3)) return false;
                group = 0, ++groups;
            } else {
                whole += s[i], ++group;
            }
        }
        s = s.substr(0, start) + whole + s.substr(end);
    }
    if (s.empty() || s[0] == '+') s.erase(0, s.empty() ? 0 : 1);
    if (s.empty() || !CGNTExpression::IsDecimal(s) || text::trimBlanks(s).size() != s.size())
        return false;
    out = readNumber(s);
    if (percent) out = checkedResult(out / 100);
    return true;
}

void fnConcatenate(FunctionCall& call) {
    std::string out;
    while (!call.atEnd()) {
        ExpElement v = call.nextOperand();
        out += v.Text;
        if (out.size() > 4 * 32767) outsideDomain(call.name());
    }
    pushLibraryText(call, std::move(out));
}

void fnLower(FunctionCall& call) {
    call.pushText(text::lower(call.nextString().Text), ekString);
}

void fnUpper(FunctionCall& call) {
    call.pushText(text::upper(call.nextString().Text), ekString);
}

// The first letter of each run of letters upper case, the others lower case.
void fnProper(FunctionCall& call) {
    std::u16string s = text::lower(text::toUtf16(call.nextString().Text));
    bool inWord = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::u16string one = text::upper(std::u16string_view(s).substr(i, 1));
        const bool letter = one != text::lower(one) || s[i] != one[0];
        if (letter && !inWord && one.size() == 1) s[i] = one[0];
        inWord = letter;
    }
    call.pushText(text::toUtf8(s), ekString);
}

void fnTrim(FunctionCall& call) {
    const std::u16string s = text::toUtf16(call.nextString().Text);
    std::u16string out;
    bool pending = false;
    for (char16_t c : s) {
        if (isBlank(c)) {
            pending = !out.empty();
            continue;
        }
        if (pending) out += u' ';
        pending = false;
        out += c;
    }
    call.pushText(text::toUtf8(out), ekString);
}

void fnReplace(FunctionCall& call) {
    std::u16string s = text::toUtf16(call.nextString().Text);
    const std::int32_t start = countArgument(call, 1);
    const std::int32_t length = countArgument(call, 0);
    const std::u16string with = text::toUtf16(call.nextString().Text);
    const auto from = std::min(static_cast<std::size_t>(start - 1), s.size());
    s.replace(from, static_cast<std::size_t>(length), with);
    pushLibraryText(call, text::toUtf8(s));
}

void fnRept(FunctionCall& call) {
    const std::string s = call.nextString().Text;
    const std::int32_t n = countArgument(call, 0);
    if (!s.empty() && static_cast<std::size_t>(n) * s.size() > 4 * 32767)
        outsideDomain(call.name());
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) out += s;
    pushLibraryText(call, std::move(out));
}

void fnSubstitute(FunctionCall& call) {
    std::string s = call.nextString().Text;
    const std::string old = call.nextString().Text;
    const std::string with = call.nextString().Text;
    std::int32_t instance = 0;
    if (double v = 0; call.nextOptionalValue(v)) {
        instance = truncToInt32(v);
        if (instance < 1) outsideDomain(call.name());
    }
    if (old.empty()) return call.pushText(std::move(s), ekString);
    std::string out;
    std::size_t at = 0;
    for (std::int32_t seen = 1;; ++seen) {
        const std::size_t found = s.find(old, at);
        if (found == s.npos) break;
        out.append(s, at, found - at);
        out += instance == 0 || seen == instance ? with : old;
        at = found + old.size();
        if (out.size() > 4 * 32767) outsideDomain(call.name());
    }
    out.append(s, at);
    pushLibraryText(call, std::move(out));
}

void fnText(FunctionCall& call) {
    ExpElement v = call.next();
    p_CheckOperand(v, call.listener());
    const std::string format = call.nextString().Text;
    double number = 0;
    if (v.Kind == ekString) {
        if (!valueOfText(v.Text, number))
            throw NemroError(err::TypeMismatch, "", TextTools::FormatText(msg::NotANumber, v.Text));
    } else {
        number = dateOrNumber(v, call.listener());
    }
    std::string out;
    const bool dated = format.find_first_of("yYmMdDhHsS") != std::string::npos;
    if (dated)
        out = dateFormat(format, number);
    else if (!numberFormat(format, number, out))
        badFormat(format);
    pushLibraryText(call, std::move(out));
}

void fnValue(FunctionCall& call) {
    ExpElement v = call.next();
    p_CheckOperand(v, call.listener());
    if (v.Kind == ekNumber) return call.pushText(std::move(v.Text), ekNumber);
    double number = 0;
    if (v.Kind != ekString || !valueOfText(v.Text, number))
        throw NemroError(err::TypeMismatch, "", TextTools::FormatText(msg::NotANumber, v.Text));
    call.pushNumber(number);
}

}  // namespace nemro::detail
