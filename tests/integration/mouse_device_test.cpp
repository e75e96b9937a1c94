// The mouse device object against the emulated mouse: cable and receiver, in-process and over a socket pair.

#include "devices/mouse_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
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

using Setup = test::Link;

class MouseDeviceTest : public ::testing::TestWithParam<Setup> {
protected:
    MouseDeviceTest()
        : xdg("XDG_DATA_HOME", data.path().string()),
          emulator(emu::EmulatorOptions{GetParam().transport, {}, data.path() / "capture.txt"}) {}

    void SetUp() override {
        mouse = emulator.attach(Product::Mouse, GetParam().attachment);
        ASSERT_TRUE(mouse);
    }

    // Opens the mouse the way the device list does and activates the page.
    void connect(bool activate = true) {
        test::openOverEmulator(emulator, device, GetParam().attachment == Attachment::Receiver);
        if (HasFatalFailure()) return;
        device.SetKindName("mouse");
        device.SetKindId(1);
        device.SetLedCount(6);
        if (activate) activated = run([&](auto done) { device.ActivatePage(done); });
    }

    // Runs one of the device's operations to its end (the test owns the device).
    DeviceResult run(const std::function<void(CMerivexUSBDevice::Done)>& start) {
        return device.Await(start);
    }
    DeviceResult change(const std::function<void(MouseSettings&)>& edit, int width = 1920,
                        int height = 1080) {
        return run([&](auto done) { device.ChangeSettings(edit, width, height, done); });
    }
    DeviceResult assign(size_t button, const KeyListEntry& entry) {
        return run([&](auto done) { device.SetKeyAssignment(button, entry, done); });
    }
    DeviceResult writeMacros() {
        return run([&](auto done) { device.WriteMacros(done); });
    }

    // Reports recorded since `mark` lines.
    std::vector<test::CapturedReport> capturedSince(size_t mark) const {
        return test::readCapture(data.path() / "capture.txt", mark);
    }
    size_t lineCount() const { return test::captureLines(data.path() / "capture.txt"); }

    std::vector<uint8_t> settings(size_t from, size_t count) const {
        const auto region = mouse->firmware().region(Region::Settings);
        return {region.begin() + static_cast<long>(from), region.begin() + static_cast<long>(from + count)};
    }

    bool viaReceiver() const { return GetParam().attachment == Attachment::Receiver; }

    test::TempDir data;
    test::ScopedEnv xdg;
    emu::Emulator emulator;
    std::shared_ptr<emu::VirtualDevice> mouse;
    CMerivexMouseDevice device{emulator};
    DeviceResult activated = DeviceResult::Cancelled(DeviceStep::None);
};

TEST_P(MouseDeviceTest, ActivationReadsTheMouseAndMapsItsButtons) {
    connect();
    EXPECT_EQ(device.factoryTable().size(), 12u * 3);
    // The emulated mouse keeps its buttons in an order of its own (slot 5 unused).
    const std::array<uint8_t, 11> slots{1, 0, 2, 4, 3, 7, 6, 11, 10, 8, 9};
    EXPECT_EQ(device.buttonSlots(), slots);
    EXPECT_EQ(device.settings().activeStage, 1);  // from the mouse's record
    EXPECT_EQ(device.settings().stages.size(), 6u);
    EXPECT_EQ(device.keyList().size(), 11u);
    EXPECT_EQ(device.dpiScale().sensor, 0x3325);
    EXPECT_EQ(device.dpiScale().highest, 148);
    // The profile list and the profile file exist now.
    EXPECT_TRUE(std::filesystem::exists(data.path() / "Halvern/mouse/ProfileList.ini"));
    EXPECT_TRUE(std::filesystem::exists(device.profile().GetProfilePath()));
}

