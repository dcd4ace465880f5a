#include "values.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine_internal.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"

namespace nemro::detail {
namespace {

using text::isDigit;

// A decimal number text taken apart: value = (negative ? -1 : 1) × digits × 10^scale.
struct DecimalText {
    bool negative = false;
    std::string digits;  // no leading zeros; empty for zero
    std::int64_t scale = 0;
    bool any = false;  // at least one digit was read
};

// Reads the leading numeric part: blanks, sign, digits with one point, exponent.
DecimalText parseLeading(std::string_view s) {
    DecimalText d;
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    bool point = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            d.any = true;
            if (!(d.digits.empty() && s[i] == '0')) d.digits.push_back(s[i]);
            if (point) --d.scale;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (d.any && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) expNegative = s[j++] == '-';
        if (j < s.size() && isDigit(s[j])) {
            std::int64_t e = 0;
            for (; j < s.size() && isDigit(s[j]); ++j)
                if (e < 1'000'000'000) e = e * 10 + (s[j] - '0');
            d.scale += expNegative ? -e : e;
        }
    }
    return d;
}

[[noreturn]] void fail(std::int32_t number, const char* source, const char* templ,
                       const std::string& name) {
    throw NemroError(number, source, TextTools::FormatText(templ, name));
}

// Rounds to the nearest whole number, halves to even.
double roundHalfEven(double v) {
    const double r = std::round(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
    return r;
}

// Rounds a digit string to keep digits, halves to even; returns the digits dropped.
std::int64_t roundDigits(std::string& digits, size_t keep) {
    if (digits.size() <= keep) return 0;
    const auto dropped = static_cast<std::int64_t>(digits.size() - keep);
    const char first = digits[keep];
    const bool rest = digits.find_first_not_of('0', keep + 1) != std::string::npos;
    digits.resize(keep);
    const bool up =
        first > '5' || (first == '5' && (rest || (!digits.empty() && (digits.back() - '0') % 2)));
    if (up) {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    return dropped;
}

void stripTrailingZeros(DecimalText& d) {
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.scale;
    }
    if (d.digits.empty()) d.scale = 0;
}

constexpr std::int64_t kDecimalDigits = 28;

}  // namespace

// Outside [10^-8, 10^37) a power of ten is no longer exact.
bool fifteenDigits(double a, std::uint64_t& digits, int& k) {
    if (!(a >= 1e-8 && a < 1e37)) return false;
    // The estimate of k from the binary exponent is off by one at most.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &a, sizeof a);
    const int binary = static_cast<int>(bits >> 52) - 1023;  // a is normal here
    k = 14 - (binary * 78913 >> 18);                         // floor(log10(2) × binary)
    auto scaled = [&](int shift) {
        return shift >= 0 ? a * kPowersOfTen[shift] : a / kPowersOfTen[-shift];
    };
    if (k > 22 || k < -22) return false;
    double s = scaled(k);
    if (s >= 1e15 && k > -22)
        s = scaled(--k);
    else if (s < 1e14 && k < 22)
        s = scaled(++k);
    if (!(s >= 1e14 && s < 1e15)) return false;
    // Round s as the exact a × 10^k would be. s is within half a unit in its last place
    // (at most 1/16 here) of it, so only an s that close to a half needs the exact value:
    // s plus the error of the one rounding that made s, exactly fma(a, 10^k, -s) for a
    // product, and the exact remainder fma(-s, 10^-k, a) scaled down for a quotient.
    const double whole = static_cast<double>(static_cast<std::int64_t>(s));
    const double aboveHalf = (s - whole) - 0.5;  // both steps exact at this size
    double side = aboveHalf;
    if (std::fabs(aboveHalf) <= 0.0625)
        side = k >= 0 ? aboveHalf + std::fma(a, kPowersOfTen[k], -s)
                      : std::fma(aboveHalf, kPowersOfTen[-k], std::fma(-s, kPowersOfTen[-k], a));
    if (side == 0) return false;
    digits = static_cast<std::uint64_t>(whole) + (side > 0 ? 1 : 0);
    return true;
}

namespace {

bool isWholeBelow1e15(double a) {
    return a < 1e15 && static_cast<double>(static_cast<std::int64_t>(a)) == a;
}

// The %.15G form of significant digits d[0..n) (no trailing zeros), the first of them
// at the place 10^exponent.
std::string printDigits(bool negative, const char* d, int n, int exponent) {
    char buf[40];
    char* o = buf;
    if (negative) *o++ = '-';
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            *o++ = '0';
            *o++ = '.';
            for (int z = -exponent - 1; z > 0; --z) *o++ = '0';
            for (int i = 0; i < n; ++i) *o++ = d[i];
        } else {
            const int whole = exponent + 1;
            for (int i = 0; i < whole; ++i) *o++ = i < n ? d[i] : '0';
            if (n > whole) {
                *o++ = '.';
                for (int i = whole; i < n; ++i) *o++ = d[i];
            }
        }
    } else {
        *o++ = d[0];
        if (n > 1) {
            *o++ = '.';
            for (int i = 1; i < n; ++i) *o++ = d[i];
        }
        *o++ = 'E';
        *o++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *o++ = '0';
        o = std::to_chars(o, buf + sizeof buf, magnitude).ptr;
    }
    return std::string(buf, static_cast<size_t>(o - buf));
}

}  // namespace

