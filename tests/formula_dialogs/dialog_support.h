// What the dialog tests share: a recorder of message boxes, and a driver that acts on
// each modal dialog as it comes up.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "nemro/message_box.h"
#include "nemro/qt_toolkit.h"

inline void PrintTo(const QString& s, std::ostream* o) {
    *o << '"' << s.toStdString() << '"';
}

namespace nemro::testing {

struct Message {
    std::string text;
    MsgIcon icon;
    std::string title;
    bool operator==(const Message&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const Message& m) {
        return o << "{" << m.text << ", " << static_cast<int>(m.icon) << ", " << m.title << "}";
    }
};
inline Message critical(const std::string& text, const std::string& title = "NemroFormulaSet") {
    return {text, MsgIcon::Critical, title};
}
inline Message information(const std::string& text) {
    return {text, MsgIcon::Information, "NemroFormulaSet"};
}

// Records every message instead of showing it, for as long as it lives.
struct MessageRecorder {
    std::vector<Message> messages;
    MessageBoxFunction previous =
        setMessageBox([this](const std::string& text, MsgIcon icon, const std::string& title) {
            messages.push_back({text, icon, title});
        });
    ~MessageRecorder() { setMessageBox(previous); }
};

// Acts on the modal dialogs of an exchange in turn. Each step names the dialog it
// expects (its object name); a zero timer runs the step once that dialog is the
// active modal window. A dialog that no step expects, or a step whose dialog does not
// come, fails the test, and whatever is open is then closed so that the call returns.
class DialogDriver {
  public:
    DialogDriver() {
        timer_.setInterval(0), QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void expect(const QString& dialog, std::function<void(QWidget&)> act) {
        steps_.push_back({dialog, std::move(act)});
    }
    // Runs fn (which shows the dialogs) while the steps are played.
    void run(const std::function<void()>& fn) { start(), fn(), finish(); }
    // The same in two halves, for dialogs that something else shows.
    void start() { timer_.start(); }
    void finish();

  private:
    void tick();
    void fail(const std::string& why);

    QTimer timer_;
    std::deque<std::pair<QString, std::function<void(QWidget&)>>> steps_;
    int idleTicks_ = 0, strangerTicks_ = 0;
    bool inStep_ = false;  // a step that waits runs the event loop, and with it tick()
};

// A dialog's child by object name; a missing one fails the test.
template <typename T>
T* find(QWidget& dialog, const QString& name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << "no " << name.toStdString() << " in "
                              << dialog.objectName().toStdString();
    return child;
}

inline void click(QWidget& dialog, const QString& button) {
    if (auto* b = find<QAbstractButton>(dialog, button)) b->click();
}

// A widget's geometry in the twips it was placed in.
inline QRect twips(const QWidget& w) {
    return {qt::twipsLeft(w), qt::twipsTop(w), qt::twipsWidth(w), qt::twipsHeight(w)};
}

// The test program's main: one offscreen QApplication with the component's message box
// and a guard that fails the test of a modal window nobody answers.
int runDialogTests(int argc, char** argv);

}  // namespace nemro::testing
