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

TEST_F(Catalogue, Answers) {
    FakeLabel value, description;
    GetFunctionInfo(value, description, " ROUND ", kMain);
    EXPECT_EQ(value.caption, "ROUND(x,n)");
    EXPECT_EQ(description.caption, "四舍五入：按位数舍入");
    EXPECT_EQ(getArgumentCount("ROUND", kMain), 2);
    EXPECT_EQ(getArgumentCount("NOW", kMain), 0);
    EXPECT_EQ(getArgumentPara("ROUND", "Value", 1, kMain), "x");
    EXPECT_EQ(getArgumentPara("ROUND", " Description ", 2, kMain), "位数");
    EXPECT_EQ(getArgDatatypeDesc("ROUND", "x", kMain), " 单精度数 ");  // untrimmed
    EXPECT_EQ(getArgDatatypeDesc("O'BRIEN", "it's", kMain), "引号");
    EXPECT_TRUE(CheckArgNum("ROUND", kMain));
    EXPECT_TRUE(CheckArgNum("NOW", kMain));
    EXPECT_FALSE(CheckArgNum("COMMENTED", kMain));  // the comment is a child node
    EXPECT_TRUE(isExistFormulaNoCase("o'brien", kMain));
    EXPECT_FALSE(isExistFormulaNoCase("PAD", kMain));
}

TEST_F(Catalogue, FailuresCarryNumberTaggedSourceAndDescription) {
    FakeList list, named;
    FakeLabel a, b, value, description;
    const std::string info = "frmFormulaSet.GetFormulaInfo()\\GetFunctionInfo";
    const std::string para = "frmFormulaSet.getArgumenPara()\\getArgumentPara";
    const std::string count = "frmFormulaSet.getArgumentCount()\\getArgumentCount";
    const std::string desc = "modCommonFunction.getArgDatatypeDesc()\\modCommonFunction.getArg";
    const std::string check = "frmFormulaSet.CheckArgNum()\\CheckArgNum";
    const struct {
        std::function<void()> query;
        std::int32_t number;
        std::string source;
        const char* description;  // nullptr: the platform's own text
    } cases[] = {
        {[&] { GetFunctionInfo(value, description, "LEN", kMain); }, err::Catalogue, info,
         "Formula Value Must Be Specified."},
        {[&] { getArgumentPara("ROUND", "Required", 2, kMain); }, err::Catalogue, para,
         "Argument Required Must Be Specified."},
        {[&] { getArgumentPara("ROUND", "Value", 3, kMain); }, err::ObjectNotSet, para, nullptr},
        {[&] { getArgumentPara("COMMENTED", "Value", 1, kMain); }, err::NoSuchMember, para,
         nullptr},
        {[&] { getArgumentCount("NOPE", kMain); }, err::ObjectNotSet, count, nullptr},
        {[&] { buildFormula("NOPE", {}, kMain); }, err::ObjectNotSet,
         "modCommonFunction.buildFormula()\\" + count, nullptr},
        {[&] { CheckArgNum("round", kMain); }, err::ObjectNotSet, check, nullptr},
        {[&] { getArgDatatypeDesc("ROUND", "nobody", kMain); }, err::ObjectNotSet,
         desc + "DatetypeDesc", nullptr},
        {[&] { getArgDatatypeDesc("ROUND", "n", kMain); }, err::Catalogue, desc + "DatatypeDesc",
         "Attribute Desc of Datatype Must be Specified."},
        {[&] { getArgDatatypeDesc("COMMENTED", "a", kMain); }, err::ObjectNotSet,
         desc + "DatatypeDesc", nullptr},
        {[&] { isExistFormula("ROUND", path_ + ".none"); }, 1,
         "modCommonFunction.isExistFormula()\\isExistFormula", "File was not found"},
        {[&] { FillFunctionCategory(metrics, list, writeInner("<Formulas/>")); },
         err::InvalidPropertyValue, "frmFormulaSet.FillFormulaCategory()\\FillFunctionCategory",
         nullptr},
        {[&] { FillFunctionCategory(metrics, list, kFaulty); }, err::Catalogue,
         "frmFormulaSet.FillFormulaCategory()\\FillFunctionCategory",
         "Function Category Title Must Be Specified."},
        {[&] { FillFunctionName(metrics, list, "NoName", kFaulty); }, err::Catalogue,
         "frmFormulaSet.FillFunctionName()\\FillFunctionName",
         "Function Category Name Must Be Specified."},
        {[&] { FillFunctionName(metrics, named, "A", kFaulty); }, err::Catalogue,
         "frmFormulaSet.FillFunctionName()\\FillFunctionName", "Function Name Must Be Specified."},
        {[&] { GetFunctionInfo(a, b, "F", kFaulty); }, err::Catalogue, info,
         "Formula Title Must Be Specified."},
        {[&] { GetFunctionInfo(a, b, "G", kFaulty); }, err::Catalogue, info,
         "Formula Description Must Be Specified."},
        {[&] { getArgumentCount("F", kFaulty); }, err::Catalogue, count,
         "Formula MaxArgNum Must Be Specified."},
        {[&] { CheckArgNum("F", kFaulty); }, err::Catalogue, check,
         "Argument MaxArgNum Must Be Specified."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " " + (c.description ? c.description : ""));
        const NemroError e = errorOf(c.query);
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.source(), c.source);
        EXPECT_EQ(e.description(), c.description ? c.description : platformDescription(c.number));
    }
    EXPECT_EQ(err::Catalogue, -2147221504);
    EXPECT_EQ(value.caption + description.caption, "");  // a failed query leaves them empty
    EXPECT_THAT(named.items, ElementsAre("E"));          // entries added so far stay
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

