#include "nemro/catalogue.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <sstream>

#include "catalogue_fixture.h"
#include "nemro/catalogue_lint.h"
#include "nemro/catalogue_model.h"
#include "nemro/classic_lists.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/function_index.h"

namespace nemro {
// Shows a linter problem as "line: message" when a test fails.
void PrintTo(const LintProblem& p, std::ostream* os) {
    *os << p.line << ": " << p.message;
}

namespace testing {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

const std::string kMain = NEMRO_TEST_DATA "/catalogue.xml";
const std::string kFaulty = NEMRO_TEST_DATA "/faulty.xml";  // attributes left out

// The count, or the error number the query raises.
std::string outcome(const std::string& path) {
    try {
        return std::to_string(getArgumentCount("F", path));
    } catch (const NemroError& e) {
        return "error " + std::to_string(e.number());
    }
}

class Catalogue : public CatalogueFile {
  protected:
    // Writes a catalogue of one function F with that MaxArgNum, and queries its count.
    std::string edit(const std::string& count, std::optional<fs::file_time_type> time = {}) {
        writeInner("<Formulas><Formula Name=\"F\" MaxArgNum=\"" + count + "\"/></Formulas>");
        if (time) fs::last_write_time(path_, *time);
        return outcome(path_);
    }
    FakeMetrics metrics;
    FakeList categories, functions;
};

TEST_F(Catalogue, CategoriesListOnlyDisplayTrueAndFillTheFirst) {
    categories.onClick = [&](int) {
        FillFunctionName(metrics, functions, categories.Text(), kMain);
    };
    FillFunctionCategory(metrics, categories, kMain);
    EXPECT_THAT(categories.items, ElementsAre("常用", "全部", "Twice", "Empty", "It's"));
    EXPECT_EQ(categories.index, 0);
    // The first category's click filled the functions: hidden ones and other categories not.
    EXPECT_THAT(functions.items, ElementsAre("ROUND"));
    EXPECT_EQ(functions.index, 0);
}

TEST_F(Catalogue, FunctionListsByCategoryTitle) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"全部", {"ROUND", "LEN", "COMMENTED", "NOW", "O'BRIEN"}},  // TOTALFUNCTION, any case
        {" 常用 ", {"ROUND"}},                                      // the title is trimmed
        {"Twice", {"LEN"}},  // the last category of that title names the functions
        {"Empty", {}},
        {"Nowhere", {}},
        {"It's", {"NOW", "O'BRIEN"}},  // a quote in the title selects, never breaks the path
        {"x' or '1'='1", {}},
    };
    for (const auto& [title, names] : cases) {
        functions.items = {"stale"};
        functions.index = 0;
        FillFunctionName(metrics, functions, title, kMain);
        EXPECT_EQ(functions.items, names) << title;
        EXPECT_EQ(functions.index, names.empty() ? -1 : 0) << title;
    }
}

TEST_F(Catalogue, ScrollBarIsEnabledOnceEntriesOutgrowTheClientArea) {
    functions.clientHeight = 195 * 2;
    FillFunctionName(metrics, functions, "全部", kMain);
    EXPECT_EQ(functions.scrollBarEnables, 3);  // after the third, fourth and fifth entries
    FillFunctionName(metrics, categories, "全部", kMain);  // roomy
    EXPECT_EQ(categories.scrollBarEnables, 0);
}

// The answers and failures of each query are cases of the command-line test on these files.
TEST_F(Catalogue, FailedQueriesLeaveLabelsEmptyAndListedEntries) {
    FakeLabel value, description;
    errorOf([&] { GetFunctionInfo(value, description, "LEN", kMain); });
    EXPECT_EQ(value.caption + description.caption, "");
    EXPECT_EQ(errorOf([&] { FillFunctionName(metrics, functions, "A", kFaulty); }).description(),
              "Function Name Must Be Specified.");
    EXPECT_THAT(functions.items, ElementsAre("E"));
    // No name holds a NUL: the text before it must not match.
    EXPECT_FALSE(isExistFormula(std::string("LEN\0", 4), kMain));
    EXPECT_EQ(errorOf([&] { getArgumentCount(std::string("NOW\0", 4), kMain); }).number(), 91);
}

