// Each catalogue query on the catalogue named by $NEMRO_BENCH_CATALOGUE, with an
// unchanged file (the cached catalogue model, checked against the file on every query) and,
// for the fill of the categories, after a touch of the file (a parse per query).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/catalogue_model.h"
#include "nemro/classic_lists.h"
#include "nemro/function_index.h"
#include "nemro/toolkit.h"

namespace nemro::bench {
namespace {

class Metrics : public ITextMetrics {
  public:
    int TextHeight(const std::string&) const override { return 195; }
};

class Label : public ILabel {
  public:
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
    std::string caption;
};

// A list box without a window; selecting does not fire anything.
class List : public IListBox {
  public:
    void Clear() override { items.clear(), index = -1; }
    void AddItem(const std::string& text) override { items.push_back(text); }
    std::string ItemText(int i) const override { return items.at(static_cast<size_t>(i)); }
    int ListCount() const override { return static_cast<int>(items.size()); }
    int ListIndex() const override { return index; }
    void SetListIndex(int i) override { index = i; }
    std::string Text() const override {
        return index < 0 ? "" : items.at(static_cast<size_t>(index));
    }
    void EnableVerticalScrollBar(bool) override {}
    int ClientHeight() const override { return 3000; }
    std::vector<std::string> items;
    int index = -1;
};

struct Subject {
    std::string path;
    std::string category;      // the last displayed category but the one listing all
    std::string function;      // the function with the most arguments
    std::string argumentName;  // its last argument's name
    std::int16_t arguments = 0;
};

}  // namespace

const Subject& subject() {
    static const Subject s = [] {
        Subject r;
        const char* p = std::getenv("NEMRO_BENCH_CATALOGUE");
        if (!p || !*p) {
            std::fprintf(stderr, "set NEMRO_BENCH_CATALOGUE to a FormulaSet.xml\n");
            std::exit(2);
        }
        r.path = p;
        Metrics m;
        List categories, names;
        FillFunctionCategory(m, categories, r.path);
        r.category =
            categories.items.at(categories.items.size() >= 2 ? categories.items.size() - 2 : 0);
        for (const auto& c : categories.items) {
            FillFunctionName(m, names, c, r.path);
            for (const auto& f : names.items) {
                const std::int16_t n = getArgumentCount(f, r.path);
                if (n > r.arguments) r.arguments = n, r.function = f;
            }
        }
        r.argumentName = getArgumentPara(r.function, "Value", r.arguments, r.path);
        return r;
    }();
    return s;
}

namespace {

void describe(benchmark::State& state) {
    state.SetLabel(subject().function + " with " + std::to_string(subject().arguments) +
                   " arguments");
}

void BM_FillFunctionCategory(benchmark::State& state) {
    Metrics m;
    List list;
    for (auto _ : state) FillFunctionCategory(m, list, subject().path);
}
BENCHMARK(BM_FillFunctionCategory);

// A file that changed since the last query is parsed again: every iteration sets a new
// modification time, so this is the cost of a query that parses.
void BM_FillFunctionCategory_Changed(benchmark::State& state) {
    Metrics m;
    List list;
    timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
    long long tick = 1'000'000'000LL;
    for (auto _ : state) {
        times[1].tv_sec = static_cast<time_t>(tick / 1'000'000'000LL);
        times[1].tv_nsec = static_cast<long>(tick % 1'000'000'000LL);
        ++tick;
        utimensat(AT_FDCWD, subject().path.c_str(), times, 0);
        FillFunctionCategory(m, list, subject().path);
    }
}
BENCHMARK(BM_FillFunctionCategory_Changed);

void BM_FillFunctionName(benchmark::State& state) {
    Metrics m;
    List list;
    for (auto _ : state) FillFunctionName(m, list, subject().category, subject().path);
}
BENCHMARK(BM_FillFunctionName);

void BM_FillFunctionName_All(benchmark::State& state) {
    Metrics m;
    List list;
    for (auto _ : state) FillFunctionName(m, list, "全部函数", subject().path);
    state.counters["functions"] = static_cast<double>(list.items.size());
}
BENCHMARK(BM_FillFunctionName_All);

void BM_GetFunctionInfo(benchmark::State& state) {
    Label value, title;
    for (auto _ : state) GetFunctionInfo(value, title, subject().function, subject().path);
    describe(state);
}
BENCHMARK(BM_GetFunctionInfo);

void BM_getArgumentCount(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(getArgumentCount(subject().function, subject().path));
    describe(state);
}
BENCHMARK(BM_getArgumentCount);

void BM_getArgumentPara(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(getArgumentPara(subject().function, "Description",
                                                 subject().arguments, subject().path));
    describe(state);
}
BENCHMARK(BM_getArgumentPara);

void BM_CheckArgNum(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CheckArgNum(subject().function, subject().path));
    describe(state);
}
BENCHMARK(BM_CheckArgNum);

void BM_getArgDatatypeDesc(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            getArgDatatypeDesc(subject().function, subject().argumentName, subject().path));
    describe(state);
}
BENCHMARK(BM_getArgDatatypeDesc);

void BM_isExistFormula(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(isExistFormula(subject().function, subject().path));
    describe(state);
}
BENCHMARK(BM_isExistFormula);

// The first index of a process also loads ICU's pinyin rules; later ones find the readings
// of the characters they have seen.
double firstIndexMs() {
    static const double ms = [] {
        const auto catalogue = loadCatalogue(subject().path);
        const auto start = std::chrono::steady_clock::now();
        FunctionIndex index(catalogue);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    }();
    return ms;
}

void BM_FunctionIndex_Build(benchmark::State& state) {
    state.counters["first_ms"] = firstIndexMs();
    const auto catalogue = loadCatalogue(subject().path);
    for (auto _ : state) FunctionIndex index(catalogue);
    state.counters["functions"] = static_cast<double>(catalogue->functions.size());
}
BENCHMARK(BM_FunctionIndex_Build)->Unit(benchmark::kMillisecond);

// Queries as a user types them: names, pinyin, initials, Chinese, full-width, no match.
const char* const kQueries[] = {"sswr", "r",    "round", "ＲＯＵ",       "pjz",        "wbcd",
                                "文本", "长度", "func",  "FUNC1",        "bigargs30",  "fenlei",
                                "fl",   "计算", "wbcd",  "zhangdu",      "jisuanjine", "js",
                                "返回", "x",    "zzzz",  "si she wu ru", "cd"};

// Each query's median time, so that a preempted run does not count; the figures are the
// median and the worst of those.
void BM_FunctionIndex_Search(benchmark::State& state) {
    const auto index = loadFunctionIndex(subject().path);
    std::vector<std::vector<double>> us(std::size(kQueries));
    std::size_t hits = 0;
    for (auto _ : state) {
        for (std::size_t q = 0; q < std::size(kQueries); ++q) {
            const auto start = std::chrono::steady_clock::now();
            hits += index->search(kQueries[q]).size();
            us[q].push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& times : us) {
        std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
        medians.push_back(times[times.size() / 2]);
    }
    std::sort(medians.begin(), medians.end());
    state.counters["median_us"] = medians[medians.size() / 2];
    state.counters["worst_us"] = medians.back();
    state.counters["queries"] = static_cast<double>(std::size(kQueries));
    benchmark::DoNotOptimize(hits);
}
BENCHMARK(BM_FunctionIndex_Search)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nemro::bench

int main(int argc, char** argv) {
    nemro::bench::subject();  // found once, before any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
