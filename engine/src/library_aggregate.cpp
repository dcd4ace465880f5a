// SUM, AVERAGE, COUNT, MAX, MIN and PRODUCT. Omitted arguments are skipped, so that the
// classic dialog's AVERAGE(8000,,,,) is 8000.
#include <algorithm>

#include "library.h"
#include "nemro/error.h"

namespace nemro::detail {

double sumOf(const double* args, std::size_t count) {
    double s = 0;
    for (std::size_t i = 0; i < count; ++i) s += args[i];
    return checkedResult(s);
}

double averageOf(const double* args, std::size_t count) {
    if (count == 0) raisePlatform(err::DivisionByZero, "");
    return checkedResult(sumOf(args, count) / static_cast<double>(count));
}

double maxOf(const double* args, std::size_t count) {
    return count == 0 ? 0 : *std::max_element(args, args + count);
}

double minOf(const double* args, std::size_t count) {
    return count == 0 ? 0 : *std::min_element(args, args + count);
}

double productOf(const double* args, std::size_t count) {
    if (count == 0) return 0;
    double p = 1;
    for (std::size_t i = 0; i < count; ++i) p *= args[i];
    return checkedResult(p);
}

// Numbers and number texts count; booleans, other texts and omitted arguments do not.
void fnCount(FunctionCall& call) {
    std::int64_t n = 0;
    while (!call.atEnd()) {
        const ExpElement v = call.nextOperand();
        if (v.Kind == ekNumber || (v.Kind == ekString && CGNTExpression::IsDecimal(v.Text))) ++n;
    }
    call.pushNumber(static_cast<double>(n));
}

}  // namespace nemro::detail
