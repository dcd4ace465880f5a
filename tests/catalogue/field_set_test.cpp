#include "nemro/field_set.h"

#include <gmock/gmock.h>

#include "nemro/error.h"

namespace nemro::testing {
namespace {

// Stands in for the engine's rule, which the formula logic tests check.
std::string noBlanks(const std::string& name) {
    return name.find(' ') == std::string::npos ? "" : "“" + name + "” is not one variable";
}

TEST(FieldFile, ReadsColumnsInAnyOrderWithQuotesAByteOrderMarkAndCrLf) {
    const FieldSet set = FieldSet::fromCsv(
        "\xEF\xBB\xBF"
        "sample,name,type,group,description\r\n"
        " 8000 ,基本工资,number,工资项目,\"月薪, 税前\"\r\n"
        "\r\n"
        "\"张\"\"三\",姓名,Text,人员信息,\"两行\n说明\"\r\n"
        "2019/7/1,入职日期,,人员信息,\r\n"
        "true,是否在职,boolean,,\r\n"
        ",Salary,,,",
        noBlanks);
    ASSERT_EQ(set.size(), 5u);
    EXPECT_EQ(set.fields()[1].name, "姓名");
    EXPECT_EQ(set.fields()[1].description, "两行\n说明");
    EXPECT_EQ(set.fields()[0].description, "月薪, 税前");
    ASSERT_NE(set.find("salary"), nullptr);
    EXPECT_EQ(set.find("SALARY")->type, FieldType::Number);
    EXPECT_FALSE(set.find("SALARY")->sample);
    EXPECT_EQ(set.find("nobody"), nullptr);
    const auto sample = [&](const char* name) { return set.find(name)->sample->engineText(); };
    EXPECT_EQ(sample("基本工资"), "8000");
    EXPECT_EQ(sample("姓名"), "\"张\"\"三\"");
    EXPECT_EQ(set.find("入职日期")->type, FieldType::Date);  // from its sample
    EXPECT_EQ(sample("入职日期"), "43647");
    EXPECT_EQ(sample("是否在职"), "True");
}

TEST(FieldFile, SamplesReadAsTheirType) {
    struct Row {
        FieldType type;
        const char* written;
        const char* engine;  // nullptr: refused
    };
    const Row rows[] = {
        {FieldType::Number, "-1.5e3", "-1.5e3"},  {FieldType::Number, ".5", ".5"},
        {FieldType::Number, "1e999", nullptr},    {FieldType::Number, "1,000", nullptr},
        {FieldType::Number, "0x10", nullptr},     {FieldType::Boolean, "FALSE", "False"},
        {FieldType::Boolean, "1", nullptr},       {FieldType::Date, "1900-03-01", "61"},
        {FieldType::Date, "2026-12-08", "46364"}, {FieldType::Date, "2024年2月29日", "45351"},
        {FieldType::Date, "2023-02-29", nullptr}, {FieldType::Date, "1900-02-28", nullptr},
        {FieldType::Date, "2019-7-1x", nullptr},  {FieldType::Date, "2019年7月1", nullptr},
        {FieldType::Text, " a ", "\" a \""},
    };
    for (const Row& row : rows) {
        const std::optional<FieldValue> v = readFieldValue(row.type, row.written);
        EXPECT_EQ(v ? v->engineText() : "refused", row.engine ? row.engine : "refused")
            << row.written;
    }
}

TEST(FieldFile, RefusesAMalformedFileAtItsLine) {
    struct Row {
        const char* csv;
        const char* where;
        const char* fragment;
    };
    const Row rows[] = {
        {"", "line 1", "empty"},
        {"name,kind\nx,y", "line 1", "unknown column “kind”"},
        {"type,group\nnumber,a", "line 1", "no column “name”"},
        {"name,Name\nx,y", "line 1", "comes twice"},
        {"name,type\nx,number\ny,money", "line 3", "unknown type “money”"},
        {"name\nx\n\nX", "line 4", "“X” is declared twice, first as “x” at line 2"},
        {"name\nbad name", "line 2", "is not one variable"},
        {"name,type\n,text", "line 2", "needs a name"},
        {"name,type,sample\nx,number,abc", "line 2", "the sample “abc” of “x” is no number"},
        {"name,type,sample\nx,date,2019-13-01", "line 2", "is no date"},
        {"name,type\nx,number,extra", "line 2", "3 fields where the header has 2"},
        {"name,description\nx,\"a\nb\nc\"\ny,a\"b", "line 5", "not well-formed CSV"},
        {"name,description\nx,\"never closed\n\n", "line 2", "not well-formed CSV"},
        {"name\n\xC3(", "line 2", "not UTF-8"},
    };
    for (const Row& row : rows) {
        try {
            FieldSet::fromCsv(row.csv, noBlanks, "f.csv");
            ADD_FAILURE() << "accepted: " << row.csv;
        } catch (const NemroError& e) {
            EXPECT_EQ(e.number(), err::FieldFile);
            EXPECT_THAT(e.description(), ::testing::StartsWith(std::string("f.csv, ") + row.where))
                << row.csv;
            EXPECT_THAT(e.description(), ::testing::HasSubstr(row.fragment)) << row.csv;
        }
    }
}

TEST(FieldFile, FieldsGivenInCodeAreCheckedAlikeAndAMissingFileIsAnError) {
    const auto field = [](const char* name, std::optional<FieldValue> sample = {}) {
        Field f;
        f.name = name, f.sample = std::move(sample);
        return f;
    };
    EXPECT_THROW(FieldSet({field("A1", readFieldValue(FieldType::Text, "x"))}, noBlanks),
                 NemroError);
    EXPECT_THROW(FieldSet({field("A1"), field("a1")}, noBlanks), NemroError);
    EXPECT_EQ(FieldSet({field("A1"), field("B1")}, noBlanks).fields()[1].name, "B1");
    EXPECT_THROW(loadFieldSet("/nonexistent/fields.csv", noBlanks), NemroError);
    EXPECT_THROW(loadFieldSet("/", noBlanks), NemroError);
}

}  // namespace
}  // namespace nemro::testing
