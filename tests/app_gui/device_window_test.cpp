// The window with a device that misbehaves, and the window's device-wide actions: the interface thread
// never waits for the device, a refused change is taken back with one message, restoring the defaults asks
// first and then reaches the device (from the page and from the profile menu), and choosing the profile
// already in use changes nothing.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>

#include "page_fixture.h"
#include "ui/pages/mouse_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using namespace std::chrono_literals;
using test::waitUntil;

// The key table holds three bytes per slot; the left button is slot 1.
constexpr std::size_t kBytesPerSlot = 3;
constexpr std::size_t kLeftButtonEntry = 1 * kBytesPerSlot;

class DeviceWindowTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(emu::Product::Mouse, [&] { return page() && !page()->mouse().factoryTable().empty(); });
        mouse = plugged;
        answerMessages(false);
    }

    ui::MousePage* page() { return pageOf<ui::MousePage>(0); }
    unsigned count(uint8_t code) { return mouse->firmware().commandCount(code); }

    // Waits until the device's queue has run what it was given (a job through the window's event loop).
    bool passQueue() {
        return await([this](auto done) {
                   page()->mouse().queue().submit([](CommandChannel&) { return DeviceResult{}; }, done);
               })
            .ok();
    }

    // The longest the interface thread went without running its timer, while `work` runs to its end.
    qint64 longestStall(const std::function<bool()>& finished, int ms) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, worst = 0;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            worst = std::max(worst, clock.elapsed() - last);
            last = clock.elapsed();
        });
        beat.start(5);
        EXPECT_TRUE(waitUntil(finished, ms));
        return worst;
    }

    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(DeviceWindowTest, TheWindowNeverWaitsForADeviceThatDoesNotAnswer) {
    // A silent mouse costs its one-second reply time-out on each step; a write held in the kernel five.
    const std::vector<std::pair<const char*, emu::Faults>> faults{
        {"no answer", {.dropAllReplies = true}},
        {"write held", {.writeBlock = 5000ms}},
    };
    for (const auto& [name, fault] : faults) {
        messages.clear();
        mouse->setFaults(fault);
        const uint16_t before = page()->mouse().settings().stages.at(1).dpiX;
        page()->DpiSliderChanged(1, before + 3);
        const qint64 stall = longestStall([&] { return !page()->writing(); }, 8000);
        EXPECT_LT(stall, 500) << name << ": the interface thread was held " << stall << " ms";
        EXPECT_EQ(page()->mouse().settings().stages.at(1).dpiX, before) << name;  // taken back
        ASSERT_TRUE(waitUntil([&] { return messages.size() == 1; })) << name << ": one message";
        mouse->setFaults({});
    }
    // Unplugged in the middle of an exchange: the change fails, the page keeps what the mouse had.
    const uint16_t before = page()->mouse().settings().stages.at(1).dpiX;
    mouse->unplugAfterReports(2);
    page()->DpiSliderChanged(1, before + 7);
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().settings().stages.at(1).dpiX, before);
}

TEST_F(DeviceWindowTest, RestoringTheDefaultsAsksFirstAndThenReachesTheDevice) {
    KeyListEntry left = page()->mouse().keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    ASSERT_TRUE(await([&](auto done) { page()->mouse().SetKeyAssignment(0, left, done); }));
    const unsigned tableWrites = count(command::kWriteBlock);

    auto* restore = ui::findControl<QAbstractButton>(page(), QStringLiteral("default_btn"));
    ASSERT_TRUE(restore);
    window->onNotification({QStringLiteral("click"), restore->objectName(), restore, 0, 0});
    ASSERT_EQ(messages.size(), 1u);  // asked, and the answer was no
    EXPECT_EQ(messages[0], texts.text(QStringLiteral("message_text_22")));
    EXPECT_FALSE(page()->writing());
    EXPECT_EQ(count(command::kWriteBlock), tableWrites);

    answerMessages(true);
    window->onNotification({QStringLiteral("click"), restore->objectName(), restore, 0, 0});
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().keyList().at(0).current, page()->mouse().keyList().at(0).defaults);
    EXPECT_EQ(count(command::kWriteBlock), tableWrites + 1);  // the key table went to the mouse too
    const auto table = mouse->firmware().region(emu::Region::KeyTable);
    EXPECT_EQ(table[kLeftButtonEntry], 0x10);  // the left button (slot 1) left-clicks again
    EXPECT_EQ(table[kLeftButtonEntry + 1], 0x01);
}

TEST_F(DeviceWindowTest, ResettingTheProfileFromItsMenuReachesTheDeviceToo) {
    KeyListEntry left = page()->mouse().keyList().at(0);
    left.current = {0, 0x20, 0x01, 0x04};
    ASSERT_TRUE(await([&](auto done) { page()->mouse().SetKeyAssignment(0, left, done); }));
    const unsigned tableWrites = count(command::kWriteBlock);

    answerMessages(true);
    auto* reset = ui::findControl<QAbstractButton>(page(), QStringLiteral("device_reset_btn"));
    ASSERT_TRUE(reset);
    reset->click();  // what the profile menu's "Reset" does
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], texts.text(QStringLiteral("message_text_22")));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().keyList().at(0).current, page()->mouse().keyList().at(0).defaults);
    EXPECT_GT(count(command::kWriteBlock), tableWrites);  // not the settings record alone
    const auto table = mouse->firmware().region(emu::Region::KeyTable);
    EXPECT_EQ(table[kLeftButtonEntry], 0x10);  // the left button left-clicks again on the mouse as well
    EXPECT_EQ(table[kLeftButtonEntry + 1], 0x01);
}

TEST_F(DeviceWindowTest, ChoosingTheProfileAlreadyInUseChangesNothing) {
    ui::CDeviceProfileUI* profiles = page()->profileControl();
    ASSERT_TRUE(profiles && profiles->combo());
    QComboBox* combo = profiles->combo();
    const unsigned writes = count(command::kWriteAt);
    window->onNotification(
        {QStringLiteral("itemselect"), combo->objectName(), combo, combo->currentIndex(), 0});
    auto* timer = window->findChild<QTimer*>(QStringLiteral("profile_switch_timer"));
    ASSERT_TRUE(timer);
    ASSERT_TRUE(waitUntil([&] { return !timer->isActive(); }));  // the choice was taken
    ASSERT_TRUE(passQueue());
    EXPECT_EQ(count(command::kWriteAt), writes);
    EXPECT_FALSE(page()->writing());
}

// A minimised window shows nothing: the devices are not polled for it and its preview does not tick.
TEST_F(DeviceWindowTest, AMinimisedWindowCountsAsHidden) {
    ASSERT_FALSE(page()->mouse().windowHidden());
    window->showMinimized();
    EXPECT_TRUE(page()->mouse().windowHidden());
    window->showNormal();
    EXPECT_FALSE(page()->mouse().windowHidden());
}

}  // namespace
}  // namespace halvern::app
