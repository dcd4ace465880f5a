#include "engine_internal.h"
#include "nemro/error.h"

namespace nemro {

std::string CGNTExpression::PostfixToInfix(const CExpElmStack& Postfix, std::int32_t& ReturnType) {
    (void)Postfix;
    ReturnType = vtAny;
    return {};
}

}  // namespace nemro
