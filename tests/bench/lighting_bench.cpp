// Lighting figures: the cost of one frame of every keyboard and mouse mode, and the CPU of an effect over
// 10 s (keyboard, mode 1) driven by a reader every 40 ms, next to a thread that wakes every millisecond
// as the devices' threads used to.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "lighting/lighting_engine.h"
#include "lighting/steady_clock.h"

namespace halvern {
namespace {

void prepare(LightingEngine& engine, uint8_t mode, uint8_t speed) {
    LightSettings s;
    s.mode = mode;
    s.speedLevel = speed;
    s.colourful = 1;
    s.music = MusicSettings::make(static_cast<uint8_t>(mode % 7), {0, 0, 40}, {200, 0, 0}, true);
    engine.applySettings(s);
    if (mode == 0) engine.restartMode();
}

void feed(LightingEngine& engine, int frame) {
    std::array<int32_t, 25> levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = static_cast<int32_t>((i * 397 + frame * 131) % 2300);
    engine.deliverAudioLevels(levels);
    if (frame % 8 == 0) engine.press(52);
}

void frameOfMode(benchmark::State& state, DeviceKind kind) {
    LightingEngine engine(kind, 7);
    prepare(engine, static_cast<uint8_t>(state.range(0)), 2);
    engine.loadSequence({SequenceStep{4, 4, 4, 0, 1, {}, 1000}});
    Millis now = 1'000'000;
    int frame = 0;
    for (auto _ : state) {
        feed(engine, frame++);  // ~50 ns of band levels and presses, so the sound and press modes work
        engine.runEffect(now);
        now += 4;
        benchmark::DoNotOptimize(engine.frame());
    }
}

void BM_KeyboardFrame(benchmark::State& state) {
    frameOfMode(state, DeviceKind::Keyboard);
}
void BM_MouseFrame(benchmark::State& state) {
    frameOfMode(state, DeviceKind::Mouse);
}
BENCHMARK(BM_KeyboardFrame)->DenseRange(0, 31);
BENCHMARK(BM_MouseFrame)->DenseRange(0, 12);

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

constexpr auto kRunFor = std::chrono::seconds(10);

/// The engine driven by its reader alone, as a device's lighting is: a preview reading every 40 ms for 10 s
/// of the effect, on the engine's own clock (each read runs the passes due, as DeviceLighting::snapshot
/// does), so the figure is the CPU those 10 s cost without waiting through them.
void BM_ReaderDriven(benchmark::State& state) {
    constexpr Millis kReadEvery = 40;
    const Millis runFor = std::chrono::duration_cast<std::chrono::milliseconds>(kRunFor).count();
    for (auto _ : state) {
        LightingEngine engine(DeviceKind::Keyboard);
        prepare(engine, 1, static_cast<uint8_t>(state.range(0)));
        Millis now = 1'000'000;
        engine.start(now);
        const double before = processCpuSeconds();
        for (Millis read = 0; read < runFor; read += kReadEvery) {
            now += kReadEvery;
            benchmark::DoNotOptimize(engine.runDue(now));
            benchmark::DoNotOptimize(engine.frame());
        }
        const double cpu = processCpuSeconds() - before;
        state.counters["reads"] = static_cast<double>(runFor / kReadEvery);
        state.counters["cpu_ms"] = cpu * 1e3;
        state.counters["core_pct"] = cpu / std::chrono::duration<double>(kRunFor).count() * 100;
    }
}

/// The old way: wake every millisecond, count ticks, step at the threshold.
void BM_MillisecondThread(benchmark::State& state) {
    for (auto _ : state) {
        LightingEngine engine(DeviceKind::Keyboard);
        prepare(engine, 1, static_cast<uint8_t>(state.range(0)));
        std::atomic<uint64_t> wakes{0};
        const double before = processCpuSeconds();
        {
            std::jthread thread([&](std::stop_token stop) {
                engine.start(steadyMillis());
                while (!stop.stop_requested()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    engine.runDue(steadyMillis());
                    wakes.fetch_add(1, std::memory_order_relaxed);
                }
            });
            std::this_thread::sleep_for(kRunFor);
        }
        const double cpu = processCpuSeconds() - before;
        state.counters["wakes"] = static_cast<double>(wakes.load());
        state.counters["cpu_ms"] = cpu * 1e3;
        state.counters["core_pct"] = cpu / std::chrono::duration<double>(kRunFor).count() * 100;
    }
}

BENCHMARK(BM_ReaderDriven)->Arg(0)->Arg(2)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillisecondThread)->Arg(0)->Arg(2)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace halvern
