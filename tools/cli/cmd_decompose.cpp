#include <ostream>

#include "commands.h"
#include "formula_options.h"
#include "nemro/formula_text.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>& args, Io& io) {
    const CommonOptions o = parseCommon(args);
    if (o.positional.size() != 1) throw UsageError("exactly one FORMULA is needed");
    try {
        const FormulaTextParts parts = splitFormulaText(o.positional[0]);
        const std::vector<std::string> arguments = decomposeArguments(parts.argumentPart);
        if (o.json) {
            io.out << dumpLine({{"ok", true}, {"name", parts.name}, {"arguments", arguments}})
                   << '\n';
        } else {
            io.out << parts.name << '\n';
            for (std::size_t i = 0; i < arguments.size(); ++i)
                io.out << i + 1 << '\t' << arguments[i] << '\n';
        }
        return kOk;
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
}

}  // namespace

const Command kDecomposeCommand = {
    "decompose", "take formula text apart into name and arguments",
    "usage: nemro-formula decompose [--json] FORMULA\n"
    "\n"
    "Takes FORMULA apart as the argument dialog does to show a former formula: the name is\n"
    "the text before the first \"(\", the argument part runs from after it to before the last\n"
    "character, and the arguments are split at the commas outside parentheses. Prints the\n"
    "name, then each argument after its number and a tab.\n"
    "  --json   {\"ok\":true,\"name\":N,\"arguments\":[...]} or\n"
    "           {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
    "\n"
    "example: nemro-formula decompose --json 'IF(A1>0,ROUND(A1,2),0)'\n",
    run};

}  // namespace nemro::cli
