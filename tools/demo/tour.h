// The screenshot tour: drives the real dialogs offscreen through a scripted exchange
// and saves a PNG of each state.
#pragma once

#include <QString>

namespace nemro::demo {

// Returns the process exit code: 0 when every step ran.
int runTour(const QString& directory);

}  // namespace nemro::demo
