#include "nemro/declared_fields.h"

#include <gmock/gmock.h>

#include "nemro/error.h"
#include "scratch_file.h"

namespace nemro::dialogs {
namespace {

TEST(DeclaredFields, ANameIsOneTheTokenizerReadsAsOneVariable) {
    for (const char* name : {"基本工资", "A1", "SUM", "_x.y", "A1:B2"})
        EXPECT_EQ(variableNameProblem(name), "") << name;
    for (const char* name : {"", "TRUE", "false", "1x", "12", "a b", " x", "(x)", "x+y", "x;",
                             "\"s\"", "f(x)", "\xC3("})
        EXPECT_THAT(variableNameProblem(name), ::testing::HasSubstr("not a name")) << name;
}

TEST(DeclaredFields, SamplesOfDeclaredNamesComeFirst) {
    const auto fields = loadFieldFile(
        testing::scratchFile("fields", "name,sample\n基本工资,8000\n姓名,张三\nNAME,\n"));
    const SampleValueLookup samples = withFieldSamples(fields, [](const std::string& name) {
        return std::optional<std::string>("others:" + name);
    });
    EXPECT_EQ(samples("基本工资"), "8000");
    EXPECT_EQ(samples("姓名"), "\"张三\"");
    EXPECT_EQ(samples("name"), "others:name");  // declared without a sample
    EXPECT_EQ(samples("x"), "others:x");
    EXPECT_EQ(withFieldSamples(fields, {})("x"), std::nullopt);
    EXPECT_THROW(loadFieldFile(testing::scratchFile("bad", "name\nx y\n")), NemroError);
}

}  // namespace
}  // namespace nemro::dialogs
