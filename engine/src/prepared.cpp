// Prepared formulas: the postfix form kept with its own texts, variables numbered.
#include "nemro/prepared.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "converter.h"
#include "function_table.h"
#include "library.h"
#include "messages.h"
#include "nemro/text.h"
#include "values.h"

namespace nemro {

namespace detail {
ExpElement evaluatePrepared(std::span<const Token> postfix, SlotListener& listener,
                            const FunctionSettings* settings, const std::string& formula);
}  // namespace detail

namespace {

// Pure arithmetic over number literals and variables, as a program. It gives what the
// evaluator gives, each result rounded to the number its 15-digit text reads back as;
// whatever it does not take on in the same few steps (an error, a magnitude beyond the
// cheap read-back, a variable that is no plain number) sends the row to the evaluator,
// which has no side effects to repeat in such a formula. Steps whose operands are all
// constants are worked out once, when the formula is prepared.
struct NumericStep {
    enum Code : std::uint8_t {
        Constant,
        Variable,
        Add,
        Subtract,
        Multiply,
        Divide,
        Power,
        Negate,
        Round,  // ROUND(x, digits) with constant digits; value is 10^digits
        Call    // a library function of numbers over the top `slot` values
    } code = Constant;
    std::int32_t slot = 0;
    double value = 0;
    detail::Decimal exact{};  // a constant's value as a decimal
    detail::NumericFunction function = nullptr;
};
constexpr std::size_t kNumericDepth = 64;

}  // namespace

struct CPreparedExpression::Form {
    std::string formula;                 // as given, to place an error in
    std::string texts;                   // every element's text, one after another
    std::vector<detail::Token> postfix;  // texts are slices of `texts`
    std::vector<std::string> variables, userFunctions;
    std::vector<NumericStep> numeric;  // empty when the formula is not pure arithmetic
    FunctionSettings functions;
    bool exact = false;  // every constant of `numeric` is a decimal
};

namespace {

using namespace detail;

// The library function of numbers that a call of that upper-case name computes under
// these settings: not one a host registered over it.
bool numericFunction(const FunctionSettings& functions, const std::string& upper,
                     const LibraryFunction** out) {
    if (!functions.Library || (functions.Functions && functions.Functions->Find(upper)))
        return false;
    const LibraryFunction* f = findLibrary(upper);
    if (out) *out = f;
    return f && (out == nullptr || f->numeric);
}

// Collects the postfix elements; their texts are placed once the conversion is done,
// when `texts` no longer grows.
class FormSink {
  public:
    explicit FormSink(CPreparedExpression::Form& form) : form_(form) {}
    void emit(const Token& t) {
        Token kept = t;
        kept.Text = {};
        offsets_.push_back(form_.texts.size());
        form_.texts.append(t.Text);
        if (t.Kind == ekVariable)
            kept.Slot = slotOf(std::string(t.Text));
        else if (t.Kind == ekFunction)
            noteFunction(t.Text);
        form_.postfix.push_back(kept);
    }
    void finish() {
        const std::string_view all = form_.texts;
        for (std::size_t i = 0; i < form_.postfix.size(); ++i) {
            const std::size_t end = i + 1 < offsets_.size() ? offsets_[i + 1] : all.size();
            form_.postfix[i].Text = all.substr(offsets_[i], end - offsets_[i]);
        }
    }

  private:
    std::int32_t slotOf(const std::string& name) {
        auto& vars = form_.variables;
        const auto it = std::find(vars.begin(), vars.end(), name);
        if (it != vars.end()) return static_cast<std::int32_t>(it - vars.begin());
        vars.push_back(name);
        return static_cast<std::int32_t>(vars.size() - 1);
    }
    void noteFunction(std::string_view name) {
        std::string upper = text::upper(name);
        const FunctionSettings& f = form_.functions;
        if (findBuiltin(upper) || (f.Functions && f.Functions->Find(upper)) ||
            numericFunction(f, upper, nullptr))
            return;
        auto& fns = form_.userFunctions;
        if (std::find(fns.begin(), fns.end(), upper) == fns.end()) fns.push_back(std::move(upper));
    }

