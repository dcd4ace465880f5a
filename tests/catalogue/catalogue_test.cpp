#include "nemro/catalogue.h"

#include <gmock/gmock.h>

#include <chrono>

#include "catalogue_fixture.h"
#include "nemro/error.h"

namespace nemro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Runs fn and returns the error it raises; fails the test when it raises none.
template <typename Fn>
NemroError errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const NemroError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return NemroError(0, "", "");
}

const char* const kCategories = R"(
<FormulaCategorys>
  <Category Title="常用" Name="COMMON" Display="True"/>
  <Category Title="Hidden" Name="COMMON" Display="true"/>
  <Category Title="全部" Name="  totalFunction " Display="True"/>
  <Category Title="Twice" Name="FIRST" Display="True"/>
  <Category Title="Twice" Name="TEXT" Display="False"/>
  <Category Title="Empty" Name="NOTHING" Display="True"/>
  <Category Title="It's" Name="QUOTED" Display="True"/>
</FormulaCategorys>
<Formulas>
  <Formula Name="ROUND" CategoryName="COMMON" Display="True" Value=" ROUND(x,n) "
           Title=" 四舍五入 " Description=" 按位数舍入 " MaxArgNum="2">
    <Argument Value="x" Required="True" Datatype="Single" Description="数值"/>
    <Argument Value="n" Datatype="Integer" Description="位数"/>
  </Formula>
  <Formula Name="LEN" CategoryName="TEXT" Display="True" MaxArgNum="1">
    <Argument Value="text" Required="True" Datatype="String" Description="文本"/>
  </Formula>
  <Formula Name="HIDDEN" CategoryName="COMMON" Display="False" MaxArgNum="0"/>
  <Formula Name=" PAD " Display="False" MaxArgNum="0"/>
  <Formula Name="COMMENTED" CategoryName="FIRST" Display="True" MaxArgNum="1">
    <!-- a note -->
    <Argument Value="a" Required="True" Datatype="Missing" Description="a"/>
  </Formula>
  <Formula Name="NOW" CategoryName="QUOTED" Display="True" MaxArgNum="0"/>
  <Formula Name="O'BRIEN" CategoryName="QUOTED" Display="True" MaxArgNum="1">
    <Argument Value="it's" Required="True" Datatype="Quote&quot;d" Description="q"/>
  </Formula>
</Formulas>
<DatatypeDesc>
  <Datatype Value="Single" Desc=" 单精度数 "/>
  <Datatype Value="String" Desc="文本"/>
  <Datatype Value="Quote&quot;d" Desc="引号"/>
  <Datatype Value="Integer"/>
</DatatypeDesc>
)";

class Catalogue : public CatalogueFile {
protected:
    void SetUp() override {
        CatalogueFile::SetUp();
        write(kCategories);
        categories.onClick = [this](int) {
            FillFunctionName(metrics, functions, categories.Text(), path_);
        };
    }
    FakeMetrics metrics;
    FakeList categories, functions;
};

TEST_F(Catalogue, CategoriesListOnlyDisplayTrueAndFillTheFirst) {
    FillFunctionCategory(metrics, categories, path_);
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
        {"Twice", {"LEN"}},   // the last category of that title names the functions
        {"Empty", {}},
        {"Nowhere", {}},
        {"It's", {"NOW", "O'BRIEN"}},  // a quote in the title selects, never breaks the path
        {"x' or '1'='1", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        functions.items = {"stale"};
        functions.index = 0;
        FillFunctionName(metrics, functions, c.title, path_);
        EXPECT_EQ(functions.items, c.names);
        EXPECT_EQ(functions.index, c.names.empty() ? -1 : 0);
    }
}

TEST_F(Catalogue, ScrollBarIsEnabledOnceEntriesOutgrowTheClientArea) {
    functions.clientHeight = 195 * 2;
    FillFunctionName(metrics, functions, "全部", path_);
    EXPECT_EQ(functions.scrollBarEnables, 3);  // after the third, fourth and fifth entries
    FakeList roomy;
    FillFunctionName(metrics, roomy, "全部", path_);
    EXPECT_EQ(roomy.scrollBarEnables, 0);
}

TEST_F(Catalogue, FunctionInfoJoinsTrimmedTitleAndDescription) {
    FakeLabel value, description;
    GetFunctionInfo(value, description, " ROUND ", path_);
    EXPECT_EQ(value.caption, "ROUND(x,n)");
    EXPECT_EQ(description.caption, "四舍五入：按位数舍入");
}

TEST_F(Catalogue, FunctionInfoLeavesLabelsEmptyOnFailure) {
    FakeLabel value, description;
    const NemroError e = errorOf([&] { GetFunctionInfo(value, description, "LEN", path_); });
    EXPECT_EQ(e.number(), err::Catalogue);
    EXPECT_EQ(e.source(), "frmFormulaSet.GetFormulaInfo()\\GetFunctionInfo");
    EXPECT_EQ(e.description(), "Formula Value Must Be Specified.");
    EXPECT_EQ(value.caption, "");
    EXPECT_EQ(description.caption, "");
}

