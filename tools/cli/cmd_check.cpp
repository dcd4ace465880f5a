#include "commands.h"
#include "formula_options.h"
#include "nemro/message_box.h"
#ifdef NEMRO_CLI_HAS_FORMULA_LOGIC
#include "nemro/formula_checks.h"
#endif

namespace nemro::cli {
namespace {

#ifdef NEMRO_CLI_HAS_FORMULA_LOGIC
// One output line; messages of several lines are joined with blanks outside JSON.
std::string flatten(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

bool report(const FormulaOptions& o, const Diagnostic& m, const NemroError* failure, Io& io) {
    if (o.common.json) {
        nlohmann::ordered_json j = {{"ok", false},
                                    {"message", m.text},
                                    {"title", m.title},
                                    {"icon", static_cast<int>(m.icon)}};
        if (m.position > 0) {
            j["position"] = m.position;
            j["length"] = m.length;
        }
        if (failure) {
            j["number"] = failure->number();
            j["source"] = failure->source();
        }
        io.out << dumpLine(j) << '\n';
    } else {
        io.out << m.title << ": " << flatten(m.text) << '\n';
    }
    return false;
}

int run(const std::vector<std::string>& args, Io& io) {
    const FormulaOptions o = parseFormulaOptions(args, {"--catalogue"}, {"--batch"});
    std::string catalogue;
    if (auto it = o.values.find("--catalogue"); it != o.values.end()) catalogue = it->second.back();
    return runFormulas(o, io, [&](const std::string& formula) {
        try {
            if (const auto d = dialogs::diagnoseFormula(formula, catalogue))
                return report(o, *d, nullptr, io);
            io.out << (o.common.json ? "{\"ok\":true}" : "ok") << '\n';
            return true;
        } catch (const NemroError& e) {
            // What the dialog shows for a failure it cannot judge: description, source
            // and number, titled with the application title.
            const Diagnostic m{
                e.description() + "\n\n" + e.source() + " (" + std::to_string(e.number()) + ")",
                kApplicationTitle, MsgIcon::Critical};
            return report(o, m, &e, io);
        }
    });
}
#else
int run(const std::vector<std::string>&, Io&) {
    throw UsageError("this build has no formula checks");
}
#endif

}  // namespace

const Command kCheckCommand = {
    "check", "run the argument dialog's formula check",
    "usage: nemro-formula check [--json] [--batch] [--catalogue FILE] FORMULA\n"
    "\n"
    "Checks FORMULA as the argument dialog's OK does: the bracket counts, the legal\n"
    "characters, then the engine's evaluation, with calls of functions the engine does\n"
    "not know answered from the catalogue. Prints the message the user would see.\n"
    "  --catalogue FILE  the catalogue to answer from (default: FormulaSet.xml beside\n"
    "                    nemro-formula)\n"
    "  --batch           read the formulas from standard input, one a line\n"
    "  --json   {\"ok\":true} or {\"ok\":false,\"message\":M,\"title\":T,\"icon\":I}\n"
    "           (icon 16 critical, 64 information); a failure that is no formula\n"
    "           error (the catalogue, say) also gives \"number\" and \"source\";\n"
    "           \"position\" and \"length\" tell where the fault lies when known\n"
    "  without --json: \"ok\", or the message box's title, \": \" and its text\n"
    "\n"
    "exit status: 0 the formula passes, 1 it does not, 2 usage error\n"
    "\n"
    "example: nemro-formula check --json 'LEFT(A1:B2,2)'\n",
    run};

}  // namespace nemro::cli
