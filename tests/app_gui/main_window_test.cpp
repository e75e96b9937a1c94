#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QStackedWidget>
#include <chrono>
#include <fstream>
#include <sstream>

#include "emulator/emulator.h"
#include "gui_wait.h"
#include "ui/controls/control_registry.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); })) << "shown after the first scan";
    }
    void TearDown() override { window.reset(); }

    DeviceSlotPage* page(int kind) { return window->deviceList().pageForKind(kind); }
    bool entryVisible(int kind) { return page(kind) && page(kind)->entry->IsEntryVisible(); }
    QWidget* notice() { return ui::findControl(window.get(), "No_device_Link"); }

    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, PluggedMouseShowsItsEntryAndPageAndUnpluggingShowsTheNotice) {
    ASSERT_TRUE(page(0));
    EXPECT_FALSE(entryVisible(0));
    (void)emulator.attach(Product::Mouse, Attachment::Cable);
    ASSERT_TRUE(waitUntil([&] { return entryVisible(0); }));
    EXPECT_TRUE(page(0)->device()->commandChannel().connected());
    auto* pages = ui::findControl<QStackedWidget>(window.get(), "device_switch");
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->currentWidget(), page(0)->page.data());
    EXPECT_EQ(window->deviceList().FindSelectedPage(), page(0));
    ASSERT_TRUE(notice());
    EXPECT_FALSE(notice()->isVisibleTo(window.get()));

    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return !entryVisible(0); }));
    EXPECT_FALSE(page(0)->device()->commandChannel().connected());
    EXPECT_TRUE(notice()->isVisibleTo(window.get()));
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST_F(MainWindowTest, CableAndReceiverShareOnePageAndTheChannelFollowsTheCable) {
    (void)emulator.attach(Product::Mouse, Attachment::Receiver);
    ASSERT_TRUE(waitUntil([&] { return entryVisible(0); }));
    CommandChannel& channel = page(0)->device()->commandChannel();
    EXPECT_TRUE(channel.receiverMode());

    (void)emulator.attach(Product::Mouse, Attachment::Cable);
    ASSERT_TRUE(waitUntil([&] { return !channel.receiverMode() && channel.connected(); }));
    EXPECT_EQ(window->deviceList().pages().size(), 2u);  // still the mouse and keyboard pages only

    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return channel.receiverMode() && channel.connected(); }));
    EXPECT_TRUE(entryVisible(0));
    EXPECT_EQ(channel.Begin(), result::kSuccess);
}

TEST_F(MainWindowTest, ReceiverWhoseMouseIsOffKeepsTheEntryHiddenUntilTheLinkAnswers) {
    auto receiver = emulator.attach(Product::Mouse, Attachment::Receiver);
    receiver->setLinkUp(false);
    ASSERT_TRUE(waitUntil([&] { return page(0)->device()->commandChannel().connected(); }));
    EXPECT_FALSE(waitUntil([&] { return entryVisible(0); }, 800));
    receiver->setLinkUp(true);
    EXPECT_TRUE(waitUntil([&] { return entryVisible(0); }, 4000));  // the next try, within about 3 s
}

TEST_F(MainWindowTest, MousePadPageIsMadeOnItsFirstArrival) {
    EXPECT_FALSE(page(2));
    (void)emulator.attach(Product::MousePad, Attachment::Cable);
    ASSERT_TRUE(waitUntil([&] { return entryVisible(2); }));
    EXPECT_EQ(page(2)->device()->ledCount(), 15);
    ASSERT_TRUE(emulator.detach(Product::MousePad, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return !entryVisible(2); }));
    EXPECT_TRUE(page(2));  // the page stays for the next arrival
}

// What the window never uses at start-up stays out of the process: libcurl (with its TLS and Kerberos
// libraries) until an update check runs, and Qt Quick, which Qt Designer's plugin would bring in through
// the layout loader.
TEST_F(MainWindowTest, StartingLoadsNeitherCurlNorQtQuick) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream mapped;
    mapped << maps.rdbuf();
    EXPECT_EQ(mapped.str().find("libcurl"), std::string::npos);
    EXPECT_EQ(mapped.str().find("libQt6Quick"), std::string::npos);
}

