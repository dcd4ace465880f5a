// The library of the bundled catalogue, the clock and the host's registered functions.
#include "library.h"

#include <algorithm>

#include "eval_helpers.h"
#include "nemro/prepared.h"

using namespace nemro;
using namespace nemro::testing;

namespace {

FunctionSettings library() {
    FunctionSettings s = FunctionSettings::WithLibrary();
    s.Now = SerialDate(2026, 12, 8) + (13 * 3600 + 45 * 60 + 30) / 86400.0;
    return s;
}

void checkLibrary(std::initializer_list<Row> rows) {
    const FunctionSettings s = library();
    checkAll(rows, nullptr, false, &s);
}

constexpr const char* kNotNumber = "无法将字符串“x”转化为数值类型。";

}  // namespace

TEST(Library, TableIsSortedWithoutDuplicatesOrBuiltIns) {
    const auto table = detail::libraryFunctions();
    EXPECT_EQ(table.size(), 40u);
    EXPECT_TRUE(std::ranges::adjacent_find(table, std::ranges::greater_equal{},
                                           &detail::LibraryFunction::name) == table.end());
    for (const auto& f : table) {
        EXPECT_EQ(detail::findLibrary(f.name), &f);
        EXPECT_EQ(detail::findBuiltin(f.name), nullptr) << f.name;
    }
}

TEST(Library, AggregatesAndRounding) {
    checkLibrary({
        {"SUM(1,2,3)", 0, "6", ekNumber},
        {"SUM(0.1,0.2)", 0, "0.3"},
        {"SUM(1,,\"2\",TRUE)", 0, "4"},
        {"SUM(1,\"x\")", 13, kNotNumber},
        {"AVERAGE(8000,,,,)", 0, "8000"},
        {"AVERAGE(2,4,9)", 0, "5"},
        {"AVERAGE(,)", 11, "除数为零。"},
        {"COUNT(1,\"2\",\"x\",TRUE,)", 0, "2"},
        {"MAX(3,9,4)", 0, "9"},
        {"MIN(\"-2\",1)", 0, "-2"},
        {"MAX(,)", 0, "0"},
        {"PRODUCT(2,3,4)", 0, "24"},
        {"SUM()", 34, "函数“SUM”的参数个数不正确。"},
        {"ABS(-5.2)", 0, "5.2"},
        {"ROUNDUP(0.1+0.2,1)", 0, "0.3"},
        {"ROUNDUP(1.005,2)", 0, "1.01"},
        {"ROUNDUP(-3.21,1)", 0, "-3.3"},
        {"ROUNDUP(1234,-2)", 0, "1300"},
        {"ROUNDUP(2.1,)", 0, "3"},
        {"ROUNDDOWN(3.789,1)", 0, "3.7"},
        {"ROUNDDOWN(-3.789,1)", 0, "-3.7"},
        {"CEILING(0.1*3,0.1)", 0, "0.3"},
        {"CEILING(4.2,0.5)", 0, "4.5"},
        {"CEILING(-4.2,0.5)", 0, "-4"},
        {"CEILING(-4.2,-0.5)", 0, "-4.5"},
        {"CEILING(4.2,-0.5)", 5, "函数“CEILING”的参数值不合要求。"},
        {"FLOOR(-4.2,0.5)", 0, "-4.5"},
        {"FLOOR(-4.2,-0.5)", 0, "-4"},
        {"FLOOR(4.7,0.5)", 0, "4.5"},
        {"FLOOR(5,0)", 11, "除数为零。"},
        {"POWER(2,10)", 0, "1024"},
        {"POWER(-8,1/3)", 5, "函数“POWER”的参数值不合要求。"},
        {"SQRT(16)", 0, "4"},
        {"SQRT(-1)", 5, "函数“SQRT”的参数值不合要求。"},
    });
}

TEST(Library, Math) {
    checkLibrary({
        {"EXP(1)", 0, "2.71828182845905", ekNumber},
        {"EXP(1000)", 6, "溢出。"},
        {"LN(1)", 0, "0"},
        {"LN(0)", 5, "函数“LN”的参数值不合要求。"},
        {"LOG10(1000)", 0, "3"},
        {"LOG10(-1)", 5, "函数“LOG10”的参数值不合要求。"},
        {"PI()", 0, "3.14159265358979"},
        {"SIN(0)", 0, "0"},
        {"COS(0)", 0, "1"},
        {"TAN(0)", 0, "0"},
        {"PI(1)", 34, "函数“PI”的参数个数不正确。"},
    });
}

