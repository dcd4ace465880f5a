#include "nemro/catalogue_lint.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "catalogue_fixture.h"
#include "nemro/catalogue.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

const std::string kBundledCatalogue = NEMRO_BUNDLED_CATALOGUE;

// A clean catalogue (clean.xml); each case below breaks it in one place. Line numbers matter.
const std::string kClean = dataFile("clean.xml");

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

struct LintCase {
    std::string name, from, to;
    std::size_t line = 0;
    std::string fragment;
    std::size_t problems = 0;
};

// The cases of lint_cases.tsv; each breaks the clean catalogue in one place.
std::vector<LintCase> lintCases() {
    std::vector<LintCase> cases;
    std::istringstream in(dataFile("lint_cases.tsv"));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        LintCase c;
        std::getline(std::getline(std::getline(fields, c.name, '\t'), c.from, '\t'), c.to, '\t');
        fields >> c.line;
        std::getline(fields.ignore(), c.fragment, '\t');
        fields >> c.problems;
        for (std::string* text : {&c.from, &c.to})
            for (std::size_t at; (at = text->find("{n}")) != std::string::npos;) text->replace(at, 3, "\n");
        cases.push_back(c);
    }
    return cases;
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

INSTANTIATE_TEST_SUITE_P(OneFault, Lint, ::testing::ValuesIn(lintCases()),
                         [](const auto& p) { return p.param.name; });

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
