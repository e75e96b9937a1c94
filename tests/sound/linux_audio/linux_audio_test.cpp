// The Linux sound library against a sound server of the test's own (PulseAudio, and PipeWire with its pulse
// server), whose null sink and source carry the headset's USB identity.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pulse/simple.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "band_measurement.h"
#include "devices/headset_audio.h"
#include "devices/headset_eq.h"
#include "devices/linux_audio/equaliser_plugin.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "devices/linux_audio/pulse_client.h"
#include "private_sound_server.h"
#include "wait_for.h"

extern char** environ;

namespace halvern {
namespace {

using namespace std::chrono_literals;
using audio::Access;
using audio::Direction;
using audio::PropertyValue;
using test::commandOutput;
using test::PrivateSoundServer;

class LinuxAudioTest : public ::testing::TestWithParam<test::SoundServerKind> {
protected:
    static void TearDownTestSuite() { PrivateSoundServer::stopShared(); }

    void SetUp() override {
        server = &PrivateSoundServer::shared(GetParam());
        if (!server->running()) GTEST_SKIP() << server->whyNot();
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

    PrivateSoundServer* server = nullptr;
    audio::LinuxAudioLibrary library;
    HeadsetAudio audio{library};
};

TEST_P(LinuxAudioTest, DeviceChoiceFindsTheHeadsetByItsUsbIdentityAlone) {
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

TEST_P(LinuxAudioTest, MicrophoneAndMonitorActOnTheHeadset) {
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
TEST_P(LinuxAudioTest, TheMonitorLevelSetSurvivesRestartsOfTheProgramAndOfTheServer) {
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
TEST_P(LinuxAudioTest, CallsFromTwoThreadsTakeTurns) {
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

TEST_P(LinuxAudioTest, AServerThatHangsFailsTheCallInsteadOfBlockingIt) {
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
TEST_P(LinuxAudioTest, TheEqualiserShapesWhatTheHeadsetPlays) {
    commandOutput("pactl set-default-sink headset");
    // The equaliser takes the default over only from the headset: it starts once the server names it.
    ASSERT_TRUE(test::waitFor([] { return defaultSink() == "headset"; }, 5000ms)) << defaultSink();
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
    std::unique_ptr<pa_simple, decltype(&pa_simple_free)> program(
        pa_simple_new(nullptr, "program", PA_STREAM_PLAYBACK, "headset", "music", &format, nullptr, nullptr,
                      nullptr),
        &pa_simple_free);
    ASSERT_TRUE(program);
    // Presets 7 (bass) and 8 (treble).
    const std::array<headset_eq::Bands, 2> kPresets{headset_eq::kPresets[6], headset_eq::kPresets[7]};
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 1), 0);
    // The server may name the new default a moment after the filter loaded.
    EXPECT_TRUE(test::waitFor([] { return defaultSink().starts_with("halvern_headset_eq"); }, 5000ms))
        << "the default output follows: " << defaultSink();
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
            EXPECT_NEAR((*gains)[band], preset[band], 1.0) << "band " << band + 1;
        }
    }
    EXPECT_EQ(sinkOfTheOnlyStream(), indexOfSink(defaultSink()));
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 0), 0);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
    EXPECT_TRUE(test::waitFor([] { return defaultSink() == "headset"; }, 5000ms)) << defaultSink();
    EXPECT_EQ(sinkOfTheOnlyStream(), indexOfSink("headset"));
}

// The filter sink's name ("halvern_headset_eq_1" or "_2"), or "".
std::string equaliserSink() {
    const std::string list = commandOutput("pactl list short sinks");
    const size_t at = list.find("halvern_headset_eq_");
    return at == std::string::npos ? "" : list.substr(at, std::string_view("halvern_headset_eq_1").size());
}

// Every preset, and a custom curve with neighbours 40 dB apart, measured through the server: within 1 dB
// of the asked gain at every band centre. The table printed is the measurement.
TEST_P(LinuxAudioTest, EveryPresetIsHeardWithinOneDecibelAtEveryCentre) {
    std::vector<headset_eq::Bands> curves(headset_eq::kPresets.begin(), headset_eq::kPresets.end());
    curves.push_back({-20, 20, 0, 10, -10, 15, -15, 5, 20, -20});
    headset_eq::Bands before{};
    for (size_t curve = 0; curve < curves.size(); ++curve) {
        ASSERT_TRUE(audio.setEqualiser(curves[curve], before));
        before = curves[curve];
        std::string error;
        const auto gains = test::measureBandGains(equaliserSink(), "headset.monitor", error);
        ASSERT_TRUE(gains) << error;
        std::printf(
            "%s %-9s", std::string(test::soundServerName(GetParam())).c_str(),
            curve < headset_eq::kPresets.size() ? ("preset " + std::to_string(curve + 1)).c_str() : "custom");
        bool near = true;
        for (int band = 0; band < 10; ++band) {
            std::printf(" %+6.2f", (*gains)[band]);
            near = near && std::abs((*gains)[band] - curves[curve][band]) <= 1.0;
        }
        std::printf("\n");
        EXPECT_TRUE(near) << "curve " << curve + 1
                          << " is off by more than 1 dB; the server's sinks and filters:\n"
                          << commandOutput("pactl list short sinks; pactl list short modules | grep ladspa");
    }
}

// Counts the modules the server loads, from `pactl subscribe`'s events. Each count ends at a marker module
// the counter loads itself, so every event before it has been seen; the first marker also shows that the
// subscription is there.
class ModuleLoads {
public:
    ModuleLoads() {
        std::array<int, 2> ends{};
        if (::pipe2(ends.data(), O_CLOEXEC) != 0) return;
        m_events = ends[0];
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        std::array<char*, 3> argv{const_cast<char*>("pactl"), const_cast<char*>("subscribe"), nullptr};
        if (::posix_spawnp(&m_pactl, "pactl", &actions, nullptr, argv.data(), environ) != 0) m_pactl = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        m_ready = m_pactl > 0 && test::waitFor([this] { return loadsUntilMarker().has_value(); }, 5000ms);
    }
    ~ModuleLoads() {
        if (m_pactl > 0) {
            ::kill(m_pactl, SIGTERM);
            ::waitpid(m_pactl, nullptr, 0);
        }
        if (m_events >= 0) ::close(m_events);
    }
    ModuleLoads(const ModuleLoads&) = delete;
    ModuleLoads& operator=(const ModuleLoads&) = delete;
    [[nodiscard]] bool ready() const { return m_ready; }
    /// The modules loaded since the last count (or since the counter was made).
    [[nodiscard]] std::optional<int> count() {
        if (!m_ready) return std::nullopt;
        return loadsUntilMarker();
    }

private:
    // Loads and unloads a marker and reads events up to its load; the other loads seen on the way.
    std::optional<int> loadsUntilMarker() {
        const std::string index = commandOutput("pactl load-module module-null-sink sink_name=marker");
        if (index.empty()) return std::nullopt;
        commandOutput("pactl unload-module " + index);
        const std::string marker = "Event 'new' on module #" + index.substr(0, index.size() - 1) + "\n";
        int loads = 0;
        const auto deadline = std::chrono::steady_clock::now() + 1000ms;
        for (;;) {
            const size_t end = m_buffer.find('\n');
            if (end == std::string::npos) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                pollfd watched{m_events, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0)
                    return std::nullopt;
                std::array<char, 1024> chunk{};
                const ssize_t got = ::read(watched.fd, chunk.data(), chunk.size());
                if (got <= 0) return std::nullopt;
                m_buffer.append(chunk.data(), static_cast<size_t>(got));
                continue;
            }
            const std::string line = m_buffer.substr(0, end + 1);
            m_buffer.erase(0, end + 1);
            if (line == marker) return loads;
            if (line.starts_with("Event 'new' on module #")) ++loads;
        }
    }

