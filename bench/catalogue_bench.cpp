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
#include <random>
#include <set>
#include <string>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/catalogue_model.h"
#include "nemro/classic_lists.h"
#include "nemro/formula_completion.h"
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

// Declared names as a payroll or report host has them: Chinese words of two to six
// characters in 20 groups, each with a description; a number tells apart names drawn twice.
std::vector<IndexedName> generatedNames(std::size_t count) {
    static const std::string kHan =
        "基本岗位工资奖金津贴补助扣款社保公积金个人所得税应发实发加班考勤病假事假绩效年终"
        "职务级别薪级工龄住房交通通讯餐费高温夜班出差部门人员姓名编号入职日期合同类型";
    std::mt19937 rng(20261208);
    auto word = [&](std::size_t low, std::size_t high) {
        std::string w;
        for (std::size_t n = std::uniform_int_distribution<std::size_t>(low, high)(rng); n > 0; --n)
            w += kHan.substr(
                3 * std::uniform_int_distribution<std::size_t>(0, kHan.size() / 3 - 1)(rng), 3);
        return w;
    };
    std::vector<std::string> groups;
    for (int g = 0; g < 20; ++g) groups.push_back(word(2, 2) + "项目");
    std::vector<IndexedName> names;
    std::set<std::string> seen;
    while (names.size() < count) {
        std::string name = word(2, 6);
        if (!seen.insert(name).second) name += std::to_string(names.size());
        const std::string& group = groups[names.size() % groups.size()];
        names.push_back({name, group, "本月" + name + "的金额，计入" + group + "的合计"});
    }
    return names;
}

constexpr std::size_t kNames = 10000;

const CompletionIndex& completionIndex() {
    static const CompletionIndex index(loadFunctionIndex(subject().path), generatedNames(kNames));
    return index;
}

void BM_CompletionIndex_Build(benchmark::State& state) {
    const auto functions = loadFunctionIndex(subject().path);
    const std::vector<IndexedName> names = generatedNames(kNames);
    for (auto _ : state) CompletionIndex index(functions, names);
    state.counters["names"] = static_cast<double>(kNames);
}
BENCHMARK(BM_CompletionIndex_Build)->Unit(benchmark::kMillisecond);

// Formulas typed a character at a time with the cursor at the end: each prefix is one
// keystroke. Names by pinyin and initials, functions by name and title, a literal that
// holds a comma and a bracket, calls in calls.
std::vector<std::string> keystrokes() {
    const char* const typed[] = {
        "ROUND(jbgz*0.08,2)+FUNC0012(gwgz,\"文本,(\")",
        "IF(sswr>0,pjz(jiaban,bingjia),wbcd(xingming))",
        "BIGARGS30(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,zzzz)",
        "基本工资+岗位工资-扣款*gjj/gl&\"元\"",
    };
    std::vector<std::string> states;
    for (std::string_view text : typed)
        for (std::size_t i = 1; i <= text.size(); ++i)
            if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                states.emplace_back(text.substr(0, i));
    return states;
}

// Processor time of this thread, as the other figures are: the machine may be shared.
double threadMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// One keystroke in the formula editor: the completion at the cursor, the colours of the
// whole text and the call hint. Each keystroke's median time counts, so that a preempted
// run does not; the figures are the median and the worst of those, for the completion
// alone and for the whole keystroke.
void BM_Completion_Keystroke(benchmark::State& state) {
    const CompletionIndex& index = completionIndex();
    const std::vector<std::string> states = keystrokes();
    std::vector<std::vector<double>> completeUs(states.size()), wholeUs(states.size());
    std::size_t work = 0;
    for (auto _ : state) {
        for (std::size_t k = 0; k < states.size(); ++k) {
            const std::string& text = states[k];
            const std::size_t cursor = static_cast<std::size_t>(-1);
            const double start = threadMicroseconds();
            work += index.complete(text, cursor).candidates.size();
            const double completed = threadMicroseconds();
            work += index.colour(text, cursor).spans.size();
            work += index.callHint(text, cursor).has_value();
            completeUs[k].push_back(completed - start);
            wholeUs[k].push_back(threadMicroseconds() - start);
        }
    }
    auto figures = [&](std::vector<std::vector<double>>& times, const char* name) {
        std::vector<double> medians;
        for (std::vector<double>& t : times) medians.push_back(median(t));
        std::sort(medians.begin(), medians.end());
        state.counters[std::string(name) + "_median_us"] = medians[medians.size() / 2];
        state.counters[std::string(name) + "_worst_us"] = medians.back();
    };
    for (std::size_t k = 0; k < states.size(); ++k)
        std::fprintf(stderr, "%8.1f %8.1f %s\n", median(completeUs[k]), median(wholeUs[k]),
                     states[k].c_str());
    figures(completeUs, "complete");
    figures(wholeUs, "keystroke");
    state.counters["keystrokes"] = static_cast<double>(states.size());
    state.counters["names"] = static_cast<double>(kNames);
    benchmark::DoNotOptimize(work);
}
BENCHMARK(BM_Completion_Keystroke)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nemro::bench

int main(int argc, char** argv) {
    nemro::bench::subject();  // found once, before any timing
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
