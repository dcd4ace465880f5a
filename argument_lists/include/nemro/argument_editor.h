// What the argument list editor does to its list, without widgets: the dialog shows
// the items and the text boxes, and asks this class what each click changes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/argument_set.h"
#include "nemro/error.h"

namespace nemro {

// The editor's fields that outlive a showing: the list text handed in (and, after
// its exit button, the saved list) and the position of the item last clicked. One set
// per thread, as there is one editor per thread.
struct ArgumentEditorFields {
    std::string m_sArgument;
    // From 1; 0 until an item is clicked. Wider than the 16 bits of old, so that any
    // item of a long list can be clicked.
    int m_iCurIndex = 0;
};
ArgumentEditorFields& argumentEditorFields();

// The three text boxes.
struct ArgumentTexts {
    std::string name;
    std::string value;
    std::string description;
};

class ArgumentListEditor {
  public:
    explicit ArgumentListEditor(ArgumentEditorFields& fields) : fields_(fields) {}

    // Appends the entries of the list text; an entry with fewer than three fields
    // stops the reading. Returns its failure (err::SubscriptOutOfRange, tagged
    // "frmArgumentSet1.ReadArgument()\") and its position, or position 0.
    struct ReadFailure {
        std::size_t position = 0;
        NemroError error{0, "", ""};
    };
    ReadFailure ReadArgument(std::string_view text);
    // Writes the items into m_sArgument.
    void SaveArgument();

    const std::vector<ArgumentEntry>& items() const { return items_; }
    int curIndex() const { return fields_.m_iCurIndex; }

    // A click on the item at `position` (from 1): remembers it and returns its texts.
    ArgumentTexts Click(int position);
    // Each returns whether the list changed; the dialog then updates that item and
    // empties the boxes (New, Delete) or leaves them (Modify).
    bool New(const ArgumentTexts& t);
    bool Modify(const ArgumentTexts& t);
    bool Delete();

  private:
    bool clickedItemExists() const;
    // Whether `name`, trimmed and in upper case, is the name of an item other than
    // the one at `except` (from 1; 0 for none).
    bool nameTaken(const std::string& name, int except) const;

    ArgumentEditorFields& fields_;
    std::vector<ArgumentEntry> items_;
};

// The information message for a list text that could not be read to its end.
std::string readFailureMessage(const ArgumentListEditor::ReadFailure& failure);

}  // namespace nemro
