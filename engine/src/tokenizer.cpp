#include <array>
#include <charconv>
#include <string>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::detail {
namespace {

constexpr const char* kTokenizerTag = "CGNTExpression.p_GetNextElement()";

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

constexpr std::array<bool, 128> kNameTerminators = [] {
    std::array<bool, 128> t{};
    for (int c = 0; c <= 0x20; ++c) t[c] = true;
    for (char c : std::string_view("(),+-*/&=<>;\"")) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

bool isNameTerminator(char16_t c) { return c < 128 && kNameTerminators[c]; }

// The priority of a one-character operator, as p_SetPriority gives it.
constexpr std::int32_t operatorPriority(char16_t c) {
    switch (c) {
        case u'^': return 29;
        case u'*': case u'/': return 27;
        case u'+': case u'-': return 24;
        case u'&': return 23;
        case u'=': case u'>': case u'<': return 19;
        default: return 0;
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

namespace {

// A slice of the text as UTF-8 in out, reusing its storage; ASCII is copied unit by unit.
void assignUtf8(std::string& out, std::u16string_view slice) {
    std::size_t ascii = 0;
    while (ascii < slice.size() && slice[ascii] < 0x80) ++ascii;
    out.resize(ascii);
    for (std::size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(slice[i]);
    for (std::size_t i = ascii; i < slice.size(); ++i)
        if (!text::appendUtf8(out, slice, i)) {
            out = text::toUtf8(slice);
            return;
        }
}

// Whether a name is one of the words True and False in the engine's comparison. Only
// letters can fold to those words, and CJK punctuation, ideographs and Hangul
// syllables have no case at all, so a name holding one is rejected without a comparison.
bool isBooleanWord(std::u16string_view name) {
    // Folding never makes a text shorter: more than five characters cannot be "false".
    if (name.size() > 10) return false;
    bool ascii = true;
    for (char16_t c : name) {
        if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3))
            return false;
        if (c >= 0x80) ascii = false;
    }
    if (ascii) {
        auto is = [&](std::string_view word) {
            if (name.size() != word.size()) return false;
            for (std::size_t i = 0; i < word.size(); ++i)
                if ((name[i] | 0x20) != word[i]) return false;
            return true;
        };
        return is("true") || is("false");
    }
    return text::equalsNoCase(name, u"True") || text::equalsNoCase(name, u"False");
}

}  // namespace

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
    switch (c) {
        // Operators and delimiters take their priority here rather than through
        // p_SetPriority: this is the tokenizer's most frequent path.
        case u'(': case u')': case u',':
            out.Text.assign(1, static_cast<char>(c));
            out.Kind = ekDelimiter;
            out.Priority = c == u',' ? 2 : 30;
            return true;
        case u'+': case u'-': case u'*': case u'/': case u'&': case u';': case u'=': case u'^':
            out.Text.assign(1, static_cast<char>(c));
            out.Kind = ekOperator;
            out.Priority = operatorPriority(c);
            return true;
        case u'<': case u'>': {
            const char16_t n = at(pos + 1);
            if (n == u'=' || (c == u'<' && n == u'>')) {
                const char two[2] = {static_cast<char>(c), static_cast<char>(n)};
                out.Text.assign(two, 2);
                ++pos;
            } else {
                out.Text.assign(1, static_cast<char>(c));
            }
            out.Kind = ekOperator;
            out.Priority = operatorPriority(c);  // the two-character comparisons rank as one
            return true;
        }
        case u'"': {
            // The literal is copied run by run between the doubled quotes.
            out.Text.clear();
            std::size_t runStart = static_cast<std::size_t>(pos);  // 0-based index after the quote
            for (;;) {
                ++pos;
                if (atEnd(pos)) tokenizerError("期望配对的双引号。");
                if (at(pos) != u'"') continue;
                const std::u16string_view run = expr.substr(runStart, static_cast<std::size_t>(pos - 1) - runStart);
                for (std::size_t i = 0; i < run.size(); ++i)
                    if (!text::appendUtf8(out.Text, run, i)) {
                        out.Text += text::toUtf8(run.substr(i));
                        break;
                    }
                if (at(pos + 1) != u'"' || atEnd(pos + 1)) break;
                out.Text.push_back('"');
                ++pos;
                runStart = static_cast<std::size_t>(pos);
            }
            out.Kind = ekString;
            out.Priority = kOperandPriority;
            return true;
        }
        default:
            if (isDigit(c) || c == u'.') {
                bool point = c == u'.';
                std::u16string value;
                bool percent = false;
                const std::int32_t start = pos;
                for (;;) {
                    const char16_t n = atEnd(pos + 1) ? 0 : at(pos + 1);
                    if (isDigit(n)) {
                        if (percent) value.push_back(n);
                    } else if (n == u'.') {
                        if (percent) value.push_back(n);
                        if (point) tokenizerError("数值中出现多个小数点。");
                        point = true;
                    } else if (n == u'%') {
                        if (!percent) value.assign(expr.substr(static_cast<std::size_t>(start - 1),
                                                               static_cast<std::size_t>(pos - start + 1)));
                        percent = true;
                        value.push_back(n);
                        value = formatPercent(value);
                    } else {
                        break;
                    }
                    ++pos;
                }
                const std::u16string_view number =
                    percent ? std::u16string_view(value)
                            : expr.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(pos - start + 1));
                if (number == u".") tokenizerError("数值中只有小数点。");
                assignUtf8(out.Text, number);
                out.Kind = ekNumber;
            } else {
                const std::int32_t start = pos;
                std::size_t next = static_cast<std::size_t>(pos);  // 0-based index of at(pos + 1)
                while (next < expr.size() && !isNameTerminator(expr[next])) ++next;
                pos = static_cast<std::int32_t>(next);
                const std::u16string_view name =
                    expr.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(pos - start + 1));
                if (isBooleanWord(name)) {
                    out.Text = name.size() == 4 ? "True" : "False";
                    out.Kind = ekBoolean;
                } else {
                    assignUtf8(out.Text, name);
                    out.Kind = ekVariable;
                }
            }
            out.Priority = kOperandPriority;
            return true;
    }
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
            const char a = t.empty() ? '\0' : t[0];
            if (t.size() == 1) {
                e.Priority = operatorPriority(static_cast<unsigned char>(a));
                return;
            }
            if (t.size() == 3 && a == '-' && t[1] == '(' && t[2] == ')') e.Priority = 28;
            else if (t.size() == 2 && (t == "<>" || t == ">=" || t == "<=")) e.Priority = 19;
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
