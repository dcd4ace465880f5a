// Values inside the evaluator: number texts, the operand check and the three
// conversions that operators and functions share. Not installed.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "nemro/expression.h"

namespace nemro::detail {

// The text form of a computed number: 15 significant digits, "." as decimal
// point, no grouping, upper-case exponent ("1E+15", "1E-05"), minus zero as "0".
// A value that is not finite is an overflow (error 6).
std::string formatNumber(double value);

// readNumber(formatNumber(value)) worked out without the texts, for a finite value:
// false for magnitudes outside 1e-8 to 1e37 and for values exactly halfway between two
// 15-digit decimals; the text route then decides, errors included.
bool readBackNumber(double value, double& out);

// The powers of ten that are exact doubles.
inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The double nearest mantissa × 10^-decimals, when one division of exact doubles finds
// it (a mantissa of at most 19 digits and 2^53, at most 22 decimals).
inline bool plainDecimalValue(std::uint64_t mantissa, std::size_t digits, std::size_t decimals,
                              double& out) {
    if (digits > 19 || mantissa > (1ULL << 53) || decimals > 22) return false;
    // (a whole number needs no division, whose latency would be felt)
    out = decimals == 0 ? static_cast<double>(mantissa)
                        : static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return true;
}

// The 15 significant digits of a finite a > 0, digits × 10^-k with digits in
// [10^14, 10^15], rounded as the exact value of a is: false outside [10^-8, 10^37) and
// for an exact tie, where the precise text conversion decides.
bool fifteenDigits(double a, std::uint64_t& digits, int& k);

// An exact decimal, digits × 10^-scale. Numbers of a prepared formula's arithmetic are
// kept so: sums, differences and products of short decimals are then exact, and whether
// the evaluator's doubles round to the same 15 digits is known from the exact value.
// (No default values: a program's stack of them is not cleared on every run.)
struct Decimal {
    std::int64_t digits;
    std::int32_t scale;
};
// The scales whose powers of ten are exact doubles; |digits| stays at most 2^53.
inline constexpr std::int32_t kDecimalScale = 22;
inline constexpr std::int64_t kDecimalDigitsMax = std::int64_t{1} << 53;

// The double nearest the decimal, as reading its text gives it.
inline double toDouble(Decimal d) {
    const auto m = static_cast<double>(d.digits);
    return d.scale >= 0 ? m / kPowersOfTen[d.scale] : m * kPowersOfTen[-d.scale];
}

// Whole numbers and amounts of cents, the usual values, as decimals: true when value is
// the double nearest out, which is then also its 15-digit decimal (doubles keep 15 digits).
inline bool shortDecimalOf(double value, Decimal& out) {
    if (!(std::fabs(value) < 1e13)) return false;
    if (const auto whole = static_cast<std::int64_t>(value); static_cast<double>(whole) == value) {
        out = {whole, 0};
        return true;
    }
    // Any whole number will do as the candidate: the test below decides.
    const auto cents = static_cast<std::int64_t>(value * 100 + (value < 0 ? -0.5 : 0.5));
    if (static_cast<double>(cents) / 100 != value) return false;
    out = {cents, 2};
    return true;
}

// The decimal value's 15-digit text reads as, for a finite value: false where
// readBackNumber is.
bool decimalSlow(double value, Decimal& out);
inline bool decimalOf(double value, Decimal& out) {
    return shortDecimalOf(value, out) || decimalSlow(value, out);
}

// A plain decimal text ([-]digits[.digits], nothing else) exactly; false for any other
// text and beyond 2^53 digits or 22 decimals.
bool decimalOf(std::string_view text, Decimal& out);

// formatNumber(toDouble(d)) for a decimal of at most 15 significant digits.
std::string formatDecimal(Decimal d);

// The numeric value of a text's leading numeric part; a text that does not start
// with a number reads as 0. A magnitude beyond the double range is error 6.
double readNumber(std::string_view text);

// Whole numbers taken from a converted argument; outside 32 bits is error 6.
std::int32_t floorToInt32(double value);
std::int32_t truncToInt32(double value);

// Floating-point result checks of the platform's arithmetic.
double checkedResult(double value);                 // not finite: error 6
double checkedDivide(double left, double right);    // 0/0: error 6, x/0: error 11
double checkedPower(double base, double exponent);  // no real value: error 5

// truncate(text × 10^digits) ÷ 10^digits in exact decimal arithmetic of up to 28
// significant digits; the result text has no exponent. Error 6 beyond that range.
std::string truncDecimal(std::string_view numberText, std::int32_t digits);

// Checks that an element is a value; resolves a plain variable through UserVariable.
void p_CheckOperand(ExpElement& element, IExpressionListener* listener);
void p_ToNumber(ExpElement& element, IExpressionListener* listener);
void p_ToBoolean(ExpElement& element, IExpressionListener* listener);
void p_ToString(ExpElement& element, IExpressionListener* listener);

// A value on the evaluator's stack: an element and, once known, its numeric value. A
// computed number keeps only that value until its text is read, so that a chain of
// arithmetic neither writes nor reads number texts in between.
struct Value {
    Value() = default;
    explicit Value(ExpElement element) : el(std::move(element)) {}

    ExpElement el;
    double number = 0;
    bool known = false;        // number is the value of el, a number
    bool textLater = false;    // el.Text is still to be made: literal, or else from number
    std::int32_t slot = -1;    // a prepared formula's variable not yet answered: its place
    std::string_view literal;  // a number's text as written, in a formula that outlives it
};
using ValueStack = std::vector<Value>;

// The listener of a prepared formula's evaluation: it answers variables by their place
// in the formula's list and hands every other callback on to the host's listener. Only
// values with a slot are answered through it, so a value with one always meets it.
class SlotListener : public IExpressionListener {
  public:
    // Answers v as UserVariable's answer would make it; v's slot is cleared.
    virtual void resolve(Value& v) = 0;
    virtual const std::string& variableName(std::int32_t slot) const = 0;
};
inline void resolveSlot(Value& v, IExpressionListener* listener) {
    if (v.slot >= 0) static_cast<SlotListener*>(listener)->resolve(v);
}

// Reads a listener's answer for the variable `element` names, as p_CheckOperand does.
void p_AnswerVariable(ExpElement& element, const std::string& answer);

// A computed number as its text would read back; the text is made now only when the
// read-back is not cheap.
void setComputed(Value& v, double value);
// The element with its text made.
ExpElement& element(Value& v);

// The element conversions for values. A value whose number is known is a number
// already; its number is read from its text at most once. They fail as the element
// routines do, in the same order: convert every operand, then read the numbers.
void p_CheckOperand(Value& v, IExpressionListener* listener);
void p_ToNumber(Value& v, IExpressionListener* listener);
void p_ToBoolean(Value& v, IExpressionListener* listener);
void p_ToString(Value& v, IExpressionListener* listener);
// The number of a value converted to a number.
double numberOf(Value& v);

inline bool isTrueText(std::string_view text) {
    return text == "True";
}
inline const char* booleanText(bool value) {
    return value ? "True" : "False";
}

}  // namespace nemro::detail
