#include <algorithm>

#include "catalogue_options.h"
#include "commands.h"
#include "formula_options.h"
#include "nemro/message_box.h"
#ifdef NEMRO_CLI_HAS_FORMULA_LOGIC
#include "nemro/declared_fields.h"
#include "nemro/formula_checks.h"
#include "nemro/modern_check.h"
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

bool reportModern(const FormulaOptions& o, const dialogs::ModernCheckResult& r, Io& io) {
    if (o.common.json) {
        nlohmann::ordered_json j = {{"ok", false}, {"message", r.message}};
        if (r.position > 0) {
            j["position"] = r.position;
            j["length"] = r.length;
        }
        io.out << dumpLine(j) << '\n';
    } else {
        io.out << flatten(r.message) << '\n';
    }
    return false;
}

// "--modern" taken out of args, up to a "--".
bool takeModern(std::vector<std::string>& args) {
    const auto end = std::find(args.begin(), args.end(), "--");
    const auto at = std::find(args.begin(), end, "--modern");
    if (at == end) return false;
    args.erase(std::remove(args.begin(), end, "--modern"), end);
    return true;
}

int run(const std::vector<std::string>& arguments, Io& io) {
    std::vector<std::string> args = arguments;
    const bool modern = takeModern(args);
    const std::string fieldFile = takeFileOption(args, "--fields");
    if (!fieldFile.empty() && !modern) throw UsageError("--fields goes with --modern");
    const FormulaOptions o = parseFormulaOptions(args, {"--catalogue"}, {"--batch"});
    std::string catalogue;
    if (auto it = o.values.find("--catalogue"); it != o.values.end()) catalogue = it->second.back();
    dialogs::ModernCheckContext context{catalogue, {}, {}};
    return runFormulas(o, io, [&](const std::string& formula) {
        try {
            if (modern) {
                if (!fieldFile.empty() && !context.fields)
                    context.fields = dialogs::loadFieldFile(fieldFile);
                const dialogs::ModernCheckResult r = dialogs::checkModernFormula(formula, context);
                if (!r.ok) return reportModern(o, r, io);
            } else if (const auto d = dialogs::diagnoseFormula(formula, catalogue)) {
                return report(o, *d, nullptr, io);
            }
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
    "usage: nemro-formula check [--json] [--batch] [--modern [--fields FILE]]\n"
    "                           [--catalogue FILE] FORMULA\n"
    "\n"
    "Checks FORMULA as the argument dialog's OK does: the bracket counts, the legal\n"
    "characters, then the engine's evaluation, with calls of functions the engine does\n"
    "not know answered from the catalogue. Prints the message the user would see.\n"
    "  --catalogue FILE  the catalogue to answer from (default: FormulaSet.xml beside\n"
    "                    nemro-formula)\n"
    "  --batch           read the formulas from standard input, one a line\n"
    "  --modern          the modern dialog's check instead: any text in strings, any\n"
    "                    name the engine reads; prints the message, or with --json\n"
    "                    {\"ok\":false,\"message\":M,\"position\":P,\"length\":L}, P the\n"
    "                    1-based character where the problem lies\n"
    "  --fields FILE     with --modern, the declared names (UTF-8 CSV, header\n"
    "                    name,type,group,description,sample): other names are refused\n"
    "  --json   {\"ok\":true} or {\"ok\":false,\"message\":M,\"title\":T,\"icon\":I}\n"
    "           (icon 16 critical, 64 information); a failure that is no formula\n"
    "           error (the catalogue, say) also gives \"number\" and \"source\";\n"
    "           \"position\" and \"length\" tell where the fault lies when known\n"
    "  without --json: \"ok\", or the message box's title, \": \" and its text\n"
    "\n"
    "exit status: 0 the formula passes, 1 it does not, 2 usage error\n"
    "\n"
    "example: nemro-formula check --json 'LEFT(A1:B2,2)'\n"
    "         nemro-formula check --modern --fields pay.csv 'ROUND(基本公资*0.08,2)'\n",
    run};

}  // namespace nemro::cli
