// Virtual devices behind both transports: enumeration, exchanges, notifications, faults and unplugging.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "emulator/emulator.h"
#include "test_reports.h"

namespace halvern::emu {
namespace {

using namespace std::chrono_literals;
using test::readNext;
using test::request;
using test::transact;

class TransportTest : public ::testing::TestWithParam<Transport> {
protected:
    Emulator m_emulator{EmulatorOptions{.transport = GetParam()}};

    std::unique_ptr<HidNode> open(std::string_view device, int collection = 4, bool write = true) {
        const uint16_t interfaceNumber = device == "headset" ? 3 : 1;
        std::string path("emu:");
        path.append(device).append("/").append(std::to_string(interfaceNumber));
        if (collection) path.append("#").append(std::to_string(collection));
        return m_emulator.openNode(path, write);
    }
};

TEST_P(TransportTest, EnumerationListsEveryCollectionWithItsIdentity) {
    m_emulator.attach(Product::Mouse, Attachment::Cable);
    m_emulator.attach(Product::Mouse, Attachment::Receiver);
    m_emulator.attach(Product::Headset);
    std::vector<HidEnumEntry> entries;
    ASSERT_TRUE(m_emulator.enumerate(entries));
    ASSERT_EQ(entries.size(), 5u + 5u + 1u);  // boot mouse + four collections, twice; the headset

    auto find = [&](std::string_view path) {
        return std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.path == path; });
    };
    const auto command = find("emu:mouse-receiver/1#4");
    ASSERT_NE(command, entries.end());
    EXPECT_EQ(command->attributes.vendorId, 0x320F);
    EXPECT_EQ(command->attributes.productId, 0x221D);
    EXPECT_EQ(command->interfaceNumber, 1);
    EXPECT_EQ(command->collection, 4);
    EXPECT_EQ(command->usagePage, 0xFF1C);
    EXPECT_EQ(command->usage, 0x92);
    const auto consumer = find("emu:mouse/1#3");
    ASSERT_NE(consumer, entries.end());
    EXPECT_EQ(consumer->usagePage, 0x000C);
    EXPECT_EQ(consumer->attributes.productId, 0x221C);
    const auto headset = find("emu:headset/3");
    ASSERT_NE(headset, entries.end());
    EXPECT_EQ(headset->collection, 0);
    EXPECT_EQ(headset->attributes.vendorId, 0x0C76);
    EXPECT_EQ(find("emu:mouse/0")->interfaceNumber, 0);

    EXPECT_TRUE(m_emulator.detach(Product::Mouse, Attachment::Receiver));
    ASSERT_TRUE(m_emulator.enumerate(entries));
    EXPECT_EQ(entries.size(), 6u);
    EXPECT_FALSE(m_emulator.openNode("emu:mouse-receiver/1#4", true));
}

TEST_P(TransportTest, ExchangesGoOnlyWhereOutputReportsExist) {
    auto device = m_emulator.attach(Product::Keyboard);
    auto node = open("keyboard");
    ASSERT_TRUE(node);
    EXPECT_EQ(node->attributes().productId, 0x5055);
    EXPECT_EQ(node->interfaceNumber(), 1);
    EXPECT_FALSE(node->reportDescriptor().empty());

    const auto reply = transact(*node, request(0x03, 34, 0));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[3], 0x03);
    EXPECT_EQ((*reply)[8 + 5], 126);  // key slots

    auto boot = m_emulator.openNode("emu:keyboard/0", true);
    ASSERT_TRUE(boot);
    EXPECT_EQ(boot->writeReport(request(0x01)), -1);
    auto readOnly = open("keyboard", 4, false);
    EXPECT_EQ(readOnly->writeReport(request(0x01)), -1);
    EXPECT_EQ(node->writeReport(std::vector<uint8_t>(65, 0x04)), -1);  // longer than the report
    EXPECT_EQ(device->firmware().commandCount(0x01), 0u);
}