std::string formatNumber(double value) {
    if (!std::isfinite(value)) raisePlatform(err::Overflow, "");
    if (value == 0) return "0";
    const double a = std::fabs(value);
    if (isWholeBelow1e15(a)) {
        char digits[24];
        const auto res =
            std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value));
        return std::string(digits, res.ptr);
    }
    std::uint64_t digits = 0;
    int k = 0;
    if (fifteenDigits(a, digits, k)) {
        int exponent = 14 - k;
        if (digits == 1000000000000000ULL) {  // rounded up to the next power of ten
            digits /= 10;
            ++exponent;
        }
        char d[16];
        std::to_chars(d, d + sizeof d, digits);  // 15 digits
        int n = 15;
        while (n > 1 && d[n - 1] == '0') --n;
        return printDigits(value < 0, d, n, exponent);
    }
    // Very large and small magnitudes and exact ties: the precise conversion.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string out(buf, res.ptr);
    for (char& c : out)
        if (c == 'e') c = 'E';
    return out;
}

bool readBackNumber(double value, double& out) {
    const double a = std::fabs(value);
    // Whole numbers below 10^15 are their own text.
    if (isWholeBelow1e15(a)) {
        out = value == 0 ? 0.0 : value;  // minus zero reads back as "0"
        return true;
    }
    std::uint64_t digits = 0;
    int k = 0;
    // Beyond these bounds the text may also read back as an overflow.
    if (!fifteenDigits(a, digits, k)) return false;
    // digits and the power are exact: one correctly rounded operation gives the double
    // nearest the decimal, as reading the text does.
    const auto d = static_cast<double>(digits);
    const double r = k >= 0 ? d / kPowersOfTen[k] : d * kPowersOfTen[-k];
    out = value < 0 ? -r : r;
    return true;
}

bool decimalSlow(double value, Decimal& out) {
    const double a = std::fabs(value);
    if (isWholeBelow1e15(a)) {
        out = {static_cast<std::int64_t>(value), 0};
        return true;
    }
    std::uint64_t digits = 0;
    int k = 0;
    if (!fifteenDigits(a, digits, k)) return false;
    if (digits == 1000000000000000ULL) digits /= 10, --k;
    while (digits % 10 == 0 && k > -kDecimalScale) digits /= 10, --k;
    if (k > kDecimalScale || k < -kDecimalScale) return false;
    const auto d = static_cast<std::int64_t>(digits);
    out = {value < 0 ? -d : d, k};
    return true;
}

