#include "nemro/catalogue_lint.h"

#include <gmock/gmock.h>

#include <map>

#include "catalogue_fixture.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

const std::string kBundledCatalogue = NEMRO_BUNDLED_CATALOGUE;

// A clean catalogue; each case below breaks it in one place. Line numbers matter.
const char* const kClean = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<Quorvanta>
  <FormulaCategorys>
    <Category Title="数学" Name="MATH" Display="True"/>
    <Category Title="全部" Name="TOTALFUNCTION" Display="True"/>
  </FormulaCategorys>
  <Formulas>
    <Formula Name="ROUND" CategoryName="MATH" Display="True" Value="ROUND(x,n)"
             Title="舍入" Description="四舍五入" MaxArgNum="2">
      <Argument Value="x" Required="True" Datatype="Single" Description="数"/>
      <Argument Value="n" Required="False" Datatype="Integer" Description="位数"/>
    </Formula>
    <Formula Name="NOW" CategoryName="MATH" Display="True" Value="NOW()" Title="现在" Description="当前时间" MaxArgNum="0"/>
  </Formulas>
  <DatatypeDesc>
    <Datatype Value="Single" Desc="数值"/>
    <Datatype Value="Integer" Desc="整数"/>
  </DatatypeDesc>
</Quorvanta>
)xml";

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
    {"FormulaNameChinese", R"(Name="NOW")", R"(Name="现在")", 13, "cannot call this name"},
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
    const std::vector<LintProblem> problems =
        lintCatalogue(writeRaw(replaceAll(kClean, c.from, c.to)));
    EXPECT_EQ(problems.size(), c.problems) << describe(problems);
    if (c.problems == 0) return;
    const bool found = std::any_of(problems.begin(), problems.end(), [&](const LintProblem& p) {
        return p.line == c.line && p.message.find(c.fragment) != std::string::npos;
    });
    EXPECT_TRUE(found) << "expected line " << c.line << ": " << c.fragment << "\ngot:\n"
                       << describe(problems);
    EXPECT_TRUE(std::is_sorted(problems.begin(), problems.end(),
                               [](const LintProblem& a, const LintProblem& b) {
                                   return a.line < b.line;
                               }));
}

INSTANTIATE_TEST_SUITE_P(OneFault, Lint, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

class LintFile : public CatalogueFile {};

TEST_F(LintFile, CleanCatalogueHasNoProblem) {
    EXPECT_THAT(lintCatalogue(writeRaw(kClean)), ::testing::IsEmpty());
}

TEST_F(LintFile, LinesCountFromTheFileStartWithAByteOrderMarkAndCrLf) {
    std::string text = replaceAll(kClean, R"(MaxArgNum="2")", R"(MaxArgNum="3")");
    text = replaceAll("\xEF\xBB\xBF" + text, "\n", "\r\n");
    const std::vector<LintProblem> problems = lintCatalogue(writeRaw(text));
    ASSERT_EQ(problems.size(), 1u) << describe(problems);
    EXPECT_EQ(problems[0].line, 8u);
}

TEST_F(LintFile, UnparsableAndMissingFilesThrowWithTheParserStatus) {
    struct Case {
        std::string path;
        std::int32_t number;
        const char* description;
    };
    const std::string broken = writeRaw("<Quorvanta><Formulas></Quorvanta>");
    const std::string empty = (dir_ / "empty.xml").string();
    std::ofstream(empty).flush();
    for (const Case& c : {Case{broken, 14, "Start-end tags mismatch"},
                          Case{empty, 16, "No document element found"},
                          Case{(dir_ / "absent.xml").string(), 1, "File was not found"}}) {
        try {
            lintCatalogue(c.path);
            ADD_FAILURE() << c.path << " raised nothing";
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), c.number) << c.path;
            EXPECT_EQ(e.source(), "lintCatalogue");
            EXPECT_EQ(e.description(), c.description);
        }
    }
}

// The bundled catalogue: clean, and every function in it is one the formula check accepts
// when the dialog composes it, with the optional fields empty and with all fields filled.
class Bundled : public ::testing::Test, public IExpressionListener {
protected:
    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        Value = isExistFormula(Name, kBundledCatalogue) ? "0" : "-1";
    }

    std::vector<std::string> displayedFunctions() {
        FakeMetrics metrics;
        FakeList categories, functions;
        FillFunctionCategory(metrics, categories, kBundledCatalogue);
        for (const std::string& title : categories.items) {
            FillFunctionName(metrics, functions, title, kBundledCatalogue);
            if (title == "全部函数") return functions.items;
        }
        ADD_FAILURE() << "no category 全部函数";
        return {};
    }
};

TEST_F(Bundled, IsLintClean) {
    EXPECT_THAT(lintCatalogue(kBundledCatalogue), ::testing::IsEmpty())
        << describe(lintCatalogue(kBundledCatalogue));
}

TEST_F(Bundled, ListsEveryEngineFunctionAndEachComposesToAnAcceptedFormula) {
    const std::vector<std::string> names = displayedFunctions();
    for (const char* builtIn :
         {"AND", "CHAR", "CODE", "EXACT", "FIND", "FINDB", "IF", "INT", "LEFT", "LEFTB", "LEN",
          "LENB", "MID", "MIDB", "MOD", "NOT", "OR", "RIGHT", "RIGHTB", "RMBDX", "ROUND", "SIGN",
          "TRUNC", "ABS"})
        EXPECT_THAT(names, ::testing::Contains(builtIn));

    const std::map<std::string, std::string> sample = {
        {"Boolean", "1>0"}, {"Integer", "2"},  {"Long", "2"},         {"Single", "1.5"},
        {"Date", "TODAY()"}, {"Object", "1"}, {"String", "\"ab\""}, {"Range", "A1"}};
    for (const std::string& name : names) {
        ASSERT_TRUE(CheckArgNum(name, kBundledCatalogue)) << name;
        const std::int16_t count = getArgumentCount(name, kBundledCatalogue);
        for (const bool fillOptional : {false, true}) {
            std::vector<std::string> fields;
            for (std::int16_t i = 1; i <= count; ++i) {
                const bool required =
                    getArgumentPara(name, "Required", i, kBundledCatalogue) == "True";
                fields.push_back(required || fillOptional
                                     ? sample.at(getArgumentPara(name, "Datatype", i,
                                                                 kBundledCatalogue))
                                     : "");
            }
            const std::string formula = buildFormula(name, fields, kBundledCatalogue);
            CGNTExpression expression(this);
            try {
                expression.EvaluateOrThrow(formula);
            } catch (const NemroError& e) {
                ADD_FAILURE() << formula << ": " << e.description();
            }
        }
    }
}

}  // namespace
}  // namespace nemro::testing
