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

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    while (n--) out += s;
    return out;
}

}  // namespace

TEST(HostileEngine, HugeDeepAndWideFormulasConvertWithoutRecursing) {
    const size_t n = 1'000'000;
    EXPECT_EQ(errorNumber(repeat("A1+2*\"x\"&", (10u << 20) / 9 + 1) + "1"), 0);  // ten megabytes
    EXPECT_EQ(errorNumber(std::string(n, '(') + "1" + std::string(n, ')')), 0);
    EXPECT_EQ(errorNumber(std::string(n, '(') + "1"), 35);
    EXPECT_EQ(errorNumber(repeat("f(", n) + "1" + std::string(n, ')')), 0);
    EXPECT_EQ(errorNumber("f(" + repeat("1,", n) + "1)"), 0);
    EXPECT_EQ(errorNumber("f(" + std::string(n, ',') + ")"), 0);
}

TEST(HostileEngine, NulAndInvalidUtf8AreOrdinaryCharacters) {
    for (const std::string& c : {std::string("1+\0" "2", 4), std::string("\"a\0b\"", 5),
                                 std::string("a\xff\xfe+1"), std::string("\xc3"),
                                 std::string("\"\xed\xa0\x80\""), std::string("\0", 1)})
        EXPECT_EQ(errorNumber(c), 0) << ::testing::PrintToString(c);
    CExpElmStack s = CGNTExpression().InfixToPostfix("\"a\xff\"");
    ExpElement e;
    s.Pop(e);
    EXPECT_EQ(e.Text, "a\xEF\xBF\xBD");  // replacement character, valid UTF-8 out
}

TEST(HostileEngine, EvaluateNeverThrowsOnHugeInput) {
    std::vector<std::string> shown;
    const MessageBoxFunction old = setMessageBox(
        [&](const std::string& t, MsgIcon, const std::string&) { shown.push_back(t); });
    bool ok = true;
    EXPECT_NO_THROW(CGNTExpression().Evaluate(std::string(1'000'000, '('), &ok));
    setMessageBox(old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(shown, std::vector<std::string>{"期望配对的右括号。"});
}
