#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

#include "catalogue_options.h"
#include "commands.h"
#include "formula_options.h"
#include "nemro/catalogue.h"
#include "nemro/catalogue_lint.h"
#include "nemro/classic_lists.h"
#include "nemro/function_index.h"
#include "nemro/functions.h"
#include "nemro/text.h"

namespace nemro::cli {
namespace {

// A list that keeps what a fill leaves in it. Selecting does not fire anything, so that
// the category fill does not go on to fill functions as the chooser's click would.
class EntryList : public IListBox {
  public:
    std::vector<std::string> entries;
    int index = -1;

    void Clear() override {
        entries.clear();
        index = -1;
    }
    void AddItem(const std::string& text) override { entries.push_back(text); }
    std::string ItemText(int i) const override {
        return i >= 0 && i < ListCount() ? entries[static_cast<std::size_t>(i)] : "";
    }
    int ListCount() const override { return static_cast<int>(entries.size()); }
    int ListIndex() const override { return index; }
    void SetListIndex(int i) override {
        if (i < 0 || i >= ListCount()) raisePlatform(err::InvalidPropertyValue, "ListIndex");
        index = i;
    }
    std::string Text() const override { return ItemText(index); }
    void EnableVerticalScrollBar(bool) override {}
    int ClientHeight() const override { return 1 << 30; }  // never too small for the entries
};

class TextLabel : public ILabel {
  public:
    std::string caption;
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
};

// One line of the dialog's default font.
class LineMetrics : public ITextMetrics {
  public:
    int TextHeight(const std::string&) const override { return 195; }
};

struct Query {
    bool json = false;
    std::string path;
    std::vector<std::string> operands;  // after the query's name
    std::optional<std::size_t> limit;   // search --limit N
};

using Json = nlohmann::ordered_json;

// Writes the JSON line, or the human-readable text (whole lines, newlines included).
int answer(const Query& q, Io& io, const Json& j, const std::string& text) {
    if (q.json)
        io.out << dumpLine(j) << '\n';
    else
        io.out << text;
    return kOk;
}

std::string line(const std::string& text) {
    return text + "\n";
}

std::string lines(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) text += line(entry);
    return text;
}

std::int16_t parseIndex(const std::string& text) {
    std::int16_t index = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw UsageError("INDEX wants a whole number from -32768 to 32767, not '" + text + "'");
    return index;
}

int categories(const Query& q, Io& io) {
    EntryList list;
    FillFunctionCategory(LineMetrics(), list, q.path);
    return answer(q, io, {{"ok", true}, {"entries", list.entries}}, lines(list.entries));
}

int functions(const Query& q, Io& io) {
    EntryList list;
    FillFunctionName(LineMetrics(), list, q.operands[0], q.path);
    return answer(q, io, {{"ok", true}, {"entries", list.entries}, {"selected", list.index}},
                  lines(list.entries));
}

int info(const Query& q, Io& io) {
    TextLabel value, titleAndDescription;
    GetFunctionInfo(value, titleAndDescription, q.operands[0], q.path);
    return answer(q, io,
                  {{"ok", true},
                   {"value", value.caption},
                   {"titleAndDescription", titleAndDescription.caption}},
                  line(value.caption) + line(titleAndDescription.caption));
}

int count(const Query& q, Io& io) {
    const std::int16_t n = getArgumentCount(q.operands[0], q.path);
    return answer(q, io, {{"ok", true}, {"count", n}}, line(std::to_string(n)));
}

int arg(const Query& q, Io& io) {
    const std::int16_t index = parseIndex(q.operands[2]);
    const std::string text = getArgumentPara(q.operands[0], q.operands[1], index, q.path);
    return answer(q, io, {{"ok", true}, {"text", text}}, line(text));
}

int argnum(const Query& q, Io& io) {
    const bool result = CheckArgNum(q.operands[0], q.path);
    return answer(q, io, {{"ok", true}, {"result", result}}, result ? "true\n" : "false\n");
}

int exists(const Query& q, Io& io) {
    const bool result = isExistFormula(q.operands[0], q.path);
    return answer(q, io, {{"ok", true}, {"result", result}}, result ? "true\n" : "false\n");
}

int typedesc(const Query& q, Io& io) {
    const std::string text = getArgDatatypeDesc(q.operands[0], q.operands[1], q.path);
    return answer(q, io, {{"ok", true}, {"text", text}}, line(text));
}

int lint(const Query& q, Io& io) {
    // The examples are worked out by the engine with the library on, on a fixed clock,
    // for the functions it computes.
    FunctionSettings functions = FunctionSettings::WithLibrary();
    functions.Now = SerialDate(2026, 12, 8) + 0.5;
    const std::vector<std::string> library = LibraryFunctionNames(),
                                   builtin = BuiltinFunctionNames();
    const std::vector<LintProblem> problems = lintCatalogue(
        q.path,
        [&](const std::string& name, const std::string& formula) -> std::optional<std::string> {
            const std::string upper = text::upper(name);
            if (!std::binary_search(library.begin(), library.end(), upper) &&
                !std::binary_search(builtin.begin(), builtin.end(), upper))
                return std::nullopt;
            CGNTExpression engine;
            engine.setFunctions(functions);
            return engine.EvaluateOrThrow(formula).Text;
        });
    if (q.json) {
        Json list = Json::array();
        for (const LintProblem& p : problems)
            list.push_back({{"line", p.line}, {"message", p.message}});
        io.out << dumpLine({{"ok", problems.empty()}, {"problems", list}}) << '\n';
    } else {
        const std::string file = q.path.empty() ? GetAppPath() + "FormulaSet.xml" : q.path;
        for (const LintProblem& p : problems)
            io.out << file << ':' << p.line << ": " << p.message << '\n';
    }
    return problems.empty() ? kOk : kFormulaError;
}

// Takes "--limit N" out of args, up to a "--".
std::optional<std::size_t> takeLimit(std::vector<std::string>& args) {
    std::optional<std::size_t> limit;
    for (std::size_t i = 0; i < args.size() && args[i] != "--";) {
        if (args[i] != "--limit") {
            ++i;
            continue;
        }
        std::size_t n = 0;
        const std::string text = i + 1 < args.size() ? args[i + 1] : "";
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size())
            throw UsageError("--limit wants a whole number, not '" + text + "'");
        limit = n;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(std::min(i + 2, args.size())));
    }
    return limit;
}