TEST_P(TransportTest, EveryNodeOfTheInterfaceReceivesEveryInputReport) {
    auto device = m_emulator.attach(Product::Mouse, Attachment::Receiver);
    auto commands = open("mouse-receiver", 4);
    auto notifications = open("mouse-receiver", 3, false);
    ASSERT_TRUE(commands && notifications);

    ASSERT_TRUE(device->emitNotification(0x1123));
    for (HidNode* node : {commands.get(), notifications.get()}) {
        const auto report = readNext(*node);
        ASSERT_TRUE(report);
        EXPECT_EQ((*report)[0], 0x03);
        EXPECT_EQ((*report)[1], 0x23);
        EXPECT_EQ((*report)[2], 0x11);
    }
    // A command reply reaches the notification node too; the host sorts by report ID.
    ASSERT_TRUE(transact(*commands, request(0xAA)));
    const auto stray = readNext(*notifications);
    ASSERT_TRUE(stray);
    EXPECT_EQ((*stray)[0], 0x04);
}

TEST_P(TransportTest, LatencyHoldsEachReplyBackOneIntervalEachWay) {
    auto device = m_emulator.attach(Product::Mouse);
    auto node = open("mouse");
    device->setFaults({.latency = 30ms});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(node->writeReport(request(0x01)), 64);
    EXPECT_EQ(test::waitNode(*node, POLLIN, 0), 0);  // not there yet
    ASSERT_TRUE(readNext(*node));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 60ms);

    device->setFaults({.latency = 1ms});
    constexpr int kExchanges = 20;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) ASSERT_TRUE(transact(*node, request(0x01)));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, kExchanges * 2ms);
    EXPECT_LT(elapsed, kExchanges * 25ms);  // slept until due, not polled for
}

TEST_P(TransportTest, UnplugInTheMiddleOfAMultiReportWrite) {
    auto device = m_emulator.attach(Product::Mouse);
    auto node = open("mouse");
    device->unplugAfterReports(2);
    const auto first = transact(*node, request(0x06, 2, 128 + 6, {0x11, 0x22}));
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[7], 0x00);
    ASSERT_EQ(node->writeReport(request(0x06, 2, 128 + 8, {0x33, 0x44})), 64);  // taken, never answered

    const short revents = test::waitNode(*node, POLLIN, 500);
    EXPECT_NE(revents, 0) << "a waiting reader is woken at once";
    EXPECT_TRUE(revents & POLLHUP);
    std::array<uint8_t, 64> buffer{};
    EXPECT_EQ(node->readReport(buffer), -1);
    EXPECT_EQ(node->writeReport(request(0x02)), -1);
    EXPECT_FALSE(device->present());
    std::vector<HidEnumEntry> entries;
    ASSERT_TRUE(m_emulator.enumerate(entries));
    EXPECT_TRUE(entries.empty());

    // Plugged in again: the memory kept both chunks that reached it.
    ASSERT_TRUE(m_emulator.attach(Product::Mouse));
    auto again = open("mouse");
    const auto record = transact(*again, request(0x05, 4, 128 + 6));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record)[8], 0x11);
    EXPECT_EQ((*record)[10], 0x33);
}

TEST_P(TransportTest, ReplyFaults) {
    auto device = m_emulator.attach(Product::Keyboard);
    auto node = open("keyboard");

    device->setFaults({.dropReplies = 1});
    EXPECT_FALSE(transact(*node, request(0x01), 50));
    EXPECT_TRUE(transact(*node, request(0x01)));

    device->setFaults({.replyCode = 0x05});
    EXPECT_EQ((*transact(*node, request(0x01)))[3], 0x05);

    device->setFaults({.replyStatus = 0xFE});
    const auto refused = transact(*node, request(0x06, 1, 0, {0x03}));
    EXPECT_EQ((*refused)[7], 0xFE);
    EXPECT_EQ(device->firmware().region(Region::Settings)[0], 0x00);

    device->setFaults({.dropAllReplies = true});
    EXPECT_FALSE(transact(*node, request(0x01), 30));
    EXPECT_FALSE(transact(*node, request(0x01), 30));
    device->setFaults({});
    const auto clean = transact(*node, request(0x01));
    ASSERT_TRUE(clean);
    EXPECT_EQ((*clean)[3], 0x01);
    EXPECT_EQ((*clean)[7], 0x00);
}

