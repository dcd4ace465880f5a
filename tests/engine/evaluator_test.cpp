#include <gtest/gtest.h>

#include "eval_helpers.h"
#include "nemro/message_box.h"
#include "values.h"

using namespace nemro;
using namespace nemro::testing;

namespace {

struct Case {
    const char* formula;
    std::int32_t number;  // 0: success
    std::int32_t kind;    // on success
    const char* text;     // result text, or the error description
};

void check(const Case& c, IExpressionListener* listener = nullptr) {
    const Outcome o = evaluate(c.formula, listener);
    if (c.number == 0) {
        EXPECT_TRUE(o.ok) << c.formula << ": " << o.number << " " << o.text;
        EXPECT_EQ(o.kind, c.kind) << c.formula;
    } else {
        EXPECT_FALSE(o.ok) << c.formula << " gave " << o.text;
        EXPECT_EQ(o.number, c.number) << c.formula;
    }
    EXPECT_EQ(o.text, c.text) << c.formula;
}

}  // namespace

TEST(Evaluator, Arithmetic) {
    const Case cases[] = {
        {"1+2*3", 0, ekNumber, "7"},
        {"(1+2)*3", 0, ekNumber, "9"},
        {"7-10", 0, ekNumber, "-3"},
        {"1/2", 0, ekNumber, "0.5"},
        {"-5/4", 0, ekNumber, "-1.25"},
        {"1/3*3", 0, ekNumber, "0.999999999999999"},
        {"7/0", 0, ekNumber, "0"},
        {"0/0", 0, ekNumber, "0"},
        {"2^10", 0, ekNumber, "1024"},
        {"2^-3*4", 0, ekNumber, "0.000244140625"},
        {"-2^2", 0, ekNumber, "-4"},
        {"2^0.5*2^0.5", 0, ekNumber, "2.00000000000001"},  // 1.4142135623731 squared
        {"1000000*1000000000", 0, ekNumber, "1E+15"},
        {"1/100000", 0, ekNumber, "1E-05"},
        {"0-0", 0, ekNumber, "0"},
        {"-0", 0, ekNumber, "0"},
        {"TRUE+1", 0, ekNumber, "2"},
        {"-TRUE", 0, ekNumber, "-1"},
        {"-\"5\"", 0, ekNumber, "-5"},
        {"\"2\"*\"3\"", 0, ekNumber, "6"},
        {"\"true\"+1", 0, ekNumber, "2"},
        {"12.5%*2", 0, ekNumber, "0.25"},
        {"-\"abc\"", 13, 0, "无法将字符串“abc”转化为数值类型。"},
        {"\"a\"+\"b\"", 13, 0, "无法将字符串“b”转化为数值类型。"},
        {"(-8)^(1/3)", 5, 0, "无效的过程调用或参数。"},
        {"0^-1", 5, 0, "无效的过程调用或参数。"},
        {"10^400", 6, 0, "溢出。"},
        {"1E+300", 35, 0, "缺乏运算符。"},
        {"99999999999^30*99999999999^30", 6, 0, "溢出。"},
    };
    for (const auto& c : cases) check(c);
}

TEST(Evaluator, ConcatenationKeepsWrittenText) {
    const Case cases[] = {
        {"1.50&\"x\"", 0, ekString, "1.50x"},
        {"TRUE&1", 0, ekString, "True1"},
        {"\"a\";\"b\"", 0, ekString, "ab"},
        {"1/4&\"\"", 0, ekString, "0.25"},
        {"\"\"&\"\"", 0, ekString, ""},
    };
    for (const auto& c : cases) check(c);
}

// A number is its text: a literal keeps the text as written until it is computed with,
// and a computed number behaves as its 15-digit text would, read back, in every later
// step. Each case runs with and without a listener, which take different routes.
TEST(Evaluator, NumbersBehaveAsTheirTexts) {
    const Case cases[] = {
        {"007", 0, ekNumber, "007"},
        {"IF(1,007,2)", 0, ekNumber, "007"},
        {"LEFT(0012,3)", 0, ekString, "001"},
        {"-007", 0, ekNumber, "-7"},
        {"0.10*1", 0, ekNumber, "0.1"},
        {"\"\xff\"&007", 0, ekString, "\xEF\xBF\xBD" "007"},  // repaired text, literal kept
        {"(0.1+0.2)=0.3", 0, ekBoolean, "True"},
        {"1/3*3=1", 0, ekBoolean, "False"},
        {"1/3&\"\"", 0, ekString, "0.333333333333333"},
        {"(1/3)*3", 0, ekNumber, "0.999999999999999"},
        {"ROUND(1/3*3,14)", 0, ekNumber, "1"},
        {"NOT(1/3-0.333333333333333)", 0, ekBoolean, "True"},  // the difference read is 0
        {"1.7976931348623157*10^308", 0, ekNumber, "1.79769313486232E+308"},
        {"(1.7976931348623157*10^308)*1", 6, 0, "溢出。"},  // that text reads as an overflow
        {"MOD(1.7976931348623157*10^308,2)", 6, 0, "溢出。"},
    };
    ScriptedListener l;
    for (const auto& c : cases) {
        check(c);
        check(c, &l);
    }
}

