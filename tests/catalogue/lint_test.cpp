#include "nemro/catalogue_lint.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>

#include "catalogue_fixture.h"
#include "nemro/catalogue.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

const std::string kBundledCatalogue = NEMRO_BUNDLED_CATALOGUE;

// A clean catalogue (clean.xml); each case below breaks it in one place. Line numbers matter.
const std::string kClean = dataFile("clean.xml");

struct LintCase {
    const char* name;
    const char* from;  // every occurrence is replaced
    const char* to;
    std::size_t line;
    const char* fragment;
    std::size_t problems = 1;
};

const LintCase kCases[] = {
    {"WrongRoot", "Quorvanta", "Root", 2, R"(root element is "Root", not "Quorvanta")"},
    {"NoCategories", "FormulaCategorys", "Categories", 2, "FormulaCategorys is missing", 3},
    {"NoDatatypeDesc", "DatatypeDesc", "Types", 2, "DatatypeDesc is missing", 3},
    {"CategoryWithoutTitle", R"(Title="数学" )", "", 4, "Category: Title is missing"},
    {"CategoryWithoutName", R"(Title="数学" Name="MATH")", R"(Title="数学")", 4,
     R"(Category "数学": Name is missing)", 3},
    {"CategoryDisplayLowerCase", R"(Name="MATH" Display="True"/>)", R"(Name="MATH" Display="true"/>)", 4,
     R"(Display is "true", which hides it)"},
    {"CategoryTitleTwice", R"(Title="全部")", R"(Title="数学")", 5, "title used before on line 4"},
    {"CategoryTitleBlanks", R"(Title="数学")", R"(Title="数学 ")", 4, "has blanks around it"},
    {"CategoryTitleQuote", R"(Title="数学")", R"(Title="数'学")", 4, "Title holds a quote mark"},
    {"EmptyCategory", R"(<Category Title="全部")",
     "<Category Title=\"空\" Name=\"EMPTY\" Display=\"True\"/>\n    <Category Title=\"全部\"", 5,
     R"(Category "空": no displayed function has CategoryName "EMPTY")"},
    {"NoTotalCategory", R"(TOTALFUNCTION" Display="True")", R"(TOTALFUNCTION" Display="False")",
     3, "no displayed category has Name TOTALFUNCTION"},
    {"NoDisplayedCategory", R"(Display="True"/>)", "/>", 3, "no displayed category"},
    {"FormulaWithoutName", R"(Name="NOW" )", "", 13, "Formula: Name is missing"},
    {"FormulaWithoutTitle", R"(Title="舍入" )", "", 8, R"(Formula "ROUND": Title is missing)"},
    {"FormulaWithoutValue", R"~(Value="NOW()" )~", "", 13, R"(Formula "NOW": Value is missing)"},
    {"FormulaWithoutMaxArgNum", R"( MaxArgNum="0")", "", 13, "MaxArgNum is missing"},
    {"MaxArgNumFraction", R"(MaxArgNum="2")", R"(MaxArgNum="2.0")", 8,
     R"(MaxArgNum "2.0" is not a whole number from 0 to 32767)"},
    {"MaxArgNumTooLarge", R"(MaxArgNum="2")", R"(MaxArgNum="40000")", 8, "not a whole number"},
    {"MaxArgNumNegative", R"(MaxArgNum="0")", R"(MaxArgNum="-1")", 13, "not a whole number"},
    {"MaxArgNumMismatch", R"(MaxArgNum="2")", R"(MaxArgNum="3")", 8,
     R"(Formula "ROUND": MaxArgNum is 3 but it has 2 child nodes)"},
    {"CommentAmongArguments", R"(<Argument Value="n")",
     "<!-- digits -->\n      <Argument Value=\"n\"", 11,
     R"(Formula "ROUND": a comment among its arguments counts as an argument)", 2},
    {"TextAmongArguments", "</Formula>", "stray</Formula>", 12, "text among its arguments", 2},
    {"ElementAmongArguments", R"(<Argument Value="n")", R"(<Arg Value="n")", 11,
     R"(element "Arg" is not an Argument)"},
    {"ArgumentWithoutRequired", R"( Required="False")", "", 11,
     R"(Formula "ROUND" argument 2 ("n"): Required is missing)"},
    {"ArgumentWithoutValue", R"(Value="x" )", "", 10, "argument 1: Value is missing"},
    {"ArgumentWithoutDescription", R"( Description="位数")", "", 11, "Description is missing"},
    {"RequiredLowerCase", R"(Required="True")", R"(Required="true")", 10,
     R"(Required is "true", not "True" or "False")"},
    {"UnknownDatatype", R"(Datatype="Integer")", R"(Datatype="Int")", 11,
     R"(Datatype "Int" is not one of Boolean, Integer, Long, Single, Date, Object, String, Range)"},
    {"UndescribedDatatype", R"(Datatype="Integer")", R"(Datatype="Date")", 11,
     R"(Datatype "Date" has no DatatypeDesc entry)"},
    {"ArgumentNameTwice", R"(Value="n")", R"(Value="x")", 11, "name used before by argument 1"},
    {"ArgumentNameBlanks", R"(Value="n")", R"(Value=" n")", 11, "has blanks around it"},
    {"ArgumentNameQuote", R"(Value="n")", R"(Value="n&quot;")", 11, "Value holds a quote mark"},
    {"FormulaNameTwice", R"(Name="NOW")", R"(Name="ROUND")", 13, "name used before on line 8"},
    {"FormulaNameBlanks", R"(Name="NOW")", R"(Name="NOW ")", 13,
     R"(Name "NOW " has blanks around it and cannot be found)"},
    {"FormulaNameDigitFirst", R"(Name="NOW")", R"(Name="2NOW")", 13, "cannot call this name"},
    {"FormulaNameOperator", R"(Name="NOW")", R"(Name="NO-W")", 13, "cannot call this name"},
    {"FormulaNameBoolean", R"(Name="NOW")", R"(Name="True")", 13, "reads this name as a boolean"},
    {"FormulaNameQuote", R"(Name="NOW")", R"(Name="NO'W")", 13, "Name holds a quote mark", 2},
    {"FormulaTitleQuote", R"(Title="现在")", R"(Title="&quot;现在&quot;")", 13,
     "Title holds a quote mark"},
    {"FormulaHidden", R"(NOW" CategoryName="MATH" Display="True")",
     R"(NOW" CategoryName="MATH" Display="Yes")", 13, R"(Formula "NOW": Display is "Yes")"},
    {"UnknownCategoryName", R"(NOW" CategoryName="MATH")", R"(NOW" CategoryName="MTH")", 13,
     R"(CategoryName "MTH" names no category)"},
    {"CommentAmongFunctions", R"(<Formula Name="NOW")",
     "<!-- later -->\n    <Formula Name=\"NOW\"", 13, "Formulas: a comment among the functions"},
    {"ElementAmongFunctions", R"(<Formula Name="NOW")", R"(<Function Name="NOW")", 13,
     R"(Formulas: element "Function" is not a Formula)"},
    {"SecondFormulas", "  </Formulas>\n", "  </Formulas>\n  <Formulas/>\n", 15,
     "a second Formulas element"},
    {"DatatypeWithoutDesc", R"( Desc="整数")", "", 17, R"(Datatype "Integer": Desc is missing)"},
    {"ForeignDatatypeChild", R"(<Datatype Value="Integer")", R"(<Type Value="Integer")", 17,
     "is not a Datatype", 2},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = 0, replaced = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
        ++replaced;
    }
    EXPECT_GT(replaced, 0u) << "'" << from << "' is not in the clean catalogue";
    return text;
}

