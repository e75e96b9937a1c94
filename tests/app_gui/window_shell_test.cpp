// The window's own frame and menus where there is no system tray (GNOME's default): closing ends the
// program instead of leaving it unreachable (saying once what stops with it), the notice offers no button
// that would put the window out of reach, the about window is
// reachable from the window itself, the desktop's decorations restore a maximised window, and the
// light-control button speaks the interface language.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "page_fixture.h"
#include "ui/controls/control_registry.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/about_window.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class WindowShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            GTEST_SKIP() << "a tray host is here: the tray test covers it";
        ui::registerCustomControls(loader);
        (void)texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json"));
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    }
    void TearDown() override { window.reset(); }

    void click(const char* name) {
        window->onNotification({QStringLiteral("click"), QString::fromLatin1(name), nullptr, 0, 0});
    }

    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
    int exits = 0;
};

TEST_F(WindowShellTest, WithoutATrayClosingEndsTheProgramAndTheNoticeKeepsTheWindow) {
    ASSERT_FALSE(window->trayIcon());
    auto* ok = ui::findControl<QAbstractButton>(window.get(), QStringLiteral("nodevice_ok_btn"));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->isHidden());  // nothing could bring a hidden window back
    click("nodevice_ok_btn");     // routed anyway: the window stays where it is
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    click("closebtn");  // no lights need the program: it ends without a question
    EXPECT_EQ(exits, 1);
    window->close();  // the window manager's close
    EXPECT_EQ(exits, 2);
}

TEST_F(WindowShellTest, TheAboutWindowOpensFromTheGearMenuOnce) {
    QMenu* menu = window->headerMenu();
    ASSERT_TRUE(menu);
    QAction* about = menu->findChild<QAction*>(QStringLiteral("about_menu"));
    ASSERT_TRUE(about);
    bool seen = false;
    bool secondRefused = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(waitUntil([&] { return window->aboutWindow() && window->aboutWindow()->isVisible(); }));
        seen = true;
        about->trigger();  // a second choice opens no second window
        secondRefused = window->aboutWindow() != nullptr;
        window->aboutWindow()->close();
    });
    about->trigger();  // modal: returns once the window is closed
    EXPECT_TRUE(seen);
    EXPECT_TRUE(secondRefused);
    EXPECT_FALSE(window->aboutWindow());
}

TEST_F(WindowShellTest, TheDesktopsDecorationsFrameTheWindowAndRestoreItFromMaximised) {
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint);
    for (const char* name : {"minbtn", "maxbtn", "restorebtn", "closebtn"}) {
        auto* ours = ui::findControl<QAbstractButton>(window.get(), QString::fromLatin1(name));
        if (ours) {
            EXPECT_FALSE(ours->isVisible()) << name << " duplicates the window frame's own";
        }
    }
    const QSize normal = window->size();
    window->showMaximized();
    ASSERT_TRUE(waitUntil([&] { return window->isMaximized(); }));
    window->showNormal();
    ASSERT_TRUE(waitUntil([&] { return !window->isMaximized(); }));
    EXPECT_EQ(window->size(), normal);
}

TEST_F(WindowShellTest, TheLightControlButtonSaysWhoHasTheLightsInTheInterfaceLanguage) {
    auto* button = ui::findControl<QAbstractButton>(window.get(), QStringLiteral("control_light_status"));
    ASSERT_TRUE(button);
    window->lightControlRequest(1, 0);  // another program takes the lights
    EXPECT_EQ(button->text(), texts.text(QStringLiteral("control_light_released_text")));
    EXPECT_FALSE(button->isChecked());
    window->lightControlRequest(1, 1);
    EXPECT_EQ(button->text(), texts.text(QStringLiteral("control_light_text")));
    EXPECT_TRUE(button->isChecked());
}

// The headset's lights are this program's work: closing without a tray says so once, in the window.
class NoTrayLightsTest : public PageFixture {
protected:
    void SetUp() override {
        if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray host is here";
        startWith(emu::Product::Headset, [&] { return window->deviceList().LightsNeedProgram(); });
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
    }
    int exits = 0;
};

TEST_F(NoTrayLightsTest, ClosingSaysOnceThatTheLightsStopWithTheProgram) {
    answerMessages(false);  // "keep the window"
    window->onNotification({QStringLiteral("click"), QStringLiteral("closebtn"), nullptr, 0, 0});
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages.front(), texts.text(QStringLiteral("close_lights_stop_text")));
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(window->isVisible());
    window->close();  // told once: the next close ends the program
    EXPECT_EQ(messages.size(), 1U);
    EXPECT_EQ(exits, 1);
}

}  // namespace
}  // namespace halvern::app
