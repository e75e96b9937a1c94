#include "app/discovery.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <condition_variable>
#include <set>

#include "device/debug_sink.h"
#include "emulator/emulator.h"

namespace halvern::app {
namespace {

using namespace std::chrono;

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> arrived, removed;
    int firstScans = 0;

    DiscoveryEvents events() {
        return {[this](int s) { record(arrived, s); }, [this](int s) { record(removed, s); },
                [this] {
                    std::lock_guard lock(mutex);
                    ++firstScans;
                }};
    }
    void record(std::vector<int>& list, int slot) {
        std::lock_guard lock(mutex);
        list.push_back(slot);
        changed.notify_all();
    }
    bool waitFor(std::vector<int>& list, size_t count, milliseconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return list.size() >= count; });
    }
};

TEST(Discovery, ClaimsArrivalsAndFreesRemovalsInOnePass) {
    emu::Emulator emulator;
    SlotTable slots;
    Recorder recorder;
    Discovery discovery(emulator, slots, recorder.events());

    ASSERT_TRUE(discovery.pass());
    EXPECT_TRUE(recorder.arrived.empty());
    EXPECT_EQ(recorder.firstScans, 1);

    (void)emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    (void)emulator.attach(emu::Product::Mouse, emu::Attachment::Receiver);
    ASSERT_TRUE(discovery.pass());
    EXPECT_EQ(std::set<int>(recorder.arrived.begin(), recorder.arrived.end()), (std::set<int>{4, 5, 6, 7}));
    EXPECT_EQ(slots.slot(4).row.inUse, 1);

    ASSERT_TRUE(emulator.detach(emu::Product::Mouse, emu::Attachment::Cable));
    ASSERT_TRUE(discovery.pass());
    EXPECT_EQ(std::set<int>(recorder.removed.begin(), recorder.removed.end()), (std::set<int>{4, 5}));
    EXPECT_TRUE(slots.slot(4).isFree());
    EXPECT_EQ(slots.slot(6).row.inUse, 1);
    EXPECT_EQ(recorder.firstScans, 1);
}

TEST(Discovery, ThreadWakesOnPlugAndUnplugAndEndsWithinItsStopBound) {
    emu::Emulator emulator;
    SlotTable slots;
    Recorder recorder;
    Discovery discovery(emulator, slots, recorder.events());
    discovery.start();
    (void)emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
    // Deadlines only: the thread wakes on the emulator's hot-plug event, not on a timer.
    EXPECT_TRUE(recorder.waitFor(recorder.arrived, 2, seconds(10)));
    ASSERT_TRUE(emulator.detach(emu::Product::Keyboard, emu::Attachment::Cable));
    EXPECT_TRUE(recorder.waitFor(recorder.removed, 2, seconds(10)));

    // The worker reports whether the thread ended within the bound or had to be waited for past it.
    std::vector<std::string> lines;
    std::mutex linesMutex;
    const DebugCapture previous = setDebugCapture([&](std::string_view line) {
        std::lock_guard lock(linesMutex);
        lines.emplace_back(line);
    });
    discovery.stop(seconds(10));
    setDebugCapture(previous);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "线程退出：：对象处于激发状态\n"), lines.end());
}

}  // namespace
}  // namespace halvern::app

namespace halvern::app {
namespace {

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST(Discovery, EmulatorWakesDiscoveryOnEveryKindOfPlugAndUnplug) {
    emu::Emulator emulator;
    const int fd = emulator.hotplugFd();
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(readable(fd));
    auto mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    EXPECT_TRUE(readable(fd));
    emulator.drainHotplug();
    EXPECT_FALSE(readable(fd));
    mouse->unplugAfterReports(0);  // gone through a fault, not through detach
    EXPECT_TRUE(readable(fd));
}

}  // namespace
}  // namespace halvern::app
