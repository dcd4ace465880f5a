#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

#include "commands.h"
#include "nemro/argument_editor.h"
#include "nemro/argument_set.h"

namespace nemro::cli {
namespace {

// The list string on standard input. A line break at its end comes from the shell
// (echo, a here-string) rather than from the list, and is dropped.
std::string readList(Io& io) {
    std::string list{std::istreambuf_iterator<char>(io.in), std::istreambuf_iterator<char>()};
    if (!list.empty() && list.back() == '\n') list.pop_back();
    if (!list.empty() && list.back() == '\r') list.pop_back();
    return list;
}

std::string dump(const nlohmann::ordered_json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

int get(const CommonOptions& o, Io& io) {
    if (o.positional.size() != 2) throw UsageError("get takes one NAME");
    const std::string list = readList(io);
    std::string value;
    try {
        value = CArgumentSet().GetValueByName(list, o.positional[1]);
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
    if (o.json)
        io.out << dump({{"ok", true}, {"value", value}}) << '\n';
    else
        io.out << value << '\n';
    return kOk;
}

void printEntries(const std::vector<ArgumentEntry>& entries, Io& io) {
    for (const ArgumentEntry& e : entries)
        io.out << e.name << '\t' << e.value << '\t' << e.description << '\n';
}

// The entries as the editor shows them; an entry with fewer than three fields ends
// the list with the editor's failure.
int show(const CommonOptions& o, Io& io) {
    if (o.positional.size() != 1) throw UsageError("show takes no operand");
    ArgumentEditorFields fields;
    ArgumentListEditor editor(fields);
    const ArgumentListEditor::ReadFailure failure = editor.ReadArgument(readList(io));
    if (failure.position != 0) {
        if (!o.json) {
            printEntries(editor.items(), io);
            io.err << "entry " << failure.position << " has fewer than three fields\n";
            return reportError(failure.error, false, io);
        }
        io.out << dump({{"ok", false},
                        {"number", failure.error.number()},
                        {"source", failure.error.source()},
                        {"description", failure.error.description()},
                        {"entry", failure.position}})
               << '\n';
        return kFormulaError;
    }
    if (o.json) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (const ArgumentEntry& e : editor.items())
            entries.push_back(
                {{"name", e.name}, {"value", e.value}, {"description", e.description}});
        io.out << dump({{"ok", true}, {"entries", entries}}) << '\n';
    } else {
        printEntries(editor.items(), io);
    }
    return kOk;
}

int run(const std::vector<std::string>& args, Io& io) {
    const CommonOptions o = parseCommon(args);
    if (o.positional.empty()) throw UsageError("missing get or show");
    if (o.positional[0] == "get") return get(o, io);
    if (o.positional[0] == "show") return show(o, io);
    throw UsageError("unknown operation '" + o.positional[0] + "'");
}

}  // namespace

const Command kArglistCommand = {
    "arglist", "look a value up in a named argument list, or list its entries",
    "usage: nemro-formula arglist [--json] get NAME\n"
    "       nemro-formula arglist [--json] show\n"
    "\n"
    "Reads a named argument list from standard input: entries separated by the\n"
    "character 15 (octal 017), each entry's name, value and description separated by\n"
    "the character 14 (octal 016). One line break at the end of the input is ignored.\n"
    "  get NAME  print the value of the first entry named NAME, compared without regard\n"
    "            to case and without trimming; an empty line when there is none\n"
    "  show      print the entries as the argument list editor reads them, one a line:\n"
    "            name, value and description separated by tabs\n"
    "  --json    get: {\"ok\":true,\"value\":V}\n"
    "            show: {\"ok\":true,\"entries\":[{\"name\":N,\"value\":V,\"description\":D},...]}\n"
    "            or {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
    "            (show adds \"entry\":P, the position of an entry with too few fields)\n"
    "\n"
    "example: printf 'RATE\\0160.05\\016tax rate\\017BASE\\016100\\016' | nemro-formula arglist "
    "--json get rate\n",
    run};

}  // namespace nemro::cli
