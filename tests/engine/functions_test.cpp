#include "eval_helpers.h"
#include "text_tools.h"

using namespace nemro;
using namespace nemro::testing;
namespace tt = nemro::TextTools;

TEST(Functions, LogicalAndNumeric) {
    checkAll({
        {"AND(TRUE,,TRUE)", 0, "False", ekBoolean},
        {"AND(TRUE,1,\"true\")", 0, "True", ekBoolean},
        {"AND(FALSE,\"x\")", 0, "False"},
        {"AND(TRUE,\"x\")", 13, "无法将字符串“x”转化为 Boolean 类型。"},
        {"AND()", 34, "函数“AND”的参数个数不正确。"},
        {"OR(,FALSE)", 0, "False", ekBoolean},
        {"OR(TRUE,\"x\")", 0, "True"},
        {"OR(FALSE,\"x\")", 13, "无法将字符串“x”转化为 Boolean 类型。"},
        {"NOT(0)", 0, "True", ekBoolean},
        {"NOT(\"false\")", 0, "True"},
        {"NOT(\"no\")", 13, "无法将字符串“no”转化为 Boolean 类型。"},
        {"NOT()", 34, "函数“NOT”的参数个数不正确。"},
        {"NOT(,)", 34, "函数“NOT”的参数个数不正确。"},
        {"NOT(1,2)", 34, "函数“NOT”的参数个数不正确。"},
        {"IF(1,10,20)", 0, "10", ekNumber},
        {"IF(0,10,\"b\")", 0, "b", ekString},
        {"IF(\"yes\",1,2)", 13, "无法将字符串“yes”转化为 Boolean 类型。"},
        {"IF(1,2)", 34, "函数“IF”的参数个数不正确。"},
        {"IF(TRUE,1,)", 35, "计算表达式中存在无效的元素。"},
        {"INT(-2.5)", 0, "-3", ekNumber},
        {"INT(2.5)", 0, "2"},
        {"INT(\"7.9\")", 0, "7"},
        {"INT(\"1E+20\")", 0, "1E+20"},
        {"MOD(-7,3)", 0, "2", ekNumber},
        {"MOD(7,-3)", 0, "-2"},
        {"MOD(7.5,2)", 0, "1.5"},
        {"MOD(5,0)", 11, "除数为零。"},
        {"MOD(0,0)", 6, "溢出。"},
        {"MOD(5,)", 35, "计算表达式中存在无效的元素。"},
        {"ROUND(2.5)", 0, "3", ekNumber},
        {"ROUND(-2.5)", 0, "-3"},
        {"ROUND(1234.5,-2)", 0, "1200"},
        {"ROUND(1.5,)", 0, "2"},
        {"ROUND(2.4999)", 0, "2"},
        {"ROUND(1,400)", 6, "溢出。"},
        {"ROUND(1,3000000000)", 6, "溢出。"},
        {"TRUNC(1.15,2)", 0, "1.15", ekNumber},
        {"TRUNC(1234.567,-2)", 0, "1200"},
        {"TRUNC(-0.5)", 0, "0"},
        {"TRUNC(1.999,)", 0, "1"},
        {"TRUNC(\"1E-05\",6)", 0, "0.00001"},
        {"TRUNC(\"1.5E+20\")", 0, "150000000000000000000"},
        {"TRUNC(\"12345678901234567890.123456789\",5)", 0, "12345678901234567890.12345"},
        {"TRUNC(\"0.00000000000000000000000000019\",28)", 0, "0.0000000000000000000000000002"},
        {"TRUNC(\"1E+28\")", 6, "溢出。"},
        {"TRUNC(\"1E+27\",2)", 6, "溢出。"},
        {"TRUNC(1,29)", 6, "溢出。"},
        {"TRUNC(1,2,3)", 34, "函数“TRUNC”的参数个数不正确。"},
        {"SIGN(-0.5)", 0, "-1", ekNumber},
        {"SIGN(0)", 0, "0"},
        {"SIGN(\"3\")", 0, "1"},
        {"RMBDX(1234.56)", 0, "壹仟贰佰叁拾肆元伍角陆分", ekString},
        {"RMBDX(0.005)", 0, "壹分"},
        {"RMBDX(-0.001)", 0, "零元整"},
        {"RMBDX(1000000000000)", 34, "操作数与运算符数目不匹配。"},
        {"RMBDX(999999999999.995)", 34, "操作数与运算符数目不匹配。"},
        {"RMBDX(-1000000000000)&\"\"", 34, "双目运算符“&”缺少操作数。"},
    });
}

