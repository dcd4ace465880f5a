// Argument list strings, CArgumentSet's lookup and what the editor's clicks do, without
// widgets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nemro/argument_editor.h"
#include "nemro/argument_set.h"
#include "nemro/error.h"

namespace nemro {
namespace {

// The list string with ";" for the entry separator (code 15) and "," for the field one (14).
std::string list(std::string text) {
    for (char& c : text) c = c == ';' ? kEntrySeparator : c == ',' ? kFieldSeparator : c;
    return text;
}

TEST(GetValueByName, AnswersTheFirstEntryWithTheNameIgnoringCaseOrFailsTagged) {
    const std::string taxes = list("RATE,0.05,税率;base,100,基数;Base,200,"),
                      subscript = "9 下标越界。";
    const struct {
        std::string list, name, answer;
    } rows[] = {
        {taxes, "RATE", "0.05"},
        {taxes, "BASE", "100"},  // of two names differing in case, the first
        {taxes, "RATE ", ""},    // neither side is trimmed
        {list("A,1,d,extra"), "a", "1"},
        {list("X;A,2,"), "A", "2"},              // a name-only entry that does not match is passed
        {list("A,3,;"), "A", "3"},               // an empty entry after the match is never reached
        {"", "", "-2147221503 参数没有给定！"},  // before the name is looked at
        {list("A,1,"), "", "-2147221502 参数名称没有给定！"},
        {list("X,1,;;A,2,"), "A", subscript},  // an empty entry before a match
        {list("A,2,;"), "B", subscript},
        {list("A"), "a", subscript},  // a match without a value
    };
    for (const auto& c : rows) {
        std::string answer;
        try {
            answer = CArgumentSet().GetValueByName(c.list, c.name);
        } catch (const NemroError& e) {
            answer = std::to_string(e.number()) + " " + e.description();
            EXPECT_EQ(e.source(), "CArgumentSet.GetValueByName()\\NemroFormulaSet") << c.name;
        }
        EXPECT_EQ(answer, c.answer) << c.list << " / " << c.name;
    }
}

TEST(ArgumentList, ReadsEntriesUntilOneHasFewerThanThreeFields) {
    // The entries read, as written back; a text that is its own reading round-trips.
    const std::tuple<std::string, std::string, std::size_t> rows[] = {
        {"", "", 0},
        {" A , 1,d ;B,,b", " A , 1,d ;B,,b", 0},
        {"A,1,d,x", "A,1,d", 0},  // fields after the third are ignored
        {"A,1,d;B,2;C,3,", "A,1,d", 2},
        {"A", "", 1},
        {"A,1,d;", "A,1,d", 2},
        {";A,1,d", "", 1},
    };
    for (const auto& [text, entries, shortEntry] : rows) {
        const ArgumentListReading r = readArgumentList(list(text));
        EXPECT_EQ(writeArgumentList(r.entries), list(entries)) << text;
        EXPECT_EQ(r.shortEntry, shortEntry) << text;
    }
}

TEST(ArgumentEditor, ClicksAnyItemOfAHundredThousand) {
    std::string text = "N0,0,";
    for (int i = 1; i < 100000; ++i)
        text += ";N" + std::to_string(i) + "," + std::to_string(i) + ",";
    ArgumentEditorFields fields;
    ArgumentListEditor editor(fields);
    editor.ReadArgument(list(text));
    EXPECT_EQ(editor.Click(99999).value, "99998");  // past the 16 bits of old
    EXPECT_TRUE(editor.Delete());
}

TEST(SetArgument, FailsWithoutAnInstalledEditor) {
    const ArgumentEditorFunction previous = setArgumentEditor({});
    try {
        CArgumentSet().SetArgument(list("A,1,"));
        ADD_FAILURE() << "no failure without an editor";
    } catch (const NemroError& e) {
        EXPECT_EQ(std::to_string(e.number()) + " " + e.source(), "5 CArgumentSet.SetArgument");
    }
    setArgumentEditor(previous);
}

TEST(ArgumentEditor, NewModifyAndDeleteKeepNamesUniqueAndActOnTheClickedItem) {
    // On the list A,1,a;B,2,b;C,3,c after a click (0: none); New trims what it adds,
    // Modify stores as typed. `saved` is the list then, "" when it did not change.
    const struct {
        int clicked;
        char button;
        ArgumentTexts typed;
        const char* saved;
    } rows[] = {
        {0, 'N', {" D ", " 4 ", " d "}, "A,1,a;B,2,b;C,3,c;D,4,d"},
        {0, 'N', {"", "9", "x"}, ""},
        {0, 'N', {"  ", "", ""}, "A,1,a;B,2,b;C,3,c;,,"},              // blanks: an empty name
        {0, 'N', {"E\x0f", "5\x0e", "e"}, "A,1,a;B,2,b;C,3,c;E,5,e"},  // no separators get in
        {0, 'N', {"B\x0e", "9", ""}, ""},                              // nor past the name check
        {2, 'M', {" X ", " 9", "d "}, "A,1,a; X , 9,d ;C,3,c"},
        {2, 'M', {"b", "9", ""}, "A,1,a;b,9,;C,3,c"},  // its own name in another case
        {2, 'M', {"a", "9", ""}, ""},
        {2, 'M', {" C ", "9", ""}, ""},
        {2, 'M', {"C\x0f", "9", ""}, ""},
        {4, 'M', {"X", "9", ""}, ""},  // a click beside the list is no click
        {2, 'M', {"", "9", ""}, ""},
        {0, 'D', {}, ""},
        {3, 'D', {}, "A,1,a;B,2,b"},
        {1, 'D', {}, "B,2,b;C,3,c"},
    };
    for (const auto& c : rows) {
        ArgumentEditorFields fields;
        ArgumentListEditor editor(fields);
        editor.ReadArgument(list("A,1,a;B,2,b;C,3,c"));
        editor.Click(c.clicked);
        const bool changed = c.button == 'N'   ? editor.New(c.typed)
                             : c.button == 'M' ? editor.Modify(c.typed)
                                               : editor.Delete();
        editor.SaveArgument();
        EXPECT_EQ(changed, *c.saved != '\0') << c.button << " " << c.typed.name;
        EXPECT_EQ(fields.m_sArgument, list(*c.saved ? c.saved : "A,1,a;B,2,b;C,3,c"));
    }
}

TEST(ArgumentEditor, AShortEntryStopsTheReadingWithItsPositionAndTaggedFailure) {
    ArgumentEditorFields fields;
    ArgumentListEditor editor(fields);
    const auto failure = editor.ReadArgument(list("A,1,a;B,2;C,3,c"));
    EXPECT_EQ(editor.items().size(), 1u);
    EXPECT_EQ(readFailureMessage(failure),
              "参数列表的第2项少于三个字段（名称、值、描述），这一项及其后的参数没有读入。\n\n"
              "下标越界。\nfrmArgumentSet1.ReadArgument()\\NemroFormulaSet (9)");
    EXPECT_EQ(editor.ReadArgument("").position, 0u);
}

}  // namespace
}  // namespace nemro
