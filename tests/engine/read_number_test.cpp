// readNumber reads short plain decimals by a shorter route than long or unusual texts;
// every route must give the double nearest the text's decimal value (what strtod gives).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

#include "nemro/error.h"
#include "values.h"

namespace nemro::detail {
namespace {

// A zero of any sign reads as plus zero (which adding a plus zero makes of it).
double reference(const std::string& text) {
    return std::strtod(text.c_str(), nullptr) + 0.0;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ReadNumber, PlainDecimalsReadAsTheNearestDouble) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        std::string t = (rng() % 4 == 0) ? "-" : "";
        const int intDigits = static_cast<int>(rng() % 18),
                  fracDigits = static_cast<int>(rng() % 26);
        for (int d = 0; d < intDigits; ++d) t.push_back(static_cast<char>('0' + rng() % 10));
        if (fracDigits > 0 || rng() % 2) t.push_back('.');
        for (int d = 0; d < fracDigits; ++d) t.push_back(static_cast<char>('0' + rng() % 10));
        if (t.find_first_of("0123456789") == std::string::npos) continue;
        ASSERT_TRUE(sameBits(readNumber(t), reference(t))) << t;
    }
    // where the short route ends, and the leading numeric part of other texts
    for (const char* t :
         {"9007199254740992", "9007199254740993", "0.9007199254740993", "1.0000000000000000000001",
          "123456789012345678901234567890", "0.1", "-0.0", "-0", "5.", ".5", "-.5", "00012.50",
          "0.00000000000000000000001", "1e5", "1E-05", " 12", "+3", "+.5", "0.1250"})
        EXPECT_TRUE(sameBits(readNumber(t), reference(t))) << t;
    const std::pair<const char*, double> cases[] = {{" 12 ", 12},  {"2e3x", 2000}, {"3e", 3},
                                                    {"12abc", 12}, {"abc", 0},     {"", 0},
                                                    {"-", 0},      {".", 0},       {"1e-400", 0}};
    for (auto [text, value] : cases) EXPECT_TRUE(sameBits(readNumber(text), value)) << text;
    EXPECT_THROW(readNumber("1e400"), NemroError);
}

// The 15-digit form through libstdc++'s precise conversion, the reference of formatNumber.
std::string precise(double value) {
    char buf[64];
    std::string out(
        buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15).ptr);
    std::replace(out.begin(), out.end(), 'e', 'E');
    return value == 0 ? "0" : out;
}

// Finite values of every kind: random bit patterns, money-like sums, whole numbers
// around 15 digits, decimals of every size and values next to 15-digit midpoints.
std::vector<double> awkwardValues() {
    std::mt19937_64 rng(3);
    std::vector<double> values = {0.2 + 0.1, 1e16 / 3, 1e15 - 1};
    for (const char* t :
         {"-1", "0.1", "1e15", "1e14", "999999999999999", "1e-4", "1e-5", "1.5e-7", "-1e-300",
          "5e-324", "1.7976931348623157e308", "0.000123456789012345678", "9.9999999999999995e14",
          "99999999999999.99", "2.5", "1.15", "1e21", "999999999999999.5", "4503599627370496"})
        values.push_back(std::strtod(t, nullptr));
    for (int i = 0; i < 75000; ++i) {
        const double bits = std::bit_cast<double>(static_cast<std::uint64_t>(rng()));
        if (std::isfinite(bits)) values.push_back(bits);
        values.push_back(static_cast<double>(rng() % 1000000) / 100.0 +
                         static_cast<double>(rng() % 1000) / 7.0);
        values.push_back(static_cast<double>(rng() % 10000000000000000ULL));
        values.push_back(static_cast<double>(rng() % 100000) *
                         std::pow(10.0, static_cast<int>(rng() % 40) - 20));
    }
    // Values next to 15-digit midpoints, where rounding twice could go wrong.
    for (int i = 0; i < 20000; ++i) {
        const std::string t = std::to_string(100000000000000ULL + rng() % 900000000000000ULL) +
                              "5e" + std::to_string(static_cast<int>(rng() % 60) - 30);
        double d = std::strtod(t.c_str(), nullptr);
        for (int k = 0; k < 12; ++k) d = std::nextafter(d, 0.0);
        for (int k = 0; k < 24; ++k, d = std::nextafter(d, 1e300))
            values.push_back(rng() % 2 ? d : -d);
    }
    return values;
}

// formatNumber must agree with the precise conversion; a computed number is kept as the
// value its text reads back as, and where the cheap route answers, it must be that value
// to the bit.
TEST(FormatNumber, AgreesWithThePrecise15DigitFormAndReadsBackAsIt) {
    std::size_t answered = 0;
    const std::vector<double> values = awkwardValues();
    for (double v : values) {
        ASSERT_EQ(formatNumber(v), precise(v)) << v;
        double back = 0;
        const bool answers = readBackNumber(v, back);
        answered += answers;
        ASSERT_TRUE(!answers || sameBits(back, readNumber(formatNumber(v)))) << v;
    }
    EXPECT_GT(answered, values.size() / 2);
    double back = 1;
    EXPECT_TRUE(readBackNumber(-0.0, back) && sameBits(back, 0.0));
    EXPECT_FALSE(readBackNumber(1.7976931348623157e308,
                                back));  // its text reads as an overflow: left to the text route
}

}  // namespace
}  // namespace nemro::detail
