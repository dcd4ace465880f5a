// What the argument dialog's buttons decide, over the field texts: the checks, the
// formula text and the entries parked on gFormulaStack. Plain C++; the dialog only
// shows what these return.
#pragma once

#include <string>
#include <vector>

namespace nemro::dialogs {

// The row (from 1) of the first required argument whose field is empty, 0 when none;
// shows the message that names it.
int checkRequired(const std::string& functionName, const std::vector<std::string>& fields);

// Brackets, characters and the engine's evaluation; shows the message of a failed
// check. A failure that the check cannot judge is raised.
bool checkFormula(const std::string& formula);

// The formula text of the function with the given field texts.
std::string composeFormula(const std::string& functionName, const std::vector<std::string>& fields);

// The field texts of a former formula, which names its function before the first "(".
std::vector<std::string> formerArguments(const std::string& formerFormula);

struct ParkedEntry {
    int row = 0;
    std::string functionName;
    std::vector<std::string> fields;
};
std::string encodeParked(const ParkedEntry& entry);
ParkedEntry decodeParked(const std::string& text);
std::string completionMarker(const std::string& formula);

}  // namespace nemro::dialogs
