#include <charconv>
#include <string>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::detail {
namespace {

constexpr const char* kTokenizerTag = "CGNTExpression.p_GetNextElement()";

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isNameTerminator(char16_t c) {
    switch (c) {
        case u'(': case u')': case u',': case u'+': case u'-': case u'*': case u'/':
        case u'&': case u'=': case u'<': case u'>': case u';': case u'"':
            return true;
        default:
            return c <= 0x20;
    }
}

[[noreturn]] void tokenizerError(const char* description) {
    // The routine's own trap puts its tag in front of the source it raised itself.
    throw NemroError(err::Tokenizer, std::string(kTokenizerTag) + "\\" + kTokenizerTag,
                     description);
}

}  // namespace

std::u16string formatPercent(std::u16string_view numberText) {
    std::string ascii;
    for (char16_t c : numberText.substr(0, numberText.size() - 1))
        ascii.push_back(static_cast<char>(c));
    // A text such as "5." or ".5" is valid for us but from_chars wants digits around the point.
    std::string normal = ascii;
    if (!normal.empty() && normal.front() == '.') normal.insert(0, "0");
    if (!normal.empty() && normal.back() == '.') normal.push_back('0');
    double value = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size())
        return std::u16string(numberText);  // not readable: hand it back unchanged
    value /= 100.0;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
    if (res.ec != std::errc()) return std::u16string(numberText);
    return std::u16string(buf, res.ptr);
}

bool p_GetNextElement(std::u16string_view expr, std::int32_t& pos, ExpElement& out) {
    const auto len = static_cast<std::int32_t>(expr.size());
    auto at = [&](std::int32_t p) -> char16_t { return (p >= 1 && p <= len) ? expr[p - 1] : 0; };
    auto atEnd = [&](std::int32_t p) { return p < 1 || p > len; };

    do {
        ++pos;
    } while (!atEnd(pos) && at(pos) <= 0x20);
    if (atEnd(pos)) {
        out.Text.clear();
        out.Kind = ekEmpty;
        return false;
    }

    const char16_t c = at(pos);
    std::u16string value;
    switch (c) {
        case u'(': case u')': case u',':
            out.Text.assign(1, static_cast<char>(c));
            out.Kind = ekDelimiter;
            break;
        case u'+': case u'-': case u'*': case u'/': case u'&': case u';': case u'=': case u'^':
            out.Text.assign(1, static_cast<char>(c));
            out.Kind = ekOperator;
            break;
        case u'<':
            if (at(pos + 1) == u'>' || at(pos + 1) == u'=') {
                out.Text = at(pos + 1) == u'>' ? "<>" : "<=";
                ++pos;
            } else {
                out.Text = "<";
            }
            out.Kind = ekOperator;
            break;
        case u'>':
            if (at(pos + 1) == u'=') {
                out.Text = ">=";
                ++pos;
            } else {
                out.Text = ">";
            }
            out.Kind = ekOperator;
            break;
        case u'"':
            for (;;) {
                ++pos;
                if (atEnd(pos)) tokenizerError("期望配对的双引号。");
                const char16_t d = at(pos);
                if (d == u'"') {
                    if (at(pos + 1) != u'"' || atEnd(pos + 1)) break;
                    value.push_back(u'"');
                    ++pos;
                } else {
                    value.push_back(d);
                }
            }
            out.Text = text::toUtf8(value);
            out.Kind = ekString;
            break;
        default:
            if (isDigit(c) || c == u'.') {
                bool point = c == u'.';
                value.push_back(c);
                for (;;) {
                    const char16_t n = atEnd(pos + 1) ? 0 : at(pos + 1);
                    if (isDigit(n)) {
                        value.push_back(n);
                    } else if (n == u'.') {
                        value.push_back(n);
                        if (point) tokenizerError("数值中出现多个小数点。");
                        point = true;
                    } else if (n == u'%') {
                        value.push_back(n);
                        value = formatPercent(value);
                    } else {
                        break;
                    }
                    ++pos;
                }
                if (value == u".") tokenizerError("数值中只有小数点。");
                out.Text = text::toUtf8(value);
                out.Kind = ekNumber;
            } else {
                value.push_back(c);
                while (!atEnd(pos + 1) && !isNameTerminator(at(pos + 1))) {
                    value.push_back(at(pos + 1));
                    ++pos;
                }
                if (text::equalsNoCase(value, u"True") || text::equalsNoCase(value, u"False")) {
                    out.Text = value.size() == 4 ? "True" : "False";
                    out.Kind = ekBoolean;
                } else {
                    out.Text = text::toUtf8(value);
                    out.Kind = ekVariable;
                }
            }
    }
    p_SetPriority(out);
    return true;
}

void p_SetPriority(ExpElement& e) {
    if (isFunctionKind(e.Kind)) {
        e.Priority = kOperandPriority;
        return;
    }
    switch (e.Kind) {
        case ekVariable: case ekEmpty: case ekString: case ekBoolean: case ekNumber:
            e.Priority = kOperandPriority;
            return;
        case ekOperator: {
            const std::string& t = e.Text;
            if (t == "^") e.Priority = 29;
            else if (t == "-()") e.Priority = 28;
            else if (t == "*" || t == "/") e.Priority = 27;
            else if (t == "+" || t == "-") e.Priority = 24;
            else if (t == "&") e.Priority = 23;
            else if (t == "=" || t == "<>" || t == ">" || t == ">=" || t == "<" || t == "<=")
                e.Priority = 19;
            else e.Priority = 0;
            return;
        }
        case ekDelimiter:
            e.Priority = (e.Text == "(" || e.Text == ")") ? 30 : e.Text == "," ? 2 : 0;
            return;
        default:
            e.Priority = 0;
    }
}

}  // namespace nemro::detail