TEST(Functions, Text) {
    checkAll({
        {"CHAR(65)", 0, "A", ekString},
        {"CHAR(65.9)", 0, "A"},
        {"CHAR(54992)", 0, "中"},
        {"CHAR(0)", 34, "函数“CHAR”的参数值不合要求。"},
        {"CHAR(65536)", 5, "无效的过程调用或参数。"},
        {"CHAR(129)", 5, "无效的过程调用或参数。"},  // a lone lead byte
        {"CHAR(3000000000)", 6, "溢出。"},
        {"CHAR()", 34, "函数“CHAR”的参数个数不正确。"},
        {"CODE(1)", 0, "49", ekNumber},
        {"CODE(\"中文\")", 0, "54992"},
        {"CODE(\"\")", 34, "函数“CODE”的参数值不合要求。"},
        {"CODE(\"😀\")", 5, "无效的过程调用或参数。"},
        {"CODE(\"한\")", 5, "无效的过程调用或参数。"},
        {"CODE(\"€\")", 0, "128"},
        {"CHAR(128)", 0, "€"},
        {"CODE(\"　\")", 0, "41377"},
        {"CHAR(41377)", 0, "　"},
        {"CHAR(16640)", 5, "无效的过程调用或参数。"},
        {"CHAR(55039)", 5, "无效的过程调用或参数。"},
        {"EXACT(\"a\",\"A\")", 0, "False", ekBoolean},
        {"EXACT(1,1.0)", 0, "False"},
        {"EXACT(TRUE,\"True\")", 0, "True"},
        {"FIND(\"b\",\"abc\")", 0, "2", ekNumber},
        {"FIND(\"B\",\"abc\")", 0, "0"},
        {"FIND(\"b\",\"abc\",2)", 0, "2"},
        {"FIND(\"b\",\"abcb\",3)", 0, "4"},
        {"FIND(\"b\",\"abcb\",)", 0, "2"},
        {"FIND(\"b\",\"abc\",9)", 0, "0"},
        {"FIND(\"b\",\"abc\",0)", 34, "函数“FIND”的参数值不合要求。"},
        {"FIND(\"b\",\"abc\",0.9)", 34, "函数“FIND”的参数值不合要求。"},
        {"FIND(\"文\",\"中文\")", 0, "2"},
        {"FINDB(\"b\",\"abc\")", 0, "3"},
        {"FINDB(\"b\",\"abcb\",4)", 0, "7"},
        {"FINDB(\"a\",\"a\",1,1)", 34, "函数“FINDB”的参数个数不正确。"},
        {"LEFT(\"abc\")", 0, "a", ekString},
        {"LEFT(\"abc\",5)", 0, "abc"},
        {"LEFT(\"abc\",0)", 0, ""},
        {"LEFT(\"abc\",1.9)", 0, "a"},
        {"LEFT(\"abc\",)", 0, "a"},
        {"LEFT(\"abc\",-1)", 34, "函数“LEFT”的参数值不合要求。"},
        {"left(\"abc\",1,2)", 34, "函数“LEFT”的参数个数不正确。"},
        {"left(x)", 0, "0"},
        {"RIGHT(\"abc\")", 0, "c"},
        {"RIGHT(\"abc\",9)", 0, "abc"},
        {"RIGHT(\"abc\",-1)", 34, "函数“RIGHT”的参数值不合要求。"},
        {"LEN(\"中文ab\")", 0, "4", ekNumber},
        {"LEN(\"😀\")", 0, "2"},
        {"LEN(1.50)", 0, "4"},
        {"MID(\"abcdef\",2,3)", 0, "bcd", ekString},
        {"MID(\"abc\",5,2)", 0, ""},
        {"MID(\"abc\",2,99)", 0, "bc"},
        {"MID(\"abc\",1,0)", 34, "函数“MID”的参数值不合要求。"},
        {"MID(\"abc\",0,1)", 5, "无效的过程调用或参数。"},
        {"MID(\"a\",1)", 34, "函数“MID”的参数个数不正确。"},
        // Characters, not bytes, once the text is not all ASCII.
        {"LEFT(\"中文ab\",3)", 0, "中文a"},
        {"RIGHT(\"中文ab\",3)", 0, "文ab"},
        {"RIGHT(\"ab中\",9)", 0, "ab中"},
        {"MID(\"中文ab\",2,2)", 0, "文a"},
        {"MID(\"a中\",3,1)", 0, ""},
        // byte-wise, in code page 936; a character outside it counts as its substitute "?"
        {"LENB(\"€\")", 0, "1"},
        {"LENB(\"한\")", 0, "1"},
        {"LENB(\"😀x\")", 0, "2"},
        {"LEFTB(\"😀x\",1)", 0, "😀"},
        {"RIGHTB(\"ab中\",2)", 0, "中"},
        {"RIGHTB(\"ab中\",0)", 0, ""},
        {"MIDB(\"中文字\",2,4)", 0, "文"},  // 中 and 字 are each cut, so left out
        {"LENB(\"a中\")", 0, "3", ekNumber},
        {"LENB(\"\")", 0, "0"},
        {"LEFTB(\"中文\",2)", 0, "中", ekString},
        {"LEFTB(\"中文\",3)", 0, "中"},
        {"LEFTB(\"a中\")", 0, "a"},
        {"LEFTB(\"abc\",-1)", 34, "函数“LEFTB”的参数值不合要求。"},
        {"LEFTB(\"abc\",32768)", 6, "溢出。"},
        {"LEFTB(\"abc\",32767)", 0, "abc"},
        {"RIGHTB(\"a中\",1)", 0, ""},
        {"RIGHTB(\"abc\",40000)", 6, "溢出。"},
        {"MIDB(\"a中b\",2,2)", 0, "中", ekString},
        {"MIDB(\"a中b\",3,2)", 0, "b"},
        {"MIDB(\"a中b\",1,2)", 0, "a"},
        {"MIDB(\"abc\",1,0)", 34, "函数“MIDB”的参数值不合要求。"},
        {"MIDB(\"abc\",0,1)", 5, "无效的过程调用或参数。"},
    });
    // ASCII codes are their own characters in the code page, without asking it.
    for (int code = 1; code < 0x80; ++code)
        EXPECT_EQ(evaluate("CHAR(" + std::to_string(code) + ")").text, TextTools::CharOfCode(code))
            << code;
}

