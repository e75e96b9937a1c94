// The device manager on its own, with no window: what it makes and reports as devices come and go over the
// emulator, the lock it holds for each, a keyboard moving between its receiver and its cable, and requests
// of a device that arrive after the manager went.

#include "app/device_manager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "app/ui_task_queue.h"
#include "device/device_lock.h"
#include "device/supported_devices.h"
#include "devices/keyed_device.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

// Kind indices: the rows of the device kind table.
constexpr int kMouse = 0;
constexpr int kKeyboard = 1;

class DeviceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path() / "runtime");
        manager = std::make_unique<DeviceManager>(emulator, slotTable, tasks);
        const auto note = [this](const char* what) {
            return [this, what](ManagedDevice& d) {
                events.push_back(std::to_string(d.kindIndex) + ' ' + what);
            };
        };
        manager->setEvents({
            .made = note("made"),
            .answering =
                [this](ManagedDevice& d) {
                    events.push_back(std::to_string(d.kindIndex) + (d.answering ? " answers" : " silent"));
                },
            .activated = note("activated"),
            .gone = note("gone"),
            .status = {},
            .settingsChanged = {},
        });
        manager->createInitialDevices();
        discovery = std::make_unique<Discovery>(
            emulator, slotTable,
            DiscoveryEvents{[this](int slot) { tasks.post([this, slot] { manager->Arrival(slot); }); },
                            [this](int slot) { tasks.post([this, slot] { manager->Removal(slot); }); },
                            {}});
        discovery->start();
    }
    void TearDown() override {
        discovery->stop();
        discovery.reset();
        manager.reset();
    }

    ManagedDevice& device(int kind) { return *manager->deviceForKind(kind); }
    [[nodiscard]] bool has(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    test::TempDir folder;
    test::ScopedEnv runtime{"XDG_RUNTIME_DIR", (folder.path() / "runtime").string()};
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, folder.path() / "state", {}}};
    SlotTable slotTable;
    UiTaskQueue tasks;
    std::unique_ptr<DeviceManager> manager;
    std::unique_ptr<Discovery> discovery;
    std::vector<std::string> events;
};

TEST_F(DeviceManagerTest, AMouseComesIsReadAndHeldThenGoesAndIsFreed) {
    // The kinds that always have a page exist before anything is plugged in, silent.
    EXPECT_EQ(events, (std::vector<std::string>{"0 made", "1 made"}));
    EXPECT_FALSE(device(kMouse).answering);
    EXPECT_EQ(manager->activeDevice(type_code::kMouse), nullptr);
    const auto lockFile = deviceLockFile(emulator, type_code::kMouse);
    ASSERT_TRUE(lockFile);

    ASSERT_TRUE(emulator.attach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return device(kMouse).active; }, 5000));
    EXPECT_TRUE(device(kMouse).answering);
    EXPECT_EQ(events, (std::vector<std::string>{"0 made", "1 made", "0 answers", "0 activated"}));
    EXPECT_EQ(manager->activeDevice(type_code::kMouse), &device(kMouse));
    EXPECT_EQ(tryLockDevice(*lockFile).outcome, LockOutcome::Busy) << "held while this program has it";

    events.clear();
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return !device(kMouse).answering; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string>{"0 gone", "0 silent"}));
    EXPECT_FALSE(device(kMouse).active);
    EXPECT_FALSE(device(kMouse).device->commandChannel().connected());
    EXPECT_EQ(manager->activeDevice(type_code::kMouse), nullptr);
    EXPECT_EQ(tryLockDevice(*lockFile).outcome, LockOutcome::Taken) << "another program may have it now";
    for (auto& timer : device(kMouse).steps) EXPECT_FALSE(timer.isActive());
}

TEST_F(DeviceManagerTest, AKeyboardAnswersThroughItsReceiverAndMovesToItsCableAndBack) {
    auto receiver = emulator.attach(Product::Keyboard, Attachment::Receiver);
    ASSERT_TRUE(receiver);
    receiver->setLinkUp(false);
    CommandChannel& channel = device(kKeyboard).device->commandChannel();
    ASSERT_TRUE(waitUntil([&] { return channel.connected(); }, 5000));
    EXPECT_TRUE(channel.receiverMode());
    EXPECT_FALSE(device(kKeyboard).answering) << "the receiver is there, the keyboard behind it is off";

    receiver->setLinkUp(true);  // the activation asks again about 3 s later
    ASSERT_TRUE(waitUntil([&] { return device(kKeyboard).active; }, 6000));
    EXPECT_TRUE(device(kKeyboard).answering);

    // The cable takes over from the receiver; unplugged again, the receiver carries on.
    ASSERT_TRUE(emulator.attach(Product::Keyboard, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return channel.connected() && !channel.receiverMode(); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return device(kKeyboard).active; }, 5000));
    EXPECT_TRUE(device(kKeyboard).answering);
    ASSERT_TRUE(emulator.detach(Product::Keyboard, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return channel.connected() && channel.receiverMode(); }, 5000));
    EXPECT_TRUE(device(kKeyboard).answering);
    EXPECT_FALSE(has("1 gone"));
}

TEST_F(DeviceManagerTest, ARefreshTheDeviceAsksForRunsOnlyWhileTheManagerIsThere) {
    ASSERT_TRUE(emulator.attach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return device(kMouse).active; }, 5000));
    auto* mouse = dynamic_cast<CMerivexKeyedDevice*>(device(kMouse).device.get());
    ASSERT_NE(mouse, nullptr);
    mouse->HandleNotification(0x0401, true);  // the device asks to be read again, 50 ms from now
    ASSERT_TRUE(waitUntil([&] { return device(kMouse).steps[ManagedDevice::Refresh].isActive(); }, 2000));

    mouse->HandleNotification(0x0401, true);  // asked again, then the manager goes before the request runs
    discovery->stop();
    manager.reset();
    QCoreApplication::processEvents();  // runs what was handed over: it finds the manager gone
}

}  // namespace
}  // namespace halvern::app
