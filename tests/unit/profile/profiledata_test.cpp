#include <gtest/gtest.h>

#include "profile/hs6533_profiledata.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/profile_list.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::TempDir;

/// A profile object whose file holds `record` as its device record.
template <class Profile>
struct Loaded {
    TempDir dir;
    Profile profile;
    explicit Loaded(const std::string& recordJson) {
        Json::Value doc(Json::objectValue);
        doc["profilename"] = "p";
        doc["Device"][0] = test::parse(recordJson);
        EXPECT_TRUE(WriteJsonFile(path(), doc));
        profile.SetProfilePath(path());
        profile.SetDefaultPath(test::shippedData() / "mouse.Json");
        EXPECT_TRUE(profile.LoadDeviceRecord(path()));
    }
    [[nodiscard]] std::filesystem::path path() const { return dir / "p.Json"; }
    [[nodiscard]] Json::Value fileRecord() const { return ReadJsonFile(path())["Device"][0]; }
};

TEST(ProfileData, MissingGroupGivesDefaultsAndLeavesANullMember) {
    Loaded<CMouseProfiledata> p(R"({"Other": 1})");
    EXPECT_EQ(p.profile.GetLightInfo(), LightSetting{});
    EXPECT_EQ(p.profile.GetAudioLightInfo(), AudioLightInfo{});
    EXPECT_TRUE(p.profile.GetKeyList().empty());
    EXPECT_EQ(p.profile.GetMouseSystem(), MouseSystem{});
    EXPECT_TRUE(p.profile.GetDeviceRecord().isMember("LightInfo"));
    EXPECT_TRUE(p.profile.GetDeviceRecord()["LightInfo"].isNull());
    ASSERT_TRUE(p.profile.Save());
    EXPECT_TRUE(p.fileRecord().isMember("LightInfo"));
    EXPECT_EQ(ReadJsonFile(p.path())["profilename"], "p") << "other keys of the document survive a save";
}

TEST(ProfileData, LightInfoRoundTripAndFlags) {
    Loaded<CBasicProfiledata> p(R"({"LightInfo": {"SelectItem": 259, "MultiColor": 7, "Red": -1, "Fx": "x"},
                                    "AudioLightInfo": {"ColorTypeFlags": 0, "7ColorFlags": 5, "AudioMode": 2}})");
    const LightSetting light = p.profile.GetLightInfo();
    EXPECT_EQ(light.mode, 3);        // cut to the low byte
    EXPECT_EQ(light.multiColor, 1);  // read as a boolean
    EXPECT_EQ(light.red, 255);
    EXPECT_EQ(light.direction, 0);  // a string where a number belongs reads as 0
    const AudioLightInfo audio = p.profile.GetAudioLightInfo();
    EXPECT_EQ(audio.colorTypeFlag, 1);  // always 1
    EXPECT_EQ(audio.sevenColorFlag, 1);
    EXPECT_EQ(audio.audioMode, 2);

    LightSetting changed{5, 4, 3, 1, 1, 10, 20, 30, 9, 9, 9, 6, 7, 8};
    p.profile.SetLightInfo(changed);
    EXPECT_EQ(p.fileRecord()["LightInfo"]["SelectItem"].asInt(), 259) << "setters do not touch the file";
    ASSERT_TRUE(p.profile.Save());
    const Json::Value saved = p.fileRecord()["LightInfo"];
    EXPECT_EQ(saved.size(), 11u);  // the two unused bytes and the enabled flag are not stored
    changed.reserved1 = changed.reserved2 = changed.enabled = 0;
    EXPECT_EQ(p.profile.GetLightInfo(), changed);
}

TEST(ProfileData, KeyListPacking) {
    Loaded<CBasicProfiledata> p(
        R"({"KeyList": [{"Assignment": 65793, "DefaultAssignment": 1048832}, {"Assignment": 5}, {}]})");
    const auto keys = p.profile.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].current, (KeyAssignment{0, 1, 1, 1}));
    EXPECT_EQ(keys[0].defaults, (KeyAssignment{0, 0x10, 0x01, 0x00}));
    EXPECT_EQ(keys[2].current, (KeyAssignment{2, 0, 0, 0}));

    std::vector<KeyListEntry> changed{{{0, 2, 0, 5}, {0, 9, 9, 9}}};
    p.profile.SetKeyList(changed);
    ASSERT_TRUE(p.profile.Save());
    const Json::Value list = p.fileRecord()["KeyList"];
    EXPECT_EQ(list[0]["Assignment"].asInt(), 2 * 65536 + 5);
    EXPECT_EQ(list[0]["DefaultAssignment"].asInt(), 1048832) << "the default is never written";
    EXPECT_EQ(list[1]["Assignment"].asInt(), 5) << "entries beyond the list stay";
}

