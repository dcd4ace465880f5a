// The argument dialog's checks without a GUI: every message with its icon and title,
// the legal characters, the required fields, catalogue failures met during a check,
// and the parked-entry format.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "nemro/error.h"
#include "nemro/formula_checks.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {
namespace {

struct Shown {
    std::string text;
    MsgIcon icon;
    std::string title;
};

class Recorder {
public:
    Recorder()
        : previous_(setMessageBox([this](const std::string& t, MsgIcon i, const std::string& title) {
              shown.push_back({t, i, title});
          })) {}
    ~Recorder() { setMessageBox(previous_); }
    std::vector<Shown> shown;

private:
    MessageBoxFunction previous_;
};

const char* kCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<Quorvanta>
  <FormulaCategorys><Category Title="文本函数" Name="TEXT" Display="True"/></FormulaCategorys>
  <Formulas>
    <Formula Name="MID" CategoryName="TEXT" Display="True" MaxArgNum="3">
      <Argument Value="text" Required="True" Datatype="String" Description="文本"/>
      <Argument Value="start_num" Required="True" Datatype="Integer" Description="起始位置"/>
      <Argument Value="num_chars" Required="True" Datatype="Integer" Description="字符数"/>
    </Formula>
    <Formula Name="OPT" CategoryName="TEXT" Display="True" MaxArgNum="3">
      <Argument Value="a" Required="True" Datatype="String" Description="甲"/>
      <Argument Value="b" Required="False" Datatype="String" Description="乙"/>
      <Argument Value="c" Required="true" Datatype="String" Description="丙"/>
    </Formula>
    <Formula Name="MYTRIM" CategoryName="TEXT" Display="False" MaxArgNum="1">
      <Argument Value="text" Required="True" Datatype="String" Description="文本"/>
    </Formula>
    <Formula Name="Sum" CategoryName="TEXT" Display="True" MaxArgNum="1">
      <Argument Value="number" Required="True" Datatype="Integer" Description="数"/>
    </Formula>
  </Formulas>
  <DatatypeDesc><Datatype Value="String" Desc="文本值"/></DatatypeDesc>
</Quorvanta>
)";

class Checks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::filesystem::temp_directory_path() /
               ("nemro-formula-logic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + std::to_string(reinterpret_cast<std::uintptr_t>(&dir_)));
        std::filesystem::create_directories(dir_);
        catalogue_ = (dir_ / "FormulaSet.xml").string();
        std::ofstream(catalogue_, std::ios::binary) << kCatalogue;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

    static std::filesystem::path dir_;
    static std::string catalogue_;
};
std::filesystem::path Checks::dir_;
std::string Checks::catalogue_;

