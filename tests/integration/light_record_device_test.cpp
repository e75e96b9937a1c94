// The mouse pad's and the headset's device objects against their emulated devices: the light record
// they keep and send.

#include "devices/light_record_device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "devices/emulated_audio_library.h"
#include "devices/headset_eq.h"
#include "devices/headset_led_reports.h"
#include "emulated_links.h"
#include "emulator/emulator.h"
#include "profile/hs6533_profiledata.h"
#include "temp_env.h"
#include "wait_for.h"

namespace halvern {
namespace {

using emu::Product;
using emu::Region;

class MousePadDeviceTest : public ::testing::TestWithParam<emu::Transport> {
protected:
    MousePadDeviceTest()
        : xdg("XDG_DATA_HOME", data.path().string()),
          emulator(emu::EmulatorOptions{GetParam(), {}, data.path() / "capture.txt"}) {}

    void SetUp() override {
        pad = emulator.attach(Product::MousePad);
        ASSERT_TRUE(pad);
        test::openOverEmulator(emulator, device, false);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(device.ConfigureFromTables(2, device.identity()));
        ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }).ok());
    }

    DeviceResult run(const std::function<void(CMerivexUSBDevice::Done)>& start) {
        return device.Await(start);
    }
    DeviceResult changeLight(const std::function<void(LightSetting&)>& edit) {
        LightSetting light = device.settings().light;
        edit(light);
        return run([&](auto done) { device.ChangeLight(light, done); });
    }
    DeviceResult write() {
        return run([&](auto done) { device.WriteSettings(0, 0, 1, 0, 0, done); });
    }
    std::vector<uint8_t> deviceRecord() const {
        const auto region = pad->firmware().region(Region::Settings);
        return {region.begin(), region.begin() + light_record::kSize};
    }
    std::vector<std::string> captureLines() const {
        std::ifstream in(data.path() / "capture.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir data;
    test::ScopedEnv xdg;
    emu::Emulator emulator;
    std::shared_ptr<emu::VirtualDevice> pad;
    CMerivexMousePadDevice device{emulator};
};

TEST_P(MousePadDeviceTest, SendsItsStoredRecordWithModeValueAndInvertedSpeed) {
    ASSERT_FALSE(device.lightLists().values.empty());
    ASSERT_TRUE(changeLight([](LightSetting& l) {
                    l.mode = 12;  // past the device's modes: mode index 0's value
                    l.speed = 1;
                    l.red = 0x12;
                }).ok());
    const std::vector<uint8_t> record = deviceRecord();
    EXPECT_EQ(record[1], device.lightLists().values[0]);
    EXPECT_EQ(record[3], 3);
    EXPECT_EQ(record[6], 0x12);
    EXPECT_EQ(device.profile().GetLightInfo().mode, 12);

    // Writing again without the profile applied in between sends the very same exchange.
    const size_t first = captureLines().size();
    ASSERT_TRUE(write().ok());
    const size_t second = captureLines().size();
    ASSERT_TRUE(write().ok());
    const std::vector<std::string> lines = captureLines();
    ASSERT_EQ(lines.size() - second, second - first);
    EXPECT_TRUE(std::equal(lines.begin() + static_cast<long>(first),
                           lines.begin() + static_cast<long>(second),
                           lines.begin() + static_cast<long>(second)));
}

TEST_P(MousePadDeviceTest, DirectionComesOnlyFromTheDevice) {
    const uint8_t direction = 3;
    ASSERT_TRUE(pad->firmware().poke(Region::Settings, 4, std::span(&direction, 1)));
    ASSERT_TRUE(run([&](auto done) { device.RefreshPage(done); }).ok());
    EXPECT_EQ(device.storedRecord()[4], direction);

    ASSERT_TRUE(changeLight([](LightSetting& l) { l.direction = 1, l.brightness = 2; }).ok());
    ASSERT_TRUE(device.LoadProfile());
    ASSERT_TRUE(write().ok());
    const std::vector<uint8_t> record = deviceRecord();
    EXPECT_EQ(record[4], direction);
    EXPECT_EQ(record[2], 2);
}

TEST_P(MousePadDeviceTest, ResyncsHalfASecondAfterTheDeviceSaysSo) {
    test::TimerRequests timers;
    device.SetEvents(timers.events());
    device.HandleNotification(0x1012, true);  // a keyed device's record change: not the pad's
    device.HandleNotification(0x0401, true);
    ASSERT_TRUE(timers.waitForCount(1));
    EXPECT_EQ(timers.taken(), (std::vector<std::pair<int, int>>{{1002, 500}}));
}

INSTANTIATE_TEST_SUITE_P(Links, MousePadDeviceTest,
                         ::testing::Values(emu::Transport::InProcess, emu::Transport::SocketPair),
                         [](const ::testing::TestParamInfo<emu::Transport>& link) {
                             return link.param == emu::Transport::InProcess ? "InProcess" : "SocketPair";
                         });

// The LED reports a frame makes: where each LED's channels land and how they are scaled.
TEST(HeadsetLedReports, PlacesEachChannelAndCapsTheScaledValues) {
    LedFrame frame(headset_leds::kLedCount);
    for (size_t i = 0; i < headset_leds::kLedCount; ++i)
        frame.set(i, Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(16 + i), static_cast<uint8_t>(32 + i)},
                  255);
    frame.set(0, Rgb{255, 255, 255}, 255);
    std::array<uint8_t, headset_leds::kFrameSize> out{};
    ASSERT_EQ(headset_leds::BuildReports(frame, out), out.size());
    const auto report = [&](size_t n) { return std::span(out).subspan(n * headset_leds::kReportSize, 17); };
    const auto scaled = [](int v) { return static_cast<uint8_t>(v * 255 / 256); };

    const std::array<std::pair<uint8_t, uint8_t>, 12> order{{{0x22, 0xAA},
                                                             {0x22, 0xAD},
                                                             {0x44, 0xAA},
                                                             {0x44, 0xAD},
                                                             {0x22, 0xAB},
                                                             {0x22, 0xAE},
                                                             {0x44, 0xAB},
                                                             {0x44, 0xAE},
                                                             {0x22, 0xAC},
                                                             {0x22, 0xAF},
                                                             {0x44, 0xAC},
                                                             {0x44, 0xAF}}};
    for (size_t n = 0; n < order.size(); ++n) {
        EXPECT_EQ(report(n)[0], 0xFF);
        EXPECT_EQ(std::pair(report(n)[1], report(n)[2]), order[n]) << n;
    }
    // Full white at full level is sent as 247 on every channel.
    EXPECT_EQ(report(0)[4], 247);
    EXPECT_EQ(report(4)[4], 247);
    EXPECT_EQ(report(8)[4], 247);
    // LED 12's blue is byte 9 of the 0xAF report; its byte 10 repeats LED 6's blue.
    EXPECT_EQ(report(11)[9], scaled(32 + 12));
    EXPECT_EQ(report(11)[10], scaled(32 + 6));
    EXPECT_EQ(report(11)[4], scaled(32 + 7));
    EXPECT_EQ(report(1)[10], scaled(6));
    EXPECT_EQ(report(11)[11], 0);

    std::array<uint8_t, headset_leds::kFrameSize - 1> tooShort{};
    EXPECT_EQ(headset_leds::BuildReports(frame, tooShort), 0u);
}

