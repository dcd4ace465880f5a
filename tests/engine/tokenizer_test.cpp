#include <map>
#include <optional>
#include <random>

#include "engine_internal.h"
#include "eval_helpers.h"
#include "nemro/text.h"
#include "values.h"

using namespace nemro;
using namespace nemro::testing;

namespace {

struct Tok {
    std::string text;
    std::int32_t kind, priority;
    std::optional<double> value = {};
    bool operator==(const Tok&) const = default;
};

// The elements of s and the position after each; error gets the description of the
// error that ends the reading. Positions count UTF-16 code units, and the end of the text
// is one past the last.
std::vector<Tok> tokens(const std::string& s, std::string& error,
                        std::vector<std::int32_t>* ends = nullptr) {
    detail::Tokenizer tokenizer(s);
    detail::Token e;
    std::vector<Tok> out;
    try {
        while (tokenizer.p_GetNextElement(e)) {
            out.push_back({std::string(e.Text), e.Kind, e.Priority,
                           e.Valued ? std::optional(e.Value) : std::nullopt});
            if (ends) ends->push_back(tokenizer.pos());
        }
        EXPECT_TRUE(e.Text.empty() && e.Kind == ekEmpty) << s;
        EXPECT_EQ(tokenizer.pos(), text::toUtf16(s).size() + 1) << s;
    } catch (const NemroError& err) {
        EXPECT_EQ(err.number(), 34) << s;
        EXPECT_EQ(err.source(),
                  "CGNTExpression.p_GetNextElement()\\CGNTExpression.p_GetNextElement()")
            << s;
        error = err.description();
    }
    return out;
}

}  // namespace

// The texts of the elements, or the error, and the positions after them. Only a letter
// that folds into ASCII makes a non-ASCII name a boolean word.
TEST(Tokenizer, SplitsTextsIntoElements) {
    struct {
        const char* in;
        const char* out;
        std::vector<std::int32_t> ends = {};
    } cases[] = {
        {"1e5", "1 e5"},
        {"x.y%", "x.y%"},
        {"\t\r\n 1", "1"},
        {"5%3", "0.05003"},
        {"falſe&1", "False & 1"},
        {"金额 true金 ｔｒｕｅ trué 가나", "金额 true金 ｔｒｕｅ trué 가나"},
        {"\"abc", "期望配对的双引号。"},
        {".", "数值中只有小数点。"},
        {"  12.5 + x", "12.5 + x", {6, 8, 10}},
        {"名称 + 1", "名称 + 1", {2, 4, 6}},
        {"😀x+1", "😀x + 1", {3, 4, 5}},
        {"\"é😀\"&\"a\"\"\"", "é😀 & a\"", {5, 6, 11}},
        {"a<=b<>c>d", "a <= b <> c > d", {1, 3, 4, 6, 7, 8, 9}},
        {"12.5% >1", "0.1250 > 1", {5, 7, 8}},
        {"ǅ😀名\t,", "ǅ😀名 ,", {4, 6}},
    };
    for (const auto& c : cases) {
        std::string error, joined;
        std::vector<std::int32_t> ends;
        for (const auto& t : tokens(c.in, error, &ends))
            joined += (joined.empty() ? "" : " ") + t.text;
        EXPECT_EQ(error.empty() ? joined : error, c.out) << c.in;
        EXPECT_EQ(ends, c.ends.empty() ? ends : c.ends) << c.in;
    }
}

