#include "modal_guard.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QStringList>

namespace nemro::demo {

std::string modalText(QWidget& w) {
    QStringList parts{w.objectName(), w.windowTitle()};
    for (const QLabel* label : w.findChildren<QLabel*>())
        if (!label->text().isEmpty()) parts << label->text();
    parts.removeAll(QString());
    return parts.join(" | ").toStdString();
}

void closeModal(QWidget& w) {
    if (auto* d = qobject_cast<QDialog*>(&w))
        d->reject();
    else
        w.close();
    if (QApplication::activeModalWidget() == &w) w.hide();
}

// A separate timer fires even while another timer's handler waits in a modal loop.
ModalGuard::ModalGuard(int seconds, std::function<void(const std::string&)> onStuck) {
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this, seconds, onStuck = std::move(onStuck)] {
        QWidget* w = QApplication::activeModalWidget();
        if (w != seen_) {
            seen_ = w;
            ticks_ = 0;
        } else if (w && ++ticks_ >= seconds) {
            const std::string text = modalText(*w);
            closeModal(*w);
            ticks_ = 0;
            onStuck(text);
        }
    });
    timer_.start();
}

}  // namespace nemro::demo
