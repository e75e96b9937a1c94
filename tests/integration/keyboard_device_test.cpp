// The keyboard device object against the emulated keyboard: cable and receiver, in-process and over a
// socket pair.

#include "devices/keyboard_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>

#include "emulated_links.h"
#include "emulator/emulator.h"
#include "input/macro_store.h"
#include "temp_env.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;
using emu::Attachment;
using emu::Product;
using emu::Region;
using Keyboard = CMerivexKeyboardDevice;

class KeyboardDeviceTest : public ::testing::TestWithParam<test::Link> {
protected:
    KeyboardDeviceTest()
        : xdg("XDG_DATA_HOME", data.path().string()),
          emulator(emu::EmulatorOptions{GetParam().transport, {}, data.path() / "capture.txt"}) {}

    // Plugs the keyboard in, opens it the way the device list does and activates the page.
    void connect(const emu::DeviceConfig& config = {}) {
        keyboard = emulator.attach(Product::Keyboard, GetParam().attachment, config);
        ASSERT_TRUE(keyboard);
        test::openOverEmulator(emulator, device, viaReceiver());
        if (HasFatalFailure()) return;
        device.SetKindName("keyboard");
        device.SetKindId(0);
        device.SetLedCount(static_cast<int>(Keyboard::kKeyCount));
        ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
    }

    // Runs one of the device's operations to its end (the test owns the device).
    DeviceResult run(const std::function<void(CMerivexUSBDevice::Done)>& start) {
        return device.Await(start);
    }
    DeviceResult change(const std::function<void(KeyboardSettings&)>& edit) {
        return run([&](auto done) { device.ChangeSettings(edit, done); });
    }
    DeviceResult readState() {
        return run([&](auto done) { device.ReadDeviceState(done); });
    }

    bool viaReceiver() const { return GetParam().attachment == Attachment::Receiver; }

    // The requests an operation sends, in order (see test::requestCodes).
    std::vector<uint8_t> requestsOf(const std::function<void(CMerivexUSBDevice::Done)>& start) {
        const size_t mark = test::captureLines(capture());
        EXPECT_TRUE(run(start));
        return test::requestCodes(test::readCapture(capture(), mark));
    }
    std::filesystem::path capture() const { return data.path() / "capture.txt"; }

    std::vector<uint8_t> region(Region r, size_t from, size_t count) const {
        const auto bytes = keyboard->firmware().region(r);
        if (from + count > bytes.size()) return {};
        return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + count)};
    }

    test::TempDir data;
    test::ScopedEnv xdg;
    emu::Emulator emulator;
    std::shared_ptr<emu::VirtualDevice> keyboard;
    Keyboard device{emulator};
};

TEST_P(KeyboardDeviceTest, KeysAreMappedThroughTheKeyTableAndTheirLedsThroughTheLedTable) {
    connect();
    ASSERT_EQ(device.factoryTable().size(), 126u * 3);
    ASSERT_EQ(device.ledTable().size(), 126u);
    // The emulated keyboard scatters its keys over the slots, and gives each slot the LED of the key it
    // holds.
    const auto slots = device.keySlots();
    for (size_t key : {0u, 16u, 63u, 120u, 125u}) {
        ASSERT_NE(slots[key], Keyboard::kAbsentMarker) << key;
        const size_t at = size_t{slots[key]} * 3;
        EXPECT_TRUE(std::equal(Keyboard::kKeyCodes[key].begin(), Keyboard::kKeyCodes[key].end(),
                               device.factoryTable().begin() + static_cast<long>(at)));
        EXPECT_EQ(device.keyLed(key), key);
    }
    // Several slots hold the empty code: every key whose default is empty takes the first of them.
    size_t firstEmpty = 0;
    while (firstEmpty * 3 + 2 < device.factoryTable().size() &&
           !(device.factoryTable()[firstEmpty * 3] == 0x20 &&
             device.factoryTable()[firstEmpty * 3 + 1] == 0 &&
             device.factoryTable()[firstEmpty * 3 + 2] == 0)) {
        ++firstEmpty;
    }
    for (size_t key : {18u, 19u, 20u, 104u, 126u, 169u}) EXPECT_EQ(slots[key], firstEmpty) << key;
    EXPECT_EQ(device.keyLed(Keyboard::kKeyCount), Keyboard::kAbsentMarker);
    EXPECT_EQ(device.keyList().size(), Keyboard::kKeyCount);
}