namespace {

// What the elements should be, worked out byte by byte, the plainest way: the reading of
// numbers while their digits pass, and of names by a table, must agree with it.
std::vector<Tok> byteByByte(const std::string& s, std::string& error) {
    const std::map<char, std::pair<std::int32_t, std::int32_t>> singles = {
        {'(', {ekDelimiter, 30}}, {')', {ekDelimiter, 30}}, {',', {ekDelimiter, 2}},
        {'+', {ekOperator, 24}},  {'-', {ekOperator, 24}},  {'*', {ekOperator, 27}},
        {'/', {ekOperator, 27}},  {'&', {ekOperator, 23}},  {';', {ekOperator, 0}},
        {'=', {ekOperator, 19}},  {'^', {ekOperator, 29}},  {'<', {ekOperator, 19}},
        {'>', {ekOperator, 19}}};
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    const auto digit = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    std::vector<Tok> x;
    for (std::size_t i = 0;;) {
        while (i < s.size() && blank(s[i])) ++i;
        if (i == s.size()) return x;
        const char c = s[i];
        const std::size_t from = i;
        if (auto op = singles.find(c); op != singles.end()) {
            const bool two = (c == '<' || c == '>') && i + 1 < s.size() &&
                             (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>'));
            i += two ? 2 : 1;
            x.push_back({s.substr(from, i - from), op->second.first, op->second.second});
        } else if (c == '"') {
            std::string text;
            for (++i; i == s.size() || s[i] != '"' || (i + 1 < s.size() && s[i + 1] == '"'); ++i) {
                if (i == s.size()) return error = "期望配对的双引号。", x;
                text += s[i];
                i += s[i] == '"';
            }
            x.push_back({text, ekString, kOperandPriority}), ++i;
        } else if (digit(c)) {
            std::string digits;
            std::size_t decimals = 0, points = 0;
            for (; i < s.size() && digit(s[i]); ++i) {
                if (s[i] == '.' && ++points > 1) return error = "数值中出现多个小数点。", x;
                if (s[i] != '.') digits += s[i], decimals += points;
            }
            if (i - from == 1 && c == '.') return error = "数值中只有小数点。", x;
            double v = 0;
            const bool valued =
                digits.size() <= 19 &&
                detail::plainDecimalValue(std::stoull("0" + digits), digits.size(), decimals, v);
            x.push_back({s.substr(from, i - from), ekNumber, kOperandPriority,
                         valued ? std::optional(v) : std::nullopt});
        } else {
            while (++i < s.size() && !blank(s[i]) && s[i] != '"' &&
                   (s[i] == '^' || !singles.contains(s[i]))) {
            }
            std::string name = s.substr(from, i - from), lower = name;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (lower == "true" || lower == "false") name = lower == "true" ? "True" : "False";
            x.push_back({name, lower == "true" || lower == "false" ? ekBoolean : ekVariable,
                         kOperandPriority});
        }
    }
}

// Blanks, operators, names (now and then a long one), numbers of up to 90 digits (now and
// then with a second point), strings and boolean words, in random order.
std::string randomFormula(std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    auto one = [&](const auto& from) { return from[pick(std::size(from))]; };
    const std::string nameBytes[] = {"a", "Z", "7", ".", "^", "_", "金", "é"};
    const std::string singles[] = {"(", ")", ",", "+", "-", "*",  "/",  "&",
                                   ";", "=", "^", "<", ">", "<=", ">=", "<>"};
    const std::string nameStarts[] = {"b", "X", "金"}, words[] = {"true", "FALSE", "True1"};
    std::string s;
    for (std::size_t parts = 1 + pick(12); parts > 0; --parts) {
        switch (pick(6)) {
            case 0:
                s.append(pick(70), " \t\0"[pick(3)]);
                break;
            case 1:
                s += one(singles);
                break;
            case 2:
                for (std::size_t n = (s += one(nameStarts), pick(4) ? pick(12) : pick(140)); n > 0;
                     --n)
                    s += one(nameBytes);
                break;
            case 3: {
                const std::size_t n = pick(4) ? 1 + pick(9) : 1 + pick(90),
                                  point = pick(3) ? pick(n + 1) : n + 1;
                for (std::size_t d = 0; d < n; ++d)
                    s +=
                        (d == point ? "." : "") + std::string(1, static_cast<char>('0' + pick(10)));
                if (pick(40) == 0) s += '.';
                break;
            }
            case 4:
                s += pick(2) ? "\"a\"\"b" + std::string(pick(70), 'q') + "\"" : "\"x\"";
                break;
            default:
                s += one(words);
        }
    }
    return s;
}

}  // namespace

TEST(Tokenizer, AgreesWithAPlainReading) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 30000; ++round) {
        const std::string s = randomFormula(rng);
        std::string error, wantError;
        const std::vector<Tok> got = tokens(s, error), want = byteByByte(s, wantError);
        ASSERT_EQ(error, wantError) << s;
        ASSERT_EQ(got, want) << s;
    }
}

