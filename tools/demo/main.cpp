// nemro-formula-demo: a small host of the formula component.
//   nemro-formula-demo            the host window
//   nemro-formula-demo --style modern   the host window, its fx button on the modern dialogs
//   nemro-formula-demo --tour DIR the dialogs driven offscreen, a PNG of each step in DIR
#include <QApplication>
#include <QProcess>
#include <cstdlib>
#include <iostream>
#include <string>

#include "host_window.h"
#include "tour.h"

namespace {
bool haveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") ||
           std::getenv("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv) {
    QString tourDir;
    int style = 0;
    bool scaledOnly = false;
    const char* usage = "usage: nemro-formula-demo [--style classic|modern] [--tour DIR]\n";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--tour" || a == "--tour-scaled") && i + 1 < argc) {
            scaledOnly = a == "--tour-scaled";
            tourDir = QString::fromLocal8Bit(argv[++i]);
        } else if (a == "--style" && i + 1 < argc &&
                   (std::string(argv[i + 1]) == "classic" ||
                    std::string(argv[i + 1]) == "modern")) {
            style = std::string(argv[++i]) == "modern" ? 1 : 0;
        } else if (a == "--help" || a == "-h") {
            std::cout << usage;
            return 0;
        } else {
            std::cerr << "nemro-formula-demo: unknown argument '" << a << "'\n" << usage;
            return 2;
        }
    }
    if (tourDir.isEmpty() && !haveDisplay()) {
        tourDir = "nemro-tour";
        std::cerr << "nemro-formula-demo: no display. Start it from a desktop session, or under a\n"
                     "virtual one with `xvfb-run -a nemro-formula-demo`. Running the offscreen\n"
                     "screenshot tour into ./nemro-tour instead.\n";
    }
    if (!tourDir.isEmpty() && !std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Qt reads "--style" as its own widget style: it gets only the program's name.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (!tourDir.isEmpty()) {
        const int code = nemro::demo::runTour(tourDir, scaledOnly);
        if (code != 0 || scaledOnly || std::getenv("QT_SCALE_FACTOR")) return code;
        // The modern chooser once more at 200 %, which needs a process of its own.
        QProcess scaled;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", "2");
        scaled.setProcessEnvironment(env);
        scaled.setProcessChannelMode(QProcess::ForwardedChannels);
        scaled.start(QCoreApplication::applicationFilePath(), {"--tour-scaled", tourDir});
        return scaled.waitForFinished(120000) && scaled.exitStatus() == QProcess::NormalExit
                   ? scaled.exitCode()
                   : 1;
    }

    nemro::demo::HostWindow window;
    window.setDialogStyle(style);
    window.show();
    return app.exec();
}
