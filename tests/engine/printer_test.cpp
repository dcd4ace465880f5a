#include <random>

#include "eval_helpers.h"

using namespace nemro;
using namespace nemro::testing;

namespace {

struct Case {
    const char* formula;
    const char* printed;      // or the error description
    std::int32_t returnType;  // -1 for an error
};

void checkAll(std::initializer_list<Case> cases, IExpressionListener* listener = nullptr) {
    for (const auto& c : cases) {
        const Outcome p = print(c.formula, listener);
        EXPECT_EQ(p.text, c.printed) << c.formula;
        EXPECT_EQ(p.ok, c.returnType >= 0) << c.formula;
        EXPECT_EQ(p.ok ? p.kind : p.number, c.returnType >= 0 ? c.returnType : 35) << c.formula;
    }
}

}  // namespace

TEST(Printer, OperatorsAndParentheses) {
    checkAll({
        {"1+2*3", "1 + 2 * 3", 14}, {"(1+2)*3", "(1 + 2) * 3", 14}, {"8-(3-1)", "8 - (3 - 1)", 14},
        {"(8-3)-1", "8 - 3 - 1", 14}, {"2^3^2", "2 ^ 3 ^ 2", 14}, {"2^(3^2)", "2 ^ (3 ^ 2)", 14},
        {"-x", "-x", 14}, {"-(a+b)", "-(a + b)", 14}, {"--x", "-(-x)", 14},
        {"-2^2", "-2 ^ 2", 14},  // the power binds tighter than the minus
        {"-(2*3)", "-(2 * 3)", 14}, {"2*-3", "2 * (-3)", 14}, {"a=b", "a = b", 11}, {"a<>b", "a <> b", 11},
        {"1<2=TRUE", "1 < 2 = True", 11}, {"1=(2=3)", "1 = (2 = 3)", 11}, {"\"a\"\"b\"&A1", "\"a\"\"b\" & A1", 8},
        {"\"x\";1&2", "\"x\" ; 1 & 2", 8}, {"(\"x\";1)&2", "(\"x\" ; 1) & 2", 8}, {"1.50", "1.50", 14},
        {"\"s\"", "\"s\"", 8}, {"true", "True", 11}, {"+5", "5", 14},
    });
}

TEST(Printer, FunctionCalls) {
    checkAll({
        {"round(x)", "ROUND(x)", 14}, {"ROUND(x,)", "ROUND(x)", 14}, {"ROUND(A1*2,2)", "ROUND(A1 * 2, 2)", 14},
        {"FIND(a,b,)", "FIND(a, b)", 14}, {"and(a,,b)", "AND(a, , b)", 11}, {"OR(,)", "OR(, )", 11},
        {"IF(c,1,2)", "IF(c, 1, 2)", 14}, {"IF(c,1,\"s\")", "IF(c, 1, \"s\")", 12}, {"IF(c,x,y)", "IF(c, x, y)", 12},
        {"IF(c,\"a\"&1,\"b\")", "IF(c, \"a\" & 1, \"b\")", 8}, {"NOT(1)", "NOT(1)", 11}, {"CHAR(65)", "CHAR(65)", 8},
        {"RMBDX(1)", "RMBDX(1)", 8}, {"abs(-1)", "ABS(-1)", 14}, {"EXACT(1,2)", "EXACT(1, 2)", 11},
        {"MOD(5,2)*2", "MOD(5, 2) * 2", 14}, {"left(\"abc\",1)", "LEFT(\"abc\", 1)", 12}, {"f()", "F()", 12},
        {"f(,)", "F(, )", 12}, {"F(())", "F()", 12},
        {"MOD(5,)", "函数“MOD”的必选参数不可以为空。", -1}, {"MOD(5)", "函数“MOD”的参数个数不正确。", -1},
        {"ABS()", "函数“ABS”的参数个数不正确。", -1}, {"AND()", "函数“AND”的参数个数不正确。", -1},
        {"FIND(,b)", "函数“FIND”的必选参数不可以为空。", -1}, {"1+", "双目运算符“+”缺少操作数。", -1},
        {"-", "单目运算符“-”缺乏操作数。", -1}, {"()", "操作数与运算符数目不匹配。", -1},
        // An empty group leaves the omitted argument before it as an operator's operand.
        {"F(,();x)", "双目运算符“;”缺少操作数。", -1}, {"F(,()&x)", "双目运算符“&”缺少操作数。", -1},
        {"F(,()+1,y)", "双目运算符“+”缺少操作数。", -1}, {"F(,-())", "单目运算符“-”缺乏操作数。", -1},
    });
}

TEST(Printer, VariableTypesAndCallbackOrder) {
    ScriptedListener l;
    l.variableTypes = {{"s", 8}, {"n", 14}, {"b", 11}, {"odd", 3}};
    l.functionTypes = {{"MYSTR", 8}};
    checkAll({{"s", "s", 8}, {"n", "n", 14}, {"b", "b", 11}, {"odd", "odd", 12}, {"u", "u", 12},
              {"IF(c,s,s)", "IF(c, s, s)", 8}, {"IF(c,n,1)", "IF(c, n, 1)", 14},
              {"MYSTR(n)", "MYSTR(n)", 8}, {"mystr(1)&\"\"", "MYSTR(1) & \"\"", 8}},
             &l);
    struct { const char* formula; std::vector<std::string> calls; } cases[] = {
        {"a-b*c", {"CheckVariable:c", "CheckVariable:b", "CheckVariable:a"}},
        {"AND(x,y)", {"CheckVariable:x", "CheckVariable:y"}},
        {"g(x)", {"CheckUserFunction:G"}},  // a user function's variables are not typed
        {"\"q\"\"\"&A1", {"CheckVariable:A1"}},
    };
    for (const auto& c : cases) {
        l.calls.clear();
        print(c.formula, &l);
        EXPECT_EQ(l.calls, c.calls) << c.formula;
    }
}