bool decimalOf(std::string_view text, Decimal& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t digits = 0;
    std::int32_t scale = 0;
    bool any = false, point = false;
    for (; p < end; ++p) {
        const auto d = static_cast<unsigned>(*p - '0');
        if (d < 10) {
            digits = digits * 10 + d;
            if (digits > static_cast<std::uint64_t>(kDecimalDigitsMax)) return false;
            any = true;
            scale += point;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!any || scale > kDecimalScale) return false;
    const auto d = static_cast<std::int64_t>(digits);
    out = {negative ? -d : d, scale};
    return true;
}

std::string formatDecimal(Decimal d) {
    if (d.digits == 0) return "0";
    std::uint64_t m = d.digits < 0 ? 0 - static_cast<std::uint64_t>(d.digits)
                                   : static_cast<std::uint64_t>(d.digits);
    int scale = d.scale;
    while (m % 10 == 0) m /= 10, --scale;
    char digits[24];
    const int n = static_cast<int>(std::to_chars(digits, digits + sizeof digits, m).ptr - digits);
    return printDigits(d.digits < 0, digits, n, n - 1 - scale);
}

double readNumber(std::string_view text) {
    // A short plain decimal (the engine's own number texts) reads directly. With at most
    // 2^53 as its digits and at most 22 decimals, digits / 10^decimals is one correctly
    // rounded division of two exact doubles: the double nearest the decimal value, as the
    // digit-and-exponent route finds it. Other short plain decimals take one correctly
    // rounded conversion, which gives the same; within 32 characters none can overflow
    // or underflow.
    if (!text.empty() && text.size() <= 32) {
        const char* p = text.data();
        const char* const end = p + text.size();
        const bool negative = *p == '-';
        if (negative) ++p;
        const char* point = nullptr;
        std::size_t digits = 0;
        std::uint64_t mantissa = 0;
        bool plain = true;
        for (; p < end; ++p) {
            const auto d = static_cast<unsigned>(*p - '0');
            if (d < 10) {
                mantissa = mantissa * 10 + d;  // wraps only past 19 digits, which are not used
                ++digits;
            } else if (*p == '.' && !point) {
                point = p;
            } else {
                plain = false;
                break;
            }
        }
        if (plain && digits > 0) {
            const auto decimals = static_cast<std::size_t>(point ? end - point - 1 : 0);
            if (double value = 0; plainDecimalValue(mantissa, digits, decimals, value))
                return value == 0 ? 0.0 : (negative ? -value : value);
            double value = 0;
            const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
            if (res.ec == std::errc() && res.ptr == text.data() + text.size())
                return value == 0 ? 0.0 : value;
        }
    }
    const DecimalText d = parseLeading(text);
    if (d.digits.empty()) return 0.0;
    std::string normal = d.negative ? "-" : "";
    normal += d.digits;
    normal += "e" + std::to_string(d.scale);
    double value = 0;
    const auto res = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Magnitude of the leading digit decides between overflow and underflow.
        if (static_cast<std::int64_t>(d.digits.size()) + d.scale > 0)
            raisePlatform(err::Overflow, "");
        return 0.0;
    }
    return value;
}

std::int32_t floorToInt32(double value) {
    const double f = std::floor(value);
    if (!(f >= std::numeric_limits<std::int32_t>::min() &&
          f <= std::numeric_limits<std::int32_t>::max()))
        raisePlatform(err::Overflow, "");
    return static_cast<std::int32_t>(f);
}

std::int32_t truncToInt32(double value) {
    const double f = std::trunc(value);
    if (!(f >= std::numeric_limits<std::int32_t>::min() &&
          f <= std::numeric_limits<std::int32_t>::max()))
        raisePlatform(err::Overflow, "");
    return static_cast<std::int32_t>(f);
}

double checkedResult(double value) {
    if (!std::isfinite(value)) raisePlatform(err::Overflow, "");
    return value;
}

