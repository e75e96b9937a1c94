// The headset's microphone and playback filters in a PulseAudio server of the test's own: the voice
// changer, noise suppression and virtual surround, heard through the server. The headset's microphone is
// fed from a sink the test plays into, so what a filter does can be measured.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/headset_audio.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "devices/linux_audio/surround_chain.h"
#include "private_sound_server.h"
#include "signal_measurement.h"
#include "wait_for.h"

namespace halvern {
namespace {

using audio::Access;
using audio::PropertyValue;
using test::commandOutput;
using test::PrivateSoundServer;
using Feature = HeadsetAudio::Feature;

constexpr const char* kFeed = "mic_feed";  // what the test plays is what the headset's microphone hears

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}
std::string defaultSource() {
    return trimmed(commandOutput("pactl get-default-source"));
}
std::string defaultSink() {
    return trimmed(commandOutput("pactl get-default-sink"));
}
int modulesNamed(const std::string& module) {
    const std::string list = commandOutput("pactl list short modules");
    int count = 0;
    for (size_t at = 0; (at = list.find(module + "\t", at)) != std::string::npos; ++at) ++count;
    return count;
}
// The argument of the only loaded `module`.
std::string argumentOf(const std::string& module) {
    const std::string list = commandOutput("pactl list short modules");
    const size_t at = list.find("\t" + module + "\t");
    if (at == std::string::npos) return "";
    const size_t from = at + module.size() + 2;
    return list.substr(from, list.find('\n', from) - from);
}
// Whether the default input becomes `name`: PipeWire's session manager takes a new default a moment after
// the call that asked for it.
bool defaultSourceBecomes(const std::string& name) {
    return test::waitFor([&] { return defaultSource() == name; }, std::chrono::seconds(5));
}
bool defaultSinkBecomes(const std::string& name) {
    return test::waitFor([&] { return defaultSink() == name; }, std::chrono::seconds(5));
}
bool surroundSinkShown() {
    return commandOutput("pactl list short sinks").find("\thalvern_headset_surround\t") != std::string::npos;
}
// Whether the surround's sink goes (a chain's process ends a moment after it was asked to).
bool surroundSinkGoes() {
    return test::waitFor([] { return !surroundSinkShown(); }, std::chrono::seconds(5));
}
// The process of PipeWire's surround chain: its sink's properties name the file it runs.
std::optional<pid_t> surroundChain() {
    const std::string sinks = commandOutput("pactl list sinks");
    const std::string key = "halvern.chain = \"";
    const size_t at = sinks.find(key);
    if (at == std::string::npos) return std::nullopt;
    const size_t from = at + key.size();
    return audio::surroundChainProcess(sinks.substr(from, sinks.find('"', from) - from));
}
// The voice changer's source once a change of voice has settled: one chain left, and the default input is
// its source. Empty, and the test fails, when the default input stayed elsewhere: programs recording the
// default input would hear the microphone unchanged (on PipeWire a default asked for before the session
// manager listed the new source fell back to the plain microphone once the old chain went).
std::string settledVoiceSource() {
    std::string source;
    const bool settled = test::waitFor(
        [&] {
            source = defaultSource();
            return modulesNamed("module-ladspa-sink") == 1 && source.starts_with("halvern_headset_voice_") &&
                   commandOutput("pactl list short sources").find("\t" + source + "\t") != std::string::npos;
        },
        std::chrono::seconds(5));
    EXPECT_TRUE(settled) << "the default input is " << source << ", not the voice changer's source";
    return settled ? source : std::string();
}

// The median onset, in ms, of a tone burst (a fifth of a second of silence, then a tenth of a second of
// 1 kHz) played into `sink` and recorded from `source`, three times; NaN when it was never heard.
double medianOnsetMs(const std::string& sink, const std::string& source, uint8_t channels) {
    std::vector<float> burst(test::kSignalRate / 5, 0.0f);
    const std::vector<float> tone = test::sine(1000, 0.1, 0.5f);
    burst.insert(burst.end(), tone.begin(), tone.end());
    burst.resize(burst.size() + test::kSignalRate / 2, 0.0f);
    std::vector<double> onsets;
    for (int run = 0; run < 3; ++run) {
        std::vector<float> played = burst;
        if (channels == 2) {
            played.assign(burst.size() * 2, 0.0f);
            for (size_t i = 0; i < burst.size(); ++i) played[2 * i] = played[2 * i + 1] = burst[i];
        }
        std::string error;
        const auto heard = test::playAndRecord(sink, source, played, 1.0, error, channels, 1);
        const auto at = heard ? test::onset(*heard) : std::nullopt;
        if (at) onsets.push_back(1000.0 * double(*at) / test::kSignalRate);
    }
    if (onsets.empty()) return std::nan("");
    std::sort(onsets.begin(), onsets.end());
    return onsets[onsets.size() / 2];
}

class SoundFiltersTest : public ::testing::TestWithParam<test::SoundServerKind> {
protected:
    static void TearDownTestSuite() { PrivateSoundServer::stopShared(); }

