#include <array>
#include <charconv>
#include <string>

#include "engine_internal.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "values.h"

namespace nemro::detail {
namespace {

constexpr const char* kTokenizerTag = "CGNTExpression.p_GetNextElement()";

using text::isDigit;

constexpr std::array<bool, 128> kNameTerminators = [] {
    std::array<bool, 128> t{};
    for (int c = 0; c <= 0x20; ++c) t[c] = true;
    for (char c : std::string_view("(),+-*/&=<>;\"")) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

// The priority of a one-character operator, as p_SetPriority gives it.
constexpr std::int32_t operatorPriority(char c) {
    switch (c) {
        case '^':
            return priority::Power;
        case '*':
        case '/':
            return priority::Multiply;
        case '+':
        case '-':
            return priority::Add;
        case '&':
            return priority::Concatenate;
        case '=':
        case '>':
        case '<':
            return priority::Compare;
        default:
            return priority::None;
    }
}

// Delimiters and operators, by their first character.
struct SingleElement {
    std::int32_t kind = 0;
    std::int32_t priority = 0;
};
constexpr std::array<SingleElement, 256> kSingles = [] {
    std::array<SingleElement, 256> t{};
    for (char c : std::string_view("()"))
        t[static_cast<unsigned char>(c)] = {ekDelimiter, priority::Bracket};
    t[static_cast<unsigned char>(',')] = {ekDelimiter, priority::Comma};
    for (char c : std::string_view("+-*/&;=^<>"))
        t[static_cast<unsigned char>(c)] = {ekOperator, operatorPriority(c)};
    return t;
}();

[[noreturn]] void tokenizerError(const char* description) {
    // The routine's own trap puts its tag in front of the source it raised itself.
    throw NemroError(err::Tokenizer, std::string(kTokenizerTag) + "\\" + kTokenizerTag,
                     description);
}

}  // namespace

std::string formatPercent(std::string_view numberText) {
    // A text such as "5." or ".5" is valid for us but from_chars wants digits around the point.
    std::string normal(numberText.substr(0, numberText.size() - 1));
    if (!normal.empty() && normal.front() == '.') normal.insert(0, "0");
    if (!normal.empty() && normal.back() == '.') normal.push_back('0');
    double value = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size())
        return std::string(numberText);  // not readable: hand it back unchanged
    value /= 100.0;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
    if (res.ec != std::errc()) return std::string(numberText);
    return std::string(buf, res.ptr);
}

namespace {

// Whether a name holds CJK punctuation, ideographs or Hangul syllables. These have no
// case at all, so such a name never folds to True or False and needs no comparison.
bool hasCaselessCjk(std::string_view name) {
    for (std::size_t i = 0; i + 2 < name.size(); ++i) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (lead < 0xE3 || lead > 0xED) continue;
        const char32_t c = (static_cast<char32_t>(lead & 0x0F) << 12) |
                           (static_cast<char32_t>(name[i + 1] & 0x3F) << 6) |
                           static_cast<char32_t>(name[i + 2] & 0x3F);
        if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x3400 && c <= 0x9FFF) ||
            (c >= 0xAC00 && c <= 0xD7A3))
            return true;
    }
    return false;
}

// The word True or False that a name stands for, or an empty view. ascii tells whether
// the name is all ASCII.
std::string_view booleanWord(std::string_view name, bool ascii) {
    auto is = [&](std::string_view word) {
        if (name.size() != word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if ((name[i] | 0x20) != word[i]) return false;
        return true;
    };
    if (is("true")) return "True";
    if (is("false")) return "False";
    // Beyond 40 bytes a name has more than ten characters; ASCII was answered above.
    if (ascii || name.size() > 40 || hasCaselessCjk(name)) return {};
    const std::u16string u = text::toUtf16(name);
    // Folding never makes a text shorter: more than five characters cannot be "false".
    if (u.size() > 10) return {};
    if (!text::equalsNoCase(u, u"True") && !text::equalsNoCase(u, u"False")) return {};
    return u.size() == 4 ? "True" : "False";
}

// UTF-16 code units of well-formed UTF-8: one per character, two beyond the BMP.
std::int32_t unitsOf(std::string_view s) {
    std::int32_t n = 0;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        n += static_cast<std::int32_t>((b & 0xC0) != 0x80) + static_cast<std::int32_t>(b >= 0xF0);
    }
    return n;
}

bool isNameTerminator(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 128 && kNameTerminators[b];
}

}  // namespace