TEST(Evaluator, Comparisons) {
    const Case cases[] = {
        {"0.1+0.2=0.3", 0, ekBoolean, "True"},
        {"\"abc\"=\"ABC\"", 0, ekBoolean, "True"},
        {"\"a\"<\"b\"", 0, ekBoolean, "True"},
        {"\"b\"<=\"a\"", 0, ekBoolean, "False"},
        {"\"5\"=5", 0, ekBoolean, "True"},
        {"\"abc\"=5", 13, 0, "无法将字符串“abc”转化为数值类型。"},
        {"TRUE>FALSE", 0, ekBoolean, "False"},
        {"TRUE<FALSE", 0, ekBoolean, "True"},
        {"TRUE=\"true\"", 0, ekBoolean, "True"},
        {"TRUE=\"1\"", 0, ekBoolean, "True"},
        {"FALSE<>\"x\"", 13, 0, "无法将字符串“x”转化为 Boolean 类型。"},
        {"TRUE=1", 0, ekBoolean, "True"},  // a number on either side compares numerically
        {"2>=2", 0, ekBoolean, "True"},
        {"2<>2", 0, ekBoolean, "False"},
        {"3>2", 0, ekBoolean, "True"},
        {"1<2=TRUE", 0, ekBoolean, "True"},
    };
    for (const auto& c : cases) check(c);
}

TEST(Evaluator, StructureErrors) {
    const Case cases[] = {
        {"1+", 34, 0, "双目运算符“+”缺少操作数。"},
        {"-", 34, 0, "单目运算符“-”缺乏操作数。"},
        {"()", 34, 0, "操作数与运算符数目不匹配。"},
        {"f(,)", 35, 0, "错误的自定义函数“F”。"},
        {"1&", 34, 0, "双目运算符“&”缺少操作数。"},
        {"1=", 34, 0, "双目运算符“=”缺少操作数。"},
    };
    for (const auto& c : cases) check(c);
}

TEST(Evaluator, HandMadePostfixErrors) {
    struct {
        std::vector<ExpElement> postfix;  // first to last
        std::int32_t number;
        const char* description;
    } cases[] = {
        {{{"1", ekNumber, 99}, {"2", ekNumber, 99}}, 34, "操作数与运算符数目不匹配。"},
        {{{"", ekEmpty, 99}}, 35, "计算表达式中存在无效的元素。"},
        {{{"(", ekDelimiter, 30}}, 35, "计算表达式中存在无效的元素。"},
        {{{"x", ekVariable | vtNumber, 99}}, 35, "计算表达式中存在无效的元素。"},
        {{{"1", ekNumber, 99}, {"", ekEmpty, 99}, {"+", ekOperator, 24}}, 35,
         "计算表达式中存在无效的元素。"},
        {{{"1", ekNumber, 99}, {"LEN", ekFunction, 99}}, 34, "期望配对的右括号。"},
        {{{"1", ekNumber, 99}, {"1", ekNumber, 99}, {"%", ekOperator, 0}}, 35,
         "计算表达式中存在无效的元素。"},
    };
    for (const auto& c : cases) {
        CExpElmStack s;
        for (auto it = c.postfix.rbegin(); it != c.postfix.rend(); ++it) s.Push(*it);
        try {
            CGNTExpression().DoEvaluate(s);
            ADD_FAILURE() << c.description;
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), c.number) << c.description;
            EXPECT_EQ(e.description(), c.description);
            EXPECT_EQ(e.source().rfind("CGNTExpression.DoEvaluate()", 0), 0u) << e.source();
        }
    }
}

