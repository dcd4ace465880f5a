// The function library of the bundled catalogue: one table of name, argument-count rule,
// result type and handler. Handlers live in library_aggregate.cpp, library_math.cpp,
// library_text.cpp and library_date.cpp. Not installed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "function_table.h"

namespace nemro::detail {

// The work of a function of numbers only, over its arguments' values: what prepared
// formulas run without the evaluator. Throws as the call would.
using NumericFunction = double (*)(const double* args, std::size_t count);

struct LibraryFunction {
    std::string_view name;  // upper case
    std::int32_t minArgs;
    std::int32_t maxArgs;  // kUnbounded for "minArgs or more"
    std::int32_t resultType;
    void (*handler)(FunctionCall&);
    NumericFunction numeric;  // nullptr when the function takes more than numbers
};

// Sorted by name in byte order, without duplicates.
std::span<const LibraryFunction> libraryFunctions();
const LibraryFunction* findLibrary(std::string_view upperName);

// Outside the function's domain: error 5 naming it.
[[noreturn]] void outsideDomain(std::string_view function);
// Pushes a text result; one over 32,767 characters is outside the function's domain.
void pushLibraryText(FunctionCall& call, std::string text);

// Decimal arithmetic on the number as its 15-digit text reads: the value rounded to
// `digits` decimals (negative: tens, hundreds...), half away from zero, away from zero
// (up) or toward zero (down). Error 6 beyond the range of that arithmetic.
enum class Rounding { HalfAway, Up, Down };
double roundDecimal(double value, std::int32_t digits, Rounding how);
// The same as a plain decimal text without exponent.
std::string roundDecimalText(double value, std::int32_t digits, Rounding how);

// A value where a date or a number is expected: numbers and number texts as themselves,
// booleans as "+" takes them, date texts as their serial numbers; any other text error 13.
double dateOrNumber(ExpElement value, IExpressionListener* listener);
// VALUE's reading of a text; false for a text that is neither a number nor a date.
bool valueOfText(std::string_view text, double& out);

struct DateParts {
    std::int32_t year, month, day, hour, minute, second;
};
// A serial number taken apart, rounded to the second; error 5 naming the function for a
// serial before 0 or from the year 10000 on.
DateParts dateParts(double serial, std::string_view function);
// The serial number of TODAY and NOW: the settings' clock, else the local time.
double clockNow(const FunctionSettings* settings);

// Aggregates
void fnCount(FunctionCall&);
double sumOf(const double* args, std::size_t count);
double averageOf(const double* args, std::size_t count);
double maxOf(const double* args, std::size_t count);
double minOf(const double* args, std::size_t count);
double productOf(const double* args, std::size_t count);
// Numbers and trigonometry
double absOf(const double* args, std::size_t count);
double ceilingOf(const double* args, std::size_t count);
double floorOf(const double* args, std::size_t count);
double roundUpOf(const double* args, std::size_t count);
double roundDownOf(const double* args, std::size_t count);
double powerOf(const double* args, std::size_t count);
double sqrtOf(const double* args, std::size_t count);
double expOf(const double* args, std::size_t count);
double lnOf(const double* args, std::size_t count);
double log10Of(const double* args, std::size_t count);
double piOf(const double* args, std::size_t count);
double sinOf(const double* args, std::size_t count);
double cosOf(const double* args, std::size_t count);
double tanOf(const double* args, std::size_t count);
// Texts
void fnConcatenate(FunctionCall&);
void fnLower(FunctionCall&);
void fnUpper(FunctionCall&);
void fnProper(FunctionCall&);
void fnTrim(FunctionCall&);
void fnReplace(FunctionCall&);
void fnRept(FunctionCall&);
void fnSubstitute(FunctionCall&);
void fnText(FunctionCall&);
void fnValue(FunctionCall&);
// Dates and times
void fnDate(FunctionCall&);
void fnYear(FunctionCall&);
void fnMonth(FunctionCall&);
void fnDay(FunctionCall&);
void fnHour(FunctionCall&);
void fnMinute(FunctionCall&);
void fnSecond(FunctionCall&);
void fnWeekday(FunctionCall&);
void fnToday(FunctionCall&);
void fnNow(FunctionCall&);

}  // namespace nemro::detail