// The headset sends its frames whatever its light mode, and writes its record as the pad does.
TEST(HeadsetDevice, SendsTwelveLedReportsPerFrameAndItsRecord) {
    test::TempDir data;
    test::ScopedEnv xdg("XDG_DATA_HOME", data.path().string());
    emu::Emulator emulator(emu::EmulatorOptions{emu::Transport::InProcess, {}, {}});
    const auto headset = emulator.attach(Product::Headset);
    ASSERT_TRUE(headset);
    CMerivexHS6533Device device(emulator);
    test::openOverEmulator(emulator, device, false);
    ASSERT_TRUE(device.ConfigureFromTables(3, device.identity()));
    ASSERT_TRUE(device.Await([&](auto done) { device.ActivatePage(done); }).ok());

    ASSERT_TRUE(test::waitFor([&] { return headset->firmware().ledReportCount() >= 12; }));
    const auto reports = headset->firmware().ledReports();
    EXPECT_EQ(reports[0][2], 0xAA);
    EXPECT_EQ(reports[11][2], 0xAF);

    LightSetting light = device.settings().light;
    light.mode = 12;
    ASSERT_TRUE(device.Await([&](auto done) { device.ChangeLight(light, done); }).ok());
    EXPECT_EQ(headset->firmware().region(Region::Settings)[1], device.lightLists().values.at(0));
}