TEST_P(KeyboardDeviceTest, RecordBytesFollowTheSettings) {
    connect();
    ASSERT_TRUE(change([](KeyboardSettings& s) {
        s.light.mode = 5;
        s.light.speed = 0;
        s.light.brightness = 3;
        s.light.direction = 1;
        s.light.red = 0x12;
        s.light.audioLightMode = 3;  // "ZZCCLedMode"
        s.light.customGroup = 2;
        s.system = {
            .repeat = 40, .repeatDelay = 2, .key6Flag = 1, .pollingRate = 2, .wFlag = 1, .winFlag = 1};
    }));
    const auto record = region(Region::Settings, 0, 27);
    ASSERT_EQ(record.size(), 27u);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[1], device.lightLists().values.at(5));
    EXPECT_EQ(record[2], 3);
    EXPECT_EQ(record[3], 4);  // speed level 0 is stored as 4
    EXPECT_EQ(record[4], 1);
    EXPECT_EQ(record[6], 0x12);
    EXPECT_EQ(record[19], 3);
    EXPECT_EQ((std::vector<uint8_t>(record.begin() + 20, record.begin() + 24)),
              (std::vector<uint8_t>{1, 1, 1, 2}));
    EXPECT_EQ(record[24], 0);  // repeat and delay stay in the profile
    EXPECT_EQ(record[26], 2);
    EXPECT_EQ(device.profile().GetKeyboardSystem().repeat, 40);

    // The user's effects (mode 31 and above) are written as mode 0's device value.
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = 33; }));
    EXPECT_EQ(region(Region::Settings, 1, 1).at(0), device.lightLists().values.at(0));
}

TEST_P(KeyboardDeviceTest, OpeningAndReadingTheStateTakeLightAndFlagsButNotThePollingRate) {
    // Record 1 is active: light head, "ZZCCLedMode" and the flags; polling rate 3 on the keyboard.
    const std::array<uint8_t, 1> active{1};
    ASSERT_TRUE(emulator.attach(Product::Keyboard, GetParam().attachment));
    keyboard = emulator.device(Product::Keyboard, GetParam().attachment);
    std::array<uint8_t, 27> record{};
    record[1] = 7;
    record[2] = 2;
    record[3] = 1;
    record[4] = 1;
    record[19] = 4;
    record[20] = 1;
    record[21] = 0;
    record[22] = 1;
    record[23] = 3;
    ASSERT_TRUE(keyboard->firmware().poke(Region::Settings, 25, record));
    ASSERT_TRUE(keyboard->firmware().poke(Region::Settings, 0, active));
    test::openOverEmulator(emulator, device, viaReceiver());
    device.SetKindName("keyboard");
    // Opening the page takes what the keyboard holds, so the window shows what halvernctl reads.
    ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
    EXPECT_EQ(device.settings().light.mode, 7);
    EXPECT_EQ(device.settings().system.winFlag, 1);
    const uint16_t pollingBefore = device.settings().system.pollingRate;

    ASSERT_TRUE(readState());
    EXPECT_EQ(device.activeRecord(), 1);
    EXPECT_EQ(device.settings().light.mode, 7);  // the index whose device value is 7
    EXPECT_EQ(device.settings().light.brightness, 2);
    EXPECT_EQ(device.settings().light.speed, 3);  // 4 − 1
    EXPECT_EQ(device.settings().light.direction, 1);
    EXPECT_EQ(device.settings().light.audioLightMode, 4);
    EXPECT_EQ(device.settings().system.wFlag, 1);
    EXPECT_EQ(device.settings().system.winFlag, 1);
    EXPECT_EQ(device.settings().system.pollingRate, pollingBefore);
    EXPECT_EQ(device.lightSettings().mode, 7);
    CKeyboardProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetLightInfo().mode, 7);
    EXPECT_EQ(reread.GetKeyboardSystem().winFlag, 1);

    // Switched to the custom colour mode on the keyboard: its colours are loaded and, on the cable, written.
    const unsigned colourWrites = keyboard->firmware().commandCount(0x0B);
    const std::array<uint8_t, 1> custom{
        static_cast<uint8_t>(device.lightLists().values.at(Keyboard::kCustomColourMode))};
    ASSERT_TRUE(keyboard->firmware().poke(Region::Settings, 26, custom));
    ASSERT_TRUE(readState());
    ASSERT_TRUE(test::passQueue(device));  // the colours of the mode just entered
    EXPECT_EQ(device.settings().light.mode, Keyboard::kCustomColourMode);
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), colourWrites + (viaReceiver() ? 0u : 7u));
}

