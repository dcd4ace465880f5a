#include "formula_options.h"
#include "nemro/text.h"

namespace nemro::cli {

int runPrint(const std::vector<std::string>& args, Io& io) {
    const FormulaOptions o =
        parseFormulaOptions(args, {"--type", "--function-type"}, {"--trace", "--batch"});
    CliListener listener;
    listener.tracing = o.trace;
    if (auto it = o.values.find("--type"); it != o.values.end())
        for (const auto& v : it->second) {
            auto [name, code] = splitAssignment("--type", v);
            listener.variableTypes[text::upper(name)] = parseCode("--type", code);
        }
    if (auto it = o.values.find("--function-type"); it != o.values.end())
        for (const auto& v : it->second) {
            auto [name, code] = splitAssignment("--function-type", v);
            listener.functionTypes[text::upper(name)] = parseCode("--function-type", code);
        }
    CGNTExpression expression(&listener);
    expression.setFunctions(FunctionSettings::WithLibrary());
    return runFormulas(o, io, [&](const std::string& formula) {
        listener.trace = nlohmann::ordered_json::array();
        try {
            std::int32_t returnType = vtAny;
            const std::string text =
                expression.PostfixToInfix(expression.InfixToPostfix(formula), returnType);
            return reportSuccess(o, listener,
                                 {{"ok", true}, {"text", text}, {"returnType", returnType}},
                                 text + "\t" + std::to_string(returnType), io);
        } catch (const NemroError& e) {
            return reportFailure(o, listener, e, io);
        }
    });
}

}  // namespace nemro::cli
