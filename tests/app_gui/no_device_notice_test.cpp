// The "No device" notice after the last device went: whatever order the devices leave in, with and without
// synchronised lighting, and under a skin that makes the notice see-through, the notice stands alone — no
// page shows under it and no page's timer or the shared animation still runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStackedWidget>
#include <QTimer>
#include <array>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/device_page.h"
#include "ui/pages/light_panel.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/message_box.h"
#include "ui/windows/skin_frame.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

struct Device {
    Product product;
    int kind;
};
constexpr Device kMouse{Product::Mouse, 0};
constexpr Device kKeyboard{Product::Keyboard, 1};
constexpr Device kMousePad{Product::MousePad, 2};
constexpr Device kHeadset{Product::Headset, 3};

// Orders of unplugging: every device is the last one once and the first one once.
constexpr std::array<std::array<Device, 4>, 4> kOrders{{
    {kMouse, kKeyboard, kMousePad, kHeadset},
    {kHeadset, kMousePad, kKeyboard, kMouse},
    {kKeyboard, kHeadset, kMouse, kMousePad},
    {kMousePad, kMouse, kHeadset, kKeyboard},
}};

constexpr std::array<int, 8> kEntryTimerIds{1000, 1001, 1002, 1003, 1004, 1005, 1007, 1008};

class NoDeviceNoticeTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
        // A message box would wait for the user: it is answered and its text kept.
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<ui::MessageBox*>(QApplication::activeModalWidget())) {
                messages << box->message();
                box->done(0);
            }
        });
        answerer.start(10);
    }
    void TearDown() override {
        answerer.stop();
        window.reset();
    }

    DeviceSlotPage* page(int kind) { return window->deviceList().pageForKind(kind); }
    int entryOf(int kind) {
        const auto& pages = window->deviceList().pages();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (pages[i]->kindIndex() == kind) return static_cast<int>(i);
        }
        return -1;
    }
    bool visible(int kind) { return page(kind) && page(kind)->entry->IsEntryVisible(); }

    /// Plugs every device in and waits until each page runs its light tick.
    void plugAll() {
        for (const Device& d : kOrders[0]) ASSERT_TRUE(emulator.attach(d.product, Attachment::Cable));
        for (const Device& d : kOrders[0]) {
            ASSERT_TRUE(waitUntil(
                [&] { return visible(d.kind) && window->hub().hasTimer(page(d.kind)->entry, 1000); }, 8000))
                << "kind " << d.kind;
        }
    }

    /// What still shows or runs beside the notice; empty when the notice stands alone.
    std::string besideTheNotice() {
        std::string found;
        QWidget* notice = ui::findControl(window.get(), "No_device_Link");
        if (!notice || !notice->isVisible()) found += "the notice is not shown; ";
        for (const char* stack : {"device_switch", "device_power_switch"}) {
            if (QWidget* w = ui::findControl(window.get(), stack); w && w->isVisible())
                found += std::string(stack) + " is shown; ";
        }
        for (const auto& p : window->deviceList().pages()) {
            if (p->page && p->page->isVisible()) found += "a page is shown; ";
            for (int id : kEntryTimerIds) {
                if (window->hub().hasTimer(p->entry, id))
                    found +=
                        "timer " + std::to_string(id) + " of kind " + std::to_string(p->kindIndex()) + "; ";
            }
        }
        if (window->synchronisedLighting().active()) found += "the shared animation runs; ";
        return found;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, {}, {}}};
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
    QTimer answerer;
    QStringList messages;
};

TEST_P(NoDeviceNoticeTest, StandsAloneAfterEveryOrderOfUnplugging) {
    const bool synchronised = GetParam();
    // A colour skin makes the notice's background see-through: a page under it would show.
    window->Receive(ui::SkinChangedParam{true, 0xFF203040u, {}});
    for (const auto& order : kOrders) {
        plugAll();
        if (synchronised) {
            // Every device blinks with the keyboard, as one shared animation.
            ui::DevicePage* keyboard = page(kKeyboard.kind)->page;
            keyboard->lightPanel()->ModeSelected(0, 23);
            ASSERT_TRUE(waitUntil([&] { return !keyboard->writing(); }, 5000));
            ASSERT_EQ(window->sameMode(*page(kKeyboard.kind)), SharedEffectResult::Started);
            ASSERT_TRUE(window->synchronisedLighting().active());
            // Every device took its effect before it goes (a change cut off by the unplug is reported).
            ASSERT_TRUE(waitUntil(
                [&] {
                    const auto& pages = window->deviceList().pages();
                    return std::none_of(pages.begin(), pages.end(),
                                        [](const auto& p) { return p->page->writing(); });
                },
                5000));
        }
        // The first device's page is the one shown when the others go.
        window->deviceList().ShowDeviceEntry(entryOf(order[0].kind), true, true);
        for (const Device& d : order) {
            ASSERT_TRUE(emulator.detach(d.product, Attachment::Cable));
            ASSERT_TRUE(waitUntil([&] { return !visible(d.kind); }, 5000)) << "kind " << d.kind;
        }
        EXPECT_EQ(besideTheNotice(), "") << "last unplugged: kind " << order[3].kind;
        // Still so a while later: nothing started again behind the notice.
        QApplication::processEvents();
        (void)waitUntil([] { return false; }, 150);
        EXPECT_EQ(besideTheNotice(), "") << "a while after, last unplugged: kind " << order[3].kind;
    }
    EXPECT_EQ(messages, QStringList()) << "nothing failed on the way";
    // And a device that comes back takes the place of the notice.
    ASSERT_TRUE(emulator.attach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return visible(kMouse.kind); }, 5000));
    EXPECT_TRUE(page(kMouse.kind)->page->isVisible());
    EXPECT_FALSE(ui::findControl(window.get(), "No_device_Link")->isVisible());
}

std::string synchronisedName(const ::testing::TestParamInfo<bool>& param) {
    return param.param ? "Synchronised" : "OnTheirOwn";
}
INSTANTIATE_TEST_SUITE_P(SynchronisedOrNot, NoDeviceNoticeTest, ::testing::Bool(), synchronisedName);

}  // namespace
}  // namespace halvern::app