TEST_F(Catalogue, ExistenceIsExactAndSkipsNonElements) {
    const struct {
        const char* name;
        bool exists;
    } cases[] = {
        {"LEN", true}, {"len", false}, {" LEN", false}, {" PAD ", true}, {"PAD", false},
        {"O'BRIEN", true}, {"HIDDEN", true}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isExistFormula(c.name, kMain), c.exists) << c.name;
    EXPECT_FALSE(isExistFormula(std::string("LEN\0", 4), kMain));
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

TEST_F(Catalogue, BuildFormulaComposesTrimmedFieldsForTheCatalogueCount) {
    const struct {
        const char* name;
        std::vector<std::string> fields;
        const char* formula;
    } cases[] = {
        {"ROUND", {"  A1 ", " 2 "}, "ROUND(A1,2)"},
        {"ROUND", {"A1", ""}, "ROUND(A1,)"},       // an empty last field stays a comma
        {"ROUND", {"A1"}, "ROUND(A1,)"},           // fields not given are empty
        {"ROUND", {"a", "b", "c"}, "ROUND(a,b)"},  // extra fields are not the function's
        {"ROUND", {"\tA1\t", "x|y"}, "ROUND(\tA1\t,x|y)"},  // only blanks are trimmed
        {"NOW", {}, "NOW()"},
    };
    for (const auto& c : cases) EXPECT_EQ(buildFormula(c.name, c.fields, kMain), c.formula);
}

TEST(DecomposeArgument, SplitsAtTopLevelCommas) {
    const struct {
        const char* part;
        const char* joined;
    } cases[] = {
        {"A1,2", "A1|2"}, {"ROUND(A1,2),3", "ROUND(A1,2)|3"}, {"a,,b", "a||b"}, {",a", "|a"},
        {"a,", "a"}, {",", ""}, {"a|b,c", "a|b|c"}, {"", ""},  // a function without arguments
        {R"("x,y",1)", R"("x|y"|1)"},  // quotes mean nothing to the scan
        {"a),b,(c", "a),b,(c"},        // after an unmatched ")" no comma separates
        {"(a,b", "(a,b"},
    };
    for (const auto& c : cases) {
        std::string result = "x";  // the pieces are appended
        EXPECT_TRUE(DecomposeArgument(c.part, result));
        EXPECT_EQ(result, std::string("x") + c.joined) << c.part;
    }
    EXPECT_THAT(decomposeArguments("a|b,c"), ElementsAre("a|b", "c"));
    // Deeper than a 16-bit depth counter could follow.
    const std::string deep = std::string(40000, '(') + "1,2" + std::string(40000, ')');
    EXPECT_THAT(decomposeArguments(deep + ",3"), ElementsAre(deep, "3"));
}

TEST(FormulaText, TakesFormulaTextApart) {
    const struct {
        const char* formula;
        const char* name;
        const char* part;
    } cases[] = {
        {"ROUND(A1,2)", "ROUND", "A1,2"},
        {"NOW()", "NOW", ""},
        {" IF (a,b)", " IF ", "a,b"},       // the name is not trimmed
        {"LEN(a)&\"x\"", "LEN", "a)&\"x"},  // runs to the last character but one
        {"F(a(b))", "F", "a(b)"},
        {"F(ab中", "F", "ab"},              // the last character is dropped whole
        {"F(中", "F", ""},
    };
    for (const auto& c : cases) {
        const FormulaTextParts parts = splitFormulaText(c.formula);
        EXPECT_EQ(parts.name + "|" + parts.argumentPart, std::string(c.name) + "|" + c.part);
        EXPECT_EQ(formulaName(c.formula), c.name);
    }
    EXPECT_EQ(formulaName("A1"), "A1");
    for (const char* bad : {"", "A1", "F(", "中("})
        EXPECT_EQ(errorOf([&] { splitFormulaText(bad); }).number(), err::InvalidArgument) << bad;
}

}  // namespace
}  // namespace nemro::testing
