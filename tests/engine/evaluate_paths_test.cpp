// With a listener, Evaluate converts a short formula whole and a long one twice (a syntax
// pass, then straight into the evaluator); without one, it evaluates while converting and
// holds back an evaluation error until the conversion has found no syntax error. Every
// way it must answer exactly what evaluating the postfix form of InfixToPostfix answers:
// the same value or error (number, source, description) after the same listener
// callbacks in the same order.
#include "eval_helpers.h"

namespace nemro::testing {
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

ScriptedListener answering() {
    return ScriptedListener({{"A1", "5"}, {"S", "\"ab\""}, {"BAD", "#11"}, {"B", "TRUE"}}, {{"MYSUM", "0"}, {"NOVAL", "7"}});
}

// A formula of more than 4096 bytes of short terms, with `middle` placed in the middle of them.
std::string longFormula(const std::string& term, const std::string& op, const std::string& middle) {
    const size_t terms = 5000 / (term.size() + op.size()) + 1;
    std::string f;
    for (size_t i = 0; i < terms; ++i) f += (i ? op : "") + (i == terms / 2 ? middle : term);
    return f;
}

TEST(EvaluatePaths, LongAndShortFormulasAnswerAsTheirPostfixForm) {
    const std::vector<std::string> middles = {
        "1", "A1*2", "\"x\"", "BAD", "MYSUM(A1,S)", "NOVAL(1)", "UNKNOWN(2)", "LEFT(S,-1)", "1/0", "(1", "1)",
        "1 2", "\"open", "1.2.3", ".", "IF(B,S,A1)", "AND(B,,B)", "MOD(5,0)", "-(-A1)^2", "LEN(\"元\")&S", ",",
        "+*", "x(", "ROUND(A1,)"};
    const std::vector<std::pair<std::string, std::string>> chains = {
        {"(A1+2)", "+"}, {"S", "&"}, {"LEN(S)", "-"}, {"B", "="}, {"ROUND(A1*1.5,1)", "*"}};
    for (const auto& [term, op] : chains) {
        for (const auto& middle : middles) {
            ASSERT_GT(longFormula(term, op, middle).size(), 4096u);
            for (const std::string& f : {longFormula(term, op, middle), term + op + middle, middle,
                                         middle + op + term + ")", middle + op + "\"open"}) {
                ScriptedListener a = answering(), b = answering();
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
    ScriptedListener l = answering();
    EXPECT_EQ(evaluate(longFormula("A1", "+", "A1") + "+(", &l).text, "期望配对的右括号。");
    EXPECT_TRUE(l.calls.empty());
}

}  // namespace
}  // namespace nemro::testing
