#include "profile/profile_list.h"

#include <gtest/gtest.h>

#include "profile/json_file.h"
#include "profile/profile_naming.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::TempDir;

struct ListFixture : ::testing::Test {
    TempDir dir;
    ProfileList list;

    void init(int typeCode = 2, const std::string& kind = "mouse") {
        list.SetDeviceType(typeCode);
        list.SetPaths(dir.path(), test::shippedData() / (kind + ".Json"));
        list.Init();
    }
    Json::Value listFile() const { return ReadJsonFile(dir / "ProfileList.ini"); }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : list.GetEntries()) result.push_back(entry.name);
        return result;
    }
    /// Writes a list file with these names (ids "id0", "id1", ...) and the stored selection.
    void writeList(const std::vector<std::string>& profileNames, int select) {
        Json::Value doc(Json::objectValue);
        for (size_t i = 0; i < profileNames.size(); ++i) {
            Json::Value element(Json::objectValue);
            element["profilename"] = profileNames[i];
            element["profileUUID"] = "id" + std::to_string(i);
            doc["profilelist"].append(element);
            Json::Value profile(Json::objectValue);
            profile["profilename"] = profileNames[i];
            profile["profileUUID"] = "id" + std::to_string(i);
            profile["Device"][0]["LightInfo"]["Red"] = static_cast<int>(i);
            ASSERT_TRUE(WriteJsonFile(dir / ("id" + std::to_string(i) + ".Json"), profile));
        }
        doc["profileselect"] = select;
        ASSERT_TRUE(WriteJsonFile(dir / "ProfileList.ini", doc));
    }
};

TEST(ProfileNaming, Rules) {
    EXPECT_EQ(NewProfileName({"profile1", "Profile3"}), "profile2");
    EXPECT_EQ(NewProfileName({"profile1", "Profile3", "PROFILE2"}), "profile4");
    EXPECT_EQ(CopyProfileName({"A", "a COPY"}, "A"), "A copy copy");
    EXPECT_EQ(ImportProfileName({"Game", "game(1)"}, "Game"), "Game(1)(2)");
    EXPECT_EQ(ImportProfileName({"Other"}, "Game"), "Game");
    EXPECT_TRUE(ContainsName({"a", "B"}, "b"));
    EXPECT_FALSE(ContainsName({"a", "B"}, "b", 1));
}

TEST_F(ListFixture, FirstStartCreatesOneProfile) {
    init();
    ASSERT_EQ(names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    const Json::Value file = listFile();
    EXPECT_EQ(file["profileselect"].asInt(), 0);
    EXPECT_EQ(file["profilelist"][0]["profileUUID"].asString(), list.GetCurrentProfileId());
    EXPECT_EQ(file["profilelist"][0]["profileislink"].asInt(), 0);
    const Json::Value profile = ReadJsonFile(dir / (list.GetCurrentProfileId() + ".Json"));
    EXPECT_EQ(profile.getMemberNames(), (std::vector<std::string>{"profileUUID", "profilename"}));
}

TEST_F(ListFixture, UnusableListFilesAreReplaced) {
    for (const char* content : {"", "{\"profilelist\": []}", "{\"profilelist\": 5}", "not json"}) {
        test::writeBytes(dir / "ProfileList.ini", content);
        init();
        EXPECT_EQ(names(), std::vector<std::string>{"profile1"}) << content;
    }
}

TEST_F(ListFixture, StoredSelectionOutsideTheListSelectsTheFirst) {
    for (const int stored : {7, -1}) {
        writeList({"a", "b"}, stored);
        init();
        EXPECT_EQ(list.GetSelectedIndex(), 0);
        EXPECT_EQ(list.GetCurrentProfileId(), "id0");
        EXPECT_EQ(listFile()["profileselect"].asInt(), 0) << "rewritten";
    }
}

TEST_F(ListFixture, AddNamesAndStoresTheNewProfileForTheNextStart) {
    writeList({"profile1", "Profile3"}, 0);
    init();
    ASSERT_TRUE(list.AddProfile());
    ASSERT_TRUE(list.AddProfile());
    EXPECT_EQ(names(), (std::vector<std::string>{"profile1", "Profile3", "profile2", "profile4"}));
    EXPECT_EQ(list.GetSelectedIndex(), 0) << "the selection in memory stays";
    EXPECT_EQ(listFile()["profileselect"].asInt(), 3);
    const std::string id = list.GetEntries()[3].id;
    EXPECT_NE(id, list.GetEntries()[2].id) << "two profiles made within a millisecond get their own ids";
    EXPECT_EQ(ReadJsonFile(dir / (id + ".Json"))["profilename"], "profile4");
}

TEST_F(ListFixture, AddRefusesAtFiftyProfiles) {
    writeList(std::vector<std::string>(50, "x"), 0);
    init();
    const std::string before = test::readBytes(dir / "ProfileList.ini");
    EXPECT_FALSE(list.AddProfile());
    EXPECT_EQ(list.GetEntries().size(), 50u);
    EXPECT_EQ(test::readBytes(dir / "ProfileList.ini"), before);
}

TEST_F(ListFixture, CopyHoldsEverySettingOfTheSource) {
    writeList({"A", "A copy"}, 0);
    init();
    ASSERT_TRUE(list.CopyProfile());
    EXPECT_EQ(names().back(), "A copy copy");
    EXPECT_EQ(listFile()["profileselect"].asInt(), 0);
    const auto& copy = list.GetEntries().back();
    const Json::Value doc = ReadJsonFile(dir / (copy.id + ".Json"));
    EXPECT_EQ(doc["profilename"], "A copy copy");
    EXPECT_EQ(doc["profileUUID"].asString(), copy.id);
    EXPECT_EQ(doc["Device"][0]["LightInfo"]["Red"].asInt(), 0);
}

TEST_F(ListFixture, DeleteTheThirdOfFive) {
    writeList({"a", "b", "c", "d", "e"}, 2);
    init();
    ASSERT_TRUE(list.DeleteProfile());
    EXPECT_EQ(listFile()["profileselect"].asInt(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "id2.Json"));
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "d", "e"}));
    EXPECT_EQ(list.GetSelectedIndex(), 2) << "the entry that took the removed one's place";
    ASSERT_TRUE(list.SelectProfile(list.GetSelectedIndex()));  // the profile switch
    EXPECT_EQ(listFile()["profileselect"].asInt(), 2);
    EXPECT_EQ(list.GetCurrentProfileId(), "id3");
}

