// Named argument lists: one string holding entries of name, value and description,
// which the host keeps; CArgumentSet edits such a string and looks values up in it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/export.h"

namespace nemro {

// Entries are separated by code 15, the fields of an entry by code 14. There is no
// escaping, so neither character can be part of a name, value or description.
inline constexpr char kEntrySeparator = '\x0f';
inline constexpr char kFieldSeparator = '\x0e';

// The library name that stands for the source of the component's own failures.
inline constexpr const char* kLibraryName = "NemroFormulaSet";

struct ArgumentEntry {
    std::string name;
    std::string value;
    std::string description;
    friend bool operator==(const ArgumentEntry&, const ArgumentEntry&) = default;
};

// A list string read the way the editor reads it: every entry up to the first one
// with fewer than three fields. Fields after the third are ignored.
struct ArgumentListReading {
    std::vector<ArgumentEntry> entries;
    // The position (from 1) of the first entry with fewer than three fields, 0 when
    // every entry was read.
    std::size_t shortEntry = 0;
};
NEMRO_API ArgumentListReading readArgumentList(std::string_view list);

// The list string of the entries, in order; "" for none.
NEMRO_API std::string writeArgumentList(const std::vector<ArgumentEntry>& entries);

// Shows the argument list editor modally with `list` as its list text and returns the
// text it holds once it has closed. The Qt dialogs install one when the component is
// loaded; the plain library has none.
using ArgumentEditorFunction = std::function<std::string(const std::string& list)>;
// Installs fn and returns the one it replaces; an empty function uninstalls.
NEMRO_API ArgumentEditorFunction setArgumentEditor(ArgumentEditorFunction fn);

class NEMRO_API CArgumentSet {
  public:
    // Lets the user edit the list and returns the edited list. Closing the editor
    // through its window frame returns sCurArgument unchanged. Fails when no editor is
    // installed; the editor's own failures pass through.
    std::string SetArgument(const std::string& sCurArgument = {});

    // The value of the first entry whose name equals sName without regard to case
    // (neither side trimmed), "" when none does. Fails with err::ArgumentNotFound for
    // an empty list, err::ArgumentList for an empty name, and err::SubscriptOutOfRange
    // for an empty entry reached before a match or a match without a value.
    std::string GetValueByName(const std::string& sArgument, const std::string& sName) const;
};

}  // namespace nemro
