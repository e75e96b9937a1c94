// Frames a cable keyboard receives in the music mode, and what streaming them costs: a 104-slot keyboard
// (312-byte frames, six 56-byte reports each) behind a pipe that moves one report per millisecond each way,
// with audio levels delivered as a sound analysis would. Prints frames per second, the CPU time of the whole
// process (device, lighting thread, streamer and emulator) as a share of one core, the device queue thread's
// own share, and the age of a frame's colours when its last report was acknowledged.
//
//   build/tests/bench/keyboard_stream_bench [seconds] [inprocess|socket] [idle]
//
// "socket" runs the emulated firmware on a service thread behind a socket pair, so the streamer thread pays
// only for its own side of each report, as with a hidraw node; "idle" leaves the lights to the keyboard (no
// frames) to show what the effects and the emulator cost anyway.

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

#include "devices/keyboard_device.h"
#include "emulated_open.h"
#include "emulator/emulator.h"
#include "proc_stats.h"

namespace {

using namespace halvern;
using Clock = std::chrono::steady_clock;
using bench::processCpuSeconds;
using bench::threadCpuSeconds;

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    const bool socket = argc > 2 && std::string_view(argv[2]) == "socket";
    const bool stream = !(argc > 3 && std::string_view(argv[3]) == "idle");
    const auto folder = std::filesystem::temp_directory_path() / "halvern-keyboard-bench";
    std::filesystem::create_directories(folder);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);

    emu::Emulator emulator({.transport = socket ? emu::Transport::SocketPair : emu::Transport::InProcess});
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable, {.keySlots = 104});
    CMerivexKeyboardDevice device(emulator);
    if (!keyboard || !test::OpenOverEmulator(emulator, device, false)) {
        std::fprintf(stderr, "cannot open the emulated keyboard\n");
        return 1;
    }
    device.SetKindName("keyboard");
    device.SetLedCount(static_cast<int>(CMerivexKeyboardDevice::kKeyCount));
    (void)device.Await([&](CMerivexUSBDevice::Done done) { device.ActivatePage(std::move(done)); });
    device.SetLightControl(stream);
    keyboard->setFaults({.latency = std::chrono::milliseconds(1)});
    const auto music = [](KeyboardSettings& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; };
    if (!device.Await([&](CMerivexUSBDevice::Done done) { device.ChangeSettings(music, std::move(done)); })) {
        std::fprintf(stderr, "the keyboard refused the music mode\n");
        return 1;
    }

    // Levels arrive about every 20 ms, as from the sound analysis; the interface thread's light tick copies
    // the preview every 33 ms. Both are part of what the process spends.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto framesBefore = device.streamStats().frames;
    const double cpuBefore = processCpuSeconds();
    const double streamerBefore = threadCpuSeconds("device-queue");
    const auto start = Clock::now();
    std::array<int32_t, 25> levels{};
    double ageSum = 0;
    unsigned ageSamples = 0;
    auto nextPreview = start;
    for (int n = 0; Clock::now() - start < std::chrono::duration<double>(seconds); ++n) {
        for (size_t b = 0; b < levels.size(); ++b)
            levels[b] = static_cast<int32_t>((n * 37 + b * 211) % 2000);
        device.AudioLevels(levels);
        if (Clock::now() >= nextPreview) {
            device.SendLightFrame();
            nextPreview += std::chrono::milliseconds(33);
        }
        ageSum += device.streamStats().lastFrameAgeMs;
        ++ageSamples;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = processCpuSeconds() - cpuBefore;
    const double streamer = threadCpuSeconds("device-queue") - streamerBefore;
    const auto frames = device.streamStats().frames - framesBefore;

    std::printf("keyboard stream, 104 slots (312-byte frames), 1 ms per report, mode 29 on the cable, %s%s\n",
                socket ? "socket pair" : "in-process", stream ? "" : ", lights left to the keyboard");
    std::printf("  frames/s              %.1f\n", static_cast<double>(frames) / elapsed);
    std::printf("  CPU, whole process    %.2f %% of one core\n", 100.0 * cpu / elapsed);
    std::printf("  CPU, device queue    %.2f %% of one core\n", 100.0 * streamer / elapsed);
    std::printf("  frame age at ack      %.2f ms (mean of samples), %.2f ms (last)\n",
                ageSamples ? ageSum / ageSamples : 0.0, device.streamStats().lastFrameAgeMs);
    std::printf("  over                  %.1f s\n", elapsed);
    std::filesystem::remove_all(folder);
    return 0;
}