std::string describe(const std::vector<LintProblem>& problems) {
    std::string all;
    for (const LintProblem& p : problems) all += std::to_string(p.line) + ": " + p.message + "\n";
    return all;
}

class Lint : public CatalogueFile, public ::testing::WithParamInterface<LintCase> {};

TEST_P(Lint, ReportsTheFaultOnItsLine) {
    const LintCase& c = GetParam();
    const std::vector<LintProblem> problems = lintCatalogue(write(replaceAll(kClean, c.from, c.to)));
    EXPECT_EQ(problems.size(), c.problems) << describe(problems);
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&](const LintProblem& p) {
        return p.line == c.line && p.message.find(c.fragment) != std::string::npos;
    })) << "expected line " << c.line << ": " << c.fragment << "\ngot:\n" << describe(problems);
    EXPECT_TRUE(std::is_sorted(problems.begin(), problems.end(),
                               [](const auto& a, const auto& b) { return a.line < b.line; }));
}

INSTANTIATE_TEST_SUITE_P(OneFault, Lint, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

using LintFile = CatalogueFile;

TEST_F(LintFile, LinesCountFromTheFileStartWithAByteOrderMarkAndCrLf) {
    EXPECT_THAT(lintCatalogue(write(kClean)), ::testing::IsEmpty());
    std::string text = replaceAll(kClean, R"(MaxArgNum="2")", R"(MaxArgNum="3")");
    text = replaceAll("\xEF\xBB\xBF" + text, "\n", "\r\n");
    const std::vector<LintProblem> problems = lintCatalogue(write(text));
    ASSERT_EQ(problems.size(), 1u) << describe(problems);
    EXPECT_EQ(problems[0].line, 8u);
}

// The bundled catalogue: clean, and every function in it is one the formula check accepts
// when the dialog composes it, with the optional fields empty and with all fields filled.
class Bundled : public ::testing::Test, public IExpressionListener {
protected:
    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        Value = isExistFormula(Name, kBundledCatalogue) ? "0" : "-1";
    }
};

