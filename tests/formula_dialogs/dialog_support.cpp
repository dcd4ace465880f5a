#include "dialog_support.h"

#include <QAbstractButton>
#include <QApplication>

#include "modal_guard.h"
#include "nemro/qt_toolkit.h"

namespace nemro::testing {

MessageRecorder::MessageRecorder()
    : previous_(setMessageBox([this](const std::string& text, MsgIcon icon, const std::string& title) {
          messages.push_back({text, icon, title});
      })) {}

MessageRecorder::~MessageRecorder() { setMessageBox(previous_); }

Message critical(const std::string& text, const std::string& title) {
    return {text, MsgIcon::Critical, title};
}
Message information(const std::string& text, const std::string& title) {
    return {text, MsgIcon::Information, title};
}

DialogDriver::DialogDriver() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void DialogDriver::expect(const QString& dialog, std::function<void(QWidget&)> act) {
    steps_.push_back({dialog, std::move(act)});
}

void DialogDriver::run(const std::function<void()>& fn) {
    start();
    fn();
    finish();
}

void DialogDriver::finish() {
    timer_.stop();
    if (!steps_.empty()) fail("the dialogs closed before the step for " + steps_.front().dialog.toStdString());
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
    if (steps_.empty() || w->objectName() != steps_.front().dialog)
        return fail("expected " + (steps_.empty() ? std::string("no dialog") : steps_.front().dialog.toStdString()) +
                    ", found " + demo::modalText(*w));
    Step step = std::move(steps_.front());
    steps_.pop_front();
    inStep_ = true;
    step.act(*w);
    inStep_ = false;
}

void click(QWidget& dialog, const QString& button) {
    if (auto* b = find<QAbstractButton>(dialog, button)) b->click();
}

int runDialogTests(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    qt::installQtMessageBox();
    const demo::ModalGuard guard(5, [](const std::string& text) { ADD_FAILURE() << "left open: " << text; });
    return RUN_ALL_TESTS();
}

}  // namespace nemro::testing
