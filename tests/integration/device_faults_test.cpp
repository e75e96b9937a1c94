// What a failing device does to a settings change: the change fails with the right result within its
// time-out, page and profile file keep what the device holds, every Begin the device took gets its End, and
// the device object still stops within its bound.

#include <gtest/gtest.h>

#include "devices/mouse_device.h"
#include "emulated_links.h"
#include "emulator/emulator.h"
#include "temp_env.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using emu::Attachment;
using emu::Product;

struct Fault {
    const char* name;
    Attachment attachment;
    std::function<void(emu::VirtualDevice&)> apply;
    int expectedCode;
};

class DeviceFaultsTest : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        mouse = emulator.attach(Product::Mouse, GetParam().attachment);
        ASSERT_TRUE(mouse);
        device = std::make_unique<CMerivexMouseDevice>(emulator);
        test::openOverEmulator(emulator, *device, GetParam().attachment == Attachment::Receiver);
        if (HasFatalFailure()) return;
        device->SetKindName("mouse");
        device->SetKindId(1);
        device->SetLedCount(6);
        ASSERT_TRUE(device->Await([&](auto done) { device->ActivatePage(done); }));
    }

    DeviceResult changeStage(uint16_t position) {
        return device->Await([&](auto done) {
            device->ChangeSettings(
                [position](MouseSettings& s) { s.stages[2].dpiX = s.stages[2].dpiY = position; }, 1920, 1080,
                done);
        });
    }

    uint16_t stageInFile() {
        CMouseProfiledata reread;
        reread.SetDefaultPath(device->DefaultDataFile());
        EXPECT_TRUE(reread.LoadDeviceRecord(device->profile().GetProfilePath()));
        return reread.GetDpiStages().at(2).dpiX;
    }

    test::TempDir data;
    test::ScopedEnv xdg{"XDG_DATA_HOME", data.path().string()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::SocketPair, {}, {}}};
    std::shared_ptr<emu::VirtualDevice> mouse;
    std::unique_ptr<CMerivexMouseDevice> device;
};

TEST_P(DeviceFaultsTest, AFailedChangeKeepsPageAndProfileAndTheDeviceStillStopsInTime) {
    ASSERT_TRUE(changeStage(30));  // the device and the file hold 30
    const MouseSettings before = device->settings();

    GetParam().apply(*mouse);
    const auto started = Clock::now();
    const DeviceResult failed = changeStage(60);
    const auto took = Clock::now() - started;
    EXPECT_EQ(failed.code(), GetParam().expectedCode) << describe(failed);
    EXPECT_EQ(failed.step(), DeviceStep::Settings);
    // The test's time-outs are 300 ms a reply; a sequence that gives up runs into at most a few of them.
    EXPECT_LT(took, 2s);
    EXPECT_EQ(device->settings(), before);
    EXPECT_EQ(stageInFile(), 30);

    const auto stopping = Clock::now();
    device.reset();
    EXPECT_LT(Clock::now() - stopping, 1500ms) << "the device object took too long to stop";
    mouse->unplug();  // ends whatever the emulated pipe still holds
}

const Fault kFaults[] = {
    {"NoAnswer", Attachment::Cable, [](emu::VirtualDevice& d) { d.setFaults({.dropAllReplies = true}); },
     result::kNoReply},
    {"UnplugMidExchange", Attachment::Cable, [](emu::VirtualDevice& d) { d.unplugAfterReports(2); },
     result::kNoReply},
    {"WriteBlocksFiveSeconds", Attachment::Cable,
     [](emu::VirtualDevice& d) { d.setFaults({.writeBlock = 5000ms}); }, result::kWriteFailed},
    {"ReceiverCannotReachTheMouse", Attachment::Receiver, [](emu::VirtualDevice& d) { d.setLinkUp(false); },
     result::kReceiverUnreachable},
    {"StatusFF", Attachment::Cable, [](emu::VirtualDevice& d) { d.setFaults({.replyStatus = 0xFF}); },
     result::kStatusFF},
    {"StatusFE", Attachment::Cable, [](emu::VirtualDevice& d) { d.setFaults({.replyStatus = 0xFE}); },
     result::kStatusFE},
};

INSTANTIATE_TEST_SUITE_P(Faults, DeviceFaultsTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& param) {
                             return std::string(param.param.name);
                         });

class SequenceEndTest : public ::testing::Test {
protected:
    test::TempDir data;
    test::ScopedEnv xdg{"XDG_DATA_HOME", data.path().string()};
    emu::Emulator emulator;
};

TEST_F(SequenceEndTest, EveryBeginTheDeviceTookGetsItsEnd) {
    auto mouse = emulator.attach(Product::Mouse);
    ASSERT_TRUE(mouse);
    CMerivexMouseDevice device(emulator);
    test::openOverEmulator(emulator, device, false);
    device.SetKindName("mouse");
    // The key table read is refused while the page opens: the page opens from the profile, and the End
    // follows all the same.
    mouse->setFaults({.refuseCommand = command::kReadBlock});
    EXPECT_EQ(device.Await([&](auto done) { device.ActivatePage(done); }).code(), result::kStatusFF);
    auto& firmware = mouse->firmware();
    EXPECT_EQ(firmware.commandCount(command::kBegin), 1u);
    EXPECT_EQ(firmware.commandCount(command::kEnd), 1u);

    // The record is refused half-way through a settings write.
    mouse->setFaults({.refuseCommand = command::kWriteAt});
    const DeviceResult written = device.Await([&](auto done) {
        device.ChangeSettings([](MouseSettings& s) { s.activeStage = 2; }, 1920, 1080, done);
    });
    EXPECT_EQ(written.code(), result::kStatusFF);
    EXPECT_EQ(firmware.commandCount(command::kBegin), 2u);
    EXPECT_EQ(firmware.commandCount(command::kEnd), 2u);
}

}  // namespace
}  // namespace halvern

namespace halvern {
namespace {

// A frame chunk does not wait for its write apart from its reply; a write the device holds up is still
// told apart from a missing reply, and the next frame goes out once the device takes reports again.
TEST_F(SequenceEndTest, AStreamedFrameOverAStalledWriteFailsAsAWriteAndTheNextOneGoesOut) {
    auto mouse = emulator.attach(Product::Mouse);
    ASSERT_TRUE(mouse);
    CMerivexMouseDevice device(emulator);
    test::openOverEmulator(emulator, device, false);
    CommandChannel& channel = device.commandChannel();
    const std::vector<uint8_t> frame(120, 0x40);
    ASSERT_EQ(channel.StreamLightFrame(frame), result::kSuccess);
    const size_t chunks = mouse->firmware().commandCount(command::kStreamLightFrame);
    EXPECT_GT(chunks, 1u);

    mouse->setFaults({.writeBlock = 2000ms});
    EXPECT_EQ(channel.StreamLightFrame(frame), result::kWriteFailed);
    mouse->setFaults({});
    EXPECT_TRUE(test::waitFor([&] { return channel.StreamLightFrame(frame) == result::kSuccess; }, 5000ms));
}

}  // namespace
}  // namespace halvern
