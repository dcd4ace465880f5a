#include "nemro/message_box.h"

#include <mutex>

namespace nemro {
namespace {
std::mutex gMutex;
MessageBoxFunction& current() {
    static MessageBoxFunction fn;
    return fn;
}
}  // namespace

MessageBoxFunction setMessageBox(MessageBoxFunction fn) {
    std::lock_guard lock(gMutex);
    std::swap(current(), fn);
    return fn;
}

void showMessage(const std::string& text, MsgIcon icon, const std::string& title) {
    MessageBoxFunction fn;
    {
        std::lock_guard lock(gMutex);
        fn = current();
    }
    // Called outside the lock: a modal box may run for as long as the user likes.
    if (fn) fn(text, icon, title);
}

}  // namespace nemro
