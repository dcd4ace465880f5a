// A prepared formula gives what Evaluate gives with a listener answering the same values.
#include "nemro/prepared.h"

#include <cmath>
#include <fstream>
#include <random>

#include "eval_helpers.h"
#include "values.h"

namespace nemro::testing {
namespace {

// Answers as the listener would be answered, and records every callback with its arguments.
struct Recorder : ScriptedListener {
    void UserFunction(const std::string& n, CExpElmStack& args, std::string& v) override {
        CExpElmStack copy = args;
        ExpElement el;
        std::string line = "UserFunction:" + n;
        while (copy.Pop(el)) line += "|" + std::to_string(el.Kind) + ":" + el.Text;
        calls.push_back(line);
        v = "0";
    }
};

Outcome outcomeOf(const CPreparedExpression& p, const auto& values, IExpressionListener* l) {
    return testing::outcomeOf([&] {
        const ExpElement r = p.Evaluate(values, l);
        return std::pair(r.Text, r.Kind);
    });
}

// Each variable gets a value of a random sort; bad answers and errors included.
VariableValue randomValue(std::mt19937& rng) {
    static const std::vector<VariableValue> pool = {
        {ekNumber, "12.5"},  {ekNumber, " 7 "},  {ekNumber, "-3E+2"}, {ekNumber, "0"},
        {ekString, "abc"},   {ekString, "12"},   {ekString, "a\"b"},  {ekString, ""},
        {ekBoolean, "true"}, {ekEmpty, "#7"},    {ekEmpty, ""},       {ekEmpty, "junk"},
        {ekEmpty, "\"q\""},  {ekString, "True"}, {ekNumber, "1e400"}};
    return pool[rng() % pool.size()];
}

double randomNumber(std::mt19937& rng) {
    static const double pool[] = {0,   -0.0, 1,       -2.5,  1e-9, 123456789012345678.0,
                                  0.1, 1e36, 3.14159, -1e300};
    return rng() % 3 ? pool[rng() % std::size(pool)] : static_cast<double>(rng() % 100000) / 100;
}

// The library on, and a registered function beside it.
const FunctionSettings& functions() {
    static const FunctionSettings s = [] {
        FunctionSettings f = FunctionSettings::WithLibrary();
        auto registry = std::make_shared<CFunctionRegistry>();
        registry->Register("TAX", 1, 1, [](std::span<const FunctionValue> a) {
            return FunctionValue::Number(a[0].ToNumber() * 0.2);
        });
        f.Functions = registry;
        return f;
    }();
    return s;
}

void expectSame(const std::string& formula, std::mt19937& rng,
                const std::vector<double>& fixed = {}) {
    std::unique_ptr<CPreparedExpression> p;
    const Outcome prepared = testing::outcomeOf([&] {
        p = std::make_unique<CPreparedExpression>(formula, functions());
        return std::pair(std::string(), 0);
    });
    Recorder expected;
    if (!prepared.ok) {  // a syntax error: prepared fails as Evaluate does
        const Outcome want = evaluate(formula, &expected, &functions());
        EXPECT_EQ(prepared, want) << formula;
        EXPECT_EQ(prepared.place, want.place) << formula;
        return;
    }
    const auto& names = p->Variables();
    std::vector<VariableValue> texts;
    std::vector<double> numbers;
    for (std::size_t i = 0; i < names.size(); ++i)
        texts.push_back(randomValue(rng)), numbers.push_back(randomNumber(rng));
    if (!fixed.empty()) {  // the same values as numbers and as their texts
        numbers = fixed;
        for (std::size_t i = 0; i < names.size(); ++i)
            texts[i] = {ekNumber, detail::formatNumber(numbers[i])};
    }
    for (int round = 0; round < 3; ++round) {
        Recorder listener, got;
        for (std::size_t i = 0; i < names.size(); ++i)
            listener.variables[names[i]] = round == 2 ? detail::formatNumber(numbers[i])
                                           : texts[i].Kind == ekString
                                               ? CGNTExpression::StrVal2Exp(texts[i].Text)
                                               : texts[i].Text;
        const Outcome want = evaluate(formula, &listener, &functions());
        Outcome have;
        if (round == 0) have = outcomeOf(*p, std::span<const VariableValue>(texts), &got);
        if (round == 1) {
            const VariableCallback answer = [&](std::size_t i, VariableValue& v) { v = texts[i]; };
            have = outcomeOf(*p, answer, &got);
        }
        if (round == 2) have = outcomeOf(*p, std::span<const double>(numbers), &got);
        EXPECT_EQ(have, want) << formula << " round " << round;
        EXPECT_EQ(have.place, want.place) << formula << " round " << round;
        if (round != 1 && want.ok && want.kind == ekNumber) {  // the result as a double
            const Outcome number = testing::outcomeOf([&] {
                const double n =
                    round == 0 ? p->EvaluateNumber(texts, &got) : p->EvaluateNumber(numbers, &got);
                return std::pair(std::to_string(n), 0);
            });
            EXPECT_EQ(number, testing::outcomeOf([&] {
                          return std::pair(std::to_string(detail::readNumber(want.text)), 0);
                      }))
                << formula << " round " << round;
            got.calls.resize(got.calls.size() / 2);  // the calls of a second evaluation
        }
        std::erase_if(listener.calls,
                      [](const std::string& c) { return c.starts_with("UserVariable:"); });
        EXPECT_EQ(got.calls, listener.calls) << formula;
    }
}

TEST(Prepared, SameAsEvaluateOverTheCorpusSample) {
    std::ifstream corpus(NEMRO_SAMPLE_CORPUS);
    std::mt19937 rng(7);
    std::string formula;
    int count = 0;
    for (; std::getline(corpus, formula); ++count) expectSame(formula, rng);
    EXPECT_GT(count, 5000);
    // The arithmetic with variables, which takes the numeric route where it can.
    std::ifstream variables(std::string(NEMRO_SAMPLE_CORPUS)
                                .replace(std::string(NEMRO_SAMPLE_CORPUS).rfind('/'),
                                         std::string::npos, "/variables.txt"));
    for (count = 0; std::getline(variables, formula); ++count) expectSame(formula, rng);
    EXPECT_GT(count, 1000);
    // clang-format off
    for (const char* f : {"F(x, 1, G(y))&x", "IF(x>1, y, z)", "x&(1/0)", "(1", "  ", "1 2", "-x^2", "AND(x, y)", "MOD(x,0)",
                          "SUM(x,y,)*2", "ROUNDUP(x*1.1,y)", "CEILING(x,y)+FLOOR(x,0.5)", "AVERAGE(x,y)-MAX(x,y)+MIN(y,3)",
                          "SQRT(x)+POWER(x,y)+ABS(y)", "PRODUCT(x,y,2)", "ROUNDDOWN(x/3,2)", "TEXT(x,\"0.00\")&UPPER(y)",
                          "TAX(x)+SUM(TAX(y),1)", "DATE(2026,x,y)", "COUNT(x,y,\"a\")", "SUM(x)+F(y)", "SUM(1,2)", "PI()*x"})
        for (int i = 0; i < 20; ++i) expectSame(f, rng);
    // clang-format on
}

// Printing what the printer printed gives the same text again.
TEST(Printer, PrintedTextIsAFixedPoint) {
    std::ifstream corpus(NEMRO_SAMPLE_CORPUS);
    std::vector<std::string> formulas{"2*-3",  "a^-b*c", "(a^-b)*c", "2*(-3)/4",
                                      "--a*b", "x-(-y)", "-a^2*-b"};
    for (std::string f; std::getline(corpus, f);) formulas.push_back(f);
    for (const std::string& f : formulas) {
        const Outcome once = print(f);
        if (!once.ok) continue;
        EXPECT_EQ(print(once.text), once) << f;
        EXPECT_EQ(evaluate(once.text), evaluate(f)) << f;
    }
}

// The numeric route rounds each step as the evaluator does, and leaves it where it cannot.
TEST(Prepared, ArithmeticAsTheEvaluatorRoundsIt) {
    std::mt19937 rng(1);
    // clang-format off
    const std::vector<std::pair<const char*, std::vector<double>>> rows = {
        {"a+b-c", {0.1, 0.2, 0.3}}, {"a-b", {1.0000000000001, 1}}, {"a-b", {10.5, 2}}, {"a+b", {0.7, 0.3}},
        {"a*b", {123456789, 987654321}}, {"a*b*c", {1e-7, 1e-7, 1e-9}}, {"a-b+1", {99999999999999.9, 0.05}},
        {"a*b/c", {3.3, 3, 0}}, {"-a*b", {12345678.9, 1234567.89}}, {"a-b", {1e15, 1}}, {"a+b", {999999999999999, 1}},
        {"0.1*3-a", {0.3}}, {"a*0.001", {1e-20}}, {"a^b+1.5", {2, 0.5}}, {"1.50+a", {0}},
        {"ROUNDUP(a+b,1)", {0.1, 0.2}}, {"ROUNDUP(a,2)", {1.005}}, {"CEILING(a*3,a)", {0.1}}, {"SUM(a,b,c)/3", {0.1, 0.2, 0.3}},
        {"SQRT(a)", {-1}}, {"AVERAGE(a,b)", {1e300, 1e300}}, {"POWER(a,b)", {-8, 1.0 / 3}}};
    // clang-format on
    for (const auto& [formula, values] : rows) expectSame(formula, rng, values);
}

// Random sums, differences, products and quotients of short decimals, of 15-digit ones
// and of neighbours that cancel, where the exact decimals must round as the doubles do.
TEST(Prepared, RandomArithmeticAsTheEvaluatorRoundsIt) {
    std::mt19937 rng(31);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto number = [&](double near) {
        const double scale = std::pow(10.0, pick(24) - 10);
        switch (pick(4)) {
            case 0:  // a short decimal
                return (pick(2) ? -1 : 1) * static_cast<double>(rng() % 1000000) /
                       std::pow(10, pick(5));
            case 1:  // 15 significant digits
                return std::stod(std::to_string(100000000000000 + rng() % 900000000000000ULL) +
                                 "e" + std::to_string(pick(30) - 20));
            case 2:  // close to an earlier value
                return near + static_cast<double>(pick(2000) - 1000) * std::fabs(near) * 1e-15;
            default:
                return static_cast<double>(pick(100000)) * scale;
        }
    };
    for (int i = 0; i < 6000; ++i) {
        std::string formula = "a";
        std::vector<double> values = {number(1)};
        for (int terms = 1 + pick(4); terms > 0; --terms) {
            formula += "+-*/+-*"[pick(7)];
            if (pick(4) == 0) {
                formula += pick(2) ? "0.1" : "3";
                continue;
            }
            values.push_back(number(values.back()));
            formula += static_cast<char>('a' + values.size() - 1);
        }
        values.push_back(number(values[0]));  // for b when the formula has only a
        if (pick(3) == 0) formula = "ROUND(" + formula + "," + std::to_string(pick(5) - 1) + ")";
        expectSame(pick(3) ? formula : "-(" + formula + ")*b", rng, values);
    }
}

TEST(Prepared, ResultAsANumber) {
    const std::vector<VariableValue> values = {{ekString, "2"}, {ekBoolean, "True"}};
    EXPECT_EQ(CPreparedExpression("x&1").EvaluateNumber(values), 21);
    EXPECT_EQ(CPreparedExpression("y").EvaluateNumber(std::span(values).subspan(1)), 1);
    EXPECT_EQ(CPreparedExpression("x/4").EvaluateNumber(std::span<const double>()), 0);
    EXPECT_EQ(testing::outcomeOf([] {
                  CPreparedExpression("\"a\"&1").EvaluateNumber(std::span<const double>());
                  return std::pair(std::string(), 0);
              }).number,
              err::TypeMismatch);
}

TEST(Prepared, ListsVariablesAndUserFunctions) {
    const CPreparedExpression p("F(a, b)+g(a)&ROUND(B, 2)&f(1)");
    EXPECT_EQ(p.Variables(), (std::vector<std::string>{"a", "b", "B"}));
    EXPECT_EQ(p.UserFunctions(), (std::vector<std::string>{"F", "G"}));
    EXPECT_EQ(CPreparedExpression("SUM(a)&f(1)").UserFunctions(), std::vector<std::string>{"F"});
    EXPECT_EQ(CPreparedExpression("SUM(a)", FunctionSettings()).UserFunctions(),
              std::vector<std::string>{"SUM"});
}

}  // namespace
}  // namespace nemro::testing
