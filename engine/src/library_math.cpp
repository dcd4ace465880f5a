// ABS, CEILING, FLOOR, ROUNDUP, ROUNDDOWN, POWER, SQRT, EXP, LN, LOG10, PI and the
// trigonometry, and the decimal rounding they share with TEXT.
#include <charconv>
#include <cmath>
#include <numbers>

#include "library.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::detail {
namespace {

// A number's 15-digit text taken apart: value = ±digits × 10^scale.
struct DigitText {
    bool negative = false;
    std::string digits;  // no leading zeros; empty for zero
    std::int64_t scale = 0;
};

DigitText digitTextOf(double value) {
    const std::string t = formatNumber(value);
    DigitText d;
    std::size_t i = 0;
    if (t[i] == '-') d.negative = true, ++i;
    for (; i < t.size() && t[i] != 'E'; ++i) {
        if (t[i] == '.') continue;
        if (!(d.digits.empty() && t[i] == '0')) d.digits.push_back(t[i]);
        if (t.find('.') < i) --d.scale;
    }
    if (i < t.size()) d.scale += std::stoi(t.substr(i + 1));
    return d;
}

// Keeps the digits down to the place 10^-places, rounding as `how` says.
void roundAt(DigitText& d, std::int64_t places, Rounding how) {
    if (d.digits.empty() || d.scale >= -places) return;
    const std::int64_t drop = -places - d.scale;
    const auto size = static_cast<std::int64_t>(d.digits.size());
    const std::string dropped =
        drop >= size ? std::string(static_cast<std::size_t>(drop - size), '0') + d.digits
                     : d.digits.substr(static_cast<std::size_t>(size - drop));
    d.digits.resize(static_cast<std::size_t>(std::max<std::int64_t>(size - drop, 0)));
    d.scale = -places;
    const bool any = dropped.find_first_not_of('0') != std::string::npos;
    const bool up = how == Rounding::Up ? any : how == Rounding::HalfAway && dropped[0] >= '5';
    if (up) {
        std::size_t i = d.digits.size();
        while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
        if (i == 0)
            d.digits.insert(d.digits.begin(), '1');
        else
            ++d.digits[i - 1];
    }
    const auto first = d.digits.find_first_not_of('0');
    d.digits.erase(0, first == std::string::npos ? d.digits.size() : first);
}

std::string plainText(const DigitText& d) {
    if (d.digits.empty()) return "0";
    std::string out = d.negative ? "-" : "";
    if (d.scale >= 0) return out + d.digits + std::string(static_cast<std::size_t>(d.scale), '0');
    const auto frac = static_cast<std::size_t>(-d.scale);
    if (frac >= d.digits.size())
        return out + "0." + std::string(frac - d.digits.size(), '0') + d.digits;
    return out + d.digits.substr(0, d.digits.size() - frac) + "." +
           d.digits.substr(d.digits.size() - frac);
}

std::int32_t digitsOf(const double* args, std::size_t count) {
    return count > 1 ? truncToInt32(args[1]) : 0;
}

// CEILING and FLOOR: the quotient as its 15-digit text reads, so 0.3/0.1 is 3.
double multipleOf(const char* name, double x, double m, bool ceiling) {
    if (x > 0 && m < 0) outsideDomain(name);
    if (m == 0) {
        if (ceiling || x == 0) return 0;
        raisePlatform(err::DivisionByZero, "");
    }
    double q = checkedDivide(x, m);
    if (!readBackNumber(q, q)) q = readNumber(formatNumber(q));
    // With a negative multiple the quotient is positive: CEILING then rounds away from
    // zero, FLOOR toward it.
    const double whole = ceiling ? std::ceil(q) : std::floor(q);
    return checkedResult(whole * m);
}

double checkedUnary(const char* name, double r) {
    if (std::isnan(r)) outsideDomain(name);
    return checkedResult(r);
}

}  // namespace

std::string roundDecimalText(double value, std::int32_t digits, Rounding how) {
    if (digits > 28 || digits < -28) raisePlatform(err::Overflow, "");
    DigitText d = digitTextOf(value);
    roundAt(d, digits, how);
    return plainText(d);
}

double roundDecimal(double value, std::int32_t digits, Rounding how) {
    // The 15 significant digits as one whole number M, value = M × 10^-k: rounded in whole
    // numbers, the result is q / 10^digits, one correctly rounded division as reading its
    // text is. Other ranges take the decimal text.
    char buf[32];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14)
            .ptr;
    std::uint64_t m = 0;
    for (const char* p = buf; p < buf + 16; ++p)
        if (*p != '.') m = m * 10 + static_cast<std::uint64_t>(*p - '0');
    int exponent = 0;
    std::from_chars(buf + 17 + (buf[17] == '+'), end, exponent);
    const int k = 14 - exponent, drop = k - digits;
    if (value == 0 || digits < 0 || digits > 22 || k < 0 || k > 22 || drop > 15)
        return checkedResult(readNumber(roundDecimalText(value, digits, how)));
    std::uint64_t q = m;
    if (drop > 0) {
        const auto unit = static_cast<std::uint64_t>(kPowersOfTen[drop]);
        const std::uint64_t r = m % unit;
        q = m / unit;
        if ((how == Rounding::Up && r > 0) || (how == Rounding::HalfAway && 2 * r >= unit)) ++q;
    }
    const double magnitude = drop > 0 ? static_cast<double>(q) / kPowersOfTen[digits]
                                      : static_cast<double>(q) / kPowersOfTen[k];
    return value < 0 && magnitude != 0 ? -magnitude : magnitude;
}

double absOf(const double* args, std::size_t) {
    return std::fabs(args[0]);
}
double ceilingOf(const double* args, std::size_t count) {
    return multipleOf("CEILING", args[0], count > 1 ? args[1] : 0, true);
}
double floorOf(const double* args, std::size_t count) {
    return multipleOf("FLOOR", args[0], count > 1 ? args[1] : 0, false);
}
double roundUpOf(const double* args, std::size_t count) {
    return roundDecimal(args[0], digitsOf(args, count), Rounding::Up);
}
double roundDownOf(const double* args, std::size_t count) {
    return roundDecimal(args[0], digitsOf(args, count), Rounding::Down);
}
double powerOf(const double* args, std::size_t count) {
    const double base = args[0], exponent = count > 1 ? args[1] : 0;
    if (base == 0 && exponent < 0) outsideDomain("POWER");
    return checkedUnary("POWER", std::pow(base, exponent));
}
double sqrtOf(const double* args, std::size_t) {
    if (args[0] < 0) outsideDomain("SQRT");
    return std::sqrt(args[0]);
}
double expOf(const double* args, std::size_t) {
    return checkedResult(std::exp(args[0]));
}
double lnOf(const double* args, std::size_t) {
    if (args[0] <= 0) outsideDomain("LN");
    return std::log(args[0]);
}
double log10Of(const double* args, std::size_t) {
    if (args[0] <= 0) outsideDomain("LOG10");
    return std::log10(args[0]);
}
double piOf(const double*, std::size_t) {
    return std::numbers::pi;
}
double sinOf(const double* args, std::size_t) {
    return checkedUnary("SIN", std::sin(args[0]));
}
double cosOf(const double* args, std::size_t) {
    return checkedUnary("COS", std::cos(args[0]));
}
double tanOf(const double* args, std::size_t) {
    return checkedUnary("TAN", std::tan(args[0]));
}

}  // namespace nemro::detail
