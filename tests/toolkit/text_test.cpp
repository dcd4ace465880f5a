#include <gtest/gtest.h>

#include "nemro/error.h"
#include "nemro/message_box.h"

#include <thread>
#include <vector>
#include "nemro/text.h"

using namespace nemro;

TEST(Text, RoundTripsAndReplacesInvalidUtf8) {
    EXPECT_EQ(text::toUtf8(text::toUtf16("公式 ÄÖ 😀")), "公式 ÄÖ 😀");
    EXPECT_EQ(text::toUtf16("😀").size(), 2u);
    EXPECT_EQ(text::toUtf8(text::toUtf16("a\xff" "b")), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(text::toUtf8(text::toUtf16(std::string("a\0b", 3))), std::string("a\0b", 3));
}

TEST(Text, CaseMappingIsLocaleIndependent) {
    EXPECT_EQ(text::upper("istanbul straße"), "ISTANBUL STRASSE");
    EXPECT_EQ(text::lower("ÄBC"), "äbc");
    EXPECT_TRUE(text::equalsNoCase("TRUE", "true"));
    EXPECT_TRUE(text::equalsNoCase("Äpfel", "äPFEL"));
    EXPECT_FALSE(text::equalsNoCase("True", "Truex"));
}

TEST(MessageBox, RecorderReceivesTextIconAndTitle) {
    std::string seen;
    auto old = setMessageBox([&](const std::string& t, MsgIcon i, const std::string& title) {
        seen = t + "|" + std::to_string(static_cast<int>(i)) + "|" + title;
    });
    showMessage("x", MsgIcon::Information, kApplicationTitle);
    EXPECT_EQ(seen, "x|64|NemroFormulaSet");
    setMessageBox(old);
}

TEST(MessageBox, ThreadSinkCatchesOnlyItsOwnThreadsMessages) {
    std::vector<std::string> global, mine, other;
    auto old = setMessageBox([&](const std::string& t, MsgIcon, const std::string&) { global.push_back(t); });
    setThreadMessageBox([&](const std::string& t, MsgIcon, const std::string&) { mine.push_back(t); });
    showMessage("a", MsgIcon::Critical, "t");
    std::thread([&] {
        showMessage("b", MsgIcon::Critical, "t");
        setThreadMessageBox([&](const std::string& t, MsgIcon, const std::string&) { other.push_back(t); });
        showMessage("c", MsgIcon::Critical, "t");
    }).join();
    setThreadMessageBox(nullptr);
    showMessage("d", MsgIcon::Critical, "t");
    setMessageBox(old);
    EXPECT_EQ(mine, std::vector<std::string>{"a"});
    EXPECT_EQ(other, std::vector<std::string>{"c"});
    EXPECT_EQ(global, (std::vector<std::string>{"b", "d"}));
}

TEST(Error, PrefixBuildsASourcePath) {
    NemroError e(35, "inner", "d");
    e.prefixSource("B.b()\\").prefixSource("A.a()\\");
    EXPECT_EQ(e.source(), "A.a()\\B.b()\\inner");
    EXPECT_EQ(std::string(platformDescription(11)), "除数为零。");
}
