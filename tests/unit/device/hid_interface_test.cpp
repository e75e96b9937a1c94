#include "device/hid_interface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "fake_hid.h"

namespace halvern {
namespace {

using namespace std::chrono;
using test::Report;

class HidInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = std::make_shared<test::FakeDevice>(test::productDescriptor(),
                                                    HidAttributes{0x320F, 0x221C, 0x0107}, 1);
        backend.nodes["/dev/hidraw1"] = device;
    }
    test::FakeBackend backend;
    std::shared_ptr<test::FakeDevice> device;
};

TEST_F(HidInterfaceTest, EnumerateListsEveryCollectionInOrder) {
    // A dozen nodes: more than the first room the list had on the old platform.
    for (int i = 2; i <= 12; ++i) backend.nodes["/dev/hidraw" + std::to_string(i)] = device;
    HidInterface hid(backend);
    ASSERT_TRUE(hid.Enumerate());
    int count = 0;
    while (const HidEnumEntry* e = hid.NextPath()) {
        EXPECT_EQ(e->attributes.productId, 0x221C);
        ++count;
    }
    EXPECT_EQ(count, 12 * 4);
    EXPECT_EQ(hid.NextPath(), nullptr);
    hid.FreePathList();
    EXPECT_EQ(hid.NextPath(), nullptr);

    backend.failEnumeration = true;
    EXPECT_FALSE(hid.Enumerate());
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST_F(HidInterfaceTest, OpenTakesIdentityAndCapabilitiesOfTheCollection) {
    HidInterface hid(backend);
    EXPECT_FALSE(hid.Open("/dev/nothing#4", true, true, true, false));
    EXPECT_FALSE(hid.isOpen());
    EXPECT_FALSE(hid.Open("/dev/hidraw1#9", true, true, true, false));  // no ninth collection
    EXPECT_FALSE(hid.Open("/dev/hidraw1", true, true, true, false));    // several collections need a number

    ASSERT_TRUE(hid.Open("/dev/hidraw1#4", true, true, true, false));
    EXPECT_EQ(hid.attributes().versionNumber, 0x0107);
    EXPECT_EQ(hid.interfaceNumber(), 1);
    EXPECT_EQ(hid.collectionNumber(), 4);
    EXPECT_EQ(hid.capabilities().usagePage, 0xFF1C);
    EXPECT_EQ(hid.capabilities().outputReportByteLength, 64);
    EXPECT_EQ(hid.inputReportBuffer().size(), 64u);
    hid.Close();
    EXPECT_FALSE(hid.isOpen());
    uint8_t buffer[64];
    EXPECT_FALSE(hid.Read(buffer, nullptr, 0));
    EXPECT_FALSE(hid.Write(buffer, nullptr, 0));
}

TEST_F(HidInterfaceTest, ReadHandsOutOnlyReportsOfItsCollection) {
    HidInterface command(backend);
    HidInterface consumer(backend);
    ASSERT_TRUE(command.Open("/dev/hidraw1#4", true, true, true, false));
    ASSERT_TRUE(consumer.Open("/dev/hidraw1#3", true, false, true, false));

    device->deliver({0x03, 0x01, 0x04});  // a consumer notification
    Report reply(64, 0);
    reply[0] = 0x04;
    reply[3] = 0x01;
    device->deliver(reply);

    uint8_t buffer[64] = {};
    size_t got = 0;
    ASSERT_TRUE(command.Read(buffer, &got, 100));
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_FALSE(command.Read(buffer, &got, 20));  // the notification was dropped, not handed out

    ASSERT_TRUE(consumer.Read(buffer, &got, 100));
    EXPECT_EQ(got, 3u);
    ASSERT_TRUE(consumer.DecodeInputReport(std::span(buffer, got)));
    EXPECT_EQ(consumer.firstButtonUsage(), 0x0401);
}

TEST_F(HidInterfaceTest, BlockedReadEndsPromptlyOnCloseFromAnotherThread) {
    HidInterface hid(backend);
    ASSERT_TRUE(hid.Open("/dev/hidraw1#3", true, false, true, false));
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buffer[8];
        return hid.Read(buffer, nullptr, -1);
    });
    std::this_thread::sleep_for(50ms);
    const auto closedAt = steady_clock::now();
    hid.Close();
    ASSERT_EQ(reader.wait_for(1s), std::future_status::ready);
    EXPECT_LT(steady_clock::now() - closedAt, 50ms);
    EXPECT_FALSE(reader.get());

    // The interface opens again normally afterwards.
    ASSERT_TRUE(hid.Open("/dev/hidraw1#3", true, false, true, false));
    device->deliver({0x03, 0x03, 0x10});
    uint8_t buffer[8];
    EXPECT_TRUE(hid.Read(buffer, nullptr, 100));
}

TEST_F(HidInterfaceTest, ReadTimesOutAndFailsWhenTheDeviceGoes) {
    HidInterface hid(backend);
    ASSERT_TRUE(hid.Open("/dev/hidraw1#4", true, true, true, false));
    uint8_t buffer[64];
    const auto start = steady_clock::now();
    EXPECT_FALSE(hid.Read(buffer, nullptr, 30));
    const auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, 29ms);
    EXPECT_LT(waited, 500ms);

    device->unplug();
    EXPECT_FALSE(hid.Read(buffer, nullptr, -1));
    EXPECT_FALSE(hid.Write(buffer, nullptr, 100));
}

TEST_F(HidInterfaceTest, DecodeFillsOnlyEntriesOfTheReportsId) {
    HidInterface hid(backend);
    ASSERT_TRUE(hid.Open("/dev/hidraw1#1", true, false, true, false));
    ASSERT_EQ(hid.inputEntries().size(), 2u);
    EXPECT_TRUE(hid.DecodeInputReport(std::vector<uint8_t>{0x09, 0xFF}));  // no such report: nothing changes
    EXPECT_FALSE(hid.inputEntries()[0].isSet);

    // Left shift and left GUI held, keys A and B down.
    ASSERT_TRUE(hid.DecodeInputReport(std::vector<uint8_t>{0x01, 0x0A, 0x04, 0x05, 0, 0, 0, 0}));
    const auto& modifiers = hid.inputEntries()[0];
    EXPECT_TRUE(modifiers.isSet);
    EXPECT_EQ(modifiers.usages[0], 0xE1);
    EXPECT_EQ(modifiers.usages[1], 0xE3);
    EXPECT_EQ(modifiers.usages[2], 0);
    const auto& keys = hid.inputEntries()[1];
    EXPECT_EQ(keys.usages[0], 0x04);
    EXPECT_EQ(keys.usages[1], 0x05);
    EXPECT_EQ(keys.usages[2], 0);
    EXPECT_EQ(hid.firstButtonUsage(), 0xE1);

    // A short report sets what it holds and never reads past its end.
    EXPECT_TRUE(hid.DecodeInputReport(std::vector<uint8_t>{0x01}));
}

}  // namespace
}  // namespace halvern
