// The argument dialog's live preview without a GUI: row values, the formula and what OK
// would show, the rows shown of long optional lists, and full-width input.
#include "nemro/argument_preview.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "nemro/error.h"
#include "scratch_file.h"

namespace nemro::dialogs {
namespace {

// ROUND is computed by the engine; HOSTF only by the host.
const std::string catalogue =
    testing::scratchFile("nemro-argument-preview", R"(<Quorvanta><Formulas>
  <Formula Name="ROUND" MaxArgNum="2"><Argument Value="x" Required="True"/><Argument Value="n"
    Required="False"/></Formula><Formula Name="HOSTF" MaxArgNum="1"/></Formulas></Quorvanta>)");

const SampleValueLookup samples = [](const std::string& name) -> std::optional<std::string> {
    if (name == "x") return "4";
    if (name == "s") return "abc";
    if (name == "b") return "True";
    return std::nullopt;
};

// Each row's display, with "[v]" for a variable without a sample value; then the formula
// and the result line.
std::string shown(const ArgumentPreview& p) {
    std::string out;
    for (const PreviewValue& row : p.rows) {
        out += row.display();
        for (const std::string& v : row.unsetVariables) out += "[" + v + "]";
        out += "|";
    }
    return out + p.formula + "|" + p.resultLine();
}

TEST(ArgumentPreview, RowsFormulaAndResult) {
    // clang-format off
    const struct { std::vector<std::string> fields; std::string expected; } cases[] = {
        {{"3.14159", "2"}, "= 3.14159|= 2|ROUND(3.14159,2)|计算结果 = 3.14"},
        {{" x*2 ", ""}, "= 8||ROUND(x*2)|计算结果 = 8"},
        {{"y+1", " "}, "= 1[y]||ROUND(y+1)|计算结果 = 1"},
        {{"1=1"}, "= TRUE||ROUND(1=1)|计算结果 = 1"},
        {{"s"}, "= \"abc\"||ROUND(s)|计算结果：无法将字符串“abc”转化为数值类型。"},  // the check passes
        {{"\"a\"\"b\""}, "= \"a\"\"b\"||ROUND(\"a\"\"b\")|无法将字符串“a\"b”转化为数值类型。"},
        {{"b&\"文\"", "%s"}, "= \"True文\"|= 1|ROUND(b&\"文\",%s)|无法将字符串“0文”转化为数值类型。"},
        {{"", "2"}, "|= 2|ROUND(,2)|参数(x)没有填写！"},
        {{"(1", "2"}, "期望配对的右括号。|= 2|ROUND((1,2)|逗号只能出现在函数内。"},
        {{"NOSUCH(1)"}, "错误的自定义函数“NOSUCH”。||ROUND(NOSUCH(1))|错误的自定义函数“NOSUCH”。"},
        {{"hostf(1)+1", "1"}, "由宿主程序计算|= 1|ROUND(hostf(1)+1,1)|计算结果：由宿主程序计算"},
        {{"1", "2", "3"}, "= 1|= 2|ROUND(1,2)|计算结果 = 1"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(shown(previewArguments("ROUND", c.fields, samples, catalogue)), c.expected)
            << c.fields[0];
    EXPECT_EQ(previewArguments("ROUND", {"(3"}, {}, catalogue).message.value().row, 0);
    EXPECT_EQ(previewArguments("ROUND", {""}, {}, catalogue).message.value().row, 1);
    EXPECT_THROW(previewArguments("ROUND", {"HOSTF(1)"}, {}, "/nonexistent/FormulaSet.xml"),
                 NemroError);
}

// The library computes; a host's registered function overrides the catalogue's answer.
TEST(ArgumentPreview, LibraryAndRegisteredFunctions) {
    FunctionSettings functions = FunctionSettings::WithLibrary();
    auto registry = std::make_shared<CFunctionRegistry>();
    registry->Register("HOSTF", 1, 1, [](std::span<const FunctionValue> a) {
        return FunctionValue::Number(a[0].ToNumber() * 10);
    });
    functions.Functions = registry;
    EXPECT_EQ(shown(previewArguments("ROUND", {"SUM(x,1,)/2", "HOSTF(0.1)"}, samples, catalogue,
                                     functions)),
              "= 2.5|= 1|ROUND(SUM(x,1,)/2,HOSTF(0.1))|计算结果 = 2.5");
    EXPECT_EQ(shown(previewArguments("ROUND", {"SQRT(-1)"}, {}, catalogue, functions)),
              "函数“SQRT”的参数值不合要求。||ROUND(SQRT(-1))|函数“SQRT”的参数值不合要求。");
}

TEST(ArgumentPreview, KeptRowsFollowTheEdits) {
    ArgumentPreviewer previewer("ROUND", catalogue, samples);
    EXPECT_EQ(previewer.argumentNames(), (std::vector<std::string>{"x", "n"}));
    const std::vector<std::vector<std::string>> edits = {
        {"1.25"}, {"1.25", "1"}, {"x", "1"}, {"x", "1"}, {}};
    for (const auto& fields : edits)
        EXPECT_EQ(shown(previewer.update(fields)),
                  shown(previewArguments("ROUND", fields, samples, catalogue)));
}

TEST(ArgumentPreview, LongOptionalListsShowOneEmptyRow) {
    const std::vector<bool> oneRequired = {true, false, false, false, false};
    // clang-format off
    const struct { std::vector<bool> required; std::vector<std::string> fields; std::size_t shown; } cases[] = {
        {oneRequired, {}, 2},
        {oneRequired, {"1"}, 2},
        {oneRequired, {"1", "2"}, 3},
        {oneRequired, {"1", "", "3"}, 4},
        {oneRequired, {"1", "2", "3", "4", "5", "6"}, 5},
        {{false, false, true, false}, {}, 4},
        {{}, {"1"}, 0},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(shownRowCount(c.required, c.fields), c.shown);
}

TEST(ArgumentPreview, FullWidthInputFoldsOutsideLiterals) {
    // clang-format off
    const struct { std::string text; std::size_t cursor; std::string folded; std::size_t at; } cases[] = {
        {"ＳＵＭ（１，ｂ）", 24, "SUM(1,b)", 8},
        {"ＬＥＮ（\"（，）\"）＋１", 12, "LEN(\"（，）\")+1", 4},
        {"＂ａ＋＂＋ｂ", 3, "\"ａ＋\"+b", 1},  // full-width quotes open and end a literal
        {"１２", 3, "12", 1},
        {"１２", 4, "12", 2},  // inside a character: after it
        {"中（？＜＝％＆＊／－", 3, "中(？<=%&*/-", 3},
        {"\"\"＋\"", 2, "\"\"+\"", 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        const FoldedInput f = foldFullWidth(c.text, c.cursor);
        EXPECT_EQ(f.text + "@" + std::to_string(f.cursor), c.folded + "@" + std::to_string(c.at));
        EXPECT_EQ(f.changed, c.text != c.folded);
    }
}

}  // namespace
}  // namespace nemro::dialogs
