// A host without Qt: setFormula makes the QApplication itself and runs the dialogs in
// it. A program of its own, since every other dialog test runs in its own application.
#include <QApplication>
#include <memory>

#include "dialog_support.h"
#include "nemro/formula_set.h"

namespace nemro::testing {
namespace {

std::unique_ptr<DialogDriver> gDriver;

// Runs as soon as the application exists, before the first dialog shows.
void startDriver() {
    gDriver = std::make_unique<DialogDriver>();
    gDriver->expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    gDriver->start();
}
Q_COREAPP_STARTUP_FUNCTION(startDriver)

TEST(HostWithoutQt, SetFormulaMakesTheApplicationAndShowsTheChooser) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CFormulaSet service;
    const std::string result = service.setFormula();  // before isCancel is read
    EXPECT_EQ(result + (service.isCancel() ? " cancelled" : ""), " cancelled");
    QCoreApplication* first = QCoreApplication::instance();
    EXPECT_NE(qobject_cast<QApplication*>(first), nullptr);
    ASSERT_NE(gDriver, nullptr);
    gDriver->finish();
    // A second call uses the same application.
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
