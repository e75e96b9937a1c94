// The audio library's device choice and value buffers, over the emulated library.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/emulated_audio_library.h"

namespace halvern::audio {
namespace {

TEST(AudioDeviceChoice, PrefersTypeOneAndTakesTheFirstTypeTwoRecorder) {
    EmulatedAudioLibrary library;
    (void)library.addDevice(Direction::Playback, 1, 0);  // not present
    (void)library.addDevice(Direction::Playback, 12);
    const DeviceRecord wanted = library.addDevice(Direction::Playback, 1);
    (void)library.addDevice(Direction::Recording, 3);
    const DeviceRecord microphone = library.addDevice(Direction::Recording, 2);
    const ChosenDevices chosen = ChooseDevices(library);
    EXPECT_EQ(chosen.playback, wanted);
    EXPECT_EQ(chosen.recording, microphone);

    library.setFaults({.noPlayback = true});
    EXPECT_FALSE(ChooseDevices(library).playback);
}

TEST(AudioProperties, StoresWritesAndCapturesEveryCall) {
    std::vector<std::string> lines;
    auto library = EmulatedAudioLibrary::Headset([&](std::string_view line) { lines.emplace_back(line); });
    const ChosenDevices chosen = ChooseDevices(*library);
    ASSERT_TRUE(chosen.playback && chosen.recording);
    const std::array<int32_t, 1> allChannels{-1};

    PropertyValue value;
    EXPECT_NE(library->PropertyControl(*chosen.playback, L"Enable_EQ_GFX", value, {}, Access::Read), 0)
        << "never written";
    value.setFloat(0.75f);
    EXPECT_EQ(library->PropertyControl(*chosen.recording, L"VolumeScalarControl", value, allChannels,
                                       Access::Write),
              0);
    EXPECT_EQ(
        library->PropertyControl(*chosen.recording, L"VolumeScalarControl", value, allChannels, Access::Read),
        0);
    EXPECT_EQ(value.number(), 0.75);
    value.setInteger(1);
    library->setFaults({.failingWrites = {"MuteControl"}});
    EXPECT_NE(library->PropertyControl(*chosen.recording, L"MuteControl", value, {}, Access::Write), 0);
    EXPECT_FALSE(library->stored(*chosen.recording, "MuteControl"));

    EXPECT_EQ(lines, (std::vector<std::string>{
                         "AUDIO P read Enable_EQ_GFX failed", "AUDIO R write VolumeScalarControl -1 0.75",
                         "AUDIO R read VolumeScalarControl -1 0.75", "AUDIO R write MuteControl failed"}));
}

TEST(AudioProperties, ValueTextStaysInsideItsBuffer) {
    PropertyValue value;
    value.setText(std::string(5000, '7'));
    EXPECT_EQ(value.text().size(), PropertyValue::kSize - 1);
    value.setText("not a number");
    EXPECT_FALSE(value.number());
    EXPECT_EQ(SupportFeatures("1,2,3,4,5,6,7"), (std::array<int32_t, 3>{1, 5, 7}));
    EXPECT_FALSE(SupportFeatures("1,2,3,4,5,6"));
    EXPECT_FALSE(SupportFeatures("1,2,3,4,x,6,7"));
}

}  // namespace
}  // namespace halvern::audio
