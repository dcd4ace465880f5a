// One long formula of about BYTES bytes, evaluated; prints one JSON line with the time
// per byte and the peak memory the evaluation added: heap bytes (counted exactly) and
// the resident set (in pages, as the system sees it). Run once per size, each in its own
// process, so that the peak of one size does not hide the next.
//
//   nemro_bench_scaling BYTES
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "nemro/expression.h"
#include "nemro/message_box.h"

namespace {

// A report line's worth of arithmetic, text and calls, chained with "+".
constexpr const char* kUnit = "(12.5+A1)*3-LEN(\"合计\")+ROUND(7.25*B2,1)-MOD(17,5)/2+";

std::string makeFormula(std::size_t bytes) {
    std::string f;
    f.reserve(bytes + 64);
    while (f.size() + 64 < bytes) f += kUnit;
    while (f.size() + 2 < bytes) f += "1+";
    return f + "1";
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: nemro_bench_scaling BYTES\n");
        return 2;
    }
    const std::size_t bytes = std::strtoull(argv[1], nullptr, 10);
    nemro::setMessageBox([](const std::string&, nemro::MsgIcon, const std::string&) {});
    const std::string formula = makeFormula(bytes);
    nemro::CGNTExpression expression;
    const long before = peakKiB();
    nemro::bench::resetPeak();
    const std::uint64_t liveBefore = nemro::bench::liveBytes();
    // Every size is run for about the same total time (at least five runs) and the median
    // run counts: the best of many short runs would catch a quiet moment of a shared
    // machine that a few long runs do not. Processor time, for the same reason.
    std::vector<double> runs;
    double total = 0;
    bool ok = false;
    std::string text;
    while (runs.size() < 5 || (total < 0.5 && runs.size() < 1000)) {
        const double start = cpuSeconds();
        const nemro::ExpElement result = expression.Evaluate(formula, &ok);
        runs.push_back(cpuSeconds() - start);
        total += runs.back();
        text = result.Text;
    }
    std::sort(runs.begin(), runs.end());
    const double best = runs[runs.size() / 2];
    const long after = peakKiB();
    const std::uint64_t heapPeak = nemro::bench::peakBytes() - liveBefore;
    std::printf(
        "{\"bytes\": %zu, \"seconds\": %.9g, \"ns_per_byte\": %.6g, \"peak_added_bytes\": %llu, "
        "\"rss_added_bytes\": %ld, \"ok\": %s, \"result\": \"%s\"}\n",
        formula.size(), best, best * 1e9 / static_cast<double>(formula.size()),
        static_cast<unsigned long long>(heapPeak), (after - before) * 1024L, ok ? "true" : "false",
        text.c_str());
    return ok ? 0 : 1;
}
