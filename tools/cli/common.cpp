#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"

namespace nemro::cli {

CommonOptions parseCommon(const std::vector<std::string>& args,
                          const std::vector<std::string>& extraFlags) {
    CommonOptions o;
    bool onlyPositional = false;
    for (const auto& a : args) {
        if (onlyPositional) {
            o.positional.push_back(a);
        } else if (a == "--") {
            onlyPositional = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-' &&
                   std::find(extraFlags.begin(), extraFlags.end(), a) == extraFlags.end()) {
            throw UsageError("unknown option '" + a + "'");
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

int reportError(const NemroError& e, bool json, Io& io) {
    if (json) {
        nlohmann::ordered_json j = {{"ok", false},
                                    {"number", e.number()},
                                    {"source", e.source()},
                                    {"description", e.description()}};
        if (e.position() > 0) j["position"] = e.position(), j["length"] = e.length();
        io.out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        io.err << "error " << e.number() << ": " << e.description() << "\n  source: " << e.source()
               << '\n';
    }
    return kFormulaError;
}

}  // namespace nemro::cli