TEST_F(Catalogue, ArgumentQueries) {
    EXPECT_EQ(getArgumentCount("ROUND", path_), 2);
    EXPECT_EQ(getArgumentCount("NOW", path_), 0);
    EXPECT_EQ(getArgumentPara("ROUND", "Value", 1, path_), "x");
    EXPECT_EQ(getArgumentPara("ROUND", " Description ", 2, path_), "位数");
    EXPECT_EQ(getArgDatatypeDesc("ROUND", "x", path_), " 单精度数 ");  // untrimmed
    EXPECT_EQ(getArgDatatypeDesc("O'BRIEN", "it's", path_), "引号");
    EXPECT_TRUE(CheckArgNum("ROUND", path_));
    EXPECT_TRUE(CheckArgNum("NOW", path_));
    EXPECT_FALSE(CheckArgNum("COMMENTED", path_));  // the comment is a child node
}

TEST_F(Catalogue, FailuresCarryNumberTaggedSourceAndDescription) {
    const struct {
        const char* what;
        std::function<void()> query;
        std::int32_t number;
        const char* source;
        const char* description;  // nullptr: the platform's own text
    } cases[] = {
        {"Required missing", [&] { getArgumentPara("ROUND", "Required", 2, path_); },
         err::Catalogue, "frmFormulaSet.getArgumenPara()\\getArgumentPara",
         "Argument Required Must Be Specified."},
        {"beyond the children", [&] { getArgumentPara("ROUND", "Value", 3, path_); },
         err::ObjectNotSet, "frmFormulaSet.getArgumenPara()\\getArgumentPara", nullptr},
        {"the comment child", [&] { getArgumentPara("COMMENTED", "Value", 1, path_); },
         err::NoSuchMember, "frmFormulaSet.getArgumenPara()\\getArgumentPara", nullptr},
        {"unknown function", [&] { getArgumentCount("NOPE", path_); }, err::ObjectNotSet,
         "frmFormulaSet.getArgumentCount()\\getArgumentCount", nullptr},
        {"case differs", [&] { CheckArgNum("round", path_); }, err::ObjectNotSet,
         "frmFormulaSet.CheckArgNum()\\CheckArgNum", nullptr},
        {"no Datatype", [&] { getArgDatatypeDesc("ROUND", "nobody", path_); },
         err::ObjectNotSet, "modCommonFunction.getArgDatatypeDesc()\\modCommonFunction.getArgDatetypeDesc",
         nullptr},
        {"no Desc", [&] { getArgDatatypeDesc("ROUND", "n", path_); }, err::Catalogue,
         "modCommonFunction.getArgDatatypeDesc()\\modCommonFunction.getArgDatatypeDesc",
         "Attribute Desc of Datatype Must be Specified."},
        {"unknown datatype", [&] { getArgDatatypeDesc("COMMENTED", "a", path_); },
         err::ObjectNotSet,
         "modCommonFunction.getArgDatatypeDesc()\\modCommonFunction.getArgDatatypeDesc", nullptr},
        {"missing file", [&] { isExistFormula("ROUND", path_ + ".none"); }, 1,
         "modCommonFunction.isExistFormula()\\isExistFormula", "File was not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NemroError e = errorOf(c.query);
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.source(), c.source);
        EXPECT_EQ(e.description(), c.description ? c.description : platformDescription(c.number));
    }
}

