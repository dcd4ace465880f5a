// Loading the component installs the Qt message box, so that its messages show in the
// host's user interface. (The layer libraries alone leave the choice to their user:
// the tests install a recorder.)
#include "nemro/qt_toolkit.h"

namespace {
const bool kMessageBoxInstalled = [] {
    nemro::qt::installQtMessageBox();
    return true;
}();
}  // namespace