TEST(Library, Texts) {
    checkLibrary({
        {"CONCATENATE(\"a\",1,TRUE,,\"中\")", 0, "a1True中", ekString},
        {"LOWER(\"ABC\")", 0, "abc"},
        {"UPPER(\"abc\")", 0, "ABC"},
        {"PROPER(\"hello wORLD-x2y\")", 0, "Hello World-X2Y"},
        {"TRIM(\"  a　　b  c \")", 0, "a b c"},
        {"REPLACE(\"abcdef\",2,3,\"X\")", 0, "aXef"},
        {"REPLACE(\"中文字\",2,1,\"x\")", 0, "中x字"},
        {"REPLACE(\"abc\",0,1,\"x\")", 5, "函数“REPLACE”的参数值不合要求。"},
        {"REPT(\"ab\",3)", 0, "ababab"},
        {"REPT(\"a\",-1)", 5, "函数“REPT”的参数值不合要求。"},
        {"REPT(\"a\",40000)", 5, "函数“REPT”的参数值不合要求。"},
        {"SUBSTITUTE(\"a-b-c\",\"-\",\"+\")", 0, "a+b+c"},
        {"SUBSTITUTE(\"a-b-c\",\"-\",\"+\",2)", 0, "a-b+c"},
        {"SUBSTITUTE(\"a-b\",\"-\",\"+\",0)", 5, "函数“SUBSTITUTE”的参数值不合要求。"},
        {"TEXT(1234.5,\"#,##0.00\")", 0, "1,234.50"},
        {"TEXT(-1234567,\"#,##0\")", 0, "-1,234,567"},
        {"TEXT(1.005,\"0.00\")", 0, "1.01"},
        {"TEXT(2.5,\"0\")", 0, "3"},
        {"TEXT(7,\"000\")", 0, "007"},
        {"TEXT(0.125,\"0.0%\")", 0, "12.5%"},
        {"TEXT(0.5,\"0%\")", 0, "50%"},
        {"TEXT(\"2026/12/8\",\"yyyy-mm-dd\")", 0, "2026-12-08"},
        {"TEXT(46364,\"yyyy年m月d日\")", 0, "2026年12月8日"},
        {"TEXT(\"2026-12-08 13:45:30\",\"yy/m/d h:mm:ss\")", 0, "26/12/8 13:45:30"},
        {"TEXT(46364.5729166667,\"hh:mm \"\"整\"\"\")", 0, "13:45 整"},
        {"TEXT(1,\"abc\")", 5, "函数“TEXT”不支持格式“abc”。"},
        {"TEXT(1,\"yyy\")", 5, "函数“TEXT”不支持格式“yyy”。"},
        {"TEXT(\"x\",\"0\")", 13, kNotNumber},
        {"VALUE(\" 1,234.5 \")", 0, "1234.5", ekNumber},
        {"VALUE(\"12%\")", 0, "0.12"},
        {"VALUE(\"１２３\")", 0, "123"},
        {"VALUE(\"2026年12月8日\")", 0, "46364"},
        {"VALUE(\"1,23\")", 13, "无法将字符串“1,23”转化为数值类型。"},
        {"VALUE(\"x\")", 13, kNotNumber},
    });
}

