// A small host of NemroFormulaSet. Without arguments it uses the engine, the formula
// stack and a named argument list; with --dialog [FORMULA] it lets the user compose a
// formula (or re-edit FORMULA) in the component's dialogs.
#include <iostream>
#include <string>

#include "nemro/argument_set.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_set.h"

namespace {

// The host answers the variables its formulas use.
class Cells : public nemro::IExpressionListener {
  public:
    void UserVariable(const std::string& name, std::string& value) override {
        if (name == "A1") value = "2.5";
    }
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--dialog") {
        nemro::CFormulaSet formulas;
        const std::string result = formulas.setFormula(argc > 2 ? argv[2] : "");
        std::cout << "formula: " << result << "\nisCancel: " << std::boolalpha
                  << formulas.isCancel() << '\n';
        return 0;
    }

    Cells cells;
    nemro::CGNTExpression engine(&cells);
    try {
        const nemro::ExpElement value = engine.EvaluateOrThrow("ROUND(A1*2,0)&\"元\"");
        std::cout << "value: " << value.Text << '\n';
        std::int32_t type = 0;
        std::cout << "printed: "
                  << engine.PostfixToInfix(engine.InfixToPostfix("round(a1 , 2)"), type) << '\n';
        engine.EvaluateOrThrow("MOD(1,0)");
    } catch (const nemro::NemroError& e) {
        std::cout << "error " << e.number() << ": " << e.description() << " (" << e.source()
                  << ")\n";
    }

    nemro::cStack stack;
    stack.Push("ROUND(A1,2)");
    std::cout << "stack: " << stack.Count() << ' ' << stack.Pop() << '\n';

    const std::string list = nemro::writeArgumentList({{"RATE", "0.17", "tax rate"}});
    std::cout << "rate: " << nemro::CArgumentSet().GetValueByName(list, "rate") << '\n';
    return 0;
}