TEST(Evaluator, VariablesResolveThroughTheListener) {
    ScriptedListener l;
    l.variables = {{"s", " \"12\" "}, {"n", "12"}, {"b", "tRuE"}, {"e7", "#7"},
                   {"e25", "#2.5"}, {"e0", "#0"}, {"eneg", "#-3"}, {"ex", "#x"},
                   {"w", "word"}, {"q", "\"say \"\"hi\"\"\""}, {"lone", "\""}};
    const Case cases[] = {
        {"s", 0, ekString, "12"},
        {"n", 0, ekNumber, "12"},
        {"b", 0, ekBoolean, "True"},
        {"q", 0, ekString, "say \"hi\""},
        {"unanswered", 0, ekNumber, "0"},
        {"unanswered+1", 0, ekNumber, "1"},
        {"e7", 7, 0, "变量“e7”的返回值无效。"},
        {"e25", 2, 0, "变量“e25”的返回值无效。"},
        {"e0", 13, 0, "变量“e0”的返回值无效。"},
        {"eneg", 13, 0, "变量“eneg”的返回值无效。"},
        {"ex", 13, 0, "变量“ex”的返回值无效。"},
        {"w", 13, 0, "变量“w”的返回值无效。"},
        {"lone", 5, 0, "无效的过程调用或参数。"},
        {"s&n", 0, ekString, "1212"},
    };
    for (const auto& c : cases) check(c, &l);
}

TEST(Evaluator, CallbacksComeRightOperandFirstAndOncePerOccurrence) {
    ScriptedListener l;
    evaluate("a=b", &l);
    EXPECT_EQ(l.calls, (std::vector<std::string>{"UserVariable:b", "UserVariable:a"}));
    l.calls.clear();
    evaluate("x", &l);
    EXPECT_EQ(l.calls, (std::vector<std::string>{"UserVariable:x"}));
    l.calls.clear();
    evaluate("x+x", &l);
    EXPECT_EQ(l.calls.size(), 2u);
    l.calls.clear();
    l.variables["bad"] = "oops";
    evaluate("bad+ok", &l);  // the right operand is resolved, then the left fails
    EXPECT_EQ(l.calls, (std::vector<std::string>{"UserVariable:ok", "UserVariable:bad"}));
}

TEST(Evaluator, ErrorSources) {
    ScriptedListener l;
    l.variables["v"] = "#9";
    struct { const char* formula; const char* source; } cases[] = {
        {"1+", "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()"},
        {"v", "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\CGNTExpression.p_CheckOperand()"},
        {"-\"a\"", "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\CGNTExpression.p_ToNumber()"},
        {"10^400", "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()"},
        {"  ", "CGNTExpression.Evaluate()"},
        {"(1", "CGNTExpression.Evaluate()\\位置：3 公式:\r\n(1"},
    };
    for (auto c : cases) EXPECT_EQ(evaluate(c.formula, &l).source, c.source) << c.formula;
    EXPECT_EQ(evaluate("  ").text, "空的表达式。");
}

TEST(NumberText, FormatsLikeFifteenDigitGeneral) {
    struct { double value; const char* text; } cases[] = {
        {3, "3"}, {0.5, "0.5"}, {-1.25, "-1.25"}, {-0.0, "0"}, {1e15, "1E+15"},
        {1e-5, "1E-05"}, {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E+15"}, {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"}, {-1e300, "-1E+300"}, {2.5e-300, "2.5E-300"},
    };
    for (auto c : cases) {
        EXPECT_EQ(detail::formatNumber(c.value), c.text);
        EXPECT_EQ(detail::readNumber(detail::formatNumber(c.value)),
                  std::stod(detail::formatNumber(c.value)));
    }
}

TEST(NumberText, ReadsTheLeadingNumericPart) {
    struct { const char* text; double value; } cases[] = {
        {"12", 12}, {" 12 ", 12}, {"-1.5", -1.5}, {"+.5", 0.5}, {"5.", 5}, {"1.50", 1.5},
        {"1E-05", 1e-5}, {"2e3x", 2000}, {"3e", 3}, {"12abc", 12}, {"abc", 0}, {"", 0},
        {".", 0}, {"1e-400", 0}, {"0.1250", 0.125},
    };
    for (auto c : cases) EXPECT_EQ(detail::readNumber(c.text), c.value) << c.text;
    EXPECT_THROW(detail::readNumber("1e400"), NemroError);
}

TEST(EvaluateMessageBox, FailureShowsOnlyTheDescription) {
    std::vector<std::string> shown;
    auto old = setMessageBox([&](const std::string& t, MsgIcon, const std::string&) { shown.push_back(t); });
    bool ok = true;
    CGNTExpression().Evaluate("MOD(5,0)", &ok);
    EXPECT_FALSE(ok);
    const ExpElement r = CGNTExpression().Evaluate("1+2", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(r.Text, "3");
    setMessageBox(old);
    EXPECT_EQ(shown, (std::vector<std::string>{"除数为零。"}));
}