TEST(Library, DatesAndTheClock) {
    checkLibrary({
        {"DATE(2026,12,8)", 0, "46364", ekNumber},
        {"DATE(2026,13,1)", 0, "46388"},
        {"DATE(2026,3,0)", 0, "46081"},
        {"DATE(1899,12,31)", 5, "函数“DATE”的参数值不合要求。"},
        {"DATE(9999,12,32)", 5, "函数“DATE”的参数值不合要求。"},
        {"YEAR(46364)", 0, "2026"},
        {"MONTH(\"2026年12月8日\")", 0, "12"},
        {"DAY(DATE(2024,3,15))", 0, "15"},
        {"DAY(\"2026/2/30\")", 13, "无法将字符串“2026/2/30”转化为数值类型。"},
        {"HOUR(\"2026-12-08 13:45:30\")", 0, "13"},
        {"MINUTE(\"2026-12-08 13:45\")", 0, "45"},
        {"SECOND(\"2026-12-08 13:45:30\")", 0, "30"},
        {"SECOND(46364.9999999)", 0, "0"},
        {"DAY(46364.9999999)", 0, "9"},
        {"YEAR(-1)", 5, "函数“YEAR”的参数值不合要求。"},
        {"YEAR(\"x\")", 13, kNotNumber},
        {"WEEKDAY(DATE(2024,3,15))", 0, "6"},
        {"WEEKDAY(DATE(2024,3,15),2)", 0, "5"},
        {"WEEKDAY(DATE(2024,3,15),3)", 0, "4"},
        {"WEEKDAY(1,4)", 5, "函数“WEEKDAY”的参数值不合要求。"},
        {"TODAY()", 0, "46364"},
        {"NOW()", 0, "46364.5732638889"},
        {"TEXT(TODAY(),\"yyyy年m月d日\")", 0, "2026年12月8日"},
    });
    double serial = 0;
    EXPECT_FALSE(ParseDateText("2026-12-08 25:00", serial));
    EXPECT_FALSE(ParseDateText("1899-12-31", serial));
    // Without a clock set, the local time.
    const FunctionSettings local = FunctionSettings::WithLibrary();
    const Outcome today = evaluate("TODAY()", nullptr, &local);
    EXPECT_NEAR(std::stod(today.text), LocalNow(), 1.0);
}

TEST(Library, OffByDefaultAndInPrintedTypes) {
    ScriptedListener host({}, {{"SUM", "0"}});
    check({"SUM(1,2)", 0, "0", ekString}, &host);  // the host's answer, as before
    const FunctionSettings s = library();
    checkAll({{"SUM(1, x)", 0, "SUM(1, x)", vtNumber},
              {"TEXT(1, \"0\")", 0, "TEXT(1, \"0\")", vtString},
              {"SUM()", 35, "函数“SUM”的参数个数不正确。"}},
             nullptr, true, &s);
}

TEST(Registry, HostFunctionsComputeAndOverrideTheLibrary) {
    auto registry = std::make_shared<CFunctionRegistry>();
    registry->Register(
        "tax", 1, 2,
        [](std::span<const FunctionValue> a) {
            const double rate = a.size() > 1 && a[1].Kind != ekEmpty ? a[1].ToNumber() : 0.1;
            if (a[0].ToNumber() < 0) throw NemroError(5, "Host", "负的工资");
            return FunctionValue::Number(a[0].ToNumber() * rate);
        },
        vtNumber);
    registry->Register("SUM", 0, kAnyArgumentCount, [](std::span<const FunctionValue> a) {
        return FunctionValue::String("host sum of " + std::to_string(a.size()));
    });
    registry->Register("BAD", 0, 0, [](auto) { return FunctionValue{ekNumber, "1x"}; });
    FunctionSettings s;  // registered functions compute without the library
    s.Functions = registry;
    checkAll({{"TAX(8000)", 0, "800", ekNumber},
              {"tax(8000, 0.2)+1", 0, "1601"},
              {"TAX(-1)", 5, "负的工资"},
              {"TAX()", 34, "函数“TAX”的参数个数不正确。"},
              {"SUM(1,2)", 0, "host sum of 2", ekString},
              {"BAD()", 13, "函数“BAD”的返回值无效。"}},
             nullptr, false, &s);
    checkAll({{"TAX(x)", 0, "TAX(x)", vtNumber}}, nullptr, true, &s);
    const CPreparedExpression p("TAX(a)+SUM(a,1)", s);
    const VariableValue a{ekNumber, "100"};
    EXPECT_THROW(p.Evaluate(std::span(&a, 1)), NemroError);  // "host sum of 2" is no number
    EXPECT_EQ(CPreparedExpression("TAX(a)*2", s).Evaluate(std::span(&a, 1)).Text, "20");
    EXPECT_TRUE(p.UserFunctions().empty());
    for (const char* name : {"ROUND", "", "1X", "A B"})
        EXPECT_THROW(registry->Register(name, 0, 0, [](auto) { return FunctionValue{}; }),
                     NemroError)
            << name;
    EXPECT_THROW(registry->Register("F", 2, 1, [](auto) { return FunctionValue{}; }), NemroError);
    EXPECT_TRUE(registry->Unregister("tax"));
    EXPECT_FALSE(registry->Unregister("tax"));
}
