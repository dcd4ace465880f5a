// The dialog steps offscreen on the catalogue named by $NEMRO_BENCH_CATALOGUE, which is
// copied to where the dialogs look for it (FormulaSet.xml beside this program): opening
// the chooser, clicking through ten categories, and loading the argument dialog of the
// function with the most arguments; one keystroke in the modern chooser's search and in
// the formula editor.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frm_argument_set.h"
#include "frm_formula_set.h"
#include "frm_modern_chooser.h"
#include "nemro/catalogue.h"
#include "nemro/formula_edit.h"
#include "nemro/function_index.h"
#include "nemro/message_box.h"
#include "nemro/toolkit.h"

namespace nemro::bench {
namespace {

class Metrics : public ITextMetrics {
  public:
    int TextHeight(const std::string&) const override { return 195; }
};

class List : public IListBox {
  public:
    void Clear() override { items.clear(); }
    void AddItem(const std::string& text) override { items.push_back(text); }
    std::string ItemText(int i) const override { return items.at(static_cast<size_t>(i)); }
    int ListCount() const override { return static_cast<int>(items.size()); }
    int ListIndex() const override { return -1; }
    void SetListIndex(int) override {}
    std::string Text() const override { return ""; }
    void EnableVerticalScrollBar(bool) override {}
    int ClientHeight() const override { return 3000; }
    std::vector<std::string> items;
};

std::string gWidest;
std::int16_t gWidestCount = 0;

// The function with the most arguments, found through the queries themselves.
void findWidest() {
    Metrics m;
    List categories, names;
    FillFunctionCategory(m, categories);
    for (const auto& c : categories.items) {
        FillFunctionName(m, names, c);
        for (const auto& f : names.items) {
            const std::int16_t n = getArgumentCount(f);
            if (n > gWidestCount) gWidestCount = n, gWidest = f;
        }
    }
}

void settle() {
    QApplication::processEvents();
}

void BM_OpenChooser(benchmark::State& state) {
    dialogs::Exchange exchange = dialogs::classicExchange();
    for (auto _ : state) {
        auto chooser = std::make_unique<dialogs::frmFormulaSet>(exchange);
        chooser->show();
        settle();
        chooser->hide();
    }
}
BENCHMARK(BM_OpenChooser)->Unit(benchmark::kMillisecond);

// Ten clicks, each listing a category's functions and showing the first one's details.
void BM_ClickTenCategories(benchmark::State& state) {
    dialogs::Exchange exchange = dialogs::classicExchange();
    dialogs::frmFormulaSet chooser(exchange);
    chooser.show();
    settle();
    auto* list = chooser.findChild<QListWidget*>("lstFormulaCategory");
    const int count = list->count();
    int row = 0;
    for (auto _ : state) {
        for (int click = 0; click < 10; ++click) {
            row = (row + 1) % count;
            list->setCurrentRow(row);
            settle();
        }
    }
    state.counters["categories"] = count;
}
BENCHMARK(BM_ClickTenCategories)->Unit(benchmark::kMillisecond);

void BM_LoadArgumentDialog(benchmark::State& state) {
    dialogs::Exchange exchange = dialogs::classicExchange();
    // Re-editing the bare name opens its dialog with empty fields.
    exchange.session.start(gWidest, [](dialogs::Step) {});
    for (auto _ : state) {
        auto dialog = std::make_unique<dialogs::frmArgumentSet>(exchange);
        dialog->show();
        settle();
        dialog->hide();
    }
    state.SetLabel(gWidest + " with " + std::to_string(gWidestCount) + " arguments");
    state.counters["arguments"] = gWidestCount;
}
BENCHMARK(BM_LoadArgumentDialog)->Unit(benchmark::kMillisecond);

// One keystroke in the modern chooser: the search over the whole catalogue and the list
// refreshed with its hits, alternating between queries that hit names, titles by pinyin
// initials, and descriptions.
void BM_ModernChooserKeystroke(benchmark::State& state) {
    dialogs::Exchange exchange = dialogs::modernExchange();
    dialogs::frmModernChooser chooser(exchange);
    chooser.show();
    settle();
    auto* search = chooser.findChild<QLineEdit*>("txtSearch");
    const QString queries[] = {"B", "BI", "BIG", "sj", "sjz", "数", "ROUND", "wb", "x"};
    std::size_t i = 0;
    for (auto _ : state) {
        search->setText(queries[i++ % std::size(queries)]);
        settle();
    }
}
BENCHMARK(BM_ModernChooserKeystroke)->Unit(benchmark::kMillisecond);

// One keystroke in the formula editor over the catalogue and 10,000 declared names: the
// completion with its list, the colours, the call hint and the bracket marks. Keystrokes
// alternate between typing a letter of a name inside a call and taking it back.
void BM_FormulaEditKeystroke(benchmark::State& state) {
    std::vector<IndexedName> names;
    const char* parts[] = {"工资", "津贴", "扣款", "奖金", "补助", "社保", "公积金", "个税"};
    for (int i = 0; i < 10000; ++i)
        names.push_back({parts[i % 8] + std::to_string(i), parts[(i / 8) % 8], ""});
    CFormulaEdit edit(std::make_shared<const CompletionIndex>(loadFunctionIndex(), names));
    edit.setChecker({});
    edit.show();
    edit.setFormula("ROUND(A1*1.1+j");
    settle();
    QPlainTextEdit* area = edit.textEdit();
    bool typed = false;
    for (auto _ : state) {
        QTest::keyClick(area, typed ? Qt::Key_Backspace : Qt::Key_T);
        typed = !typed;
        settle();
    }
}
BENCHMARK(BM_FormulaEditKeystroke)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nemro::bench

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const char* source = std::getenv("NEMRO_BENCH_CATALOGUE");
    if (!source || !*source) {
        std::fprintf(stderr, "set NEMRO_BENCH_CATALOGUE to a FormulaSet.xml\n");
        return 2;
    }
    std::filesystem::copy_file(source, nemro::GetAppPath() + "FormulaSet.xml",
                               std::filesystem::copy_options::overwrite_existing);
    // A failing step would otherwise stop in a message box.
    nemro::setMessageBox([](const std::string& text, nemro::MsgIcon, const std::string&) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    });
    QApplication app(argc, argv);
    nemro::bench::findWidest();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
