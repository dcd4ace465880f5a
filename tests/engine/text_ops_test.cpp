#include <gtest/gtest.h>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/expression.h"

using namespace nemro;
using E = CGNTExpression;

TEST(TextOps, ICase) {
    struct { const char* in; const char* out; } cases[] = {
        {"", ""}, {"tRUE", "True"}, {"a", "A"}, {"äBC", "Äbc"}, {"名A", "名a"}};
    for (auto c : cases) EXPECT_EQ(E::ICase(c.in), c.out) << c.in;
}

TEST(TextOps, Classification) {
    struct { const char* in; bool boolean, decimal, string; } cases[] = {
        {"True", true, false, false},
        {"fALSE", true, false, false},
        {" True", false, false, false},
        {" 12 ", false, true, false},
        {"-1.5", false, true, false},
        {"+.5", false, true, false},
        {"5.", false, true, false},
        {"1e5", false, true, false},
        {"1E-05", false, true, false},
        {"1e", false, false, false},
        {".", false, false, false},
        {"&H10", false, false, false},
        {"1,000", false, false, false},
        {"$1", false, false, false},
        {"1.2.3", false, false, false},
        {"", false, false, false},
        {"\"", false, false, true},
        {"\"ab\"", false, false, true},
        {"\"ab", false, false, false},
    };
    for (auto c : cases) {
        EXPECT_EQ(E::IsBoolean(c.in), c.boolean) << c.in;
        EXPECT_EQ(E::IsDecimal(c.in), c.decimal) << c.in;
        EXPECT_EQ(E::IsString(c.in), c.string) << c.in;
    }
}

TEST(TextOps, StringLiteralsRoundTrip) {
    EXPECT_EQ(E::StrExp2Val("\"a\"\"b\""), "a\"b");
    EXPECT_EQ(E::StrVal2Exp("a\"b"), "\"a\"\"b\"");
    for (std::string v : {"", "\"", "\"\"", "x\"\"\"y", "公式"})
        EXPECT_EQ(E::StrExp2Val(E::StrVal2Exp(v)), v) << v;
    EXPECT_THROW(E::StrExp2Val("\""), NemroError);
}

TEST(TextOps, FormatCallAndPopArguments) {
    CExpElmStack args;
    for (const char* t : {"1", "2", "abc"}) args.Push({t, ekString, 99});
    EXPECT_EQ(detail::p_FormatCall("MID", args), "MID(abc, 2, 1)");
    EXPECT_EQ(detail::p_FormatCall("F", CExpElmStack{}), "F()");

    CExpElmStack values, out;
    values.Push({"x", ekNumber, 99});
    values.Push({"(", ekDelimiter, 30});
    values.Push({"(", ekString, 99});  // a value, not the marker
    values.Push({"1", ekNumber, 99});
    values.Push({"2", ekNumber, 99});
    EXPECT_TRUE(detail::p_PopArguments(values, out));
    EXPECT_EQ(out.Count(), 3);
    EXPECT_EQ(values.Count(), 1);
    ExpElement e;
    out.Pop(e);
    EXPECT_EQ(e.Kind, ekString);  // the first argument

    EXPECT_FALSE(detail::p_PopArguments(values, out));
    EXPECT_EQ(values.Count(), 0);
}

TEST(TextOps, CheckVariableTypeAsksTheListener) {
    struct L : IExpressionListener {
        void CheckVariable(const std::string& n, std::int32_t& t, std::int32_t& e,
                           std::string& d) override {
            if (n == "s") t = 8;
            if (n == "bad") e = 13, d = "no";
        }
    } l;
    ExpElement s{"s", ekVariable, 0}, other{"o", ekVariable, 0}, bad{"bad", ekVariable, 0};
    detail::p_CheckVariableType(s, &l);
    detail::p_CheckVariableType(other, &l);
    EXPECT_EQ(s.Kind, 0x10008);
    EXPECT_EQ(other.Kind, 0x1000C);
    EXPECT_EQ(s.Priority, 99);
    EXPECT_THROW(detail::p_CheckVariableType(bad, &l), NemroError);
    detail::p_CheckVariableType(s, &l);  // already typed: left alone
    EXPECT_EQ(s.Kind, 0x10008);
}