TEST_P(KeyboardDeviceTest, ARefusedRecordKeepsThePageAndTheFileAsTheyWere) {
    connect();
    const KeyboardSettings before = device.settings();
    keyboard->setFaults({.replyStatus = 0xFF});
    EXPECT_EQ(change([](KeyboardSettings& s) {
                  s.light.mode = 9;
                  s.system.winFlag = 1;
              }).code(),
              result::kStatusFF);
    EXPECT_EQ(device.settings(), before);
    EXPECT_EQ(device.profile().GetLightInfo(), before.light);
    CKeyboardProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetLightInfo(), before.light);
    EXPECT_EQ(reread.GetKeyboardSystem(), before.system);
}

// The colour buttons and `custom-color` paint keys from any mode: the keyboard goes to its custom colour
// mode first, and when it does not take that, nothing else is written.
TEST_P(KeyboardDeviceTest, PaintingKeysSwitchesToTheCustomColourModeFirst) {
    connect();
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = 6; }));
    const std::array<int, 1> keys{5};
    if (viaReceiver()) {
        EXPECT_FALSE(run([&](auto done) { device.PaintKeys(keys, {1, 2, 3}, done); }));
        EXPECT_NE(device.customColours().at(5), (LightColor{1, 2, 3, 255}));
        return;
    }
    const unsigned writes = keyboard->firmware().commandCount(0x0B);
    keyboard->setFaults({.refuseCommand = 0x06});  // the settings record is refused
    EXPECT_FALSE(run([&](auto done) { device.PaintKeys(keys, {1, 2, 3}, done); }));
    keyboard->setFaults({});
    EXPECT_EQ(device.settings().light.mode, 6);
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), writes);

    EXPECT_TRUE(run([&](auto done) { device.PaintKeys(keys, {1, 2, 3}, done); }));
    EXPECT_EQ(device.settings().light.mode, Keyboard::kCustomColourMode);
    EXPECT_EQ(device.customColours().at(5), (LightColor{1, 2, 3, 255}));
    EXPECT_TRUE(run([&](auto done) { device.PaintKeysOff(done); }));
    EXPECT_EQ(device.customColours().at(5), (LightColor{0, 0, 0, 255}));
}

