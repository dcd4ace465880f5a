// The Qt argument list editor behind CArgumentSet::SetArgument.
#pragma once

#include "nemro/argument_set.h"

namespace nemro::qt {

// Shows frmArgumentSet1 modally, with no owner window, on the Qt application's
// thread (creating the QApplication for a host without one).
ArgumentEditorFunction qtArgumentEditor();
// Installs qtArgumentEditor() through setArgumentEditor and returns the one replaced.
ArgumentEditorFunction installQtArgumentEditor();

}  // namespace nemro::qt
