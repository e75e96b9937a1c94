// The Linux sound library against a PulseAudio server of the test's own, whose null sink and source carry
// the headset's USB identity.

#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "band_measurement.h"
#include "devices/headset_audio.h"
#include "devices/headset_eq.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "devices/linux_audio/pulse_client.h"
#include "private_sound_server.h"
#include "wait_for.h"

namespace halvern {
namespace {

using audio::Access;
using audio::Direction;
using audio::PropertyValue;
using test::commandOutput;
using test::PrivateSoundServer;

class LinuxAudioTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<PrivateSoundServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server->running())
            GTEST_SKIP() << "no PulseAudio server could be started here (is pulseaudio installed?)";
        ASSERT_EQ(audio.start(HeadsetSystem{}), HeadsetAudio::Start::Ready);
    }

    int write(bool playback, std::wstring_view name, int32_t number) {
        PropertyValue value;
        value.setInteger(number);
        const auto& device = playback ? audio.devices().playback : audio.devices().recording;
        return library.PropertyControl(*device, name, value, {}, Access::Write);
    }
    // The lines of `pactl list short modules` naming `module`.
    static int modulesNamed(const std::string& module) {
        const std::string list = commandOutput("pactl list short modules");
        int count = 0;
        for (size_t at = 0; (at = list.find(module + "\t", at)) != std::string::npos; ++at) ++count;
        return count;
    }

    static inline std::unique_ptr<PrivateSoundServer> server;
    audio::LinuxAudioLibrary library;
    HeadsetAudio audio{library};
};

TEST_F(LinuxAudioTest, DeviceChoiceFindsTheHeadsetByItsUsbIdentityAlone) {
    // The other sink and the monitors of both sinks are left out.
    uint32_t playback = 0;
    uint32_t recording = 0;
    ASSERT_EQ(library.GetDeviceCount(Direction::Playback, playback), 0);
    ASSERT_EQ(library.GetDeviceCount(Direction::Recording, recording), 0);
    EXPECT_EQ(playback, 1u);
    EXPECT_EQ(recording, 1u);
    EXPECT_EQ(audio.devices().playback->type, 1);
    EXPECT_EQ(audio.devices().playback->state, 1);
    EXPECT_EQ(audio.devices().recording->type, 2);

    // The environment effect has no sound processing here: left out of the features, refused.
    ASSERT_TRUE(audio.features()[0].has_value());
    EXPECT_EQ(*audio.features()[0], (std::array<int32_t, 3>{1, 1, 1}));
    EXPECT_TRUE(audio.available(HeadsetAudio::Feature::Equaliser));
    EXPECT_TRUE(audio.available(HeadsetAudio::Feature::Monitor));
    EXPECT_EQ(write(true, L"Enable_RFX_GFX", 1), audio::kPropertyNotAvailable);
    // Starting brought nothing in: the equaliser stays off until it is asked for.
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
}

TEST_F(LinuxAudioTest, MicrophoneAndMonitorActOnTheHeadset) {
    ASSERT_TRUE(audio.setMicrophoneLevel(40));
    EXPECT_NE(commandOutput("pactl get-source-volume headset_mic").find(" 40% "), std::string::npos);
    ASSERT_TRUE(audio.setMicrophoneOn(false));
    EXPECT_EQ(commandOutput("pactl get-source-mute headset_mic"), "Mute: yes\n");
    EXPECT_EQ(audio.read().micOn, false);
    EXPECT_EQ(audio.read().micLevel, 40);
    ASSERT_TRUE(audio.setMicrophoneOn(true));
    EXPECT_EQ(commandOutput("pactl get-source-mute headset_mic"), "Mute: no\n");

    // The monitor is a loopback from the microphone to the headset, there only while it is on.
    ASSERT_TRUE(audio.setMonitorLevel(30));
    ASSERT_TRUE(audio.setMonitorOn(true));
    EXPECT_EQ(modulesNamed("module-loopback"), 1);
    EXPECT_NE(commandOutput("pactl list sink-inputs").find(" 30% "), std::string::npos);
    EXPECT_EQ(audio.read().monitorOn, true);
    ASSERT_TRUE(audio.setMonitorOn(true));
    EXPECT_EQ(modulesNamed("module-loopback"), 1);
    ASSERT_TRUE(audio.setMonitorOn(false));
    EXPECT_EQ(modulesNamed("module-loopback"), 0);
    EXPECT_EQ(audio.read().monitorLevel, 30);
}

