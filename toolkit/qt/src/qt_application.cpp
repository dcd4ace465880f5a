#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QThread>

#include "nemro/error.h"
#include "nemro/qt_toolkit.h"

namespace nemro::qt {

QApplication& ensureQApplication() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (auto* app = qobject_cast<QApplication*>(existing)) return *app;
        throw NemroError(err::InvalidArgument, "ensureQApplication",
                         "The host runs a Qt application without widgets; the formula dialogs "
                         "need a QApplication.");
    }
    // A host without Qt: the application object lives until the process ends. It is
    // never deleted, because Qt objects of the host may still refer to it at exit.
    static int argc = 1;
    static char name[] = "NemroFormulaSet";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

void requireApplicationThread(const std::string& source) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) return;
    throw NemroError(err::InvalidArgument, source,
                     "The formula dialogs must be called on the thread that runs the Qt "
                     "application.");
}

void makeFixedDialog(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setModal(true);
    QFont f = dialog.font();
    f.setPointSizeF(9.0);
    dialog.setFont(f);
}

int twipsToPixels(int twips) {
    // Round half away from zero, so that -v pixels scrolled map back symmetrically.
    const int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace nemro::qt