TEST(ProfileData, LightListEntriesAndNullElements) {
    Loaded<CBasicProfiledata> p(R"({"LightList": [null, {"LEDREGMode": 2, "LEDDirection": 3, "red": 9}]})");
    const auto list = p.profile.GetLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], LightSetting{});
    EXPECT_EQ(list[1].enabled, 1);
    EXPECT_EQ(list[1].mode, 2);
    EXPECT_EQ(list[1].direction, 1);
    EXPECT_EQ(list[1].red, 9);
}

TEST(ProfileData, DpiStagesMergeIntoTheStagesInMemory) {
    auto stagesJson = [](int count, int base) {
        std::string json = R"({"DPIStages": {"StageActive": 2, "StageDPIs": [)";
        for (int i = 0; i < count; ++i) {
            json += (i ? "," : "") + std::string(R"({"StageDPIX": )") + std::to_string(base + i) +
                    R"(, "StageDPIY": 65537, "StageActive": 1})";
        }
        return json + "]}}";
    };
    Loaded<CMouseProfiledata> five(stagesJson(5, 100));
    EXPECT_EQ(five.profile.GetDpiStages().size(), 5u);
    EXPECT_EQ(five.profile.GetActiveStage(), 2);

    // 3 stages into 5: stages 0-2 replaced, 3 and 4 kept.
    ASSERT_TRUE(WriteJsonFile(five.path(), test::parse(R"({"Device": [)" + stagesJson(3, 200) + "]}")));
    EXPECT_TRUE(five.profile.LoadDeviceRecord(five.path()));
    auto stages = five.profile.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_EQ(stages[0].dpiX, 200);
    EXPECT_EQ(stages[0].dpiY, 1);  // cut to 16 bits
    EXPECT_EQ(stages[4].dpiX, 104);

    // 7 into 5 gives 7.
    ASSERT_TRUE(WriteJsonFile(five.path(), test::parse(R"({"Device": [)" + stagesJson(7, 300) + "]}")));
    EXPECT_TRUE(five.profile.LoadDeviceRecord(five.path()));
    EXPECT_EQ(five.profile.GetDpiStages().size(), 7u);

    // Without the group the stages in memory are returned unchanged.
    ASSERT_TRUE(WriteJsonFile(five.path(), test::parse(R"({"Device": [{"x": 1}]})")));
    EXPECT_TRUE(five.profile.LoadDeviceRecord(five.path()));
    EXPECT_EQ(five.profile.GetDpiStages().size(), 7u);
}

TEST(ProfileData, DpiStageAndSystemSetters) {
    Loaded<CMouseProfiledata> p(R"({})");
    p.profile.SetDpiStages({{1, 0, 400, 400, 255, 0, 0}, {1, 1, 800, 1600, 0, 255, 0}});
    p.profile.SetActiveStage(1);
    p.profile.SetMouseSystem({500, 10, 1, 0, 3, 4});
    ASSERT_TRUE(p.profile.Save());
    const Json::Value record = p.fileRecord();
    EXPECT_EQ(record["DPIStages"]["StageActive"].asInt(), 1);
    EXPECT_EQ(record["DPIStages"]["StageDPIs"][1]["StageDPIY"].asInt(), 1600);
    EXPECT_EQ(record["SystemStages"]["WheelScorlllinse"].asInt(), 3);
    EXPECT_EQ(record["ReportStages"]["StageActive"].asInt(), 4);

    CMouseProfiledata reread;
    EXPECT_TRUE(reread.LoadDeviceRecord(p.path()));
    EXPECT_EQ(reread.GetMouseSystem(), (MouseSystem{500, 10, 1, 0, 3, 4}));
    EXPECT_EQ(reread.GetDpiStages()[1], (DpiStage{1, 1, 800, 1600, 0, 255, 0}));
}