TEST_P(KeyboardDeviceTest, CustomColoursGoToTheLedPositionsOfTheirGroupOnlyInTheCustomMode) {
    connect();
    ASSERT_TRUE(change([](KeyboardSettings& s) {
        s.light.mode = 6;
        s.light.customGroup = 2;
        s.light.red = 9;
        s.light.green = 8;
        s.light.blue = 7;
    }));
    const unsigned writes = keyboard->firmware().commandCount(0x0B);
    const auto coloursBefore = device.customColours();
    // Outside mode 20 setting a key's colour does nothing.
    EXPECT_FALSE(run([&](auto done) { device.SetKeyColour(5, done); }));
    const std::array<int, 2> keys{5, 63};
    EXPECT_FALSE(run([&](auto done) { device.SetKeysColour(keys, {1, 2, 3}, done); }));
    EXPECT_EQ(device.customColours(), coloursBefore);
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), writes);

    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = Keyboard::kCustomColourMode; }));
    ASSERT_TRUE(test::passQueue(device));  // entering the mode writes its colours
    const unsigned entered = keyboard->firmware().commandCount(0x0B);
    const std::array<int, 3> selection{5, 63, 400};  // a key outside the keyboard is left out
    const DeviceResult written = run([&](auto done) { device.SetKeysColour(selection, {1, 2, 3}, done); });
    CKeyboardProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    if (viaReceiver()) {
        // Custom colours never go through the receiver: refused, and the colours stay as they were.
        EXPECT_EQ(written.code(), DeviceResult::kRefused);
        EXPECT_EQ(keyboard->firmware().commandCount(0x0B), writes);
        EXPECT_EQ(device.customColours(), coloursBefore);
        EXPECT_NE(reread.GetCustomLightColors(reread.GetCustomGroupIndex(), 170).at(5),
                  (LightColor{1, 2, 3, 255}));
        return;
    }
    EXPECT_TRUE(written);
    EXPECT_EQ(device.customColours().at(63), (LightColor{1, 2, 3, 255}));
    EXPECT_EQ(reread.GetCustomLightColors(reread.GetCustomGroupIndex(), 170).at(5),
              (LightColor{1, 2, 3, 255}));
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B),
              entered + 7);  // one write: 378 bytes in 56-byte chunks
    EXPECT_EQ(region(Region::CustomColour, 2 * 512 + device.keyLed(5) * 3u, 3),
              (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(region(Region::CustomColour, 2 * 512 + device.keyLed(63) * 3u, 3),
              (std::vector<uint8_t>{1, 2, 3}));

    // One key takes the light colour unscaled; all keys on are written scaled by their level (255 → 254).
    EXPECT_TRUE(run([&](auto done) { device.SetKeyColour(0, done); }));
    EXPECT_EQ(region(Region::CustomColour, 2 * 512 + device.keyLed(0) * 3u, 3),
              (std::vector<uint8_t>{9, 8, 7}));
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.red = 255; }));
    EXPECT_TRUE(run([&](auto done) { device.SetAllKeys(true, done); }));
    EXPECT_EQ(region(Region::CustomColour, 2 * 512 + device.keyLed(40) * 3u, 3),
              (std::vector<uint8_t>{254, 7, 6}));
    EXPECT_EQ(region(Region::CustomColour, 0, 3), (std::vector<uint8_t>{0, 0, 0}));  // group 0 untouched
}

TEST_P(KeyboardDeviceTest, MusicFramesAreStreamedAtTheLedPositionsOnlyOnTheCable) {
    connect({.keySlots = 104});
    device.SetLightControl(true);
    ASSERT_TRUE(test::passQueue(device));
    EXPECT_EQ(keyboard->firmware().commandCount(0x1C), viaReceiver() ? 0u : 1u);  // told: the lights are ours
    const std::array<int32_t, 6> external{200, 100, 50, 0, 0, 0};
    device.AudioColour(external);
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = Keyboard::kExternalColourMode; }));
    auto& firmware = keyboard->firmware();
    if (viaReceiver()) {
        ASSERT_TRUE(test::passQueue(device));  // the frame source was asked and said no
        EXPECT_EQ(firmware.frameCount(), 0u);
        EXPECT_EQ(device.streamStats().frames, 0u);
        return;
    }
    ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 3; }))
        << device.streamStats().frames << " " << firmware.frameCount() << " "
        << int(device.lightSettings().mode);
    const std::vector<uint8_t> frame = firmware.lastFrame();
    ASSERT_EQ(frame.size(), 104u * 3);
    device.SendLightFrame();  // the preview frame: what the keys show
    std::set<size_t> lit;
    for (size_t key = 0; key < Keyboard::kKeyCount; ++key) {
        const uint8_t led = device.keyLed(key);
        if (led == Keyboard::kAbsentMarker || led >= 104) continue;
        const uint32_t word = device.GetLedColour(static_cast<int>(key));
        const uint32_t level = word >> 24;
        EXPECT_EQ(frame[size_t{led} * 3], ((word & 0xFF) * level) >> 8) << key;
        EXPECT_EQ(frame[led * 3u + 2], (((word >> 16) & 0xFF) * level) >> 8) << key;
        EXPECT_GT(frame[size_t{led} * 3], 0) << key;
        lit.insert(led);
    }
    for (size_t led = 0; led < 104; ++led) {
        if (!lit.contains(led)) {
            EXPECT_EQ(frame[led * 3], 0) << led;  // no key there
        }
    }

    // A notification among the stream's replies still reaches the device.
    ASSERT_TRUE(keyboard->emitNotification(0x1004));
    EXPECT_TRUE(test::waitFor([&] { return device.activeRecord() == 4; }));

    // Leaving the mode stops the stream.
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = 6; }));
    ASSERT_TRUE(test::passQueue(device));
    const unsigned frames = firmware.frameCount();
    ASSERT_TRUE(test::passQueue(device));
    EXPECT_EQ(firmware.frameCount(), frames);
}