TEST_F(Catalogue, MaxArgNumConversion) {
    const std::pair<const char*, const char*> cases[] = {
        {"3", "3"},           {" 7 ", "7"},         {"2.5", "2"},
        {"3.5", "4"},         {"-1", "-1"},         {"32767", "32767"},
        {"-32768", "-32768"}, {"32768", "error 6"}, {"-32769", "error 6"},
        {"1e9", "error 6"},   {"abc", "error 13"},  {"", "error 13"},
        {"0x10", "error 13"}, {"nan", "error 13"},  {"1 2", "error 13"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(edit(text), expected) << text;
}

TEST_F(Catalogue, EveryEditIsSeenByTheNextQuery) {
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    // Same size, times a nanosecond apart: only the identity tells the versions apart.
    EXPECT_EQ(edit("1", past), "1");
    EXPECT_EQ(outcome(path_), "1");
    EXPECT_EQ(edit("2", past + std::chrono::nanoseconds(1)), "2");
    // Rewritten at once, within one tick of the file clock.
    EXPECT_EQ(edit("3"), "3");
    EXPECT_EQ(edit("4"), "4");
    // A recent time that the edits keep: the same identity, yet each query sees the new text.
    const auto recent = fs::file_time_type::clock::now() + std::chrono::hours(1);
    EXPECT_EQ(edit("5", recent), "5");
    EXPECT_EQ(edit("6", recent), "6");
    fs::remove(path_);
    EXPECT_EQ(outcome(path_), "error 1");
}

TEST_F(Catalogue, ModelHoldsTrimmedTextsAndRawNodesOncePerFile) {
    const std::shared_ptr<const nemro::Catalogue> model = loadCatalogue(kMain);
    EXPECT_EQ(model, loadCatalogue(kMain));  // read once while the file stays the same
    ASSERT_EQ(model->categories.size(), 7u);
    EXPECT_TRUE(model->categories[2].listsAll);
    const CatalogueFunction* round = model->function("ROUND");
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(round->title + "|" + round->value + "|" + round->categoryTitle,
              "四舍五入|ROUND(x,n)|常用");
    EXPECT_EQ(round->maxArgs, 2);
    ASSERT_EQ(round->arguments.size(), 2u);
    EXPECT_TRUE(round->arguments[0].required);
    EXPECT_EQ(round->children[round->arguments[1].position].attribute("Required"), nullptr);
    EXPECT_EQ(model->function("COMMENTED")->children.size(), 2u);
    EXPECT_EQ(model->function(" PAD "), model->function(" PAD "));
    EXPECT_EQ(model->datatype("Single")->description, " 单精度数 ");
    EXPECT_EQ(errorOf([] { loadCatalogue(kMain + ".missing"); }).source(), "loadCatalogue");
    // Keywords split at blanks and "，".
    writeInner(
        R"(<Formulas><Formula Name="F" Keywords=" 取整，近似  round，" Example=" F(1) "/></Formulas>)");
    const auto edited = loadCatalogue(path_);
    const CatalogueFunction& f = edited->functions.at(0);
    EXPECT_THAT(f.keywords, ElementsAre("取整", "近似", "round"));
    EXPECT_EQ(f.example, "F(1)");
    EXPECT_FALSE(f.maxArgs.has_value());
}

// Functions that each match "round" in another way, and search's answers: name:field of
// each hit in order, and the span of the first in its field.
TEST_F(Catalogue, SearchRanksTheWaysAFunctionMatches) {
    writeInner(R"(<FormulaCategorys><Category Title="数学" Name="M" Display="True"/>
        <Category Title="Round类" Name="R" Display="True"/></FormulaCategorys><Formulas>
      <Formula Name="QUX" CategoryName="M" Display="True" Title="其他" Description="Rounds a number"/>
      <Formula Name="ROUNDX" CategoryName="M" Display="True" Title="其他"/>
      <Formula Name="FOO" CategoryName="M" Display="True" Title="平均值" Keywords="近似 round，取整"/>
      <Formula Name="ROUND" CategoryName="M" Display="True" Title="四舍五入"/>
      <Formula Name="XROUND" CategoryName="M" Display="True" Title="舍入"/>
      <Formula Name="BAZ" CategoryName="R" Display="True" Title="其他"/>
      <Formula Name="BAR" CategoryName="M" Display="True" Title="ＲＯＵＮＤ 圆整"/>
      <Formula Name="QUUX" CategoryName="M" Display="True" Title="圆round"/>
      <Formula Name="HIDDEN" CategoryName="M" Title="四舍五入"/></Formulas>)");
    fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(1));
    const auto index = loadFunctionIndex(path_);
    const std::string rest =
        " BAR:title XROUND:name FOO:keywords QUUX:title BAZ:category QUX:description";
    const std::tuple<const char*, std::string, std::size_t, std::size_t> cases[] = {
        {"round", "ROUND:name ROUNDX:name" + rest, 0, 5},
        {"ＲＯＵ", "ROUNDX:name ROUND:name" + rest, 0, 3},
        {"sswr", "ROUND:title", 0, 12},
        {"si she", "ROUND:title", 0, 6},
        {"sishewuru", "ROUND:title", 0, 12},
        {"wr", "ROUND:title", 6, 12},
        {"舍入", "XROUND:title", 0, 6},
        {"四she", "ROUND:title", 0, 6},
        {"qz", "FOO:keywords", 0, 6},
        {"pjz", "FOO:title", 0, 9},
        {"yz", "BAR:title", 16, 22},
        {"a number", "QUX:description", 7, 15},
        {"  ", "", 0, 0},
    };
    for (const auto& [query, expected, begin, end] : cases) {
        const std::vector<SearchHit> hits = index->search(query);
        std::string got;
        for (const SearchHit& hit : hits)
            got += (got.empty() ? "" : " ") + hit.function->name + ":" + searchFieldName(hit.field);
        EXPECT_EQ(got, expected) << query;
        if (hits.empty()) continue;
        EXPECT_EQ(std::make_pair(hits[0].begin, hits[0].end), std::make_pair(begin, end)) << query;
    }
    EXPECT_EQ(index->search("round", 2).size(), 2u);
    EXPECT_EQ(loadFunctionIndex(path_), index);
}

TEST(AppPath, IsTheDirectoryOfThisModule) {
    EXPECT_EQ(GetAppPath(), fs::canonical("/proc/self/exe").parent_path().string() + "/");
}

TEST(DecomposeArgument, AppendsThePiecesJoinedByBarsAndFollowsDeepNesting) {
    std::string result = "x";
    EXPECT_TRUE(DecomposeArgument("a,,ROUND(b,c)", result));
    EXPECT_EQ(result, "xa||ROUND(b,c)");
    // Deeper than a 16-bit depth counter could follow.
    const std::string deep = std::string(40000, '(') + "1,2" + std::string(40000, ')');
    EXPECT_THAT(decomposeArguments(deep + ",3"), ElementsAre(deep, "3"));
}

// The linter, and the bundled catalogue checked against the linter and the engine.
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
        std::getline((fields >> c.line).ignore(), c.fragment, '\t') >> c.problems;
        for (std::string* text : {&c.from, &c.to})
            for (std::size_t at; (at = text->find("{n}")) != std::string::npos;)
                text->replace(at, 3, "\n");
        cases.push_back(c);
    }
    return cases;
}

