// Discovery keeps going when the HID listing fails for a while, and says once when a supported device may
// not be opened for lack of permission.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "app/discovery.h"
#include "emulator/emulator.h"
#include "fake_hid.h"

namespace halvern::app {
namespace {

using namespace std::chrono_literals;

TEST(DiscoveryRecovery, AFailedListingIsTriedAgainUntilItWorks) {
    test::FakeBackend backend;
    backend.failEnumeration = true;
    SlotTable slots;
    std::mutex mutex;
    std::condition_variable changed;
    int firstScans = 0;
    DiscoveryEvents events;
    events.firstScanDone = [&] {
        std::scoped_lock lock(mutex);
        ++firstScans;
        changed.notify_all();
    };
    Discovery discovery(backend, slots, events);
    discovery.start();
    // The listing fails twice (the second time after a pause), and no scan is complete meanwhile.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (backend.enumerations < 2 && std::chrono::steady_clock::now() < deadline) {
        std::unique_lock wait(mutex);
        changed.wait_for(wait, 5ms);
    }
    ASSERT_GE(backend.enumerations.load(), 2);
    {
        std::scoped_lock check(mutex);
        EXPECT_EQ(firstScans, 0);
    }
    backend.failEnumeration = false;
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, 2s, [&] { return firstScans == 1; })) << "discovery gave up";
    lock.unlock();
    discovery.stop();
}

TEST(DiscoveryRecovery, ADeviceThatMayNotBeOpenedIsReportedOnce) {
    emu::Emulator emulator;
    auto mouse = emulator.attach(emu::Product::Mouse);
    ASSERT_TRUE(mouse);
    mouse->setAccessDenied(true);
    SlotTable slots;
    std::vector<std::string> denied;
    std::vector<int> arrived;
    DiscoveryEvents events;
    events.arrived = [&](int slot) { arrived.push_back(slot); };
    Discovery discovery(emulator, slots, events);
    discovery.setAccessDeniedHandler([&](const std::string& path) { denied.push_back(path); });
    ASSERT_TRUE(discovery.pass());
    ASSERT_TRUE(discovery.pass());
    EXPECT_TRUE(arrived.empty());
    ASSERT_EQ(denied.size(), 2u);  // the command and the notification interface, each once
    EXPECT_NE(denied[0], denied[1]);

    mouse->setAccessDenied(false);  // the rule is in place: the mouse arrives
    ASSERT_TRUE(discovery.pass());
    EXPECT_EQ(arrived.size(), 2u);
    EXPECT_EQ(denied.size(), 2u);
}

}  // namespace
}  // namespace halvern::app
