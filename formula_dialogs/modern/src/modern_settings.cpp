#include "modern_settings.h"

#include <QCoreApplication>
#include <QWidget>

#include "nemro/qt_toolkit.h"
#include "nemro/recent_functions.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kRecentKey = "NemroFormulaSet/recentFunctions";
}

std::unique_ptr<QSettings> modernSettings(const ExchangeOptions& scope) {
    const QString organization = scope.settingsOrganization.empty()
                                     ? QCoreApplication::organizationName()
                                     : qt::qs(scope.settingsOrganization);
    QString application = scope.settingsApplication.empty() ? QCoreApplication::applicationName()
                                                            : qt::qs(scope.settingsApplication);
    if (application.isEmpty()) application = "NemroFormulaSet";
    return std::make_unique<QSettings>(organization.isEmpty() ? application : organization,
                                       application);
}

std::vector<std::string> recentFunctions(const ExchangeOptions& scope) {
    std::vector<std::string> names;
    for (const QString& name : modernSettings(scope)->value(kRecentKey).toStringList()) {
        if (!name.isEmpty() && names.size() < kRecentFunctions) names.push_back(qt::ss(name));
    }
    return names;
}

void rememberRecentFunction(const ExchangeOptions& scope, const std::string& name) {
    QStringList list;
    for (const std::string& n : rememberFunction(recentFunctions(scope), name)) list << qt::qs(n);
    modernSettings(scope)->setValue(kRecentKey, list);
}

void clearRecentFunctionList(const ExchangeOptions& scope) {
    modernSettings(scope)->remove(kRecentKey);
}

void restoreDialogSize(const ExchangeOptions& scope, QWidget& dialog, const char* key) {
    const QSize size =
        modernSettings(scope)->value(QString("NemroFormulaSet/%1Size").arg(key)).toSize();
    if (size.isValid()) dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
}

void saveDialogSize(const ExchangeOptions& scope, const QWidget& dialog, const char* key) {
    modernSettings(scope)->setValue(QString("NemroFormulaSet/%1Size").arg(key), dialog.size());
}

}  // namespace nemro::dialogs
