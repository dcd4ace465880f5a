// Inputs far beyond what a user or an author writes: formulas, catalogue files, argument
// lists. Each ends in a result or a clear error.
#include <unistd.h>

#include "../catalogue/catalogue_fixture.h"
#include "nemro/argument_set.h"
#include "nemro/catalogue.h"
#include "nemro/catalogue_lint.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/message_box.h"

namespace nemro::testing {
namespace {

namespace fs = std::filesystem;
using HostileCatalogue = CatalogueFile;

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    while (n--) out += s;
    return out;
}

TEST(HostileEngine, HugeDeepAndWideFormulasConvertWithoutRecursing) {
    const size_t n = 1'000'000;
    const auto convert = [](const std::string& formula) {
        CGNTExpression().InfixToPostfix(formula);
    };
    EXPECT_NO_THROW(convert(repeat("A1+2*\"x\"&", (10u << 20) / 9 + 1) + "1"));  // ten megabytes
    EXPECT_NO_THROW(convert(std::string(n, '(') + "1" + std::string(n, ')')));
    EXPECT_EQ(errorOf([&] { convert(std::string(n, '(') + "1"); }).number(), 35);
    EXPECT_NO_THROW(convert(repeat("f(", n) + "1" + std::string(n, ')')));
    EXPECT_NO_THROW(convert("f(" + repeat("1,", n) + "1)"));
    EXPECT_NO_THROW(convert("f(" + std::string(n, ',') + ")"));
    // NUL and ill-formed UTF-8 are ordinary characters; text comes out as valid UTF-8.
    for (const std::string& c :
         {std::string("1+\0"
                      "2",
                      4),
          std::string("\"a\0b\"", 5), std::string("a\xff\xfe+1"), std::string("\xc3"),
          std::string("\"\xed\xa0\x80\""), std::string("\0", 1)})
        EXPECT_NO_THROW(convert(c)) << ::testing::PrintToString(c);
    CExpElmStack s = CGNTExpression().InfixToPostfix("\"a\xff\"");
    ExpElement e;
    s.Pop(e);
    EXPECT_EQ(e.Text, "a\xEF\xBF\xBD");  // the replacement character
}

// Long chains of minus signs and deep nesting print back (in linear time: see bench/).
TEST(HostileEngine, LongMinusChainsAndDeepCallsPrint) {
    const size_t n = 1'000'000, depth = 200'000;
    const auto print = [](const std::string& formula) {
        CGNTExpression e;
        std::int32_t type = 0;
        return e.PostfixToInfix(e.InfixToPostfix(formula), type);
    };
    EXPECT_EQ(print(std::string(n, '-') + "1"), std::string(n, '-') + "1");
    EXPECT_EQ(print(repeat("abs(", depth) + "1" + std::string(depth, ')')),
              repeat("ABS(", depth) + "1" + std::string(depth, ')'));
}

TEST(HostileEngine, EvaluateNeverThrowsOnHugeInput) {
    std::vector<std::string> shown;
    const MessageBoxFunction old = setMessageBox(
        [&](const std::string& t, MsgIcon, const std::string&) { shown.push_back(t); });
    bool ok = true;
    EXPECT_NO_THROW(CGNTExpression().Evaluate(std::string(1'000'000, '('), &ok));
    setMessageBox(old);
    EXPECT_FALSE(ok);
    EXPECT_EQ(shown, std::vector<std::string>{"期望配对的右括号。"});
}

TEST_F(HostileCatalogue, FiftyMegabytesAnswerEveryQuery) {
    std::string text = "<Quorvanta><Formulas>";
    int count = 0;
    while (text.size() < (50u << 20)) {
        text += "<Formula Name=\"F" + std::to_string(count++) +
                "\" Display=\"True\" MaxArgNum=\"2\" Value=\"v\" Title=\"t\" Description=\"d\">"
                "<Argument Value=\"a\" Datatype=\"Single\"/><Argument Value=\"b\"/></Formula>\n";
    }
    write(text +
          "</Formulas><DatatypeDesc><Datatype Value=\"Single\" "
          "Desc=\"s\"/></DatatypeDesc></Quorvanta>");
    const std::string last = "F" + std::to_string(count - 1);
    EXPECT_EQ(getArgumentCount(last, path_), 2);
    EXPECT_TRUE(CheckArgNum(last, path_));
    EXPECT_TRUE(isExistFormula(last, path_));
    EXPECT_FALSE(isExistFormula("F", path_));
    EXPECT_EQ(getArgDatatypeDesc(last, "a", path_), "s");
    EXPECT_EQ(buildFormula(last, {"1", "2"}, path_), last + "(1,2)");
}

TEST_F(HostileCatalogue, EntitiesAreNeverExpandedNorFetched) {
    // Nested entities and an external one: references stay as they are written and no
    // other file is read.
    std::string doctype = "<!DOCTYPE Quorvanta [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c)
        doctype += std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">";
    write(doctype + R"(<!ENTITY x SYSTEM "file:///etc/passwd">]><Quorvanta><Formulas>
        <Formula Name="F" MaxArgNum="1"><Argument Value="&j;" Description="&x;"/></Formula>
        </Formulas></Quorvanta>)");
    EXPECT_EQ(getArgumentPara("F", "Description", 1, path_), "&x;");
    EXPECT_EQ(getArgumentPara("F", "Value", 1, path_), "&j;");
}

// Every broken, missing or unreadable file fails each query and the linter with the
// parser's status and its text.
TEST_F(HostileCatalogue, BrokenFilesFailWithTheParserStatus) {
    std::string million;
    for (int i = 0; i < 1000000; ++i) million += "<a>";
    const std::pair<std::string, const char*> cases[] = {
        // a file's text, or a path
        {"", "16 No document element found"},
        {"<?xml version=\"1.0\"?><!-- nothing -->", "16 No document element found"},
        {"not xml", "16 No document element found"},
        {std::string("\0\xff\xfe<\x01>", 6), "16 No document element found"},
        {"<Quorvanta><Formulas><Formula Name=\"F\">", "14 Start-end tags mismatch"},
        {"<Quorvanta><a></b></Quorvanta>", "14 Start-end tags mismatch"},
        {std::string(100000, '<'), "5 Could not determine tag type"},
        {million, "14 Start-end tags mismatch"},
        {"/absent.xml", "1 File was not found"},
        {"/", "2 Error reading from file/stream"},  // a directory
    };
    const auto status = [](const NemroError& e) {
        return std::to_string(e.number()) + " " + e.description();
    };
    for (const auto& [text, expected] : cases) {
        const std::string path = text[0] == '/' ? dir_.string() + text : write(text);
        const NemroError e = errorOf([&] { getArgumentCount("F", path); });
        EXPECT_EQ(e.source(), "frmFormulaSet.getArgumentCount()\\getArgumentCount");
        EXPECT_EQ(status(e), expected);
        EXPECT_EQ(status(errorOf([&] { isExistFormula("F", path); })), expected);
        EXPECT_EQ(status(errorOf([&] { lintCatalogue(path); })), expected);
    }
    writeInner("<Formulas><Formula Name=\"F\" MaxArgNum=\"1\"/></Formulas>");
    fs::permissions(path_, fs::perms::none);
    if (::geteuid() != 0) {  // the superuser reads it anyway
        EXPECT_EQ(errorOf([&] { getArgumentCount("F", path_); }).number(), 1);
    }
    fs::permissions(path_, fs::perms::owner_all);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
}

// The value of "A" or the error number, and what the editor reads it writes back so that it
// reads the same again.
TEST(HostileLists, StraySeparatorsGiveAnAnswerOrAClearError) {
    const std::string E(1, kEntrySeparator), F(1, kFieldSeparator);
    const std::pair<std::string, const char*> cases[] = {
        {E, "error 9 said"},
        {E + E + E, "error 9 said"},
        {F, "value "},
        {F + F + F + F, "value "},
        {"A" + F + "1" + F + E + E, "value 1"},
        {E + "A" + F + "1" + F, "error 9 said"},
        {"A" + F + F + F + F + F + E, "value "},
        {"A" + E + F + "1", "error 9 said"},
        {std::string(1000, kEntrySeparator), "error 9 said"},
        {std::string(1000, kFieldSeparator), "value "},
        {"A" + F + "1" + F + "d" + E + std::string("\0", 1), "value 1"},
    };
    for (const auto& [list, expected] : cases) {
        std::string outcome;
        try {
            outcome = "value " + CArgumentSet().GetValueByName(list, "A");
        } catch (const NemroError& e) {
            outcome =
                "error " + std::to_string(e.number()) + (e.description().empty() ? "" : " said");
        }
        EXPECT_EQ(outcome, expected) << ::testing::PrintToString(list);
        const ArgumentListReading reading = readArgumentList(list);
        EXPECT_EQ(readArgumentList(writeArgumentList(reading.entries)).entries, reading.entries);
    }
}

TEST(HostileLists, HundredThousandEntries) {
    std::vector<ArgumentEntry> entries;
    for (int i = 0; i < 100000; ++i)
        entries.push_back({"N" + std::to_string(i), std::to_string(i), "描述"});
    const std::string text = writeArgumentList(entries);
    EXPECT_EQ(readArgumentList(text).entries, entries);
    EXPECT_EQ(CArgumentSet().GetValueByName(text, "n99999"), "99999");
}

}  // namespace
}  // namespace nemro::testing
