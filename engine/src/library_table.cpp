#include <algorithm>
#include <array>
#include <vector>

#include "library.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"

namespace nemro::detail {
namespace {

// The arguments' numbers as the evaluator reads them, then the numeric work on them.
// Aggregates skip omitted arguments; of the others, only the last of two may be omitted
// (it then takes its default), as ROUND's digits.
template <NumericFunction F, bool Aggregate>
void numericHandler(FunctionCall& call) {
    double small[8];
    std::vector<double> large;
    double* args = small;
    if (call.count() > 8) {
        large.resize(static_cast<std::size_t>(call.count()));
        args = large.data();
    }
    std::size_t n = 0;
    for (std::int32_t i = 0; i < call.count(); ++i) {
        if (Aggregate || (i == 1 && call.count() == 2)) {
            if (double v = 0; call.nextOptionalValue(v)) args[n++] = v;
        } else {
            args[n++] = call.nextValue();
        }
    }
    call.pushNumber(F(args, n));
}

template <NumericFunction F>
constexpr LibraryFunction number(std::string_view name, std::int32_t minArgs,
                                 std::int32_t maxArgs) {
    return {name, minArgs, maxArgs, vtNumber, numericHandler<F, false>, F};
}
template <NumericFunction F>
constexpr LibraryFunction aggregate(std::string_view name) {
    return {name, 1, kUnbounded, vtNumber, numericHandler<F, true>, F};
}

// Keep in byte order of the names: findLibrary searches it by halves.
constexpr std::array<LibraryFunction, 40> kLibrary = {{
    number<absOf>("ABS", 1, 1),
    aggregate<averageOf>("AVERAGE"),
    number<ceilingOf>("CEILING", 2, 2),
    {"CONCATENATE", 1, kUnbounded, vtString, fnConcatenate, nullptr},
    number<cosOf>("COS", 1, 1),
    {"COUNT", 1, kUnbounded, vtNumber, fnCount, nullptr},
    {"DATE", 3, 3, vtNumber, fnDate, nullptr},
    {"DAY", 1, 1, vtNumber, fnDay, nullptr},
    number<expOf>("EXP", 1, 1),
    number<floorOf>("FLOOR", 2, 2),
    {"HOUR", 1, 1, vtNumber, fnHour, nullptr},
    number<lnOf>("LN", 1, 1),
    number<log10Of>("LOG10", 1, 1),
    {"LOWER", 1, 1, vtString, fnLower, nullptr},
    aggregate<maxOf>("MAX"),
    aggregate<minOf>("MIN"),
    {"MINUTE", 1, 1, vtNumber, fnMinute, nullptr},
    {"MONTH", 1, 1, vtNumber, fnMonth, nullptr},
    {"NOW", 0, 0, vtNumber, fnNow, nullptr},
    number<piOf>("PI", 0, 0),
    number<powerOf>("POWER", 2, 2),
    aggregate<productOf>("PRODUCT"),
    {"PROPER", 1, 1, vtString, fnProper, nullptr},
    {"REPLACE", 4, 4, vtString, fnReplace, nullptr},
    {"REPT", 2, 2, vtString, fnRept, nullptr},
    number<roundDownOf>("ROUNDDOWN", 1, 2),
    number<roundUpOf>("ROUNDUP", 1, 2),
    {"SECOND", 1, 1, vtNumber, fnSecond, nullptr},
    number<sinOf>("SIN", 1, 1),
    number<sqrtOf>("SQRT", 1, 1),
    {"SUBSTITUTE", 3, 4, vtString, fnSubstitute, nullptr},
    aggregate<sumOf>("SUM"),
    number<tanOf>("TAN", 1, 1),
    {"TEXT", 2, 2, vtString, fnText, nullptr},
    {"TODAY", 0, 0, vtNumber, fnToday, nullptr},
    {"TRIM", 1, 1, vtString, fnTrim, nullptr},
    {"UPPER", 1, 1, vtString, fnUpper, nullptr},
    {"VALUE", 1, 1, vtNumber, fnValue, nullptr},
    {"WEEKDAY", 1, 2, vtNumber, fnWeekday, nullptr},
    {"YEAR", 1, 1, vtNumber, fnYear, nullptr},
}};

}  // namespace

std::span<const LibraryFunction> libraryFunctions() {
    return kLibrary;
}

const LibraryFunction* findLibrary(std::string_view upperName) {
    const auto it = std::lower_bound(
        kLibrary.begin(), kLibrary.end(), upperName,
        [](const LibraryFunction& f, std::string_view name) { return f.name < name; });
    return it != kLibrary.end() && it->name == upperName ? &*it : nullptr;
}

void outsideDomain(std::string_view function) {
    throw NemroError(err::InvalidArgument, "",
                     TextTools::FormatText(msg::UnsuitableArgument, function));
}

void pushLibraryText(FunctionCall& call, std::string text) {
    constexpr std::size_t kMaxText = 32767;
    if (text.size() > kMaxText && text::toUtf16(text).size() > kMaxText) outsideDomain(call.name());
    call.pushText(std::move(text), ekString);
}

}  // namespace nemro::detail

namespace nemro {

std::vector<std::string> LibraryFunctionNames() {
    std::vector<std::string> names;
    for (const auto& f : detail::libraryFunctions()) names.emplace_back(f.name);
    return names;
}

std::vector<std::string> BuiltinFunctionNames() {
    std::vector<std::string> names;
    for (const auto& f : detail::builtinFunctions()) names.emplace_back(f.name);
    return names;
}

}  // namespace nemro
