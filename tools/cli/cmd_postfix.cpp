#include <iomanip>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "commands.h"
#include "formula_options.h"
#include "nemro/expression.h"

namespace nemro::cli {
namespace {

void printTable(CExpElmStack& postfix, Io& io) {
    io.out << std::left << std::setw(6) << "#" << std::setw(12) << "kind" << std::setw(10)
           << "priority"
           << "text\n";
    int i = 1;
    ExpElement el;
    while (postfix.Pop(el)) {
        std::ostringstream kind;
        kind << "0x" << std::hex << el.Kind;
        io.out << std::left << std::setw(6) << i++ << std::setw(12) << kind.str() << std::setw(10)
               << el.Priority << el.Text << '\n';
    }
}

// A batch line: the element texts first to last, separated by blanks.
std::string joinTexts(CExpElmStack& postfix) {
    std::string line;
    ExpElement el;
    for (bool first = true; postfix.Pop(el); first = false) line += (first ? "" : " ") + el.Text;
    return line;
}

}  // namespace

int runPostfix(const std::vector<std::string>& args, Io& io) {
    const FormulaOptions o = parseFormulaOptions(args, {}, {"--batch"});
    const CliListener none;
    const CGNTExpression expression;
    return runFormulas(o, io, [&](const std::string& formula) {
        CExpElmStack postfix;
        try {
            postfix = expression.InfixToPostfix(formula);
        } catch (const NemroError& e) {
            return reportFailure(o, none, e, io);
        }
        if (o.common.json) {
            nlohmann::ordered_json elements = nlohmann::ordered_json::array();
            ExpElement el;
            while (postfix.Pop(el))
                elements.push_back(
                    {{"text", el.Text}, {"kind", el.Kind}, {"priority", el.Priority}});
            return reportSuccess(o, none, {{"ok", true}, {"elements", elements}}, "", io);
        }
        if (o.batch) return reportSuccess(o, none, {}, joinTexts(postfix), io);
        printTable(postfix, io);
        return true;
    });
}

}  // namespace nemro::cli