TEST_P(MouseDeviceTest, DraggingAStageWritesOneRecordBetweenBeginAndEnd) {
    connect();
    const size_t mark = lineCount();
    ASSERT_TRUE(change([](MouseSettings& s) { s.stages[2].dpiX = s.stages[2].dpiY = 40; }, 2560, 1440));

    const auto reports = capturedSince(mark);
    std::vector<test::CapturedReport> out;
    for (const auto& r : reports) {
        if (r.out() && r.command() != 0xAA) out.push_back(r);
    }
    // Behind the receiver the link is asked before Begin, before the record and before End.
    EXPECT_EQ(test::requestCodes(reports), viaReceiver()
                                               ? (std::vector<uint8_t>{0xAA, 0x01, 0xAA, 0x06, 0xAA, 0x02})
                                               : (std::vector<uint8_t>{0x01, 0x06, 0x02}));
    const size_t chunks = viaReceiver() ? 4 : 2;
    ASSERT_EQ(out.size(), chunks + 2);
    EXPECT_EQ(out.front().bytes[3], 0x01);
    EXPECT_EQ(out.back().bytes[3], 0x02);
    size_t total = 0;
    for (size_t i = 1; i <= chunks; ++i) {
        const auto& bytes = out[i].bytes;
        EXPECT_EQ(bytes[0], 0x04);
        EXPECT_EQ(bytes[3], 0x06);
        EXPECT_EQ(bytes[5] | bytes[6] << 8, total);  // offsets follow each other from 0
        total += bytes[4];
    }
    EXPECT_EQ(total, 75u);

    const auto record = settings(0, 80);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[14 + 9 * 2 + 2], 40);  // stage 2 X
    EXPECT_EQ(record[14 + 9 * 2 + 4], 40);  // stage 2 Y
    EXPECT_EQ(record[68], 1);
    EXPECT_EQ(record[69] | record[70] << 8, 2560);
    EXPECT_EQ(record[71] | record[72] << 8, 1440);

    // The profile file holds the stage too.
    CMouseProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetDpiStages().at(2).dpiX, 40);
}

// The mouse is never left in a switched-off stage, whichever program asks: such a change sends nothing
// and leaves settings and profile as they were.
TEST_P(MouseDeviceTest, AChangeLeavingTheMouseInASwitchedOffStageIsRefused) {
    connect();
    ASSERT_TRUE(change([](MouseSettings& s) {
        for (auto& stage : s.stages) stage.active = 1;
        s.activeStage = 1;
    }));
    const MouseSettings before = device.settings();
    const size_t mark = lineCount();
    EXPECT_EQ(change([](MouseSettings& s) { s.stages[1].active = 0; }).code(), DeviceResult::kRefused);
    EXPECT_EQ(change([](MouseSettings& s) {
                  s.stages[3].active = 0;
                  s.activeStage = 3;
              }).code(),
              DeviceResult::kRefused);
    EXPECT_EQ(change([](MouseSettings& s) { s.activeStage = 9; }).code(), DeviceResult::kRefused);
    EXPECT_EQ(device.settings(), before);
    EXPECT_TRUE(capturedSince(mark).empty());

    EXPECT_EQ(stageOffBar(device.settings(), 1), StageOffBar::ActiveStage);
    EXPECT_EQ(stageOffBar(device.settings(), 2), StageOffBar::None);
    ASSERT_TRUE(change([](MouseSettings& s) {
        for (size_t n = 0; n < s.stages.size(); ++n) s.stages[n].active = n == 1 || n == 4;
    }));
    EXPECT_EQ(stageOffBar(device.settings(), 4), StageOffBar::None);
    EXPECT_TRUE(stageSelectable(device.settings(), 4));
    EXPECT_FALSE(stageSelectable(device.settings(), 2));
    ASSERT_TRUE(change([](MouseSettings& s) { s.stages[4].active = 0; }));
    EXPECT_EQ(stageOffBar(device.settings(), 1), StageOffBar::ActiveStage);
    // Moving to another stage and switching the old one off in one change is fine.
    ASSERT_TRUE(change([](MouseSettings& s) {
        s.stages[2].active = 1;
        s.activeStage = 2;
        s.stages[1].active = 0;
    }));
    EXPECT_EQ(stageOffBar(device.settings(), 2), StageOffBar::ActiveStage);
}