// A light mode change and then another change before the keyboard answered the first record: the mode's
// start action (custom colours for mode 20, the stream for mode 29) still runs when the batch is answered,
// and when the second record is refused the keyboard keeps, and runs, the mode it took.
TEST_P(KeyboardDeviceTest, ALightModeChangedJustBeforeAnotherChangeStillStartsItsEffect) {
    connect();
    device.SetLightControl(true);
    const auto twoChanges = [&](uint8_t mode, const std::function<void()>& between) {
        DeviceResult first = DeviceResult::Cancelled(DeviceStep::None);
        const DeviceResult last = run([&](auto done) {
            device.ChangeSettings([mode](KeyboardSettings& s) { s.light.mode = mode; },
                                  [&first](DeviceResult r) { first = r; });
            if (between) between();
            device.ChangeSettings([](KeyboardSettings& s) { s.system.winFlag ^= 1; }, done);
        });
        EXPECT_TRUE(first) << int(mode);
        return last;
    };

    const unsigned colourWrites = keyboard->firmware().commandCount(0x0B);
    ASSERT_TRUE(twoChanges(Keyboard::kCustomColourMode, {}));
    ASSERT_TRUE(test::passQueue(device));
    EXPECT_EQ(device.lightSettings().mode, Keyboard::kCustomColourMode);
    EXPECT_EQ(keyboard->firmware().commandCount(0x0B), colourWrites + (viaReceiver() ? 0u : 7u));

    ASSERT_TRUE(twoChanges(Keyboard::kMusicMode, {}));
    EXPECT_EQ(device.lightSettings().mode, Keyboard::kMusicMode);
    if (!viaReceiver()) {
        EXPECT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
    }

    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = 6; }));
    const auto winFlag = device.settings().system.winFlag;
    const unsigned frames = device.streamStats().frames;
    const DeviceResult refused = twoChanges(Keyboard::kMusicMode, [&] {
        device.queue().submit([this](CommandChannel&) {
            keyboard->setFaults({.refuseCommand = 0x06});  // between the two records
            return DeviceResult{};
        });
    });
    EXPECT_EQ(refused.code(), result::kStatusFF);
    EXPECT_EQ(device.settings().light.mode, Keyboard::kMusicMode);
    EXPECT_EQ(device.settings().system.winFlag, winFlag);
    EXPECT_EQ(device.lightSettings().mode, Keyboard::kMusicMode);
    EXPECT_EQ(
        region(Region::Settings, 1, 1),
        (std::vector<uint8_t>{static_cast<uint8_t>(device.lightLists().values.at(Keyboard::kMusicMode))}));
    if (!viaReceiver()) {
        EXPECT_TRUE(test::waitFor([&] { return device.streamStats().frames >= frames + 2; }));
    }
}

// The keyboard's reads and writes go without link checks, behind the receiver too; only its readiness and
// power reads ask the link.
TEST_P(KeyboardDeviceTest, OnlyReadinessAndPowerAskTheLink) {
    connect();
    const auto expect = [this](std::vector<uint8_t> codes) {
        if (!viaReceiver()) std::erase(codes, uint8_t{0xAA});
        return codes;
    };
    EXPECT_EQ(requestsOf([&](auto done) { device.ActivatePage(done); }),
              (std::vector<uint8_t>{0x01, 0x03, 0x07, 0x1B, 0x02, 0x05}));
    EXPECT_EQ(requestsOf([&](auto done) { device.ReadDeviceState(done); }), (std::vector<uint8_t>{0x05}));
    EXPECT_EQ(requestsOf([&](auto done) {
                  device.ChangeSettings([](KeyboardSettings& s) { s.system.wFlag ^= 1; }, done);
              }),
              (std::vector<uint8_t>{0x01, 0x06, 0x02}));
    KeyListEntry entry = device.keyList().at(64);
    entry.current = {64, 0x20, 0x00, 0x05};
    EXPECT_EQ(requestsOf([&](auto done) { device.SetKeyAssignment(64, entry, done); }),
              (std::vector<uint8_t>{0x03, 0x01, 0x09, 0x02}));
    MacroStore store(device.UserFolder());
    ASSERT_FALSE(store.AddMacro().empty());
    device.ShowSettings();
    EXPECT_EQ(requestsOf([&](auto done) { device.WriteMacros(done); }),
              (std::vector<uint8_t>{0x03, 0x01, 0x15, 0x02}));

    device.SetPowerFlag(true);
    EXPECT_EQ(requestsOf([&](auto done) { device.SyncWithDevice(done); }), expect({0xAA, 0x1A}));
    const size_t mark = test::captureLines(capture());
    bool ready = false;
    ASSERT_TRUE(run([&](auto done) {
        device.IsReady([&ready, done](bool answered) {
            ready = answered;
            done({});
        });
    }));
    EXPECT_TRUE(ready);
    EXPECT_EQ(test::requestCodes(test::readCapture(capture(), mark)), expect({0xAA}));
}

