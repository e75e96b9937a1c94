// The host side (HidInterface, CommandChannel) against the device emulator, over both transports.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "device/command_channel.h"
#include "device/interface_scan.h"
#include "emulator/emulator.h"

namespace halvern {
namespace {

using namespace std::chrono;
using emu::Attachment;
using emu::Product;

class ChannelOverEmulator : public ::testing::TestWithParam<emu::Transport> {
protected:
    ChannelOverEmulator() : emulator(emu::EmulatorOptions{GetParam(), {}, {}}) {}

    // Attaches the product and opens its command interface into the channel the way a page does.
    void connect(Product product, Attachment attachment) {
        device = emulator.attach(product, attachment);
        ASSERT_TRUE(device);
        DeviceSlotList slots = makeDeviceSlotList();
        HidInterface probe(emulator);
        const auto claimed = claimNewInterfaces(probe, slots);
        ASSERT_TRUE(claimed);
        for (const auto& c : *claimed) {
            if (c.role == interface_role::kCommand) commandPath = c.path;
            if (c.role == interface_role::kNotification) notificationPath = c.path;
        }
        receiver = attachment == Attachment::Receiver;
        HidInterface& hid = receiver ? channel.receiverInterface() : channel.cableInterface();
        ASSERT_TRUE(hid.Open(commandPath, true, true, true, false));
        channel.SetMode(receiver ? 2 : 1);
        channel.setConnected(true);
        channel.setTimeouts(200, 200);
    }

    emu::Emulator emulator;
    CommandChannel channel{emulator};
    std::shared_ptr<emu::VirtualDevice> device;
    std::string commandPath, notificationPath;
    bool receiver = false;
};

TEST_P(ChannelOverEmulator, SettingsRecordRoundTripsThroughTheReceiver) {
    connect(Product::Mouse, Attachment::Receiver);
    EXPECT_EQ(channel.QueryLink(), result::kSuccess);
    std::array<uint8_t, CommandChannel::kInfoSize> info{};
    ASSERT_EQ(channel.Begin(), result::kSuccess);
    ASSERT_EQ(channel.ReadInfo(info), result::kSuccess);
    EXPECT_GT(info[5], 0);  // key slots

    std::vector<uint8_t> record(75);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 3);
    record[0] = 0;
    ASSERT_EQ(channel.WriteAt(record, 0), result::kSuccess);
    ASSERT_EQ(channel.End(), result::kSuccess);
    std::vector<uint8_t> back(80);
    ASSERT_EQ(channel.ReadAt(back, 0), result::kSuccess);
    EXPECT_TRUE(std::equal(record.begin(), record.end(), back.begin()));
}

TEST_P(ChannelOverEmulator, KeyboardTablesReadWithTheBlockCommands) {
    connect(Product::Keyboard, Attachment::Cable);
    std::array<uint8_t, CommandChannel::kInfoSize> info{};
    ASSERT_EQ(channel.ReadInfo(info), result::kSuccess);
    const unsigned slots = info[5];
    ASSERT_GT(slots, 0u);
    ASSERT_EQ(channel.SetBlockSize(static_cast<uint16_t>(slots * 3)), 1);
    std::vector<uint8_t> keys(slots * 3), leds(slots);
    ASSERT_EQ(channel.ReadBlock(keys), result::kSuccess);
    ASSERT_EQ(channel.ReadThirdBlock(leds), result::kSuccess);
    // Every factory key code is a keyboard key or another assignment type, never an empty slot type 0.
    for (unsigned s = 0; s < slots; ++s) EXPECT_NE(keys[s * 3], 0) << s;
}

TEST_P(ChannelOverEmulator, ReceiverAnswersForAnUnreachableDevice) {
    connect(Product::Keyboard, Attachment::Receiver);
    device->setLinkUp(false);
    EXPECT_EQ(channel.QueryLink(), 0);
    EXPECT_EQ(channel.Begin(), result::kReceiverUnreachable);
    device->setLinkUp(true);
    EXPECT_EQ(channel.QueryLink(), result::kSuccess);
    EXPECT_EQ(channel.Begin(), result::kSuccess);
}

TEST_P(ChannelOverEmulator, FaultsGiveTheirResultsAndTheChannelRecovers) {
    connect(Product::Mouse, Attachment::Cable);
    emu::Faults faults;
    faults.replyStatus = 0xFF;
    device->setFaults(faults);
    EXPECT_EQ(channel.Begin(), result::kStatusFF);
    faults.replyStatus = 0xFE;
    device->setFaults(faults);
    EXPECT_EQ(channel.Begin(), result::kStatusFE);
    faults = {};
    faults.replyCode = 0x33;
    device->setFaults(faults);
    EXPECT_EQ(channel.Begin(), result::kNoReply);
    faults = {};
    faults.dropReplies = 1;
    device->setFaults(faults);
    const auto start = steady_clock::now();
    EXPECT_EQ(channel.Begin(), result::kNoReply);
    EXPECT_LT(steady_clock::now() - start, 1s);
    EXPECT_EQ(channel.Begin(), result::kSuccess);
}

TEST_P(ChannelOverEmulator, UnplugDuringAMultiReportWriteFailsPromptly) {
    connect(Product::Mouse, Attachment::Receiver);
    device->unplugAfterReports(2);  // the third of four chunks never arrives
    const auto start = steady_clock::now();
    const int r = channel.WriteAt(std::vector<uint8_t>(75, 1), 0);
    EXPECT_TRUE(r == result::kWriteFailed || r == result::kNoReply) << r;
    EXPECT_LT(steady_clock::now() - start, 1s);
    EXPECT_FALSE(channel.busy());
    EXPECT_NE(channel.Begin(), result::kSuccess);

    // Plugged in again, the same channel works once its interface is opened anew.
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Receiver));
    device = emulator.attach(Product::Mouse, Attachment::Receiver);
    ASSERT_TRUE(channel.receiverInterface().Open(commandPath, true, true, true, false));
    EXPECT_EQ(channel.Begin(), result::kSuccess);
}

TEST_P(ChannelOverEmulator, NotificationsReachOnlyTheConsumerCollection) {
    connect(Product::Mouse, Attachment::Cable);
    HidInterface notifications(emulator);
    ASSERT_TRUE(notifications.Open(notificationPath, true, false, true, false));
    auto reader = std::async(std::launch::async, [&] {
        auto buffer = notifications.inputReportBuffer();
        size_t got = 0;
        if (!notifications.Read(buffer, &got, -1)) return uint16_t{0};
        if (!notifications.DecodeInputReport(buffer.first(got))) return uint16_t{1};
        return notifications.firstButtonUsage();
    });
    ASSERT_EQ(channel.Begin(), result::kSuccess);  // its reply goes to the command collection only
    ASSERT_TRUE(device->emitNotification(0x1123));
    ASSERT_EQ(reader.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(reader.get(), 0x1123);
}

INSTANTIATE_TEST_SUITE_P(Transports, ChannelOverEmulator,
                         ::testing::Values(emu::Transport::InProcess, emu::Transport::SocketPair),
                         [](const auto& param) {
                             return param.param == emu::Transport::InProcess ? "InProcess" : "SocketPair";
                         });

}  // namespace
}  // namespace halvern