TEST(ProfileData, MouseSystemNeedsSystemStagesForTheReportRate) {
    Loaded<CMouseProfiledata> p(R"({"ReportStages": {"StageActive": 3}})");
    EXPECT_EQ(p.profile.GetMouseSystem().reportRate, 0);
    Loaded<CMouseProfiledata> q(R"({"SystemStages": {"MouseSpeed": 7},
                                    "CorrectInfo": [{"CorrectName": "n", "CorrectSelect": 1}, 5]})");
    EXPECT_EQ(q.profile.GetMouseSystem(), (MouseSystem{0, 7, 0, 0, 0, 0}));
    const auto correct = q.profile.GetCorrectInfo();
    ASSERT_EQ(correct.size(), 2u);
    EXPECT_EQ(correct[0].name, "n");
    EXPECT_EQ(correct[1], CorrectEntry{});
}

TEST(ProfileData, KeyboardCustomColoursFillMissingGroupsWithZeros) {
    Loaded<CKeyboardProfiledata> p(R"({"CustomLightMode": {"CustomLightModeGroupIndex": 2,
        "LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}]]}})");
    EXPECT_EQ(p.profile.GetCustomGroupIndex(), 2);
    const auto group0 = p.profile.GetCustomLightColors(0, 3);
    ASSERT_EQ(group0.size(), 3u);
    EXPECT_EQ(group0[0], (LightColor{1, 2, 3, 4}));
    EXPECT_EQ(group0[2], LightColor{});

    const auto group5 = p.profile.GetCustomLightColors(5, 100);
    EXPECT_EQ(group5, std::vector<LightColor>(100));
    const Json::Value& stored = p.profile.GetDeviceRecord()["CustomLightMode"]["LightColorInfo"];
    EXPECT_EQ(stored[5].size(), 100u);
    EXPECT_EQ(stored[5][99]["Alpha"].asInt(), 0);
    EXPECT_EQ(stored[0].size(), 3u);

    // Indices outside the bounds change nothing and allocate nothing.
    EXPECT_EQ(p.profile.GetCustomLightColors(-1, 4).size(), 4u);
    EXPECT_EQ(p.profile.GetCustomLightColors(1 << 30, 1 << 30).size(), kMaxJsonListLength);
    p.profile.SetCustomLightColors({LightColor{9, 9, 9, 9}}, 1 << 30);
    EXPECT_EQ(stored.size(), 6u);

    p.profile.SetCustomLightColors({{7, 7, 7, 255}}, 0);
    p.profile.SetCustomGroupIndex(1);
    ASSERT_TRUE(p.profile.Save());
    CKeyboardProfiledata reread;
    EXPECT_TRUE(reread.LoadDeviceRecord(p.path()));
    EXPECT_EQ(reread.GetCustomLightColors(0, 2)[0], (LightColor{7, 7, 7, 255}));
    EXPECT_EQ(reread.GetCustomLightColors(0, 2)[1], LightColor{}) << "further keys stay";
    EXPECT_EQ(reread.GetCustomGroupIndex(), 1);
}

