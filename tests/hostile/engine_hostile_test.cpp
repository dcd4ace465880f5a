// Inputs far beyond what a user types: each ends in a result or a clear error.
#include <gtest/gtest.h>

#include <string>

#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/message_box.h"

using namespace nemro;

namespace {

std::int32_t errorNumber(const std::string& formula) {
    try {
        CExpElmStack s = CGNTExpression().InfixToPostfix(formula);
        return 0;
    } catch (const NemroError& e) {
        return e.number();
    }
}

struct SilentBox {
    std::vector<std::string> shown;
    MessageBoxFunction old = setMessageBox(
        [this](const std::string& t, MsgIcon, const std::string&) { shown.push_back(t); });
    ~SilentBox() { setMessageBox(old); }
};

}  // namespace

TEST(HostileEngine, TenMegabyteFormulaConverts) {
    std::string f;
    f.reserve(10u << 20);
    while (f.size() < (10u << 20)) f += "A1+2*\"x\"&";
    f += "1";
    EXPECT_EQ(errorNumber(f), 0);
}

TEST(HostileEngine, MillionDeepParenthesesDoNotRecurse) {
    const size_t n = 1'000'000;
    EXPECT_EQ(errorNumber(std::string(n, '(') + "1" + std::string(n, ')')), 0);
    EXPECT_EQ(errorNumber(std::string(n, '(') + "1"), 35);
    std::string calls;
    for (size_t i = 0; i < n; ++i) calls += "f(";
    EXPECT_EQ(errorNumber(calls + "1" + std::string(n, ')')), 0);
}

TEST(HostileEngine, MillionArgumentsAndOmittedArguments) {
    std::string f = "f(";
    for (int i = 0; i < 1'000'000; ++i) f += "1,";
    f += "1)";
    EXPECT_EQ(errorNumber(f), 0);
    EXPECT_EQ(errorNumber("f(" + std::string(1'000'000, ',') + ")"), 0);
}

TEST(HostileEngine, NulAndInvalidUtf8AreOrdinaryCharacters) {
    const std::string cases[] = {
        std::string("1+\0" "2", 4), std::string("\"a\0b\"", 5), "a\xff\xfe+1", "\xc3", "\"\xed\xa0\x80\"",
        std::string("\0", 1)};
    for (const auto& c : cases) {
        const std::int32_t n = errorNumber(c);
        EXPECT_TRUE(n == 0 || n == 34 || n == 35) << n;
    }
    CExpElmStack s = CGNTExpression().InfixToPostfix("\"a\xff\"");
    ExpElement e;
    s.Pop(e);
    EXPECT_EQ(e.Text, "a\xEF\xBF\xBD");  // replacement character, valid UTF-8 out
}

TEST(HostileEngine, EvaluateNeverThrowsOnHugeInput) {
    SilentBox box;
    bool ok = true;
    std::string f(1'000'000, '(');
    EXPECT_NO_THROW(CGNTExpression().Evaluate(f, &ok));
    EXPECT_FALSE(ok);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0], "期望配对的右括号。");
}
