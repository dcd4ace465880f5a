// CArgumentSet's lookup and the list string, without a GUI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nemro/argument_set.h"
#include "nemro/error.h"

namespace nemro {
namespace {

// Entries joined by code 15, each with its fields joined by code 14.
std::string list(const std::vector<std::vector<std::string>>& entries) {
    std::string s;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i) s += kEntrySeparator;
        for (std::size_t f = 0; f < entries[i].size(); ++f) {
            if (f) s += kFieldSeparator;
            s += entries[i][f];
        }
    }
    return s;
}

struct LookupCase {
    const char* what;
    std::string list;
    std::string name;
    std::string value;
};

TEST(GetValueByName, FindsTheFirstEntryWithTheNameIgnoringCase) {
    const std::string taxes = list({{"RATE", "0.05", "税率"}, {"base", "100", "基数"}, {"Base", "200", ""}});
    const LookupCase cases[] = {
        {"first entry", taxes, "RATE", "0.05"},
        {"a later entry, description ignored", taxes, "BASE", "100"},
        {"lower-case name, upper-case lookup", list({{"rate", "7", "x"}}), "RATE", "7"},
        {"upper-case name, mixed-case lookup", taxes, "rAtE", "0.05"},
        {"two names differing in case: the first answers", taxes, "base", "100"},
        {"a blank after the looked-up name", taxes, "RATE ", ""},
        {"a blank inside the stored name", list({{" RATE", "1", ""}}), "RATE", ""},
        {"not in the list", taxes, "NONE", ""},
        {"Chinese name", list({{"税率", "0.13", "增值税"}}), "税率", "0.13"},
        {"value with more fields after it", list({{"A", "1", "d", "extra"}}), "a", "1"},
        {"entry of two fields", list({{"A", "1"}}), "A", "1"},
        {"empty value", list({{"A", "", ""}}), "A", ""},
        {"a name-only entry that does not match is passed", list({{"X"}, {"A", "2", ""}}), "A", "2"},
        {"empty entry after the match is never reached",
         list({{"A", "3", ""}}) + kEntrySeparator, "A", "3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CArgumentSet().GetValueByName(c.list, c.name), c.value) << c.what;
}

struct FailureCase {
    const char* what;
    std::string list;
    std::string name;
    std::int32_t number;
    const char* description;
};

TEST(GetValueByName, FailsWithTheTaggedSourceAndTheLibraryName) {
    const std::string subscript = platformDescription(err::SubscriptOutOfRange);
    const FailureCase cases[] = {
        {"empty list, before the name is looked at", "", "", err::ArgumentNotFound, "参数没有给定！"},
        {"empty list with a name", "", "A", err::ArgumentNotFound, "参数没有给定！"},
        {"empty name", list({{"A", "1", ""}}), "", err::ArgumentList, "参数名称没有给定！"},
        {"empty entry in the middle before a match",
         list({{"X", "1", ""}}) + kEntrySeparator + kEntrySeparator + list({{"A", "2", ""}}), "A",
         err::SubscriptOutOfRange, subscript.c_str()},
        {"leading entry separator", std::string(1, kEntrySeparator) + list({{"A", "2", ""}}), "A",
         err::SubscriptOutOfRange, subscript.c_str()},
        {"trailing separator, no match", list({{"A", "2", ""}}) + kEntrySeparator, "B",
         err::SubscriptOutOfRange, subscript.c_str()},
        {"matching entry without a value", list({{"A"}}), "a", err::SubscriptOutOfRange,
         subscript.c_str()},
    };
    for (const auto& c : cases) {
        try {
            CArgumentSet().GetValueByName(c.list, c.name);
            ADD_FAILURE() << c.what << ": no failure";
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), c.number) << c.what;
            EXPECT_EQ(e.description(), c.description) << c.what;
            EXPECT_EQ(e.source(), "CArgumentSet.GetValueByName()\\NemroFormulaSet") << c.what;
        }
    }
    EXPECT_EQ(err::ArgumentNotFound, -2147221503);
    EXPECT_EQ(err::ArgumentList, -2147221502);
}