TEST(ProfileData, HeadsetEqualiserRows) {
    EXPECT_EQ(CHs6533Profiledata::EqRow(0), 1u);
    EXPECT_EQ(CHs6533Profiledata::EqRow(7), 7u);
    EXPECT_EQ(CHs6533Profiledata::EqRow(14), 1u);
    EXPECT_EQ(CHs6533Profiledata::EqRow(-3), 1u);

    Loaded<CHs6533Profiledata> p(R"({"EQHzValueInfo": [null, [{"value": 1}, {"value": 2}]]})");
    EXPECT_EQ(p.profile.GetEqValues(0), (std::vector<int32_t>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.profile.GetEqValues(14), p.profile.GetEqValues(0));
    EXPECT_TRUE(p.profile.GetEqValues(13).empty());

    // A missing row reads as zeros, which are stored.
    EXPECT_EQ(p.profile.GetEqValues(5), std::vector<int32_t>(10, 0));
    EXPECT_EQ(p.profile.GetDeviceRecord()["EQHzValueInfo"][5].size(), 10u);

    const Json::Value before = p.profile.GetDeviceRecord();
    p.profile.SetEqValues(13, std::vector<int32_t>(10, 9));
    EXPECT_EQ(p.profile.GetDeviceRecord(), before) << "type 13 writes nothing";

    p.profile.SetEqValues(3, {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0});
    p.profile.SetCustomEqNames({"Bass", "Voice"});
    p.profile.SetCustomEqValues(1, std::vector<int32_t>(10, -2));
    p.profile.SetHeadsetSystem({1, 2, 13, 1, 1, 80, 0, 50});
    ASSERT_TRUE(p.profile.Save());

    CHs6533Profiledata reread;
    EXPECT_TRUE(reread.LoadDeviceRecord(p.path()));
    EXPECT_EQ(reread.GetEqValues(3), (std::vector<int32_t>{-3, 4, 10, 0, -11, 3, 9, 13, 6, 0}));
    EXPECT_EQ(reread.GetCustomEqNames(), (std::vector<std::string>{"Bass", "Voice"}));
    EXPECT_EQ(reread.GetCustomEqValues(1), std::vector<int32_t>(10, -2));
    EXPECT_EQ(reread.GetCustomEqValues(0), std::vector<int32_t>(10, 0));
    EXPECT_TRUE(reread.GetCustomEqValues(-1).empty());
    EXPECT_EQ(reread.GetHeadsetSystem(), (HeadsetSystem{1, 2, 13, 1, 1, 80, 0, 50}));
}

TEST(ProfileData, LoadFallsBackToTheDefaultAndWritesItBack) {
    TempDir dir;
    const auto path = dir / "p.Json";
    for (const std::string& content : {std::string(), std::string("{\"Device\": [5]"), std::string("[1, 2]"),
                                       std::string("{\"profilename\": \"kept\", \"Device\": []}")}) {
        test::writeBytes(path, content);
        CMouseProfiledata profile;
        profile.SetDefaultPath(test::shippedData() / "mouse.Json");
        EXPECT_TRUE(profile.LoadDeviceRecord(path));
        const Json::Value record = profile.GetDeviceRecord();
        const Json::Value expected = ReadJsonFile(test::shippedData() / "mouse.Json")["Device"][0];
        EXPECT_EQ(record, expected) << content;
        EXPECT_EQ(ReadJsonFile(path)["Device"][0], expected) << content;
        EXPECT_EQ(profile.GetKeyList().size(), 11u);
    }
    EXPECT_EQ(ReadJsonFile(path)["profilename"], "kept");

    // Without a default either, the file becomes {"Device": [null]} and every getter gives its default.
    std::filesystem::remove(path);
    CMouseProfiledata bare;
    bare.SetDefaultPath(dir / "missing.Json");
    EXPECT_FALSE(bare.LoadDeviceRecord(path)) << "no usable record anywhere";
    EXPECT_TRUE(bare.GetDeviceRecord().isNull());
    EXPECT_EQ(ReadJsonFile(path), test::parse(R"({"Device": [null]})"));
    EXPECT_EQ(bare.GetLightInfo(), LightSetting{});
    EXPECT_EQ(bare.GetMouseSystem(), MouseSystem{});
    EXPECT_TRUE(bare.GetDpiStages().empty());
}

// Restoring the defaults reads the shipped default profile; it is never written, also when it is missing or
// broken, and the user's settings are not replaced by nothing.
TEST(ProfileData, ShippedDefaultIsNeverWritten) {
    TempDir dir;
    const auto shipped = dir / "mouse.Json";
    const auto user = dir / "user.Json";
    for (const std::string& content : {std::string("missing"), std::string(), std::string("{\"Device\": [5]"),
                                       std::string("{\"Device\": []}")}) {
        std::filesystem::remove(shipped);
        if (content != "missing") test::writeBytes(shipped, content);
        test::writeBytes(user, R"({"profilename": "mine", "Device": [{"LightInfo": {"Red": 9}}]})");
        CMouseProfiledata profile;
        profile.SetDefaultPath(shipped);
        profile.SetProfilePath(user);
        EXPECT_TRUE(profile.LoadDeviceRecord(user));
        EXPECT_FALSE(profile.LoadDeviceRecord(shipped)) << content << ": restoring has nothing to take";
        EXPECT_EQ(profile.GetLightInfo().red, 9) << content << ": nothing to restore, nothing lost";
        ASSERT_TRUE(profile.Save()) << content;
        EXPECT_EQ(ReadJsonFile(user)["Device"][0]["LightInfo"]["Red"].asInt(), 9) << content;
        if (content == "missing") {
            EXPECT_FALSE(std::filesystem::exists(shipped));
        } else {
            EXPECT_EQ(test::readBytes(shipped), content) << "the shipped file is untouched";
        }
    }

    // A usable default is restored into the user's copy only.
    const std::string good = test::readBytes(test::shippedData() / "mouse.Json");
    test::writeBytes(shipped, good);
    CMouseProfiledata profile;
    profile.SetDefaultPath(shipped);
    profile.SetProfilePath(user);
    EXPECT_TRUE(profile.LoadDeviceRecord(user));
    EXPECT_TRUE(profile.LoadDeviceRecord(shipped));
    EXPECT_EQ(profile.GetDeviceRecord(), ReadJsonFile(shipped)["Device"][0]);
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(ReadJsonFile(user)["Device"][0], ReadJsonFile(shipped)["Device"][0]);
    EXPECT_EQ(ReadJsonFile(user)["profilename"], "mine");
    EXPECT_EQ(test::readBytes(shipped), good);

    // Even pointed at the shipped file as its own profile, the object does not write it.
    profile.SetProfilePath(dir.path() / "." / "mouse.Json");
    EXPECT_FALSE(profile.Save());
    EXPECT_FALSE(profile.WriteDocument(Json::Value(Json::objectValue), shipped));
    EXPECT_EQ(test::readBytes(shipped), good);
}

// A profile deleted from the list while its page still holds it (the switch to another profile comes a
// moment later) must not get its file back from a late save, through any writer of the profile object.
TEST(ProfileData, DeletedProfileIsNeverWrittenAgain) {
    TempDir dir;
    const auto listWith = [&dir](std::initializer_list<const char*> ids) {
        Json::Value list(Json::objectValue);
        for (const char* id : ids) {
            Json::Value element(Json::objectValue);
            element["profilename"] = id;
            element["profileUUID"] = id;
            list["profilelist"].append(element);
        }
        list["profileselect"] = 0;
        ASSERT_TRUE(WriteJsonFile(dir / "ProfileList.ini", list));
    };
    listWith({"a", "b"});
    CMouseProfiledata profile;
    profile.SetDefaultPath(test::shippedData() / "mouse.Json");
    profile.SetProfilePath(dir / "b.Json");
    EXPECT_TRUE(profile.LoadDeviceRecord(dir / "b.Json"));
    ASSERT_TRUE(std::filesystem::exists(dir / "b.Json"));
    EXPECT_FALSE(profile.ProfileDeleted());
    ASSERT_TRUE(profile.Save());

    // The profile control deletes "b": the list first, then its file.
    listWith({"a"});
    std::filesystem::remove(dir / "b.Json");
    EXPECT_TRUE(profile.ProfileDeleted());
    LightSetting light = profile.GetLightInfo();
    light.red = 1;
    profile.SetLightInfo(light);
    EXPECT_FALSE(profile.Save());
    EXPECT_FALSE(profile.WriteDocument(Json::Value(Json::objectValue), dir / "b.Json"));
    // A reload falls back to the defaults, in memory only.
    EXPECT_EQ(profile.LoadDeviceRecord(dir / "b.Json"), profile.GetDeviceRecord().isObject());
    EXPECT_FALSE(std::filesystem::exists(dir / "b.Json")) << "no orphan profile file";

    // Folders without a profile list (exported copies, tests) are not managed by one.
    EXPECT_TRUE(IsProfileInList(dir / "sub" / "x.Json"));
    EXPECT_TRUE(IsProfileInList(dir / "a.Json"));
    EXPECT_FALSE(IsProfileInList(dir / "b.Json"));
}

TEST(ProfileData, RecordInMemoryReadsAsTheLoadedFileAndTouchesNoFile) {
    TempDir dir;
    const auto shipped = test::shippedData() / "mouse.Json";
    CMouseProfiledata loaded;
    loaded.SetDefaultPath(dir / "missing.Json");
    EXPECT_TRUE(loaded.LoadDeviceRecord(shipped));
    CMouseProfiledata inMemory;
    EXPECT_TRUE(inMemory.UseDeviceRecord(ReadJsonFile(shipped)));
    EXPECT_EQ(inMemory.GetDeviceRecord(), loaded.GetDeviceRecord());
    EXPECT_EQ(inMemory.GetDpiStages(), loaded.GetDpiStages());
    EXPECT_EQ(inMemory.GetKeyList().size(), 11u);

    // No record: the getters give their defaults, and no default is fetched or written anywhere.
    inMemory.SetProfilePath(dir / "p.Json");
    for (const char* text : {"", "[1]", R"({"Device": [5]})"}) {
        EXPECT_FALSE(inMemory.UseDeviceRecord(ParseJsonText(text))) << text;
        EXPECT_TRUE(inMemory.GetDeviceRecord().isNull());
        EXPECT_EQ(inMemory.GetMouseSystem(), MouseSystem{});
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(ProfileData, SaveKeepsWhatAnotherWriterChangedSinceTheLoad) {
    Loaded<CBasicProfiledata> p(R"({"LightInfo": {"Red": 1}})");
    // The profile list renames the profile behind the profile object's back, once by replacing the file
    // and once by editing it in place.
    Json::Value doc = ReadJsonFile(p.path());
    doc["profilename"] = "renamed";
    ASSERT_TRUE(WriteJsonFile(p.path(), doc));
    ASSERT_TRUE(p.profile.Save());
    EXPECT_EQ(ReadJsonFile(p.path())["profilename"], "renamed");

    doc["profilename"] = "edited";
    {
        std::ofstream inPlace(p.path(), std::ios::binary | std::ios::trunc);
        inPlace << FormatJson(doc);
    }
    ASSERT_TRUE(p.profile.Save());
    EXPECT_EQ(ReadJsonFile(p.path())["profilename"], "edited");
}

TEST(ProfileData, FailedSaveKeepsTheWorkingRecord) {
    Loaded<CBasicProfiledata> p(R"({"LightInfo": {"Red": 1}})");
    LightSetting light = p.profile.GetLightInfo();
    light.red = 77;
    p.profile.SetLightInfo(light);
    p.profile.SetProfilePath(p.dir / "missing-folder" / "p.Json");
    EXPECT_FALSE(p.profile.Save());
    EXPECT_EQ(p.profile.GetLightInfo().red, 77);
    p.profile.SetProfilePath(p.path());
    ASSERT_TRUE(p.profile.Save());
    EXPECT_EQ(p.fileRecord()["LightInfo"]["Red"].asInt(), 77);
}

TEST(ProfileData, EffectFramesComeFromTheLightConfiguration) {
    Loaded<CBasicProfiledata> p(R"({"LightInfo": {"SelectItem": 0}})");
    EXPECT_TRUE(p.profile.GetLightEffectFrames().empty()) << "no light configuration loaded";

    const auto config = p.dir / "zantor_light.config";
    test::writeBytes(config, R"({"LightInfo": [[{"Guid": "fx1"}, {"Guid": "../fx1"}, {}]]})");
    test::writeBytes(p.dir / "fx1.light", R"({"LEDEffectList": [
        {"LEDREGMode": 3, "red": 300, "Time": 100, "Cyle": 2}, "junk"]})");
    p.profile.SetLightConfigPath(config);
    EXPECT_TRUE(p.profile.LoadLightConfig(config));

    p.profile.GetLightInfo();
    const auto frames = p.profile.GetLightEffectFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].light.mode, 3);
    EXPECT_EQ(frames[0].light.red, 44);
    EXPECT_EQ(frames[0].time, 100);
    EXPECT_EQ(frames[0].cycle, 2);
    EXPECT_EQ(frames[1], EffectFrame{});

    for (int mode : {1, 2, 3}) {  // an id naming another folder, a missing id, a missing mode
        LightSetting light;
        light.mode = static_cast<uint8_t>(mode);
        p.profile.SetLightInfo(light);
        EXPECT_TRUE(p.profile.GetLightEffectFrames().empty()) << mode;
    }
}

}  // namespace
}  // namespace halvern

