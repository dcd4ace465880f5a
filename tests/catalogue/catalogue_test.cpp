#include "nemro/catalogue.h"

#include <gmock/gmock.h>

#include <chrono>

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

TEST_F(Catalogue, MaxArgNumConversion) {
    const struct {
        const char* text;
        std::int16_t count;
        std::int32_t error;  // 0: converts
    } cases[] = {
        {"3", 3, 0},      {" 7 ", 7, 0},           {"2.5", 2, 0},           {"3.5", 4, 0},
        {"-1", -1, 0},    {"32767", 32767, 0},     {"-32768", -32768, 0},   {"32768", 0, err::Overflow},
        {"-32769", 0, err::Overflow}, {"1e9", 0, err::Overflow}, {"abc", 0, err::TypeMismatch},
        {"", 0, err::TypeMismatch}, {"0x10", 0, err::TypeMismatch}, {"nan", 0, err::TypeMismatch},
        {"1 2", 0, err::TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writeInner(std::string(R"(<Formulas><Formula Name="F" MaxArgNum=")") + c.text + "\"/></Formulas>");
        if (c.error == 0) {
            EXPECT_EQ(getArgumentCount("F", path_), c.count);
        } else {
            EXPECT_EQ(errorOf([&] { getArgumentCount("F", path_); }).number(), c.error);
        }
    }
}

TEST_F(Catalogue, EveryEditIsSeenByTheNextQuery) {
    const auto count = [&](const char* maxArgNum) {
        writeInner(std::string(R"(<Formulas><Formula Name="F" MaxArgNum=")") + maxArgNum +
                   "\"/></Formulas>");
    };
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    // Same size, times a nanosecond apart: only the identity tells the versions apart.
    count("1");
    fs::last_write_time(path_, past);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
    count("2");
    fs::last_write_time(path_, past + std::chrono::nanoseconds(1));
    EXPECT_EQ(getArgumentCount("F", path_), 2);
    // Rewritten at once, within one tick of the file clock.
    count("3");
    EXPECT_EQ(getArgumentCount("F", path_), 3);
    count("4");
    EXPECT_EQ(getArgumentCount("F", path_), 4);
    // A recent time that an edit kept: same identity, yet the new text.
    const auto recent = fs::file_time_type::clock::now() + std::chrono::hours(1);
    fs::last_write_time(path_, recent);
    EXPECT_EQ(getArgumentCount("F", path_), 4);
    count("5");
    fs::last_write_time(path_, recent);
    EXPECT_EQ(getArgumentCount("F", path_), 5);
    fs::remove(path_);
    EXPECT_EQ(errorOf([&] { getArgumentCount("F", path_); }).number(), 1);
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
