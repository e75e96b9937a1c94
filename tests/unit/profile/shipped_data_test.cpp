#include <gtest/gtest.h>

#include <set>

#include "profile/hs6533_profiledata.h"
#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "test_support.h"

namespace halvern {
namespace {

/// A profile object loaded from a fresh, empty profile file: it holds the shipped default of its kind.
template <class Profile>
struct Defaults {
    test::TempDir dir;
    Profile profile;
    explicit Defaults(const std::string& kind) {
        profile.SetDefaultPath(test::shippedData() / (kind + ".Json"));
        EXPECT_TRUE(profile.LoadDeviceRecord(dir / "p.Json"));
    }
};

Json::Value shipped(const std::string& name) {
    const Json::Value doc = ReadJsonFile(test::shippedData() / name);
    EXPECT_FALSE(doc.isNull()) << name;
    return doc;
}

TEST(ShippedData, MouseDefaultsHoldFactoryKeysAndSixStages) {
    Defaults<CMouseProfiledata> defaults("mouse");
    CMouseProfiledata& mouse = defaults.profile;
    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 11u);
    EXPECT_EQ(keys[0].defaults, (KeyAssignment{0, 0x10, 0x01, 0x00}));
    EXPECT_EQ(keys[10].defaults, (KeyAssignment{10, 0x14, 0x78, 0x02}));
    for (const auto& key : keys) EXPECT_EQ(key.current, key.defaults);
    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 6u);
    for (const auto& stage : stages) EXPECT_GT(stage.dpiX, 0);
    EXPECT_LT(mouse.GetActiveStage(), 6);
}

TEST(ShippedData, KeyboardDefaultsHold170Keys) {
    Defaults<CKeyboardProfiledata> defaults("keyboard");
    CKeyboardProfiledata& keyboard = defaults.profile;
    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    EXPECT_EQ(keys[0].defaults, (KeyAssignment{0, 0x20, 0x00, 0x29}));    // Escape
    EXPECT_EQ(keys[84].defaults, (KeyAssignment{84, 0x20, 0x02, 0x00}));  // left Shift
    EXPECT_EQ(keys[120].defaults, (KeyAssignment{120, 0xD0, 0xA2, 0x01}));
    EXPECT_EQ(keys[169].defaults, (KeyAssignment{169, 0x20, 0x00, 0x00}));
    EXPECT_EQ(keyboard.GetCustomLightColors(0, 170).size(), 170u);
}

TEST(ShippedData, HeadsetDefaultsHoldThePresets) {
    Defaults<CHs6533Profiledata> defaults("HD");
    CHs6533Profiledata& headset = defaults.profile;
    EXPECT_EQ(headset.GetEqValues(1), (std::vector<int32_t>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(headset.GetEqValues(12), (std::vector<int32_t>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    EXPECT_EQ(headset.GetHeadsetSystem().eqType, 1);
}

TEST(ShippedData, LightModesPerKindUseTheModeIndexAsDeviceValue) {
    const Json::Value doc = shipped("default_light.json");
    const size_t counts[] = {31, 12, 9, 9};  // keyboard, mouse, mouse pad, headset
    for (Json::ArrayIndex kind = 0; kind < 4; ++kind) {
        const Json::Value& modes = doc["DefaultLightName"][kind];
        ASSERT_EQ(modes.size(), counts[kind]) << kind;
        std::set<std::string> names;
        for (Json::ArrayIndex i = 0; i < modes.size(); ++i) {
            EXPECT_EQ(modes[i]["value"].asUInt(), i);
            EXPECT_TRUE(modes[i]["visible"].isBool());
            names.insert(modes[i]["LightName"].asString());
        }
        EXPECT_EQ(names.size(), counts[kind]) << "duplicate mode name";
        EXPECT_FALSE(doc["AreaLightName"][kind].empty());
    }
}

TEST(ShippedData, SwatchesAndLanguages) {
    const Json::Value options = shipped("color_option_info.config")["coloroptioninfo"];
    EXPECT_EQ(options["palletDialogcoloroption"].size(), 20u);
    EXPECT_EQ(options["palletDialogcollectcoloroption"].size(), 20u);
    const Json::Value languages = shipped("Language.config")["Language"];
    ASSERT_GE(languages.size(), 2u);
    std::set<int> ids;
    for (const auto& language : languages) ids.insert(language["Language_ID"].asInt());
    EXPECT_EQ(ids.size(), languages.size());
    EXPECT_TRUE(ids.count(1033) && ids.count(2052));
}

}  // namespace
}  // namespace halvern
