#include <gtest/gtest.h>

#include "nemro/error.h"
#include "nemro/formula_set.h"

namespace nemro {
namespace {

TEST(FormulaStack, PushPopCount) {
    cStack s;
    EXPECT_EQ(s.Pop(), "");
    EXPECT_EQ(s.Count(), 0);
    s.Push("a");
    s.Push("");
    s.Push("c");
    EXPECT_EQ(s.Pop(), "c");
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Pop(), "");
    EXPECT_EQ(s.Pop(), "a");
    EXPECT_EQ(s.Pop(), "");
    EXPECT_EQ(s.Count(), 0);
    s.Push("x");
    s.RemoveAll();
    EXPECT_EQ(s.Count(), 0);
}

TEST(FormulaStack, OverflowsAt32767Entries) {
    cStack s;
    for (int i = 0; i < 32767; ++i) s.Push("e");
    EXPECT_EQ(s.Count(), 32767);
    try {
        s.Push("one too many");
        FAIL() << "no overflow";
    } catch (const NemroError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
    EXPECT_EQ(s.Count(), 32767);
    EXPECT_EQ(s.Pop(), "e");
}

}  // namespace
}  // namespace nemro
