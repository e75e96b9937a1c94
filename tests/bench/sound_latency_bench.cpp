// From a sound onset to the keyboard's lights: halvern-sound reads a WAV file of short tones with silence
// between them (at the pace it would play), the application's sound link takes its blocks and feeds the
// keyboard page of the running window in its music mode, and the emulated keyboard (behind a socket pair, as
// a hidraw node) receives the streamed frames. For each tone the time from its first sample to the first lit
// frame at the keyboard is printed, with the companion's and the program's CPU while sound plays and while
// it is silent. Figures are printed, never judged.
//
//   QT_QPA_PLATFORM=offscreen build/tests/bench/sound_latency_bench [tones] [path to halvern-sound]
//
// The tones' timing is known from the first raw block: the companion starts the file when it is connected,
// and its first block leaves once 1/60 s of samples has been read.

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/device_list.h"
#include "app/main_window.h"
#include "app/sound_link.h"
#include "devices/keyboard_device.h"
#include "emulator/emulator.h"
#include "proc_stats.h"
#include "profile/data_folders.h"
#include "tone_wav.h"
#include "ui/controls/control_registry.h"

namespace {

using namespace halvern;
using Clock = std::chrono::steady_clock;

constexpr double kToneSeconds = 0.3;
constexpr double kPeriodSeconds = 1.5;
constexpr double kFirstBlockSeconds = 735.0 / 44100.0;  // the companion's block at 44.1 kHz

bool runUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

double processCpuOf(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool dark(const std::vector<uint8_t>& frame) {
    return std::all_of(frame.begin(), frame.end(), [](uint8_t b) { return b == 0; });
}

}  // namespace

int main(int argc, char** argv) {
    const int tones = argc > 1 ? std::max(2, std::atoi(argv[1])) : 8;
    QTemporaryDir home;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        setenv(name, home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : app::soundCompanionProgram();
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;

    emu::Emulator emulator({.transport = emu::Transport::SocketPair});
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
    app::MainWindow window(emulator, loader, texts);
    window.start();
    app::DeviceList& list = window.deviceList();
    CMerivexKeyboardDevice* device = nullptr;
    if (!keyboard || !runUntil(
                         [&] {
                             app::DeviceSlotPage* p = list.pageForKind(1);
                             device = p ? dynamic_cast<CMerivexKeyboardDevice*>(p->device.get()) : nullptr;
                             return device != nullptr && p->page && p->page->isVisible();
                         },
                         10000)) {
        std::fprintf(stderr, "sound_latency_bench: the keyboard page never showed\n");
        return 1;
    }
    bool switched = false;
    device->ChangeSettings([](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; },
                           [&switched](DeviceResult result) { switched = result.ok(); });
    if (!runUntil([&] { return switched; }, 5000)) {
        std::fprintf(stderr, "sound_latency_bench: the keyboard did not take its music mode\n");
        return 1;
    }

    // The tones start at the second period: the first is the reference for the lights to be dark.
    const std::string wav = home.filePath(QStringLiteral("tones.wav")).toStdString();
    test::writeToneWav(wav, 200, kToneSeconds, kPeriodSeconds, tones + 1);

    // A watcher notes when the keyboard's frame turns from dark to lit.
    std::atomic<bool> watching{true};
    std::vector<Clock::time_point> litAt;
    std::thread watcher([&] {
        bool wasDark = true;
        while (watching) {
            const bool isDark = dark(keyboard->firmware().lastFrame());
            if (wasDark && !isDark) litAt.push_back(Clock::now());
            wasDark = isDark;
            std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
    });

    Clock::time_point firstBlock{};
    app::SoundLinkHooks hooks;
    hooks.selectedTypeCode = [&firstBlock] {
        if (firstBlock == Clock::time_point{}) firstBlock = Clock::now();
        return type_code::kKeyboard;
    };
    hooks.levels = [device](AudioLevelTarget target, std::span<const int32_t> levels) {
        if (target == AudioLevelTarget::Keyboard) device->AudioLevels(levels);
    };
    hooks.sixValues = [device](std::span<const int32_t> values) { device->AudioColour(values); };
    app::SoundLink link(program, std::move(hooks), {QStringLiteral("--wav"), QString::fromStdString(wav)});
    link.start();
    if (!runUntil([&] { return link.companionProcessId() != 0 && firstBlock != Clock::time_point{}; },
                  5000)) {
        std::fprintf(stderr, "sound_latency_bench: no block from %s\n", qPrintable(program));
        return 1;
    }
    const qint64 companion = link.companionProcessId();
    const Clock::time_point start = firstBlock - std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(kFirstBlockSeconds));
    // CPU during the first half of a period (tone) and the last third (silence), summed over the periods.
    double soundCpu = 0, silentCpu = 0, ownSoundCpu = 0, ownSilentCpu = 0;
    const auto at = [&](double s) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    for (int k = 1; k <= tones; ++k) {
        const double t = k * kPeriodSeconds;
        (void)runUntil([&] { return Clock::now() >= at(t); }, 10000);
        double c = processCpuOf(companion), own = bench::processCpuSeconds();
        (void)runUntil([&] { return Clock::now() >= at(t + kToneSeconds); }, 10000);
        soundCpu += processCpuOf(companion) - c;
        ownSoundCpu += bench::processCpuSeconds() - own;
        (void)runUntil([&] { return Clock::now() >= at(t + kPeriodSeconds - kToneSeconds); }, 10000);
        c = processCpuOf(companion), own = bench::processCpuSeconds();
        (void)runUntil([&] { return Clock::now() >= at(t + kPeriodSeconds); }, 10000);
        silentCpu += processCpuOf(companion) - c;
        ownSilentCpu += bench::processCpuSeconds() - own;
    }
    watching = false;
    watcher.join();

    std::printf("sound onset to the first lit keyboard frame, %d tones of %.1f s every %.1f s (200 Hz)\n",
                tones, kToneSeconds, kPeriodSeconds);
    std::vector<double> latencies;
    for (int k = 1; k <= tones; ++k) {
        const Clock::time_point onset = at(k * kPeriodSeconds);
        const auto lit =
            std::find_if(litAt.begin(), litAt.end(), [&](Clock::time_point p) { return p >= onset; });
        if (lit == litAt.end() || *lit > onset + std::chrono::milliseconds(1000)) {
            std::printf("  tone %d: no lit frame within a second\n", k);
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(*lit - onset).count());
        std::printf("  tone %d: %6.1f ms\n", k, latencies.back());
    }
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        std::printf("  median %.1f ms, worst %.1f ms (target 50 ms)\n", latencies[latencies.size() / 2],
                    latencies.back());
    }
    const double toneTime = tones * kToneSeconds;
    std::printf("  CPU of halvern-sound: %.2f %% of one core while a tone plays, %.2f %% in the silence\n",
                100.0 * soundCpu / toneTime, 100.0 * silentCpu / toneTime);
    std::printf("  CPU of the program (window, keyboard, emulator): %.2f %% with sound, %.2f %% silent\n",
                100.0 * ownSoundCpu / toneTime, 100.0 * ownSilentCpu / toneTime);
    return 0;
}