    CPreparedExpression::Form& form_;
    std::vector<std::size_t> offsets_;
};

// Works out the last step when its operands are constants, as every row would.
void foldConstants(std::vector<NumericStep>& steps, bool& exact);

// The program of a postfix form that ends in an operator or a call and holds nothing but
// number literals with their values, variables, the arithmetic operators, ROUND with
// constant digits and calls of the library's functions of numbers; `exact` tells whether
// every constant is a decimal.
std::vector<NumericStep> numericProgram(const std::vector<Token>& postfix,
                                        const FunctionSettings& functions, bool& exact) {
    std::vector<NumericStep> steps;
    std::vector<std::size_t> calls;  // the depth at each open call's "(" marker
    std::size_t depth = 0;
    exact = true;
    for (const Token& t : postfix) {
        NumericStep s;
        if (t.Kind == ekDelimiter && t.Text == "(") {
            calls.push_back(depth);
            continue;
        }
        if (t.Kind == ekFunction) {
            if (calls.empty()) return {};
            const std::size_t arguments = depth - calls.back();
            calls.pop_back();
            if (text::equalsNoCase(t.Text, "ROUND")) {
                // ROUND(x) or ROUND(x, digits) with digits a constant of at most 22 places
                double digits = 0;
                if (arguments == 2 && steps.back().code == NumericStep::Constant) {
                    digits = std::trunc(steps.back().value);
                    steps.pop_back();
                    --depth;
                } else if (arguments != 1) {
                    return {};
                }
                if (!(std::fabs(digits) <= kDecimalScale)) return {};
                s.code = NumericStep::Round;
                s.value = std::pow(10.0, digits);
            } else {
                const LibraryFunction* f = nullptr;
                if (!numericFunction(functions, text::upper(t.Text), &f)) return {};
                const auto n = static_cast<std::int32_t>(arguments);
                if (n < f->minArgs || (f->maxArgs != kUnbounded && n > f->maxArgs)) return {};
                s.code = NumericStep::Call;
                s.slot = n;
                s.function = f->numeric;
                depth = depth - arguments + 1;
                if (depth > kNumericDepth) return {};
            }
            steps.push_back(s);
            foldConstants(steps, exact);
            continue;
        }
        if (t.Kind == ekNumber && t.Valued) {
            s.value = t.Value;
            if (!decimalOf(t.Text, s.exact)) exact = false;
        } else if (t.Kind == ekVariable) {
            s.code = NumericStep::Variable;
            s.slot = t.Slot;
        } else if (t.Kind == ekOperator && t.Text == "-()" && depth >= 1) {
            s.code = NumericStep::Negate;
        } else if (t.Kind == ekOperator && t.Text.size() == 1 && depth >= 2) {
            switch (t.Text[0]) {
                case '+':
                    s.code = NumericStep::Add;
                    break;
                case '-':
                    s.code = NumericStep::Subtract;
                    break;
                case '*':
                    s.code = NumericStep::Multiply;
                    break;
                case '/':
                    s.code = NumericStep::Divide;
                    break;
                case '^':
                    s.code = NumericStep::Power;
                    break;
                default:
                    return {};
            }
            --depth;
        } else {
            return {};
        }
        if (s.code <= NumericStep::Variable && ++depth > kNumericDepth) return {};
        steps.push_back(s);
        foldConstants(steps, exact);
    }
    // A formula that is one operand keeps its own kind and text.
    const bool computed = !postfix.empty() &&
                          (postfix.back().Kind == ekOperator || postfix.back().Kind == ekFunction);
    if (depth != 1 || !calls.empty() || !computed) return {};
    return steps;
}

// A computed number as the evaluator keeps it; false where it would take the text route.
bool rounded(double value, double& out) {
    return std::isfinite(value) && readBackNumber(value, out);
}

// A variable's number: from a double, or from a text that is a plain decimal number.
bool numberOf(double d, double& out) {
    return rounded(d, out);
}
bool numberOf(const VariableValue& v, double& out) {
    const std::string& t = v.Text;
    if (t.empty() || t.front() == ' ' || t.back() == ' ' || t.front() == '\t' || t.back() == '\t' ||
        !CGNTExpression::IsDecimal(t))
        return false;
    try {
        out = readNumber(t);
        return true;
    } catch (const NemroError&) {
        return false;
    }
}

// ROUND as the function computes it, in doubles; not finite where it fails.
double roundHalfAway(double x, double scale) {
    const double sign = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
    const double shifted = x * scale + sign * 0.5;
    return std::isfinite(shifted) ? std::trunc(shifted) / scale : shifted;
}

// The program over doubles, each result rounded as the evaluator rounds it.
template <class Values>
bool runNumeric(const std::vector<NumericStep>& steps, std::span<const Values> values,
                double& result) {
    double stack[kNumericDepth];
    std::size_t n = 0;
    for (const NumericStep& s : steps) {
        if (s.code == NumericStep::Constant) {
            stack[n++] = s.value;
            continue;
        }
        if (s.code == NumericStep::Variable) {
            const auto slot = static_cast<std::size_t>(s.slot);
            double v = 0;  // no value reads as "", which is 0
            if (slot < values.size() && !numberOf(values[slot], v)) return false;
            stack[n++] = v;
            continue;
        }
        if (s.code == NumericStep::Negate) {
            if (!rounded(-stack[n - 1], stack[n - 1])) return false;
            continue;
        }
        if (s.code == NumericStep::Call) {
            const auto count = static_cast<std::size_t>(s.slot);
            double v = 0;
            try {
                v = s.function(stack + n - count, count);
            } catch (const NemroError&) {
                return false;  // the evaluator raises it again, with its source
            }
            n -= count;
            if (!rounded(v, stack[n++])) return false;
            continue;
        }
        if (s.code == NumericStep::Round) {
            if (!rounded(roundHalfAway(stack[n - 1], s.value), stack[n - 1])) return false;
            continue;
        }
        const double r = stack[--n], l = stack[n - 1];
        double v = 0;
        switch (s.code) {
            case NumericStep::Add:
                v = l + r;
                break;
            case NumericStep::Subtract:
                v = l - r;
                break;
            case NumericStep::Multiply:
                v = l * r;
                break;
            case NumericStep::Divide:
                v = r == 0 ? 0.0 : l / r;
                break;  // x/0 is 0 here
            default:
                if (l == 0 && r < 0) return false;
                v = std::pow(l, r);
                break;
        }
        if (!rounded(v, stack[n - 1])) return false;
    }
    result = stack[0];
    return true;
}

void foldConstants(std::vector<NumericStep>& steps, bool& exact) {
    const NumericStep::Code code = steps.back().code;
    if (code <= NumericStep::Variable) return;
    const std::size_t operands = code == NumericStep::Call
                                     ? static_cast<std::size_t>(steps.back().slot)
                                 : code == NumericStep::Negate || code == NumericStep::Round ? 1
                                                                                             : 2;
    if (steps.size() <= operands) return;
    const auto first = steps.end() - static_cast<std::ptrdiff_t>(operands + 1);
    if (std::any_of(first, steps.end() - 1,
                    [](const NumericStep& s) { return s.code != NumericStep::Constant; }))
        return;
    double value = 0;
    if (!runNumeric(std::vector<NumericStep>(first, steps.end()), std::span<const double>(), value))
        return;
    NumericStep folded;
    folded.value = value;
    if (!decimalOf(value, folded.exact)) exact = false;
    steps.erase(first, steps.end());
    steps.push_back(folded);
}

// The program over exact decimals. Each operator's result is the exact one rounded to 15
// digits when the evaluator's double, within a known bound of the exact value, rounds to
// the same; where that is not sure, or a magnitude leaves the decimals, the step is
// worked out on the evaluator's doubles as the program over doubles would.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

constexpr auto kPowers128 = [] {
    std::array<UInt128, 39> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}();
constexpr std::int64_t kFifteenDigits = 1'000'000'000'000'000;  // 10^15

UInt128 magnitude(Int128 v) {
    return v < 0 ? -static_cast<UInt128>(v) : static_cast<UInt128>(v);
}

int decimalDigits(UInt128 u) {
    const auto high = static_cast<std::uint64_t>(u >> 64);
    const int bits = high ? 128 - __builtin_clzll(high)
                          : 64 - __builtin_clzll(static_cast<std::uint64_t>(u) | 1);
    const int t = bits * 1233 >> 12;  // floor(bits × log10(2)), or one more
    return t - (u < kPowers128[static_cast<std::size_t>(t)]) + 1;
}

double approximately(UInt128 u) {
    return static_cast<double>(static_cast<std::uint64_t>(u >> 64)) * 18446744073709551616.0 +
           static_cast<double>(static_cast<std::uint64_t>(u));
}

constexpr auto kInversePowers = [] {
    std::array<double, 39> p{};
    double v = 1;
    for (double& x : p) x = 1 / v, v *= 10;
    return p;
}();

// n × 10^-k rounded to 15 significant digits into out, provided that the double the
// evaluator computed, within error × spread units (10^-k) of the exact value, rounds
// to the same. With the exact value of at most 15 digits the nearest place where the
// rounding changes is at least 5e-16 × |n| away; error × spread stays below that when
// spread <= 4 |n| (the callers' errors are at most 1.12e-16, or 3.35e-16 with spread |n|).
bool settle(Int128 n, int k, double error, UInt128 spread, Decimal& out) {
    const UInt128 u = magnitude(n);
    if (u < static_cast<UInt128>(kFifteenDigits)) {
        if (u == 0) {
            out = {0, 0};
            return true;
        }
        if (spread > 4 * u) return false;
        auto m = static_cast<std::int64_t>(n);
        while (k > kDecimalScale && m % 10 == 0) m /= 10, --k;
        if (k > kDecimalScale || k < -kDecimalScale) return false;
        out = {m, k};
        return true;
    }
    const int drop = decimalDigits(u) - 15;
    const UInt128 unit = kPowers128[static_cast<std::size_t>(drop)];
    // The quotient from doubles is off by one at most; the remainder puts it right.
    auto q = static_cast<std::uint64_t>(approximately(u) * kInversePowers[drop]);
    auto rest = static_cast<Int128>(u - static_cast<UInt128>(q) * unit);
    while (rest < 0) --q, rest += static_cast<Int128>(unit);
    while (rest >= static_cast<Int128>(unit)) ++q, rest -= static_cast<Int128>(unit);
    const auto twice = static_cast<UInt128>(rest) * 2;
    if (twice == unit) return false;  // a tie: the double decides
    // Twice the distance to the nearest place where the rounding changes: the half-way
    // point above q, or, with q at 10^14, the finer one below it.
    UInt128 distance = twice > unit ? twice - unit : unit - twice;
    if (q == static_cast<std::uint64_t>(kFifteenDigits / 10))
        distance = std::min(distance, twice + unit / 10);
    if (!(2 * error * approximately(spread) < approximately(distance))) return false;
    auto m = static_cast<std::int64_t>(q + (twice > unit));
    k -= drop;
    if (m == kFifteenDigits) m /= 10, --k;
    if (k > kDecimalScale || k < -kDecimalScale) return false;
    out = {n < 0 ? -m : m, k};
    return true;
}

// The relative error of the evaluator's double: each operand off by half a unit in its
// last place (2^-53), and the operation's own rounding. A whole number (at most 2^53) is
// its own double and adds no error.
constexpr double kSumError = 1.1103e-16;  // × (|a| + |b| + |a + b|), whole operands left out
constexpr double kProductError[] = {3.3408e-16, 2.2275e-16, 1.1103e-16};  // × |a × b|, by
                                                                          // whole operands

bool whole(Decimal d) {
    return d.scale == 0;
}

constexpr std::int64_t kPowers64[] = {
    1,           10,           100,           1000,           10000,
    100000,      1000000,      10000000,      100000000,      1000000000,
    10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000};

// b's digits at a's scale, below 2^62 in size; false when they do not fit.
bool rescaled(Decimal b, int scale, std::int64_t& out) {
    const int shift = scale - b.scale;
    return shift >= 0 && shift < 15 && !__builtin_mul_overflow(b.digits, kPowers64[shift], &out) &&
           out < (std::int64_t{1} << 62) && out > -(std::int64_t{1} << 62);
}

bool exactSum(Decimal a, Decimal b, Decimal& out) {
    // The usual case in 64 bits: an exact sum of at most 15 digits.
    const int scale = std::max(a.scale, b.scale);
    if (std::int64_t x = 0, y = 0; rescaled(a, scale, x) && rescaled(b, scale, y)) {
        const std::int64_t n = x + y;
        const std::int64_t size = n < 0 ? -n : n;
        const std::int64_t spread =
            (whole(a) ? 0 : (x < 0 ? -x : x)) + (whole(b) ? 0 : (y < 0 ? -y : y));
        if (size < kFifteenDigits && size > 0 && spread <= 3 * size) {
            out = {n, scale};
            return true;
        }
    }
    const int k = std::max(a.scale, b.scale);
    const int shiftA = k - a.scale, shiftB = k - b.scale;
    if (shiftA > 19 || shiftB > 19) return false;
    const Int128 x = static_cast<Int128>(a.digits) * static_cast<Int128>(kPowers128[shiftA]);
    const Int128 y = static_cast<Int128>(b.digits) * static_cast<Int128>(kPowers128[shiftB]);
    const Int128 n = x + y;
    const UInt128 spread = (whole(a) ? 0 : magnitude(x)) + (whole(b) ? 0 : magnitude(y));
    return settle(n, k, kSumError, spread + magnitude(n), out);
}

bool exactProduct(Decimal a, Decimal b, Decimal& out) {
    const int k = a.scale + b.scale;
    if (std::int64_t n = 0; !__builtin_mul_overflow(a.digits, b.digits, &n) && n < kFifteenDigits &&
                            n > -kFifteenDigits && n != 0 && k <= kDecimalScale &&
                            k >= -kDecimalScale) {
        out = {n, k};
        return true;
    }
    const Int128 n = static_cast<Int128>(a.digits) * b.digits;
    return settle(n, k, kProductError[whole(a) + whole(b)], magnitude(n), out);
}

// A number on the exact program's stack: its decimal and, once known, the evaluator's
// double for it.
struct Operand {
    Decimal exact;
    double value;
    bool valued;

