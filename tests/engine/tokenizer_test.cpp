#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "values.h"

using namespace nemro;

namespace {

struct Tok {
    std::string text;
    std::int32_t kind;
    std::int32_t priority;
};

std::vector<Tok> tokens(const std::string& s, std::int32_t* endPos = nullptr) {
    detail::Tokenizer tokenizer(s);
    detail::Token e;
    std::vector<Tok> out;
    while (tokenizer.p_GetNextElement(e)) out.push_back({std::string(e.Text), e.Kind, e.Priority});
    EXPECT_EQ(e.Kind, ekEmpty);
    EXPECT_EQ(e.Text, "");
    if (endPos) *endPos = tokenizer.pos();
    return out;
}

std::string texts(const std::string& s) {
    std::string joined;
    for (const auto& t : tokens(s)) joined += (joined.empty() ? "" : " ") + t.text;
    return joined;
}

}  // namespace

TEST(Tokenizer, ElementsKindsAndPriorities) {
    const auto t = tokens("  12.5 + x");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, "12.5");
    EXPECT_EQ(t[0].kind, ekNumber);
    EXPECT_EQ(t[0].priority, 99);
    EXPECT_EQ(t[1].kind, ekOperator);
    EXPECT_EQ(t[1].priority, 24);
    EXPECT_EQ(t[2].kind, ekVariable);

    detail::Tokenizer tokenizer("  12.5 + x");
    detail::Token e;
    tokenizer.p_GetNextElement(e);
    EXPECT_EQ(tokenizer.pos(), 6);
}

TEST(Tokenizer, SplitsTextsIntoElements) {
    struct { const char* in; const char* out; } cases[] = {
        {"a<>b", "a <> b"},
        {"a<=b", "a <= b"},
        {"a>=b", "a >= b"},
        {"a=>b", "a = > b"},
        {"a><b", "a > < b"},
        {"A1^2", "A1^2"},
        {"2^A1", "2 ^ A1"},
        {"1e5", "1 e5"},
        {"x.y%", "x.y%"},
        {".5+5.", ".5 + 5."},
        {"f(a,b);c&d", "f ( a , b ) ; c & d"},
        {"\t\r\n 1", "1"},
        {"名称+1", "名称 + 1"},
        {"12.5%", "0.1250"},
        {"50%", "0.5000"},
        {"5%3", "0.05003"},
    };
    for (auto c : cases) EXPECT_EQ(texts(c.in), c.out) << c.in;
    EXPECT_TRUE(tokens(" \t \t").empty());
}

TEST(Tokenizer, StringLiteralsAndBooleans) {
    std::int32_t end = 0;
    auto t = tokens("\"a\"\"b\"", &end);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "a\"b");
    EXPECT_EQ(t[0].kind, ekString);

    detail::Tokenizer tokenizer("\"a\"\"b\"");
    detail::Token e;
    tokenizer.p_GetNextElement(e);
    EXPECT_EQ(tokenizer.pos(), 6);

    t = tokens("true FALSE Truex");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, "True");
    EXPECT_EQ(t[0].kind, ekBoolean);
    EXPECT_EQ(t[1].text, "False");
    EXPECT_EQ(t[2].kind, ekVariable);
}

TEST(Tokenizer, ErrorsCarryNumberDescriptionAndSource) {
    struct { const char* in; const char* description; } cases[] = {
        {"\"abc", "期望配对的双引号。"},
        {"1.2.3", "数值中出现多个小数点。"},
        {".", "数值中只有小数点。"},
        {".+1", "数值中只有小数点。"},
    };
    for (auto c : cases) {
        try {
            tokens(c.in);
            ADD_FAILURE() << c.in;
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), 34) << c.in;
            EXPECT_EQ(e.description(), c.description) << c.in;
            EXPECT_EQ(e.source(),
                      "CGNTExpression.p_GetNextElement()\\CGNTExpression.p_GetNextElement()");
        }
    }
}

// Positions count UTF-16 code units, whatever the UTF-8 length of the characters.
TEST(Tokenizer, PositionsCountUtf16Units) {
    struct { const char* in; std::vector<std::int32_t> ends; } cases[] = {
        {"名称 + 1", {2, 4, 6}},
        {"😀x+1", {3, 4, 5}},
        {"\"é😀\"&\"a\"\"\"", {5, 6, 11}},
        {"a<=b<>c>d", {1, 3, 4, 6, 7, 8, 9}},
        {"12.5% >1", {5, 7, 8}},
        {"ǅ😀名\t,", {4, 6}},
    };
    for (const auto& c : cases) {
        detail::Tokenizer tokenizer(c.in);
        detail::Token e;
        std::vector<std::int32_t> ends;
        while (tokenizer.p_GetNextElement(e)) ends.push_back(tokenizer.pos());
        EXPECT_EQ(ends, c.ends) << c.in;
        // The end of the text is one step past the last unit.
        EXPECT_EQ(tokenizer.pos(), text::toUtf16(c.in).size() + 1) << c.in;
    }
}