    void SetUp() override {
        server = &PrivateSoundServer::shared(GetParam());
        if (!server->running()) GTEST_SKIP() << server->whyNot();
        server->select();
        // The headset's microphone becomes a remapping of the feed sink's monitor (once per server).
        if (commandOutput("pactl list short sinks").find(std::string("\t") + kFeed + "\t") ==
            std::string::npos) {
            const std::string modules = commandOutput("pactl list short modules");
            // PulseAudio's is a remapped null source, PipeWire's a virtual source made by a null sink.
            const size_t at = modules.find("_name=headset_mic ");
            const size_t line = at == std::string::npos ? std::string::npos : modules.rfind('\n', at);
            const std::string index = at == std::string::npos
                                          ? std::string()
                                          : modules.substr(line == std::string::npos ? 0 : line + 1,
                                                           modules.find('\t', line + 1) - line - 1);
            ASSERT_FALSE(index.empty()) << "the headset's source was not found among\n" << modules;
            commandOutput("pactl unload-module " + index);
            commandOutput(std::string("pactl load-module module-null-sink sink_name=") + kFeed +
                          " channels=1");
            commandOutput(std::string("pactl load-module module-remap-source master=") + kFeed +
                          ".monitor source_name=headset_mic \"source_properties='device.vendor.id=0c76 "
                          "device.product.id=1630 device.description=HeadsetMic'\"");
        }
        commandOutput("pactl set-default-source headset_mic");
        commandOutput("pactl set-default-sink headset");
        // PipeWire's session manager names a new default a moment later: the filters follow the default
        // only from the headset's own devices, so they start once the server names those.
        ASSERT_TRUE(defaultSourceBecomes("headset_mic")) << defaultSource();
        ASSERT_TRUE(defaultSinkBecomes("headset")) << defaultSink();
        ASSERT_EQ(audio.start(HeadsetSystem{}), HeadsetAudio::Start::Ready);
    }
    void TearDown() override {
        if (server == nullptr || !server->running()) return;
        (void)audio.setMagicVoice(false);
        (void)audio.setNoiseSuppression(false);
        (void)audio.setSurround(false);
    }

    int writeRecording(std::wstring_view name, int32_t number) {
        PropertyValue value;
        value.setInteger(number);
        return library.PropertyControl(*audio.devices().recording, name, value, {}, Access::Write);
    }

    // `seconds` of `signal` through the microphone, recorded from `source`; the last `tail` seconds.
    static std::vector<float> throughMicrophone(const std::string& source, const std::vector<float>& signal,
                                                double tail) {
        std::string error;
        const double seconds = double(signal.size()) / test::kSignalRate;
        const auto recorded = test::playAndRecord(kFeed, source, signal, seconds, error);
        EXPECT_TRUE(recorded) << error;
        if (!recorded) return {};
        const auto keep = std::min(recorded->size(), static_cast<size_t>(tail * test::kSignalRate));
        return {recorded->end() - static_cast<std::ptrdiff_t>(keep) - test::kSignalRate / 10,
                recorded->end() - test::kSignalRate / 10};
    }

