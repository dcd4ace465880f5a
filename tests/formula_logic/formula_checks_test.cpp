// The argument dialog's checks without a GUI: every message with its icon and title, the
// legal characters, catalogue failures met during a check, and the parked-entry format.
#include "nemro/formula_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "nemro/error.h"
#include "nemro/message_box.h"
#include "scratch_file.h"

namespace nemro::dialogs {
namespace {

// F's required arguments are a and d: "False" and "true" are not "True".
const std::string catalogue = testing::scratchFile("nemro-formula-checks", R"(<Quorvanta><Formulas>
  <Formula Name="F" MaxArgNum="4"><Argument Value="a" Required="True"/><Argument Value="b"
    Required="False"/><Argument Value="c" Required="true"/><Argument Value="d" Required="True"/>
  </Formula><Formula Name="ISTEXT" Display="False"/><Formula Name="Sum"/></Formulas></Quorvanta>)");

// What the message box was asked to show since the last call, as "icon|title|text;" each.
std::string shown() {
    static std::string calls;
    setMessageBox([](const std::string& text, MsgIcon icon, const std::string& title) {
        calls += std::to_string(static_cast<int>(icon)) + "|" + title + "|" + text + ";";
    });
    return std::exchange(calls, "");
}

TEST(Checks, EveryCheckShowsItsMessage) {
    const std::string bad = "16|公式输入有误!|", missing = "64|NemroFormulaSet|";
    // One text: checkFormula of it; more: checkRequired of F's fields.
    const struct {
        std::vector<std::string> input;
        int result;
        std::string shown;
    } rows[] = {
        {{"LEFT(\"ab\",1)"}, 1, ""},
        {{"LEFT((1,1)"}, 0, bad + "左右括号数目不一致!;"},
        {{"LEFT(\"(\",1)"}, 0, bad + "左右括号数目不一致!;"},  // inside strings too
        {{"A1:B2"}, 0, bad + "不得包含非法字符' : ';"},
        {{"LEFT(\"中\",1)"}, 0, bad + "不得包含非法字符' 中 ';"},
        {{"1+\xE4\xB8"}, 0, bad + "不得包含非法字符' \xE4\xB8 ';"},  // a sequence cut short
        {{"LEFT(\"%s\",%S)"}, 1, ""},
        {{"1&%s"}, 1, ""},
        {{"LEFT(\"%\",1)%"}, 0, bad + "缺乏运算符。;"},
        {{"ISTEXT(1)"}, 1, ""},      // a catalogue function, hidden or not
        {{"SUM(1)+sum(2)"}, 1, ""},  // catalogue name "Sum", any case
        {{"NOSUCH(1)"}, 0, bad + "错误的自定义函数“NOSUCH”。;"},
        {{"MOD(5,0)"}, 0, bad + "除数为零。;"},
        {{"", "", "", ""}, 1, missing + "参数(a)没有填写！;"},  // only the first
        {{" ", "", "", "1"}, 0, ""},                            // a blank is text
        {{"x", ""}, 4, missing + "参数(d)没有填写！;"},         // fields not given are empty
    };
    for (const auto& c : rows) {
        shown();
        EXPECT_EQ(c.input.size() == 1 ? checkFormula(c.input[0], catalogue)
                                      : checkRequired("F", c.input, catalogue),
                  c.result)
            << c.input[0];
        EXPECT_EQ(shown(), c.shown) << c.input[0];
    }
}

TEST(Checks, LegalCharacterTable) {
    std::string legal;
    for (int code = 0; code < 256; ++code)
        if (isLegalFormulaCharacter(std::string(1, static_cast<char>(code))))
            legal += static_cast<char>(code);
    EXPECT_EQ(
        legal,
        " \"%&()*+,-./0123456789;<=>ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_abcdefghijklmnopqrstuvwxyz");
    EXPECT_FALSE(isLegalFormulaCharacter("ab"));  // one character at a time
}

TEST(Checks, ACatalogueFailureDuringTheCheckIsRaisedNotShown) {
    const std::string missing = ::testing::TempDir() + "/no-such-dir/FormulaSet.xml";
    shown();
    EXPECT_TRUE(checkFormula("LEFT(\"ab\",1)", missing));  // built-ins need no catalogue
    try {
        checkFormula("ISTEXT(1)", missing);
        ADD_FAILURE() << "no failure raised";
    } catch (const NemroError& e) {
        EXPECT_EQ(std::to_string(e.number()) + " " + e.source(),
                  "1 frmArgumentSet.CheckFormula()\\Valdren2.frmFormula.FormulaSyntaxCheck()\\"
                  "CGNTExpression.Evaluate()\\CGNTExpression.DoEvaluate()\\"
                  "modCommonFunction.isExistFormula()\\isExistFormula");
    }
    EXPECT_EQ(shown(), "");
}

}  // namespace
}  // namespace nemro::dialogs
