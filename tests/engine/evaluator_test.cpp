#include <span>

#include "eval_helpers.h"
#include "nemro/message_box.h"
#include "nemro/prepared.h"

using namespace nemro;
using namespace nemro::testing;

TEST(Evaluator, OperatorsAndTheirErrors) {
    checkAll({
        {"1+2*3", 0, "7", ekNumber},
        {"7-10", 0, "-3", ekNumber},
        {"-5/4", 0, "-1.25", ekNumber},
        {"7/0", 0, "0", ekNumber},
        {"0/0", 0, "0", ekNumber},
        {"2^-3*4", 0, "0.000244140625", ekNumber},
        {"-2^2", 0, "-4", ekNumber},
        {"2^0.5*2^0.5", 0, "2.00000000000001", ekNumber},  // 1.4142135623731 squared
        {"1000000*1000000000", 0, "1E+15", ekNumber},
        {"1/100000", 0, "1E-05", ekNumber},
        {"-0", 0, "0", ekNumber},
        {"TRUE+1", 0, "2", ekNumber},
        {"-TRUE", 0, "-1", ekNumber},
        {"-\"5\"", 0, "-5", ekNumber},
        {"\"true\"+1", 0, "2", ekNumber},
        {"12.5%*2", 0, "0.25", ekNumber},
        {"-\"abc\"", 13, "无法将字符串“abc”转化为数值类型。", 0,
         "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\CGNTExpression.p_ToNumber()"},
        {"\"a\"+\"b\"", 13, "无法将字符串“b”转化为数值类型。"},
        {"(-8)^(1/3)", 5, "无效的过程调用或参数。"},
        {"0^-1", 5, "无效的过程调用或参数。"},
        {"10^400", 6, "溢出。", 0, "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()"},
        {"1E+300", 35, "缺乏运算符。"},
        {"99999999999^30*99999999999^30", 6, "溢出。"},
        // concatenation keeps the written text
        {"1.50&\"x\"", 0, "1.50x", ekString},
        {"TRUE&1", 0, "True1", ekString},
        {"\"a\";\"b\"", 0, "ab", ekString},
        {"1/4&\"\"", 0, "0.25", ekString},
        {"\"\"&\"\"", 0, "", ekString},
        // comparisons: a number on either side compares numerically
        {"\"abc\"=\"ABC\"", 0, "True", ekBoolean},
        {"\"a\"<\"b\"", 0, "True", ekBoolean},
        {"\"b\"<=\"a\"", 0, "False", ekBoolean},
        {"\"5\"=5", 0, "True", ekBoolean},
        {"\"abc\"=5", 13, "无法将字符串“abc”转化为数值类型。"},
        {"TRUE<FALSE", 0, "True", ekBoolean},
        {"TRUE=\"true\"", 0, "True", ekBoolean},
        {"FALSE<>\"x\"", 13, "无法将字符串“x”转化为 Boolean 类型。"},
        {"TRUE=1", 0, "True", ekBoolean},
        {"2>=2", 0, "True", ekBoolean},
        {"2<>2", 0, "False", ekBoolean},
        {"1<2=TRUE", 0, "True", ekBoolean},
        // structure
        {"1+", 34, "双目运算符“+”缺少操作数。", 0,
         "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()"},
        {"  ", 35, "空的表达式。", 0, "CGNTExpression.Evaluate()"},
        {"(1", 35, "期望配对的右括号。", 0, "CGNTExpression.Evaluate()\\位置：3 公式:\r\n(1"},
        {"-", 34, "单目运算符“-”缺乏操作数。"},
        {"()", 34, "操作数与运算符数目不匹配。"},
        {"f(,)", 35, "错误的自定义函数“F”。"},
        {"1&", 34, "双目运算符“&”缺少操作数。"},
    });
}