int search(const Query& q, Io& io) {
    const auto index = loadFunctionIndex(q.path);
    const std::vector<SearchHit> hits = index->search(q.operands[0], q.limit.value_or(20));
    Json list = Json::array();
    std::string text;
    for (const SearchHit& hit : hits) {
        const CatalogueFunction& f = *hit.function;
        list.push_back({{"name", f.name},
                        {"title", f.title},
                        {"category", f.categoryTitle},
                        {"field", searchFieldName(hit.field)}});
        text += f.name + '\t' + f.title + '\t' + f.categoryTitle + '\n';
    }
    return answer(q, io, {{"ok", true}, {"hits", list}}, text);
}

struct QueryCommand {
    const char* name;
    const char* operands;  // as the usage names them
    std::size_t count;
    int (*run)(const Query&, Io&);
};

const QueryCommand kQueries[] = {
    {"categories", "", 0, categories},
    {"functions", "TITLE", 1, functions},
    {"info", "NAME", 1, info},
    {"count", "NAME", 1, count},
    {"arg", "NAME ATTRIBUTE INDEX", 3, arg},
    {"argnum", "NAME", 1, argnum},
    {"exists", "NAME", 1, exists},
    {"typedesc", "NAME ARGUMENT", 2, typedesc},
    {"lint", "", 0, lint},
    {"search", "QUERY", 1, search},
};

int run(const std::vector<std::string>& args, Io& io) {
    std::vector<std::string> rest = args;
    Query q;
    q.path = takeCatalogueOption(rest);
    q.limit = takeLimit(rest);
    const CommonOptions o = parseCommon(rest);
    q.json = o.json;
    if (o.positional.empty()) throw UsageError("a QUERY is needed");
    const std::string& name = o.positional[0];
    for (const QueryCommand& query : kQueries) {
        if (name != query.name) continue;
        q.operands.assign(o.positional.begin() + 1, o.positional.end());
        if (q.limit && query.run != search) throw UsageError("--limit is for search only");
        if (q.operands.size() != query.count)
            throw UsageError(name + (query.count ? std::string(" wants ") + query.operands
                                                 : std::string(" takes no operands")));
        try {
            return query.run(q, io);
        } catch (const NemroError& e) {
            return reportError(e, q.json, io);
        }
    }
    throw UsageError("unknown QUERY '" + name + "'");
}

}  // namespace

const Command kCatalogueCommand = {
    "catalogue", "query or lint a formula catalogue",
    "usage: nemro-formula catalogue [--json] [--catalogue FILE] QUERY [OPERAND...]\n"
    "       nemro-formula catalogue [--json] [--catalogue FILE] search QUERY [--limit N]\n"
    "\n"
    "Runs one catalogue query as the dialogs do, on FILE or, without --catalogue, on the\n"
    "FormulaSet.xml beside nemro-formula.\n"
    "  categories                 the displayed categories' titles\n"
    "  functions TITLE            the displayed functions of the category with that title\n"
    "  info NAME                  the function's value line and its title and description\n"
    "  count NAME                 the function's MaxArgNum\n"
    "  arg NAME ATTRIBUTE INDEX   an attribute (Value, Required, Datatype, Description)\n"
    "                             of argument INDEX, counting from 1\n"
    "  argnum NAME                whether the function has MaxArgNum child nodes\n"
    "  exists NAME                whether the name check finds NAME (case counts)\n"
    "  typedesc NAME ARGUMENT     the description of the named argument's data type\n"
    "  lint                       every problem of the file, one a line as FILE:LINE: text,\n"
    "                             an Example the engine works out otherwise among them;\n"
    "                             exit status 1 when there is any\n"
    "  search QUERY [--limit N]   the displayed functions that match QUERY by name, title,\n"
    "                             keywords, category or description (pinyin and its\n"
    "                             initials too), best first, at most N (20): one a line\n"
    "                             as NAME<tab>TITLE<tab>CATEGORY\n"
    "  --json   one JSON object on one line: {\"ok\":true,\"entries\":[...]} for categories,\n"
    "           with \"selected\":I for functions; \"value\" and \"titleAndDescription\" for\n"
    "           info; \"count\":N; \"text\":T for arg and typedesc; \"result\":B for argnum\n"
    "           and exists; {\"ok\":B,\"problems\":[{\"line\":L,\"message\":M},...]} for lint;\n"
    "           {\"ok\":true,\"hits\":[{\"name\":..,\"title\":..,\"category\":..,\"field\":..}]}\n"
    "           for search;\n"
    "           or {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
    "\n"
    "example: nemro-formula catalogue --json arg ROUND Value 1\n",
    run};

}  // namespace nemro::cli