class Lint : public CatalogueFile, public ::testing::WithParamInterface<LintCase> {};

TEST_P(Lint, ReportsTheFaultOnItsLine) {
    const LintCase& c = GetParam();
    const std::vector<LintProblem> problems =
        lintCatalogue(write(replaceAll(kClean, c.from, c.to)));
    EXPECT_EQ(problems.size(), c.problems) << ::testing::PrintToString(problems);
    const auto expected = [&](const LintProblem& p) {
        return p.line == c.line && p.message.find(c.fragment) != std::string::npos;
    };
    EXPECT_TRUE(std::ranges::any_of(problems, expected)) << c.line << ": " << c.fragment;
    EXPECT_TRUE(std::ranges::is_sorted(problems, {}, &LintProblem::line));
}

INSTANTIATE_TEST_SUITE_P(OneFault, Lint, ::testing::ValuesIn(lintCases()),
                         [](const auto& p) { return p.param.name; });

TEST_F(Catalogue, LintLinesCountFromTheFileStartWithAByteOrderMarkAndCrLf) {
    EXPECT_THAT(lintCatalogue(write(kClean)), ::testing::IsEmpty());
    std::string text = replaceAll(kClean, R"(MaxArgNum="2")", R"(MaxArgNum="3")");
    text = replaceAll("\xEF\xBB\xBF" + text, "\n", "\r\n");
    const std::vector<LintProblem> problems = lintCatalogue(write(text));
    ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(problems);
    EXPECT_EQ(problems[0].line, 8u);
}