    pid_t m_pactl = -1;
    int m_events = -1;
    std::string m_buffer;
    bool m_ready = false;
};

// The ten bands of a preset are one change: the filter is loaded once (each load moves every program's
// stream), whether the equaliser was off or on.
TEST_P(LinuxAudioTest, APresetLoadsTheEqualiserFilterOnce) {
    ModuleLoads loads;
    ASSERT_TRUE(loads.ready()) << "pactl subscribe reports no module events";
    ASSERT_TRUE(audio.setEqualiser(headset_eq::PresetBands(1), {}));
    EXPECT_EQ(loads.count(), 1) << "switched on with its bands: one load";
    ASSERT_TRUE(audio.setEqualiser(headset_eq::PresetBands(2), headset_eq::PresetBands(1)));
    EXPECT_EQ(loads.count(), 1) << "another preset: one load";
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
    ASSERT_EQ(write(true, L"Enable_EQ_GFX", 0), 0);
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
}

// A filter an earlier run left is taken over with its bands (held to the range); a second one goes.
TEST_P(LinuxAudioTest, TheNextStartTakesOverTheEqualiserItFinds) {
    const auto equaliser = audio::EqualiserPlugin::load();
    ASSERT_TRUE(equaliser) << "the LSP equaliser plugin is not installed (lsp-plugins-ladspa)";
    const std::string plugin = "master=headset " + equaliser->moduleArguments({});
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

// The server's news reach the library's watcher: the headset's sink going and coming back is followed,
// and a start while it was gone becomes ready once it is there.
TEST_P(LinuxAudioTest, TheHeadsetsSoundDeviceComingAndGoingIsFollowed) {
    std::atomic<int> news{0};
    library.WatchDevices([&news] { ++news; });
    ASSERT_TRUE(test::waitFor([&] { return news.load() >= 1; })) << "told once it is connected";
    EXPECT_FALSE(audio.devicesChanged(HeadsetSystem{})) << "the same devices";

    int seen = news.load();
    ASSERT_TRUE(server->removeHeadsetSink());
    ASSERT_TRUE(test::waitFor([&] { return news.load() > seen; }));
    EXPECT_TRUE(audio.devicesChanged(HeadsetSystem{}));
    EXPECT_FALSE(audio.ready());
    audio::LinuxAudioLibrary later;
    HeadsetAudio laterAudio(later);
    EXPECT_EQ(laterAudio.start(HeadsetSystem{}), HeadsetAudio::Start::NoPlayback);

    seen = news.load();
    ASSERT_TRUE(server->addHeadsetSink());
    ASSERT_TRUE(test::waitFor([&] { return news.load() > seen; }));
    EXPECT_TRUE(audio.devicesChanged(HeadsetSystem{}));
    EXPECT_TRUE(audio.ready());
    EXPECT_TRUE(laterAudio.devicesChanged(HeadsetSystem{}));
    EXPECT_TRUE(laterAudio.ready());
    library.WatchDevices({});
}

INSTANTIATE_TEST_SUITE_P(Servers, LinuxAudioTest, ::testing::ValuesIn(test::kSoundServerKinds),
                         test::SoundServerTestName());

}  // namespace
}  // namespace halvern