// The postfix texts joined by blanks (an empty element shows as "_"), or the error with
// the position where it was found.
TEST(Postfix, ConvertsByPriorityOrFailsWithThePosition) {
    struct {
        const char* in;
        const char* out;
        int position = 0;
    } cases[] = {
        {"1+2*3", "1 2 3 * +"},
        {"(1+2)*3", "1 2 + 3 *"},
        {"2^3^2", "2 3 ^ 2 ^"},
        {"-2^2", "2 2 ^ -()"},
        {"-3*4", "3 -() 4 *"},
        {"2^-3*4", "2 3 4 * -() ^"},
        {"1--2", "1 2 -() -"},
        {"+5", "5"},
        {"1&2=3", "1 2 & 3 ="},
        {"a<>b+1", "a b 1 + <>"},
        {"MID(x,2,1)", "( x 2 1 MID"},
        {"f()", "( f"},
        {"f(,a)", "( _ a f"},
        {"f(a,)", "( a _ f"},
        {"f(a,,b)", "( a _ b f"},
        {"f (1)", "( 1 f"},
        {"IF(a>1,f(b),\"x\")", "( a 1 > ( b f x IF"},
        {"1+", "1 +"},
        {"()", ""},
        {"", ""},
        {"1 2", "缺乏运算符。", 3},
        {"(1)(2)", "缺乏运算符。", 4},
        {"True(1)", "缺乏运算符。", 5},
        {"1,2", "逗号只能出现在函数内。", 2},
        {"f((1,2))", "逗号只能出现在函数内。", 5},
        {"f(1+,2)", "运算符后不能有逗号。", 5},
        {"f(1+)", "运算符后面不能是“)”。", 5},
        {"(1", "期望配对的右括号。", 3},
        {"1)", "期望配对的右括号。", 2},
        {"*2", "无效的单目运算符。", 1},
        {"1*+2", "多重的运算符。", 3},
    };
    const auto convert = [](const std::string& in) {
        return outcomeOf([&] {
            CExpElmStack st = CGNTExpression().InfixToPostfix(in);
            std::string out;
            for (ExpElement e; st.Pop(e);)
                out += (out.empty() ? "" : " ") + (e.Kind == ekEmpty ? "_" : e.Text);
            return std::pair(out, 0);
        });
    };
    for (auto c : cases) {
        const std::string at = "位置：" + std::to_string(c.position) + " 公式:\r\n" + c.in;
        EXPECT_EQ(convert(c.in),
                  (Outcome{!c.position, c.out, 0, c.position ? 35 : 0, c.position ? at : ""}));
    }
    const Outcome o = convert("f(\"abc");  // the tokenizer's errors are tagged by the converter
    EXPECT_EQ(o.number, 34);
    EXPECT_EQ(o.source,
              "CGNTExpression.InfixToPostfix()\\CGNTExpression.p_GetNextElement()\\CGNTExpression."
              "p_GetNextElement()");
    // the elements' kinds and priorities: markers, omitted arguments, the unary minus
    std::vector<ExpElement> v;
    for (auto [st, e] = std::pair(CGNTExpression().InfixToPostfix("f(,-1)"), ExpElement{});
         st.Pop(e);)
        v.push_back(e);
    EXPECT_EQ(v, (std::vector<ExpElement>{{"(", ekDelimiter, 30},
                                          {"", ekEmpty, 99},
                                          {"1", ekNumber, 99},
                                          {"-()", ekOperator, 28},
                                          {"f", ekFunction, 99}}));
    // after a binary operator the unary minus keeps the priority it was read with
    ExpElement e;
    CGNTExpression().InfixToPostfix("1*-2").Peek(e, 2);
    EXPECT_EQ(e, (ExpElement{"-()", ekOperator, 24}));
}
