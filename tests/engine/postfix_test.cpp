#include <gtest/gtest.h>

#include "nemro/error.h"
#include "nemro/expression.h"

using namespace nemro;

namespace {

// Postfix texts joined by blanks; an empty element shows as "_".
std::string postfix(const std::string& s) {
    CExpElmStack st = CGNTExpression().InfixToPostfix(s);
    std::string out;
    ExpElement e;
    while (st.Pop(e)) out += (out.empty() ? "" : " ") + (e.Kind == ekEmpty ? "_" : e.Text);
    return out;
}

}  // namespace

TEST(Postfix, ConvertsByPriorityAndAssociativity) {
    struct { const char* in; const char* out; } cases[] = {
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
        {"f(,)", "( _ _ f"},
        {"f(a,,b)", "( a _ b f"},
        {"f (1)", "( 1 f"},
        {"ROUND(A1*2,2)", "( A1 2 * 2 ROUND"},
        {"IF(a>1,f(b),\"x\")", "( a 1 > ( b f x IF"},
        {"1+", "1 +"},
        {"()", ""},
        {"", ""},
    };
    for (auto c : cases) EXPECT_EQ(postfix(c.in), c.out) << c.in;
}

TEST(Postfix, MarkersAndEmptyElementsHaveTheirKinds) {
    CExpElmStack st = CGNTExpression().InfixToPostfix("f(,-1)");
    std::vector<ExpElement> v;
    ExpElement e;
    while (st.Pop(e)) v.push_back(e);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0], (ExpElement{"(", ekDelimiter, 30}));
    EXPECT_EQ(v[1], (ExpElement{"", ekEmpty, 99}));
    EXPECT_EQ(v[3], (ExpElement{"-()", ekOperator, 28}));
    EXPECT_EQ(v[4], (ExpElement{"f", ekFunction, 99}));
    // after a binary operator the unary minus keeps the priority it was read with
    st = CGNTExpression().InfixToPostfix("1*-2");
    st.Peek(e, 2);
    EXPECT_EQ(e, (ExpElement{"-()", ekOperator, 24}));
}

TEST(Postfix, SyntaxErrorsAreWordedAndPositioned) {
    struct { const char* in; const char* description; int position; } cases[] = {
        {"1 2", "缺乏运算符。", 3},
        {"(1)(2)", "缺乏运算符。", 4},
        {"True(1)", "缺乏运算符。", 5},
        {"x y", "缺乏运算符。", 3},
        {"1,2", "逗号只能出现在函数内。", 2},
        {"(1,2)", "逗号只能出现在函数内。", 3},
        {"f((1,2))", "逗号只能出现在函数内。", 5},
        {"f(1+,2)", "运算符后不能有逗号。", 5},
        {"f(1+)", "运算符后面不能是“)”。", 5},
        {"(1", "期望配对的右括号。", 3},
        {"f(1", "期望配对的右括号。", 4},
        {"1)", "期望配对的右括号。", 2},
        {"*2", "无效的单目运算符。", 1},
        {"1*+2", "多重的运算符。", 3},
        {"1**2", "多重的运算符。", 3},
    };
    for (auto c : cases) {
        try {
            postfix(c.in);
            ADD_FAILURE() << c.in;
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), 35) << c.in;
            EXPECT_EQ(e.description(), c.description) << c.in;
            EXPECT_EQ(e.source(),
                      "位置：" + std::to_string(c.position) + " 公式:\r\n" + c.in)
                << c.in;
        }
    }
}

TEST(Postfix, TokenizerErrorsAreTaggedByTheConverter) {
    try {
        postfix("f(\"abc");
        FAIL();
    } catch (const NemroError& e) {
        EXPECT_EQ(e.number(), 34);
        EXPECT_EQ(e.source(),
                  "CGNTExpression.InfixToPostfix()\\CGNTExpression.p_GetNextElement()\\"
                  "CGNTExpression.p_GetNextElement()");
    }
}