// Nothing in the server holds the level of a monitor that is off: each start takes the user's level from
// the profile, a loopback an earlier run left keeps its own, and after the server lost the loopback the
// monitor comes back at the level last set.
TEST_F(LinuxAudioTest, TheMonitorLevelSetSurvivesRestartsOfTheProgramAndOfTheServer) {
    HeadsetSystem profile;
    profile.micMonitorValue = 30;
    const auto nextRun = [&profile](HeadsetAudio& started) {
        ASSERT_EQ(started.start(profile), HeadsetAudio::Start::Ready);
        HeadsetAudio::TakeReading(started.read(), profile);
    };
    {
        audio::LinuxAudioLibrary first;
        HeadsetAudio run(first);
        nextRun(run);
        EXPECT_EQ(profile.micMonitorValue, 30);
        ASSERT_TRUE(run.setMonitorOn(true));
        EXPECT_NE(commandOutput("pactl list sink-inputs").find(" 30% "), std::string::npos);
        ASSERT_TRUE(run.setMonitorLevel(45));
        profile.micMonitorValue = 45;
    }
    {
        audio::LinuxAudioLibrary second;
        HeadsetAudio run(second);
        profile.micMonitorValue = 10;  // the loaded loopback's own level wins
        nextRun(run);
        EXPECT_EQ(profile.micMonitorValue, 45);
    }
    commandOutput("pactl unload-module module-loopback");  // what a restart of the server does
    {
        audio::LinuxAudioLibrary third;
        HeadsetAudio run(third);
        nextRun(run);
        EXPECT_EQ(profile.micMonitorValue, 45);
        EXPECT_EQ(run.read().monitorOn, false);
        ASSERT_TRUE(run.setMonitorOn(true));
        EXPECT_NE(commandOutput("pactl list sink-inputs").find(" 45% "), std::string::npos);
        ASSERT_TRUE(run.setMonitorOn(false));
    }
    EXPECT_EQ(modulesNamed("module-loopback"), 0);
}

// The device queue's thread and the page's may call at once (run under ThreadSanitizer to see races).
TEST_F(LinuxAudioTest, CallsFromTwoThreadsTakeTurns) {
    std::thread writer([this] {
        for (int level = 0; level <= 100; level += 10) EXPECT_TRUE(audio.setMicrophoneLevel(level));
    });
    audio::LinuxAudioLibrary& shared = library;
    const audio::DeviceRecord microphone = *audio.devices().recording;
    for (int i = 0; i < 10; ++i) {
        PropertyValue value;
        EXPECT_EQ(shared.PropertyControl(microphone, L"VolumeScalarControl", value, {}, Access::Read), 0);
    }
    writer.join();
    EXPECT_EQ(audio.read().micLevel, 100);
}

TEST_F(LinuxAudioTest, AServerThatHangsFailsTheCallInsteadOfBlockingIt) {
    server->pause(true);
    PropertyValue value;
    const int result =
        library.PropertyControl(*audio.devices().recording, L"MuteControl", value, {}, Access::Read);
    EXPECT_NE(result, 0);
    // Calls fail at once for a while instead of each waiting again.
    EXPECT_FALSE(audio.read().micOn.has_value());
    server->pause(false);
    // Once it answers again, so does the library, after its rest.
    EXPECT_TRUE(
        test::waitFor([&] { return audio.read().micOn.has_value(); },
                      std::chrono::duration_cast<std::chrono::milliseconds>(audio::PulseClient::kRest * 3)));
}

std::string defaultSink() {
    std::string name = commandOutput("pactl get-default-sink");
    if (!name.empty()) name.pop_back();
    return name;
}

