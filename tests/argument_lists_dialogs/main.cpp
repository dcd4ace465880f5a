// The editor tests run offscreen in one QApplication, with the Qt editor installed as
// the component installs it.
#include <QApplication>
#include <gtest/gtest.h>

#include "nemro/qt_argument_editor.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    nemro::qt::installQtArgumentEditor();
    return RUN_ALL_TESTS();
}