TEST_P(MouseDeviceTest, RecordBytesFollowTheSettings) {
    connect();
    ASSERT_TRUE(change([](MouseSettings& s) {
        s.light.speed = 0;
        s.light.mode = 3;
        s.light.brightness = 2;
        s.system.reportRate = 4;
        s.activeStage = 5;
    }));
    const auto record = settings(0, 13);
    EXPECT_EQ(record[3], 4);  // speed level 0 is stored as 4
    EXPECT_EQ(record[1], device.lightLists().values.at(3));
    EXPECT_EQ(record[2], 2);
    EXPECT_EQ(record[11], 4);
    EXPECT_EQ(record[12], 5);

    // A mode above the mouse's own is written as mode 0's device value.
    ASSERT_TRUE(change([](MouseSettings& s) { s.light.mode = 14; }));
    EXPECT_EQ(settings(1, 1)[0], device.lightLists().values.at(0));
}

TEST_P(MouseDeviceTest, ReadingTheStateTakesLightAndStageFromTheMouse) {
    const std::array<uint8_t, 4> light{0x05, 3, 1,
                                       0};  // mode value 5, brightness 3, stored speed 1, direction
    ASSERT_TRUE(mouse->firmware().poke(Region::Settings, 1, light));
    const std::array<uint8_t, 1> stage{4};
    ASSERT_TRUE(mouse->firmware().poke(Region::Settings, 12, stage));
    connect();
    EXPECT_EQ(device.settings().light.speed, 3);  // 4 − 1
    EXPECT_EQ(device.settings().light.brightness, 3);
    EXPECT_EQ(device.settings().light.mode, 5);  // the index whose device value is 5
    EXPECT_EQ(device.settings().activeStage, 4);
    EXPECT_EQ(device.profile().GetActiveStage(), 4);
}

TEST_P(MouseDeviceTest, AButtonMissingFromTheFactoryTableIsNeverWritten) {
    // Slot 8 held button 9's code; the mouse now has something else there.
    const std::array<uint8_t, 3> other{0x55, 0x66, 0x77};
    ASSERT_TRUE(mouse->firmware().poke(Region::KeyTable, size_t{8} * 3, other));
    connect();
    EXPECT_FALSE(device.buttonPresent(9));
    EXPECT_EQ(device.buttonSlots()[9], CMerivexMouseDevice::kAbsentMarker);

    KeyListEntry entry = device.keyList().at(9);
    entry.current = {9, 0x20, 0x00, 0x04};
    EXPECT_EQ(assign(9, entry).code(), DeviceResult::kRefused);  // a button the mouse lacks is refused
    EXPECT_EQ(device.keyList().at(9).current, device.keyList().at(9).defaults);
    KeyListEntry left = device.keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    ASSERT_TRUE(assign(0, left));

    const auto table = mouse->firmware().region(Region::KeyTable);
    EXPECT_EQ(table[size_t{8} * 3], 0x55);
    EXPECT_EQ(table[8 * 3 + 2], 0x77);
    EXPECT_EQ(table[size_t{1} * 3], 0x20);  // the left button's slot took Ctrl+A
    EXPECT_EQ(table[1 * 3 + 1], 0x01);
    EXPECT_EQ(table[1 * 3 + 2], 0x04);
}

