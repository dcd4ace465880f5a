// Every catalogue query and a search on a mutated catalogue file: each answers or raises
// NemroError.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "nemro/catalogue.h"
#include "nemro/catalogue_lint.h"
#include "nemro/classic_lists.h"
#include "nemro/error.h"
#include "nemro/function_index.h"
#include "nemro/toolkit.h"

namespace {

class List : public nemro::IListBox {
  public:
    std::vector<std::string> items;
    int index = -1;
    void Clear() override { items.clear(), index = -1; }
    void AddItem(const std::string& t) override { items.push_back(t); }
    std::string ItemText(int i) const override { return items.at(static_cast<std::size_t>(i)); }
    int ListCount() const override { return static_cast<int>(items.size()); }
    int ListIndex() const override { return index; }
    void SetListIndex(int i) override {
        if (i < 0 || i >= ListCount()) throw nemro::NemroError(380, "List", "index");
        index = i;
    }
    std::string Text() const override {
        return index < 0 ? "" : items[static_cast<std::size_t>(index)];
    }
    void EnableVerticalScrollBar(bool) override {}
    int ClientHeight() const override { return 600; }
};
class Label : public nemro::ILabel {
  public:
    std::string text;
    std::string Caption() const override { return text; }
    void SetCaption(const std::string& c) override { text = c; }
};
class Metrics : public nemro::ITextMetrics {
  public:
    int TextHeight(const std::string&) const override { return 195; }
};

template <typename Fn>
void quietly(Fn&& fn) {
    try {
        fn();
    } catch (const nemro::NemroError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Memory-backed when the system has it: rewriting a file on disk tens of thousands of
    // times a second costs more than the queries.
    static const std::string path =
        std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
        "/nemro-fuzz-catalogue-" + std::to_string(::getpid()) + ".xml";
    nemro::fuzz::Input in(data, size);
    const std::string document = in.part();
    const std::string name = in.part();
    const std::string other = in.part();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << document;
    // A distinct time long past lets the queries share one parse of this version.
    static long long version = 0;
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {1'000'000'000 + ++version / 1'000'000'000, static_cast<long>(version % 1'000'000'000)}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);

    Metrics metrics;
    List categories, functions;
    Label value, description;
    quietly([&] { nemro::FillFunctionCategory(metrics, categories, path); });
    // A few of each: the queries take every path on the first entries as well as on the
    // rest, and fewer queries an input reach far more inputs.
    constexpr std::size_t kEach = 3;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < categories.items.size() && i < kEach; ++i) {
        quietly([&] { nemro::FillFunctionName(metrics, functions, categories.items[i], path); });
        for (std::size_t j = 0; j < functions.items.size() && j < kEach; ++j)
            names.push_back(functions.items[j]);
    }
    quietly([&] { nemro::FillFunctionName(metrics, functions, other, path); });
    names.push_back(name);
    for (const std::string& n : names) {
        quietly([&] { nemro::GetFunctionInfo(value, description, n, path); });
        quietly([&] { nemro::CheckArgNum(n, path); });
        quietly([&] { nemro::isExistFormula(n, path); });
        quietly([&] {
            const std::int16_t count = nemro::getArgumentCount(n, path);
            for (std::int16_t i = 0; i <= count && i < 8; ++i) {
                quietly([&] { nemro::getArgumentPara(n, "Value", i, path); });
                quietly([&] { nemro::getArgumentPara(n, other, i, path); });
            }
        });
        quietly([&] { nemro::getArgDatatypeDesc(n, other, path); });
    }
    quietly([&] { nemro::lintCatalogue(path); });
    quietly([&] {
        const auto index = nemro::loadFunctionIndex(path);
        index->search(name);
        index->search(other, kEach);
    });
    return 0;
}
