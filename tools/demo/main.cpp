// nemro-formula-demo: a small host of the formula component.
//   nemro-formula-demo            the host window
//   nemro-formula-demo --tour DIR the dialogs driven offscreen, a PNG of each step in DIR
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>

#include "host_window.h"
#include "tour.h"

namespace {
bool haveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv) {
    QString tourDir;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--tour" && i + 1 < argc) {
            tourDir = QString::fromLocal8Bit(argv[++i]);
        } else if (a == "--help" || a == "-h") {
            std::cout << "usage: nemro-formula-demo [--tour DIR]\n";
            return 0;
        } else {
            std::cerr << "nemro-formula-demo: unknown argument '" << a << "'\n"
                      << "usage: nemro-formula-demo [--tour DIR]\n";
            return 2;
        }
    }
    if (tourDir.isEmpty() && !haveDisplay()) {
        tourDir = "nemro-tour";
        std::cerr << "nemro-formula-demo: no display. Start it from a desktop session, or under a\n"
                     "virtual one with `xvfb-run -a nemro-formula-demo`. Running the offscreen\n"
                     "screenshot tour into ./nemro-tour instead.\n";
    }
    if (!tourDir.isEmpty() && !std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    if (!tourDir.isEmpty()) return nemro::demo::runTour(tourDir);

    nemro::demo::HostWindow window;
    window.show();
    return app.exec();
}
