// How long one change on the mouse page takes until the mouse has acknowledged it: the settings record
// written (Begin, WriteAt in chunks, End) and the profile saved, with the 1 ms per-report interval of a
// USB full-speed pipe. Four exchanges of 2 ms each plus the protocol's 10 ms pause before End make the
// floor about 18 ms on the cable; the receiver's 24-byte chunks and link queries add more.
//
//   build/tests/bench/mouse_write_bench --benchmark_min_time=2

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "device/interface_scan.h"
#include "devices/mouse_device.h"
#include "emulator/emulator.h"

namespace {

using namespace halvern;

void stageChange(benchmark::State& state) {
    const bool receiver = state.range(0) != 0;
    const auto folder = std::filesystem::temp_directory_path() / "halvern-mouse-bench";
    std::filesystem::create_directories(folder);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);

    emu::Emulator emulator;
    auto mouse =
        emulator.attach(emu::Product::Mouse, receiver ? emu::Attachment::Receiver : emu::Attachment::Cable);
    CMerivexMouseDevice device(emulator);
    HidInterface probe(emulator);
    DeviceSlotList slots = makeDeviceSlotList();
    const auto claimed = claimNewInterfaces(probe, slots);
    for (const auto& c : claimed.value_or(std::vector<ClaimedInterface>{})) {
        if (c.role != interface_role::kCommand) continue;
        CommandChannel& channel = device.commandChannel();
        if (!(receiver ? channel.receiverInterface() : channel.cableInterface())
                 .Open(c.path, true, true, true, false)) {
            break;
        }
        channel.SetMode(receiver ? 2 : 1);
        channel.setConnected(true);
        device.SetIdentity(kInterfaceTable[c.slot]);
    }
    if (!device.commandChannel().connected()) {
        state.SkipWithError("cannot open the emulated mouse");
        return;
    }
    device.SetKindName("mouse");
    device.SetKindId(1);
    (void)device.Await([&](CMerivexUSBDevice::Done done) { device.ActivatePage(std::move(done)); });
    mouse->setFaults({.latency = std::chrono::milliseconds(1)});

    uint16_t position = 10;
    for (auto _ : state) {
        position = static_cast<uint16_t>(position % 150 + 1);
        const auto stage = [position](MouseSettings& s) { s.stages[2].dpiX = position; };
        if (!device.Await([&](CMerivexUSBDevice::Done done) {
                device.ChangeSettings(stage, 1920, 1080, std::move(done));
            })) {
            state.SkipWithError("the mouse refused the record");
            break;
        }
    }
    std::filesystem::remove_all(folder);
}

BENCHMARK(stageChange)->ArgNames({"receiver"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
