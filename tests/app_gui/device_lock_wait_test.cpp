// The window and another program on one device: while the other program (here the test) holds the device's
// lock, the window sends nothing to it and goes on working; it opens the device when the lock comes, holds
// it while the device is attached either way, and lets it go when the device goes.

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "device/device_lock.h"
#include "device/supported_devices.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

constexpr int kMouse = 0;  // the mouse's row of the device kind table

class DeviceLockWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path() / "runtime");
        const auto file = deviceLockFile(emulator, type_code::kMouse);
        ASSERT_TRUE(file);
        lockFile = *file;
        ui::registerCustomControls(loader);
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    }
    void TearDown() override { window.reset(); }

    DeviceSlotPage& mouse() { return *window->deviceList().pageForKind(kMouse); }
    bool mouseShown() { return mouse().entry && mouse().entry->IsEntryVisible(); }
    [[nodiscard]] LockOutcome lockState() const { return tryLockDevice(lockFile).outcome; }

    test::TempDir folder;
    test::ScopedEnv runtime{"XDG_RUNTIME_DIR", (folder.path() / "runtime").string()};
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, folder.path() / "state", {}}};
    std::filesystem::path lockFile;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_F(DeviceLockWaitTest, TheWindowOpensTheDeviceOnlyWhenTheOtherProgramLetsItGo) {
    LockAttempt other = tryLockDevice(lockFile);
    ASSERT_EQ(other.outcome, LockOutcome::Taken);
    const auto device = emulator.attach(Product::Mouse);
    ASSERT_TRUE(waitUntil([&] { return mouse().managed->lockWait != nullptr; }, 5000))
        << "the arrival was handled";
    EXPECT_FALSE(mouse().device()->commandChannel().connected());
    EXPECT_FALSE(mouseShown());
    EXPECT_EQ(device->firmware().commandCount(0x01), 0u)
        << "nothing was sent to a device another program has";

    other.lock.reset();
    ASSERT_TRUE(waitUntil([&] { return mouseShown(); }, 5000));
    EXPECT_TRUE(mouse().device()->commandChannel().connected());
    EXPECT_EQ(lockState(), LockOutcome::Busy) << "the window holds the device while it has it open";
    EXPECT_EQ(readLockHolder(lockFile), ::getpid());

    ASSERT_TRUE(emulator.detach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return !mouseShown(); }, 5000));
    EXPECT_EQ(lockState(), LockOutcome::Taken) << "released when the device went";
}

TEST_F(DeviceLockWaitTest, ADeviceThatGoesWhileTheWindowWaitsIsNotWaitedForAnyLonger) {
    LockAttempt other = tryLockDevice(lockFile);
    ASSERT_EQ(other.outcome, LockOutcome::Taken);
    ASSERT_TRUE(emulator.attach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return mouse().managed->lockWait != nullptr; }, 5000));
    ASSERT_TRUE(emulator.detach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return mouse().managed->lockWait == nullptr; }, 5000));
    other.lock.reset();
    EXPECT_EQ(lockState(), LockOutcome::Taken) << "the window took nothing for a device that is not there";

    // Back again with nobody else on it: opened at once.
    ASSERT_TRUE(emulator.attach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return mouseShown(); }, 5000));
    EXPECT_EQ(lockState(), LockOutcome::Busy);
}

TEST_F(DeviceLockWaitTest, CableAndReceiverArrivingWhileItWaitsOpenTheCableAndOneLockCoversBoth) {
    LockAttempt other = tryLockDevice(lockFile);
    ASSERT_EQ(other.outcome, LockOutcome::Taken);
    ASSERT_TRUE(emulator.attach(Product::Mouse, Attachment::Receiver));
    ASSERT_TRUE(waitUntil([&] { return mouse().managed->lockWait != nullptr; }, 5000));
    ASSERT_TRUE(emulator.attach(Product::Mouse, Attachment::Cable));
    CommandChannel& channel = mouse().device()->commandChannel();
    other.lock.reset();
    ASSERT_TRUE(waitUntil([&] { return mouseShown(); }, 5000));
    // The cable wins whether the lock came before discovery handed the cable over or after; a cable handed
    // over when the device is open on it already leaves it there.
    EXPECT_TRUE(waitUntil([&] { return channel.connected() && !channel.receiverMode(); }, 5000))
        << "the cable is preferred";

    // Over to the receiver: the same device, still held.
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return channel.receiverMode() && channel.connected(); }, 5000));
    EXPECT_EQ(lockState(), LockOutcome::Busy);
}

TEST_F(DeviceLockWaitTest, ALockThatCannotBeUsedDoesNotKeepTheUserFromTheDevice) {
    std::filesystem::create_directories(lockFile.parent_path());
    std::filesystem::permissions(lockFile.parent_path(), std::filesystem::perms::all);
    ASSERT_EQ(lockState(), LockOutcome::Failed);
    ASSERT_TRUE(emulator.attach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return mouseShown(); }, 5000));
    EXPECT_FALSE(mouse().managed->lock);
}

TEST_F(DeviceLockWaitTest, TheWindowGoesWhileItWaitsAndHoldsNothingAfterwards) {
    LockAttempt other = tryLockDevice(lockFile);
    ASSERT_EQ(other.outcome, LockOutcome::Taken);
    ASSERT_TRUE(emulator.attach(Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return mouse().managed->lockWait != nullptr; }, 5000));
    window.reset();  // the wait is called off, not waited out
    other.lock.reset();
    EXPECT_EQ(lockState(), LockOutcome::Taken);
}

}  // namespace
}  // namespace halvern::app