// A number is its text: a literal keeps the text as written until it is computed with,
// and a computed number behaves as its 15-digit text would, read back, in every later
// step. Each case runs with and without a listener, which take different routes.
TEST(Evaluator, NumbersBehaveAsTheirTexts) {
    const Row rows[] = {
        {"007", 0, "007", ekNumber},
        {"IF(1,007,2)", 0, "007", ekNumber},
        {"LEFT(0012,3)", 0, "001", ekString},
        {"-007", 0, "-7", ekNumber},
        {"0.10*1", 0, "0.1", ekNumber},
        {"\"\xff\"&007", 0, "\uFFFD007", ekString},  // repaired text, literal kept
        {"(0.1+0.2)=0.3", 0, "True", ekBoolean},
        {"1/3&\"\"", 0, "0.333333333333333", ekString},
        {"(1/3)*3", 0, "0.999999999999999", ekNumber},
        {"ROUND(1/3*3,14)", 0, "1", ekNumber},
        {"NOT(1/3-0.333333333333333)", 0, "True", ekBoolean},  // the difference read is 0
        {"1.7976931348623157*10^308", 0, "1.79769313486232E+308", ekNumber},
        {"(1.7976931348623157*10^308)*1", 6, "溢出。"},  // that text reads as an overflow
        {"MOD(1.7976931348623157*10^308,2)", 6, "溢出。"},
    };
    ScriptedListener l;
    for (const auto& r : rows) check(r), check(r, &l);
}

// Postfix forms no conversion makes, evaluated and printed (nullptr: printing succeeds).
TEST(Evaluator, HandMadePostfixErrors) {
    const ExpElement one{"1", ekNumber, 99}, empty{"", ekEmpty, 99};
    const char *mismatch = "操作数与运算符数目不匹配。", *invalid = "计算表达式中存在无效的元素。";
    struct {
        std::vector<ExpElement> postfix;
        std::int32_t number;
        const char* evaluated;
        const char* printed;
    } cases[] = {
        {{one, {"2", ekNumber, 99}}, 34, mismatch, mismatch},
        {{empty}, 35, invalid, nullptr},
        {{{"(", ekDelimiter, 30}}, 35, invalid, nullptr},
        {{{"x", ekVariable | vtNumber, 99}}, 35, invalid, ""},
        {{{"x", ekExpression | vtNumber, 99}}, 35, invalid, ""},
        {{one, empty, {"+", ekOperator, 24}}, 35, invalid, "双目运算符“+”缺少操作数。"},
        {{one, {"LEN", ekFunction, 99}}, 34, "期望配对的右括号。", "期望配对的右括号。"},
        {{one, one, {"%", ekOperator, 0}}, 35, invalid, ""},
        {{{")", ekDelimiter, 30}}, 35, invalid, "错误的表达式。"},
        {{one, {",", ekDelimiter, 2}}, 34, mismatch, "错误的表达式。"},
        {{{",", ekDelimiter, 2}}, 35, invalid, "错误的表达式。"},
    };
    for (const auto& c : cases) {
        const Outcome o = outcomeOf(
            [&] { return std::pair(CGNTExpression().DoEvaluate(stackOf(c.postfix)).Text, 0); });
        EXPECT_EQ(std::pair(o.number, o.text), std::pair(c.number, std::string(c.evaluated)));
        EXPECT_EQ(o.source.rfind("CGNTExpression.DoEvaluate()", 0), 0u) << o.source;
        std::int32_t type = 77;
        const Outcome p = outcomeOf([&] {
            return std::pair(CGNTExpression().PostfixToInfix(stackOf(c.postfix), type), 0);
        });
        if (!c.printed) continue;
        EXPECT_EQ(std::pair(p.number, p.text), std::pair(35, std::string(c.printed)))
            << c.evaluated;
        EXPECT_EQ(type, 77);  // a failed call leaves the type alone
    }
}

