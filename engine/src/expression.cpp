// Evaluate and the small routines shared by the evaluator and the printer.
#include <string>

#include "engine_internal.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/message_box.h"

namespace nemro {

bool CGNTExpression::TryEvaluate(const std::string& Expression, ExpElement& result,
                                 Diagnostic& diagnostic) {
    try {
        result = EvaluateOrThrow(Expression);
        return true;
    } catch (const NemroError& e) {
        diagnostic = formulaErrorDiagnostic(e.description());
        diagnostic.position = e.position();
        diagnostic.length = e.length();
    } catch (const std::bad_alloc&) {
        diagnostic = formulaErrorDiagnostic(detail::msg::OutOfMemory);
    }
    result = ExpElement{};
    return false;
}

ExpElement CGNTExpression::Evaluate(const std::string& Expression, bool* bSuccess) {
    ExpElement result;
    Diagnostic diagnostic;
    const bool ok = TryEvaluate(Expression, result, diagnostic);
    if (bSuccess) *bSuccess = ok;
    if (!ok) showDiagnostic(diagnostic);
    return result;
}

namespace detail {

void p_CheckVariableType(ExpElement& element, IExpressionListener* listener) {
    if (element.Kind != ekVariable) return;
    std::int32_t returnType = vtAny, errNum = 0;
    std::string errDes;
    if (listener) listener->CheckVariable(element.Text, returnType, errNum, errDes);
    if (errNum != 0) throw NemroError(errNum, "CGNTExpression.p_CheckVariableType()", errDes);
    switch (returnType) {
        case vtString:
        case vtBoolean:
        case vtNumber:
            element.Kind = ekVariable | returnType;
            break;
        default:
            element.Kind = ekVariable | vtAny;
    }
    element.Priority = kOperandPriority;
}

bool p_PopArguments(CExpElmStack& source, CExpElmStack& arguments) {
    arguments = CExpElmStack{};
    ExpElement el;
    while (source.Pop(el)) {
        if (isArgumentMarker(el)) return true;
        arguments.Push(std::move(el));
    }
    return false;
}

std::string p_FormatCall(const std::string& name, CExpElmStack arguments) {
    std::string out = name + "(";
    ExpElement el;
    bool first = true;
    while (arguments.Pop(el)) {
        if (!first) out += ", ";
        out += el.Text;
        first = false;
    }
    return out + ")";
}

}  // namespace detail
}  // namespace nemro
