// The modern check: any text in strings, Chinese names, unknown names at their place with
// the likely one, declared types; and the modern composition of the session's OK.
#include "nemro/modern_check.h"

#include <gtest/gtest.h>

#include "nemro/declared_fields.h"
#include "nemro/error.h"
#include "nemro/formula_session.h"
#include "scratch_file.h"

namespace nemro::dialogs {
namespace {

const std::string catalogue = testing::scratchFile("nemro-modern-check", R"(<Quorvanta><Formulas>
  <Formula Name="ROUND" MaxArgNum="2"><Argument Value="x" Required="True"/><Argument Value="n"
    Required="False"/></Formula><Formula Name="HOSTF" MaxArgNum="1"/></Formulas></Quorvanta>)");

const auto fields = loadFieldFile(testing::scratchFile("nemro-modern-fields",
                                                       "name,type,sample\n基本工资,number,8000\n"
                                                       "岗位工资,number,\n姓名,text,张三\n"
                                                       "入职日期,date,\n是否在职,boolean,\n"
                                                       "SALARY,number,\n"));

std::string checked(const std::string& formula, bool declared) {
    const ModernCheckResult r =
        checkModernFormula(formula, {catalogue, declared ? fields : nullptr, {}});
    if (r.ok) return "ok";
    return r.message +
           (r.position ? "@" + std::to_string(r.position) + "+" + std::to_string(r.length) : "");
}

TEST(ModernCheck, NamesStringsAndTypes) {
    // clang-format off
    const struct { const char* formula; bool declared; const char* expected; } cases[] = {
        {"ROUND(基本工资*0.08,2)", true, "ok"},
        {"ROUND(基本公资*0.08,2)", true, "未定义的名称“基本公资”，是否应为“基本工资”？@7+4"},
        {"SALRY+1", true, "未定义的名称“SALRY”，是否应为“SALARY”？@1+5"},
        {"salary+基本工资", true, "ok"},                          // any case, as the engine reads
        {"1+xyz+基本公资", true, "未定义的名称“xyz”。@3+3"},       // the first in the text
        {"\"基本公资\"&基本工资", true, "ok"},                     // a literal is no name
        {"LEFT(\"中文,)\",1)&HOSTF(1)", false, "ok"},
        {"ROUND(xyz,1)", false, "ok"},                             // undeclared: 0
        {"LEFT(姓名,1)+1", true, "无法将字符串“张”转化为数值类型。@11+1"},
        {"IF(是否在职,入职日期+1,岗位工资)", true, "ok"},           // FALSE, a date, 0
        {"姓名+1", true, "无法将字符串“张三”转化为数值类型。@3+1"},
        {"ROUND(1,2", false, "期望配对的右括号。@10+0"},
        {"NOSUCH(1)", true, "错误的自定义函数“NOSUCH”。@1+6"},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(checked(c.formula, c.declared), c.expected) << c.formula;
    EXPECT_THROW(checkModernFormula("HOSTF(1)", {"/nonexistent/FormulaSet.xml", {}, {}}),
                 NemroError);
    // The library computes, then the host's registered functions, before the catalogue.
    auto registry = std::make_shared<CFunctionRegistry>();
    registry->Register("HOSTF", 1, 1, [](std::span<const FunctionValue> a) -> FunctionValue {
        if (a[0].ToNumber() < 0) throw NemroError(5, "HOSTF", "工资不能为负");
        return FunctionValue::String("元");
    });
    ModernCheckContext host{catalogue, fields, {}};
    host.functions.Functions = registry;
    EXPECT_EQ(checkModernFormula("HOSTF(-基本工资)", host).message, "工资不能为负");
    EXPECT_EQ(checkModernFormula("HOSTF(1)+1", host).message, "无法将字符串“元”转化为数值类型。");
    EXPECT_EQ(checked("SQRT(-1)", false), "函数“SQRT”的参数值不合要求。@1+4");
}

TEST(ModernCheck, TheSessionOkComposesAsItsStyle) {
    FormulaSession modern({catalogue, "", "", {}, fields}, Composition::Modern);
    modern.start("", [](Step) {});
    modern.choose("ROUND", [] {});
    EXPECT_EQ(modern.ok({"基本公资"}).refusal.value().position, 7);
    EXPECT_EQ(modern.ok({"基本工资", ""}).next, Step::Done);
    EXPECT_EQ(modern.finish(), "ROUND(基本工资)");
    // The classic exchange composes and checks as it always has.
    FormulaSession classic({catalogue, "", "", {}, fields});
    classic.start("", [](Step) {});
    classic.choose("ROUND", [] {});
    EXPECT_EQ(classic.ok({"基本工资"}).refusal.value().text, "不得包含非法字符' 基 '");
    EXPECT_EQ(classic.ok({"1", ""}).next, Step::Done);
    EXPECT_EQ(classic.finish(), "ROUND(1,)");
}

}  // namespace
}  // namespace nemro::dialogs