TEST(Evaluator, VariablesResolveThroughTheListener) {
    ScriptedListener l;
    l.variables = {{"s", " \"12\" "}, {"n", "12"},     {"b", "tRuE"},
                   {"e7", "#7"},      {"e25", "#2.5"}, {"e0", "#0"},
                   {"ex", "#x"},      {"w", "word"},   {"q", "\"say \"\"hi\"\"\""},
                   {"lone", "\""}};
    const Row rows[] = {
        {"s", 0, "12", ekString},
        {"n", 0, "12", ekNumber},
        {"b", 0, "True", ekBoolean},
        {"q", 0, "say \"hi\"", ekString},
        {"unanswered", 0, "0", ekNumber},
        {"unanswered+1", 0, "1", ekNumber},
        {"e7", 7, "变量“e7”的返回值无效。", 0,
         "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\CGNTExpression.p_"
         "CheckOperand()"},
        {"e25", 2, "变量“e25”的返回值无效。"},
        {"e0", 13, "变量“e0”的返回值无效。"},
        {"ex", 13, "变量“ex”的返回值无效。"},
        {"w", 13, "变量“w”的返回值无效。"},
        {"lone", 5, "无效的过程调用或参数。"},
        {"s&n", 0, "1212", ekString},
    };
    for (const Row& r : rows) check(r, &l);
}

TEST(Evaluator, CallbacksComeRightOperandFirstAndOncePerOccurrence) {
    checkCalls({
        {"a=b", {"UserVariable:b", "UserVariable:a"}},
        {"x+x", {"UserVariable:x", "UserVariable:x"}},
        {"bad+ok", {"UserVariable:ok", "UserVariable:bad"}},  // the right resolved, the left fails
        {"abs(x)", {"UserFunction:ABS"}},  // a user function's arguments stay unresolved
        {"AND(FALSE,a)", {}},              // short-circuited
        {"OR(a,b)", {"UserVariable:a", "UserVariable:b"}},  // unanswered: 0 is false, so both
        {"IF(c,a,b)", {"UserVariable:c", "UserVariable:a", "UserVariable:b"}},  // both branches
    });
}

// Evaluate shows the description alone, and nothing on success.
TEST(Evaluator, EvaluateShowsOnlyTheDescription) {
    std::vector<std::string> shown;
    auto old = setMessageBox([&](const std::string& t, MsgIcon icon, const std::string& title) {
        shown.push_back(
            icon == MsgIcon::Critical && title == "公式输入有误!" ? t : "another box: " + t);
    });
    for (const char* in : {"", "   ", "1 2", "\"x", "MOD(5,0)", "1+2"}) {
        bool ok = true;
        const std::string text = CGNTExpression().Evaluate(in, &ok).Text;
        shown.push_back(text + (ok ? " ok" : ""));
    }
    setMessageBox(old);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"空的表达式。", "", "空的表达式。", "", "缺乏运算符。", "",
                                        "期望配对的双引号。", "", "除数为零。", "", "3 ok"}));
}

