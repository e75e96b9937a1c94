// halvern-sound: analyses sound into the level blocks that drive the music light modes.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "sound_companion/band_analyser.h"
#include "sound_companion/block_printer.h"
#include "sound_companion/pulse_capture.h"
#include "sound_companion/wav_file.h"

namespace {

using namespace halvern::sound;

constexpr const char* kUsage =
    "usage: halvern-sound [--wav FILE] --print [--colour R,G,B]\n"
    "  --wav FILE        analyse a WAV file instead of the sound being played\n"
    "  --print           write the blocks as JSON lines to standard output\n"
    "  --colour R,G,B    style colour, each step 0-9 (default 9,9,9)\n";

struct Options {
    std::string wavPath;
    bool print = false;
    StyleColour colour;
};

bool parseColour(std::string_view text, StyleColour& colour) {
    int r = 0;
    int g = 0;
    int b = 0;
    char tail = 0;
    if (std::sscanf(std::string(text).c_str(), "%d,%d,%d%c", &r, &g, &b, &tail) != 3) return false;
    if (r < 0 || r > 9 || g < 0 || g > 9 || b < 0 || b > 9) return false;
    colour = {r, g, b};
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--wav" && hasValue) {
            options.wavPath = argv[++i];
        } else if (arg == "--print") {
            options.print = true;
        } else if (arg == "--colour" && hasValue) {
            if (!parseColour(argv[++i], options.colour)) return false;
        } else {
            return false;
        }
    }
    return true;
}

/// Passes blocks on; of a stretch of silence only the first, so the lights settle dark, and nothing more
/// until sound returns.
class BlockOutput {
public:
    /// False when the block could not be written.
    [[nodiscard]] bool take(long long milliseconds, const SoundBlock& block) {
        if (block.silent && m_silent) return true;
        m_silent = block.silent;
        if (!printBlock(stdout, milliseconds, block) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "halvern-sound: cannot write the blocks\n");
            return false;
        }
        return true;
    }

private:
    bool m_silent = false;
};

/// Records the default output's monitor until the server goes away or the output is closed.
int printCapture(const Options& options) {
    BandAnalyser analyser(PulseCapture::kSampleRate);
    analyser.setStyleColour(options.colour);
    std::string error;
    const auto capture = PulseCapture::open(analyser.samplesPerBlock(), error);
    if (!capture) {
        std::fprintf(stderr, "halvern-sound: %s\n", error.c_str());
        return 1;
    }
    std::vector<float> samples(analyser.samplesPerBlock());
    BlockOutput output;
    long long total = 0;
    for (;;) {
        if (!capture->read(samples, error)) {
            std::fprintf(stderr, "halvern-sound: %s\n", error.c_str());
            return 1;
        }
        total += static_cast<long long>(samples.size());
        std::size_t consumed = 0;
        while (analyser.push(samples, consumed))
            if (!output.take(total * 1000 / PulseCapture::kSampleRate, analyser.block())) return 1;
    }
}

/// Analyses the whole file and prints its blocks.
int printWav(const Options& options) {
    WavSound sound;
    std::string error;
    if (!readWav(options.wavPath, sound, error)) {
        std::fprintf(stderr, "halvern-sound: %s\n", error.c_str());
        return 1;
    }
    BandAnalyser analyser(sound.sampleRate);
    analyser.setStyleColour(options.colour);
    std::size_t consumed = 0;
    BlockOutput output;
    while (analyser.push(sound.samples, consumed))
        if (!output.take(static_cast<long long>(consumed) * 1000 / sound.sampleRate, analyser.block()))
            return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options) || !options.print) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return options.wavPath.empty() ? printCapture(options) : printWav(options);
}
