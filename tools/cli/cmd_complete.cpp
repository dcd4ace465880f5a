// complete: what the formula editor offers at a cursor, headless.
#include <charconv>
#include <ostream>

#include "catalogue_options.h"
#include "commands.h"
#include "formula_options.h"
#include "nemro/declared_fields.h"
#include "nemro/formula_completion.h"

namespace nemro::cli {
namespace {

using Json = nlohmann::ordered_json;

// Takes "OPTION VALUE" or "OPTION=VALUE" out of args, up to a "--"; the last one wins.
std::optional<std::string> takeValue(std::vector<std::string>& args, const std::string& option) {
    std::optional<std::string> value;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] == option) {
            if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        } else if (args[i].starts_with(option + "=")) {
            value = args[i].substr(option.size() + 1);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return value;
}

std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

int run(const std::vector<std::string>& args, Io& io) {
    std::vector<std::string> rest = args;
    const std::string catalogue = takeCatalogueOption(rest);
    const std::optional<std::string> fields = takeValue(rest, "--fields");
    const std::optional<std::string> cursorText = takeValue(rest, "--cursor");
    const CommonOptions o = parseCommon(rest);
    if (o.positional.size() != 1) throw UsageError("one TEXT is needed");
    const std::string& text = o.positional[0];
    std::size_t cursor = characters(text);
    if (cursorText) {
        const auto [end, ec] =
            std::from_chars(cursorText->data(), cursorText->data() + cursorText->size(), cursor);
        if (cursorText->empty() || ec != std::errc() ||
            end != cursorText->data() + cursorText->size())
            throw UsageError("--cursor wants a whole number, not '" + *cursorText + "'");
        if (cursor > characters(text))
            throw UsageError("--cursor " + *cursorText + " lies beyond the text's " +
                             std::to_string(characters(text)) + " characters");
    }
    if (fields && fields->empty()) throw UsageError("--fields needs a FILE");

    try {
        std::vector<IndexedName> names;
        if (fields) {
            const auto declared = dialogs::loadFieldFile(*fields);
            for (const Field& f : declared->fields())
                names.push_back({f.name, f.group, f.description});
        }
        const CompletionIndex index(loadFunctionIndex(catalogue), std::move(names));
        const Completion c = index.complete(text, cursor);
        const std::optional<CallHint> hint = index.callHint(text, cursor);
        if (o.json) {
            Json list = Json::array();
            for (const CompletionCandidate& candidate : c.candidates) {
                const bool function = candidate.kind == CandidateKind::Function;
                list.push_back({{"name", candidate.text()},
                                {"kind", function ? "function" : "name"},
                                {"title", function ? candidate.function->title : ""},
                                {"group", function ? candidate.function->categoryTitle
                                                   : candidate.name->group}});
            }
            Json j = {{"ok", true},
                      {"replace", {{"start", c.start}, {"length", c.length}}},
                      {"candidates", list}};
            if (hint)
                j["signature"] = {{"function", hint->function->name},
                                  {"argument", hint->argument},
                                  {"text", hint->text()}};
            io.out << dumpLine(j) << '\n';
            return kOk;
        }
        io.out << "replace " << c.start << ' ' << c.length << '\n';
        for (const CompletionCandidate& candidate : c.candidates)
            io.out << c.insertion(candidate) << '\t'
                   << (candidate.kind == CandidateKind::Function ? "function" : "name") << '\t'
                   << candidate.label() << '\n';
        if (hint)
            io.out << "argument " << hint->argument << " of " << hint->function->name << ": "
                   << hint->text() << '\n';
        return kOk;
    } catch (const NemroError& e) {
        return reportError(e, o.json, io);
    }
}

}  // namespace

const Command kCompleteCommand = {
    "complete", "what the formula editor offers at a cursor",
    "usage: nemro-formula complete [--json] [--fields FILE] [--catalogue FILE] TEXT\n"
    "                              [--cursor N]\n"
    "\n"
    "Completes the name being typed at the cursor in the formula TEXT with the functions of\n"
    "the catalogue and the declared names, found by name, pinyin, initials and meaning,\n"
    "best first (at most 20), and names the call the cursor is in.\n"
    "  --cursor N        the characters of TEXT before the cursor (default: all of them)\n"
    "  --fields FILE     the declared names: UTF-8 CSV with the header\n"
    "                    name,type,group,description,sample (only name required)\n"
    "  --catalogue FILE  the catalogue (default: FormulaSet.xml beside nemro-formula)\n"
    "  --json   {\"ok\":true,\"replace\":{\"start\":S,\"length\":L},\"candidates\":[{\"name\":..,\n"
    "           \"kind\":\"function\"|\"name\",\"title\":..,\"group\":..},...],\n"
    "           \"signature\":{\"function\":F,\"argument\":I,\"text\":T}}: taking a candidate\n"
    "           replaces L characters from S; \"signature\" only inside a call, I from 1, T\n"
    "           the function's syntax with that argument in 【】 and its description;\n"
    "           or {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
    "  without --json: \"replace S L\", then each candidate as the text it writes, its\n"
    "  kind and its title or group, separated by tabs, then \"argument I of F: T\"\n"
    "\n"
    "example: nemro-formula complete --json 'ROUND(A1,sswr' --cursor 13\n",
    run};

}  // namespace nemro::cli