// The sink index of a playing stream, from `pactl list short sink-inputs` ("index sink client ...").
std::string sinkOfTheOnlyStream() {
    const std::string line = commandOutput("pactl list short sink-inputs");
    const size_t tab = line.find('\t');
    return tab == std::string::npos ? "" : line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
}
std::string indexOfSink(const std::string& name) {
    const std::string list = commandOutput("pactl list short sinks");
    const size_t at = list.find("\t" + name + "\t");
    if (at == std::string::npos) return "";
    const size_t lineStart = list.rfind('\n', at);
    return list.substr(lineStart == std::string::npos ? 0 : lineStart + 1,
                       at - (lineStart == std::string::npos ? 0 : lineStart + 1));
}

// White noise through the equaliser, recorded from what the headset's sink plays, has each preset's gain
// at each band's centre; a program playing on the headset plays through it; changing a band leaves one
// filter loaded, and switching off removes it.
TEST_F(LinuxAudioTest, TheEqualiserShapesWhatTheHeadsetPlays) {
    commandOutput("pactl set-default-sink headset");
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
    std::unique_ptr<pa_simple, decltype(&pa_simple_free)> program(
        pa_simple_new(nullptr, "program", PA_STREAM_PLAYBACK, "headset", "music", &format, nullptr, nullptr,
                      nullptr),
        &pa_simple_free);
    ASSERT_TRUE(program);
    // Presets 7 (bass) and 8 (treble).
    const std::array<headset_eq::Bands, 2> kPresets{headset_eq::kPresets[6], headset_eq::kPresets[7]};
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 1), 0);
    EXPECT_NE(defaultSink().find("halvern_headset_eq"), std::string::npos) << "the default output follows";
    EXPECT_EQ(sinkOfTheOnlyStream(), indexOfSink(defaultSink()));
    for (const auto& preset : kPresets) {
        for (int band = 0; band < 10; ++band)
            ASSERT_EQ(write(true, L"EQ_Slider" + std::to_wstring(band + 1), preset[band]), 0);
        EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
        std::string error;
        const auto gains = test::measureBandGains(defaultSink(), "headset.monitor", error);
        ASSERT_TRUE(gains) << error;
        for (int band = 0; band < 10; ++band) {
            std::printf("band %d: set %+3d dB, measured %+6.2f dB\n", band + 1, preset[band], (*gains)[band]);
            EXPECT_NEAR((*gains)[band], preset[band], 2.0) << "band " << band + 1;
        }
    }
    EXPECT_EQ(sinkOfTheOnlyStream(), indexOfSink(defaultSink()));
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 0), 0);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
    EXPECT_EQ(defaultSink(), "headset");
    EXPECT_EQ(sinkOfTheOnlyStream(), indexOfSink("headset"));
}

// The module index of the loaded equaliser (the server counts its module loads up), or -1.
long equaliserModule() {
    const std::string list = commandOutput("pactl list short modules");
    const size_t at = list.find("\tmodule-ladspa-sink\t");
    if (at == std::string::npos) return -1;
    const size_t lineStart = list.rfind('\n', at);
    return std::stol(list.substr(lineStart == std::string::npos ? 0 : lineStart + 1));
}

// The ten bands of a preset are one change: the filter is loaded once (each load moves every program's
// stream), whether the equaliser was off or on.
TEST_F(LinuxAudioTest, APresetLoadsTheEqualiserFilterOnce) {
    const long before = std::stol(commandOutput("pactl load-module module-null-sink sink_name=marker"));
    commandOutput("pactl unload-module " + std::to_string(before));
    ASSERT_TRUE(audio.setEqualiser(headset_eq::PresetBands(1), {}));
    EXPECT_EQ(equaliserModule(), before + 1) << "switched on with its bands: one load";
    ASSERT_TRUE(audio.setEqualiser(headset_eq::PresetBands(2), headset_eq::PresetBands(1)));
    EXPECT_EQ(equaliserModule(), before + 2) << "another preset: one load";
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 0), 0);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
}

