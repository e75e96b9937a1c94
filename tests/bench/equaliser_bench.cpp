// The headset's equaliser on each sound server (private servers of the bench's own, with the fake
// headset): what a change costs (the fit and the filter's load), the delay the filter adds to the sound,
// and the server's CPU while sound plays through it compared with sound played to the headset directly.
// Figures are printed, never judged.
//
//   build/tests/bench/equaliser_bench [seconds of sound for the CPU figures, default 10]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "band_measurement.h"
#include "devices/headset_audio.h"
#include "devices/headset_eq.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "private_sound_server.h"
#include "wait_for.h"

namespace {

using namespace halvern;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string equaliserSink() {
    const std::string list = test::commandOutput("pactl list short sinks");
    const size_t at = list.find("halvern_headset_eq_");
    return at == std::string::npos ? "" : list.substr(at, std::string("halvern_headset_eq_1").size());
}

// Server CPU, in percent of one core, while `seconds` of noise play into `sink`.
double cpuWhilePlaying(const test::PrivateSoundServer& server, const std::string& sink, double seconds) {
    std::string error;
    const double before = server.cpuSeconds();
    const auto started = Clock::now();
    if (!test::playNoise(sink, seconds, error)) {
        std::printf("  playing into %s failed: %s\n", sink.c_str(), error.c_str());
        return 0;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    return 100 * (server.cpuSeconds() - before) / wall;
}

void bench(test::SoundServerKind kind, double seconds) {
    const std::string name(test::soundServerName(kind));
    test::PrivateSoundServer& server = test::PrivateSoundServer::shared(kind);
    if (!server.running()) {
        std::printf("%s: skipped, %s\n", name.c_str(), server.whyNot().c_str());
        return;
    }
    audio::LinuxAudioLibrary library;
    HeadsetAudio audio(library);
    if (audio.start(HeadsetSystem{}) != HeadsetAudio::Start::Ready) {
        std::printf("%s: the headset's sound did not start\n", name.c_str());
        return;
    }
    // A change: every preset in turn, each one fit and one filter load.
    std::vector<double> changes;
    headset_eq::Bands before{};
    for (int round = 0; round < 2; ++round) {
        for (const auto& preset : headset_eq::kPresets) {
            const auto started = Clock::now();
            if (!audio.setEqualiser(preset, before)) std::printf("  a preset was refused\n");
            changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
            before = preset;
        }
    }
    std::printf("%s: a preset change (fit and filter load) takes %.1f ms (median of %zu), at most %.1f ms\n",
                name.c_str(), median(changes), changes.size(),
                *std::max_element(changes.begin(), changes.end()));

    // The delay: the noise's arrival at the headset sink's monitor, through the filter and directly (where
    // the recording starts early enough to see it arrive), and the latency the server reports for the filter
    // sink while sound plays through it (its own and its master's).
    std::vector<double> through;
    std::vector<double> direct;
    std::string error;
    for (int i = 0; i < 5; ++i) {
        if (const auto t = test::measureArrival(equaliserSink(), "headset.monitor", error))
            through.push_back(*t);
        if (const auto t = test::measureArrival("headset", "headset.monitor", error)) direct.push_back(*t);
    }
    std::printf(
        "%s: the noise arrives %.1f ms after the recording starts through the equaliser, %.1f ms "
        "directly: the filter adds %.1f ms (medians of %zu and %zu)\n",
        name.c_str(), 1000 * median(through), 1000 * median(direct),
        1000 * (median(through) - median(direct)), through.size(), direct.size());
    std::thread playing([&] { (void)test::playNoise(equaliserSink(), 2.0, error); });
    // Look once the noise's stream plays into the filter sink.
    if (!test::waitFor([] { return !test::commandOutput("pactl list short sink-inputs").empty(); },
                       std::chrono::seconds(5)))
        std::printf("%s: the noise's stream did not show\n", name.c_str());
    std::printf("%s: reported while playing:\n%s", name.c_str(),
                test::commandOutput("pactl list sinks | grep -E '^\\s*(Name|Latency):' | paste - -").c_str());
    playing.join();

    const double filtered = cpuWhilePlaying(server, equaliserSink(), seconds);
    const double plain = cpuWhilePlaying(server, "headset", seconds);
    std::printf(
        "%s: server CPU while sound plays: %.2f %% of a core through the equaliser, %.2f %% directly "
        "(%.0f s each)\n",
        name.c_str(), filtered, plain, seconds);
    if (!audio.setEqualiser(headset_eq::kPresets[4], before)) std::printf("  the flat preset was refused\n");
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::clamp(std::atof(argv[1]), 1.0, 600.0) : 10.0;
    for (const auto kind : test::kSoundServerKinds) bench(kind, seconds);
    test::PrivateSoundServer::stopShared();
    return 0;
}