TEST(Functions, UserFunctionsAnswerWithAStatus) {
    ScriptedListener l({{"x", "\"a(b\""}},
                       {{"ABS", "0"}, {"F1", "1"}, {"F2", "2"}, {"SKIP", "7"}, {"PAD", " 0 "}});
    const Row rows[] = {
        {"ABS(-1)", 0, "0", ekString},
        {"abs(-1)&\"x\"", 0, "0x"},
        {"PAD()", 0, " 0 "},
        {"NOSUCH(1)", 35, "错误的自定义函数“NOSUCH”。"},
        {"nosuch()", 35, "错误的自定义函数“NOSUCH”。"},
        // names next to built-in ones: the table is halved, names upper-cased 8 bytes a time
        {"AN(1)", 35, "错误的自定义函数“AN”。"},
        {"ANDX(1)", 35, "错误的自定义函数“ANDX”。"},
        {"hf(1)", 35, "错误的自定义函数“HF”。"},
        {"LEFTBB(1)", 35, "错误的自定义函数“LEFTBB”。"},
        {"rounding(1)", 35, "错误的自定义函数“ROUNDING”。"},
        {"ZZ(1)", 35, "错误的自定义函数“ZZ”。"},
        {"F1(1)", 35, "函数“F1”的参数个数不正确。"},
        {"F2(1)", 35, "函数“F2”的必选参数不可以为空。"},
        {"SKIP(1)", 34, "操作数与运算符数目不匹配。"},
        {"1+SKIP(1)", 34, "双目运算符“+”缺少操作数。"},
        // Only the "(" delimiter starts a call's arguments, never a string "(".
        {"FIND(\"(\",x)", 0, "2"},
        {"LEFT(\"(\",1)&\"x\"", 0, "(x"},
        {"IF(EXACT(\"(\",\"(\"),\"(\",\")\")", 0, "("},
    };
    for (const Row& r : rows) check(r, &l);
    EXPECT_EQ(evaluate("ABS(1)").text, "错误的自定义函数“ABS”。");  // no listener at all
    EXPECT_EQ(print("LEFT(\"(\",1)").text, "LEFT(\"(\", 1)");
}

