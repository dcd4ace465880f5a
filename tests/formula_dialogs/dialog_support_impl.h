#pragma once

#include <QWidget>
#include <gtest/gtest.h>

namespace nemro::testing {

template <typename T>
T* find(QWidget& dialog, const QString& name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << "no child " << name.toStdString() << " in "
                              << dialog.objectName().toStdString();
    return child;
}

}  // namespace nemro::testing
