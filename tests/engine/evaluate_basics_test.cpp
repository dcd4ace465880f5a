#include <gtest/gtest.h>

#include "nemro/expression.h"
#include "nemro/message_box.h"

using namespace nemro;

namespace {
struct Recorder {
    std::vector<std::string> texts;
    MessageBoxFunction old;
    Recorder() {
        old = setMessageBox([this](const std::string& t, MsgIcon icon, const std::string& title) {
            EXPECT_EQ(icon, MsgIcon::Critical);
            EXPECT_EQ(title, "公式输入有误!");
            texts.push_back(t);
        });
    }
    ~Recorder() { setMessageBox(old); }
};
}  // namespace

TEST(EvaluateBasics, EmptyAndSyntaxErrorsShowOnlyTheDescription) {
    struct { const char* in; const char* shown; } cases[] = {
        {"", "空的表达式。"},
        {"   ", "空的表达式。"},
        {"1 2", "缺乏运算符。"},
        {"\"x", "期望配对的双引号。"},
    };
    for (auto c : cases) {
        Recorder r;
        bool ok = true;
        CGNTExpression().Evaluate(c.in, &ok);
        EXPECT_FALSE(ok) << c.in;
        ASSERT_EQ(r.texts.size(), 1u) << c.in;
        EXPECT_EQ(r.texts[0], c.shown) << c.in;
    }
}