TEST(Printer, ListenerErrorsAndSources) {
    struct Rejecting : IExpressionListener {
        void CheckVariable(const std::string&, std::int32_t&, std::int32_t& n, std::string& d) override {
            n = 424, d = "no variable";
        }
        void CheckUserFunction(const std::string&, CExpElmStack&, std::int32_t&, std::int32_t& n, std::string& d) override {
            n = 99, d = "no function";
        }
    } l;
    const Outcome v = print("x+1", &l), f = print("f(1)", &l);
    EXPECT_EQ(v.number, 424);
    EXPECT_EQ(v.text, "no variable");
    EXPECT_EQ(v.source, "CGNTExpression.PostfixToInfix()\\CGNTExpression.p_CheckVariableType()");
    EXPECT_EQ(f.number, 99);
    EXPECT_EQ(f.text, "no function");
    EXPECT_EQ(f.source, "");
    EXPECT_EQ(print("1+").source, "");
}

TEST(Printer, HandMadePostfix) {
    struct { std::vector<ExpElement> postfix; const char* description; } cases[] = {
        {{{")", ekDelimiter, 30}}, "错误的表达式。"},
        {{{"1", ekNumber, 99}, {",", ekDelimiter, 2}}, "错误的表达式。"},
        {{{",", ekDelimiter, 2}}, "错误的表达式。"},
        {{{"1", ekNumber, 99}, {"F", ekFunction, 99}}, "期望配对的右括号。"},
        {{{"x", ekExpression | 14, 99}}, ""},
        {{{"1", ekNumber, 99}, {"1", ekNumber, 99}, {"%", ekOperator, 0}}, ""},
    };
    for (const auto& c : cases) {
        std::int32_t type = 77;
        const Outcome o = outcomeOf([&] { return std::pair(CGNTExpression().PostfixToInfix(stackOf(c.postfix), type), 0); });
        EXPECT_EQ(o.number, 35);
        EXPECT_EQ(o.text, c.description);
        EXPECT_EQ(type, 77);  // a failed call leaves the type alone
    }
}

// A formula that evaluates prints to a text that evaluates to the same value.
TEST(Printer, PrintedFormulasEvaluateAlike) {
    std::mt19937 rng(12345);
    auto pick = [&](const auto& from) { return from[rng() % std::size(from)]; };
    const char* leaves[] = {"1", "2.5", "0", "TRUE", "FALSE", "\"a\"", "\"7\"", "\"x\"\"y\"", "x", "3"};
    const char* binary[] = {"+", "-", "*", "/", "^", "&", ";", "=", "<>", ">", ">=", "<", "<="};
    const char* calls[] = {"INT(%)", "ROUND(%,1)", "TRUNC(%,)", "NOT(%)", "LEN(%)", "LEFT(%,2)",
                           "IF(%,1,\"n\")", "AND(%,TRUE)", "MOD(%,3)", "SIGN(%)", "-%", "(%)"};
    ScriptedListener l;
    l.variables["x"] = "4";
    int evaluated = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> pool = {pick(leaves), pick(leaves), pick(leaves), pick(leaves)};
        for (int step = 0; step < 6; ++step) {  // built bottom-up from the pool, without recursion
            std::string made = pick(calls), operand = pick(pool);
            if (rng() % 2) made = operand + pick(binary) + pick(pool);
            else made.replace(made.find('%'), 1, operand);
            pool.push_back(made);
        }
        const Outcome original = evaluate(pool.back(), &l);
        if (!original.ok) continue;
        ++evaluated;
        const Outcome p = print(pool.back());
        ASSERT_TRUE(p.ok) << pool.back() << ": " << p.text;
        const Outcome again = evaluate(p.text, &l);
        EXPECT_EQ(again.text, original.text) << pool.back() << " printed as " << p.text;
        EXPECT_EQ(again.kind, original.kind) << pool.back() << " printed as " << p.text;
    }
    EXPECT_GT(evaluated, 500);
}

// Deep nesting prints without recursion, and long chains in linear time.
TEST(Printer, DeepNestingAndLongChains) {
    const int depth = 20000;
    EXPECT_EQ(print(std::string(depth, '(') + "1" + std::string(depth, ')')).text, "1");
    EXPECT_EQ(print(std::string(depth, '-') + "1").kind, 14);
    std::string f = "1";
    for (int i = 0; i < depth; ++i) f += "&\"ab\"";
    EXPECT_EQ(evaluate(f).text.size(), 1u + 2u * depth);
    const Outcome p = print(f);
    EXPECT_EQ(p.text.size(), 1u + 7u * depth);
    EXPECT_EQ(p.kind, 8);
}
