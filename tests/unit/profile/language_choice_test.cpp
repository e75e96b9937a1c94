#include "profile/language_choice.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_env.h"

namespace halvern {
namespace {

std::vector<LanguageEntry> listOf(const std::string& json) {
    test::TempDir folder;
    std::ofstream(folder / "Language.config") << json;
    return ReadLanguageList(folder / "Language.config");
}

TEST(LanguageChoice, FindsTheStoredLanguageByItsNumber) {
    const auto languages = listOf(R"({"Language":[
        {"Language_ID":1033,"Language_file":"en.json","Language_name":"English","Language_text":"language_english"},
        {"Language_ID":2052,"Language_file":"zh_CN.json","Language_name":"X","Language_text":"t"},
        {"Language_ID":2052,"Language_file":"../../etc/passwd","Language_name":"Y","Language_text":"t"}]})");
    ASSERT_EQ(languages.size(), 3U);
    EXPECT_EQ(languages[0].file, "en.json");
    EXPECT_EQ(languages[2].file, "");                   // never a path out of the language folder
    EXPECT_EQ(FindStoredLanguage(languages, 2052), 1);  // the earlier of two with the same number
    EXPECT_EQ(FindStoredLanguage(languages, 7), 0);
    EXPECT_EQ(FindStoredLanguage(languages, std::nullopt), 0);
    EXPECT_EQ(FindStoredLanguage({}, 2052), 0);

    auto with520 = languages;
    with520[2].id = kUnsetLanguageNumber;
    EXPECT_EQ(FindStoredLanguage(with520, std::nullopt), 2);
    EXPECT_TRUE(listOf("not json").empty());
    EXPECT_TRUE(listOf(R"({"Language":{"a":1}})").empty());
}

TEST(LanguageChoice, StoresTheNumberInTheConfigurationFolder) {
    test::TempDir config;
    const auto file = config / "Halvern" / "language.json";
    EXPECT_FALSE(ReadLanguageNumber(file));
    ASSERT_TRUE(WriteLanguageNumber(file, 2052));
    EXPECT_EQ(ReadLanguageNumber(file), 2052);
}

TEST(LanguageChoice, FontsAreRebuiltOnlyAroundTheirOwnScripts) {
    EXPECT_TRUE(LanguageChangeRebuildsFonts(-1, 1));
    EXPECT_TRUE(LanguageChangeRebuildsFonts(0, 1));
    EXPECT_TRUE(LanguageChangeRebuildsFonts(1, 2));
    EXPECT_TRUE(LanguageChangeRebuildsFonts(3, 15));
    EXPECT_FALSE(LanguageChangeRebuildsFonts(1, 3));
    EXPECT_FALSE(LanguageChangeRebuildsFonts(4, 1));
}

}  // namespace
}  // namespace halvern