// A filter an earlier run left is taken over with its bands (held to the range); a second one goes.
TEST_F(LinuxAudioTest, TheNextStartTakesOverTheEqualiserItFinds) {
    const std::string plugin = "master=headset plugin=caps label=Eq10X2 control=0,0,0,0,0,0,0,0,0,0";
    commandOutput("pactl load-module module-ladspa-sink sink_name=halvern_headset_eq_2 " + plugin +
                  " \"sink_properties='halvern.role=equaliser halvern.bands=99,-99,3,0,0,0,0,0,0,7'\"");
    commandOutput("pactl load-module module-ladspa-sink sink_name=halvern_headset_eq_1 " + plugin +
                  " \"sink_properties='halvern.role=equaliser halvern.bands=1,2'\"");
    ASSERT_EQ(modulesNamed("module-ladspa-sink"), 2);

    audio::LinuxAudioLibrary later;
    HeadsetAudio laterAudio(later);
    ASSERT_EQ(laterAudio.start(HeadsetSystem{}), HeadsetAudio::Start::Ready);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    PropertyValue value;
    const auto readBack = [&](std::wstring_view name) {
        return later.PropertyControl(*laterAudio.devices().playback, name, value, {}, Access::Read) == 0
                   ? std::string(value.text())
                   : std::string("failed");
    };
    EXPECT_EQ(readBack(L"Enable_EQ_GFX"), "1");
    EXPECT_EQ(readBack(L"EQ_Slider1"), "20");
    EXPECT_EQ(readBack(L"EQ_Slider2"), "-20");
    EXPECT_EQ(readBack(L"EQ_Slider10"), "7");
    // Gone behind its back (a server restart, say), it reads as off and comes back when asked.
    commandOutput("pactl unload-module module-ladspa-sink");
    EXPECT_EQ(readBack(L"Enable_EQ_GFX"), "0");
    value.setInteger(1);
    ASSERT_EQ(
        later.PropertyControl(*laterAudio.devices().playback, L"Enable_EQ_GFX", value, {}, Access::Write), 0);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    value.setInteger(0);
    EXPECT_EQ(
        later.PropertyControl(*laterAudio.devices().playback, L"Enable_EQ_GFX", value, {}, Access::Write), 0);
}

// The module that made the headset's sink (the server's own, loaded at its start), or "".
std::string headsetSinkModule() {
    const std::string list = commandOutput("pactl list short modules");
    const size_t at = list.find("\tmodule-null-sink\tsink_name=headset ");
    if (at == std::string::npos) return "";
    const size_t lineStart = list.rfind('\n', at);
    const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    return list.substr(from, at - from);
}

// The server's news reach the library's watcher: the headset's sink going and coming back is followed,
// and a start while it was gone becomes ready once it is there.
TEST_F(LinuxAudioTest, TheHeadsetsSoundDeviceComingAndGoingIsFollowed) {
    std::atomic<int> news{0};
    library.WatchDevices([&news] { ++news; });
    ASSERT_TRUE(test::waitFor([&] { return news.load() >= 1; })) << "told once it is connected";
    EXPECT_FALSE(audio.devicesChanged(HeadsetSystem{})) << "the same devices";

    const std::string module = headsetSinkModule();
    ASSERT_FALSE(module.empty());
    int seen = news.load();
    commandOutput("pactl unload-module " + module);
    ASSERT_TRUE(test::waitFor([&] { return news.load() > seen; }));
    EXPECT_TRUE(audio.devicesChanged(HeadsetSystem{}));
    EXPECT_FALSE(audio.ready());
    audio::LinuxAudioLibrary later;
    HeadsetAudio laterAudio(later);
    EXPECT_EQ(laterAudio.start(HeadsetSystem{}), HeadsetAudio::Start::NoPlayback);

    seen = news.load();
    commandOutput(
        "pactl load-module module-null-sink sink_name=headset \"sink_properties='device.vendor.id=0c76 "
        "device.product.id=1630 device.description=Headset'\"");
    ASSERT_TRUE(test::waitFor([&] { return news.load() > seen; }));
    EXPECT_TRUE(audio.devicesChanged(HeadsetSystem{}));
    EXPECT_TRUE(audio.ready());
    EXPECT_TRUE(laterAudio.devicesChanged(HeadsetSystem{}));
    EXPECT_TRUE(laterAudio.ready());
    library.WatchDevices({});
}

}  // namespace
}  // namespace halvern