namespace halvern {
namespace {

/// Every getter and setter of every kind on a record whose groups have the wrong JSON types: nothing may
/// throw, and the setters leave a record that reads back what they wrote.
TEST(ProfileData, WrongTypesInEveryGroupNeverThrow) {
    const char* groups[] = {"LightInfo",          "AudioLightInfo",  "LightList",     "KeyList",
                            "DPIStages",          "SystemStages",    "ReportStages",  "CorrectInfo",
                            "CustomLightMode",    "SystemSetStages", "EQHzValueInfo", "CustomEQNameInfo",
                            "CustomEQHzValueInfo"};
    const char* badValues[] = {R"("text")",
                               "[1, [2], {}]",
                               "-1e300",
                               "true",
                               "null",
                               R"({"StageDPIs": "x", "LightColorInfo": {"a": 1}, "StageActive": [1],
                                   "Red": {}, "Assignment": "7", "value": [], "Name": 5})",
                               R"([{"Assignment": 1e40, "value": "x"}, [[{"value": {}}]], "s"])"};
    for (const char* bad : badValues) {
        std::string record = "{";
        for (const char* group : groups)
            record += std::string(record.size() > 1 ? "," : "") + "\"" + group + "\":" + bad;
        record += "}";
        Loaded<CHs6533Profiledata> headset(record);
        Loaded<CKeyboardProfiledata> keyboard(record);
        Loaded<CMouseProfiledata> mouse(record);
        EXPECT_NO_THROW({
            headset.profile.GetLightInfo();
            headset.profile.GetAudioLightInfo();
            headset.profile.GetLightList();
            headset.profile.GetKeyList();
            headset.profile.GetHeadsetSystem();
            for (int type = -1; type <= 14; ++type) headset.profile.GetEqValues(type);
            headset.profile.GetCustomEqNames();
            headset.profile.GetCustomEqValues(3);
            keyboard.profile.GetKeyboardSystem();
            keyboard.profile.GetCustomGroupIndex();
            keyboard.profile.GetCustomLightColors(2, 170);
            mouse.profile.GetDpiStages();
            mouse.profile.GetMouseSystem();
            mouse.profile.GetCorrectInfo();
        }) << bad;
        EXPECT_NO_THROW({
            headset.profile.SetLightInfo({1, 2, 3, 1, 1, 4, 5, 6});
            headset.profile.SetKeyList({KeyListEntry{{0, 1, 2, 3}, {}}});
            headset.profile.SetEqValues(2, std::vector<int32_t>(10, 3));
            headset.profile.SetCustomEqValues(1, std::vector<int32_t>(10, 4));
            headset.profile.SetCustomEqNames({"n"});
            keyboard.profile.SetCustomLightColors({{1, 2, 3, 4}}, 1);
            keyboard.profile.SetCustomGroupIndex(1);
            mouse.profile.SetDpiStages({DpiStage{1, 0, 9, 9, 1, 2, 3}});
            mouse.profile.SetActiveStage(0);
            mouse.profile.SetMouseSystem({1, 2, 3, 4, 5, 6});
        }) << bad;
        EXPECT_EQ(headset.profile.GetLightInfo().red, 4) << bad;
        EXPECT_EQ(headset.profile.GetKeyList()[0].current, (KeyAssignment{0, 1, 2, 3})) << bad;
        EXPECT_EQ(headset.profile.GetEqValues(2), std::vector<int32_t>(10, 3)) << bad;
        EXPECT_EQ(headset.profile.GetCustomEqValues(1), std::vector<int32_t>(10, 4)) << bad;
        EXPECT_EQ(keyboard.profile.GetCustomLightColors(1, 1)[0], (LightColor{1, 2, 3, 4})) << bad;
        EXPECT_EQ(mouse.profile.GetDpiStages()[0].dpiX, 9) << bad;
        EXPECT_EQ(mouse.profile.GetMouseSystem(), (MouseSystem{1, 2, 3, 4, 5, 6})) << bad;
        EXPECT_TRUE(mouse.profile.Save()) << bad;
    }
}

}  // namespace
}  // namespace halvern