// Taking part in synchronised lighting, the headset's LED reports carry the shared animation's colours
// (painted into its LED frame), not its own effect's; leaving it, its own effect comes back.
TEST(HeadsetDevice, SynchronisedItsLedReportsCarryTheSharedColours) {
    test::TempDir data;
    test::ScopedEnv xdg("XDG_DATA_HOME", data.path().string());
    emu::Emulator emulator(emu::EmulatorOptions{emu::Transport::InProcess, {}, {}});
    const auto headset = emulator.attach(Product::Headset);
    ASSERT_TRUE(headset);
    CMerivexHS6533Device device(emulator);
    test::openOverEmulator(emulator, device, false);
    ASSERT_TRUE(device.ConfigureFromTables(3, device.identity()));
    ASSERT_TRUE(device.Await([&](auto done) { device.ActivatePage(done); }).ok());
    device.SetLightControl(true);
    LightSetting light = device.settings().light;
    light.mode = 3;  // static
    light.brightness = 4;
    light.red = 0xFF, light.green = 0, light.blue = 0;
    ASSERT_TRUE(device.Await([&](auto done) { device.ChangeLight(light, done); }).ok());

    // Byte 4 (LED 0) of the newest report for a register of controller 0x22.
    const auto newest = [&](uint8_t reg) {
        const auto reports = headset->firmware().ledReports();
        for (auto it = reports.rbegin(); it != reports.rend(); ++it) {
            if ((*it)[1] == 0x22 && (*it)[2] == reg) return static_cast<int>((*it)[4]);
        }
        return -1;
    };
    ASSERT_TRUE(test::waitFor([&] { return newest(0xAA) == 247 && newest(0xAB) == 0; })) << "red, its own";

    device.commandChannel().setLightSync(true);
    for (int led = 0; led < device.ledCount(); ++led) device.SetLedColour(led, 0xFF00FF00);  // green, full
    EXPECT_TRUE(test::waitFor([&] { return newest(0xAA) == 0 && newest(0xAB) == 247; }))
        << "red " << newest(0xAA) << ", green " << newest(0xAB);

    device.commandChannel().setLightSync(false);
    light.red = 0x80;
    ASSERT_TRUE(device.Await([&](auto done) { device.ChangeLight(light, done); }).ok());
    EXPECT_TRUE(test::waitFor([&] { return newest(0xAA) == 0x7F && newest(0xAB) == 0; }));
}

