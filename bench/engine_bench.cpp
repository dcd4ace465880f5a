// Engine figures over the generated corpus, and muparser on the numeric subset in the
// same run. One benchmark iteration handles one formula, so the time per iteration is
// the time per formula; the corpus is cycled through in order.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <string>
#include <vector>

#include "alloc_counter.h"
#include "corpus.h"
#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/message_box.h"
#include "nemro/text.h"

namespace nemro::bench {
namespace {

// Formula errors would otherwise be written out; the figures are for the engine alone.
void silenceMessages() {
    static const bool once =
        (setMessageBox([](const std::string&, MsgIcon, const std::string&) {}), true);
    (void)once;
}

std::size_t elementCount(const std::string& formula) {
    detail::Tokenizer tokenizer(formula);
    detail::Token el;
    std::size_t n = 0;
    try {
        while (tokenizer.p_GetNextElement(el)) ++n;
    } catch (const NemroError&) {
    }
    return n;
}

// The tokenizer as InfixToPostfix drives it: UTF-8 in, checked for well-formedness,
// every element out.
void BM_Tokenizer(benchmark::State& state) {
    const auto& formulas = corpus("corpus.txt");
    std::size_t i = 0, bytes = 0;
    detail::Token el;
    for (auto _ : state) {
        const std::string& f = formulas[i];
        if (++i == formulas.size()) i = 0;
        benchmark::DoNotOptimize(text::isValidUtf8(f));
        detail::Tokenizer tokenizer(f);
        while (tokenizer.p_GetNextElement(el)) benchmark::DoNotOptimize(el);
        bytes += f.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Tokenizer);

void BM_InfixToPostfix(benchmark::State& state) {
    const auto& formulas = corpus("corpus.txt");
    CGNTExpression expression;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& f = formulas[i];
        if (++i == formulas.size()) i = 0;
        try {
            benchmark::DoNotOptimize(expression.InfixToPostfix(f));
        } catch (const NemroError&) {
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InfixToPostfix);

// Evaluate as the argument dialog calls it (conversion and evaluation, message box
// off), with the heap allocations it makes per formula and per element.
void evaluateCorpus(benchmark::State& state, const char* file) {
    silenceMessages();
    const auto& formulas = corpus(file);
    CGNTExpression expression;
    std::size_t i = 0, failed = 0, elements = 0;
    std::vector<std::size_t> counts;
    counts.reserve(formulas.size());
    for (const auto& f : formulas) counts.push_back(elementCount(f));
    const std::uint64_t before = allocationCount();
    for (auto _ : state) {
        bool ok = false;
        benchmark::DoNotOptimize(expression.Evaluate(formulas[i], &ok));
        failed += !ok;
        elements += counts[i];
        if (++i == formulas.size()) i = 0;
    }
    const double allocations = static_cast<double>(allocationCount() - before);
    const auto n = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    state.counters["allocs_per_formula"] = allocations / n;
    state.counters["allocs_per_element"] =
        elements ? allocations / static_cast<double>(elements) : 0;
    state.counters["failed_share"] = static_cast<double>(failed) / n;
}

void BM_Evaluate(benchmark::State& state) {
    evaluateCorpus(state, "corpus.txt");
}
BENCHMARK(BM_Evaluate);

// The same work on the two subsets the peers handle.
void BM_Evaluate_Numeric(benchmark::State& state) {
    evaluateCorpus(state, "numeric.txt");
}
BENCHMARK(BM_Evaluate_Numeric);
void BM_Evaluate_Shared(benchmark::State& state) {
    evaluateCorpus(state, "shared.txt");
}
BENCHMARK(BM_Evaluate_Shared);

void BM_PostfixToInfix(benchmark::State& state) {
    const auto& formulas = corpus("corpus.txt");
    CGNTExpression expression;
    std::vector<CExpElmStack> postfix;
    postfix.reserve(formulas.size());
    for (const auto& f : formulas) {
        try {
            postfix.push_back(expression.InfixToPostfix(f));
        } catch (const NemroError&) {
        }
    }
    std::size_t i = 0;
    std::int32_t type = 0;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(expression.PostfixToInfix(postfix[i], type));
        } catch (const NemroError&) {
        }
        if (++i == postfix.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostfixToInfix);

// muparser: one parser object, SetExpr and Eval per formula, as a host would use it.
void BM_Peer_Muparser(benchmark::State& state) {
    const auto& formulas = corpus("numeric.txt");
    mu::Parser parser;
    std::size_t i = 0, failed = 0;
    for (auto _ : state) {
        try {
            parser.SetExpr(formulas[i]);
            benchmark::DoNotOptimize(parser.Eval());
        } catch (const mu::Parser::exception_type&) {
            ++failed;
        }
        if (++i == formulas.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed_share"] =
        static_cast<double>(failed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Peer_Muparser);

}  // namespace
}  // namespace nemro::bench

BENCHMARK_MAIN();
