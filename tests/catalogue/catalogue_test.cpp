#include "nemro/catalogue.h"

#include <gmock/gmock.h>

#include <chrono>
#include <optional>

#include "catalogue_fixture.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

const std::string kMain = NEMRO_TEST_DATA "/catalogue.xml";
const std::string kFaulty = NEMRO_TEST_DATA "/faulty.xml";  // attributes left out

class Catalogue : public CatalogueFile {
protected:
    void SetUp() override {
        CatalogueFile::SetUp();
        categories.onClick = [this](int) {
            FillFunctionName(metrics, functions, categories.Text(), kMain);
        };
    }
    FakeMetrics metrics;
    FakeList categories, functions;
};

TEST_F(Catalogue, CategoriesListOnlyDisplayTrueAndFillTheFirst) {
    FillFunctionCategory(metrics, categories, kMain);
    EXPECT_THAT(categories.items, ElementsAre("常用", "全部", "Twice", "Empty", "It's"));
    EXPECT_EQ(categories.index, 0);
    // The first category's click filled the functions: hidden ones and other categories not.
    EXPECT_THAT(functions.items, ElementsAre("ROUND"));
    EXPECT_EQ(functions.index, 0);
}

TEST_F(Catalogue, FunctionListsByCategoryTitle) {
    const struct {
        const char* title;
        std::vector<std::string> names;
    } cases[] = {
        {"全部", {"ROUND", "LEN", "COMMENTED", "NOW", "O'BRIEN"}},  // TOTALFUNCTION, any case
        {" 常用 ", {"ROUND"}},                                     // the title is trimmed
        {"Twice", {"LEN"}},  // the last category of that title names the functions
        {"Empty", {}},
        {"Nowhere", {}},
        {"It's", {"NOW", "O'BRIEN"}},  // a quote in the title selects, never breaks the path
        {"x' or '1'='1", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        functions.items = {"stale"};
        functions.index = 0;
        FillFunctionName(metrics, functions, c.title, kMain);
        EXPECT_EQ(functions.items, c.names);
        EXPECT_EQ(functions.index, c.names.empty() ? -1 : 0);
    }
}

TEST_F(Catalogue, ScrollBarIsEnabledOnceEntriesOutgrowTheClientArea) {
    functions.clientHeight = 195 * 2;
    FillFunctionName(metrics, functions, "全部", kMain);
    EXPECT_EQ(functions.scrollBarEnables, 3);  // after the third, fourth and fifth entries
    FakeList roomy;
    FillFunctionName(metrics, roomy, "全部", kMain);
    EXPECT_EQ(roomy.scrollBarEnables, 0);
}

// The answers and failures of each query are cases of the command-line test on these files.
TEST_F(Catalogue, FailedQueriesLeaveLabelsEmptyAndListedEntries) {
    FakeLabel value, description;
    EXPECT_EQ(errorOf([&] { GetFunctionInfo(value, description, "LEN", kMain); }).number(),
              err::Catalogue);
    EXPECT_EQ(value.caption + description.caption, "");
    FakeList named;
    EXPECT_EQ(errorOf([&] { FillFunctionName(metrics, named, "A", kFaulty); }).description(),
              "Function Name Must Be Specified.");
    EXPECT_THAT(named.items, ElementsAre("E"));
    EXPECT_EQ(errorOf([&] { FillFunctionCategory(metrics, named, writeInner("<Formulas/>")); })
                  .number(), err::InvalidPropertyValue);
    EXPECT_FALSE(isExistFormula(std::string("LEN\0", 4), kMain));  // no name holds a NUL
    EXPECT_TRUE(isExistFormulaNoCase("o'brien", kMain));
    EXPECT_FALSE(isExistFormulaNoCase("PAD", kMain));
}

// The count, or the error number the query raises.
std::string outcome(const std::string& path) {
    try {
        return std::to_string(getArgumentCount("F", path));
    } catch (const NemroError& e) {
        return "error " + std::to_string(e.number());
    }
}

TEST_F(Catalogue, MaxArgNumConversion) {
    const std::pair<const char*, const char*> cases[] = {
        {"3", "3"}, {" 7 ", "7"}, {"2.5", "2"}, {"3.5", "4"}, {"-1", "-1"}, {"32767", "32767"},
        {"-32768", "-32768"}, {"32768", "error 6"}, {"-32769", "error 6"}, {"1e9", "error 6"},
        {"abc", "error 13"}, {"", "error 13"}, {"0x10", "error 13"}, {"nan", "error 13"},
        {"1 2", "error 13"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(outcome(writeInner(std::string("<Formulas><Formula Name=\"F\" MaxArgNum=\"") +
                                     text + "\"/></Formulas>")), expected) << text;
}

TEST_F(Catalogue, EveryEditIsSeenByTheNextQuery) {
    const auto edit = [&](const char* count, std::optional<fs::file_time_type> time = {}) {
        writeInner(std::string("<Formulas><Formula Name=\"F\" MaxArgNum=\"") + count + "\"/></Formulas>");
        if (time) fs::last_write_time(path_, *time);
        return outcome(path_);
    };
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

TEST(AppPath, IsTheDirectoryOfThisModule) {
    const std::string dir = GetAppPath();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(dir + "catalogue_test"));
}

TEST(DecomposeArgument, AppendsThePiecesJoinedByBarsAndFollowsDeepNesting) {
    std::string result = "x";
    EXPECT_TRUE(DecomposeArgument("a,,ROUND(b,c)", result));
    EXPECT_EQ(result, "xa||ROUND(b,c)");
    // Deeper than a 16-bit depth counter could follow.
    const std::string deep = std::string(40000, '(') + "1,2" + std::string(40000, ')');
    EXPECT_THAT(decomposeArguments(deep + ",3"), ElementsAre(deep, "3"));
}

}  // namespace
}  // namespace nemro::testing
