// What the dialog tests share: the test catalogue beside the test program, a recorder
// of message boxes, and a driver that acts on each modal dialog as it comes up.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "nemro/message_box.h"

class QWidget;

namespace nemro::testing {

// Writes the test catalogue as FormulaSet.xml into GetAppPath(). Every test program
// writes the same text, replacing the file atomically, so parallel runs agree.
void installTestCatalogue();

struct Message {
    std::string text;
    MsgIcon icon;
    std::string title;
};

// Records every message instead of showing it, for as long as it lives.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> messages;

private:
    MessageBoxFunction previous_;
};

// Acts on the modal dialogs of an exchange in turn. Each step names the dialog it
// expects (its object name); a zero timer runs the step once that dialog is the
// active modal window. A dialog that no step expects, or a step whose dialog does not
// come, fails the run, and whatever is open is then closed so that the call returns.
class DialogDriver : public QObject {
public:
    DialogDriver();
    ~DialogDriver() override;

    void expect(const QString& dialog, std::function<void(QWidget&)> act);
    // Runs fn (which shows the dialogs) while the steps are played.
    void run(const std::function<void()>& fn);
    // The same in two halves, for dialogs that something else shows.
    void start();
    void finish();

    bool ok() const { return failure_.empty() && steps_.empty(); }
    std::string failure() const;

private:
    struct Step {
        QString dialog;
        std::function<void(QWidget&)> act;
    };
    void tick();
    void fail(const std::string& why);

    QTimer timer_;
    std::deque<Step> steps_;
    std::string failure_;
    int idleTicks_ = 0;
    bool inStep_ = false;  // a step that waits runs the event loop, and with it tick()
};

// Helpers on a dialog's children by object name; they fail the test (and return
// nullptr) when the child is missing.
template <typename T>
T* find(QWidget& dialog, const QString& name);

void click(QWidget& dialog, const QString& button);

}  // namespace nemro::testing

#include "dialog_support_impl.h"
