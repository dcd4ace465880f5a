#include "eval_helpers.h"

using namespace nemro;

static ExpElement num(int i) {
    return {std::to_string(i), ekNumber, 99};
}
static CExpElmStack filled(int n) {
    CExpElmStack s;
    for (int i = 1; i <= n; ++i) s.Push(num(i));
    return s;
}

// The stack grows in steps of sixteen and shrinks only when more than 32 slots are free.
TEST(ElementStack, Capacity) {
    EXPECT_EQ(CExpElmStack().Capacity(), 0);
    struct {
        int pushes, pops, capacity;
    } cases[] = {{1, 0, 16},   {16, 0, 16},  {17, 0, 32},  {33, 0, 48}, {48, 0, 48},
                 {17, 17, 32}, {48, 32, 48}, {48, 33, 32}, {48, 48, 32}};
    for (auto c : cases) {
        CExpElmStack s = filled(c.pushes);
        for (ExpElement e; c.pops-- > 0;) s.Pop(e);
        EXPECT_EQ(s.Capacity(), c.capacity) << c.pushes;
    }
}

TEST(ElementStack, PopPeekSetAtAndClone) {
    ExpElement e{"x", ekString, 5};
    EXPECT_FALSE(CExpElmStack().Pop(e));
    EXPECT_EQ(e, ExpElement{});  // a failed pop empties the out element
    CExpElmStack s = filled(3);
    // index 0 and the count both address the top
    const std::tuple<int, bool, std::string> cases[] = {
        {0, true, "3"}, {1, true, "1"}, {3, true, "3"}, {4, false, ""}, {-1, false, ""}};
    for (auto [index, ok, text] : cases)
        EXPECT_EQ(std::pair(s.Peek(e, index), e.Text), std::pair(ok, text)) << index;
    EXPECT_FALSE(s.SetAt(num(9), 4) || CExpElmStack().SetAt(num(9), 0));
    EXPECT_TRUE(s.SetAt(num(9), 1) && s.Peek(e, 1) && e.Text == "9");
    CExpElmStack c = s.Clone();  // independent, in the same order
    c.SetAt(num(100), 0);
    EXPECT_TRUE(s.Peek(e, 0) && e.Text == "3");
    for (const char* text : {"100", "2", "9"}) EXPECT_TRUE(c.Pop(e) && e.Text == text) << text;
    EXPECT_FALSE(c.Pop(e));
}

TEST(ElementStack, StackSizeOverflowsBeyond32767) {
    CExpElmStack s = filled(32767);
    EXPECT_EQ(s.StackSize(), 32767);
    s.Push(num(0));
    const auto o =
        nemro::testing::outcomeOf([&] { return std::pair(std::string(), s.StackSize()); });
    EXPECT_EQ(std::pair(o.number, o.text), std::pair(6, std::string("溢出。")));
}