    [[nodiscard]] bool pipeWire() const { return GetParam() == test::SoundServerKind::PipeWire; }

    PrivateSoundServer* server = nullptr;
    audio::LinuxAudioLibrary library;
    HeadsetAudio audio{library};
};

TEST_P(SoundFiltersTest, TheFiltersAreOfferedAndOffUntilAskedFor) {
    EXPECT_TRUE(audio.available(Feature::MagicVoice));
    EXPECT_TRUE(audio.available(Feature::Surround));
    EXPECT_TRUE(audio.available(Feature::NoiseSuppression));
    ASSERT_TRUE(audio.features()[1].has_value());
    EXPECT_EQ(*audio.features()[1], (std::array<int32_t, 3>{1, 1, 1}));
    const HeadsetAudio::Reading reading = audio.read();
    EXPECT_EQ(reading.magicEnable, 0);
    EXPECT_EQ(reading.noiseSuppression, false);
    EXPECT_EQ(reading.surround, std::optional(false));
    for (const char* module : {"module-echo-cancel", "module-virtual-surround-sink", "module-loopback"})
        EXPECT_EQ(modulesNamed(module), 0) << module;
    EXPECT_FALSE(surroundSinkShown());
    // There is no microphone echo to switch on; off is what the voice changer asks for.
    EXPECT_EQ(writeRecording(L"Enable_MICECHO", 0), 0);
    EXPECT_EQ(writeRecording(L"Enable_MICECHO", 1), audio::kPropertyNotAvailable);
    EXPECT_EQ(writeRecording(L"MagicVoice_Selection", 4), -1);
}

// Each voice moves a tone by its interval; the programs recording from the headset's microphone and the
// default input follow the voice changer; the microphone's mute still silences it.
TEST_P(SoundFiltersTest, TheVoicesShiftThePitchOfWhatTheMicrophoneHears) {
    ASSERT_TRUE(audio.setMagicVoice(true));
    EXPECT_TRUE(defaultSourceBecomes("halvern_headset_voice_1")) << defaultSource();
    constexpr double kTone = 300.0;
    const std::array<double, 4> kRatios{std::pow(2.0, -5.0 / 12), 0.5, std::pow(2.0, 4.0 / 12), 2.0};
    for (int type = 1; type <= 4; ++type) {
        ASSERT_TRUE(audio.setMagicVoiceType(type));
        // Recorded from the default input, as a program that records the microphone does.
        const std::string source = settledVoiceSource();
        ASSERT_FALSE(source.empty()) << "voice " << type;
        const auto heard = throughMicrophone(source, test::sine(kTone, 2.0, 0.3f), 1.0);
        ASSERT_FALSE(heard.empty());
        const double pitch = test::dominantFrequency(heard, 60, 2000);
        std::printf("voice %d: %.0f Hz in, %.1f Hz out (%+.2f semitones; %+.2f asked)\n", type, kTone, pitch,
                    12 * std::log2(pitch / kTone), 12 * std::log2(kRatios[type - 1]));
        EXPECT_NEAR(pitch / kTone, kRatios[type - 1], 0.03 * kRatios[type - 1]) << "voice " << type;
    }
    EXPECT_EQ(audio.read().magicType, 3) << "the library counts from 0";
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1) << "a change of voice leaves one chain";

    ASSERT_TRUE(audio.setMicrophoneOn(false));
    const auto muted = throughMicrophone(settledVoiceSource(), test::sine(kTone, 1.0, 0.3f), 0.5);
    EXPECT_LT(test::bandPower(muted, 20, 20000), -90)
        << "the microphone's mute acts before the voice changer";
    ASSERT_TRUE(audio.setMicrophoneOn(true));

    ASSERT_TRUE(audio.setMagicVoice(false));
    EXPECT_TRUE(defaultSourceBecomes("headset_mic")) << defaultSource();
    EXPECT_EQ(modulesNamed("module-ladspa-sink"), 0);
    EXPECT_EQ(modulesNamed("module-remap-source"), 1) << "only the test's own";
}

