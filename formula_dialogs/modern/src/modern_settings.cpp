#include "modern_settings.h"

#include <QCoreApplication>
#include <QWidget>

#include "nemro/formula_state.h"
#include "nemro/qt_toolkit.h"
#include "nemro/recent_functions.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kRecentKey = "NemroFormulaSet/recentFunctions";
}

std::unique_ptr<QSettings> modernSettings() {
    const QString organization = gsSettingsOrganization.empty()
                                     ? QCoreApplication::organizationName()
                                     : qt::qs(gsSettingsOrganization);
    QString application = gsSettingsApplication.empty() ? QCoreApplication::applicationName()
                                                        : qt::qs(gsSettingsApplication);
    if (application.isEmpty()) application = "NemroFormulaSet";
    return std::make_unique<QSettings>(organization.isEmpty() ? application : organization,
                                       application);
}

std::vector<std::string> recentFunctions() {
    std::vector<std::string> names;
    for (const QString& name : modernSettings()->value(kRecentKey).toStringList()) {
        if (!name.isEmpty() && names.size() < kRecentFunctions) names.push_back(qt::ss(name));
    }
    return names;
}

void rememberRecentFunction(const std::string& name) {
    QStringList list;
    for (const std::string& n : rememberFunction(recentFunctions(), name)) list << qt::qs(n);
    modernSettings()->setValue(kRecentKey, list);
}

void clearRecentFunctionList() {
    modernSettings()->remove(kRecentKey);
}

void restoreDialogSize(QWidget& dialog, const char* key) {
    const QSize size = modernSettings()->value(QString("NemroFormulaSet/%1Size").arg(key)).toSize();
    if (size.isValid()) dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
}

void saveDialogSize(const QWidget& dialog, const char* key) {
    modernSettings()->setValue(QString("NemroFormulaSet/%1Size").arg(key), dialog.size());
}

}  // namespace nemro::dialogs
