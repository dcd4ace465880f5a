// The modern chooser's "recently used" list: most recent first, each function once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nemro::dialogs {

inline constexpr std::size_t kRecentFunctions = 10;

// The list after `name` was used: first, without an earlier entry of the same name, and
// no longer than `keep`. Names are compared as the catalogue compares them, exactly.
std::vector<std::string> rememberFunction(std::vector<std::string> recent, const std::string& name,
                                          std::size_t keep = kRecentFunctions);

}  // namespace nemro::dialogs
