// The user's light effects follow each kind's built-in modes: light mode builtIn + k of a device plays
// entry k of its kind's list in "zantor_light.config" ("LightInfo"[kind id]), whose name the page shows.

#include <gtest/gtest.h>

#include "devices/keyboard_device.h"
#include "devices/mouse_device.h"
#include "emulated_links.h"
#include "emulator/emulator.h"
#include "temp_env.h"

namespace halvern {
namespace {

class CustomLightModesTest : public ::testing::Test {
protected:
    // A light configuration with one effect of its own for the keyboard (kind 0) and the mouse (kind 1), in
    // the kind's user folder, each with a frame whose mode tells them apart.
    void writeConfig(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        test::writeBytes(folder / "zantor_light.config", R"({"LightInfo": [
            [{"LightName": "Keyboard glow", "Guid": "kbfx"}],
            [{"LightName": "Mouse pulse", "Guid": "msfx"}]]})");
        test::writeBytes(folder / "kbfx.light", R"({"LEDEffectList": [{"LEDREGMode": 2, "Time": 10}]})");
        test::writeBytes(folder / "msfx.light", R"({"LEDEffectList": [{"LEDREGMode": 5, "Time": 20}]})");
    }

    template <class Device>
    std::vector<EffectFrame> framesOfMode(Device& device, uint8_t mode) {
        LightSetting light = device.profile().GetLightInfo();
        light.mode = mode;
        device.profile().SetLightInfo(light);
        return device.profile().GetLightEffectFrames();
    }

    test::TempDir data;
    test::ScopedEnv xdg{"XDG_DATA_HOME", data.path().string()};
    emu::Emulator emulator;
};

TEST_F(CustomLightModesTest, TheMousesFirstOwnEffectIsModeTwelve) {
    ASSERT_TRUE(emulator.attach(emu::Product::Mouse));
    CMerivexMouseDevice mouse(emulator);
    test::openOverEmulator(emulator, mouse, false);
    mouse.SetKindName("mouse");
    mouse.SetKindId(1);
    writeConfig(mouse.UserFolder());
    ASSERT_TRUE(mouse.Await([&](auto done) { mouse.ActivatePage(done); }));
    ASSERT_EQ(mouse.lightLists().names.size(), 12u);  // the mouse's built-in modes
    EXPECT_EQ(mouse.lightLists().lightNames, (std::vector<std::string>{"Mouse pulse"}));
    const auto frames = framesOfMode(mouse, 12);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].light.mode, 5);            // the mouse's own effect, not the keyboard's
    EXPECT_TRUE(framesOfMode(mouse, 11).empty());  // a built-in mode plays the device's own effect
    EXPECT_TRUE(framesOfMode(mouse, 13).empty());  // no second effect
}

TEST_F(CustomLightModesTest, TheKeyboardsFirstOwnEffectFollowsItsThirtyOneModes) {
    ASSERT_TRUE(emulator.attach(emu::Product::Keyboard));
    CMerivexKeyboardDevice keyboard(emulator);
    test::openOverEmulator(emulator, keyboard, false);
    keyboard.SetKindName("keyboard");
    keyboard.SetKindId(0);
    writeConfig(keyboard.UserFolder());
    ASSERT_TRUE(keyboard.Await([&](auto done) { keyboard.ActivatePage(done); }));
    const auto builtIn = static_cast<uint8_t>(keyboard.lightLists().names.size());
    ASSERT_EQ(builtIn, 31);
    const auto frames = framesOfMode(keyboard, builtIn);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].light.mode, 2);
    EXPECT_TRUE(framesOfMode(keyboard, 0).empty());
}

}  // namespace
}  // namespace halvern
