// From a sound onset to the keyboard's lights: halvern-sound reads a WAV file of short tones with silence
// between them (at the pace it would play), the application's sound link takes its blocks and feeds the
// keyboard page of the running window in its music mode, and the emulated keyboard (behind a socket pair, as
// a hidraw node) receives the streamed frames. For each tone the time from its first sample to the first lit
// frame at the keyboard is printed, and when the band values reached the keyboard device. Figures are
// printed, never judged (the companion's CPU is measured apart, over longer stretches).
//
//   QT_QPA_PLATFORM=offscreen build/tests/bench/sound_latency_bench [tones] [path to halvern-sound]
//
// The tones' timing is known from the first raw block: the companion starts the file when it is connected,
// and its first block leaves once 1/60 s of samples has been read.

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
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/device_list.h"
#include "app/main_window.h"
#include "app/sound_link.h"
#include "devices/keyboard_device.h"
#include "emulator/emulator.h"
#include "event_loop.h"
#include "profile/data_folders.h"
#include "tone_wav.h"
#include "ui/controls/control_registry.h"

namespace {

using namespace halvern;
using Clock = std::chrono::steady_clock;

// Onsets are timed to a few milliseconds: the loop looks every 5 ms.
bool runUntilFine(const std::function<bool()>& done, int ms) {
    return bench::runUntil(done, ms, 5);
}

constexpr double kToneSeconds = 0.3;
constexpr double kPeriodSeconds = 1.53;  // not a whole number of three-block hand-overs: onsets fall anywhere
constexpr double kFirstBlockSeconds = 735.0 / 44100.0;  // the companion's block at 44.1 kHz

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
    (void)texts.load(QString::fromStdString((GetResourceFolder() / "lang" / "en.json").string()));

    emu::Emulator emulator({.transport = emu::Transport::SocketPair});
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
    app::MainWindow window(emulator, loader, texts);
    window.start();
    app::DeviceList& list = window.deviceList();
    CMerivexKeyboardDevice* device = nullptr;
    if (!keyboard || !runUntilFine(
                         [&] {
                             app::DeviceSlotPage* p = list.pageForKind(1);
                             device = p ? dynamic_cast<CMerivexKeyboardDevice*>(p->device()) : nullptr;
                             return device != nullptr && p->page && p->page->isVisible() &&
                                    !device->factoryTable().empty();
                         },
                         10000)) {
        std::fprintf(stderr, "sound_latency_bench: the keyboard page never showed\n");
        return 1;
    }
    bool switched = false;
    device->ChangeSettings([](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; },
                           [&switched](DeviceResult result) { switched = result.ok(); });
    if (!runUntilFine([&] { return switched; }, 5000)) {
        std::fprintf(stderr, "sound_latency_bench: the keyboard did not take its music mode\n");
        return 1;
    }

    // The tones start at the second period: the first is the reference for the lights to be dark.
    const std::string wav = home.filePath(QStringLiteral("tones.wav")).toStdString();
    test::writeToneWav(wav, 200, kToneSeconds, kPeriodSeconds, tones + 1);

    // A watcher, woken by each frame chunk the keyboard takes, notes when its frame turns from dark to lit.
    std::atomic<bool> watching{true};
    std::vector<Clock::time_point> litAt;
    std::thread watcher([&] {
        const emu::Firmware& firmware = keyboard->firmware();
        bool wasDark = true;
        uint64_t chunks = 0;
        while (watching) {
            if (!firmware.awaitFrameChunk(chunks, Clock::now() + std::chrono::milliseconds(100))) continue;
            const bool isDark = dark(firmware.lastFrame());
            if (wasDark && !isDark) litAt.push_back(Clock::now());
            wasDark = isDark;
        }
    });

    Clock::time_point firstBlock{};
    app::SoundLinkHooks hooks;
    hooks.selectedTypeCode = [&firstBlock] {
        if (firstBlock == Clock::time_point{}) firstBlock = Clock::now();
        return type_code::kKeyboard;
    };
    std::vector<Clock::time_point> loudAt;  // band values handed to the keyboard after a quiet stretch
    bool quiet = true;
    hooks.levels = [device, &loudAt, &quiet](AudioLevelTarget target, std::span<const int32_t> levels) {
        if (target != AudioLevelTarget::Keyboard) return;
        const bool loud = std::ranges::any_of(levels, [](int32_t v) { return v > 0; });
        if (loud && quiet) loudAt.push_back(Clock::now());
        quiet = !loud;
        device->AudioLevels(levels);
    };
    hooks.sixValues = [device](std::span<const int32_t> values) { device->AudioColour(values); };
    app::SoundLink link(program, std::move(hooks), {QStringLiteral("--wav"), QString::fromStdString(wav)});
    link.start();
    if (!runUntilFine([&] { return link.companionProcessId() != 0 && firstBlock != Clock::time_point{}; },
                      5000)) {
        std::fprintf(stderr, "sound_latency_bench: no block from %s\n", qPrintable(program));
        return 1;
    }
    const Clock::time_point start = firstBlock - std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(kFirstBlockSeconds));
    const auto at = [&](double seconds) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    };
    (void)runUntilFine([&] { return Clock::now() >= at((tones + 1) * kPeriodSeconds); }, 60000);
    watching = false;
    watcher.join();

    std::printf("sound onset to the first lit keyboard frame, %d tones of %.1f s every %.2f s (200 Hz)\n",
                tones, kToneSeconds, kPeriodSeconds);
    const auto firstAfter = [](const std::vector<Clock::time_point>& times, Clock::time_point onset) {
        const auto found =
            std::find_if(times.begin(), times.end(), [&](Clock::time_point p) { return p >= onset; });
        const bool inTime = found != times.end() && *found < onset + std::chrono::seconds(1);
        return inTime ? std::chrono::duration<double, std::milli>(*found - onset).count() : -1.0;
    };
    std::vector<double> latencies;
    for (int k = 1; k <= tones; ++k) {
        const Clock::time_point onset = at(k * kPeriodSeconds);
        const double bands = firstAfter(loudAt, onset);
        const double lit = firstAfter(litAt, onset);
        if (lit < 0) {
            std::printf("  tone %d: no lit frame within a second\n", k);
            continue;
        }
        latencies.push_back(lit);
        std::printf("  tone %d: %6.1f ms (band values at the keyboard device after %5.1f ms)\n", k, lit,
                    bands);
    }
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        std::printf("  median %.1f ms, worst %.1f ms (target 50 ms)\n", latencies[latencies.size() / 2],
                    latencies.back());
    }
    return 0;
}