// White noise with a tone in bursts, as syllables come (a steady tone is noise to a suppressor): the
// noise goes down, the tone passes. The voice changer, when on, listens to
// the cleaned microphone, and follows it when noise suppression goes.
TEST_P(SoundFiltersTest, NoiseSuppressionTakesTheNoiseAndLeavesTheTone) {
    ASSERT_TRUE(audio.setNoiseSuppression(true));
    EXPECT_TRUE(defaultSourceBecomes("halvern_headset_clean")) << defaultSource();
    std::vector<float> signal = test::sine(1000, 5.0, 0.2f);
    constexpr size_t kSyllable = test::kSignalRate / 4;
    for (size_t i = 0; i < signal.size(); ++i) {
        if ((i / kSyllable) % 2 == 1) signal[i] = 0;
    }
    test::addNoise(signal, 0.05f);
    const auto clean = throughMicrophone("halvern_headset_clean", signal, 1.5);
    const auto raw = throughMicrophone("headset_mic", signal, 1.5);
    ASSERT_FALSE(clean.empty());
    ASSERT_FALSE(raw.empty());
    const auto noise = [](const std::vector<float>& s) {
        // Beside the tone, in the speech band.
        const double below = std::pow(10.0, test::bandPower(s, 300, 800) / 10);
        const double above = std::pow(10.0, test::bandPower(s, 1300, 3400) / 10);
        return 10 * std::log10(below + above);
    };
    const double noiseDrop = noise(raw) - noise(clean);
    const double toneChange = test::bandPower(clean, 980, 1020) - test::bandPower(raw, 980, 1020);
    std::printf("noise suppression: noise %.1f dB lower, tone %+.1f dB\n", noiseDrop, toneChange);
    EXPECT_GT(noiseDrop, 6.0);
    EXPECT_GT(toneChange, -6.0);

    ASSERT_TRUE(audio.setMagicVoice(true));
    EXPECT_NE(argumentOf("module-loopback").find("source=halvern_headset_clean "), std::string::npos);
    EXPECT_TRUE(defaultSourceBecomes("halvern_headset_voice_1")) << defaultSource();
    ASSERT_TRUE(audio.setNoiseSuppression(false));
    EXPECT_NE(argumentOf("module-loopback").find("source=headset_mic "), std::string::npos);
    EXPECT_TRUE(defaultSourceBecomes("halvern_headset_voice_2"))
        << defaultSource() << ": the voice changer moved over with its programs";
    EXPECT_EQ(modulesNamed("module-echo-cancel"), 0);
}

// A sound from the front left reaches both ears through the measured head: the right ear hears it, more
// quietly. The equaliser, when on, plays into the surround and follows it when it goes.
TEST_P(SoundFiltersTest, VirtualSurroundRendersASpeakerForBothEars) {
    ASSERT_TRUE(audio.setSurround(true));
    EXPECT_TRUE(surroundSinkShown());
    EXPECT_TRUE(defaultSinkBecomes("halvern_headset_surround")) << defaultSink();
    const std::vector<float> tone = test::sine(700, 1.5, 0.3f);
    std::vector<float> leftOnly(tone.size() * 2, 0.0f);
    for (size_t i = 0; i < tone.size(); ++i) leftOnly[2 * i] = tone[i];
    std::string error;
    const auto recorded = test::playAndRecord(defaultSink(), "headset.monitor", leftOnly, 1.5, error, 2, 2);
    ASSERT_TRUE(recorded) << error;
    const auto middle = [](std::vector<float> s) {
        return std::vector<float>(s.begin() + static_cast<std::ptrdiff_t>(s.size() / 3),
                                  s.end() - static_cast<std::ptrdiff_t>(s.size() / 6));
    };
    const double left = test::bandPower(middle(test::channel(*recorded, 2, 0)), 650, 750);
    const double right = test::bandPower(middle(test::channel(*recorded, 2, 1)), 650, 750);
    std::printf("virtual surround (%s), left speaker at 700 Hz: left ear %.1f dB, right ear %.1f dB\n",
                std::string(test::soundServerName(GetParam())).c_str(), left, right);
    EXPECT_GT(left, right + 1.0);
    EXPECT_GT(right, left - 30.0) << "the other ear hears it too";

    ASSERT_TRUE(audio.setEqualiser(HeadsetAudio::Bands{}, HeadsetAudio::Bands{}));
    EXPECT_NE(argumentOf("module-ladspa-sink").find("master=halvern_headset_surround "), std::string::npos);
    // The server may name the new default a moment after the filter loaded.
    EXPECT_TRUE(test::waitFor([] { return defaultSink().starts_with("halvern_headset_eq"); },
                              std::chrono::seconds(5)))
        << defaultSink();
    ASSERT_TRUE(audio.setSurround(false));
    EXPECT_NE(argumentOf("module-ladspa-sink").find("master=headset "), std::string::npos);
    EXPECT_EQ(modulesNamed("module-virtual-surround-sink"), 0);
    EXPECT_TRUE(surroundSinkGoes());
    PropertyValue off;
    off.setInteger(0);
    EXPECT_EQ(library.PropertyControl(*audio.devices().playback, L"Enable_EQ_GFX", off, {}, Access::Write),
              0);
    EXPECT_TRUE(defaultSinkBecomes("headset")) << defaultSink();
}

