// Folding and pinyin as the function search compares text.
#include "nemro/search_text.h"

#include <gmock/gmock.h>

namespace nemro {
namespace {

using ::testing::IsSupersetOf;

TEST(SearchText, FoldsWidthAndCaseKeepingTheOriginOfEachByte) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"ＲＯＵ", "rou"}, {"ｒｏｕｎｄ１２", "round12"}, {"Round", "round"}, {"四舍", "四舍"},
        {"a\u3000b", "a b"}, {"，", "，"}, {"ÄÖ", "äö"},
    };
    // clang-format on
    for (const auto& [text, folded] : cases) EXPECT_EQ(text::foldForSearch(text), folded) << text;
    std::vector<std::uint32_t> origins;
    EXPECT_EQ(text::foldForSearch("ＲoＵ", &origins), "rou");
    EXPECT_THAT(origins, ::testing::ElementsAre(0, 3, 4, 7));
}

TEST(SearchText, PolyphonesMatchByEachCommonReading) {
    // clang-format off
    const std::pair<char32_t, std::vector<std::string>> cases[] = {
        {U'长', {"chang", "zhang"}}, {U'重', {"chong", "zhong"}}, {U'行', {"xing", "hang"}},
        {U'率', {"lv", "lu", "shuai"}}, {U'和', {"he", "huo"}}, {U'调', {"tiao", "diao"}},
        {U'差', {"cha", "chai"}}, {U'单', {"dan", "shan"}}, {U'数', {"shu", "shuo"}},
        {U'绿', {"lu", "lv"}},  // ü both ways
    };
    // clang-format on
    std::u32string characters;
    for (const auto& c : cases) characters += c.first;
    const auto readings = text::pinyinReadings(characters + U"四a");
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_THAT(readings[i], IsSupersetOf(cases[i].second)) << i;
    EXPECT_THAT(readings[std::size(cases)], ::testing::ElementsAre("si"));
    EXPECT_TRUE(readings.back().empty());
}

}  // namespace
}  // namespace nemro
