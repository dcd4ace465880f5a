#include "nemro/formula_text.h"

#include <gmock/gmock.h>

#include <random>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::testing {
namespace {

using ::testing::ElementsAre;

const std::string kBundled = NEMRO_BUNDLED_CATALOGUE;

TEST(FormulaText, LiteralsKeepTheirCommasAndBrackets) {
    EXPECT_THAT(decomposeArguments(R"~("a,b",1)~"), ElementsAre(R"~("a,b")~", "1"));
    EXPECT_THAT(decomposeArguments(R"~("(",")",LEFT("x)",1))~"),
                ElementsAre(R"~("(")~", R"~(")")~", R"~(LEFT("x)",1))~"));
    EXPECT_THAT(decomposeArguments(R"~("a"",b""",c)~"), ElementsAre(R"~("a"",b""")~", "c"));
    EXPECT_THAT(decomposeArguments(R"~("",",")~"), ElementsAre(R"~("")~", R"~(",")~"));
}

TEST(FormulaText, ModernCompositionLeavesOutTrailingEmptyOptionalArguments) {
    struct Row {
        const char* function;
        std::vector<std::string> fields;
        const char* formula;
    };
    const Row rows[] = {
        {"ROUND", {"3.14159"}, "ROUND(3.14159)"},
        {"ROUND", {"3.14159", "  "}, "ROUND(3.14159)"},
        {"ROUND", {" 3.14159 ", " 2 "}, "ROUND(3.14159,2)"},
        {"ROUND", {}, "ROUND()"},  // the required argument stays, empty
        {"AVERAGE", {"SALARY", "", "", "", ""}, "AVERAGE(SALARY)"},
        {"AVERAGE", {"A1", "", "B1"}, "AVERAGE(A1,,B1)"},
        {"IF", {"A1"}, "IF(A1,,)"},
        {"NOW", {}, "NOW()"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(buildModernFormula(row.function, row.fields, kBundled), row.formula);
    EXPECT_EQ(buildModernFormula("F", {"", ""}, std::vector<bool>{false, false}), "F()");
    EXPECT_THROW(buildModernFormula("NOSUCH", {}, kBundled), NemroError);
}

// Field texts as a user may type them: literals holding commas, brackets, doubled quotes
// and blanks, nested calls with empty arguments, operators, and blank or empty fields.
class FieldMaker {
  public:
    explicit FieldMaker(unsigned seed) : random_(seed) {}

    std::string field() { return pick(5) == 0 ? std::string(pick(3), ' ') : padded(expression(3)); }

  private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }
    std::string padded(std::string s) {
        return std::string(pick(3), ' ') + s + std::string(pick(3), ' ');
    }

    std::string literal() {
        static const char* const kPieces[] = {"a", ",", "(", ")", "\"\"", " ", "中文", "|", "%s"};
        std::string s = "\"";
        for (std::size_t n = pick(6); n > 0; --n) s += kPieces[pick(std::size(kPieces))];
        return s + "\"";
    }

    std::string expression(int depth) {
        switch (depth > 0 ? pick(5) : pick(2)) {
            case 0:
                return literal();
            case 1:
                return pick(2) ? "A1" : "12.5";
            case 2:
                return expression(depth - 1) + padded("&") + expression(depth - 1);
            case 3:
                return "(" + expression(depth - 1) + ")";
            default: {
                std::string call = pick(2) ? "LEFT(" : "IF(";
                for (std::size_t i = 0, n = 1 + pick(3); i < n; ++i)
                    call += (i ? "," : "") + (pick(4) ? padded(expression(depth - 1)) : "");
                return call + ")";
            }
        }
    }

    std::mt19937 random_;
};

// The fields a formula re-opens with, one per argument of the function.
std::vector<std::string> reopened(const std::string& formula, std::size_t count) {
    std::vector<std::string> fields = decomposeArguments(splitFormulaText(formula).argumentPart);
    if (fields.size() <= count) fields.resize(count);
    return fields;
}

TEST(FormulaText, EveryComposedFormulaReopensWithTheFieldsItWasMadeFrom) {
    FieldMaker maker(2026);
    for (const char* function : {"ROUND", "AVERAGE", "IF", "MID", "NOW"}) {
        const auto count = static_cast<std::size_t>(getArgumentCount(function, kBundled));
        for (int round = 0; round < 300; ++round) {
            std::vector<std::string> fields, trimmed;
            for (std::size_t i = 0; i < count; ++i) {
                fields.push_back(maker.field());
                trimmed.emplace_back(text::trimBlanks(fields.back()));
            }
            for (const std::string& formula : {buildFormula(function, fields, kBundled),
                                               buildModernFormula(function, fields, kBundled)})
                ASSERT_EQ(reopened(formula, count), trimmed) << formula;
        }
    }
}

}  // namespace
}  // namespace nemro::testing
