#include <algorithm>
#include <ostream>

#include "catalogue_options.h"
#include "commands.h"
#include "formula_options.h"
#include "nemro/formula_text.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>& args, Io& io) {
    std::vector<std::string> rest = args;
    const std::string path = takeCatalogueOption(rest);
    const auto end = std::find(rest.begin(), rest.end(), "--");
    const bool modern = std::find(rest.begin(), end, "--modern") != end;
    rest.erase(std::remove(rest.begin(), end, "--modern"), end);
    const CommonOptions o = parseCommon(rest);
    if (o.positional.empty()) throw UsageError("a function NAME is needed");
    const std::vector<std::string> fields(o.positional.begin() + 1, o.positional.end());
    try {
        const std::string text = modern ? buildModernFormula(o.positional[0], fields, path)
                                        : buildFormula(o.positional[0], fields, path);
        if (o.json)
            io.out << dumpLine({{"ok", true}, {"text", text}}) << '\n';
        else
            io.out << text << '\n';
        return kOk;
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
}

}  // namespace

const Command kComposeCommand = {
    "compose", "compose formula text from field texts",
    "usage: nemro-formula compose [--json] [--modern] [--catalogue FILE] NAME [FIELD...]\n"
    "\n"
    "Composes the formula text that the argument dialog's OK returns for the function NAME\n"
    "with the given field texts: NAME, \"(\", the fields trimmed and joined by \",\", \")\".\n"
    "There are as many fields as the catalogue's MaxArgNum says; missing ones are empty\n"
    "and extra ones are left out. The catalogue is FILE or the one beside nemro-formula.\n"
    "  --modern  as the modern style composes: the empty optional arguments after the last\n"
    "            one that has text or is required are left out (ROUND(3.14159))\n"
    "  --json   {\"ok\":true,\"text\":T} or "
    "{\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
    "\n"
    "example: nemro-formula compose --json ROUND ' A1 ' 2\n",
    run};

}  // namespace nemro::cli