// The filters stay in the server when the program ends; the next start reads them as on and takes them
// over, with the voice that was chosen.
TEST_P(SoundFiltersTest, TheNextStartTakesTheFiltersOver) {
    ASSERT_TRUE(audio.setNoiseSuppression(true));
    ASSERT_TRUE(audio.setMagicVoiceType(2));
    ASSERT_TRUE(audio.setMagicVoice(true));
    ASSERT_TRUE(audio.setSurround(true));
    {
        audio::LinuxAudioLibrary later;
        HeadsetAudio laterAudio(later);
        HeadsetSystem user;
        user.magicType = 4;  // the server's own voice wins over the profile's
        ASSERT_EQ(laterAudio.start(user), HeadsetAudio::Start::Ready);
        const HeadsetAudio::Reading reading = laterAudio.read();
        EXPECT_EQ(reading.noiseSuppression, true);
        EXPECT_EQ(reading.surround, std::optional(true));
        EXPECT_EQ(reading.magicEnable, 1);
        EXPECT_EQ(reading.magicType, 1);
        EXPECT_EQ(modulesNamed("module-ladspa-sink"), 1);
        EXPECT_EQ(modulesNamed("module-echo-cancel"), 1);
        ASSERT_TRUE(laterAudio.setMagicVoice(false));
        ASSERT_TRUE(laterAudio.setNoiseSuppression(false));
        ASSERT_TRUE(laterAudio.setSurround(false));
    }
    EXPECT_TRUE(surroundSinkGoes());
    for (const char* module :
         {"module-echo-cancel", "module-virtual-surround-sink", "module-ladspa-sink", "module-loopback"})
        EXPECT_EQ(modulesNamed(module), 0) << module;
    EXPECT_EQ(modulesNamed("module-null-sink"), 3) << "the test's own three sinks";
    EXPECT_TRUE(defaultSourceBecomes("headset_mic")) << defaultSource();
    EXPECT_TRUE(defaultSinkBecomes("headset")) << defaultSink();
}

