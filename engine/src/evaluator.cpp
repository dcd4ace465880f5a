#include "engine_internal.h"
#include "nemro/error.h"

namespace nemro {

ExpElement CGNTExpression::DoEvaluate(const CExpElmStack& Postfix) {
    (void)Postfix;
    return ExpElement{};
}

}  // namespace nemro
