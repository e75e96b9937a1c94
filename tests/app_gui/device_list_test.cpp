// The device list in the running window over the emulator: moving between the visible entries, what is
// selected when the selected device goes, the synchronised-lighting choice, and a keyboard that comes
// through its receiver.

#include <gtest/gtest.h>

#include <QStackedWidget>
#include <fstream>
#include <sstream>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

// Kind indices: the rows of the device kind table.
constexpr int kMouse = 0;
constexpr int kKeyboard = 1;
constexpr int kMousePad = 2;

class DeviceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); })) << "shown after the first scan";
    }
    void TearDown() override { window.reset(); }

    DeviceList& list() { return window->deviceList(); }
    DeviceSlotPage* page(int kind) { return list().pageForKind(kind); }
    bool visible(int kind) { return page(kind) && page(kind)->entry->IsEntryVisible(); }
    bool noticeShown() {
        QWidget* notice = ui::findControl(window.get(), "No_device_Link");
        return notice && notice->isVisibleTo(window.get());
    }
    void click(const char* name) { window->onNotification({QStringLiteral("click"), name, nullptr, 0, 0}); }

    /// Plugs a product in on its cable and waits until its entry shows.
    void plug(Product product, int kind) {
        ASSERT_TRUE(emulator.attach(product, Attachment::Cable));
        ASSERT_TRUE(waitUntil([&] { return visible(kind); }, 5000)) << "kind " << kind;
    }
    void unplug(Product product, int kind) {
        ASSERT_TRUE(emulator.detach(product, Attachment::Cable));
        ASSERT_TRUE(waitUntil([&] { return !visible(kind); }, 5000)) << "kind " << kind;
    }

    /// Whether the page of `kind` is the selected one, shown with its power widget.
    ::testing::AssertionResult selectedIs(int kind) {
        DeviceSlotPage* shown = list().FindSelectedPage();
        if (shown != page(kind)) return ::testing::AssertionFailure() << "another entry is selected";
        auto* pages = ui::findControl<QStackedWidget>(window.get(), "device_switch");
        auto* powers = ui::findControl<QStackedWidget>(window.get(), "device_power_switch");
        if (!pages || pages->currentWidget() != shown->page.data())
            return ::testing::AssertionFailure() << "another page is shown";
        if (!powers || powers->currentWidget() != shown->power.data())
            return ::testing::AssertionFailure() << "another power widget is shown";
        for (const auto& p : list().pages()) {
            if (p->entry->IsSelected() != (p.get() == shown))
                return ::testing::AssertionFailure() << "two entries look selected";
        }
        return ::testing::AssertionSuccess();
    }

    /// QueryLink requests the window sent to `device` so far (from the capture of every report).
    int queryLinks(const std::string& device) {
        std::ifstream in(capture);
        std::string line;
        int count = 0;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string direction, name, reportId, sumLow, sumHigh, code;
            words >> direction >> name >> reportId >> sumLow >> sumHigh >> code;
            count += direction == "OUT" && name == device && code == "aa";
        }
        return count;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    std::filesystem::path capture = folder.path() / "capture.txt";
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, {}, capture}};
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_F(DeviceListTest, PreviousAndNextMoveThroughTheVisibleEntriesWithoutWrappingAround) {
    plug(Product::Mouse, kMouse);
    plug(Product::Keyboard, kKeyboard);
    plug(Product::MousePad, kMousePad);
    EXPECT_TRUE(selectedIs(kMouse)) << "the first device into an empty list is selected, the later ones not";

    click("device_select_prev");
    EXPECT_TRUE(selectedIs(kMouse)) << "the first entry has no previous one";
    click("device_select_next");
    EXPECT_TRUE(selectedIs(kKeyboard));
    click("device_select_next");
    EXPECT_TRUE(selectedIs(kMousePad));
    click("device_select_next");
    EXPECT_TRUE(selectedIs(kMousePad)) << "the last entry has no next one";
    click("device_select_prev");
    EXPECT_TRUE(selectedIs(kKeyboard));
    click("device_select_prev");
    EXPECT_TRUE(selectedIs(kMouse));

    // A hidden entry is stepped over; a device that goes while another is selected leaves the selection.
    unplug(Product::Keyboard, kKeyboard);
    EXPECT_TRUE(selectedIs(kMouse));
    click("device_select_next");
    EXPECT_TRUE(selectedIs(kMousePad));
    click("device_select_prev");
    EXPECT_TRUE(selectedIs(kMouse));
}