// PipeWire's surround is a process of ours: it goes when the program ends (the library goes), and the
// default output returns to the headset; one that ends behind our back reads as off. PulseAudio's is a
// module of the server and stays, like the other filters.
TEST_P(SoundFiltersTest, ASurroundThatEndsWithTheProgramGivesTheHeadsetBack) {
    {
        audio::LinuxAudioLibrary own;
        HeadsetAudio ownAudio(own);
        ASSERT_EQ(ownAudio.start(HeadsetSystem{}), HeadsetAudio::Start::Ready);
        ASSERT_TRUE(ownAudio.setSurround(true));
        EXPECT_TRUE(defaultSinkBecomes("halvern_headset_surround")) << defaultSink();
    }
    if (!pipeWire()) {
        EXPECT_TRUE(surroundSinkShown()) << "the server's module stays";
        audio::LinuxAudioLibrary later;
        HeadsetAudio laterAudio(later);
        ASSERT_EQ(laterAudio.start(HeadsetSystem{}), HeadsetAudio::Start::Ready);
        EXPECT_EQ(laterAudio.read().surround, std::optional(true));
        ASSERT_TRUE(laterAudio.setSurround(false));
        EXPECT_TRUE(defaultSinkBecomes("headset")) << defaultSink();
        return;
    }
    EXPECT_TRUE(surroundSinkGoes());
    EXPECT_TRUE(defaultSinkBecomes("headset")) << defaultSink();

    ASSERT_TRUE(audio.setSurround(true));
    const auto chain = surroundChain();
    ASSERT_TRUE(chain.has_value()) << "the chain's process was not found";
    ASSERT_EQ(::kill(*chain, SIGTERM), 0);
    ASSERT_TRUE(surroundSinkGoes());
    EXPECT_EQ(audio.read().surround, std::optional(false)) << "a chain that ended reads as off";
    ASSERT_TRUE(audio.setSurround(true)) << "and can be started again";
    ASSERT_TRUE(audio.setSurround(false));
}

// While the voice changer is off the server holds no voice: each start takes the profile's.
TEST_P(SoundFiltersTest, TheProfilesVoiceIsKeptWhileTheVoiceChangerIsOff) {
    audio::LinuxAudioLibrary later;
    HeadsetAudio laterAudio(later);
    HeadsetSystem user;
    user.magicType = 3;
    ASSERT_EQ(laterAudio.start(user), HeadsetAudio::Start::Ready);
    EXPECT_EQ(laterAudio.read().magicType, 2);
}

// What each filter costs, printed (never asserted: the figures depend on the machine): the latency it adds
// to a tone burst (median of three, against the same path without it) and the sound server's processor
// time while sound passes through it.
TEST_P(SoundFiltersTest, EachFiltersLatencyAndProcessorTimeArePrinted) {
    std::vector<int> processes = test::soundServerProcesses();
    ASSERT_FALSE(processes.empty()) << "the test's sound server processes were not found";
    // The server's processor time, in % of one core, while a tone plays into `sink` for two seconds.
    const auto load = [&](const std::string& sink, uint8_t channels) {
        const std::vector<float> mono = test::sine(440, 2.0, 0.3f);
        std::vector<float> played = mono;
        if (channels == 2) {
            played.assign(mono.size() * 2, 0.0f);
            for (size_t i = 0; i < mono.size(); ++i) played[2 * i] = played[2 * i + 1] = mono[i];
        }
        const double before = test::processorSeconds(processes);
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        const auto heard = test::playAndRecord(sink, "headset.monitor", played, 2.0, error, channels, 1);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return heard ? 100.0 * (test::processorSeconds(processes) - before) / wall : std::nan("");
    };
    const auto microphone = [&](const char* name, const std::function<bool(bool)>& set,
                                const std::string& source) {
        const double bare = medianOnsetMs(kFeed, "headset_mic", 1);
        const double bareLoad = load(kFeed, 1);
        ASSERT_TRUE(set(true));
        const double filtered = medianOnsetMs(kFeed, source, 1);
        const double filteredLoad = load(kFeed, 1);
        ASSERT_TRUE(set(false));
        std::printf(
            "%s: adds %.1f ms (%.1f ms against %.1f ms); server %.1f %% of a core (%.1f %% without)\n", name,
            filtered - bare, filtered, bare, filteredLoad, bareLoad);
        EXPECT_FALSE(std::isnan(filtered - bare)) << name << ": no onset found";
    };
    microphone(
        "voice changer (voice 1)", [this](bool on) { return audio.setMagicVoice(on); },
        "halvern_headset_voice_1");
    microphone(
        "noise suppression", [this](bool on) { return audio.setNoiseSuppression(on); },
        "halvern_headset_clean");

    const double bare = medianOnsetMs("headset", "headset.monitor", 2);
    const double bareLoad = load("headset", 2);
    ASSERT_TRUE(audio.setSurround(true));
    // On PipeWire the convolvers run in the chain's own process: counted with the server's.
    if (const auto chain = surroundChain()) processes.push_back(*chain);
    const double surround = medianOnsetMs("halvern_headset_surround", "headset.monitor", 2);
    const double surroundLoad = load("halvern_headset_surround", 2);
    std::printf(
        "virtual surround: adds %.1f ms (%.1f ms against %.1f ms); server %.1f %% of a core (%.1f %% "
        "without)\n",
        surround - bare, surround, bare, surroundLoad, bareLoad);
    EXPECT_FALSE(std::isnan(surround - bare)) << "virtual surround: no onset found";
}