TEST_F(Catalogue, MissingAttributesFailWithTheirMessages) {
    write(R"(<FormulaCategorys><Category Display="True" Name="A"/>
               <Category Title="NoName" Display="True"/></FormulaCategorys>
             <Formulas><Formula CategoryName="A" Display="True"/>
               <Formula Name="F" Value="v" Description="d"/>
               <Formula Name="G" Value="v" Title="t"/></Formulas>)");
    FakeMetrics m;
    FakeList list;
    FakeLabel a, b;
    const struct {
        std::function<void()> query;
        const char* source;
        const char* description;
    } cases[] = {
        {[&] { FillFunctionCategory(m, list, path_); },
         "frmFormulaSet.FillFormulaCategory()\\FillFunctionCategory",
         "Function Category Title Must Be Specified."},
        {[&] { FillFunctionName(m, list, "NoName", path_); },
         "frmFormulaSet.FillFunctionName()\\FillFunctionName",
         "Function Category Name Must Be Specified."},
        {[&] { GetFunctionInfo(a, b, "F", path_); },
         "frmFormulaSet.GetFormulaInfo()\\GetFunctionInfo", "Formula Title Must Be Specified."},
        {[&] { GetFunctionInfo(a, b, "G", path_); },
         "frmFormulaSet.GetFormulaInfo()\\GetFunctionInfo",
         "Formula Description Must Be Specified."},
        {[&] { getArgumentCount("F", path_); },
         "frmFormulaSet.getArgumentCount()\\getArgumentCount",
         "Formula MaxArgNum Must Be Specified."},
        {[&] { CheckArgNum("F", path_); }, "frmFormulaSet.CheckArgNum()\\CheckArgNum",
         "Argument MaxArgNum Must Be Specified."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        const NemroError e = errorOf(c.query);
        EXPECT_EQ(e.number(), err::Catalogue);
        EXPECT_EQ(e.number(), -2147221504);
        EXPECT_EQ(e.source(), c.source);
        EXPECT_EQ(e.description(), c.description);
    }
}

TEST_F(Catalogue, FunctionListWithoutNameFails) {
    write(R"(<FormulaCategorys><Category Title="A" Name="A" Display="True"/></FormulaCategorys>
             <Formulas><Formula Name="F" CategoryName="A" Display="True"/>
                       <Formula CategoryName="A" Display="True"/></Formulas>)");
    FakeList list;
    const NemroError e = errorOf([&] { FillFunctionName(metrics, list, "A", path_); });
    EXPECT_EQ(e.description(), "Function Name Must Be Specified.");
    EXPECT_THAT(list.items, ElementsAre("F"));  // entries added so far stay
}

TEST_F(Catalogue, NoDisplayedCategoryFailsToSelect) {
    write(R"(<FormulaCategorys><Category Title="A" Name="A"/></FormulaCategorys><Formulas/>)");
    const NemroError e = errorOf([&] { FillFunctionCategory(metrics, categories, path_); });
    EXPECT_EQ(e.number(), err::InvalidPropertyValue);
    EXPECT_THAT(categories.items, IsEmpty());
}

TEST_F(Catalogue, MaxArgNumConversion) {
    const struct {
        const char* text;
        std::int16_t count;
        std::int32_t error;  // 0: converts
    } cases[] = {
        {"3", 3, 0},         {" 7 ", 7, 0},     {"2.5", 2, 0},   {"3.5", 4, 0},
        {"-1", -1, 0},       {"32767", 32767, 0}, {"32768", 0, err::Overflow},
        {"1e9", 0, err::Overflow}, {"abc", 0, err::TypeMismatch}, {"", 0, err::TypeMismatch},
        {"0x10", 0, err::TypeMismatch}, {"nan", 0, err::TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        write(std::string(R"(<Formulas><Formula Name="F" MaxArgNum=")") + c.text +
              R"("/></Formulas>)");
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
    // A comment among the functions must not break the check.
    write(std::string(kCategories).replace(std::string(kCategories).find("<Formulas>"), 10,
                                           "<Formulas><!-- functions --><?pi x?>"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isExistFormula(c.name, path_), c.exists);
    }
    EXPECT_FALSE(isExistFormula(std::string("LEN\0", 4), path_));
}

TEST_F(Catalogue, UnparsableFilesFailWithTheParserStatus) {
    const char* documents[] = {"", "<Quorvanta>", "<Quorvanta><a></b></Quorvanta>", "not xml"};
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        writeRaw(document);
        const NemroError e = errorOf([&] { getArgumentCount("F", path_); });
        EXPECT_GT(e.number(), 0);
        EXPECT_EQ(e.source(), "frmFormulaSet.getArgumentCount()\\getArgumentCount");
        EXPECT_FALSE(e.description().empty());
    }
    // A directory in the file's place.
    EXPECT_GT(errorOf([&] { isExistFormula("F", dir_.string()); }).number(), 0);
}

TEST_F(Catalogue, EveryEditIsSeenByTheNextQuery) {
    namespace fs = std::filesystem;
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    // Same size, times a nanosecond apart: only the identity tells the versions apart.
    write(R"(<Formulas><Formula Name="F" MaxArgNum="1"/></Formulas>)");
    fs::last_write_time(path_, past);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
    write(R"(<Formulas><Formula Name="F" MaxArgNum="2"/></Formulas>)");
    fs::last_write_time(path_, past + std::chrono::nanoseconds(1));
    EXPECT_EQ(getArgumentCount("F", path_), 2);
    // Rewritten at once, within one tick of the file clock.
    write(R"(<Formulas><Formula Name="F" MaxArgNum="3"/></Formulas>)");
    EXPECT_EQ(getArgumentCount("F", path_), 3);
    write(R"(<Formulas><Formula Name="F" MaxArgNum="4"/></Formulas>)");
    EXPECT_EQ(getArgumentCount("F", path_), 4);
    fs::remove(path_);
    EXPECT_EQ(errorOf([&] { getArgumentCount("F", path_); }).number(), 1);
}

TEST(AppPath, IsTheDirectoryOfThisModule) {
    const std::string dir = GetAppPath();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "catalogue_test"));
}

}  // namespace
}  // namespace nemro::testing
