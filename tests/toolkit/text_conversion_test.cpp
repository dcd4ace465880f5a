// The conversions and case operations take a short way for well-formed or ASCII text;
// every result must be what ICU gives for the same text.
#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "nemro/message_box.h"
#include "nemro/text.h"

namespace nemro {
namespace {

std::u16string icuToUtf16(const std::string& s) {
    const auto u =
        icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::string icuToUtf8(const std::u16string& s) {
    std::string out;
    icu::UnicodeString(s.data(), static_cast<int32_t>(s.size())).toUTF8String(out);
    return out;
}

// Both ways and the validity of s as ICU sees them; well-formed exactly when ICU's
// conversion gives the bytes back.
void expectAgreement(const std::string& s) {
    const std::u16string u = icuToUtf16(s);
    ASSERT_EQ(text::toUtf16(s), u) << ::testing::PrintToString(s);
    ASSERT_EQ(text::toUtf8(u), icuToUtf8(u)) << ::testing::PrintToString(s);
    ASSERT_EQ(text::isValidUtf8(s), icuToUtf8(u) == s) << ::testing::PrintToString(s);
}

TEST(TextConversion, Utf8ToUtf16AgreesWithIcu) {
    for (const std::string& s : std::vector<std::string>{
             "", "A1+2", "公式 ÄÖ 😀", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xEF\xBF\xBF",
             "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF",
             // ill-formed: overlong, surrogates, beyond U+10FFFF, cut short, stray continuation
             "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
             "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "a\xE4\xB8", "\xE4\xB8\x62", "\x80", "x\xBFy",
             "\xFF", "\xF0\x9F\x98", std::string("a\0b", 3)})
        expectAgreement(s);
}

TEST(TextConversion, Utf16ToUtf8AgreesWithIcuIncludingLoneSurrogates) {
    for (const std::u16string& s : std::vector<std::u16string>{
             u"", u"abc", u"公式", u"\u00E9\u07FF\u0800\uFFFF", u"\U0001F600", u"\xD800", u"\xDC00",
             u"a\xD83D", u"\xD83D\x62", u"\xDE00\xD83D", u"\xDC00\xDC00"})
        EXPECT_EQ(text::toUtf8(s), icuToUtf8(s));
}

// Random bytes biased towards lead and continuation bytes reach every branch; longer texts
// of mostly well-formed characters put sequences across the validator's 16-byte steps.
TEST(TextConversion, RandomBytesAgreeWithIcu) {
    std::mt19937 rng(7);
    const unsigned char pool[] = {'a',  0x7F, 0x80, 0xBF, 0xC2, 0xDF, 0xE0, 0xE4, 0xED,
                                  0xEF, 0xF0, 0xF4, 0xF5, 0xA0, 0x90, 0x8F, 0xC0};
    const std::string good[] = {"金", "é", "😀", "x", "a"};
    for (int i = 0; i < 60000; ++i) {
        const bool shortText = i % 3 == 0;
        std::string s;
        for (int n = static_cast<int>(rng() % (shortText ? 8 : 48)); n > 0; --n) {
            if (!shortText && rng() % 3)
                s += good[rng() % 5];
            else
                s.push_back(static_cast<char>(pool[rng() % sizeof pool]));
        }
        expectAgreement(s);
    }
}

TEST(TextConversion, CaseOperationsOnAsciiAgreeWithIcu) {
    // ASCII words, and a few that are not
    const std::vector<std::string> words = {
        "",   "true", "TRUE", "TrUe", "truex", "a_b", "[x]", "@`{~",           "Z9z",
        "ab", "aB",   "É",    "é",    "ß",     "SS",  "中",  "istanbul straße"};
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& a : words) {
        icu::UnicodeString u = icu::UnicodeString::fromUTF8(a);
        std::string up, low;
        icu::UnicodeString(u).toUpper(icu::Locale::getRoot()).toUTF8String(up);
        icu::UnicodeString(u).toLower(icu::Locale::getRoot()).toUTF8String(low);
        EXPECT_EQ(text::upper(a) + " " + text::lower(a), up + " " + low);
        for (const auto& b : words) {
            const int expected =
                sign(u.caseCompare(icu::UnicodeString::fromUTF8(b), U_FOLD_CASE_DEFAULT));
            EXPECT_EQ(sign(text::compareNoCase(text::toUtf16(a), text::toUtf16(b))), expected)
                << a << " " << b;
            EXPECT_EQ(sign(text::compareNoCase(std::string_view(a), std::string_view(b))), expected)
                << a << " " << b;
            EXPECT_EQ(text::equalsNoCase(a, b), expected == 0) << a << " " << b;
        }
    }
}

// A thread's own message sink takes that thread's messages; the others go to the global one.
TEST(MessageBox, ThreadSinkCatchesOnlyItsOwnThreadsMessages) {
    std::vector<std::string> seen;
    const auto sink = [&](const char* name) {
        return [&seen, name](const std::string& t, MsgIcon i, const std::string& title) {
            seen.push_back(std::string(name) + " " + t + "|" + std::to_string(static_cast<int>(i)) +
                           "|" + title);
        };
    };
    const MessageBoxFunction old = setMessageBox(sink("global"));
    setThreadMessageBox(sink("mine"));
    showMessage("a", MsgIcon::Critical, "t");
    std::thread([&] {
        showMessage("b", MsgIcon::Critical, "t");
        setThreadMessageBox(sink("other"));
        showMessage("c", MsgIcon::Critical, "t");
    }).join();
    setThreadMessageBox(nullptr);
    showMessage("d", MsgIcon::Information, kApplicationTitle);
    setMessageBox(old);
    EXPECT_EQ(seen, (std::vector<std::string>{"mine a|16|t", "global b|16|t", "other c|16|t",
                                              "global d|64|NemroFormulaSet"}));
}

}  // namespace
}  // namespace nemro