    double number() {
        if (!valued) value = toDouble(exact), valued = true;
        return value;
    }
};

bool exactOf(double d, Operand& out) {
    out.value = d;
    return (out.valued = shortDecimalOf(d, out.exact)) || decimalSlow(d, out.exact);
}
bool exactOf(const VariableValue& v, Operand& out) {
    out.valued = false;
    return decimalOf(v.Text, out.exact);
}

template <class Values>
bool runExact(const std::vector<NumericStep>& steps, std::span<const Values> values,
              Decimal& result) {
    Operand stack[kNumericDepth];
    std::size_t n = 0;
    for (const NumericStep& s : steps) {
        switch (s.code) {
            case NumericStep::Constant:
                stack[n++] = {s.exact, s.value, true};
                continue;
            case NumericStep::Variable: {
                const auto slot = static_cast<std::size_t>(s.slot);
                Operand& v = stack[n++];
                v = {{0, 0}, 0, true};  // no value reads as "", which is 0
                if (slot < values.size() && !exactOf(values[slot], v)) return false;
                continue;
            }
            case NumericStep::Negate:
                stack[n - 1].exact.digits = -stack[n - 1].exact.digits;
                if (stack[n - 1].valued) stack[n - 1].value = -stack[n - 1].value;
                continue;
            case NumericStep::Round: {
                Operand& x = stack[n - 1];
                const double v = roundHalfAway(x.number(), s.value);
                if (!std::isfinite(v)) return false;
                x.value = v;
                if (!(x.valued = shortDecimalOf(v, x.exact)) && !decimalSlow(v, x.exact))
                    return false;
                continue;
            }
            case NumericStep::Call: {
                // worked out on the evaluator's doubles, as the function takes its arguments
                const auto count = static_cast<std::size_t>(s.slot);
                double args[kNumericDepth];
                for (std::size_t i = 0; i < count; ++i) args[i] = stack[n - count + i].number();
                double v = 0;
                try {
                    v = s.function(args, count);
                } catch (const NemroError&) {
                    return false;  // the evaluator raises it again, with its source
                }
                n -= count;
                Operand& x = stack[n++];
                if (!std::isfinite(v)) return false;
                x.value = v;
                if (!(x.valued = shortDecimalOf(v, x.exact)) && !decimalSlow(v, x.exact))
                    return false;
                continue;
            }
            case NumericStep::Add:
            case NumericStep::Subtract:
            case NumericStep::Multiply:
            case NumericStep::Divide:
            case NumericStep::Power:
                break;
            default:
                return false;  // a step the doubles' program takes on
        }
        Operand& r = stack[--n];
        Operand& l = stack[n - 1];
        bool exact = false;
        switch (s.code) {
            case NumericStep::Add:
                exact = exactSum(l.exact, r.exact, l.exact);
                break;
            case NumericStep::Subtract:
                exact = exactSum(l.exact, Decimal{-r.exact.digits, r.exact.scale}, l.exact);
                break;
            case NumericStep::Multiply:
                exact = exactProduct(l.exact, r.exact, l.exact);
                break;
            default:
                break;
        }
        if (exact) {
            l.valued = false;
            continue;
        }
        // Otherwise the step is worked out on the evaluator's doubles.
        const double x = l.number(), y = r.number();
        double v = 0;
        switch (s.code) {
            case NumericStep::Add:
                v = x + y;
                break;
            case NumericStep::Subtract:
                v = x - y;
                break;
            case NumericStep::Multiply:
                v = x * y;
                break;
            case NumericStep::Divide:
                v = y == 0 ? 0.0 : x / y;  // x/0 is 0 here
                break;
            default:  // Power
                if (x == 0 && y < 0) return false;
                v = std::pow(x, y);
                break;
        }
        if (!std::isfinite(v)) return false;
        l.valued = false;
        if (!decimalSlow(v, l.exact)) return false;
    }
    result = stack[0].exact;
    return true;
}

// Answers the variables of one evaluation and hands the host's callbacks on.
class RowListener : public SlotListener {
  public:
    RowListener(const CPreparedExpression::Form& form, IExpressionListener* host)
        : form_(form), host_(host) {}