TEST(ArgumentList, ReadsEntriesUntilOneHasFewerThanThreeFields) {
    const struct {
        const char* what;
        std::string text;
        std::vector<ArgumentEntry> entries;
        std::size_t shortEntry;
    } cases[] = {
        {"empty text is the empty list", "", {}, 0},
        {"one entry", list({{"A", "1", "d"}}), {{"A", "1", "d"}}, 0},
        {"blanks are kept", list({{" A ", " 1", "d "}}), {{" A ", " 1", "d "}}, 0},
        {"empty fields", list({{"", "", ""}}), {{"", "", ""}}, 0},
        {"fields after the third are ignored", list({{"A", "1", "d", "x"}}), {{"A", "1", "d"}}, 0},
        {"two fields stop at that entry", list({{"A", "1", "d"}, {"B", "2"}, {"C", "3", ""}}),
         {{"A", "1", "d"}}, 2},
        {"a name alone", list({{"A"}}), {}, 1},
        {"a trailing entry separator", list({{"A", "1", "d"}}) + kEntrySeparator, {{"A", "1", "d"}}, 2},
        {"a leading entry separator", kEntrySeparator + list({{"A", "1", "d"}}), {}, 1},
        {"a newline is text", list({{"A", "1", "line\nline"}}), {{"A", "1", "line\nline"}}, 0},
    };
    for (const auto& c : cases) {
        const ArgumentListReading r = readArgumentList(c.text);
        EXPECT_EQ(r.entries, c.entries) << c.what;
        EXPECT_EQ(r.shortEntry, c.shortEntry) << c.what;
    }
}

TEST(ArgumentList, WritesEveryEntryWithTwoFieldSeparatorsAndRoundTrips) {
    EXPECT_EQ(writeArgumentList({}), "");
    EXPECT_EQ(writeArgumentList({{"", "", ""}}), "\x0e\x0e");
    EXPECT_EQ(writeArgumentList({{"A", "1", "a"}, {"B", "", "b"}}), "A\x0e" "1\x0e" "a\x0f" "B\x0e\x0e" "b");
    const std::vector<std::vector<ArgumentEntry>> lists = {
        {{"A", "1", "a"}},
        {{" A ", "", "两行\n描述"}, {"", "", ""}, {"税率", "0.13", ""}},
        {{"", "", ""}, {"", "", ""}},
    };
    for (const auto& entries : lists) {
        const ArgumentListReading r = readArgumentList(writeArgumentList(entries));
        EXPECT_EQ(r.entries, entries);
        EXPECT_EQ(r.shortEntry, 0u);
    }
}

TEST(ArgumentList, HundredThousandEntriesReadWriteAndLookUp) {
    std::vector<ArgumentEntry> entries;
    for (int i = 0; i < 100000; ++i)
        entries.push_back({"N" + std::to_string(i), std::to_string(i * 7), "d"});
    const std::string text = writeArgumentList(entries);
    const ArgumentListReading r = readArgumentList(text);
    ASSERT_EQ(r.entries.size(), entries.size());
    EXPECT_EQ(r.entries.back(), entries.back());
    EXPECT_EQ(r.shortEntry, 0u);
    EXPECT_EQ(CArgumentSet().GetValueByName(text, "n99999"), "699993");
}

TEST(SetArgument, HandsTheListToTheInstalledEditorAndFailsWithoutOne) {
    ArgumentEditorFunction previous = setArgumentEditor({});
    try {
        CArgumentSet().SetArgument("A\x0e" "1\x0e");
        ADD_FAILURE() << "no failure without an editor";
    } catch (const NemroError& e) {
        EXPECT_EQ(e.number(), err::InvalidArgument);
        EXPECT_EQ(e.source(), "CArgumentSet.SetArgument");
    }
    std::string handed;
    setArgumentEditor([&](const std::string& text) {
        handed = text;
        return std::string("B\x0e" "2\x0e");
    });
    EXPECT_EQ(CArgumentSet().SetArgument("A\x0e" "1\x0e"), "B\x0e" "2\x0e");
    EXPECT_EQ(handed, "A\x0e" "1\x0e");
    setArgumentEditor([](const std::string&) -> std::string {
        throw NemroError(7, "editor", "failed");
    });
    EXPECT_THROW(CArgumentSet().SetArgument(), NemroError);
    setArgumentEditor(previous);
}

}  // namespace
}  // namespace nemro
