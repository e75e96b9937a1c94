// Command exchanges per second through the emulator: with no latency (the cost of our own code) and with
// the 1 ms per-report interval of a USB full-speed interrupt pipe. There the link carries one report per
// millisecond each way; a request waits for its reply before the next goes out, so one exchange takes at
// least 2 ms and 500 exchanges per second is the ceiling.
//
//   build/tests/bench/exchange_bench --benchmark_min_time=2

#include <benchmark/benchmark.h>

#include <chrono>

#include "device/command_channel.h"
#include "device/interface_scan.h"
#include "emulator/emulator.h"

namespace {

using namespace halvern;

void exchanges(benchmark::State& state) {
    const auto transport = static_cast<emu::Transport>(state.range(0));
    const auto latency = std::chrono::microseconds(state.range(1));
    emu::Emulator emulator(emu::EmulatorOptions{transport, {}, {}});
    auto device = emulator.attach(emu::Product::Mouse, emu::Attachment::Cable);
    emu::Faults faults;
    faults.latency = latency;
    device->setFaults(faults);

    CommandChannel channel(emulator);
    if (!channel.cableInterface().Open("emu:mouse/1#4", true, true, true, false)) {
        state.SkipWithError("cannot open the emulated mouse");
        return;
    }
    channel.SetMode(1);
    channel.setConnected(true);
    std::array<uint8_t, 6> power{};
    for (auto _ : state) {
        if (channel.ReadOnce(power, 0) != result::kSuccess) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.counters["exchanges/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Transport (0 in-process, 1 socket pair) × latency in microseconds.
BENCHMARK(exchanges)
    ->ArgNames({"socketpair", "latency_us"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