    std::span<const double> numbers;
    std::span<const VariableValue> texts;
    const VariableCallback* callback = nullptr;

    void resolve(Value& v) override {
        const auto slot = static_cast<std::size_t>(v.slot);
        v.slot = -1;
        v.el.Priority = kOperandPriority;
        if (callback) {
            answer_ = VariableValue{};
            (*callback)(slot, answer_);
            return answer(v, slot, answer_);
        }
        if (slot < numbers.size()) {
            const double d = numbers[slot];
            if (!std::isfinite(d)) raisePlatform(err::Overflow, "");
            return setComputed(v, d);
        }
        if (slot < texts.size()) return answer(v, slot, texts[slot]);
        v.el.Text = "0";  // no answer, as from a listener that leaves the value empty
        v.el.Kind = ekNumber;
    }
    const std::string& variableName(std::int32_t slot) const override {
        return form_.variables[static_cast<std::size_t>(slot)];
    }

    void UserVariable(const std::string& Name, std::string& Value) override {
        if (host_) host_->UserVariable(Name, Value);
    }
    void UserFunction(const std::string& Name, CExpElmStack& Arguments,
                      std::string& Value) override {
        if (host_) host_->UserFunction(Name, Arguments, Value);
    }
    void CheckVariable(const std::string& Name, std::int32_t& ReturnType, std::int32_t& ErrNum,
                       std::string& ErrDes) override {
        if (host_) host_->CheckVariable(Name, ReturnType, ErrNum, ErrDes);
    }
    void CheckUserFunction(const std::string& Name, CExpElmStack& Arguments,
                           std::int32_t& ReturnType, std::int32_t& ErrNum,
                           std::string& ErrDes) override {
        if (host_) host_->CheckUserFunction(Name, Arguments, ReturnType, ErrNum, ErrDes);
    }

