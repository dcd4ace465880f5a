// The argument dialog's live preview without a GUI, on the function with the most
// arguments of the catalogue named by $NEMRO_BENCH_CATALOGUE: one keystroke in a dialog
// whose every field has text, with the rows kept between keystrokes and with every row
// evaluated afresh (the function's arguments read once, as the dialog reads them at
// load), and the paste of a 10 MB field.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nemro/argument_preview.h"
#include "nemro/catalogue.h"

namespace nemro::bench {
namespace {

struct Subject {
    std::string path;
    std::string function = "BIGARGS30";
    std::vector<std::string> fields;
};

const Subject& subject() {
    static const Subject s = [] {
        Subject r;
        const char* p = std::getenv("NEMRO_BENCH_CATALOGUE");
        if (!p || !*p) {
            std::fprintf(stderr, "set NEMRO_BENCH_CATALOGUE to a FormulaSet.xml\n");
            std::exit(2);
        }
        r.path = p;
        if (!isExistFormula(r.function, r.path)) {
            std::fprintf(stderr, "%s has no %s\n", p, r.function.c_str());
            std::exit(2);
        }
        // Fields as users fill them: numbers, a variable, text and built-in calls.
        const char* texts[] = {"ROUND(x*1.17,2)", "\"文本\"&LEFT(\"abc\",2)", "IF(x>3,1,2)",
                               "3.14159"};
        const int n = getArgumentCount(r.function, r.path);
        for (int i = 0; i < n; ++i) r.fields.push_back(texts[i % 4]);
        return r;
    }();
    return s;
}

const dialogs::SampleValueLookup kSamples = [](const std::string& name) {
    return name == "x" ? std::optional<std::string>("8000") : std::nullopt;
};

// The field being typed into grows and shrinks by a digit, so that every keystroke
// changes one row and the formula.
void keystroke(std::vector<std::string>& fields, std::size_t& count) {
    std::string& typed = fields[count++ % fields.size()];
    if (typed.back() == '9')
        typed.pop_back();
    else
        typed += "+9";
}

void BM_PreviewKeystroke(benchmark::State& state) {
    const Subject& s = subject();
    dialogs::ArgumentPreviewer previewer(s.function, s.path, kSamples);
    std::vector<std::string> fields = s.fields;
    previewer.update(fields);
    std::size_t count = 0;
    for (auto _ : state) {
        keystroke(fields, count);
        benchmark::DoNotOptimize(previewer.update(fields).result.text.size());
    }
    state.counters["arguments"] = static_cast<double>(fields.size());
}
BENCHMARK(BM_PreviewKeystroke)->Unit(benchmark::kMicrosecond);

void BM_PreviewKeystroke_EveryRow(benchmark::State& state) {
    const Subject& s = subject();
    dialogs::ArgumentPreviewer previewer(s.function, s.path, kSamples);
    std::vector<std::string> fields = s.fields;
    std::size_t count = 0;
    for (auto _ : state) {
        keystroke(fields, count);
        previewer.reset();
        benchmark::DoNotOptimize(previewer.update(fields).result.text.size());
    }
    state.counters["arguments"] = static_cast<double>(fields.size());
}
BENCHMARK(BM_PreviewKeystroke_EveryRow)->Unit(benchmark::kMicrosecond);

// A pasted 10 MB field: its row, the formula's check and its value, once.
void BM_PreviewPaste10MB(benchmark::State& state) {
    const Subject& s = subject();
    std::string big;
    while (big.size() < 10 * 1024 * 1024) big += "1+";
    big += "1";
    std::vector<std::string> fields = s.fields;
    for (auto _ : state) {
        dialogs::ArgumentPreviewer previewer(s.function, s.path, kSamples);
        fields[0] = big;
        benchmark::DoNotOptimize(previewer.update(fields).rows[0].text.size());
    }
}
BENCHMARK(BM_PreviewPaste10MB)->Unit(benchmark::kMillisecond)->Iterations(2);

// Folding what an input method typed into a 10 MB field.
void BM_FoldFullWidth10MB(benchmark::State& state) {
    std::string big;
    while (big.size() < 10 * 1024 * 1024) big += "ＳＵＭ（１，\"（\"）＋";
    for (auto _ : state) benchmark::DoNotOptimize(dialogs::foldFullWidth(big, big.size()).cursor);
}
BENCHMARK(BM_FoldFullWidth10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace nemro::bench

BENCHMARK_MAIN();
