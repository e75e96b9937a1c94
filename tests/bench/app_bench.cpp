// The window on emulated devices, measured as a desktop sees it: the time from exec to the window shown,
// resident memory, and the CPU of each state as a share of one core, with the emulator's threads counted
// apart from the program's own (the emulator stands in for the devices' firmware).
//
//   QT_QPA_PLATFORM=offscreen build/tests/bench/app_bench [seconds per state]
//   DISPLAY=:91 build/tests/bench/app_bench 20        (under Xvfb with a window manager)
//
// States, in order: visible on the mouse page and the keyboard page (its wave); the keyboard streaming
// mode 29 over the cable at 1 ms per report; minimised with the mouse and keyboard in their own light
// modes; then, with a mouse pad and a headset plugged in, visible on their pages and minimised with the
// four devices (the headset's lights are driven by the program, frame by frame); minimised with no device.
// Profiles and settings go to a temporary folder. Figures are printed, never judged.
//
// This window lives in the benchmark's own process, without the session's device service, the RGB
// server, the sound companion's link or the single-instance socket, and with the emulator's threads taken
// out: it reads lower than the program users start. installed_app_bench.py (beside this file) measures
// that program from outside, through /proc; the figures quoted for the program are its.

#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "app/device_list.h"
#include "app/main_window.h"
#include "devices/keyboard_device.h"
#include "emulator/emulator.h"
#include "event_loop.h"
#include "proc_stats.h"
#include "profile/data_folders.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/device_page.h"

namespace {

using namespace halvern;
using bench::runUntil;

constexpr int kMouse = 0;
constexpr int kKeyboard = 1;
constexpr int kMousePad = 2;
constexpr int kHeadset = 3;

// Seconds since this process was started by exec (the kernel's start time, in clock ticks).
double secondsSinceExec() {
    std::ifstream statFile("/proc/self/stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double startTicks = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 22) {
            startTicks = std::stod(field);
            break;
        }
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double boot = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    return boot - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void runFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The CPU a state costs once it has settled: the program's threads and the emulator's, apart.
void measure(const char* state, double seconds) {
    runFor(1.0);  // let what the change started (activation, first frames) pass
    const auto before = bench::threadCpuSecondsByName();
    const double processBefore = bench::processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    runFor(seconds);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const auto after = bench::threadCpuSecondsByName();
    const double process = bench::processCpuSeconds() - processBefore;
    double emulator = 0;
    if (auto a = after.find("emulator"); a != after.end()) {
        const auto b = before.find("emulator");
        emulator = a->second - (b == before.end() ? 0.0 : b->second);
    }
    std::printf("  %-44s program %6.2f %%   emulator %5.2f %%   threads %ld\n", state,
                100.0 * (process - emulator) / elapsed, 100.0 * emulator / elapsed,
                bench::statusField("Threads"));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit().constData(),
           1);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QDir resources(QString::fromStdString(GetResourceFolder().string()));
    QFile style(resources.filePath(QStringLiteral("skin/halvern.qss")));
    if (style.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(style.readAll()));
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    if (!texts.load(resources.filePath(QStringLiteral("lang/en.json"))))
        std::fprintf(stderr, "app_bench: no English texts (text ids are shown)\n");

    emu::Emulator emulator({.transport = emu::Transport::SocketPair});
    auto mouse = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
    if (!mouse || !keyboard) {
        std::fprintf(stderr, "app_bench: cannot plug the emulated mouse and keyboard in\n");
        return 1;
    }
    app::MainWindow window(emulator, loader, texts);
    app::DeviceList& list = window.deviceList();
    const auto pageReady = [&list](int kind) {
        app::DeviceSlotPage* page = list.pageForKind(kind);
        return page && page->page && page->page->isVisible();
    };
    window.start();
    if (!runUntil([&] { return window.isVisible(); }, 10000)) {
        std::fprintf(stderr, "app_bench: the window never showed\n");
        return 1;
    }
    const double shown = secondsSinceExec();
    if (!runUntil([&] { return pageReady(kMouse); }, 10000))
        std::fprintf(stderr, "app_bench: the mouse page never showed\n");
    const double pageShown = secondsSinceExec();
    std::printf("app_bench on %s, %.0f s per state\n", qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("  exec to window shown                         %.3f s (its first page %.3f s)\n", shown,
                pageShown);
    std::printf("  resident at the first page                   %.1f MB\n",
                static_cast<double>(bench::statusField("VmRSS")) / 1024.0);

    // As a click on the device's entry in the list.
    const auto select = [&](int kind) {
        const auto& pages = list.pages();
        for (size_t i = 0; i < pages.size(); ++i) {
            if (pages[i]->kindIndex() == kind) list.ShowDeviceEntry(static_cast<int>(i), true, true);
        }
        return runUntil([&] { return pageReady(kind); }, 5000);
    };
    measure("visible, mouse page", seconds);
    std::printf("  resident, settled on the mouse page          %.1f MB\n",
                static_cast<double>(bench::statusField("VmRSS")) / 1024.0);
    if (select(kKeyboard)) measure("visible, keyboard page (its wave)", seconds);

    // Streaming: the keyboard in its music mode, one report per millisecond, page on screen.
    if (!select(kKeyboard)) {
        std::printf("  (the keyboard page could not be selected again: no streaming figure)\n");
    } else {
        auto* device = dynamic_cast<CMerivexKeyboardDevice*>(list.pageForKind(kKeyboard)->device());
        keyboard->setFaults({.latency = std::chrono::milliseconds(1)});
        bool switched = false;
        const uint8_t mode = device ? device->settings().light.mode : 0;
        if (device) {
            device->ChangeSettings(
                [](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; },
                [&switched](DeviceResult result) { switched = result.ok(); });
        }
        if (!runUntil([&] { return switched; }, 5000)) {
            std::printf("  (the keyboard did not take mode 29: no streaming figure)\n");
        } else {
            measure("visible, keyboard streaming mode 29 (1 ms)", seconds);
            device->ChangeSettings([mode](KeyboardSettings& s) { s.light.mode = mode; }, [](DeviceResult) {});
        }
        keyboard->setFaults({});
    }

    window.showMinimized();
    measure("minimised, mouse and keyboard", seconds);
    window.showNormal();

    auto pad = emulator.attach(emu::Product::MousePad, emu::Attachment::Cable);
    auto headset = emulator.attach(emu::Product::Headset, emu::Attachment::Cable);
    if (pad && runUntil([&] { return list.pageForKind(kMousePad) != nullptr; }, 5000) && select(kMousePad)) {
        measure("visible, mouse pad page", seconds);
    }
    if (headset && runUntil([&] { return list.pageForKind(kHeadset) != nullptr; }, 5000) &&
        select(kHeadset)) {
        measure("visible, headset page", seconds);
    }

    window.showMinimized();
    measure("minimised, four devices", seconds);
    for (const emu::Product product :
         {emu::Product::Mouse, emu::Product::Keyboard, emu::Product::MousePad, emu::Product::Headset}) {
        if (!emulator.detach(product, emu::Attachment::Cable))
            std::printf("  (a device could not be unplugged: the last figure includes it)\n");
    }
    measure("minimised, no device", seconds);
    std::printf("  resident at the end                          %.1f MB\n",
                static_cast<double>(bench::statusField("VmRSS")) / 1024.0);
    std::printf(
        "  (the program as users start it: tests/bench/installed_app_bench.py <prefix>/bin/halvern)\n");
    window.shutdown();
    return 0;
}