// A frame sent by hand right after the page opened shows the light: the engine has drawn nothing yet then
// (at speed 0 its first step falls some 16 ms after the start).
TEST(HeadsetDevice, OneFrameSentRightAfterOpeningCarriesTheLight) {
    test::TempDir data;
    test::ScopedEnv xdg("XDG_DATA_HOME", data.path().string());
    emu::Emulator emulator(emu::EmulatorOptions{emu::Transport::InProcess, {}, {}});
    const auto headset = emulator.attach(Product::Headset);
    ASSERT_TRUE(headset);
    const auto open = [&](CMerivexHS6533Device& device) {
        test::openOverEmulator(emulator, device, false);
        ASSERT_TRUE(device.ConfigureFromTables(3, device.identity()));
        device.SetLightControl(false);  // only the frame sent by hand
        ASSERT_TRUE(device.Await([&](auto done) { device.ActivatePage(done); }).ok());
    };
    {
        CMerivexHS6533Device device(emulator);
        open(device);
        LightSetting light = device.settings().light;
        light.mode = 3;  // static
        light.brightness = 4;
        light.speed = 0;
        light.red = 0xFF, light.green = 0, light.blue = 0;
        ASSERT_TRUE(device.Await([&](auto done) { device.ChangeLight(light, done); }).ok());
    }
    CMerivexHS6533Device device(emulator);
    open(device);
    if (HasFatalFailure()) return;
    const unsigned before = headset->firmware().ledReportCount();
    ASSERT_TRUE(device.Await([&](auto done) { device.SendFrameOnce(done); }).ok());
    ASSERT_EQ(headset->firmware().ledReportCount() - before, 12u);
    const auto reports = headset->firmware().ledReports();
    const auto frame = std::span(reports).last(12);
    EXPECT_EQ(frame[0][4], 247) << "red of LED 0";
    EXPECT_EQ(frame[4][4], 0) << "green of LED 0";
}

// The headset's sound settings over the emulated sound library.
class HeadsetAudioTest : public ::testing::Test {
protected:
    HeadsetAudioTest() : xdg("XDG_DATA_HOME", data.path().string()) {}

    void open(audio::EmulatedAudioLibrary::Faults faults = {}) {
        ASSERT_TRUE(emulator.attach(Product::Headset));
        test::openOverEmulator(emulator, device, false);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(device.ConfigureFromTables(3, device.identity()));
        auto owned =
            audio::EmulatedAudioLibrary::Headset([this](std::string_view line) { lines.emplace_back(line); });
        library = owned.get();
        library->setFaults(std::move(faults));
        device.SetAudioLibrary(std::move(owned));
        ASSERT_TRUE(device.Await([&](auto done) { device.ActivatePage(done); }).ok());
    }
    bool written(std::string_view line) const { return std::ranges::find(lines, line) != lines.end(); }
    /// Runs the answers that arrived, then waits for the jobs they submitted (the queue keeps their order).
    void settle() {
        device.RunCompletions();
        ASSERT_TRUE(device
                        .Await([&](auto done) {
                            device.queue().submit([](CommandChannel&) { return DeviceResult{}; }, done);
                        })
                        .ok());
    }
    /// A sound edit, waited for: whether the headset took it.
    bool edit(const std::function<void(CMerivexUSBDevice::Done)>& start) { return device.Await(start).ok(); }

    test::TempDir data;
    test::ScopedEnv xdg;
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, {}, {}}};
    CMerivexHS6533Device device{emulator};
    audio::EmulatedAudioLibrary* library = nullptr;
    std::vector<std::string> lines;
};

TEST_F(HeadsetAudioTest, StartBringsMissingPropertiesToZeroAndReadsTheMicrophone) {
    open();
    ASSERT_EQ(device.audioStart(), HeadsetAudio::Start::Ready);
    EXPECT_TRUE(written("AUDIO P read VirtualSurroundEffectControl 4 failed"));
    EXPECT_TRUE(written("AUDIO P write VirtualSurroundEffectControl 4 0"));
    // Levels the library does not hold get the profile's, not silence.
    EXPECT_TRUE(written("AUDIO R write VolumeScalarControl -1 0.8"));
    EXPECT_TRUE(written("AUDIO R write AAVolumeScalarControl 0 0.5"));
    EXPECT_EQ(device.audioSettings().micMonitorValue, 50);
    EXPECT_EQ(device.audioSettings().micInSelect, 1) << "not muted";

    ASSERT_TRUE(edit([&](auto done) { device.SetMicrophoneLevel(64, done); }));
    const auto recording = audio::ChooseDevices(*library).recording;
    ASSERT_TRUE(recording);
    EXPECT_EQ(library->stored(*recording, "VolumeScalarControl", -1), "0.64");
    EXPECT_EQ(device.audioSettings().micInValue, 64);
}