TEST_P(MouseDeviceTest, ARemappedButtonIsStillFoundAtTheNextStart) {
    connect();
    KeyListEntry left = device.keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    ASSERT_TRUE(assign(0, left));
    // The mouse now answers a table read with Ctrl+A where the left button's code was.
    CMerivexMouseDevice next(emulator);
    next.SetIdentity(device.identity());
    next.SetKindName("mouse");
    CommandChannel& channel = next.commandChannel();
    HidInterface& hid = viaReceiver() ? channel.receiverInterface() : channel.cableInterface();
    const HidInterface& old = viaReceiver() ? device.commandChannel().receiverInterface()
                                            : device.commandChannel().cableInterface();
    ASSERT_TRUE(hid.Open(old.path(), true, true, true, false));
    channel.SetMode(viaReceiver() ? 2 : 1);
    channel.setConnected(true);
    ASSERT_TRUE(next.Await([&](auto done) { next.ActivatePage(done); }));
    EXPECT_TRUE(next.buttonPresent(0));
    EXPECT_EQ(next.buttonSlots()[0], 1);
    EXPECT_EQ(next.keyList().at(0).current.type, 0x20);  // the profile still says Ctrl+A
}

TEST_P(MouseDeviceTest, MacrosAreWrittenInFirstUseOrderAndTooLargeImagesAreRefused) {
    connect();
    MacroStore store(device.UserFolder());
    (void)store.AddMacro();
    ASSERT_FALSE(store.AddMacro().empty());
    const MacroEvent press{true, 0x04, 10, 20};
    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>{press, press}));
    ASSERT_TRUE(store.SaveMacro(1, std::vector<MacroEvent>{press}));
    device.ShowSettings();  // reads the macro list

    // Button 3 plays macro 1, button 4 macro 0: macro 1 is packed first and becomes number 0.
    KeyListEntry e3 = device.keyList().at(3);
    e3.current = {3, 0x70, 1, 0};
    ASSERT_TRUE(assign(3, e3));
    KeyListEntry e4 = device.keyList().at(4);
    e4.current = {4, 0x71, 0, 3};
    ASSERT_TRUE(assign(4, e4));
    EXPECT_EQ(device.ListUsedMacros(), (std::vector<uint8_t>{1, 0}));
    const auto table = mouse->firmware().region(Region::KeyTable);
    EXPECT_EQ(table[4 * 3 + 0], 0x70);  // button 3 (slot 4)
    EXPECT_EQ(table[4 * 3 + 1], 0);
    EXPECT_EQ(table[3 * 3 + 0], 0x71);  // button 4 (slot 3)
    EXPECT_EQ(table[3 * 3 + 1], 1);
    EXPECT_EQ(table[3 * 3 + 2], 3);
    const auto image = mouse->firmware().region(Region::Macro);
    const std::vector<uint8_t> head(image.begin(), image.begin() + 6);
    EXPECT_EQ(head, (std::vector<uint8_t>{0xAA, 0x55, 16 + 12 + 12, 0, 2, 0}));
    EXPECT_EQ(image[16], 20);  // block of macro 1 first: right after the two offsets
    EXPECT_EQ(image[20], 1);   // one event

    // The mouse holds 32 × 128 = 4096 bytes. Two macros need 28 bytes plus 4 per event.
    const unsigned writesBefore = mouse->firmware().commandCount(0x15);
    ASSERT_TRUE(
        store.SaveMacro(0, std::vector<MacroEvent>(1018 - 1, press)));  // 28 + 4 × 1018 = 4100: 4 bytes over
    EXPECT_EQ(writeMacros().overflowEvents(), 2);
    EXPECT_EQ(mouse->firmware().commandCount(0x15), writesBefore);  // nothing written
    ASSERT_TRUE(
        store.SaveMacro(0, std::vector<MacroEvent>(1016, press)));  // 28 + 4 × 1017 = 4096: fits exactly
    EXPECT_TRUE(writeMacros());
    EXPECT_EQ(mouse->firmware().commandCount(0x15), writesBefore + (viaReceiver() ? 171u : 74u));
    ASSERT_TRUE(store.SaveMacro(1, std::vector<MacroEvent>{}));
    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>(1019, press)));  // 28 + 4 × 1019 = 4104, 8 over
    EXPECT_EQ(writeMacros().overflowEvents(), 3);
}

