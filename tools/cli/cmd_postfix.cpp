#include <iomanip>
#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "nemro/expression.h"

namespace nemro::cli {

int runPostfix(const std::vector<std::string>& args, Io& io) {
    const CommonOptions o = parseCommon(args);
    if (o.positional.size() != 1) throw UsageError("postfix needs exactly one FORMULA");
    CExpElmStack postfix;
    try {
        postfix = CGNTExpression().InfixToPostfix(o.positional[0]);
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
    ExpElement el;
    if (o.json) {
        nlohmann::ordered_json elements = nlohmann::ordered_json::array();
        while (postfix.Pop(el))
            elements.push_back({{"text", el.Text}, {"kind", el.Kind}, {"priority", el.Priority}});
        nlohmann::ordered_json j = {{"ok", true}, {"elements", elements}};
        io.out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        io.out << std::left << std::setw(6) << "#" << std::setw(12) << "kind" << std::setw(10)
               << "priority" << "text\n";
        int i = 1;
        while (postfix.Pop(el)) {
            std::ostringstream kind;
            kind << "0x" << std::hex << el.Kind;
            io.out << std::left << std::setw(6) << i++ << std::setw(12) << kind.str()
                   << std::setw(10) << el.Priority << el.Text << '\n';
        }
    }
    return kOk;
}

}  // namespace nemro::cli
