// Catalogue files no author would write: each query answers or raises a clear error.
#include <unistd.h>

#include "../catalogue/catalogue_fixture.h"
#include "nemro/catalogue.h"
#include "nemro/catalogue_lint.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

namespace fs = std::filesystem;
using HostileCatalogue = CatalogueFile;

TEST_F(HostileCatalogue, FiftyMegabytesAnswerEveryQuery) {
    std::string text = "<Quorvanta><Formulas>";
    int count = 0;
    while (text.size() < (50u << 20)) {
        text += "<Formula Name=\"F" + std::to_string(count++) +
                "\" Display=\"True\" MaxArgNum=\"2\" Value=\"v\" Title=\"t\" Description=\"d\">"
                "<Argument Value=\"a\" Datatype=\"Single\"/><Argument Value=\"b\"/></Formula>\n";
    }
    write(text + "</Formulas><DatatypeDesc><Datatype Value=\"Single\" Desc=\"s\"/></DatatypeDesc></Quorvanta>");
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
    const std::pair<std::string, const char*> cases[] = {  // a file's text, or a path
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
    const auto status = [](const NemroError& e) { return std::to_string(e.number()) + " " + e.description(); };
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

TEST_F(HostileCatalogue, WrongRootOrMissingSectionsAreUnsetObjects) {
    for (const char* document :
         {"<Other><Formulas><Formula Name=\"F\" MaxArgNum=\"1\"/></Formulas></Other>",
          "<Quorvanta/>", "<Quorvanta>text only</Quorvanta>"}) {
        write(document);
        EXPECT_EQ(errorOf([&] { getArgumentCount("F", path_); }).number(), err::ObjectNotSet);
        EXPECT_EQ(errorOf([&] { isExistFormula("F", path_); }).number(), err::ObjectNotSet);
    }
}

}  // namespace
}  // namespace nemro::testing