TEST_F(Checks, FormulaMessages) {
    struct Case {
        std::string formula;
        bool ok;
        std::string message;  // shown with the critical icon, titled "公式输入有误!"
    };
    const std::vector<Case> cases = {
        {"LEFT(\"ab\",1)", true, ""},
        {"LEFT((1,1)", false, "左右括号数目不一致!"},
        {"LEFT(\"(\",1)", false, "左右括号数目不一致!"},  // brackets inside strings count too
        {")1+1(", false, "期望配对的右括号。"},  // counts agree; the engine judges the order
        {"A1:B2", false, "不得包含非法字符' : '"},
        {"LEFT(\"中\",1)", false, "不得包含非法字符' 中 '"},
        {"a|b", false, "不得包含非法字符' | '"},
        {"1\t+1", false, "不得包含非法字符' \t '"},
        {"1#", false, "不得包含非法字符' # '"},
        {"LEFT(\"%s\",%S)", true, ""},
        {"MYTRIM(1)", true, ""},        // a catalogue function, hidden or not
        {"SUM(1)+sum(2)", true, ""},    // catalogue name "Sum", any case
        {"NOSUCH(1)", false, "错误的自定义函数“NOSUCH”。"},
        {"MOD(5,0)", false, ""},        // the engine's own description
        {"  ", false, "空的表达式。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        Recorder messages;
        EXPECT_EQ(checkFormula(c.formula, catalogue_), c.ok);
        if (c.ok) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
        EXPECT_EQ(messages.shown[0].title, "公式输入有误!");
        if (!c.message.empty()) {
            EXPECT_EQ(messages.shown[0].text, c.message);
        } else {
            EXPECT_FALSE(messages.shown[0].text.empty());
        }
    }
}

TEST_F(Checks, LegalCharacterTable) {
    std::string legal;
    for (int code = 0; code < 256; ++code) {
        const std::string c(1, static_cast<char>(code));
        if (isLegalFormulaCharacter(c)) legal += c;
    }
    EXPECT_EQ(legal,
              " \"%&()*+,-./0123456789;<=>ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_abcdefghijklmnopqrstuvwxyz");
    for (const char* wide : {"中", "é", "\xEF\xBC\x88" /* full-width ( */, "😀"})
        EXPECT_FALSE(isLegalFormulaCharacter(wide)) << wide;
}

TEST_F(Checks, RequiredFields) {
    struct Case {
        std::string function;
        std::vector<std::string> fields;
        int row;              // reported, 0 for none
        std::string message;  // information icon, application title
    };
    const std::vector<Case> cases = {
        {"MID", {"\"abc\"", "1", "2"}, 0, ""},
        {"MID", {"\"abc\"", "", ""}, 2, "参数(start_num)没有填写！"},  // only the first
        {"MID", {"", "", ""}, 1, "参数(text)没有填写！"},
        {"MID", {" ", "1", "1"}, 0, ""},                 // a blank is text
        {"MID", {"\"abc\""}, 2, "参数(start_num)没有填写！"},  // fields not given are empty
        {"OPT", {"x", "", ""}, 0, ""},                   // "False" and "true" are optional
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function + " " + std::to_string(c.row));
        Recorder messages;
        EXPECT_EQ(checkRequired(c.function, c.fields, catalogue_), c.row);
        if (c.row == 0) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(messages.shown[0].title, "NemroFormulaSet");
    }
}

TEST_F(Checks, CatalogueStatusIgnoresLetterCase) {
    EXPECT_EQ(catalogueFunctionStatus("SUM", catalogue_), "0");
    EXPECT_EQ(catalogueFunctionStatus("mytrim", catalogue_), "0");
    EXPECT_EQ(catalogueFunctionStatus("SUMX", catalogue_), "-1");
}

TEST_F(Checks, ACatalogueFailureDuringTheCheckIsRaisedNotShown) {
    const std::string missing = (dir_ / "missing" / "FormulaSet.xml").string();
    Recorder messages;
    // Built-in functions need no catalogue.
    EXPECT_TRUE(checkFormula("LEFT(\"ab\",1)", missing));
    try {
        checkFormula("MYTRIM(1)", missing);
        ADD_FAILURE() << "no failure raised";
    } catch (const NemroError& e) {
        EXPECT_NE(e.number(), 0);
        EXPECT_EQ(e.source().rfind("frmArgumentSet.CheckFormula()\\Valdren2.frmFormula.FormulaSyntaxCheck()\\", 0), 0u)
            << e.source();
        EXPECT_NE(e.source().find("isExistFormula"), std::string::npos) << e.source();
        EXPECT_FALSE(e.description().empty());
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(ParkedEntry, RoundTripsAnyTextAndRow) {
    const std::vector<ParkedEntry> cases = {
        {2, "LEFT", {"A1", ""}},
        {3, "IF", {" a ", "b|c", "\\|\\\\", "", "|"}},
        {150, "ARGS40", {"x"}},
        {1, "LEFT", {}},
        {7, "9LIVES", {"1"}},  // a name opening with a digit
        {12, "", {""}},
    };
    for (const auto& e : cases) {
        const std::string text = encodeParked(e);
        const ParkedEntry back = decodeParked(text);
        EXPECT_EQ(back.row, e.row) << text;
        EXPECT_EQ(back.functionName, e.functionName) << text;
        EXPECT_EQ(back.fields, e.fields) << text;
    }
    // Texts without "|" or "\" keep the plain format.
    EXPECT_EQ(encodeParked({2, "LEFT", {"A1", ""}}), "02LEFT|A1|");
    EXPECT_EQ(completionMarker("LEFT(A1,)"), "00LEFT(A1,)");
}

}  // namespace
}  // namespace nemro::dialogs
