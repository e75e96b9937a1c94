#include "sound/audio_style_set.h"

#include <gtest/gtest.h>

#include "profile/json_file.h"
#include "temp_env.h"

namespace halvern {
namespace {

TEST(AudioStyleSet, ReadsLowBytesTreatsUnusableValuesAsZeroAndKeepsOtherMembers) {
    Json::Value device = ParseJsonText(R"({"Other": 7, "AudioLightInfo": {"nAudioStyle": 2, "nStyleR0": 265,
        "nStyleG1": "x", "nStyleB2": true, "nStyleR3": 4.9, "nStyleName1": "Bass", "nStyleName2": 12}})");
    AudioStyleSet set = LoadAudioStyleSet(device);
    EXPECT_EQ(set.currentStyle, 2);
    EXPECT_EQ(set.colours[0], 9);  // 265 keeps its low byte
    EXPECT_EQ(set.colours[4], 0);  // text where a number belongs
    EXPECT_EQ(set.colours[8], 1);  // true
    EXPECT_EQ(set.colours[9], 4);  // a real number is cut
    EXPECT_EQ(set.names[0], "Bass");
    EXPECT_EQ(set.names[1], "");
    EXPECT_EQ(set.names[3], "");  // missing

    set.names[2] = kDefaultStyleNames[2];
    set.colours[11] = 9;
    StoreAudioStyleSet(set, device);
    EXPECT_EQ(device["Other"].asInt(), 7);
    EXPECT_EQ(device["AudioLightInfo"].size(), 17U);  // the current style, four names, twelve levels
    const AudioStyleSet again = LoadAudioStyleSet(device);
    EXPECT_EQ(again.names, set.names);
    EXPECT_EQ(again.colours, set.colours);
    EXPECT_EQ(LoadAudioStyleSet(Json::Value()).currentStyle, 0);
}

// A file from elsewhere: a colour far outside any integer, a name of a thousand characters.
TEST(AudioStyleSet, HugeNumbersAndLongNamesAreBounded) {
    std::string longName;
    for (int i = 0; i < 1000; ++i) longName += "第";
    const Json::Value device = ParseJsonText(R"({"AudioLightInfo": {"nStyleR0": 1e300, "nStyleG0": -1e300,
        "nStyleName1": ")" + longName + R"("}})");
    const AudioStyleSet set = LoadAudioStyleSet(device);
    EXPECT_EQ(set.colours[0], 0xFF);  // clamped to the largest integer, whose low byte is 0xFF
    EXPECT_EQ(set.colours[1], 0x00);
    EXPECT_LE(set.names[0].size(), 128u);
    EXPECT_EQ(set.names[0].size() % 3, 0u);  // whole characters (three bytes each) only
    EXPECT_EQ(set.names[0], longName.substr(0, set.names[0].size()));
}

// The shipped file's names (and emptied ones) are the defaults the interface shows in its language.
TEST(AudioStyleSet, TheShippedNamesAndEmptyOnesAreDefaultNames) {
    const AudioStyleSet shipped =
        LoadAudioStyleSet(ReadJsonFile(HALVERN_SOURCE_RESOURCES "/DefaultData/AudioFile.json")["Device"]);
    for (std::size_t s = 0; s < AudioStyleSet::kStyles; ++s) {
        EXPECT_TRUE(IsDefaultStyleName(s, shipped.names[s])) << s;
        EXPECT_TRUE(IsDefaultStyleName(s, ""));
        EXPECT_FALSE(IsDefaultStyleName(s, "Bass"));
        EXPECT_FALSE(IsDefaultStyleName((s + 1) % AudioStyleSet::kStyles, shipped.names[s])) << "another's";
    }
    EXPECT_FALSE(IsDefaultStyleName(AudioStyleSet::kStyles, ""));
    EXPECT_EQ(DefaultStyleNameId(3), "music_style_name_4");
}

TEST(AudioFile, MadeFromTheDefaultSavedInPlaceAndReset) {
    const test::TempDir dir;
    const auto shipped = dir / "AudioFile.json";
    ASSERT_TRUE(WriteJsonFile(shipped, ParseJsonText(R"({"Device": {"AudioLightInfo": {"nStyleR0": 9}}})")));
    const auto user = dir / "user" / "Halvern" / AudioFile::kFileName;

    AudioFile file(user, shipped);
    ASSERT_TRUE(file.open());  // no user copy yet: the default is copied
    EXPECT_EQ(ReadJsonFile(user), ReadJsonFile(shipped));

    AudioStyleSet set = LoadAudioStyleSet(file.device());
    set.colours[0] = 3;
    StoreAudioStyleSet(set, file.device());
    Json::Value withExtra = ReadJsonFile(user);
    withExtra["Kept"] = true;
    ASSERT_TRUE(WriteJsonFile(user, withExtra));
    ASSERT_TRUE(file.save());
    EXPECT_TRUE(ReadJsonFile(user)["Kept"].asBool());
    EXPECT_EQ(ReadJsonFile(user)["Device"]["AudioLightInfo"]["nStyleR0"].asInt(), 3);

    AudioFile reopened(user, shipped);
    ASSERT_TRUE(reopened.open());
    EXPECT_EQ(LoadAudioStyleSet(reopened.device()).colours[0], 3);
    ASSERT_TRUE(reopened.reset());
    EXPECT_EQ(LoadAudioStyleSet(reopened.device()).colours[0], 9);
    EXPECT_EQ(ReadJsonFile(user), ReadJsonFile(shipped));

    AudioFile nothing(dir / "none.json", dir / "missing-default.json");
    EXPECT_FALSE(nothing.open());
}

}  // namespace
}  // namespace halvern