TEST_F(MainWindowTest, RoutingActsOnTheWindowByExactNameAndPrefix) {
    int exits = 0;
    QObject::connect(window.get(), &MainWindow::exitRequested, [&] { ++exits; });
    window->onNotification({QStringLiteral("click"), QStringLiteral("CloseBtn"), nullptr, 0, 0});
    EXPECT_EQ(exits, 1);  // no tray here: closing ends the program
    window->hide();
    window->instanceMessage(0, 1);  // a second start brings a hidden window back
    EXPECT_TRUE(window->isVisible());

    EXPECT_TRUE(window->lightControl());
    window->onNotification({QStringLiteral("click"), QStringLiteral("control_light_status"), nullptr, 0, 0});
    EXPECT_FALSE(window->lightControl());
    window->lightControlRequest(2, 1);  // only wParam 1 is a request
    EXPECT_FALSE(window->lightControl());
    window->lightControlRequest(1, 1);
    EXPECT_TRUE(window->lightControl());
    for (const auto& p : window->deviceList().pages()) EXPECT_TRUE(p->device()->lightControl());

    // Unknown names and types are ignored.
    window->onNotification({QStringLiteral("click"), QStringLiteral("no_such_button_7"), nullptr, 0, 0});
    window->onNotification({QStringLiteral("bogus"), QStringLiteral("closebtn"), nullptr, 0, 0});
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, PagesRunWithoutLightControlWhileTheSystemSleeps) {
    auto allPages = [&](bool on) {
        for (const auto& p : window->deviceList().pages()) {
            if (p->device()->lightControl() != on) return false;
        }
        return true;
    };
    window->systemSleep(true);
    EXPECT_FALSE(window->systemAwake());
    EXPECT_TRUE(allPages(false));
    window->systemSleep(false);
    EXPECT_TRUE(allPages(true));  // as it was before

    window->lightControlRequest(1, 0);
    window->systemSleep(true);
    window->systemSleep(false);
    EXPECT_TRUE(allPages(false));  // still released after the resume
}

TEST_F(MainWindowTest, ShutdownStopsEveryThreadWithinItsBound) {
    (void)emulator.attach(Product::Keyboard, Attachment::Cable);
    ASSERT_TRUE(waitUntil([&] { return entryVisible(1); }));
    const auto start = std::chrono::steady_clock::now();
    window->shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace halvern::app

namespace halvern::app {
namespace {

// Runs only where a system tray is there (the X11 run under Xvfb with a tray host).
TEST(Tray, IconWithExitMenuAndClosingOnlyHides) {
    // tests/x11/tray_test.sh starts a tray host beside this test: wait until it has taken the tray.
    if (qEnvironmentVariableIsSet("HALVERN_TRAY_HOST_STARTING")) {
        (void)waitUntil(QSystemTrayIcon::isSystemTrayAvailable, 10000);
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no system tray here";
    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    MainWindow window(emulator, loader, texts);
    bool exitAsked = false;
    QObject::connect(&window, &MainWindow::exitRequested, [&] { exitAsked = true; });
    window.start();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
    ASSERT_TRUE(window.trayIcon());
    EXPECT_TRUE(window.trayIcon()->isVisible());
    QMenu* menu = window.trayIcon()->contextMenu();
    ASSERT_TRUE(menu);
    QAction* exitAction = nullptr;
    QAction* aboutAction = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String("exit")) exitAction = a;
        if (a->objectName() == QLatin1String("about_menu")) aboutAction = a;
    }
    ASSERT_TRUE(exitAction);
    EXPECT_TRUE(aboutAction);

    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(exitAsked);  // closing hides to the tray
    // Every other way of closing hides too: the tray brings the window back.
    for (const char* name : {"closebtn", "nodevice_ok_btn"}) {
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
        window.onNotification({QStringLiteral("click"), QString::fromLatin1(name), nullptr, 0, 0});
        EXPECT_FALSE(window.isVisible()) << name;
        EXPECT_FALSE(exitAsked) << name;
    }
    exitAction->trigger();
    EXPECT_TRUE(exitAsked);
    window.shutdown();
}

// Started in the background where a tray is there: the icon shows, the window does not, and the tray's
// click opens it.
TEST(Tray, ABackgroundStartShowsOnlyTheIconAndTheTrayOpensTheWindow) {
    if (qEnvironmentVariableIsSet("HALVERN_TRAY_HOST_STARTING")) {
        (void)waitUntil(QSystemTrayIcon::isSystemTrayAvailable, 10000);
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "no system tray here";
    emu::Emulator emulator;
    (void)emulator.attach(Product::Mouse, Attachment::Cable);
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    MainWindow window(emulator, loader, texts);
    window.start(StartMode::Background);
    ASSERT_TRUE(window.trayIcon());
    ASSERT_TRUE(waitUntil([&] {
        const DeviceSlotPage* mouse = window.deviceList().pageForKind(0);
        return mouse && mouse->entry->IsEntryVisible();
    }));
    EXPECT_TRUE(window.trayIcon()->isVisible());
    EXPECT_FALSE(window.isVisible());
    emit window.trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window.isVisible());
    window.shutdown();
}

}  // namespace
}  // namespace halvern::app
