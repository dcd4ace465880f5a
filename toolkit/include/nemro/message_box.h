// The replaceable message box: the dialogs install the Qt one, tests a recorder,
// the command-line tool one that writes to standard error.
#pragma once

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

// Shows a modal message with a single OK button through the installed function.
NEMRO_API void showMessage(const std::string& text, MsgIcon icon, const std::string& title);

// The application title used for information messages.
inline constexpr const char* kApplicationTitle = "NemroFormulaSet";

}  // namespace nemro