TEST_F(HeadsetAudioTest, RefusedWritesLeaveTheProfile) {
    open({.failingWrites = {"MuteControl"}});
    const HeadsetSystem before = device.audioSettings();
    EXPECT_FALSE(edit([&](auto done) { device.SetMicrophone(false, done); }));
    EXPECT_FALSE(edit([&](auto done) { device.SetMagicVoiceType(5, done); }));
    EXPECT_EQ(device.audioSettings(), before);
    EXPECT_TRUE(edit([&](auto done) { device.SetMonitor(false, done); }));
    EXPECT_EQ(device.audioSettings().micMonitorSelect, 0);
}

// Every preset's bands reach the library; a band moved under a preset makes the EQ custom with no entry.
TEST_F(HeadsetAudioTest, PresetsReachTheLibraryAndABandMoveMakesTheEqCustom) {
    open();
    const auto playback = audio::ChooseDevices(*library).playback;
    ASSERT_TRUE(playback);
    for (int type = 1; type <= headset_eq::kPresetCount; ++type) {
        ASSERT_TRUE(edit([&](auto done) { device.SelectEqPreset(type, done); }));
        for (size_t band = 0; band < HeadsetAudio::kEqBands; ++band) {
            EXPECT_EQ(library->stored(*playback, "EQ_Slider" + std::to_string(band + 1)),
                      std::to_string(headset_eq::PresetBands(type)[band]))
                << "preset " << type << " band " << band;
        }
    }
    EXPECT_TRUE(written("AUDIO P write EQ_Slider3 -13")) << "preset 6's third band, as a capture line";
    ASSERT_TRUE(device.SaveCustomEq("Mine") == CMerivexHS6533Device::kEqSaved);
    ASSERT_TRUE(edit([&](auto done) { device.ChooseCustomEq(0, done); }));
    ASSERT_TRUE(edit([&](auto done) { device.SelectEqPreset(2, done); }));

    ASSERT_TRUE(edit([&](auto done) { device.MoveEqBand(4, 9, done); }));
    EXPECT_EQ(device.audioSettings().eqType, headset_eq::kCustomType);
    EXPECT_FALSE(device.chosenCustomEq()) << "no saved entry is chosen";
    EXPECT_EQ(library->stored(*playback, "EQ_Slider5"), "9");
    EXPECT_EQ(device.eqBands()[4], 9);
}

TEST_F(HeadsetAudioTest, CustomEqSaveRefusalsAndDeletingTheLastGoesBackToPreset1) {
    open();
    ASSERT_TRUE(edit([&](auto done) { device.SelectCustomEq(done); }));
    EXPECT_EQ(device.SaveCustomEq("  "), CMerivexHS6533Device::kEqRefused) << "no name, none chosen";
    ASSERT_TRUE(edit([&](auto done) { device.MoveEqBand(0, 3, done); }));
    ASSERT_EQ(device.SaveCustomEq("Rock"), CMerivexHS6533Device::kEqSaved);
    EXPECT_EQ(device.SaveCustomEq("rOCK"), CMerivexHS6533Device::kEqNameExists);
    for (int i = 1; i < headset_eq::kMaxCustomEqs; ++i)
        ASSERT_EQ(device.SaveCustomEq("eq" + std::to_string(i)), CMerivexHS6533Device::kEqSaved);
    EXPECT_EQ(device.SaveCustomEq("one too many"), CMerivexHS6533Device::kEqRefused);

    // Deleting an entry keeps the later ones' bands with their names.
    ASSERT_TRUE(edit([&](auto done) { device.MoveEqBand(0, -7, done); }));
    ASSERT_EQ(device.SaveCustomEq(""), CMerivexHS6533Device::kEqSaved) << "over the chosen eq19";
    for (int i = 0; i < headset_eq::kMaxCustomEqs - 1; ++i)
        ASSERT_TRUE(edit([&](auto done) { device.DeleteCustomEq(0, done); }));
    EXPECT_EQ(device.customEqNames(), std::vector<std::string>{"eq19"});
    EXPECT_EQ(device.eqBands()[0], -7) << "the first one left plays";

    ASSERT_TRUE(edit([&](auto done) { device.DeleteCustomEq(0, done); }));
    EXPECT_TRUE(device.customEqNames().empty());
    EXPECT_EQ(device.audioSettings().eqType, 1);
    EXPECT_EQ(device.eqBands(), headset_eq::PresetBands(1));
}

