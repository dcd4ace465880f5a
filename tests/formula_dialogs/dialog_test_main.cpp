// The dialog tests run offscreen in one QApplication, on the test catalogue.
#include <QApplication>
#include <gtest/gtest.h>

#include "dialog_support.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    nemro::testing::installTestCatalogue();
    return RUN_ALL_TESTS();
}