// A new activation sets the frame source again while the music mode streams: frames go on, and none lands
// between a Begin and its End.
TEST_P(KeyboardDeviceTest, ReactivatingAStreamingKeyboardKeepsFramesOutOfSequences) {
    connect();
    device.SetLightControl(true);
    ASSERT_TRUE(change([](KeyboardSettings& s) { s.light.mode = Keyboard::kMusicMode; }));
    if (!viaReceiver()) {
        ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
    }
    const size_t mark = test::captureLines(capture());
    std::array<int32_t, 500> levels{};
    for (int round = 0; round < 20; ++round) {
        // Sound keeps the frames changing, so a frame is due whenever a job ends.
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((static_cast<size_t>(round) * 37 + b * 211) % 2000);
        device.AudioLevels(levels);
        ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
        ASSERT_TRUE(change([](KeyboardSettings& s) { s.system.wFlag ^= 1; }));
    }
    EXPECT_EQ(device.lightSettings().mode, Keyboard::kMusicMode);
    const auto reports = test::readCapture(capture(), mark);
    EXPECT_EQ(test::framesInsideSequences(reports), 0u);
    if (viaReceiver()) return;  // no frames through the receiver
    const uint64_t frames = device.streamStats().frames;
    ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= frames + 2; }));
    EXPECT_TRUE(std::ranges::any_of(test::readCapture(capture(), mark),
                                    [](const auto& r) { return r.out() && r.command() == 0x12; }));
}

TEST_P(KeyboardDeviceTest, NotificationsSetTheRecordAndAskForARefresh) {
    test::TimerRequests timers;
    device.SetEvents(timers.events());
    connect();
    ASSERT_TRUE(keyboard->emitNotification(0x1003));
    EXPECT_TRUE(test::waitFor([&] { return device.activeRecord() == 3; }));
    ASSERT_TRUE(keyboard->emitNotification(0x1125));
    EXPECT_TRUE(test::waitFor([&] { return device.activeRecord() == 5; }));
    ASSERT_TRUE(keyboard->emitNotification(0x0401));
    EXPECT_TRUE(timers.waitForCount(3));
    const auto taken = timers.taken();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0], std::make_pair(1002, 0));
    EXPECT_EQ(taken[2], std::make_pair(1002, 50));
}

TEST_P(KeyboardDeviceTest, AKeyAssignmentIsWrittenIntoItsSlotOnly) {
    connect();
    const auto before = keyboard->firmware().region(Region::KeyTable);
    KeyListEntry entry = device.keyList().at(63);
    entry.current = {63, 0x20, 0x01, 0x04};
    ASSERT_TRUE(run([&](auto done) { device.SetKeyAssignment(63, entry, done); }));
    const auto after = keyboard->firmware().region(Region::KeyTable);
    const size_t slot = device.keySlots()[63];
    for (size_t i = 0; i < after.size(); ++i) {
        if (i / 3 == slot) continue;
        ASSERT_EQ(after[i], before[i]) << i;
    }
    EXPECT_EQ(after[slot * 3 + 1], 0x01);
    EXPECT_EQ(after[slot * 3 + 2], 0x04);
}

INSTANTIATE_TEST_SUITE_P(Links, KeyboardDeviceTest, test::allLinks(), test::linkName);

}  // namespace
}  // namespace halvern
