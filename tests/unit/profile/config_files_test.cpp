#include <gtest/gtest.h>

#include "profile/color_options.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"
#include "profile/light_mode_lists.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(DataFolders, FollowTheEnvironment) {
    TempDir dir;
    {
        ScopedEnv xdg("XDG_DATA_HOME", dir.path().string());
        EXPECT_EQ(GetAppDataFolder(), dir / "Halvern");
        EXPECT_EQ(GetDeviceDataFolder("MousePad"), dir.path() / "Halvern" / "MousePad");
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Halvern" / "MousePad"));
        EXPECT_TRUE(GetDeviceDataFolder("../x").empty());
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/path");
        ScopedEnv home("HOME", dir.path().string());
        EXPECT_EQ(GetAppDataFolder(), dir.path() / ".local" / "share" / "Halvern");
    }
    {
        ScopedEnv resources("HALVERN_RESOURCES", "/opt/res");
        EXPECT_EQ(GetDefaultDataFolder(), std::filesystem::path("/opt/res") / "DefaultData");
        EXPECT_EQ(GetDefaultProfilePath("HD"), std::filesystem::path("/opt/res/DefaultData/HD.Json"));
    }
    ::unsetenv("HALVERN_RESOURCES");
    EXPECT_EQ(GetDefaultDataFolder(), test::shippedData());
}

// The logo's web address is the user's setting; with none set the logo opens nothing.
TEST(Settings, WebSiteAddressComesFromTheUsersSettings) {
    TempDir dir;
    ::unsetenv("HALVERN_WEBSITE");
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
    EXPECT_EQ(GetConfigFolder(), dir / "Halvern");
    EXPECT_EQ(GetWebSiteAddress(), "") << "no settings file: nothing";
    EXPECT_FALSE(std::filesystem::exists(dir / "Halvern")) << "reading creates nothing";

    std::filesystem::create_directories(dir / "Halvern");
    const auto settings = dir / "Halvern" / "settings.json";
    ASSERT_TRUE(WriteJsonFile(settings, test::parse(R"({"WebSite": "https://example.org/halvern"})")));
    EXPECT_EQ(GetWebSiteAddress(), "https://example.org/halvern");
    {
        ScopedEnv over("HALVERN_WEBSITE", "http://localhost:8080/");
        EXPECT_EQ(GetWebSiteAddress(), "http://localhost:8080/");
    }
    {
        ScopedEnv off("HALVERN_WEBSITE", "");
        EXPECT_EQ(GetWebSiteAddress(), "") << "set but empty turns it off";
    }

    // Only plain web addresses leave the program; anything else opens nothing.
    for (const char* bad :
         {"javascript:alert(1)", "file:///etc/passwd", "https://", "https:///path", "ftp://x.org",
          "https://exa mple.org", "https://example.org/\n", "example.org", "HTTPS:\\\\x"}) {
        Json::Value doc(Json::objectValue);
        doc["WebSite"] = bad;
        ASSERT_TRUE(WriteJsonFile(settings, doc));
        EXPECT_EQ(GetWebSiteAddress(), "") << bad;
    }
    ASSERT_TRUE(WriteJsonFile(settings, test::parse(R"({"WebSite": 42})")));
    EXPECT_EQ(GetWebSiteAddress(), "");
    test::writeBytes(settings, "not json");
    EXPECT_EQ(GetWebSiteAddress(), "");
    EXPECT_TRUE(IsWebAddress("HTTPS://Example.org"));
    EXPECT_FALSE(IsWebAddress("https://example.org/" + std::string(2048, 'a')));

    ScopedEnv relative("XDG_CONFIG_HOME", "relative");
    ScopedEnv home("HOME", dir.path().string());
    EXPECT_EQ(GetConfigFolder(), dir.path() / ".config" / "Halvern");
}

TEST(ColorOptions, FirstRunCopiesTheShippedFile) {
    TempDir user;
    ColorOptionFile file(user.path(), test::shippedData());
    const ColorOptions options = file.Load();
    EXPECT_EQ(ReadJsonFile(file.UserPath()), ReadJsonFile(test::shippedData() / ColorOptionFile::kFileName));
    EXPECT_EQ(options.presets[4], 0xFF00FF00u);
    EXPECT_EQ(options.presetSelected, 4);
    EXPECT_FALSE(options.collectedUsed[0]);
}

TEST(ColorOptions, SavePartsAndClampSelections) {
    TempDir user;
    ColorOptionFile file(user.path(), test::shippedData());
    ColorOptions options = file.Load();
    options.presets[0] = 0x12ABCDEFu;
    options.presetSelected = 3;
    options.collected[19] = 0xFF00FF00u;
    options.collectedUsed[19] = true;
    options.collectedSelected = 19;
    ASSERT_TRUE(file.SavePresets(options));
    ASSERT_TRUE(file.SaveCollected(options));
    EXPECT_EQ(file.Load(), options);
    const Json::Value doc = ReadJsonFile(file.UserPath());
    EXPECT_EQ(doc["coloroptioninfo"]["palletDialogcoloroption"][0]["color"], "12ABCDEF");
    EXPECT_EQ(doc["coloroptioninfo"]["palletDialogcollectcoloroption"][19]["UserData"], "1");

    test::writeBytes(file.UserPath(), R"({"coloroptioninfo": {"palletDialogcoloroption_selectitem": 99,
        "palletDialogcollectcoloroption_selectitem": -4, "palletDialogcoloroption": [{"color": 5}]}})");
    const ColorOptions clamped = file.Load();
    EXPECT_EQ(clamped.presetSelected, 19);
    EXPECT_EQ(clamped.collectedSelected, 0);
    EXPECT_EQ(clamped.presets[0], 0u);
}

TEST(LightModeLists, ReadFromDefaultsAndLightConfiguration) {
    TempDir dir;
    LightModeLists lists;
    LoadLightModeLists(1, test::shippedData(), dir / "zantor_light.config", lists);
    ASSERT_EQ(lists.names.size(), 12u);
    EXPECT_EQ(lists.values.size(), 12u);
    EXPECT_EQ(lists.visible.size(), 12u);
    EXPECT_EQ(lists.values[11], 11);
    EXPECT_EQ(lists.areaNames.size(), 1u);
    EXPECT_TRUE(lists.lightNames.empty());

    test::writeBytes(dir / "zantor_light.config",
                     R"({"LightInfo": [[], [{"LightName": "Mine", "Guid": "g"}, {"LightName": 4}]]})");
    LoadLightModeLists(1, test::shippedData(), dir / "zantor_light.config", lists);
    EXPECT_EQ(lists.lightNames, (std::vector<std::string>{"Mine", ""}));

    // Missing files leave the lists as they were.
    LoadLightModeLists(1, dir / "nothing", dir / "nothing.config", lists);
    EXPECT_EQ(lists.names.size(), 12u);
    EXPECT_EQ(lists.lightNames.size(), 2u);
    LoadLightModeLists(99, test::shippedData(), dir / "zantor_light.config", lists);
    EXPECT_EQ(lists.names.size(), 12u);
}

}  // namespace
}  // namespace halvern
