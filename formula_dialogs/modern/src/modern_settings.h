// What the modern dialogs keep between runs, in QSettings under the scope the host set:
// the recently used functions and each dialog's size.
#pragma once

#include <QSettings>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace nemro::dialogs {

std::unique_ptr<QSettings> modernSettings();

std::vector<std::string> recentFunctions();
// Puts the function first in the recent list.
void rememberRecentFunction(const std::string& name);
void clearRecentFunctionList();

// A dialog's size: restored when it opens, saved when it closes.
void restoreDialogSize(QWidget& dialog, const char* key);
void saveDialogSize(const QWidget& dialog, const char* key);

}  // namespace nemro::dialogs
