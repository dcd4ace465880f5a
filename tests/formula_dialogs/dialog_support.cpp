#include "dialog_support.h"

#include <QApplication>
#include <QTemporaryDir>

#include "modal_guard.h"

namespace nemro::testing {

void DialogDriver::finish() {
    timer_.stop();
    if (!steps_.empty())
        fail("the dialogs closed before the step for " + steps_.front().first.toStdString());
}

void DialogDriver::fail(const std::string& why) {
    ADD_FAILURE() << why;
    steps_.clear();
    while (QWidget* w = QApplication::activeModalWidget()) demo::closeModal(*w);
}

void DialogDriver::tick() {
    if (inStep_) return;
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) {
        // Between two dialogs of an exchange nothing is modal for a moment. The bound
        // counts idle turns of the event loop, not time.
        if (++idleTicks_ > 100000) fail("no dialog came up");
        return;
    }
    idleTicks_ = 0;
    // A dialog shown from another one's button (the editor's fx) lets the one beneath
    // show for a turn between the dialogs it shows.
    const bool expected = !steps_.empty() && w->objectName() == steps_.front().first;
    if (!expected && ++strangerTicks_ < 100) return;
    strangerTicks_ = 0;
    if (!expected)
        return fail("expected " +
                    (steps_.empty() ? "no dialog" : steps_.front().first.toStdString()) +
                    ", found " + demo::modalText(*w));
    const auto step = std::move(steps_.front());
    steps_.pop_front();
    inStep_ = true;
    step.second(*w);
    inStep_ = false;
}

int runDialogTests(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    // The modern dialogs' settings go to a directory of this process's own, not the
    // user's: ctest runs several test processes at once, and each starts afresh.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    qt::installQtMessageBox();
    const demo::ModalGuard guard(
        5, [](const std::string& text) { ADD_FAILURE() << "left open: " << text; });
    return RUN_ALL_TESTS();
}

}  // namespace nemro::testing
