// Argument list strings and parked entries beyond what the editor and the dialog write.
#include <gtest/gtest.h>

#include <string>

#include "nemro/argument_set.h"
#include "nemro/error.h"
#include "nemro/formula_checks.h"

namespace nemro::testing {
namespace {

// The value of "A" or the error number, and what the editor reads it writes back so that it
// reads the same again.
TEST(HostileLists, StraySeparatorsGiveAnAnswerOrAClearError) {
    const std::string E(1, kEntrySeparator), F(1, kFieldSeparator);
    const std::pair<std::string, const char*> cases[] = {
        {E, "error 9 said"}, {E + E + E, "error 9 said"}, {F, "value "}, {F + F + F + F, "value "},
        {"A" + F + "1" + F + E + E, "value 1"}, {E + "A" + F + "1" + F, "error 9 said"},
        {"A" + F + F + F + F + F + E, "value "}, {"A" + E + F + "1", "error 9 said"},
        {std::string(1000, kEntrySeparator), "error 9 said"}, {std::string(1000, kFieldSeparator), "value "},
        {"A" + F + "1" + F + "d" + E + std::string("\0", 1), "value 1"},
    };
    for (const auto& [list, expected] : cases) {
        std::string outcome;
        try {
            outcome = "value " + CArgumentSet().GetValueByName(list, "A");
        } catch (const NemroError& e) {
            outcome = "error " + std::to_string(e.number()) + (e.description().empty() ? "" : " said");
        }
        EXPECT_EQ(outcome, expected) << ::testing::PrintToString(list);
        const ArgumentListReading reading = readArgumentList(list);
        EXPECT_EQ(readArgumentList(writeArgumentList(reading.entries)).entries, reading.entries);
    }
}

TEST(HostileLists, HundredThousandEntries) {
    std::vector<ArgumentEntry> entries;
    for (int i = 0; i < 100000; ++i)
        entries.push_back({"N" + std::to_string(i), std::to_string(i), "描述"});
    const std::string text = writeArgumentList(entries);
    EXPECT_EQ(readArgumentList(text).entries, entries);
    EXPECT_EQ(CArgumentSet().GetValueByName(text, "n99999"), "99999");
}

TEST(HostileLists, ParkedFieldsKeepEveryCharacter) {
    const std::vector<std::string> fields = {
        "😀👩‍👩‍👧", "e\xcc\x81 n\xcc\x83", "שלום עולם", "مرحبا|", "\\", "|", "", std::string(100000, 'x'),
        std::string("a\0b", 3), "\xff\xfe invalid UTF-8",
    };
    for (int row : {1, 9, 10, 99, 100, 32767}) {
        const dialogs::ParkedEntry entry{row, "IF", fields};
        const dialogs::ParkedEntry back = dialogs::decodeParked(dialogs::encodeParked(entry));
        EXPECT_EQ(back.row, row);
        EXPECT_EQ(back.functionName, "IF");
        EXPECT_EQ(back.fields, fields);
    }
}

}  // namespace
}  // namespace nemro::testing
