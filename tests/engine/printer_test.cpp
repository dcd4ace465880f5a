#include "eval_helpers.h"

using namespace nemro;
using namespace nemro::testing;

TEST(Printer, TextsAndReturnTypes) {
    checkAll(
        {
            {"1+2*3", 0, "1 + 2 * 3", 14},
            {"(1+2)*3", 0, "(1 + 2) * 3", 14},
            {"8-(3-1)", 0, "8 - (3 - 1)", 14},
            {"(8-3)-1", 0, "8 - 3 - 1", 14},
            {"2^3^2", 0, "2 ^ 3 ^ 2", 14},
            {"2^(3^2)", 0, "2 ^ (3 ^ 2)", 14},
            {"-x", 0, "-x", 14},
            {"-(a+b)", 0, "-(a + b)", 14},
            {"--x", 0, "--x", 14},
            {"-2^2", 0, "-2 ^ 2", 14},  // the power binds tighter than the minus
            {"-(2*3)", 0, "-(2 * 3)", 14},
            {"2*-3", 0, "2 * -3", 14},
            {"2*-(a+b)", 0, "2 * -(a + b)", 14},
            {"a=b", 0, "a = b", 11},
            {"a<>b", 0, "a <> b", 11},
            {"1<2=TRUE", 0, "1 < 2 = True", 11},
            {"1=(2=3)", 0, "1 = (2 = 3)", 11},
            {"\"a\"\"b\"&A1", 0, "\"a\"\"b\" & A1", 8},
            {"\"x\";1&2", 0, "\"x\" ; 1 & 2", 8},
            {"(\"x\";1)&2", 0, "(\"x\" ; 1) & 2", 8},
            {"1.50", 0, "1.50", 14},
            {"\"s\"", 0, "\"s\"", 8},
            {"true", 0, "True", 11},
            {"+5", 0, "5", 14},
            // function calls
            {"round(x)", 0, "ROUND(x)", 14},
            {"ROUND(x,)", 0, "ROUND(x)", 14},
            {"ROUND(A1*2,2)", 0, "ROUND(A1 * 2, 2)", 14},
            {"FIND(a,b,)", 0, "FIND(a, b)", 14},
            {"and(a,,b)", 0, "AND(a, , b)", 11},
            {"OR(,)", 0, "OR(, )", 11},
            {"IF(c,1,2)", 0, "IF(c, 1, 2)", 14},
            {"IF(c,1,\"s\")", 0, "IF(c, 1, \"s\")", 12},
            {"IF(c,x,y)", 0, "IF(c, x, y)", 12},
            {"IF(c,\"a\"&1,\"b\")", 0, "IF(c, \"a\" & 1, \"b\")", 8},
            {"NOT(1)", 0, "NOT(1)", 11},
            {"CHAR(65)", 0, "CHAR(65)", 8},
            {"RMBDX(1)", 0, "RMBDX(1)", 8},
            {"abs(-1)", 0, "ABS(-1)", 14},
            {"EXACT(1,2)", 0, "EXACT(1, 2)", 11},
            {"MOD(5,2)*2", 0, "MOD(5, 2) * 2", 14},
            {"left(\"abc\",1)", 0, "LEFT(\"abc\", 1)", 12},
            {"f()", 0, "F()", 12},
            {"f(,)", 0, "F(, )", 12},
            {"F(())", 0, "F()", 12},
            {"MOD(5,)", 35, "函数“MOD”的必选参数不可以为空。"},
            {"MOD(5)", 35, "函数“MOD”的参数个数不正确。"},
            {"ABS()", 35, "函数“ABS”的参数个数不正确。"},
            {"AND()", 35, "函数“AND”的参数个数不正确。"},
            {"FIND(,b)", 35, "函数“FIND”的必选参数不可以为空。"},
            {"1+", 35, "双目运算符“+”缺少操作数。", 0, ""},
            {"-", 35, "单目运算符“-”缺乏操作数。"},
            {"()", 35, "操作数与运算符数目不匹配。"},
            // An empty group leaves the omitted argument before it as an operator's operand.
            {"F(,();x)", 35, "双目运算符“;”缺少操作数。"},
            {"F(,()&x)", 35, "双目运算符“&”缺少操作数。"},
            {"F(,()+1,y)", 35, "双目运算符“+”缺少操作数。"},
            {"F(,-())", 35, "单目运算符“-”缺乏操作数。"},
        },
        nullptr, true);
}

TEST(Printer, VariableTypesAndCallbackOrder) {
    ScriptedListener l;
    l.variableTypes = {{"s", 8}, {"n", 14}, {"b", 11}, {"odd", 3}},
    l.functionTypes = {{"MYSTR", 8}};
    checkAll({{"s", 0, "s", 8},
              {"n", 0, "n", 14},
              {"b", 0, "b", 11},
              {"odd", 0, "odd", 12},
              {"u", 0, "u", 12},
              {"IF(c,s,s)", 0, "IF(c, s, s)", 8},
              {"IF(c,n,1)", 0, "IF(c, n, 1)", 14},
              {"MYSTR(n)", 0, "MYSTR(n)", 8},
              {"mystr(1)&\"\"", 0, "MYSTR(1) & \"\"", 8}},
             &l, true);
    checkCalls(
        {
            {"a-b*c", {"CheckVariable:c", "CheckVariable:b", "CheckVariable:a"}},
            {"AND(x,y)", {"CheckVariable:x", "CheckVariable:y"}},
            {"g(x)", {"CheckUserFunction:G"}},  // a user function's variables are not typed
            {"\"q\"\"\"&A1", {"CheckVariable:A1"}},
        },
        true);
}

TEST(Printer, ListenerErrorsAndSources) {
    struct Rejecting : IExpressionListener {
        void CheckVariable(const std::string&, std::int32_t&, std::int32_t& n,
                           std::string& d) override {
            n = 424, d = "no variable";
        }
        void CheckUserFunction(const std::string&, CExpElmStack&, std::int32_t&, std::int32_t& n,
                               std::string& d) override {
            n = 99, d = "no function";
        }
    } l;
    EXPECT_EQ(print("x+1", &l),
              (Outcome{false, "no variable", 0, 424,
                       "CGNTExpression.PostfixToInfix()\\CGNTExpression.p_CheckVariableType()"}));
    EXPECT_EQ(print("f(1)", &l), (Outcome{false, "no function", 0, 99, ""}));
}

// Deep nesting prints without recursion, and long chains in linear time.
TEST(Printer, DeepNestingAndLongChains) {
    const int depth = 20000;
    EXPECT_EQ(print(std::string(depth, '(') + "1" + std::string(depth, ')')).text, "1");
    EXPECT_EQ(print(std::string(depth, '-') + "1").kind, 14);
    std::string f = "1";
    for (int i = 0; i < depth; ++i) f += "&\"ab\"";
    EXPECT_EQ(evaluate(f).text.size(), 1u + 2u * depth);
    EXPECT_EQ(print(f).text.size(), 1u + 7u * depth);
}