TEST(Functions, DeepNestingAndManyArguments) {
    const int depth = 20000;
    std::string f;
    for (int i = 0; i < depth; ++i) f += "INT(";
    EXPECT_EQ(evaluate(f + "1.5" + std::string(depth, ')')).text, "1");
    std::string many = "OR(";
    for (int i = 0; i < 30000; ++i) many += "FALSE,";
    EXPECT_EQ(evaluate(many + "TRUE)").text, "True");
    for (int i = 0; i < 10000; ++i) many += "FALSE,";
    EXPECT_EQ(evaluate(many + "TRUE)").number, 6);  // the argument count is a 16-bit number
}

TEST(TextOps, CaseClassesAndStringLiterals) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"tRUE", "True"}, {"a", "A"}, {"äBC", "Äbc"}, {"名A", "名a"}};
    for (auto [in, out] : cases) EXPECT_EQ(CGNTExpression::ICase(in), out) << in;
    // Each text in the class of its column: B boolean, D decimal, S string, - none.
    const std::pair<const char*, char> classes[] = {
        {"True", 'B'}, {"fALSE", 'B'}, {" True", '-'},  {" 12 ", 'D'},  {"-1.5", 'D'},
        {"+.5", 'D'},  {"5.", 'D'},    {"1e5", 'D'},    {"1E-05", 'D'}, {"1e", '-'},
        {".", '-'},    {"&H10", '-'},  {"1,000", '-'},  {"$1", '-'},    {"1.2.3", '-'},
        {"", '-'},     {"\"", 'S'},    {"\"ab\"", 'S'}, {"\"ab", '-'}};
    for (auto [in, is] : classes) {
        EXPECT_EQ(CGNTExpression::IsBoolean(in), is == 'B') << in;
        EXPECT_EQ(CGNTExpression::IsDecimal(in), is == 'D') << in;
        EXPECT_EQ(CGNTExpression::IsString(in), is == 'S') << in;
    }
    EXPECT_EQ(CGNTExpression::StrVal2Exp("a\"b"), "\"a\"\"b\"");
    for (std::string v : {"", "\"", "\"\"", "x\"\"\"y", "公式"})
        EXPECT_EQ(CGNTExpression::StrExp2Val(CGNTExpression::StrVal2Exp(v)), v) << v;
    EXPECT_THROW(CGNTExpression::StrExp2Val("\""), NemroError);
}

// Every placeholder is filled once; beyond what the function rows reach: the longest text
// counted, and hostile codes.
TEST(TextTools, FormatTextAndLimitsOfTheCodePage) {
    EXPECT_EQ(tt::FormatText("函数“%s”的参数个数不正确。", "MID"), "函数“MID”的参数个数不正确。");
    EXPECT_EQ(tt::FormatText("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(tt::FormatText("%s", "%s"), "%s");  // the argument is not expanded again
    EXPECT_EQ(tt::FormatText("100%", "x"), "100%");
    EXPECT_THROW(tt::LenBytes(std::string(40000, 'a')), NemroError);
    EXPECT_EQ(tt::LenBytes(std::string(32767, 'a')), 32767);
    EXPECT_EQ(tt::CharCode(-1, 0), 65535);
    for (std::int32_t bad : {0, -1, 0x10000}) EXPECT_THROW(tt::CharOfCode(bad), NemroError) << bad;
    EXPECT_THROW(tt::SignedCodeOf(""), NemroError);
}

TEST(TextTools, MoneyTextAcrossGroupsAndZeros) {
    const std::pair<double, const char*> cases[] = {
        {100, "壹佰元整"},
        {1000010, "壹佰万零壹拾元整"},
        {101000, "壹拾万壹仟元整"},
        {1000001000, "壹拾亿零壹仟元整"},
        {100010001, "壹亿零壹万零壹元整"},
        {1010.1, "壹仟零壹拾元壹角"},
        {10.01, "壹拾元零壹分"},
        {0.05, "伍分"},
        {0.15, "壹角伍分"},
        {-12.3, "负壹拾贰元叁角"},
        {0, "零元整"},
        {-0.0, "零元整"},
        {10, "壹拾元整"},
        {1001, "壹仟零壹元整"},
        {10000, "壹万元整"},
        {100000000, "壹亿元整"},
        {101000000, "壹亿零壹佰万元整"},
        {200000000.07, "贰亿元零柒分"},
        {123456789012.34, "壹仟贰佰叁拾肆亿伍仟陆佰柒拾捌万玖仟零壹拾贰元叁角肆分"},
        {999999999999.99, "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {-0.01, "负壹分"},
    };
    for (auto [amount, text] : cases) EXPECT_EQ(tt::MoneyText(amount), text) << amount;
    EXPECT_THROW(tt::MoneyText(1e12), NemroError);
}
