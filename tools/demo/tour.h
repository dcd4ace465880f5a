// The screenshot tour: drives the real dialogs offscreen through a scripted exchange
// and saves a PNG of each state.
#pragma once

#include <QString>

namespace nemro::demo {

// Returns the process exit code: 0 when every step ran. With scaledOnly, only the
// modern chooser is photographed, for a run at another scale.
int runTour(const QString& directory, bool scaledOnly = false);

}  // namespace nemro::demo