TEST_F(HeadsetAudioTest, ARefusedBandLeavesEqualiserAndProfileAndUnavailableFeaturesAreKnown) {
    open({.failingWrites = {"EQ_Slider4"}, .unavailable = {"Enable_MAGICVOICE"}});
    const auto playback = audio::ChooseDevices(*library).playback;
    ASSERT_TRUE(playback);
    const HeadsetSystem before = device.audioSettings();
    const HeadsetAudio::Bands bands = device.eqBands();
    EXPECT_FALSE(edit([&](auto done) { device.SelectEqPreset(2, done); }));
    EXPECT_EQ(device.audioSettings(), before);
    EXPECT_EQ(device.eqBands(), bands);
    EXPECT_EQ(library->stored(*playback, "EQ_Slider1"), std::to_string(bands[0])) << "set back";
    EXPECT_FALSE(edit([&](auto done) { device.MoveEqBand(3, 1, done); }));
    EXPECT_EQ(device.audioSettings(), before);

    EXPECT_FALSE(device.audioAvailable(HeadsetAudio::Feature::MagicVoice));
    EXPECT_TRUE(device.audioAvailable(HeadsetAudio::Feature::Equaliser));
    EXPECT_FALSE(edit([&](auto done) { device.SetMagicVoice(true, done); }));
}

// The library counts voices from 0; the voice changer turns the microphone echo off. A profile's custom
// EQs are outside input: bands are held to the sliders' range, and a list already over 20 takes no name.
TEST_F(HeadsetAudioTest, VoicesAreWrittenAsTheLibraryCountsAndProfileEqsAreHeldToTheirRange) {
    open();
    ASSERT_TRUE(edit([&](auto done) { device.SetMagicVoiceType(3, done); }));
    EXPECT_TRUE(written("AUDIO R write MagicVoice_Selection 2"));
    ASSERT_TRUE(edit([&](auto done) { device.SetMagicVoice(true, done); }));
    EXPECT_TRUE(written("AUDIO R write Enable_MICECHO 0"));

    auto& profile = static_cast<CHs6533Profiledata&>(device.profile());
    profile.SetCustomEqNames(std::vector<std::string>(25, "from a file"));
    profile.SetCustomEqValues(0, {999, -999, 3});
    ASSERT_TRUE(edit([&](auto done) { device.ChooseCustomEq(0, done); }));
    EXPECT_EQ(device.eqBands()[0], headset_eq::kBandMax);
    EXPECT_EQ(device.eqBands()[1], headset_eq::kBandMin);
    EXPECT_TRUE(written("AUDIO P write EQ_Slider1 20"));
    EXPECT_EQ(device.SaveCustomEq("one more"), CMerivexHS6533Device::kEqRefused);
    EXPECT_FALSE(edit([&](auto done) { device.ChooseCustomEq(25, done); }));
    EXPECT_FALSE(edit([&](auto done) { device.DeleteCustomEq(-1, done); }));
}

