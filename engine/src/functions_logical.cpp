// AND, OR, NOT, IF.
#include "function_table.h"
#include "values.h"

namespace nemro::detail {
namespace {

// Stops at the first argument equal to decisive; later arguments stay unconverted.
void shortCircuit(FunctionCall& call, bool decisive) {
    for (std::int32_t i = 0; i < call.count(); ++i) {
        ExpElement el = call.next();
        const bool value =
            el.Kind != ekEmpty && (p_ToBoolean(el, call.listener()), isTrueText(el.Text));
        if (value == decisive) {
            call.pushText(booleanText(decisive), ekBoolean);
            return;
        }
    }
    call.pushText(booleanText(!decisive), ekBoolean);
}

}  // namespace

void fnAnd(FunctionCall& call) {
    shortCircuit(call, false);
}

void fnOr(FunctionCall& call) {
    shortCircuit(call, true);
}

void fnNot(FunctionCall& call) {
    const ExpElement x = call.nextBoolean();
    call.pushText(booleanText(!isTrueText(x.Text)), ekBoolean);
}

// Both branches are values already; both are checked whichever is chosen.
void fnIf(FunctionCall& call) {
    const ExpElement x = call.nextBoolean();
    ExpElement y = call.next();
    p_CheckOperand(y, call.listener());
    ExpElement z = call.next();
    p_CheckOperand(z, call.listener());
    call.push(isTrueText(x.Text) ? std::move(y) : std::move(z));
}

}  // namespace nemro::detail