double checkedDivide(double left, double right) {
    if (right == 0) raisePlatform(left == 0 ? err::Overflow : err::DivisionByZero, "");
    return checkedResult(left / right);
}

double checkedPower(double base, double exponent) {
    if (base == 0 && exponent < 0) raisePlatform(err::InvalidArgument, "");
    const double r = std::pow(base, exponent);
    if (std::isnan(r)) raisePlatform(err::InvalidArgument, "");
    return checkedResult(r);
}

std::string truncDecimal(std::string_view numberText, std::int32_t digits) {
    DecimalText d = parseLeading(numberText);
    // The value as the decimal type holds it: 28 significant digits, 28 decimals.
    d.scale += roundDigits(d.digits, kDecimalDigits);
    if (d.scale < -kDecimalDigits) {
        const std::int64_t excess = -kDecimalDigits - d.scale;
        if (excess > static_cast<std::int64_t>(d.digits.size()))
            d.digits.clear();
        else
            d.scale += roundDigits(d.digits, d.digits.size() - static_cast<size_t>(excess));
    }
    stripTrailingZeros(d);
    const auto intDigits = [&](std::int64_t shift) {
        return static_cast<std::int64_t>(d.digits.size()) + d.scale + shift;
    };
    if (digits > kDecimalDigits || digits < -kDecimalDigits) raisePlatform(err::Overflow, "");
    if (!d.digits.empty() && (intDigits(0) > kDecimalDigits || intDigits(digits) > kDecimalDigits))
        raisePlatform(err::Overflow, "");
    // Drop every digit below the place 10^-digits.
    if (d.scale < -static_cast<std::int64_t>(digits)) {
        const std::int64_t drop = -static_cast<std::int64_t>(digits) - d.scale;
        if (drop >= static_cast<std::int64_t>(d.digits.size()))
            d.digits.clear();
        else
            d.digits.resize(d.digits.size() - static_cast<size_t>(drop));
        d.scale += drop;
    }
    stripTrailingZeros(d);
    if (d.digits.empty()) return "0";
    std::string out = d.negative ? "-" : "";
    if (d.scale >= 0) {
        out += d.digits;
        out.append(static_cast<size_t>(d.scale), '0');
    } else {
        const auto frac = static_cast<size_t>(-d.scale);
        if (frac >= d.digits.size()) {
            out += "0.";
            out.append(frac - d.digits.size(), '0');
            out += d.digits;
        } else {
            out += d.digits.substr(0, d.digits.size() - frac) + "." +
                   d.digits.substr(d.digits.size() - frac);
        }
    }
    return out;
}

void setComputed(Value& v, double value) {
    v.el.Kind = ekNumber;
    double back = 0;
    if (std::isfinite(value) && readBackNumber(value, back)) {
        v.number = back;
        v.known = v.textLater = true;
        v.literal = {};
    } else {
        v.el.Text = formatNumber(value);
        v.known = v.textLater = false;
    }
}

ExpElement& element(Value& v) {
    if (v.textLater) {
        if (v.literal.empty())
            v.el.Text = formatNumber(v.number);
        else
            v.el.Text.assign(v.literal);
        v.textLater = false;
    }
    return v.el;
}

void p_CheckOperand(ExpElement& element, IExpressionListener* listener) {
    static constexpr const char* kSource = "CGNTExpression.p_CheckOperand()";
    switch (element.Kind) {
        case ekNumber:
        case ekString:
        case ekBoolean:
            element.Priority = kOperandPriority;
            return;
        case ekVariable:
            break;
        default:
            throw NemroError(err::Syntax, kSource, msg::InvalidElement);
    }
    std::string value;
    if (listener) listener->UserVariable(element.Text, value);
    p_AnswerVariable(element, value);
}