bool Tokenizer::p_GetNextElement(Token& out) {
    const char* const text = expr_.data();
    const std::size_t n = expr_.size();
    std::size_t i = next_;
    while (i < n && static_cast<unsigned char>(text[i]) <= 0x20) ++i;
    out.Valued = false;
    if (i >= n) {
        next_ = n;
        ++ends_;
        out.Text = {};
        out.Kind = ekEmpty;
        return false;
    }
    const char c = text[i];
    // Every element ends here: its text, kind and priority, and where the next one starts.
    auto element = [&](std::string_view t, std::int32_t kind, std::int32_t priority,
                       std::size_t next) {
        out.Text = t;
        out.Kind = kind;
        out.Priority = priority;
        next_ = next;
        return true;
    };
    // Delimiters and operators are looked up by their first character.
    if (const SingleElement& single = kSingles[static_cast<unsigned char>(c)]; single.kind != 0) {
        std::size_t length = 1;
        if (c == '<' || c == '>') {
            const char following = i + 1 < n ? text[i + 1] : '\0';
            length = following == '=' || (c == '<' && following == '>')
                         ? 2
                         : 1;  // both forms rank alike
        }
        return element({text + i, length}, single.kind, single.priority, i + length);
    }
    if (c == '"') return quoted(i, out);
    if (isDigit(c) || c == '.') {
        // A number is ASCII. Its digits are read into a value as they go by, as
        // readNumber would read them; a "%" takes the general route.
        std::uint64_t mantissa = 0;
        std::size_t digits = 0, decimals = 0, j = i;
        bool point = false;
        for (; j < n; ++j) {
            const auto d = static_cast<unsigned>(static_cast<unsigned char>(text[j]) - '0');
            if (d < 10) {
                mantissa = mantissa * 10 + d;  // used up to 19 digits
                ++digits;
                decimals += point;
            } else if (text[j] == '.') {
                if (point) tokenizerError(msg::SeveralPoints);
                point = true;
            } else {
                break;
            }
        }
        if (j < n && text[j] == '%') return percentage(i, out);
        if (j - i == 1 && c == '.') tokenizerError(msg::OnlyPoint);
        element({text + i, j - i}, ekNumber, kOperandPriority, j);
        out.Valued = plainDecimalValue(mantissa, digits, decimals, out.Value);
        return true;
    }
    std::size_t j = i + 1;
    unsigned char bytes = static_cast<unsigned char>(c);  // the high bit tells non-ASCII
    while (j < n && !isNameTerminator(text[j])) bytes |= static_cast<unsigned char>(text[j++]);
    const std::string_view name(text + i, j - i);
    const std::string_view word = booleanWord(name, bytes < 0x80);
    return word.empty() ? element(name, ekVariable, kOperandPriority, j)
                        : element(word, ekBoolean, kOperandPriority, j);
}

// A string literal from its opening quote at i. Its text is the slice itself unless
// quotes are doubled in it; then its runs are joined in the buffer.
bool Tokenizer::quoted(std::size_t i, Token& out) {
    const std::size_t n = expr_.size();
    std::size_t runStart = i + 1;
    bool joined = false;
    for (;;) {
        const std::size_t quote = expr_.find('"', runStart);
        if (quote == std::string_view::npos) tokenizerError(msg::UnpairedQuote);
        const std::string_view run = expr_.substr(runStart, quote - runStart);
        if (quote + 1 < n && expr_[quote + 1] == '"') {
            if (!joined) buffer_.clear();
            joined = true;
            buffer_.append(run);
            buffer_.push_back('"');
            runStart = quote + 2;
            continue;
        }
        if (joined) buffer_.append(run);
        out.Text = joined ? std::string_view(buffer_) : run;
        out.Kind = ekString;
        out.Priority = kOperandPriority;
        next_ = quote + 1;
        return true;
    }
}

// A number from i whose digits run into a "%": the text up to there is a percentage,
// and what follows is appended to it; j is the last byte taken.
bool Tokenizer::percentage(std::size_t i, Token& out) {
    const std::size_t n = expr_.size();
    bool point = expr_[i] == '.', percent = false;
    std::size_t j = i;
    for (;;) {
        const char following = j + 1 < n ? expr_[j + 1] : '\0';
        if (isDigit(following)) {
            if (percent) buffer_.push_back(following);
        } else if (following == '.') {
            if (percent) buffer_.push_back(following);
            if (point) tokenizerError(msg::SeveralPoints);
            point = true;
        } else if (following == '%') {
            if (!percent) buffer_.assign(expr_.substr(i, j - i + 1));
            percent = true;
            buffer_.push_back('%');
            buffer_ = formatPercent(buffer_);
        } else {
            break;
        }
        ++j;
    }
    out.Text = buffer_;
    out.Kind = ekNumber;
    out.Priority = kOperandPriority;
    next_ = j + 1;
    return true;
}

std::int32_t Tokenizer::pos(Mark at) const noexcept {
    return unitsOf(expr_.substr(0, at.next)) + at.ends;
}

void p_SetPriority(Token& e) {
    if (isFunctionKind(e.Kind)) {
        e.Priority = kOperandPriority;
        return;
    }
    switch (e.Kind) {
        case ekVariable:
        case ekEmpty:
        case ekString:
        case ekBoolean:
        case ekNumber:
            e.Priority = kOperandPriority;
            return;
        case ekOperator: {
            const std::string_view t = e.Text;
            const char a = t.empty() ? '\0' : t[0];
            if (t.size() == 1) {
                e.Priority = operatorPriority(a);
                return;
            }
            if (t.size() == 3 && a == '-' && t[1] == '(' && t[2] == ')')
                e.Priority = priority::UnaryMinus;
            else if (t.size() == 2 && (t == "<>" || t == ">=" || t == "<="))
                e.Priority = priority::Compare;
            else
                e.Priority = priority::None;
            return;
        }
        case ekDelimiter:
            e.Priority = (e.Text == "(" || e.Text == ")") ? priority::Bracket
                         : e.Text == ","                  ? priority::Comma
                                                          : priority::None;
            return;
        default:
            e.Priority = priority::None;
    }
}

}  // namespace nemro::detail
