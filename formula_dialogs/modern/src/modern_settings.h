// What the modern dialogs keep between runs, in QSettings under the scope the host set:
// the recently used functions and each dialog's size.
#pragma once

#include <QSettings>
#include <memory>
#include <string>
#include <vector>

#include "nemro/formula_session.h"

class QWidget;

namespace nemro::dialogs {

// The settings of the scope the options name.
std::unique_ptr<QSettings> modernSettings(const ExchangeOptions& scope);

std::vector<std::string> recentFunctions(const ExchangeOptions& scope);
// Puts the function first in the recent list.
void rememberRecentFunction(const ExchangeOptions& scope, const std::string& name);
void clearRecentFunctionList(const ExchangeOptions& scope);

// A dialog's size: restored when it opens, saved when it closes.
void restoreDialogSize(const ExchangeOptions& scope, QWidget& dialog, const char* key);
void saveDialogSize(const ExchangeOptions& scope, const QWidget& dialog, const char* key);

}  // namespace nemro::dialogs
