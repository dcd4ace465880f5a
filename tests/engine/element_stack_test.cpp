#include <gtest/gtest.h>

#include "nemro/error.h"
#include "nemro/expression.h"

using namespace nemro;

namespace {
ExpElement num(int i) { return {std::to_string(i), ekNumber, 99}; }
CExpElmStack filled(int n) {
    CExpElmStack s;
    for (int i = 1; i <= n; ++i) s.Push(num(i));
    return s;
}
}  // namespace

TEST(ElementStack, GrowsInStepsOfSixteen) {
    CExpElmStack s;
    EXPECT_EQ(s.Capacity(), 0);
    struct { int pushes, capacity; } cases[] = {{1, 16}, {16, 16}, {17, 32}, {33, 48}, {48, 48}};
    for (auto c : cases) EXPECT_EQ(filled(c.pushes).Capacity(), c.capacity) << c.pushes;
}

TEST(ElementStack, ShrinksOnlyWhenMoreThan32SlotsAreFree) {
    CExpElmStack s = filled(17);
    ExpElement e;
    while (s.Pop(e)) {}
    EXPECT_EQ(s.Capacity(), 32);

    CExpElmStack t = filled(48);
    for (int count = 48; count > 16; --count) t.Pop(e);
    EXPECT_EQ(t.Capacity(), 48);
    t.Pop(e);  // count 16 -> 15: 15 + 32 < 48
    EXPECT_EQ(t.Capacity(), 32);
    while (t.Pop(e)) {}
    EXPECT_EQ(t.Capacity(), 32);
}

TEST(ElementStack, PopOfEmptyFailsAndEmptiesTheOutElement) {
    CExpElmStack s;
    ExpElement e{"x", ekString, 5};
    EXPECT_FALSE(s.Pop(e));
    EXPECT_EQ(e, ExpElement{});
}

TEST(ElementStack, PeekAndSetAtAddressTopByZeroAndCount) {
    CExpElmStack s = filled(3);
    ExpElement e;
    struct { int index; bool ok; const char* text; } cases[] = {
        {0, true, "3"}, {1, true, "1"}, {3, true, "3"}, {4, false, ""}, {-1, false, ""}};
    for (auto c : cases) {
        EXPECT_EQ(s.Peek(e, c.index), c.ok) << c.index;
        EXPECT_EQ(e.Text, c.text) << c.index;
    }
    EXPECT_TRUE(s.SetAt(num(9), 1));
    EXPECT_FALSE(s.SetAt(num(9), 4));
    EXPECT_FALSE(CExpElmStack().SetAt(num(9), 0));
    s.Peek(e, 1);
    EXPECT_EQ(e.Text, "9");
}

TEST(ElementStack, CloneIsIndependentAndInTheSameOrder) {
    CExpElmStack s = filled(20);
    CExpElmStack c = s.Clone();
    c.SetAt(num(100), 0);
    ExpElement a, b;
    s.Peek(a, 0);
    EXPECT_EQ(a.Text, "20");
    c.Pop(b);
    s.Pop(a);
    while (s.Pop(a)) {
        ASSERT_TRUE(c.Pop(b));
        EXPECT_EQ(a, b);
    }
    EXPECT_FALSE(c.Pop(b));
}

TEST(ElementStack, StackSizeOverflowsBeyond32767) {
    CExpElmStack s = filled(32767);
    EXPECT_EQ(s.StackSize(), 32767);
    s.Push(num(0));
    try {
        (void)s.StackSize();
        FAIL() << "no overflow";
    } catch (const NemroError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), "溢出。");
    }
}
