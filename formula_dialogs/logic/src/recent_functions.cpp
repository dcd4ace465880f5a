#include "nemro/recent_functions.h"

#include <algorithm>

namespace nemro::dialogs {

std::vector<std::string> rememberFunction(std::vector<std::string> recent, const std::string& name,
                                          std::size_t keep) {
    if (name.empty()) return recent;
    std::erase(recent, name);
    recent.insert(recent.begin(), name);
    if (recent.size() > keep) recent.resize(keep);
    return recent;
}

}  // namespace nemro::dialogs
