// A host without Qt: setFormula makes the QApplication itself and runs the dialogs in
// it. A program of its own, since every other dialog test runs in its own application.
#include <QApplication>
#include <memory>

#include "dialog_support.h"
#include "modal_guard.h"
#include "nemro/formula_set.h"

namespace nemro::testing {
namespace {

std::unique_ptr<DialogDriver> gDriver;
std::unique_ptr<demo::ModalGuard> gGuard;

// Runs as soon as the application exists, before the first dialog shows.
void startDriver() {
    gGuard = std::make_unique<demo::ModalGuard>(5, [](const std::string& t) { ADD_FAILURE() << "left open: " << t; });
    gDriver = std::make_unique<DialogDriver>();
    gDriver->expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    gDriver->start();
}
Q_COREAPP_STARTUP_FUNCTION(startDriver)

TEST(HostWithoutQt, SetFormulaMakesTheApplicationAndShowsTheChooser) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CFormulaSet service;
    EXPECT_EQ(service.setFormula(), "");
    EXPECT_TRUE(service.isCancel());
    EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    ASSERT_NE(gDriver, nullptr);
    gDriver->finish();
    // A second call uses the same application.
    QCoreApplication* first = QCoreApplication::instance();
    gDriver->expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    gDriver->run([&] { service.setFormula(); });
    EXPECT_EQ(QCoreApplication::instance(), first);
}

}  // namespace
}  // namespace nemro::testing

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