namespace {

// What an element should be, worked out byte by byte, the plainest way: the reading of
// numbers while their digits pass, and of names by a table, must agree with it.
struct Expected {
    std::vector<Tok> elements;
    std::vector<std::optional<double>> values;
    std::string error;
};

bool stops(unsigned char c) { return c <= 0x20 || std::string_view("(),+-*/&=<>;\"").find(static_cast<char>(c)) != std::string_view::npos; }

Expected byteByByte(const std::string& s) {
    Expected x;
    std::size_t i = 0;
    auto add = [&](std::string text, std::int32_t kind, std::int32_t priority, std::optional<double> value = {}) {
        x.elements.push_back({std::move(text), kind, priority});
        x.values.push_back(value);
    };
    while (true) {
        while (i < s.size() && static_cast<unsigned char>(s[i]) <= 0x20) ++i;
        if (i == s.size()) return x;
        const char c = s[i];
        const std::string_view ops = "+-*/&;=^";
        if (c == '(' || c == ')') add(std::string(1, c), ekDelimiter, 30), ++i;
        else if (c == ',') add(",", ekDelimiter, 2), ++i;
        else if (c == '<' || c == '>') {
            const bool two = i + 1 < s.size() && (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>'));
            add(s.substr(i, two ? 2 : 1), ekOperator, 19);
            i += two ? 2 : 1;
        } else if (ops.find(c) != std::string_view::npos) {
            add(std::string(1, c), ekOperator, c == '^' ? 29 : c == '*' || c == '/' ? 27 : c == '&' ? 23 : c == '=' ? 19 : c == ';' ? 0 : 24);
            ++i;
        } else if (c == '"') {
            std::string text;
            for (++i;; ++i) {
                if (i == s.size()) return x.error = "期望配对的双引号。", x;
                if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') text += '"', ++i;
                else if (s[i] == '"') break;
                else text += s[i];
            }
            ++i;
            add(text, ekString, kOperandPriority);
        } else if ((c >= '0' && c <= '9') || c == '.') {
            const std::size_t from = i;
            std::string digits;
            std::size_t decimals = 0;
            int points = 0;
            for (; i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.'); ++i) {
                if (s[i] == '.' && ++points > 1) return x.error = "数值中出现多个小数点。", x;
                if (s[i] != '.') digits += s[i], decimals += points;
            }
            if (i - from == 1 && c == '.') return x.error = "数值中只有小数点。", x;
            std::optional<double> value;
            if (digits.size() <= 19) {
                double v = 0;
                if (detail::plainDecimalValue(std::stoull("0" + digits), digits.size(), decimals, v)) value = v;
            }
            add(s.substr(from, i - from), ekNumber, kOperandPriority, value);
        } else {
            const std::size_t from = i;
            for (++i; i < s.size() && !stops(static_cast<unsigned char>(s[i])); ++i) {
            }
            std::string name = s.substr(from, i - from);
            std::string lower = name;
            for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (lower == "true" || lower == "false") add(lower == "true" ? "True" : "False", ekBoolean, kOperandPriority);
            else add(name, ekVariable, kOperandPriority);
        }
    }
}

std::string randomFormula(std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const std::string nameBytes[] = {"a", "Z", "7", ".", "^", "_", "金", "é"};
    const std::string singles[] = {"(", ")", ",", "+", "-", "*", "/", "&", ";", "=", "^", "<", ">", "<=", ">=", "<>"};
    const std::string nameStarts[] = {"b", "X", "金"};
    const std::string words[] = {"true", "FALSE", "True1"};
    std::string s;
    for (std::size_t parts = 1 + pick(12); parts > 0; --parts) {
        switch (pick(6)) {
            case 0: s.append(pick(70), " \t\0"[pick(3)]); break;
            case 1: s += singles[pick(std::size(singles))]; break;
            case 2: {  // a name, now and then a long one
                s += nameStarts[pick(std::size(nameStarts))];
                for (std::size_t n = pick(4) ? pick(12) : pick(140); n > 0; --n) s += nameBytes[pick(std::size(nameBytes))];
                break;
            }
            case 3: {  // a number of up to 90 digits, now and then with a second point
                const std::size_t n = pick(4) ? 1 + pick(9) : 1 + pick(90);
                const std::size_t point = pick(3) ? pick(n + 1) : n + 1;
                for (std::size_t d = 0; d < n; ++d) {
                    if (d == point) s += '.';
                    s += static_cast<char>('0' + pick(10));
                }
                if (pick(40) == 0) s += '.';
                break;
            }
            case 4: s += pick(2) ? "\"a\"\"b" + std::string(pick(70), 'q') + "\"" : "\"x\""; break;
            default: s += words[pick(std::size(words))];
        }
    }
    return s;
}

}  // namespace

TEST(Tokenizer, AgreesWithAPlainReading) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 30000; ++round) {
        const std::string s = randomFormula(rng);
        const Expected want = byteByByte(s);
        detail::Tokenizer tokenizer(s);
        detail::Token e;
        std::vector<Tok> got;
        std::vector<std::optional<double>> values;
        std::string error;
        try {
            while (tokenizer.p_GetNextElement(e)) {
                got.push_back({std::string(e.Text), e.Kind, e.Priority});
                values.push_back(e.Valued ? std::optional<double>(e.Value) : std::nullopt);
            }
        } catch (const NemroError& err) {
            error = err.description();
        }
        ASSERT_EQ(error, want.error) << s;
        ASSERT_EQ(got.size(), want.elements.size()) << s;
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].text, want.elements[i].text) << s;
            ASSERT_EQ(got[i].kind, want.elements[i].kind) << s;
            ASSERT_EQ(got[i].priority, want.elements[i].priority) << s;
            ASSERT_EQ(values[i], want.values[i]) << s << " element " << i;
        }
    }
}

// Only a letter that folds into ASCII makes a non-ASCII name a boolean word; names
// of CJK characters are turned away without a comparison.
TEST(Tokenizer, NonAsciiBooleanWords) {
    EXPECT_EQ(texts("falſe&1"), "False & 1");
    EXPECT_EQ(tokens("falſe")[0].kind, ekBoolean);
    for (const char* name : {"金额", "true金", "ｔｒｕｅ", "trué", "가나"}) EXPECT_EQ(tokens(name)[0].kind, ekVariable) << name;
}
