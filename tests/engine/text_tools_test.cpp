#include "eval_helpers.h"
#include "text_tools.h"

using namespace nemro;
namespace tt = nemro::TextTools;
using E = CGNTExpression;

TEST(TextOps, CaseClassesAndStringLiterals) {
    struct { const char* in; const char* out; } cases[] = {{"", ""}, {"tRUE", "True"}, {"a", "A"}, {"äBC", "Äbc"}, {"名A", "名a"}};
    for (auto c : cases) EXPECT_EQ(E::ICase(c.in), c.out) << c.in;
    // Each text in the class of its column: B boolean, D decimal, S string, - none.
    struct { const char* in; char is; } classes[] = {
        {"True", 'B'}, {"fALSE", 'B'}, {" True", '-'}, {" 12 ", 'D'}, {"-1.5", 'D'}, {"+.5", 'D'}, {"5.", 'D'},
        {"1e5", 'D'}, {"1E-05", 'D'}, {"1e", '-'}, {".", '-'}, {"&H10", '-'}, {"1,000", '-'}, {"$1", '-'},
        {"1.2.3", '-'}, {"", '-'}, {"\"", 'S'}, {"\"ab\"", 'S'}, {"\"ab", '-'}};
    for (auto c : classes) {
        EXPECT_EQ(E::IsBoolean(c.in), c.is == 'B') << c.in;
        EXPECT_EQ(E::IsDecimal(c.in), c.is == 'D') << c.in;
        EXPECT_EQ(E::IsString(c.in), c.is == 'S') << c.in;
    }
    EXPECT_EQ(E::StrVal2Exp("a\"b"), "\"a\"\"b\"");
    for (std::string v : {"", "\"", "\"\"", "x\"\"\"y", "公式"}) EXPECT_EQ(E::StrExp2Val(E::StrVal2Exp(v)), v) << v;
    EXPECT_THROW(E::StrExp2Val("\""), NemroError);
}

TEST(TextTools, FormatTextFillsEveryPlaceholderOnce) {
    EXPECT_EQ(tt::FormatText("函数“%s”的参数个数不正确。", "MID"), "函数“MID”的参数个数不正确。");
    EXPECT_EQ(tt::FormatText("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(tt::FormatText("%s", "%s"), "%s");  // the argument is not expanded again
    EXPECT_EQ(tt::FormatText("100%", "x"), "100%");
}

TEST(TextTools, MoneyTextAcrossGroupsAndZeros) {
    struct { double amount; const char* text; } cases[] = {
        {1234.56, "壹仟贰佰叁拾肆元伍角陆分"}, {100, "壹佰元整"}, {1000010, "壹佰万零壹拾元整"}, {101000, "壹拾万壹仟元整"},
        {1000001000, "壹拾亿零壹仟元整"}, {100010001, "壹亿零壹万零壹元整"}, {1010.1, "壹仟零壹拾元壹角"},
        {10.01, "壹拾元零壹分"}, {0.05, "伍分"}, {0.5, "伍角"}, {0.15, "壹角伍分"}, {-12.3, "负壹拾贰元叁角"},
        {0, "零元整"}, {-0.0, "零元整"}, {1, "壹元整"}, {10, "壹拾元整"}, {15, "壹拾伍元整"}, {1001, "壹仟零壹元整"},
        {1100, "壹仟壹佰元整"}, {10000, "壹万元整"}, {10001, "壹万零壹元整"}, {11000, "壹万壹仟元整"},
        {100000000, "壹亿元整"}, {100000001, "壹亿零壹元整"}, {110000000, "壹亿壹仟万元整"},
        {101000000, "壹亿零壹佰万元整"}, {100001000, "壹亿零壹仟元整"}, {200000000.07, "贰亿元零柒分"},
        {123456789012.34, "壹仟贰佰叁拾肆亿伍仟陆佰柒拾捌万玖仟零壹拾贰元叁角肆分"},
        {999999999999.99, "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"}, {-0.01, "负壹分"},
    };
    for (auto c : cases) EXPECT_EQ(tt::MoneyText(c.amount), c.text) << c.amount;
    EXPECT_THROW(tt::MoneyText(1e12), NemroError);
}

// Beyond what the function rows reach: the longest text counted, and hostile codes.
TEST(TextTools, LimitsOfTheCodePage) {
    EXPECT_THROW(tt::LenBytes(std::string(40000, 'a')), NemroError);
    EXPECT_EQ(tt::LenBytes(std::string(32767, 'a')), 32767);
    EXPECT_EQ(tt::CharCode(-1, 0), 65535);
    for (std::int32_t bad : {0, -1, 0x10000}) EXPECT_THROW(tt::CharOfCode(bad), NemroError) << bad;
    EXPECT_THROW(tt::SignedCodeOf(""), NemroError);
}
