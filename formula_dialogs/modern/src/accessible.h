// Names a control for the tests and for assistive technology at once.
#pragma once

#include <QString>
#include <QWidget>

namespace nemro::dialogs {

inline void describe(QWidget& w, const QString& objectName, const QString& accessibleName,
                     const QString& description) {
    w.setObjectName(objectName);
    w.setAccessibleName(accessibleName);
    w.setAccessibleDescription(description);
}

}  // namespace nemro::dialogs