// Every function of the bundled catalogue is one the formula check accepts when the dialog
// composes it, with the optional fields empty and with all fields filled.
class Bundled : public Catalogue, public IExpressionListener {
  protected:
    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        Value = isExistFormula(Name, kBundledCatalogue) ? "0" : "-1";
    }
};

TEST_F(Bundled, ListsEveryEngineFunctionAndEachComposesToAnAcceptedFormula) {
    FillFunctionCategory(metrics, categories, kBundledCatalogue);
    ASSERT_THAT(categories.items, ::testing::Contains("全部函数"));
    FillFunctionName(metrics, functions, "全部函数", kBundledCatalogue);
    for (const char* builtIn :
         {"AND",  "CHAR",  "CODE",   "EXACT", "FIND",  "FINDB", "IF",    "INT",
          "LEFT", "LEFTB", "LEN",    "LENB",  "MID",   "MIDB",  "MOD",   "NOT",
          "OR",   "RIGHT", "RIGHTB", "RMBDX", "ROUND", "SIGN",  "TRUNC", "ABS"})
        EXPECT_THAT(functions.items, ::testing::Contains(builtIn));

    const std::map<std::string, std::string> sample = {
        {"Boolean", "1>0"},  {"Integer", "2"}, {"Long", "2"},        {"Single", "1.5"},
        {"Date", "TODAY()"}, {"Object", "1"},  {"String", "\"ab\""}, {"Range", "A1"}};
    for (const std::string& name : functions.items) {
        ASSERT_TRUE(CheckArgNum(name, kBundledCatalogue)) << name;
        const std::int16_t count = getArgumentCount(name, kBundledCatalogue);
        for (const bool fillOptional : {false, true}) {
            std::vector<std::string> fields;
            for (std::int16_t i = 1; i <= count; ++i) {
                const bool required =
                    getArgumentPara(name, "Required", i, kBundledCatalogue) == "True";
                const std::string type = getArgumentPara(name, "Datatype", i, kBundledCatalogue);
                fields.push_back(required || fillOptional ? sample.at(type) : "");
            }
            const std::string formula = buildFormula(name, fields, kBundledCatalogue);
            EXPECT_NO_THROW(CGNTExpression(this).EvaluateOrThrow(formula)) << formula;
        }
    }
}

}  // namespace
}  // namespace testing
}  // namespace nemro