TEST_F(ListFixture, SelectingTheStoredChoiceLeavesTheFileAlone) {
    // Whoever watches the folder (the window) must not be woken by a file rewritten with what it held.
    writeList({"a", "b"}, 1);
    init();
    const auto before = IdentifyFile(dir / "ProfileList.ini");
    ASSERT_TRUE(before);
    ASSERT_TRUE(list.SelectProfile(1));
    EXPECT_EQ(IdentifyFile(dir / "ProfileList.ini"), before);
    EXPECT_EQ(list.GetCurrentProfileId(), "id1");
    ASSERT_TRUE(list.SelectProfile(0));
    EXPECT_NE(IdentifyFile(dir / "ProfileList.ini"), before);
    EXPECT_EQ(listFile()["profileselect"].asInt(), 0);
}

TEST_F(ListFixture, DeleteRefusesTheLastProfile) {
    init();
    EXPECT_FALSE(list.DeleteProfile());
    EXPECT_EQ(list.GetEntries().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir / (list.GetCurrentProfileId() + ".Json")));
}

TEST_F(ListFixture, Rename) {
    writeList({"a", "b"}, 1);
    init();
    EXPECT_EQ(list.RenameProfile("  \t"), 2);
    EXPECT_EQ(list.RenameProfile(""), 2);
    EXPECT_EQ(list.RenameProfile("A"), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(list.RenameProfile("B"), 1) << "its own name in another case";
    EXPECT_EQ(list.RenameProfile("Game"), 1);
    EXPECT_EQ(names()[1], "Game");
    EXPECT_EQ(listFile()["profilelist"][1]["profilename"], "Game");
    EXPECT_EQ(ReadJsonFile(dir / "id1.Json")["profilename"], "Game");
}

TEST_F(ListFixture, RenameChecksUnicodeNames) {
    writeList({"\u041F\u0440\u043E\u0444\u0438\u043B\u044C", "b"}, 1);  // Профиль
    init();
    EXPECT_EQ(list.RenameProfile("\u3000\u3000"), 2) << "ideographic spaces are blank";
    EXPECT_EQ(list.RenameProfile("\u200B"), 2) << "a zero-width space shows nothing";
    EXPECT_EQ(list.RenameProfile("\u043F\u0440\u043E\u0444\u0438\u043B\u044C"), 0) << "профиль is taken";
    EXPECT_EQ(names()[1], "b");
    // What the user typed is stored as typed, and reads back from both files.
    const std::string name = "\u041F\u0440\u043E\u0444\u0438\u043B\u044C 2";
    ASSERT_EQ(list.RenameProfile(name), 1);
    EXPECT_EQ(listFile()["profilelist"][1]["profilename"].asString(), name);
    EXPECT_EQ(ReadJsonFile(dir / "id1.Json")["profilename"].asString(), name);
    EXPECT_EQ(NewProfileName({"PROFILE1", "\uFF50rofile2"}), "profile2") << "full-width p is another letter";
}

TEST_F(ListFixture, ResetTakesTheDefaultsButKeepsNameAndId) {
    writeList({"a"}, 0);
    init(2, "mouse");
    ASSERT_TRUE(list.ResetProfile());
    Json::Value expected = ReadJsonFile(test::shippedData() / "mouse.Json");
    expected["profilename"] = "a";
    expected["profileUUID"] = "id0";
    EXPECT_EQ(ReadJsonFile(dir / "id0.Json"), expected);
}

TEST_F(ListFixture, HeadsetResetKeepsCustomEqualisers) {
    writeList({"a"}, 0);
    Json::Value doc = ReadJsonFile(dir / "id0.Json");
    doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Mine";
    doc["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 9;
    doc["Device"][0]["SystemSetStages"]["EqType"] = 13;
    ASSERT_TRUE(WriteJsonFile(dir / "id0.Json", doc));
    init(7, "HD");
    ASSERT_TRUE(list.ResetProfile());
    const Json::Value record = ReadJsonFile(dir / "id0.Json")["Device"][0];
    EXPECT_EQ(record["CustomEQNameInfo"][0]["Name"], "Mine");
    EXPECT_EQ(record["CustomEQHzValueInfo"][0][0]["value"].asInt(), 9);
    EXPECT_EQ(record["SystemSetStages"]["EqType"].asInt(), 1) << "everything else is the default";
}

TEST_F(ListFixture, ExportAndImport) {
    writeList({"Game", "Game(1)"}, 0);
    init();
    TempDir outside;
    ASSERT_TRUE(list.ExportProfile(outside / "Game.json"));
    EXPECT_EQ(ReadJsonFile(outside / "Game.json"), ReadJsonFile(dir / "id0.Json"));

    ASSERT_TRUE(list.ImportProfile(outside / "Game.json"));
    const auto& imported = list.GetEntries().back();
    EXPECT_EQ(imported.name, "Game(1)(2)");
    const Json::Value doc = ReadJsonFile(dir / (imported.id + ".Json"));
    EXPECT_EQ(doc["profilename"], "Game(1)(2)");
    EXPECT_EQ(doc["profileUUID"].asString(), imported.id);
    EXPECT_EQ(doc["Device"][0]["LightInfo"]["Red"].asInt(), 0);
}

TEST_F(ListFixture, ImportRefusesFilesThatAreNoProfiles) {
    init();
    TempDir outside;
    test::writeBytes(outside / "a.json", R"({"profilename": "x"})");
    test::writeBytes(outside / "b.json", R"([{"profilename": "x", "profileUUID": "y"}])");
    test::writeBytes(outside / "c.json", "{ broken");
    const std::string before = test::readBytes(dir / "ProfileList.ini");
    for (const char* name : {"a.json", "b.json", "c.json", "missing.json"}) {
        EXPECT_FALSE(list.ImportProfile(outside / name)) << name;
    }
    EXPECT_EQ(list.GetEntries().size(), 1u);
    EXPECT_EQ(test::readBytes(dir / "ProfileList.ini"), before);
}

TEST_F(ListFixture, HandEditedIdsNeverNameFilesElsewhere) {
    TempDir outside;
    const auto victim = outside / "victim.Json";
    test::writeBytes(victim, "{}");
    Json::Value doc(Json::objectValue);
    doc["profilelist"][0]["profilename"] = "evil";
    doc["profilelist"][0]["profileUUID"] =
        (std::filesystem::path("..") / outside.path().filename() / "victim").string();
    doc["profilelist"][1]["profilename"] = "ok";
    doc["profilelist"][1]["profileUUID"] = "id1";
    doc["profileselect"] = 0;
    ASSERT_TRUE(WriteJsonFile(dir / "ProfileList.ini", doc));
    init();
    EXPECT_TRUE(list.ProfilePath(list.GetCurrentProfileId()).empty());
    EXPECT_FALSE(list.ResetProfile());
    ASSERT_TRUE(list.DeleteProfile());
    EXPECT_TRUE(std::filesystem::exists(victim));
}

TEST_F(ListFixture, ListFileChangedBehindOurBackIsRebuiltFromTheEntries) {
    writeList({"a", "b"}, 0);
    init();
    std::filesystem::remove(dir / "ProfileList.ini");
    ASSERT_TRUE(list.AddProfile());
    const Json::Value file = listFile();
    ASSERT_EQ(file["profilelist"].size(), 3u);
    EXPECT_EQ(file["profilelist"][0]["profilename"], "a");
    EXPECT_EQ(file["profilelist"][2]["profilename"], "profile1");
}

}  // namespace
}  // namespace halvern
