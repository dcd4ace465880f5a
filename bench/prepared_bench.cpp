// Formulas evaluated over rows: a prepared formula per row beside muparser (variables
// defined once, SetExpr once, Eval per row) and beside our own Evaluate per row with a
// listener. One benchmark iteration evaluates one row; each formula of variables.txt
// takes kRows rows in turn before the next one, so the time per iteration is the time
// per row.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "corpus.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/prepared.h"

namespace nemro::bench {
namespace {

constexpr std::size_t kRows = 100;
constexpr std::size_t kFormulas = 2000;

// Row r's values of a, b, c and d: numbers of 0.5 to 10 with two decimals, as numbers
// and as the texts a listener answers.
struct Rows {
    std::vector<std::array<double, 4>> numbers;
    std::vector<std::array<std::string, 4>> texts;
};
const Rows& rows() {
    static const Rows r = [] {
        Rows out;
        std::uint32_t seed = 12345;
        for (std::size_t i = 0; i < kRows; ++i) {
            std::array<double, 4> n{};
            std::array<std::string, 4> t;
            for (std::size_t v = 0; v < 4; ++v) {
                seed = seed * 1664525u + 1013904223u;
                const unsigned cents = 50 + (seed >> 8) % 951;
                char text[16];
                std::snprintf(text, sizeof text, "%u.%02u", cents / 100, cents % 100);
                t[v] = text;
                n[v] = std::stod(text);
            }
            out.numbers.push_back(n);
            out.texts.push_back(t);
        }
        return out;
    }();
    return r;
}

std::vector<std::string> formulas() {
    const auto& all = corpus("variables.txt");
    return {all.begin(),
            all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), kFormulas))};
}

// Steps through the rows of one formula, then the next formula.
struct Cursor {
    std::size_t formula = 0, row = 0;
    void next(std::size_t formulaCount) {
        if (++row < kRows) return;
        row = 0;
        if (++formula == formulaCount) formula = 0;
    }
};

void BM_Prepared_PerRow(benchmark::State& state) {
    std::vector<CPreparedExpression> prepared;
    for (const std::string& f : formulas()) prepared.emplace_back(f);
    const Rows& r = rows();
    Cursor at;
    std::size_t failed = 0;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(
                prepared[at.formula].EvaluateNumber(std::span<const double>(r.numbers[at.row])));
        } catch (const NemroError&) {
            ++failed;
        }
        at.next(prepared.size());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed_share"] =
        static_cast<double>(failed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Prepared_PerRow);

// The result's text made as well, as Evaluate hands it out.
void BM_Prepared_PerRow_Text(benchmark::State& state) {
    std::vector<CPreparedExpression> prepared;
    for (const std::string& f : formulas()) prepared.emplace_back(f);
    const Rows& r = rows();
    Cursor at;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(
                prepared[at.formula].Evaluate(std::span<const double>(r.numbers[at.row])));
        } catch (const NemroError&) {
        }
        at.next(prepared.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Prepared_PerRow_Text);

// The plain path: the same formulas as postfix programs over raw doubles, with no
// rounding, no texts and no errors. It measures the machine beside the other figures, so
// that their guards can be ratios to it.
struct PlainProgram {
    enum Op : std::uint8_t { Number, Var, Add, Sub, Mul, Div, Pow, Neg };
    struct Step {
        Op op;
        std::uint8_t var;
        double value;
    };
    std::vector<Step> steps;

