// Several threads at once, each with its own engine objects, catalogue queries and
// argument lists: nothing is shared that is not safe to share. Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/message_box.h"
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
#include "nemro/argument_set.h"
#endif

namespace nemro::testing {
namespace {

class Variables : public IExpressionListener {
public:
    explicit Variables(int id) : id_(id) {}
    void UserVariable(const std::string&, std::string& value) override { value = std::to_string(id_); }

private:
    int id_;
};

TEST(Threads, EnginesCataloguesAndListsRunSideBySide) {
    setMessageBox([](const std::string&, MsgIcon, const std::string&) {});
    const auto dir = std::filesystem::temp_directory_path() / "nemro-threads";
    std::filesystem::create_directories(dir);
    const std::string shared = (dir / "FormulaSet.xml").string();
    std::ofstream(shared) << R"(<Quorvanta><Formulas>
        <Formula Name="ROUND" MaxArgNum="2"><Argument Value="x"/><Argument Value="n"/></Formula>
        </Formulas></Quorvanta>)";

    constexpr int kThreads = 4;
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            auto fail = [&](const std::string& what) {
                if (failures[t].empty()) failures[t] = what;
            };
            // Each thread also has a catalogue of its own that it rewrites.
            const std::string own = (dir / ("own" + std::to_string(t) + ".xml")).string();
            Variables variables(t);
            CGNTExpression engine(&variables);
            for (int i = 0; i < 200; ++i) {
                bool ok = false;
                const ExpElement value = engine.Evaluate("ROUND(x*2,0)&\"-\"&LEN(\"abc\")", &ok);
                if (!ok || value.Text != std::to_string(2 * t) + "-3") fail("evaluate " + value.Text);
                std::int32_t type = 0;
                if (engine.PostfixToInfix(engine.InfixToPostfix("a+b*2"), type).empty()) fail("print");
                if (engine.Evaluate("MOD(1,0)", &ok).Text != "" || ok) fail("division by zero");

                if (getArgumentCount("ROUND", shared) != 2) fail("shared catalogue");
                if (buildFormula("ROUND", {"A1", "2"}, shared) != "ROUND(A1,2)") fail("build");
                if (i % 20 == 0) {
                    std::ofstream(own, std::ios::trunc)
                        << "<Quorvanta><Formulas><Formula Name=\"F\" MaxArgNum=\"" << i
                        << "\"/></Formulas></Quorvanta>";
                    if (getArgumentCount("F", own) != i) fail("own catalogue");
                }
                try {
                    getArgumentCount("NONE", shared);
                    fail("no error for NONE");
                } catch (const NemroError& e) {
                    if (e.number() != err::ObjectNotSet) fail("error number");
                }
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
                const std::string list = writeArgumentList(
                    {{"A", std::to_string(t), "a"}, {"B", std::to_string(i), "b"}});
                if (CArgumentSet().GetValueByName(list, "b") != std::to_string(i)) fail("list");
                if (readArgumentList(list).entries.size() != 2) fail("list reading");
#endif
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], "") << "thread " << t;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nemro::testing
