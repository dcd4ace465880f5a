// The replaceable message box: the dialogs install the Qt one, tests a recorder,
// the command-line tool one that writes to standard error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "nemro/export.h"

namespace nemro {

enum class MsgIcon : int { Critical = 16, Information = 64 };

using MessageBoxFunction =
    std::function<void(const std::string& text, MsgIcon icon, const std::string& title)>;

// Installs fn and returns the one it replaces. An empty function silences messages.
NEMRO_API MessageBoxFunction setMessageBox(MessageBoxFunction fn);

// Installs fn for the calling thread only, in front of the process-wide one, and
// returns the one it replaces; an empty function falls back to the process-wide one.
// Lets a caller collect the messages of its own checks while other threads go on.
NEMRO_API MessageBoxFunction setThreadMessageBox(MessageBoxFunction fn);

// What a check or an evaluation would tell the user, for a view to show its own way:
// the message box's text, title and icon, and the row at fault (from 1; 0 when the
// message is about the whole formula).
struct Diagnostic {
    std::string text;
    std::string title;
    MsgIcon icon = MsgIcon::Critical;
    int row = 0;
    // Where in the formula the fault lies, as NemroError::position and length give it.
    std::int32_t position = 0, length = 0;
};

// The diagnostic of a formula the engine refused: its description under "公式输入有误!".
NEMRO_API Diagnostic formulaErrorDiagnostic(std::string description);
// Shows d in the message box, as the classic dialogs do.
NEMRO_API void showDiagnostic(const Diagnostic& d);

// Shows a modal message with a single OK button through the installed function.
NEMRO_API void showMessage(const std::string& text, MsgIcon icon, const std::string& title);

// The title of the messages about a formula the user entered.
inline constexpr const char* kFormulaErrorTitle = "公式输入有误!";

// The application title used for information messages.
inline constexpr const char* kApplicationTitle = "NemroFormulaSet";

}  // namespace nemro
