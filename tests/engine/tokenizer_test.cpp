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
    const std::u16string u = text::toUtf16(s);
    std::int32_t pos = 0;
    ExpElement e;
    std::vector<Tok> out;
    while (detail::p_GetNextElement(u, pos, e)) out.push_back({e.Text, e.Kind, e.Priority});
    EXPECT_EQ(e.Kind, ekEmpty);
    EXPECT_EQ(e.Text, "");
    if (endPos) *endPos = pos;
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

    std::u16string u = u"  12.5 + x";
    std::int32_t pos = 0;
    ExpElement e;
    detail::p_GetNextElement(u, pos, e);
    EXPECT_EQ(pos, 6);
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

    std::u16string u = u"\"a\"\"b\"";
    std::int32_t pos = 0;
    ExpElement e;
    detail::p_GetNextElement(u, pos, e);
    EXPECT_EQ(pos, 6);

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