namespace {

Outcome stepwise(const std::string& formula, IExpressionListener* listener) {
    CGNTExpression e(listener);
    Outcome o = outcomeOf([&] {
        const ExpElement r = e.DoEvaluate(e.InfixToPostfix(formula));
        return std::pair(r.Text, r.Kind);
    });
    if (!o.ok) o.source = "CGNTExpression.Evaluate()\\" + o.source;
    return o;
}

const ScriptedListener answering({{"A1", "5"}, {"S", "\"ab\""}, {"BAD", "#11"}, {"B", "TRUE"}},
                                 {{"MYSUM", "0"}, {"NOVAL", "7"}});

// A formula of more than 4096 bytes of short terms, with `middle` placed in the middle of them.
std::string longFormula(const std::string& term, const std::string& op, const std::string& middle) {
    const size_t terms = 5000 / (term.size() + op.size()) + 1;
    std::string f;
    for (size_t i = 0; i < terms; ++i) f += (i ? op : "") + (i == terms / 2 ? middle : term);
    return f;
}

// With a listener, Evaluate converts a short formula whole and a long one twice (a syntax
// pass, then straight into the evaluator); without one, it evaluates while converting and
// holds back an evaluation error until the conversion has found no syntax error. Every
// way it must answer exactly what evaluating the postfix form of InfixToPostfix answers:
// the same value or error (number, source, description) after the same listener
// callbacks in the same order.
TEST(EvaluatePaths, LongAndShortFormulasAnswerAsTheirPostfixForm) {
    const std::vector<std::string> middles = {
        "1",          "A1*2",          "\"x\"", "BAD",        "MYSUM(A1,S)", "NOVAL(1)",
        "UNKNOWN(2)", "LEFT(S,-1)",    "1/0",   "(1",         "1)",          "1 2",
        "\"open",     "1.2.3",         ".",     "IF(B,S,A1)", "AND(B,,B)",   "MOD(5,0)",
        "-(-A1)^2",   "LEN(\"元\")&S", ",",     "+*",         "x(",          "ROUND(A1,)"};
    const std::vector<std::pair<std::string, std::string>> chains = {
        {"(A1+2)", "+"}, {"S", "&"}, {"LEN(S)", "-"}, {"B", "="}, {"ROUND(A1*1.5,1)", "*"}};
    for (const auto& [term, op] : chains) {
        for (const auto& middle : middles) {
            ASSERT_GT(longFormula(term, op, middle).size(), 4096u);
            for (const std::string& f : {longFormula(term, op, middle), term + op + middle, middle,
                                         middle + op + term + ")", middle + op + "\"open"}) {
                ScriptedListener a = answering, b = answering;
                EXPECT_EQ(evaluate(f, &a), stepwise(f, &b)) << f.substr(0, 80);
                EXPECT_EQ(a.calls, b.calls) << f.substr(0, 80);
                EXPECT_EQ(evaluate(f), stepwise(f, nullptr)) << f.substr(0, 80);
            }
        }
    }
}

// A syntax error at the very end of a long formula is found before any operand is
// asked of the listener, as when the postfix form is made first.
TEST(EvaluatePaths, LongFormulaWithALateSyntaxErrorRaisesNoCallback) {
    ScriptedListener l = answering;
    EXPECT_EQ(evaluate(longFormula("A1", "+", "A1") + "+(", &l).text, "期望配对的右括号。");
    EXPECT_TRUE(l.calls.empty());
}

}  // namespace

// Where an error lies, as data: "位置：N" of a syntax error, and otherwise the operator,
// function or variable that failed, in UTF-16 code units from 1. The same whether the
// evaluation runs while the formula converts, after it (with a listener, long or short)
// or over a prepared formula.
TEST(Evaluator, ErrorsCarryTheirPlace) {
    const std::string wide(4100, ' ');  // a listener's evaluation converts this twice
    const struct {
        std::string formula;
        const char* place;  // position and length; "0 0" where none is known
    } rows[] = {
        {"基本工资+", "5 1"},
        {"1+", "2 1"},
        {"(1", "3 0"},
        {"LEN(", "5 0"},
        {"1 2", "3 0"},
        {"1,2", "2 0"},
        {"\"a\"+1", "4 1"},
        {"\"a\"\"b\"+1", "7 1"},  // after a literal the tokenizer rewrote
        {"中文&(x+\"y\")", "6 1"},
        {"😀&(1+\"a\")", "6 1"},  // a character beyond the BMP counts two
        {"1+MOD(1,0)", "3 3"},
        {"LEFT(\"abc\",1,2,3)", "1 4"},
        {"1&nosuch(2)", "3 6"},
        {"1+(2>\"x\")", "5 1"},
        {"-\"abc\"", "0 0"},  // the converter's own negation has no place in the text
        {"()", "0 0"},        // the operand count, found only at the end
        {wide + "1+", "4102 1"},
    };
    IExpressionListener listener;
    for (const auto& r : rows) {
        const Outcome plain = evaluate(r.formula);
        EXPECT_EQ(plain.place, r.place) << r.formula;
        EXPECT_EQ(evaluate(r.formula, &listener).place, r.place) << r.formula;
        const Outcome prepared = outcomeOf([&] {
            const ExpElement e = CPreparedExpression(r.formula).Evaluate(std::span<const double>());
            return std::pair(e.Text, e.Kind);
        });
        EXPECT_EQ(prepared.place, r.place) << r.formula;
        // A syntax error's place is the one its source names.
        if (const auto at = plain.source.find("位置："); at != std::string::npos)
            EXPECT_EQ(std::to_string(std::stoi(plain.source.substr(at + 9))),
                      std::string(r.place).substr(0, std::string(r.place).find(' ')));
    }
}
