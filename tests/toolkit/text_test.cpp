#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "nemro/error.h"
#include "nemro/message_box.h"

using namespace nemro;

TEST(MessageBox, ThreadSinkCatchesOnlyItsOwnThreadsMessages) {
    std::vector<std::string> global, mine, other;
    const auto record = [](std::vector<std::string>& to) {
        return [&to](const std::string& t, MsgIcon i, const std::string& title) {
            to.push_back(t + "|" + std::to_string(static_cast<int>(i)) + "|" + title);
        };
    };
    const MessageBoxFunction old = setMessageBox(record(global));
    setThreadMessageBox(record(mine));
    showMessage("a", MsgIcon::Critical, "t");
    std::thread([&] {
        showMessage("b", MsgIcon::Critical, "t");
        setThreadMessageBox(record(other));
        showMessage("c", MsgIcon::Critical, "t");
    }).join();
    setThreadMessageBox(nullptr);
    showMessage("d", MsgIcon::Information, kApplicationTitle);
    setMessageBox(old);
    EXPECT_EQ(mine, std::vector<std::string>{"a|16|t"});
    EXPECT_EQ(other, std::vector<std::string>{"c|16|t"});
    EXPECT_EQ(global, (std::vector<std::string>{"b|16|t", "d|64|NemroFormulaSet"}));
}

TEST(Error, PrefixBuildsASourcePath) {
    NemroError e(35, "inner", "d");
    e.prefixSource("B.b()\\").prefixSource("A.a()\\");
    EXPECT_EQ(e.source(), "A.a()\\B.b()\\inner");
    EXPECT_EQ(std::string(platformDescription(11)), "除数为零。");
}