// Noise suppression and surround go through the device's queue and show what the library took; a refusal
// changes nothing, and "not available" marks the feature so.
TEST_F(HeadsetAudioTest, SoundSwitchesShowWhatTheLibraryTook) {
    open({.failingWrites = {"Enable_ENC_LFX"}, .unavailable = {"VirtualSurroundEffectControl"}});
    ASSERT_TRUE(device.audioAvailable(HeadsetAudio::Feature::NoiseSuppression));
    EXPECT_FALSE(device.Await([&](auto done) { device.SetNoiseSuppression(true, done); }).ok());
    EXPECT_TRUE(written("AUDIO R write Enable_ENC_LFX failed"));
    EXPECT_NE(device.noiseSuppression(), std::optional(true));
    EXPECT_FALSE(device.Await([&](auto done) { device.SetSurround(true, done); }).ok());
    EXPECT_FALSE(device.audioAvailable(HeadsetAudio::Feature::Surround));
    EXPECT_FALSE(device.surround().has_value()) << "unknown, not off";

    library->setFaults({});
    ASSERT_TRUE(device.Await([&](auto done) { device.SetNoiseSuppression(true, done); }).ok());
    EXPECT_TRUE(written("AUDIO R write Enable_ENC_LFX 1"));
    EXPECT_EQ(device.noiseSuppression(), std::optional(true));
}

// The defaults reach the library (the page shows nothing that does not act) and the user's EQs stay.
TEST_F(HeadsetAudioTest, RestoringTheDefaultsSetsTheirSoundAndKeepsTheCustomEqs) {
    open();
    ASSERT_TRUE(edit([&](auto done) { device.SetMicrophoneLevel(20, done); }));
    ASSERT_TRUE(edit([&](auto done) { device.MoveEqBand(0, 5, done); }));
    ASSERT_EQ(device.SaveCustomEq("Mine"), CMerivexHS6533Device::kEqSaved);
    ASSERT_TRUE(device.Await([&](auto done) { device.RestoreDefaults(done); }).ok());
    EXPECT_EQ(device.audioSettings().micInValue, 80) << "the default file's level";
    EXPECT_TRUE(written("AUDIO R write VolumeScalarControl -1 0.8"));
    EXPECT_EQ(device.audioSettings().eqType, 1);
    EXPECT_EQ(device.eqBands(), headset_eq::PresetBands(1));
    EXPECT_EQ(device.customEqNames(), std::vector<std::string>{"Mine"});
    EXPECT_EQ(static_cast<CHs6533Profiledata&>(device.profile()).GetCustomEqValues(0).at(0), 5);
}

// A sound device that comes after the headset's HID interface brings the sound settings with it (its values
// into the profile); when it goes, the settings are refused again and the profile keeps what it had.
TEST_F(HeadsetAudioTest, TheSoundSettingsFollowTheSoundDeviceComingAndGoing) {
    open({.noPlayback = true});
    EXPECT_EQ(device.audioStart(), HeadsetAudio::Start::NoPlayback);
    EXPECT_FALSE(edit([&](auto done) { device.SetMicrophoneLevel(30, done); }));

    library->setFaults({});  // the sound device appears
    settle();
    EXPECT_EQ(device.audioStart(), HeadsetAudio::Start::Ready);
    EXPECT_TRUE(written("AUDIO R write AAVolumeScalarControl 0 0.5")) << "started with the profile's levels";
    ASSERT_TRUE(edit([&](auto done) { device.SetMicrophoneLevel(30, done); }));
    EXPECT_EQ(device.audioSettings().micInValue, 30);

    library->setFaults({.noPlayback = true});  // and goes
    settle();
    EXPECT_FALSE(device.audioReady());
    EXPECT_FALSE(edit([&](auto done) { device.SetMicrophoneLevel(40, done); }));
    EXPECT_EQ(device.audioSettings().micInValue, 30);
}

