// The window's own frame and menus where there is no system tray (GNOME's default): closing ends the
// program, or, where its lights need it, asks once whether it keeps running in the background (a second
// start brings the window back) and remembers the answer; the notice offers no button
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
#include "profile/close_choice.h"
#include "temp_env.h"
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

    test::TempDir folder;
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", folder.path().string()};

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

// The headset's lights are this program's work: closing without a tray asks whether the program keeps
// running in the background, and the answer holds from then on.
class NoTrayLightsTest : public PageFixture {
protected:
    void SetUp() override {
        if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray host is here";
        startWith(emu::Product::Headset, [&] { return window->deviceList().LightsNeedProgram(); });
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
    }
    void close() {
        window->onNotification({QStringLiteral("click"), QStringLiteral("closebtn"), nullptr, 0, 0});
    }
    /// Answers the question with its "Quit" button.
    void answerQuit() {
        answerer = std::make_unique<QTimer>();
        QObject::connect(answerer.get(), &QTimer::timeout, [this] {
            auto* box = qobject_cast<ui::MessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->cancelButton()) return;
            messages.push_back(box->message());
            box->cancelButton()->click();
        });
        answerer->start(10);
    }
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    int exits = 0;
};

TEST_F(NoTrayLightsTest, ClosingAsksOnceToKeepRunningInTheBackgroundAndRemembers) {
    answerMessages(false);  // the question put aside: the window stays, and the next close asks again
    close();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages.front(), texts.text(QStringLiteral("close_choice_text")));
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ReadCloseChoice(SettingsFile()), CloseChoice::Ask);

    answerMessages(true);  // "Keep running"
    window->close();       // the window manager's close asks too
    EXPECT_EQ(messages.size(), 2U);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(ReadCloseChoice(SettingsFile()), CloseChoice::Background);
    const unsigned before = plugged->firmware().ledReportCount();
    EXPECT_TRUE(test::waitUntil([&] { return plugged->firmware().ledReportCount() > before + 3; }, 5000))
        << "the headset's lights go on in the background";

    window->instanceMessage(0, 1);  // a second start of the program
    EXPECT_TRUE(window->isVisible());
    close();  // remembered: no question
    EXPECT_EQ(messages.size(), 2U);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(exits, 0);
}

TEST_F(NoTrayLightsTest, QuitIsRememberedAndEndsTheProgramWithoutAskingAgain) {
    answerQuit();
    close();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(ReadCloseChoice(SettingsFile()), CloseChoice::Quit);
    close();
    EXPECT_EQ(messages.size(), 1U);
    EXPECT_EQ(exits, 2);
}

}  // namespace
}  // namespace halvern::app
