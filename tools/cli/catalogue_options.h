// The options that name a file: --catalogue of the catalogue commands, --fields.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace nemro::cli {

// Takes "OPTION FILE" or "OPTION=FILE" out of args, up to a "--"; the last one given wins.
// "" when the option is not given.
inline std::string takeFileOption(std::vector<std::string>& args, const std::string& option) {
    std::string path;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] == option) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                throw UsageError(option + " needs a FILE");
            path = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (args[i].rfind(option + "=", 0) == 0) {
            path = args[i].substr(option.size() + 1);
            if (path.empty()) throw UsageError(option + " needs a FILE");
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return path;
}

// "--catalogue FILE"; without one the queries use the catalogue beside the executable ("").
inline std::string takeCatalogueOption(std::vector<std::string>& args) {
    return takeFileOption(args, "--catalogue");
}

}  // namespace nemro::cli
