// INT, MOD, ROUND, TRUNC, SIGN and the money text of RMBDX.
#include <cmath>

#include "function_table.h"
#include "text_tools.h"
#include "values.h"

namespace nemro::detail {
namespace {

double sign(double v) {
    return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0);
}

// Digits of ROUND and TRUNC: truncate of y, 0 when absent.
std::int32_t digitsArgument(FunctionCall& call) {
    double y = 0;
    return call.count() >= 2 && call.nextOptionalValue(y) ? truncToInt32(y) : 0;
}

// Half a unit in the sign's direction, then the fraction dropped, in doubles.
double roundHalfAway(double x, double scale) {
    const double shifted = checkedResult(x * scale + sign(x) * 0.5);
    return checkedDivide(std::trunc(shifted), scale);
}

}  // namespace

void fnInt(FunctionCall& call) {
    call.pushNumber(std::floor(call.nextValue()));
}

// The remainder takes the sign of the divisor.
void fnMod(FunctionCall& call) {
    const double x = call.nextValue();
    const double y = call.nextValue();
    const double q = std::floor(checkedDivide(x, y));
    call.pushNumber(checkedResult(x - checkedResult(y * q)));
}

void fnRound(FunctionCall& call) {
    const double x = call.nextValue();
    const std::int32_t d = digitsArgument(call);
    call.pushNumber(roundHalfAway(x, checkedPower(10.0, d)));
}

// Exact decimal arithmetic from the argument's text, so 1.15 stays 1.15.
void fnTrunc(FunctionCall& call) {
    const ExpElement x = call.nextNumber();
    const std::int32_t d = digitsArgument(call);
    call.pushText(truncDecimal(x.Text, d), ekNumber);
}

void fnSign(FunctionCall& call) {
    call.pushNumber(sign(call.nextValue()));
}

// Amounts of 10^12 and more yield no value at all.
void fnRmbdx(FunctionCall& call) {
    const double x = call.nextValue();
    const double amount = readNumber(formatNumber(roundHalfAway(x, 100.0)));
    if (std::fabs(amount) >= 1e12) return;
    call.pushText(TextTools::MoneyText(amount), ekString);
}

}  // namespace nemro::detail