// The library is called on the device's queue: while it does not answer, the edits made return and change
// nothing; once it answers they are taken in the order they were made, and a refused one in between
// changes nothing.
TEST_F(HeadsetAudioTest, EditsWaitForTheLibraryOffThisThreadAndAreTakenInOrder) {
    open({.failingWrites = {"AAMuteControl"}});
    const HeadsetSystem before = device.audioSettings();
    const HeadsetAudio::Bands bandsBefore = device.eqBands();
    std::vector<std::pair<std::string, DeviceResult>> answers;
    const auto answer = [&answers](const std::string& what) {
        return [&answers, what](DeviceResult result) { answers.emplace_back(what, result); };
    };
    library->holdCalls(true);
    device.SelectEqPreset(3, answer("preset"));
    device.SetMonitor(false, answer("monitor"));
    device.MoveEqBand(0, 9, answer("band"));
    device.SetMicrophoneLevel(33, answer("level"));
    // The first edit's call waits in the library, and the others behind it on the queue.
    ASSERT_TRUE(test::waitFor([&] { return library->heldCalls() == 1; }));
    device.RunCompletions();
    EXPECT_TRUE(answers.empty()) << "nothing answers while the library does not";
    EXPECT_EQ(device.audioSettings(), before);
    EXPECT_EQ(device.eqBands(), bandsBefore);

    library->holdCalls(false);
    ASSERT_TRUE(edit([&](auto done) { device.SetMicrophone(false, done); }));
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[0].first, "preset");
    EXPECT_TRUE(answers[0].second.ok());
    EXPECT_EQ(answers[1].first, "monitor");
    EXPECT_EQ(answers[1].second.code(), DeviceResult::kRefused);
    EXPECT_EQ(answers[2].first, "band");
    EXPECT_EQ(answers[3].first, "level");
    HeadsetAudio::Bands expected = headset_eq::PresetBands(3);
    expected[0] = 9;
    EXPECT_EQ(device.eqBands(), expected) << "the band moved after the preset";
    const HeadsetSystem after = device.audioSettings();
    EXPECT_EQ(after.eqType, headset_eq::kCustomType);
    EXPECT_EQ(after.micMonitorSelect, before.micMonitorSelect) << "refused";
    EXPECT_EQ(after.micInValue, 33);
    EXPECT_EQ(after.micInSelect, 0);
    const auto playback = audio::ChooseDevices(*library).playback;
    ASSERT_TRUE(playback);
    EXPECT_EQ(library->stored(*playback, "EQ_Slider1"), "9");
    EXPECT_EQ(library->stored(*playback, "EQ_Slider2"), std::to_string(expected[1]));
}

// A preset refused halfway while a band move made before it was still on its way: the library gets back the
// bands it played after the move, which the page shows, not those the page showed when the preset was chosen.
TEST_F(HeadsetAudioTest, AnEqRefusedBehindAnotherEqEditSetsBackWhatThatOneLeft) {
    open();
    library->setFaults({.failingWrites = {"EQ_Slider4"}});
    const HeadsetAudio::Bands before = device.eqBands();
    ASSERT_NE(headset_eq::PresetBands(2)[2], before[2]);
    std::optional<DeviceResult> moved;
    library->holdCalls(true);
    device.MoveEqBand(0, 9, [&moved](DeviceResult result) { moved = result; });
    ASSERT_TRUE(test::waitFor([&] { return library->heldCalls() == 1; }));
    const DeviceResult preset = device.Await([&](auto done) {
        device.SelectEqPreset(2, done);
        library->holdCalls(false);
    });
    ASSERT_TRUE(moved && moved->ok());
    EXPECT_EQ(preset.code(), DeviceResult::kRefused);
    HeadsetAudio::Bands expected = before;
    expected[0] = 9;
    EXPECT_EQ(device.eqBands(), expected);
    const auto playback = audio::ChooseDevices(*library).playback;
    ASSERT_TRUE(playback);
    EXPECT_EQ(library->stored(*playback, "EQ_Slider1"), "9");
    EXPECT_EQ(library->stored(*playback, "EQ_Slider3"), std::to_string(before[2]));
}

TEST_F(HeadsetAudioTest, AFailedStartTouchesNoProperty) {
    open({.initFails = true});
    EXPECT_EQ(device.audioStart(), HeadsetAudio::Start::InitFailed);
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(edit([&](auto done) { device.SetMicrophoneLevel(10, done); }));
}

}  // namespace
}  // namespace halvern
