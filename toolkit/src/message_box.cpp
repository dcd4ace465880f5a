#include "nemro/message_box.h"

#include <mutex>

namespace nemro {
namespace {
std::mutex gMutex;
MessageBoxFunction& current() {
    static MessageBoxFunction fn;
    return fn;
}
thread_local MessageBoxFunction tThreadFunction;
}  // namespace

MessageBoxFunction setThreadMessageBox(MessageBoxFunction fn) {
    std::swap(tThreadFunction, fn);
    return fn;
}

MessageBoxFunction setMessageBox(MessageBoxFunction fn) {
    std::lock_guard lock(gMutex);
    std::swap(current(), fn);
    return fn;
}

void showMessage(const std::string& text, MsgIcon icon, const std::string& title) {
    if (tThreadFunction) {
        tThreadFunction(text, icon, title);
        return;
    }
    MessageBoxFunction fn;
    {
        std::lock_guard lock(gMutex);
        fn = current();
    }
    // Called outside the lock: a modal box may run for as long as the user likes.
    if (fn) fn(text, icon, title);
}

Diagnostic formulaErrorDiagnostic(std::string description) {
    return {std::move(description), kFormulaErrorTitle, MsgIcon::Critical, 0};
}

void showDiagnostic(const Diagnostic& d) {
    showMessage(d.text, d.icon, d.title);
}

}  // namespace nemro
