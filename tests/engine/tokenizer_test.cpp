#include <gtest/gtest.h>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/text.h"

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
