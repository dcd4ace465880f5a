#include "formula_options.h"
#include "nemro/text.h"

namespace nemro::cli {
namespace {

const char* kindName(std::int32_t kind) {
    switch (kind) {
        case ekNumber:
            return "number";
        case ekString:
            return "string";
        case ekBoolean:
            return "boolean";
        default:
            return "value";
    }
}

}  // namespace

int runEval(const std::vector<std::string>& args, Io& io) {
    const FormulaOptions o = parseFormulaOptions(
        args, {"--var", "--function", "--catalogue", "--rows", "--now"}, {"--trace", "--batch"});
    const FunctionSettings functions = cliFunctions(o);
    CliListener listener;
    listener.tracing = o.trace;
    if (auto it = o.values.find("--var"); it != o.values.end())
        for (const auto& v : it->second) {
            auto [name, value] = splitAssignment("--var", v);
            listener.variables[text::upper(name)] = value;
        }
    if (auto it = o.values.find("--function"); it != o.values.end())
        for (const auto& v : it->second) {
            auto [name, status] = splitAssignment("--function", v);
            listener.functions[text::upper(name)] = status;
        }
    if (auto it = o.values.find("--catalogue"); it != o.values.end()) {
#ifdef NEMRO_CLI_HAS_CATALOGUE
        listener.catalogue = it->second.back();
#else
        throw UsageError("this build has no catalogue support");
#endif
    }
    if (auto it = o.values.find("--rows"); it != o.values.end()) {
        if (o.trace || o.batch) throw UsageError("--rows takes neither --trace nor --batch");
        return runRows(it->second.back(), o.common.positional[0], listener, functions,
                       o.common.json, io);
    }
    // A listener with nothing to answer or trace is left out, which lets the engine
    // evaluate each formula as it converts it.
    const bool listens = o.trace || !listener.variables.empty() || !listener.functions.empty()
#ifdef NEMRO_CLI_HAS_CATALOGUE
                         || !listener.catalogue.empty()
#endif
        ;
    CGNTExpression expression(listens ? &listener : nullptr);
    expression.setFunctions(functions);
    return runFormulas(o, io, [&](const std::string& formula) {
        // The JSON values are made only when they are written: a long batch then costs
        // little more than the evaluations themselves.
        if (o.trace) listener.trace = nlohmann::ordered_json::array();
        try {
            const ExpElement r = expression.EvaluateOrThrow(formula);
            if (!o.common.json)
                return reportSuccess(o, listener, {}, std::string(kindName(r.Kind)) + "\t" + r.Text,
                                     io);
            return reportSuccess(o, listener, {{"ok", true}, {"kind", r.Kind}, {"text", r.Text}},
                                 std::string(kindName(r.Kind)) + "\t" + r.Text, io);
        } catch (const NemroError& e) {
            return reportFailure(o, listener, e, io);
        }
    });
}

}  // namespace nemro::cli