// Where the voice changer's delay comes from, printed stage by stage against the bare microphone (never
// asserted, like the figures above): the chain's loopback alone into a sink, heard on its monitor; with a
// source remapped over that monitor (the chain without the pitch shifter); the whole chain, each voice.
TEST_P(SoundFiltersTest, TheVoiceChangersLatencyIsPrintedStageByStage) {
    // The test's own modules, unloaded however the test ends.
    struct Modules {
        std::vector<std::string> indexes;
        ~Modules() {
            for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
                commandOutput("pactl unload-module " + *it);
        }
        bool load(const std::string& arguments) {
            const std::string index = trimmed(commandOutput("pactl load-module " + arguments));
            if (index.empty() || !std::all_of(index.begin(), index.end(), ::isdigit)) return false;
            indexes.push_back(index);
            return true;
        }
    };
    const auto sourceListed = [](const std::string& name) {
        return test::waitFor(
            [&] {
                return commandOutput("pactl list short sources").find("\t" + name + "\t") !=
                       std::string::npos;
            },
            std::chrono::seconds(5));
    };
    const double bare = medianOnsetMs(kFeed, "headset_mic", 1);
    double loopback = std::nan("");
    double remapped = std::nan("");
    {
        Modules stages;
        ASSERT_TRUE(stages.load("module-null-sink sink_name=voice_stage_bus channels=1"));
        ASSERT_TRUE(stages.load(
            "module-loopback source=headset_mic sink=voice_stage_bus latency_msec=20 source_dont_move=true "
            "sink_dont_move=true"));
        ASSERT_TRUE(sourceListed("voice_stage_bus.monitor"));
        loopback = medianOnsetMs(kFeed, "voice_stage_bus.monitor", 1);
        ASSERT_TRUE(
            stages.load("module-remap-source master=voice_stage_bus.monitor source_name=voice_stage"));
        ASSERT_TRUE(sourceListed("voice_stage"));
        remapped = medianOnsetMs(kFeed, "voice_stage", 1);
    }
    std::printf(
        "voice changer stages (%s): bare microphone %.1f ms; loopback (20 ms asked) %+.1f ms; "
        "and the remapped bus monitor %+.1f ms\n",
        std::string(test::soundServerName(GetParam())).c_str(), bare, loopback - bare, remapped - bare);
    EXPECT_FALSE(std::isnan(loopback) || std::isnan(remapped)) << "a stage let no sound through";
    ASSERT_TRUE(audio.setMagicVoice(true));
    for (int type = 1; type <= 4; ++type) {
        ASSERT_TRUE(audio.setMagicVoiceType(type));
        const std::string source = settledVoiceSource();
        ASSERT_FALSE(source.empty());
        const double whole = medianOnsetMs(kFeed, source, 1);
        std::printf(
            "voice changer stages (%s): whole chain, voice %d %+.1f ms, so the pitch shifter %+.1f ms\n",
            std::string(test::soundServerName(GetParam())).c_str(), type, whole - bare, whole - remapped);
        EXPECT_FALSE(std::isnan(whole)) << "voice " << type << ": no onset found";
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundFiltersTest, ::testing::ValuesIn(test::kSoundServerKinds),
                         test::SoundServerTestName());

}  // namespace
}  // namespace halvern
