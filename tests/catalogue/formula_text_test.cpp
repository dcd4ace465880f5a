#include "nemro/formula_text.h"

#include <gmock/gmock.h>

#include "catalogue_fixture.h"
#include "nemro/error.h"

namespace nemro::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class BuildFormula : public CatalogueFile {
protected:
    void SetUp() override {
        CatalogueFile::SetUp();
        write(R"(<Formulas>
                   <Formula Name="ROUND" MaxArgNum="2"><Argument/><Argument/></Formula>
                   <Formula Name="NOW" MaxArgNum="0"/>
                   <Formula Name="BAD" MaxArgNum="x"/>
                 </Formulas>)");
    }
};

TEST_F(BuildFormula, ComposesTrimmedFieldsForTheCatalogueCount) {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_EQ(buildFormula(c.name, c.fields, path_), c.formula);
    }
}

TEST_F(BuildFormula, PassesCatalogueFailuresOnWithItsTag) {
    for (const char* name : {"BAD", "NOPE"}) {
        try {
            buildFormula(name, {}, path_);
            ADD_FAILURE() << name;
        } catch (const NemroError& e) {
            EXPECT_EQ(e.source(),
                      "modCommonFunction.buildFormula()\\frmFormulaSet.getArgumentCount()\\"
                      "getArgumentCount");
        }
    }
}

TEST(DecomposeArgument, SplitsAtTopLevelCommas) {
    const struct {
        const char* part;
        const char* joined;
    } cases[] = {
        {"A1,2", "A1|2"},
        {"ROUND(A1,2),3", "ROUND(A1,2)|3"},
        {"a,,b", "a||b"},
        {",a", "|a"},
        {"a,", "a"},
        {",", ""},
        {R"("x,y",1)", R"("x|y"|1)"},  // quotes mean nothing to the scan
        {"a),b,(c", "a),b,(c"},        // after an unmatched ")" no comma separates
        {"(a,b", "(a,b"},
        {"", ""},                      // a function without arguments
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        std::string result;
        EXPECT_TRUE(DecomposeArgument(c.part, result));
        EXPECT_EQ(result, c.joined);
    }
    std::string appended = "x";
    DecomposeArgument("1,2", appended);
    EXPECT_EQ(appended, "x1|2");
}

TEST(DecomposeArgument, PiecesKeepBarsAndSurviveDeepNesting) {
    EXPECT_THAT(decomposeArguments("a|b,c"), ElementsAre("a|b", "c"));
    EXPECT_THAT(decomposeArguments(""), IsEmpty());
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
        {" IF (a,b)", " IF ", "a,b"},          // the name is not trimmed
        {"LEN(a)&\"x\"", "LEN", "a)&\"x"},      // runs to the last character but one
        {"F(a(b))", "F", "a(b)"},
        {"F(ab中", "F", "ab"},                  // the last character is dropped whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        const FormulaTextParts parts = splitFormulaText(c.formula);
        EXPECT_EQ(parts.name, c.name);
        EXPECT_EQ(parts.argumentPart, c.part);
        EXPECT_EQ(formulaName(c.formula), c.name);
    }
    EXPECT_EQ(formulaName("A1"), "A1");
    for (const char* bad : {"", "A1", "F(", "中(", "F(中"}) {
        SCOPED_TRACE(bad);
        try {
            const FormulaTextParts parts = splitFormulaText(bad);
            // "F(中" has one character after "(": an empty argument part is fine.
            EXPECT_STREQ(bad, "F(中");
            EXPECT_EQ(parts.argumentPart, "");
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), err::InvalidArgument);
        }
    }
}

}  // namespace
}  // namespace nemro::testing