  private:
    void answer(Value& v, std::size_t slot, const VariableValue& value) {
        if (value.Kind == ekString) {
            v.el.Text = value.Text;
            v.el.Kind = ekString;
            return;
        }
        v.el.Text = form_.variables[slot];  // the name, for the message of a bad answer
        p_AnswerVariable(v.el, value.Text);
    }

    const CPreparedExpression::Form& form_;
    IExpressionListener* host_;
    VariableValue answer_;
};

}  // namespace

CPreparedExpression::CPreparedExpression(const std::string& Expression,
                                         const FunctionSettings& Functions) {
    if (Expression.find_first_not_of(' ') == std::string::npos)
        throw NemroError(err::Syntax, "CGNTExpression.Evaluate()", msg::EmptyExpression);
    auto form = std::make_shared<Form>();
    form->functions = Functions;
    form->formula = Expression;
    FormSink sink(*form);
    try {
        convertInfix(Expression, sink);
    } catch (NemroError& e) {
        e.prefixSource("CGNTExpression.Evaluate()\\");
        throw;
    }
    sink.finish();
    form->numeric = numericProgram(form->postfix, form->functions, form->exact);
    form_ = std::move(form);
}

const std::vector<std::string>& CPreparedExpression::Variables() const noexcept {
    return form_->variables;
}

const std::vector<std::string>& CPreparedExpression::UserFunctions() const noexcept {
    return form_->userFunctions;
}

namespace {

// The number the numeric program gives: a decimal of at most 15 digits, or else a double;
// false where the evaluator takes the row.
struct NumericResult {
    Decimal exact{};
    double value = 0;
    bool isExact = false;
};
template <class Values>
bool runProgram(const CPreparedExpression::Form& form, std::span<const Values> values,
                NumericResult& out) {
    if (form.numeric.empty()) return false;
    if (form.exact && runExact(form.numeric, values, out.exact)) return out.isExact = true;
    return runNumeric(form.numeric, values, out.value);
}

ExpElement numberElement(const NumericResult& r) {
    return {r.isExact ? formatDecimal(r.exact) : formatNumber(r.value), ekNumber, kOperandPriority};
}
double numberValue(const NumericResult& r) {
    return r.isExact ? toDouble(r.exact) : r.value;
}

// A result read as a number, as an operand of arithmetic is read.
double numberValue(ExpElement result) {
    p_ToNumber(result, nullptr);
    return readNumber(result.Text);
}

}  // namespace

ExpElement CPreparedExpression::Evaluate(std::span<const VariableValue> Values,
                                         IExpressionListener* Listener) const {
    if (NumericResult r; runProgram(*form_, Values, r)) return numberElement(r);
    RowListener row(*form_, Listener);
    row.texts = Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions, form_->formula);
}

ExpElement CPreparedExpression::Evaluate(std::span<const double> Values,
                                         IExpressionListener* Listener) const {
    if (NumericResult r; runProgram(*form_, Values, r)) return numberElement(r);
    RowListener row(*form_, Listener);
    row.numbers = Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions, form_->formula);
}

double CPreparedExpression::EvaluateNumber(std::span<const VariableValue> Values,
                                           IExpressionListener* Listener) const {
    if (NumericResult r; runProgram(*form_, Values, r)) return numberValue(r);
    return numberValue(Evaluate(Values, Listener));
}

double CPreparedExpression::EvaluateNumber(std::span<const double> Values,
                                           IExpressionListener* Listener) const {
    if (NumericResult r; runProgram(*form_, Values, r)) return numberValue(r);
    return numberValue(Evaluate(Values, Listener));
}

ExpElement CPreparedExpression::Evaluate(const VariableCallback& Values,
                                         IExpressionListener* Listener) const {
    RowListener row(*form_, Listener);
    row.callback = &Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions, form_->formula);
}

}  // namespace nemro