TEST_P(TransportTest, ReceiverAnswersForAnUnreachableDevice) {
    auto device = m_emulator.attach(Product::Keyboard, Attachment::Receiver);
    auto node = open("keyboard-receiver");
    device->setLinkUp(false);
    const auto info = transact(*node, request(0x03, 24, 0));
    ASSERT_TRUE(info);
    EXPECT_EQ((*info)[3], 0xAA);
    EXPECT_EQ((*info)[4], 24);
    const auto query = transact(*node, request(0xAA));
    EXPECT_NE((*query)[8], 0xFF);
    EXPECT_EQ(device->firmware().commandCount(0x03), 0u);
    EXPECT_FALSE(device->emitNotification(0x0401));

    device->setLinkUp(true);
    EXPECT_EQ((*transact(*node, request(0xAA)))[8], 0xFF);
    EXPECT_EQ((*transact(*node, request(0x03, 24, 0)))[3], 0x03);
}

TEST_P(TransportTest, BothAttachmentsShareOneProductMemory) {
    m_emulator.attach(Product::Mouse, Attachment::Cable);
    m_emulator.attach(Product::Mouse, Attachment::Receiver);
    auto cable = open("mouse");
    auto receiver = open("mouse-receiver");
    ASSERT_EQ((*transact(*cable, request(0x09, 3, 0, {0x10, 0x04, 0x00})))[7], 0x00);
    const auto table = transact(*receiver, request(0x07, 3, 0));
    EXPECT_EQ((*table)[8], 0x10);
    EXPECT_EQ((*table)[9], 0x04);
}

TEST_P(TransportTest, HeadsetTakesLedReportsAndCommandsOnItsOneInterface) {
    auto device = m_emulator.attach(Product::Headset);
    auto node = open("headset", 0);
    ASSERT_TRUE(node);
    std::array<uint8_t, 17> led = {0xFF, 0x22, 0xAA, 0x00, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_TRUE(node->setOutputReport(led));
    EXPECT_EQ(node->writeReport(led), 17);

    const auto record = transact(*node, request(0x05, 27, 0));  // behind the LED report on the same pipe
    ASSERT_TRUE(record);
    EXPECT_EQ((*record)[8 + 2], 0x03);  // brightness of the factory record
    ASSERT_EQ(device->firmware().ledReportCount(), 2u);
    EXPECT_EQ(device->firmware().ledReports().back(), led);
}

TEST_P(TransportTest, ConcurrentExchangesOnTwoAttachments) {
    m_emulator.attach(Product::Mouse, Attachment::Cable);
    m_emulator.attach(Product::Mouse, Attachment::Receiver);
    auto run = [this](std::string_view name, uint16_t offset, int* failures) {
        auto node = open(name);
        for (int i = 0; i < 200; ++i) {
            const auto value = static_cast<uint8_t>(i);
            const auto reply = transact(*node, request(0x06, 1, offset, {value}));
            if (!reply || (*reply)[3] != 0x06 || (*reply)[7] != 0) ++*failures;
        }
    };
    int cableFailures = 0;
    int receiverFailures = 0;
    {
        std::jthread cable(run, "mouse", 300, &cableFailures);
        std::jthread receiver(run, "mouse-receiver", 301, &receiverFailures);
    }
    EXPECT_EQ(cableFailures, 0);
    EXPECT_EQ(receiverFailures, 0);
    const auto settings = m_emulator.device(Product::Mouse)->firmware().region(Region::Settings);
    EXPECT_EQ(settings[300], 199);
    EXPECT_EQ(settings[301], 199);
}

INSTANTIATE_TEST_SUITE_P(Transports, TransportTest,
                         ::testing::Values(Transport::InProcess, Transport::SocketPair),
                         [](const ::testing::TestParamInfo<Transport>& param) {
                             return param.param == Transport::InProcess ? "InProcess" : "SocketPair";
                         });

}  // namespace
}  // namespace halvern::emu