TEST_P(MouseDeviceTest, AssignmentsOfRemovedMacrosAreReset) {
    connect();
    MacroStore store(device.UserFolder());
    (void)store.AddMacro();
    (void)store.AddMacro();
    device.ShowSettings();
    KeyListEntry e2 = device.keyList().at(2);
    e2.current = {2, 0x70, 1, 0};
    ASSERT_TRUE(assign(2, e2));
    ASSERT_EQ(device.keyList().at(2).current.type, 0x70);

    ASSERT_EQ(store.DeleteMacro(1), 1);
    EXPECT_TRUE(device.CheckMacroAssignments());
    EXPECT_EQ(device.keyList().at(2).current, device.keyList().at(2).defaults);
    CMouseProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetKeyList().at(2).current.type, 0x10);

    // With no macros left, a macro assignment is written as the button's default.
    e2.current = {2, 0x70, 0, 0};
    ASSERT_EQ(store.DeleteMacro(0), 0);
    ASSERT_TRUE(assign(2, e2));
    const auto table = mouse->firmware().region(Region::KeyTable);
    EXPECT_EQ(table[size_t{2} * 3], 0x10);
    EXPECT_EQ(table[2 * 3 + 1], 0x04);
}

TEST_P(MouseDeviceTest, NotificationsSetRecordAndStageAndAskForARefresh) {
    test::TimerRequests timers;
    device.SetEvents(timers.events());
    connect();
    ASSERT_TRUE(mouse->emitNotification(0x1123));
    EXPECT_TRUE(test::waitFor([&] { return device.activeRecord() == 3; }));
    EXPECT_EQ(device.activeRecord(), 3);
    EXPECT_EQ(device.reportedStage(), 2);
    ASSERT_TRUE(mouse->emitNotification(0x0401));
    ASSERT_TRUE(timers.waitForCount(2));
    const auto taken = timers.taken();
    EXPECT_EQ(taken[0], std::make_pair(1002, 0));
    EXPECT_EQ(taken[1], std::make_pair(1002, 50));
}

TEST_P(MouseDeviceTest, AStageTheMouseReportsIsShownAtTheRefresh) {
    test::TimerRequests timers;
    device.SetEvents(timers.events());
    connect();
    ASSERT_TRUE(mouse->emitNotification(0x1123));  // record 3, DPI stage 2 chosen on the mouse
    ASSERT_TRUE(timers.waitForCount(1));
    ASSERT_TRUE(run([&](auto done) { device.RefreshPage(done); }));  // what timer 1002 runs
    EXPECT_EQ(device.settings().activeStage, 2);
    EXPECT_EQ(device.profile().GetActiveStage(), 2);
    EXPECT_EQ(device.reportedStage(), -1);  // taken
}

TEST_P(MouseDeviceTest, ReassigningAMacroButtonRewritesTheMacroMemory) {
    connect();
    MacroStore store(device.UserFolder());
    (void)store.AddMacro();
    ASSERT_FALSE(store.AddMacro().empty());
    const MacroEvent press{true, 0x04, 10, 20};
    ASSERT_TRUE(store.SaveMacro(0, std::vector<MacroEvent>{press}));
    ASSERT_TRUE(store.SaveMacro(1, std::vector<MacroEvent>{press, press, press}));
    device.ShowSettings();
    KeyListEntry e3 = device.keyList().at(3);
    e3.current = {3, 0x70, 0, 0};
    ASSERT_TRUE(assign(3, e3));
    KeyListEntry e4 = device.keyList().at(4);
    e4.current = {4, 0x70, 1, 0};
    ASSERT_TRUE(assign(4, e4));  // memory: macro 0 first, then macro 1

    // Button 3 goes back to a plain key: macro 1 is now the only one and moves to the front. The key table
    // names it 0, so the memory must hold it there at once, not after the next "write to device".
    e3.current = {3, 0x10, 0x01, 0x00};
    ASSERT_TRUE(assign(3, e3));
    const auto table = mouse->firmware().region(Region::KeyTable);
    EXPECT_EQ(table[3 * 3 + 0], 0x70);  // button 4 (slot 3) plays macro number 0
    EXPECT_EQ(table[3 * 3 + 1], 0);
    const auto image = mouse->firmware().region(Region::Macro);
    EXPECT_EQ(image[4], 1);                     // one macro in memory
    EXPECT_EQ(image[16] | image[17] << 8, 18);  // its block right after the one offset
    EXPECT_EQ(image[18] | image[19] << 8, 3);   // with macro 1's three events
}

