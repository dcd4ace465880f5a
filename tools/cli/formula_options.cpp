#include "formula_options.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

#include "nemro/text.h"
#ifdef NEMRO_CLI_HAS_CATALOGUE
#include "nemro/catalogue.h"
#endif

namespace nemro::cli {

FormulaOptions parseFormulaOptions(const std::vector<std::string>& args,
                                   const std::vector<std::string>& valueOptions,
                                   const std::vector<std::string>& flags) {
    FormulaOptions o;
    std::vector<std::string> rest;
    auto listed = [](const std::vector<std::string>& list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (a == "--trace" && listed(flags, a)) {
            o.trace = true;
        } else if (a == "--batch" && listed(flags, a)) {
            o.batch = true;
        } else if (listed(valueOptions, a)) {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            o.values[a].push_back(args[++i]);
        } else if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos &&
                                                listed(valueOptions, a.substr(0, eq))) {
            o.values[a.substr(0, eq)].push_back(a.substr(eq + 1));
        } else {
            rest.push_back(a);
        }
    }
    o.common = parseCommon(rest);
    if (o.batch && !o.common.positional.empty())
        throw UsageError("--batch reads the formulas from standard input");
    if (!o.batch && o.common.positional.size() != 1)
        throw UsageError("exactly one FORMULA is needed");
    return o;
}

std::pair<std::string, std::string> splitAssignment(const std::string& option,
                                                    const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        throw UsageError(option + " wants NAME=VALUE, not '" + text + "'");
    return {text.substr(0, eq), text.substr(eq + 1)};
}

std::int32_t parseCode(const std::string& option, const std::string& text) {
    std::int32_t code = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw UsageError(option + " wants a whole number, not '" + text + "'");
    return code;
}

FunctionSettings cliFunctions(const FormulaOptions& o) {
    FunctionSettings s = FunctionSettings::WithLibrary();
    if (auto it = o.values.find("--now"); it != o.values.end()) {
        const std::string& text = it->second.back();
        double serial = 0;
        // The time, when given, after one space: "YYYY-MM-DD[ HH:MM[:SS]]".
        const bool dashed = text.size() >= 10 && text[4] == '-' && text[7] == '-' &&
                            (text.size() == 10 || text[10] == ' ');
        if (!dashed || !ParseDateText(text, serial))
            throw UsageError("--now wants \"YYYY-MM-DD[ HH:MM[:SS]]\", not '" + text + "'");
        s.Now = serial;
    }
    return s;
}

void CliListener::record(const char* callback, const std::string& name) {
    if (tracing) trace.push_back({{"callback", callback}, {"name", name}});
}

void CliListener::UserVariable(const std::string& Name, std::string& Value) {
    record("UserVariable", Name);
    if (auto it = variables.find(text::upper(Name)); it != variables.end()) Value = it->second;
}

void CliListener::UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) {
    record("UserFunction", Name);
    if (auto it = functions.find(text::upper(Name)); it != functions.end()) {
        Value = it->second;
        return;
    }
#ifdef NEMRO_CLI_HAS_CATALOGUE
    // As the argument dialog answers: known to the catalogue or not.
    if (!catalogue.empty()) Value = isExistFormula(Name, catalogue) ? "0" : "-1";
#endif
}

void CliListener::CheckVariable(const std::string& Name, std::int32_t& ReturnType, std::int32_t&,
                                std::string&) {
    record("CheckVariable", Name);
    if (auto it = variableTypes.find(text::upper(Name)); it != variableTypes.end())
        ReturnType = it->second;
}

void CliListener::CheckUserFunction(const std::string& Name, CExpElmStack&,
                                    std::int32_t& ReturnType, std::int32_t&, std::string&) {
    record("CheckUserFunction", Name);
    if (auto it = functionTypes.find(text::upper(Name)); it != functionTypes.end())
        ReturnType = it->second;
}

std::string dumpLine(const nlohmann::ordered_json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::ordered_json errorJson(const NemroError& e) {
    nlohmann::ordered_json j = {{"ok", false},
                                {"number", e.number()},
                                {"source", e.source()},
                                {"description", e.description()}};
    if (e.position() > 0) j["position"] = e.position(), j["length"] = e.length();
    return j;
}

namespace {

void traceToStderr(const CliListener& l, Io& io) {
    for (const auto& c : l.trace)
        io.err << "callback " << c["callback"].get<std::string>() << ' '
               << c["name"].get<std::string>() << '\n';
}

}  // namespace

bool reportSuccess(const FormulaOptions& o, const CliListener& l, nlohmann::ordered_json j,
                   const std::string& textLine, Io& io) {
    if (o.common.json) {
        if (o.trace) j["callbacks"] = l.trace;
        io.out << dumpLine(j) << '\n';
    } else {
        io.out << textLine << '\n';
        if (o.trace) traceToStderr(l, io);
    }
    return true;
}

bool reportFailure(const FormulaOptions& o, const CliListener& l, const NemroError& e, Io& io) {
    if (o.common.json) {
        nlohmann::ordered_json j = errorJson(e);
        if (o.trace) j["callbacks"] = l.trace;
        io.out << dumpLine(j) << '\n';
    } else {
        // A batch keeps one output line per formula.
        if (o.batch)
            io.out << "error " << e.number() << ": " << e.description() << '\n';
        else
            reportError(e, false, io);
        if (o.trace) traceToStderr(l, io);
    }
    return false;
}

int runFormulas(const FormulaOptions& o, Io& io,
                const std::function<bool(const std::string&)>& one) {
    if (!o.batch) return one(o.common.positional[0]) ? kOk : kFormulaError;
    bool anyFailed = false;
    std::string line;
    // Answers are written out whenever the input read so far is used up, before the next
    // read may wait: a host that feeds one formula at a time gets each answer at once,
    // and a long batch is not written one system call a line.
    std::ostream* const tied = io.in.tie(nullptr);
    for (;;) {
        if (io.in.rdbuf() == nullptr || io.in.rdbuf()->in_avail() <= 0) io.out.flush();
        if (!std::getline(io.in, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!one(line)) anyFailed = true;
    }
    io.in.tie(tied);
    io.out.flush();
    return anyFailed ? kFormulaError : kOk;
}

}  // namespace nemro::cli
