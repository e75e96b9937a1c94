// halvern-sound: analyses sound into the level blocks that drive the music light modes.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "sound_companion/band_analyser.h"
#include "sound_companion/block_printer.h"
#include "sound_companion/wav_file.h"

namespace {

using namespace halvern::sound;

constexpr const char* kUsage =
    "usage: halvern-sound --wav FILE --print [--colour R,G,B]\n"
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

/// Analyses the whole file and prints its blocks. A stretch of silence prints its first block only, so the
/// lights settle dark, and nothing more until sound returns.
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
    long long blocks = 0;
    bool wasSilent = false;
    while (analyser.push(sound.samples, consumed)) {
        const long long ms = static_cast<long long>(consumed) * 1000 / sound.sampleRate;
        ++blocks;
        const SoundBlock& block = analyser.block();
        if (block.silent && wasSilent) continue;
        wasSilent = block.silent;
        if (!printBlock(stdout, ms, block)) {
            std::fprintf(stderr, "halvern-sound: cannot write the blocks\n");
            return 1;
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options) || options.wavPath.empty() || !options.print) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return printWav(options);
}
