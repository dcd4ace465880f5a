// What the argument dialog's buttons decide, over the field texts: the checks, the
// formula text and the entries parked on gFormulaStack. Plain C++; the dialog only
// shows what these return.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nemro::dialogs {

// The row (from 1) of the first required argument whose field is empty, 0 when none;
// shows the message that names it.
int checkRequired(const std::string& functionName, const std::vector<std::string>& fields);

// Brackets, characters and the engine's evaluation; shows the message of a failed
// check and returns false. A failure the check cannot judge (the catalogue, say) is
// raised, whatever its number, so that the user always learns of it.
bool checkFormula(const std::string& formula);
bool FormulaSyntaxCheck(const std::string& formula);

// Whether the character (one UTF-8 sequence) may appear in formula text.
bool isLegalFormulaCharacter(std::string_view character);

// The formula text of the function with the given field texts.
std::string composeFormula(const std::string& functionName, const std::vector<std::string>& fields);

// A nesting level parked on gFormulaStack: the row of the formula button, the function
// and its field texts. Written as the row (two digits at least), the name and "|"
// before each field; a "|" or "\" inside a text is written with a "\" before it, so
// that any text comes back exactly.
struct ParkedEntry {
    int row = 0;
    std::string functionName;
    std::vector<std::string> fields;
};
std::string encodeParked(const ParkedEntry& entry);
ParkedEntry decodeParked(const std::string& text);
// What OK pushes before it looks at the stack: "00" and the formula.
std::string completionMarker(const std::string& formula);

}  // namespace nemro::dialogs
