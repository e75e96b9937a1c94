// Settings writes while a keyboard streams its music mode, measured in the running window: the keyboard (104
// slots, 312-byte frames) sits behind a socket pair that moves one report per millisecond each way, sound
// levels arrive every 20 ms as from the sound analysis, and the keyboard page sends polling-rate changes as
// a user would. Prints, for one run: frames per second with the stream alone, while writes follow each other
// back to back, and while one write goes every 100 ms; the write latency (page change to the keyboard's
// acknowledgement, median and worst); and the longest time the interface thread went without running its
// 1 ms timer (how long the window was held).
//
// Usage: write_while_streaming_bench [SECONDS per phase, default 5]

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/main_window.h"
#include "devices/keyboard_device.h"
#include "emulator/emulator.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/keyboard_page.h"

namespace {

using namespace halvern;

// Runs the event loop until `done` holds or `ms` pass.
template <typename Condition>
bool runUntil(Condition done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void runFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

struct Phase {
    double framesPerSecond = 0;
    std::vector<double> latenciesMs;
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8().constData(), 1);
    setenv("XDG_RUNTIME_DIR", home.path().toUtf8().constData(), 1);
    QApplication application(argc, argv);

    emu::Emulator emulator({.transport = emu::Transport::SocketPair});
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    app::MainWindow window(emulator, loader, texts);
    window.start();
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable, {.keySlots = 104});
    const auto page = [&]() -> ui::KeyboardPage* {
        app::DeviceSlotPage* slot = window.deviceList().pageForKind(1);
        return slot ? qobject_cast<ui::KeyboardPage*>(slot->page.data()) : nullptr;
    };
    if (!runUntil([&] { return page() && !page()->keyboard().factoryTable().empty(); }, 10000)) {
        std::fprintf(stderr, "the emulated keyboard's page did not open\n");
        return 1;
    }
    CMerivexKeyboardDevice& device = page()->keyboard();
    keyboard->setFaults({.latency = std::chrono::milliseconds(1)});
    std::optional<DeviceResult> music;
    device.ChangeSettings([](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; },
                          [&](DeviceResult r) { music = r; });
    if (!runUntil([&] { return music.has_value(); }, 5000) || !*music) {
        std::fprintf(stderr, "the keyboard did not take the music mode\n");
        return 1;
    }

    // Sound levels every 20 ms, and the interface thread's heartbeat every millisecond.
    std::array<int32_t, 500> levels{};
    int beat = 0;
    QTimer sound;
    QObject::connect(&sound, &QTimer::timeout, [&] {
        ++beat;
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((beat * 37 + b * 211) % 2000);
        device.AudioLevels(levels);
    });
    sound.start(20);
    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = 0, longestStall = 0, stallAt = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        if (clock.elapsed() - lastBeat > longestStall) {
            longestStall = clock.elapsed() - lastBeat;
            stallAt = lastBeat;
        }
        lastBeat = clock.elapsed();
    });
    runFor(500);
    lastBeat = clock.elapsed();
    heartbeat.start(1);

    const auto framesNow = [&] { return device.streamStats().frames; };
    const auto measure = [&](int writeEveryMs) {
        Phase phase;
        const uint64_t framesBefore = framesNow();
        QElapsedTimer phaseClock;
        phaseClock.start();
        uint16_t polling = 0;
        qint64 nextWrite = 0;
        bool inFlight = false;
        QElapsedTimer writeClock;
        while (phaseClock.elapsed() < seconds * 1000) {
            if (writeEveryMs >= 0 && !inFlight && phaseClock.elapsed() >= nextWrite) {
                inFlight = true;
                polling = static_cast<uint16_t>((polling + 1) % 4);
                writeClock.start();
                device.ChangeSettings(
                    [polling](KeyboardSettings& s) { s.system.pollingRate = polling; },
                    [&](DeviceResult r) {
                        if (!r) std::fprintf(stderr, "a write failed: %s\n", describe(r).c_str());
                        phase.latenciesMs.push_back(static_cast<double>(writeClock.nsecsElapsed()) / 1e6);
                        inFlight = false;
                    });
                nextWrite = phaseClock.elapsed() + writeEveryMs;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        }
        runUntil([&] { return !inFlight; }, 5000);
        phase.framesPerSecond =
            static_cast<double>(framesNow() - framesBefore) / (phaseClock.elapsed() / 1000.0);
        return phase;
    };

    const Phase alone = measure(-1);
    const Phase backToBack = measure(0);
    const Phase paced = measure(100);
    heartbeat.stop();

    std::vector<double> all = backToBack.latenciesMs;
    all.insert(all.end(), paced.latenciesMs.begin(), paced.latenciesMs.end());
    std::printf(
        "settings writes while the keyboard streams mode 29 (104 slots, 1 ms per report, socket pair, "
        "%d s per phase)\n",
        seconds);
    std::printf("  frames/s, stream alone             %.1f\n", alone.framesPerSecond);
    std::printf("  frames/s, writes back to back      %.1f  (%zu writes)\n", backToBack.framesPerSecond,
                backToBack.latenciesMs.size());
    std::printf("  frames/s, one write per 100 ms     %.1f  (%zu writes)\n", paced.framesPerSecond,
                paced.latenciesMs.size());
    std::printf("  write latency, back to back        median %.1f ms, worst %.1f ms\n",
                median(backToBack.latenciesMs),
                backToBack.latenciesMs.empty()
                    ? 0.0
                    : *std::max_element(backToBack.latenciesMs.begin(), backToBack.latenciesMs.end()));
    std::printf(
        "  write latency, one per 100 ms      median %.1f ms, worst %.1f ms\n", median(paced.latenciesMs),
        paced.latenciesMs.empty() ? 0.0
                                  : *std::max_element(paced.latenciesMs.begin(), paced.latenciesMs.end()));
    std::printf("  longest interface-thread stall     %lld ms (1 ms heartbeat, all phases; at %.1f s)\n",
                static_cast<long long>(longestStall), static_cast<double>(stallAt) / 1000.0);
    std::printf("  failed frames                      %llu\n",
                static_cast<unsigned long long>(device.streamStats().failedFrames));
    window.shutdown();
    return 0;
}
