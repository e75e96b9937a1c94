// Starting in the background: the devices, their pages and their lights run while the window stays hidden
// (and costs what a hidden window costs), until a second start opens it; the program's own --help and a
// second start in the background, which leaves the running copy alone.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <mutex>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "device/debug_sink.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "thread_sanitizer.h"
#include "ui/controls/control_registry.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

// The pages' devices are told the window is out of sight, as for a window hidden to the tray (only a
// device that reports its power asks for its state while the window shows).
bool devicesSeeAHiddenWindow(MainWindow& window) {
    for (const auto& p : window.deviceList().pages()) {
        if (p->device()->powerFlag() && !p->device()->windowHidden()) return false;
        if (p->device()->windowActive()) return false;
    }
    return true;
}

TEST(BackgroundStart, DevicesAndLightsRunWithoutTheWindowUntilASecondStartOpensIt) {
    std::mutex linesMutex;
    std::vector<std::string> lines;
    const DebugCapture previous = setDebugCapture([&](std::string_view line) {
        const std::lock_guard lock(linesMutex);
        lines.emplace_back(line);
    });
    const auto logged = [&](std::string_view wanted) {
        const std::lock_guard lock(linesMutex);
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    };
    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    emu::Emulator emulator;
    const auto mouse = emulator.attach(Product::Mouse, Attachment::Cable);
    ASSERT_TRUE(mouse);
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    MainWindow window(emulator, loader, texts);
    window.start(StartMode::Background);

    ASSERT_TRUE(waitUntil([&] { return logged("软件标示 0，0"); })) << "the first scan ends";
    DeviceSlotPage* mousePage = window.deviceList().pageForKind(0);
    ASSERT_TRUE(mousePage);
    ASSERT_TRUE(waitUntil([&] { return mousePage->entry->IsEntryVisible(); }));
    EXPECT_TRUE(mousePage->device()->commandChannel().connected());
    // The headset's lights are this program's work: they run while nobody sees the window. Its page is
    // made on its first arrival, which leaves the window hidden too.
    const auto headset = emulator.attach(Product::Headset, Attachment::Cable);
    ASSERT_TRUE(headset);
    ASSERT_TRUE(waitUntil([&] { return window.deviceList().LightsNeedProgram(); }, 5000));
    const unsigned before = headset->firmware().ledReportCount();
    EXPECT_TRUE(waitUntil([&] { return headset->firmware().ledReportCount() > before + 3; }, 5000));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(logged("window shown"));
    EXPECT_TRUE(devicesSeeAHiddenWindow(window));
    EXPECT_EQ(window.trayIcon() != nullptr, QSystemTrayIcon::isSystemTrayAvailable());

    window.instanceMessage(0, 1);  // a second start of the program
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(logged("window shown"));
    for (const auto& p : window.deviceList().pages()) {
        if (p->device()->powerFlag()) {
            EXPECT_FALSE(p->device()->windowHidden());
        }
    }
    // Opened once, the window is as any other: a device arriving brings it forward.
    window.hide();
    ASSERT_TRUE(emulator.detach(Product::Mouse, Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return !mousePage->entry->IsEntryVisible(); }));
    (void)emulator.attach(Product::Mouse, Attachment::Cable);
    EXPECT_TRUE(waitUntil([&] { return window.isVisible(); }));
    window.shutdown();
    setDebugCapture(previous);
}

TEST(BackgroundStart, TheCommandLineAsksForTheBackgroundHelpOrVersion) {
    const auto parse = [](std::vector<const char*> words) { return ParseStartOptions(words); };
    EXPECT_FALSE(parse({}).background);
    EXPECT_TRUE(parse({"--background"}).background);
    EXPECT_TRUE(parse({"-platform", "offscreen", "--background"}).background);  // Qt's own options pass by
    EXPECT_FALSE(parse({"--background=1", "background", nullptr}).background);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_NE(StartHelpText().find("--background"), std::string_view::npos);
}

// The program itself, offscreen on an emulated mouse, in folders of its own.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
        env.insert(QStringLiteral("HALVERN_EMULATE"), QStringLiteral("mouse"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HALVERN_DEBUG"), QStringLiteral("1"));
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const auto path = folder.path() / name;
            std::filesystem::create_directories(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
            env.insert(QString::fromLatin1(name), QString::fromStdString(path.string()));
        }
    }
    void TearDown() override {
        if (first.state() == QProcess::NotRunning) return;
        first.terminate();
        if (!first.waitForFinished(3000)) first.kill();
    }
    [[nodiscard]] int runToEnd(const QStringList& arguments, QByteArray* output = nullptr) {
        QProcess other;
        other.setProcessEnvironment(env);
        other.start(QStringLiteral(HALVERN_BINARY), arguments);
        if (!other.waitForFinished(5000)) return -1;
        if (output) *output = other.readAllStandardOutput();
        return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1;
    }
    [[nodiscard]] int countInLog(const char* line) const { return static_cast<int>(log.count(line)); }

    test::TempDir folder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess first;
    QByteArray log;  ///< the first copy's debug lines
};

TEST_F(ProgramTest, StartedInTheBackgroundItOpensItsWindowOnlyForAPlainSecondStart) {
    first.setProcessEnvironment(env);
    QObject::connect(&first, &QProcess::readyReadStandardError, [&] { log += first.readAllStandardError(); });
    first.start(QStringLiteral(HALVERN_BINARY), {QStringLiteral("--background")});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return log.contains("软件标示 0，0") || first.state() != QProcess::Running; },
                          10000));
    ASSERT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(countInLog("window shown"), 0);

    EXPECT_EQ(runToEnd({QStringLiteral("--background")}), 0);  // tells the running copy nothing
    EXPECT_EQ(runToEnd({}), 0);
    ASSERT_TRUE(waitUntil([&] { return log.contains("window shown"); }, 5000));
    EXPECT_EQ(countInLog("软件标示 0，1"), 1);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(ProgramTest, HelpNamesTheOptionsWithoutADisplay) {
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QByteArray help;
    ASSERT_EQ(runToEnd({QStringLiteral("--help")}, &help), 0);
    EXPECT_TRUE(help.contains("--background"));
    EXPECT_TRUE(help.contains("--version"));
}

}  // namespace
}  // namespace halvern::app
