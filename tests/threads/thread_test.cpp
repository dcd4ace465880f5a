// Several threads at once, each with its own engine objects, catalogue queries and
// argument lists, sharing the models and indexes of a catalogue file: nothing is shared
// that is not safe to share. Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "nemro/argument_set.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/function_index.h"
#include "nemro/message_box.h"
#include "nemro/prepared.h"

namespace nemro::testing {
namespace {

// The first check that failed in thread t, "" when none did.
std::string run(int t, const std::string& shared) {
    const std::string own = shared + std::to_string(t);
    CGNTExpression engine(nullptr);
    const std::string formula = "ROUND(" + std::to_string(t) + ".2*10,0)&\"-\"&LEN(\"abc\")";
    const std::string sum = std::to_string(10 * t + 2) + "-3";
    for (int i = 0; i < 200; ++i) {
        bool ok = false;
        if (engine.Evaluate(formula, &ok).Text != sum || !ok) return "sum";
        if (!engine.Evaluate("MOD(1,0)", &ok).Text.empty() || ok) return "division by zero";
        if (buildFormula("ROUND", {"A1", "2"}, shared) != "ROUND(A1,2)") return "shared catalogue";
        if (loadFunctionIndex(shared)->search("round").size() != 1) return "shared index";
        if (i % 20 == 0) {  // a catalogue of its own that the thread rewrites
            std::ofstream(own, std::ios::trunc)
                << "<Quorvanta><Formulas><Formula Name=\"F\" MaxArgNum=\"" << i
                << "\"/></Formulas></Quorvanta>";
            if (getArgumentCount("F", own) != i) return "own catalogue";
        }
        try {
            getArgumentCount("NONE", shared);
            return "no error for NONE";
        } catch (const NemroError& e) {
            if (e.number() != err::ObjectNotSet) return "error number";
        }
        const std::string list = writeArgumentList({{"A", "", "a"}, {"B", std::to_string(i), ""}});
        if (CArgumentSet().GetValueByName(list, "b") != std::to_string(i)) return "list";
    }
    return "";
}

TEST(Threads, EnginesCataloguesAndListsRunSideBySide) {
    setMessageBox([](const std::string&, MsgIcon, const std::string&) {});
    const std::string shared = ::testing::TempDir() + "nemro-threads.xml";
    std::ofstream(shared)
        << R"(<Quorvanta><Formulas><Formula Name="ROUND" Display="True" MaxArgNum="2">
        <Argument Value="x"/><Argument Value="n"/></Formula></Formulas></Quorvanta>)";
    // Long unchanged: its model and index are read once and shared by every thread.
    std::filesystem::last_write_time(
        shared, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    std::vector<std::string> failures(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { failures[t] = run(t, shared); });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<std::string>(4));
    for (const char* own : {"", "0", "1", "2", "3"}) std::remove((shared + own).c_str());
}

// One prepared formula calling the library, each thread with its own values, a failing
// row among them.
TEST(Threads, OnePreparedFormulaManyThreads) {
    const CPreparedExpression prepared("ROUNDUP(SUM(x/y,0),2)&\"|\"&LEN(REPT(s,1))");
    std::vector<std::string> failures(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 1; i < 300 && failures[t].empty(); ++i) {
                const std::string s(static_cast<std::size_t>(t), 'a');
                const VariableValue row[] = {{ekNumber, std::to_string(i * 3)},
                                             {ekNumber, i % 50 ? "3" : "#11"},
                                             {ekString, s}};
                try {
                    const ExpElement r = prepared.Evaluate(row);
                    if (r.Text != std::to_string(i) + "|" + std::to_string(t)) failures[t] = r.Text;
                } catch (const NemroError& e) {
                    if (e.number() != err::DivisionByZero || i % 50) failures[t] = e.description();
                }
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<std::string>(4));
}

}  // namespace
}  // namespace nemro::testing
