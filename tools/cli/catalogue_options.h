// The --catalogue option of the catalogue commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace nemro::cli {

// Takes "--catalogue FILE" or "--catalogue=FILE" out of args, up to a "--"; the last one
// given wins. Without one the queries use the catalogue beside the executable ("").
inline std::string takeCatalogueOption(std::vector<std::string>& args) {
    static const std::string kOption = "--catalogue";
    std::string path;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] == kOption) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                throw UsageError(kOption + " needs a FILE");
            path = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (args[i].rfind(kOption + "=", 0) == 0) {
            path = args[i].substr(kOption.size() + 1);
            if (path.empty()) throw UsageError(kOption + " needs a FILE");
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return path;
}

}  // namespace nemro::cli