TEST_P(MouseDeviceTest, TheRememberedFactoryTableFollowsAFirmwareUpdateAndRestoreDefaults) {
    connect();
    KeyListEntry left = device.keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    ASSERT_TRUE(assign(0, left));
    // New firmware (another information block) with another button order: the table read now counts.
    const std::array<uint8_t, 1> version{0x42};
    ASSERT_TRUE(mouse->firmware().poke(Region::Info, 0, version));
    const std::array<uint8_t, 6> swapped{0x10, 0x01, 0x00, 0x10, 0x02, 0x00};  // left at slot 0, right at 1
    ASSERT_TRUE(mouse->firmware().poke(Region::KeyTable, 0, swapped));
    ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
    EXPECT_EQ(device.buttonSlots()[0], 0);
    EXPECT_EQ(device.buttonSlots()[1], 1);

    // Restore defaults writes the factory assignments and forgets the remembered table.
    ASSERT_TRUE(run([&](auto done) { device.RestoreDefaults(done); }));
    EXPECT_EQ(device.keyList().at(0).current, device.keyList().at(0).defaults);
    bool remembered = false;
    for (const auto& file : std::filesystem::directory_iterator(device.UserFolder())) {
        remembered = remembered || file.path().filename().string().starts_with("factory_keys_");
    }
    EXPECT_FALSE(remembered);
}

TEST_P(MouseDeviceTest, MacrosDeletedWhileAwayAreResetWhenThePageOpens) {
    connect();
    MacroStore store(device.UserFolder());
    (void)store.AddMacro();
    device.ShowSettings();
    KeyListEntry e2 = device.keyList().at(2);
    e2.current = {2, 0x70, 0, 0};
    ASSERT_TRUE(assign(2, e2));
    ASSERT_EQ(store.DeleteMacro(0), 0);  // as halvernctl would, while the window was closed
    ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
    ASSERT_TRUE(test::passQueue(device));  // the key table write that follows
    EXPECT_EQ(device.keyList().at(2).current, device.keyList().at(2).defaults);
    const auto table = mouse->firmware().region(Region::KeyTable);
    EXPECT_EQ(table[size_t{2} * 3], 0x10);  // the middle button's own code, not a macro
}

TEST_P(MouseDeviceTest, AMouseThatDoesNotAnswerKeepsThePageAsItWas) {
    connect();
    const MouseSettings before = device.settings();
    const unsigned writes = mouse->firmware().commandCount(0x06);
    if (viaReceiver()) {
        mouse->setLinkUp(false);
    } else {
        mouse->setFaults({.replyStatus = 0xFF});
    }
    EXPECT_FALSE(change([](MouseSettings& s) { s.stages[2].dpiX = 77; }));
    EXPECT_EQ(device.settings(), before);
    CMouseProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetDpiStages().at(2), before.stages.at(2));
    if (viaReceiver()) {
        EXPECT_EQ(mouse->firmware().commandCount(0x06), writes);  // left alone: nothing was sent
        EXPECT_EQ(run([&](auto done) { device.ReadDeviceState(done); }).code(), result::kReceiverUnreachable);
        EXPECT_FALSE(writeMacros());
    }
}

TEST_P(MouseDeviceTest, PowerStatusReachesThePage) {
    std::vector<uint8_t> shown;
    device.SetEvents(
        {{}, {}, [&](std::span<const uint8_t> status) { shown.assign(status.begin(), status.end()); }, {}});
    device.SetPowerFlag(true);
    connect(false);
    ASSERT_TRUE(run([&](auto done) { device.SyncWithDevice(done); }));
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[3], viaReceiver() ? 1 : 0);
    EXPECT_EQ(shown[0], 85);  // the emulated battery level
}

