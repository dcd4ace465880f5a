// What the editor's clicks do to the list, without widgets.
#include <gtest/gtest.h>

#include "nemro/argument_editor.h"

namespace nemro {
namespace {

const std::string kThree = "A\x0e" "1\x0e" "a\x0f" "B\x0e" "2\x0e" "b\x0f" "C\x0e" "3\x0e" "c";

struct Editor {
    ArgumentEditorFields fields;
    ArgumentListEditor editor{fields};
    explicit Editor(const std::string& text = kThree) { editor.ReadArgument(text); }
    std::string saved() {
        editor.SaveArgument();
        return fields.m_sArgument;
    }
};

TEST(ArgumentEditor, NewKeepsNamesUniqueAndTrimsWhatItAdds) {
    const struct {
        const char* what;
        ArgumentTexts typed;
        bool added;
        ArgumentEntry last;
    } cases[] = {
        {"a new name, all three trimmed", {" D ", " 4 ", " d "}, true, {"D", "4", "d"}},
        {"the same name in another case", {"b", "9", ""}, false, {"C", "3", "c"}},
        {"the same name with blanks around it", {"  B ", "9", ""}, false, {"C", "3", "c"}},
        {"an empty name", {"", "9", "x"}, false, {"C", "3", "c"}},
        {"a name of blanks becomes an empty name", {"  ", "", ""}, true, {"", "", ""}},
        {"separators never get into the list", {"E\x0f", "5\x0e", "e"}, true, {"E", "5", "e"}},
        {"nor past the name check", {"B\x0e", "9", ""}, false, {"C", "3", "c"}},
    };
    for (const auto& c : cases) {
        Editor e;
        EXPECT_EQ(e.editor.New(c.typed), c.added) << c.what;
        EXPECT_EQ(e.editor.items().size(), c.added ? 4u : 3u) << c.what;
        EXPECT_EQ(e.editor.items().back(), c.last) << c.what;
        EXPECT_EQ(readArgumentList(e.saved()).entries, e.editor.items()) << c.what;
    }
}

TEST(ArgumentEditor, ModifyStoresAsTypedOnlyOnAClickedItemAndUniqueName) {
    const struct {
        const char* what;
        int clicked;  // 0: none
        ArgumentTexts typed;
        bool changed;
    } cases[] = {
        {"as typed, not trimmed", 2, {" X ", " 9", "d "}, true},
        {"its own name in another case", 2, {"b", "9", ""}, true},
        {"the name of another item", 2, {"a", "9", ""}, false},
        {"the name of another item with blanks", 2, {" C ", "9", ""}, false},
        {"the name of another item with a separator", 2, {"C\x0f", "9", ""}, false},
        {"nothing clicked", 0, {"X", "9", ""}, false},
        {"an empty name", 2, {"", "9", ""}, false},
    };
    for (const auto& c : cases) {
        Editor e;
        if (c.clicked) e.editor.Click(c.clicked);
        EXPECT_EQ(e.editor.Modify(c.typed), c.changed) << c.what;
        const ArgumentEntry second = e.editor.items()[1];
        const ArgumentEntry expected = c.changed ? ArgumentEntry{c.typed.name, c.typed.value, c.typed.description}
                                                 : ArgumentEntry{"B", "2", "b"};
        EXPECT_EQ(second, expected) << c.what;
    }
}

TEST(ArgumentEditor, ClickRemembersThePositionAndDeleteActsOnlyOnAnExistingItem) {
    Editor e;
    EXPECT_FALSE(e.editor.Delete()) << "nothing clicked yet";
    const ArgumentTexts t = e.editor.Click(3);
    EXPECT_EQ(t.name, "C");
    EXPECT_EQ(t.description, "c");
    EXPECT_EQ(e.fields.m_iCurIndex, 3);
    EXPECT_TRUE(e.editor.Delete());
    EXPECT_EQ(e.fields.m_iCurIndex, 3) << "deleting does not move the position";
    EXPECT_FALSE(e.editor.Delete()) << "the position is now beyond the last item";
    EXPECT_FALSE(e.editor.Modify({"Z", "", ""}));
    EXPECT_EQ(e.saved(), "A\x0e" "1\x0e" "a\x0f" "B\x0e" "2\x0e" "b");
    e.editor.Click(1);
    EXPECT_TRUE(e.editor.Delete());
    EXPECT_TRUE(e.editor.Delete()) << "position 1 now holds the next item";
    EXPECT_FALSE(e.editor.Delete()) << "the list is empty";
    EXPECT_EQ(e.saved(), "");
}

TEST(ArgumentEditor, APositionFromAnEarlierShowingAddressesTheNewList) {
    ArgumentEditorFields fields;
    {
        ArgumentListEditor first(fields);
        first.ReadArgument(kThree);
        first.Click(2);
    }
    ArgumentListEditor second(fields);
    second.ReadArgument("P\x0e" "1\x0e" "\x0f" "Q\x0e" "2\x0e");
    EXPECT_TRUE(second.Modify({"R", "5", ""}));
    EXPECT_EQ(second.items()[1], (ArgumentEntry{"R", "5", ""}));
    ArgumentListEditor third(fields);
    third.ReadArgument("P\x0e" "1\x0e");
    EXPECT_FALSE(third.Modify({"R", "5", ""}));
    EXPECT_FALSE(third.Delete());
}

TEST(ArgumentEditor, AShortEntryStopsTheReadingWithItsPositionAndTaggedFailure) {
    ArgumentEditorFields fields;
    ArgumentListEditor editor(fields);
    const auto failure = editor.ReadArgument("A\x0e" "1\x0e" "a\x0f" "B\x0e" "2\x0f" "C\x0e" "3\x0e" "c");
    ASSERT_EQ(editor.items().size(), 1u);
    EXPECT_EQ(failure.position, 2u);
    EXPECT_EQ(failure.error.number(), err::SubscriptOutOfRange);
    EXPECT_EQ(failure.error.source(), "frmArgumentSet1.ReadArgument()\\NemroFormulaSet");
    const std::string message = readFailureMessage(failure);
    EXPECT_NE(message.find("第2项"), std::string::npos) << message;
    EXPECT_NE(message.find(failure.error.description()), std::string::npos) << message;
    EXPECT_NE(message.find(failure.error.source()), std::string::npos) << message;
    EXPECT_EQ(editor.ReadArgument("").position, 0u);
}

}  // namespace
}  // namespace nemro
