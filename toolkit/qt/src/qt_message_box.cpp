#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <iostream>

#include "nemro/error.h"
#include "nemro/qt_toolkit.h"

namespace nemro::qt {

MessageBoxFunction qtMessageBox() {
    return [](const std::string& text, MsgIcon icon, const std::string& title) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!qobject_cast<QApplication*>(app) || QThread::currentThread() != app->thread()) {
            std::cerr << title << ": " << text << '\n';
            return;
        }
        QMessageBox box(
            icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, qs(title),
            qs(text), QMessageBox::Ok, QApplication::activeModalWidget());
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
}

MessageBoxFunction installQtMessageBox() {
    return setMessageBox(qtMessageBox());
}

std::string failureText(const std::exception& e) {
    if (const auto* ne = dynamic_cast<const NemroError*>(&e)) {
        return ne->description() + "\n\n" + ne->source() + " (" + std::to_string(ne->number()) +
               ")";
    }
    return e.what();
}

void runGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        try {
            showMessage(failureText(e), MsgIcon::Critical, kApplicationTitle);
        } catch (...) {
            std::cerr << kApplicationTitle << ": " << e.what() << '\n';
        }
    } catch (...) {
        try {
            showMessage("Unknown failure.", MsgIcon::Critical, kApplicationTitle);
        } catch (...) {
        }
    }
}

}  // namespace nemro::qt