TEST_P(MouseDeviceTest, MusicModeFramesAreStreamedByTheDevicesOwnWorker) {
    connect();
    device.SetLightControl(true);
    ASSERT_TRUE(change([](MouseSettings& s) { s.light.mode = CMerivexUSBDevice::kSoftwareLightMode; }));
    EXPECT_FALSE(device.StreamsOnLightTick());  // the light tick only draws the preview
    ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
    EXPECT_EQ(mouse->firmware().lastFrame().size(), 6u * 3);
    device.SetLightControl(false);
    ASSERT_TRUE(test::passQueue(device));  // a frame under way ends; the next asks the source again
    const unsigned frames = mouse->firmware().frameCount();
    ASSERT_TRUE(test::passQueue(device));
    EXPECT_EQ(mouse->firmware().frameCount(), frames);
}

// A light change and then another change before the mouse answered the first record: the two go out as
// two records, and the light change must still reach the lights when the second is answered.
TEST_P(MouseDeviceTest, ALightChangeFollowedByAnotherBeforeItsAnswerStillReachesTheLights) {
    connect();
    device.SetLightControl(true);
    DeviceResult first = DeviceResult::Cancelled(DeviceStep::None);
    const DeviceResult last = run([&](auto done) {
        device.ChangeSettings([](MouseSettings& s) { s.light.mode = CMerivexUSBDevice::kSoftwareLightMode; },
                              1920, 1080, [&first](DeviceResult r) { first = r; });
        device.ChangeSettings([](MouseSettings& s) { s.stages[2].dpiX = 40; }, 1920, 1080, done);
    });
    ASSERT_TRUE(last);
    EXPECT_TRUE(first);
    EXPECT_EQ(settings(1, 1)[0], device.lightLists().values.at(CMerivexUSBDevice::kSoftwareLightMode));
    EXPECT_EQ(settings(14 + 9 * 2 + 2, 1)[0], 40);
    EXPECT_EQ(device.lightSettings().mode, CMerivexUSBDevice::kSoftwareLightMode);  // the effect runs
    EXPECT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
}

// The record after a light change is refused: the mouse holds the light change, so it stays on the page,
// in the file and on the lights, while the refused change is undone.
TEST_P(MouseDeviceTest, WhenTheRecordAfterALightChangeIsRefusedTheLightChangeStays) {
    connect();
    device.SetLightControl(true);
    const MouseSettings before = device.settings();
    DeviceResult first = DeviceResult::Cancelled(DeviceStep::None);
    const DeviceResult last = run([&](auto done) {
        device.ChangeSettings([](MouseSettings& s) { s.light.mode = CMerivexUSBDevice::kSoftwareLightMode; },
                              1920, 1080, [&first](DeviceResult r) { first = r; });
        // Runs between the two records: the mouse refuses settings writes from now on.
        device.queue().submit([this](CommandChannel&) {
            mouse->setFaults({.refuseCommand = 0x06});
            return DeviceResult{};
        });
        device.ChangeSettings([](MouseSettings& s) { s.stages[2].dpiX = 40; }, 1920, 1080, done);
    });
    EXPECT_EQ(last.code(), result::kStatusFF);
    EXPECT_TRUE(first);
    EXPECT_EQ(device.settings().light.mode, CMerivexUSBDevice::kSoftwareLightMode);
    EXPECT_EQ(device.settings().stages.at(2), before.stages.at(2));
    EXPECT_EQ(settings(1, 1)[0], device.lightLists().values.at(CMerivexUSBDevice::kSoftwareLightMode));
    CMouseProfiledata reread;
    reread.SetDefaultPath(device.DefaultDataFile());
    EXPECT_TRUE(reread.LoadDeviceRecord(device.profile().GetProfilePath()));
    EXPECT_EQ(reread.GetLightInfo().mode, CMerivexUSBDevice::kSoftwareLightMode);
    EXPECT_EQ(reread.GetDpiStages().at(2), before.stages.at(2));
    EXPECT_EQ(device.lightSettings().mode, CMerivexUSBDevice::kSoftwareLightMode);
    EXPECT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
}