TEST_F(Bundled, IsLintClean) {
    const std::vector<LintProblem> problems = lintCatalogue(kBundledCatalogue);
    EXPECT_THAT(problems, ::testing::IsEmpty()) << describe(problems);
}

TEST_F(Bundled, ListsEveryEngineFunctionAndEachComposesToAnAcceptedFormula) {
    FakeMetrics metrics;
    FakeList categories, functions;
    FillFunctionCategory(metrics, categories, kBundledCatalogue);
    ASSERT_THAT(categories.items, ::testing::Contains("全部函数"));
    FillFunctionName(metrics, functions, "全部函数", kBundledCatalogue);
    for (const char* builtIn :
         {"AND", "CHAR", "CODE", "EXACT", "FIND", "FINDB", "IF", "INT", "LEFT", "LEFTB", "LEN",
          "LENB", "MID", "MIDB", "MOD", "NOT", "OR", "RIGHT", "RIGHTB", "RMBDX", "ROUND", "SIGN",
          "TRUNC", "ABS"})
        EXPECT_THAT(functions.items, ::testing::Contains(builtIn));

    const std::map<std::string, std::string> sample = {
        {"Boolean", "1>0"}, {"Integer", "2"},  {"Long", "2"},         {"Single", "1.5"},
        {"Date", "TODAY()"}, {"Object", "1"}, {"String", "\"ab\""}, {"Range", "A1"}};
    for (const std::string& name : functions.items) {
        ASSERT_TRUE(CheckArgNum(name, kBundledCatalogue)) << name;
        const std::int16_t count = getArgumentCount(name, kBundledCatalogue);
        for (const bool fillOptional : {false, true}) {
            std::vector<std::string> fields;
            for (std::int16_t i = 1; i <= count; ++i) {
                const bool required = getArgumentPara(name, "Required", i, kBundledCatalogue) == "True";
                const std::string type = getArgumentPara(name, "Datatype", i, kBundledCatalogue);
                fields.push_back(required || fillOptional ? sample.at(type) : "");
            }
            const std::string formula = buildFormula(name, fields, kBundledCatalogue);
            EXPECT_NO_THROW(CGNTExpression(this).EvaluateOrThrow(formula)) << formula;
        }
    }
}

}  // namespace
}  // namespace nemro::testing
