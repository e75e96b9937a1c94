// The notification reader sleeps while its interface is closed and wakes when it opens, reads each
// notification code once, and stops at once from any of its waits.

#include "devices/notification_reader.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "fake_hid.h"

namespace halvern {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class NotificationReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = std::make_shared<test::FakeDevice>(test::productDescriptor(),
                                                    HidAttributes{0x320F, 0x5055, 1}, 1);
        backend.nodes["/dev/hidraw1"] = device;
    }

    bool waitForCodes(size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 2s, [&] { return codes.size() >= count; });
    }

    test::FakeBackend backend;
    std::shared_ptr<test::FakeDevice> device;
    HidInterface hid{backend};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint16_t> codes;
    NotificationReader reader{hid,
                              [this](uint16_t code) {
                                  std::scoped_lock lock(mutex);
                                  codes.push_back(code);
                                  changed.notify_all();
                              },
                              "reader ends"};
};

TEST_F(NotificationReaderTest, WaitsForItsInterfaceToOpenThenReadsEachCode) {
    reader.start();  // the interface is still closed: the reader sleeps until it opens
    ASSERT_TRUE(hid.Open("/dev/hidraw1#3", true, false, true, false));
    device->deliver({0x03, 0x01, 0x04});  // consumer report 3: code 0x0401
    device->deliver({0x04, 0x02, 0x00});  // a command reply: not a notification of this collection
    device->deliver({0x03, 0x23, 0x11});
    ASSERT_TRUE(waitForCodes(2));
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x0401, 0x1123}));

    // Closed and opened again (an unplug and a new arrival): it goes on reading.
    hid.Close();
    ASSERT_TRUE(hid.Open("/dev/hidraw1#3", true, false, true, false));
    device->deliver({0x03, 0x03, 0x04});
    ASSERT_TRUE(waitForCodes(3));
    EXPECT_EQ(codes.back(), 0x0403);
}

TEST_F(NotificationReaderTest, StopsAtOnceWhileWaitingForAReportOrForTheInterface) {
    reader.start();
    auto started = Clock::now();
    reader.stop();  // waiting for the interface to open
    EXPECT_LT(Clock::now() - started, 200ms);

    ASSERT_TRUE(hid.Open("/dev/hidraw1#3", true, false, true, false));
    reader.start();
    device->deliver({0x03, 0x01, 0x04});
    ASSERT_TRUE(waitForCodes(1));  // now inside a read that waits for the next report
    started = Clock::now();
    reader.stop();
    EXPECT_LT(Clock::now() - started, 200ms);
    EXPECT_TRUE(hid.isOpen());  // stopping the reader leaves the interface to its owner
}

}  // namespace
}  // namespace halvern