// Every operation's requests in order: behind the receiver the mouse asks the link before it reads or
// writes anything, and before each step of a settings write; on its cable it never does.
TEST_P(MouseDeviceTest, TheLinkIsAskedBeforeEveryOperationBehindTheReceiver) {
    connect(false);
    const auto expect = [this](std::vector<uint8_t> codes) {
        if (!viaReceiver()) std::erase(codes, uint8_t{0xAA});
        return codes;
    };
    const auto requestsOf = [this](const std::function<void(CMerivexUSBDevice::Done)>& start) {
        const size_t mark = lineCount();
        EXPECT_TRUE(run(start));
        return test::requestCodes(capturedSince(mark));
    };
    EXPECT_EQ(requestsOf([&](auto done) { device.ActivatePage(done); }),
              expect({0xAA, 0x01, 0x03, 0x07, 0x02, 0xAA, 0x05}));
    EXPECT_EQ(requestsOf([&](auto done) { device.ReadDeviceState(done); }), expect({0xAA, 0x05}));
    EXPECT_EQ(requestsOf([&](auto done) {
                  device.ChangeSettings([](MouseSettings& s) { s.activeStage = 2; }, 1920, 1080, done);
              }),
              expect({0xAA, 0x01, 0xAA, 0x06, 0xAA, 0x02}));
    KeyListEntry left = device.keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    EXPECT_EQ(requestsOf([&](auto done) { device.SetKeyAssignment(0, left, done); }),
              expect({0xAA, 0x03, 0x01, 0x09, 0x02}));
    MacroStore store(device.UserFolder());
    ASSERT_FALSE(store.AddMacro().empty());
    device.ShowSettings();
    EXPECT_EQ(requestsOf([&](auto done) { device.WriteMacros(done); }),
              expect({0xAA, 0x03, 0x01, 0x15, 0x02}));
    // The recoil image goes as the macro image does.
    EXPECT_EQ(requestsOf([&](auto done) { device.WriteRecoilPatterns(done); }),
              expect({0xAA, 0x03, 0x01, 0x17, 0x02}));
}

// A new activation (a replug, a move between cable and receiver) sets the frame source again while the
// worker streams: frames go on, and none lands between a Begin and its End.
TEST_P(MouseDeviceTest, ReactivatingAStreamingMouseKeepsFramesOutOfSequences) {
    connect();
    device.SetLightControl(true);
    ASSERT_TRUE(change([](MouseSettings& s) { s.light.mode = CMerivexUSBDevice::kSoftwareLightMode; }));
    ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= 2; }));
    const size_t mark = lineCount();
    std::array<int32_t, 500> levels{};
    for (int round = 0; round < 20; ++round) {
        // Sound keeps the frames changing, so a frame is due whenever a job ends.
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((static_cast<size_t>(round) * 37 + b * 211) % 2000);
        device.AudioLevels(levels);
        ASSERT_TRUE(run([&](auto done) { device.ActivatePage(done); }));
        ASSERT_TRUE(change([round](MouseSettings& s) { s.stages[1].dpiX = 20 + round; }));
    }
    const uint64_t frames = device.streamStats().frames;
    ASSERT_TRUE(test::waitFor([&] { return device.streamStats().frames >= frames + 2; }));
    const auto reports = capturedSince(mark);
    EXPECT_TRUE(std::ranges::any_of(reports, [](const auto& r) { return r.out() && r.command() == 0x12; }));
    EXPECT_EQ(test::framesInsideSequences(reports), 0u);
    EXPECT_EQ(device.lightSettings().mode, CMerivexUSBDevice::kSoftwareLightMode);
}

INSTANTIATE_TEST_SUITE_P(Links, MouseDeviceTest, test::allLinks(), test::linkName);

}  // namespace
}  // namespace halvern
