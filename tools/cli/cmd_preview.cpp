#include <map>
#include <ostream>

#include "catalogue_options.h"
#include "commands.h"
#include "formula_options.h"
#include "nemro/text.h"
#ifdef NEMRO_CLI_HAS_FORMULA_LOGIC
#include "nemro/argument_preview.h"
#include "nemro/declared_fields.h"
#endif

namespace nemro::cli {
namespace {

#ifdef NEMRO_CLI_HAS_FORMULA_LOGIC
using dialogs::PreviewState;
using dialogs::PreviewValue;

// Takes "--var NAME=VALUE" and "--var=NAME=VALUE" out of args, up to a "--".
std::map<std::string, std::string> takeVariables(std::vector<std::string>& args) {
    std::map<std::string, std::string> variables;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        std::string assignment;
        std::size_t taken = 1;
        if (args[i] == "--var") {
            if (i + 1 >= args.size()) throw UsageError("--var needs a value");
            assignment = args[i + 1];
            taken = 2;
        } else if (args[i].rfind("--var=", 0) == 0) {
            assignment = args[i].substr(6);
        } else {
            ++i;
            continue;
        }
        auto [name, value] = splitAssignment("--var", assignment);
        variables[text::upper(name)] = value;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + taken));
    }
    return variables;
}

// A row as {"value":V,"kind":K} or {"error":E}; the result as {"kind":K,"text":T}.
nlohmann::ordered_json valueJson(const PreviewValue& v, bool result) {
    nlohmann::ordered_json j;
    const std::string text =
        v.state == PreviewState::HostComputed ? dialogs::kHostComputedText : v.text;
    if (result) {
        j = {{"kind", v.kindName()}, {"text", text}};
    } else if (v.state == PreviewState::Error) {
        j["error"] = text;
    } else {
        if (v.state == PreviewState::Value) j["value"] = text;
        j["kind"] = v.kindName();
    }
    if (!v.unsetVariables.empty()) j["variables"] = v.unsetVariables;
    return j;
}

std::string line(const PreviewValue& v, std::string shown) {
    const std::string note = v.variableNote();
    return note.empty() ? shown : shown + "  (" + note + ")";
}

int run(const std::vector<std::string>& args, Io& io) {
    std::vector<std::string> rest = args;
    const std::string catalogue = takeCatalogueOption(rest);
    const std::string fieldFile = takeFileOption(rest, "--fields");
    const std::map<std::string, std::string> variables = takeVariables(rest);
    const CommonOptions o = parseCommon(rest);
    if (o.positional.empty()) throw UsageError("a FUNCTION is needed");
    const std::vector<std::string> fields(o.positional.begin() + 1, o.positional.end());
    dialogs::SampleValueLookup samples =
        [&](const std::string& name) -> std::optional<std::string> {
        const auto it = variables.find(text::upper(name));
        if (it == variables.end()) return std::nullopt;
        return it->second;
    };
    try {
        const auto declared = fieldFile.empty() ? nullptr : dialogs::loadFieldFile(fieldFile);
        const dialogs::ArgumentPreview p = dialogs::previewArguments(
            o.positional[0], fields, samples, catalogue, FunctionSettings::WithLibrary(), declared);
        // The rows given; a function has no more.
        const std::size_t rows = std::min(fields.size(), p.rows.size());
        if (o.json) {
            nlohmann::ordered_json j = {{"ok", true}, {"rows", nlohmann::ordered_json::array()}};
            for (std::size_t i = 0; i < rows; ++i) j["rows"].push_back(valueJson(p.rows[i], false));
            j["formula"] = p.formula;
            if (p.message) {
                j["message"] = p.message->text;
                if (p.message->row > 0) j["row"] = p.message->row;
            } else {
                j["result"] = valueJson(p.result, true);
            }
            io.out << dumpLine(j) << '\n';
        } else {
            for (std::size_t i = 0; i < rows; ++i)
                io.out << line(p.rows[i], p.rows[i].display()) << '\n';
            io.out << p.formula << '\n' << line(p.result, p.resultLine()) << '\n';
        }
        return p.message ? kFormulaError : kOk;
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
}
#else
int run(const std::vector<std::string>&, Io&) {
    throw UsageError("this build has no formula checks");
}
#endif

}  // namespace

const Command kPreviewCommand = {
    "preview", "show what the argument dialog shows for some field texts",
    "usage: nemro-formula preview [--json] [--catalogue FILE] [--fields FILE]\n"
    "                             [--var NAME=VALUE]... FUNCTION [FIELD...]\n"
    "\n"
    "Prints what the argument dialog of FUNCTION shows beside the given field texts: each\n"
    "field's value (\"= 2.5\", \"= \\\"文本\\\"\", \"= TRUE\") or the engine's message, then the\n"
    "formula OK would return, then \"计算结果 = ...\" or the message OK would show now.\n"
    "Functions the engine does not know are answered from the catalogue; their values are\n"
    "the host's to compute. A variable without a value counts as 0 and is named.\n"
    "  --var NAME=VALUE  a sample value of the variable NAME: x=12 a number, x=abc or\n"
    "                    'x=\"abc\"' a string, x=True a boolean\n"
    "  --fields FILE     the host's declared names: a UTF-8 CSV file with the header\n"
    "                    name,type,group,description,sample (only name required; type\n"
    "                    number, text, boolean or date); a name's sample takes the place\n"
    "                    of --var\n"
    "  --catalogue FILE  the catalogue (default: FormulaSet.xml beside nemro-formula)\n"
    "  --json   {\"ok\":true,\"rows\":[{\"value\":V,\"kind\":K}|{\"error\":E},...],\"formula\":F,\n"
    "           \"result\":{\"kind\":K,\"text\":T}}, with \"message\":M in place of \"result\"\n"
    "           when OK would refuse; K is number, text, boolean, host (a value only the\n"
    "           host computes) or empty, and error for a result that the sample values\n"
    "           make fail; \"variables\":[N,...] names the variables without a value\n"
    "\n"
    "exit status: 0 OK would accept the fields, 1 it would not, 2 usage error\n"
    "\n"
    "example: nemro-formula preview --var x=3.14159 ROUND x 2\n",
    run};

}  // namespace nemro::cli
