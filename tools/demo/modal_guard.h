// A modal window that nobody answers would keep a scripted run (the tour, the dialog
// tests) waiting for ever: the guard closes it after a few seconds and reports what it
// said, so that the run fails at once with the reason.
#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

class QWidget;

namespace nemro::demo {

// The window's object name, title and label texts (a message box's text among them).
std::string modalText(QWidget& w);
// Rejects or closes w, and hides it if it would not go.
void closeModal(QWidget& w);

class ModalGuard {
  public:
    // onStuck receives the text of a modal window left active for `seconds`; the window
    // is closed before the call.
    ModalGuard(int seconds, std::function<void(const std::string&)> onStuck);

  private:
    QTimer timer_;
    QPointer<QWidget> seen_;
    int ticks_ = 0;
};

}  // namespace nemro::demo