TEST_F(DeviceListTest, UnpluggingTheSelectedOfTwoDevicesSelectsTheOther) {
    plug(Product::Mouse, kMouse);
    plug(Product::Keyboard, kKeyboard);
    click("device_select_next");
    ASSERT_TRUE(selectedIs(kKeyboard));

    unplug(Product::Keyboard, kKeyboard);
    EXPECT_TRUE(selectedIs(kMouse));
    EXPECT_FALSE(noticeShown());

    // And back: the keyboard returns beside the selected mouse without taking the selection.
    plug(Product::Keyboard, kKeyboard);
    EXPECT_TRUE(selectedIs(kMouse));
    click("device_select_next");
    unplug(Product::Keyboard, kKeyboard);
    unplug(Product::Mouse, kMouse);
    EXPECT_EQ(list().FindSelectedPage(), nullptr);
    EXPECT_TRUE(noticeShown());
}

// Taking part is the devices' light-sync flag alone; each entry's synchro option shows it after every
// change of the list, and with fewer than two visible devices taking part every device leaves.
TEST_F(DeviceListTest, FewerThanTwoVisibleDevicesTakingPartEndSynchronisedLighting) {
    plug(Product::Mouse, kMouse);
    plug(Product::Keyboard, kKeyboard);
    const auto takesPart = [&](int kind) { return page(kind)->device()->commandChannel().lightSync(); };
    // The option shows the flag; a disagreement between the two fails here.
    const auto synchro = [&](int kind) {
        EXPECT_EQ(page(kind)->entry->IsSynchro(), takesPart(kind)) << "kind " << kind;
        return takesPart(kind);
    };
    page(kMouse)->device()->commandChannel().setLightSync(true);
    page(kKeyboard)->device()->commandChannel().setLightSync(true);

    // Two visible devices taking part stay in while the list changes around them.
    plug(Product::MousePad, kMousePad);
    EXPECT_TRUE(synchro(kMouse) && synchro(kKeyboard));
    EXPECT_FALSE(synchro(kMousePad));
    unplug(Product::MousePad, kMousePad);
    EXPECT_TRUE(synchro(kMouse) && synchro(kKeyboard));

    // One of them goes: the one left follows no more, nor does the hidden one.
    unplug(Product::Keyboard, kKeyboard);
    EXPECT_FALSE(synchro(kMouse));
    EXPECT_FALSE(synchro(kKeyboard));

    // With two visible devices but only one of them taking part, the next change of the list ends it.
    plug(Product::Keyboard, kKeyboard);
    page(kMouse)->device()->commandChannel().setLightSync(true);
    plug(Product::MousePad, kMousePad);
    EXPECT_FALSE(synchro(kMouse));
}

// A device's request for an entry timer is handed to the interface thread; when the window stops before
// it ran, it finds the device list gone and is dropped instead of reaching into the freed list.
TEST_F(DeviceListTest, AKeyboardThroughItsReceiverShowsItsEntryOnceTheLinkAnswers) {
    auto receiver = emulator.attach(Product::Keyboard, Attachment::Receiver);
    ASSERT_TRUE(receiver);
    receiver->setLinkUp(false);
    CommandChannel& channel = page(kKeyboard)->device()->commandChannel();
    // The window opened the receiver and asked whether the keyboard behind it answers: it does not, so the
    // entry stays hidden.
    ASSERT_TRUE(waitUntil([&] { return queryLinks("keyboard-receiver") > 0; }, 5000));
    EXPECT_TRUE(channel.connected());
    EXPECT_TRUE(channel.receiverMode());
    EXPECT_FALSE(visible(kKeyboard));
    EXPECT_TRUE(noticeShown());

    // The keyboard is switched on: the next try (about 3 s later) shows its entry, selected as the only one.
    receiver->setLinkUp(true);
    ASSERT_TRUE(waitUntil([&] { return visible(kKeyboard); }, 6000));
    EXPECT_TRUE(selectedIs(kKeyboard));
    EXPECT_FALSE(noticeShown());
    EXPECT_TRUE(channel.receiverMode());

    // Switched off again: the link watch hides the entry.
    receiver->setLinkUp(false);
    ASSERT_TRUE(waitUntil([&] { return !visible(kKeyboard); }, 6000));
    EXPECT_TRUE(noticeShown());
    EXPECT_TRUE(channel.connected()) << "the receiver itself is still there";
}

}  // namespace
}  // namespace halvern::app