void p_AnswerVariable(ExpElement& element, const std::string& value) {
    static constexpr const char* kSource = "CGNTExpression.p_CheckOperand()";
    const std::string v(text::trimBlanks(value));
    if (v.empty()) {
        element.Text = "0";
        element.Kind = ekNumber;
    } else if (CGNTExpression::IsString(v)) {
        element.Text = CGNTExpression::StrExp2Val(v);
        element.Kind = ekString;
    } else if (CGNTExpression::IsDecimal(v)) {
        element.Text = v;
        element.Kind = ekNumber;
    } else if (p_IsErrorValue(v)) {
        // "#n" reports error n; a report that is no positive number is a bad answer.
        const std::string rest = v.substr(1);
        std::int32_t number = err::TypeMismatch;
        if (CGNTExpression::IsDecimal(rest)) {
            const double n = roundHalfEven(readNumber(rest));
            if (n >= 1 && n <= std::numeric_limits<std::int32_t>::max())
                number = static_cast<std::int32_t>(n);
        }
        fail(number, kSource, msg::BadVariable, element.Text);
    } else if (CGNTExpression::IsBoolean(v)) {
        element.Text = CGNTExpression::ICase(v);
        element.Kind = ekBoolean;
    } else {
        fail(err::TypeMismatch, kSource, msg::BadVariable, element.Text);
    }
    element.Priority = kOperandPriority;
}

void p_ToNumber(ExpElement& element, IExpressionListener* listener) {
    p_CheckOperand(element, listener);
    if (element.Kind == ekString) {
        if (CGNTExpression::IsDecimal(element.Text)) {
            element.Kind = ekNumber;
        } else if (CGNTExpression::IsBoolean(element.Text)) {
            element.Text = text::equalsNoCase(element.Text, "True") ? "1" : "0";
            element.Kind = ekNumber;
        } else {
            fail(err::TypeMismatch, "CGNTExpression.p_ToNumber()", msg::NotANumber, element.Text);
        }
    } else if (element.Kind == ekBoolean) {
        element.Text = isTrueText(element.Text) ? "1" : "0";
        element.Kind = ekNumber;
    }
}

void p_ToBoolean(ExpElement& element, IExpressionListener* listener) {
    p_CheckOperand(element, listener);
    if (element.Kind == ekString) {
        if (CGNTExpression::IsBoolean(element.Text)) {
            element.Text = CGNTExpression::ICase(element.Text);
        } else if (CGNTExpression::IsDecimal(element.Text)) {
            element.Text = booleanText(readNumber(element.Text) != 0);
        } else {
            fail(err::TypeMismatch, "CGNTExpression.p_ToBoolean()", msg::NotABoolean, element.Text);
        }
        element.Kind = ekBoolean;
    } else if (element.Kind == ekNumber) {
        element.Text = booleanText(readNumber(element.Text) != 0);
        element.Kind = ekBoolean;
    }
}

void p_ToString(ExpElement& element, IExpressionListener* listener) {
    p_CheckOperand(element, listener);
    element.Kind = ekString;
}

void p_CheckOperand(Value& v, IExpressionListener* listener) {
    resolveSlot(v, listener);
    if (v.known)
        v.el.Priority = kOperandPriority;
    else
        p_CheckOperand(v.el, listener);
}

void p_ToNumber(Value& v, IExpressionListener* listener) {
    resolveSlot(v, listener);
    if (v.known)
        v.el.Priority = kOperandPriority;
    else
        p_ToNumber(v.el, listener);
}

double numberOf(Value& v) {
    if (!v.known) {
        v.number = readNumber(v.el.Text);
        v.known = true;
    }
    return v.number;
}

void p_ToBoolean(Value& v, IExpressionListener* listener) {
    resolveSlot(v, listener);
    if (v.known) {
        v.el.Text = booleanText(v.number != 0);
        v.el.Kind = ekBoolean;
        v.el.Priority = kOperandPriority;
        v.known = v.textLater = false;
    } else {
        p_ToBoolean(v.el, listener);
    }
}

void p_ToString(Value& v, IExpressionListener* listener) {
    resolveSlot(v, listener);
    p_ToString(element(v), listener);
    v.known = false;
}

}  // namespace nemro::detail
