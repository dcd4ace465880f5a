// Catalogue files no author would write: each query answers or raises a clear error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "figures.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/formula_text.h"

namespace nemro::testing {
namespace {

namespace fs = std::filesystem;

class HostileCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("nemro-hostile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "FormulaSet.xml").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    // The error number a query raises, 0 when it answers.
    template <typename Fn>
    static std::int32_t failure(Fn&& fn) {
        try {
            fn();
            return 0;
        } catch (const NemroError& e) {
            EXPECT_FALSE(e.description().empty());
            return e.number();
        }
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(HostileCatalogue, FiftyMegabytesAnswerEveryQuery) {
    std::string text = "<Quorvanta><Formulas>";
    int count = 0;
    while (text.size() < (50u << 20)) {
        text += "<Formula Name=\"F" + std::to_string(count++) +
                "\" Display=\"True\" MaxArgNum=\"2\" Value=\"v\" Title=\"t\" Description=\"d\">"
                "<Argument Value=\"a\" Datatype=\"Single\"/><Argument Value=\"b\"/></Formula>\n";
    }
    text += "</Formulas><DatatypeDesc><Datatype Value=\"Single\" Desc=\"s\"/></DatatypeDesc></Quorvanta>";
    write(text);
    const std::string last = "F" + std::to_string(count - 1);
    {
        Figures figures("50 MB catalogue, first query");
        EXPECT_EQ(getArgumentCount(last, path_), 2);
    }
    Figures figures("50 MB catalogue, five more queries");
    EXPECT_TRUE(CheckArgNum(last, path_));
    EXPECT_TRUE(isExistFormula(last, path_));
    EXPECT_FALSE(isExistFormula("F", path_));
    EXPECT_EQ(getArgDatatypeDesc(last, "a", path_), "s");
    EXPECT_EQ(buildFormula(last, {"1", "2"}, path_), last + "(1,2)");
}

TEST_F(HostileCatalogue, EntitiesAreNeverExpandedNorFetched) {
    // Nested entities and an external one: the parser leaves references as they are
    // written and never reads another file.
    std::string doctype = "<!DOCTYPE Quorvanta [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c)
        doctype += std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">";
    doctype += "<!ENTITY x SYSTEM \"file:///etc/passwd\">]>";
    write(doctype + R"(<Quorvanta><Formulas>
        <Formula Name="F" MaxArgNum="1"><Argument Value="&j;" Description="&x;"/></Formula>
        </Formulas></Quorvanta>)");
    Figures figures("entity tricks");
    const std::int32_t number = failure([&] { getArgumentPara("F", "Description", 1, path_); });
    if (number == 0) {
        EXPECT_EQ(getArgumentPara("F", "Description", 1, path_), "&x;");
        EXPECT_EQ(getArgumentPara("F", "Value", 1, path_), "&j;");
    }
}

TEST_F(HostileCatalogue, BrokenFilesFailWithTheParserStatus) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"no root", "<?xml version=\"1.0\"?><!-- nothing -->"},
        {"empty", ""},
        {"binary", std::string("\0\xff\xfe<\x01>", 6)},
        {"unclosed", "<Quorvanta><Formulas><Formula Name=\"F\">"},
        {"deep", std::string(100000, '<')},
        {"nested a million deep", [] {
             std::string s;
             for (int i = 0; i < 1000000; ++i) s += "<a>";
             return s;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.text);
        EXPECT_GT(failure([&] { getArgumentCount("F", path_); }), 0);
        EXPECT_NE(failure([&] { isExistFormula("F", path_); }), 0);
    }
}

TEST_F(HostileCatalogue, WrongRootOrMissingSectionsAreUnsetObjects) {
    const char* documents[] = {"<Other><Formulas><Formula Name=\"F\" MaxArgNum=\"1\"/></Formulas></Other>",
                               "<Quorvanta/>", "<Quorvanta>text only</Quorvanta>"};
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        write(document);
        EXPECT_EQ(failure([&] { getArgumentCount("F", path_); }), err::ObjectNotSet);
        EXPECT_EQ(failure([&] { isExistFormula("F", path_); }), err::ObjectNotSet);
    }
}

TEST_F(HostileCatalogue, MissingUnreadableOrDirectoryFiles) {
    EXPECT_GT(failure([&] { getArgumentCount("F", path_); }), 0);  // missing
    EXPECT_GT(failure([&] { getArgumentCount("F", dir_.string()); }), 0);  // a directory
    write("<Quorvanta><Formulas><Formula Name=\"F\" MaxArgNum=\"1\"/></Formulas></Quorvanta>");
    fs::permissions(path_, fs::perms::none);
    if (::geteuid() != 0) {  // the superuser reads it anyway
        EXPECT_GT(failure([&] { getArgumentCount("F", path_); }), 0);
    }
    fs::permissions(path_, fs::perms::owner_all);
    EXPECT_EQ(getArgumentCount("F", path_), 1);
}

}  // namespace
}  // namespace nemro::testing