    explicit PlainProgram(const std::string& f) {
        std::vector<char> ops;  // '(' or an operator; 'n' is unary minus
        const auto prec = [](char o) {
            return o == '^' ? 3 : o == 'n' ? 4 : o == '*' || o == '/' ? 2 : 1;
        };
        const auto emit = [&](char o) {
            const Op code = o == '+'   ? Add
                            : o == '-' ? Sub
                            : o == '*' ? Mul
                            : o == '/' ? Div
                            : o == '^' ? Pow
                                       : Neg;
            steps.push_back({code, 0, 0});
        };
        bool operand = true;  // an operand is expected next
        for (std::size_t i = 0; i < f.size();) {
            const char c = f[i];
            if (operand && c == '-') {
                ops.push_back('n'), ++i;
            } else if (c == '(') {
                ops.push_back('('), ++i;
            } else if (c == ')') {
                while (ops.back() != '(') emit(ops.back()), ops.pop_back();
                ops.pop_back(), ++i, operand = false;
            } else if (c >= 'a' && c <= 'd') {
                steps.push_back({Var, static_cast<std::uint8_t>(c - 'a'), 0}), ++i, operand = false;
            } else if (operand) {
                std::size_t used = 0;
                steps.push_back({Number, 0, std::stod(f.substr(i), &used)}), i += used,
                    operand = false;
            } else {
                while (!ops.empty() && ops.back() != '(' &&
                       (prec(ops.back()) > prec(c) || (prec(ops.back()) == prec(c) && c != '^')))
                    emit(ops.back()), ops.pop_back();
                ops.push_back(c), ++i, operand = true;
            }
        }
        while (!ops.empty()) emit(ops.back()), ops.pop_back();
    }
    double run(const std::array<double, 4>& v) const {
        double stack[64];
        std::size_t n = 0;
        for (const Step& s : steps) {
            switch (s.op) {
                case Number:
                    stack[n++] = s.value;
                    continue;
                case Var:
                    stack[n++] = v[s.var];
                    continue;
                case Neg:
                    stack[n - 1] = -stack[n - 1];
                    continue;
                default:
                    break;
            }
            const double r = stack[--n];
            double& l = stack[n - 1];
            l = s.op == Add   ? l + r
                : s.op == Sub ? l - r
                : s.op == Mul ? l * r
                : s.op == Div ? l / r
                              : std::pow(l, r);
        }
        return stack[0];
    }
};

void BM_Plain_PerRow(benchmark::State& state) {
    std::vector<PlainProgram> programs;
    for (const std::string& f : formulas()) programs.emplace_back(f);
    const Rows& r = rows();
    Cursor at;
    for (auto _ : state) {
        benchmark::DoNotOptimize(programs[at.formula].run(r.numbers[at.row]));
        at.next(programs.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Plain_PerRow);

// Library functions in the numeric route: payroll-like rounding of sums, per row.
void BM_Prepared_Library_PerRow(benchmark::State& state) {
    const std::array<CPreparedExpression, 3> prepared = {
        CPreparedExpression("ROUNDUP(SUM(a,b,c)*d,2)"),
        CPreparedExpression("SUM(a,b)-ROUNDUP(c/3,1)+d"),
        CPreparedExpression("ROUNDUP(SUM(a,b,c,d)*0.08,1)")};
    const Rows& r = rows();
    std::size_t row = 0, formula = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            prepared[formula].Evaluate(std::span<const double>(r.numbers[row])));
        if (++row == kRows) row = 0, formula = (formula + 1) % prepared.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Prepared_Library_PerRow);

void BM_Peer_Muparser_PerRow(benchmark::State& state) {
    std::array<double, 4> values{};
    std::vector<std::unique_ptr<mu::Parser>> parsers;
    for (const std::string& f : formulas()) {
        auto p = std::make_unique<mu::Parser>();
        for (std::size_t v = 0; v < 4; ++v)
            p->DefineVar(std::string(1, static_cast<char>('a' + v)), &values[v]);
        p->SetExpr(f);
        parsers.push_back(std::move(p));
    }
    const Rows& r = rows();
    Cursor at;
    std::size_t failed = 0;
    for (auto _ : state) {
        values = r.numbers[at.row];
        try {
            benchmark::DoNotOptimize(parsers[at.formula]->Eval());
        } catch (const mu::Parser::exception_type&) {
            ++failed;
        }
        at.next(parsers.size());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed_share"] =
        static_cast<double>(failed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Peer_Muparser_PerRow);

// The listener a host writes today: each variable answered by name, as text.
struct RowListener : IExpressionListener {
    const std::array<std::string, 4>* row = nullptr;
    void UserVariable(const std::string& Name, std::string& Value) override {
        if (Name.size() == 1 && Name[0] >= 'a' && Name[0] <= 'd')
            Value = (*row)[static_cast<std::size_t>(Name[0] - 'a')];
    }
};

void BM_Evaluate_PerRow_Listener(benchmark::State& state) {
    const std::vector<std::string> list = formulas();
    RowListener listener;
    CGNTExpression expression(&listener);
    const Rows& r = rows();
    Cursor at;
    for (auto _ : state) {
        listener.row = &r.texts[at.row];
        try {
            benchmark::DoNotOptimize(expression.EvaluateOrThrow(list[at.formula]));
        } catch (const NemroError&) {
        }
        at.next(list.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Evaluate_PerRow_Listener);

}  // namespace
}  // namespace nemro::bench

BENCHMARK_MAIN();
