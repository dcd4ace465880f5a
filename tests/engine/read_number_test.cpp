// readNumber reads short plain decimals by a shorter route than long or unusual texts;
// every route must give the double nearest the text's decimal value (what strtod gives).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "values.h"

namespace nemro::detail {
namespace {

double reference(const std::string& text) {
    const double v = std::strtod(text.c_str(), nullptr);
    return v == 0 ? 0.0 : v;  // a zero of any sign reads as plus zero
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ReadNumber, PlainDecimalsReadAsTheNearestDouble) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        std::string t = (rng() % 4 == 0) ? "-" : "";
        const int intDigits = static_cast<int>(rng() % 18), fracDigits = static_cast<int>(rng() % 26);
        for (int d = 0; d < intDigits; ++d) t.push_back(static_cast<char>('0' + rng() % 10));
        if (fracDigits > 0 || rng() % 2) t.push_back('.');
        for (int d = 0; d < fracDigits; ++d) t.push_back(static_cast<char>('0' + rng() % 10));
        if (t.find_first_of("0123456789") == std::string::npos) continue;
        ASSERT_TRUE(sameBits(readNumber(t), reference(t))) << t;
    }
}

TEST(ReadNumber, EdgesOfTheShortRoute) {
    for (const char* t : {"9007199254740992", "9007199254740993", "0.9007199254740993", "1.0000000000000000000001",
                          "123456789012345678901234567890", "0.1", "-0.0", "-0", "5.", ".5", "-.5", "00012.50",
                          "0.00000000000000000000001", "1e5", " 12", "+3", "12abc", "-", "."}) {
        const std::string s = t;
        const double want = (s == "-" || s == "." || s == "12abc") ? (s == "12abc" ? 12.0 : 0.0) : reference(s);
        EXPECT_TRUE(sameBits(readNumber(s), want)) << s << " " << readNumber(s) << " " << want;
    }
}

}  // namespace
}  // namespace nemro::detail
