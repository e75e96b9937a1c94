// halvern-sound: analyses sound into the level blocks that drive the music light modes and sends them to
// the application, or prints them.

#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sound_companion/application_link.h"
#include "sound_companion/band_analyser.h"
#include "sound_companion/block_printer.h"
#include "sound_companion/pulse_capture.h"
#include "sound_companion/wav_file.h"

namespace {

using namespace halvern::sound;

constexpr const char* kUsage =
    "usage: halvern-sound [--wav FILE] [--print] [--colour R,G,B]\n"
    "  --wav FILE        analyse a WAV file (at its own pace when sending) instead of the sound being "
    "played\n"
    "  --print           write the blocks as JSON lines to standard output instead of sending them\n"
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

/// The exit code that tells the application no sound server could be reached (others mean other failures).
constexpr int kExitNoSoundServer = 3;

int fail(const std::string& text, int code = 1) {
    std::fprintf(stderr, "halvern-sound: %s\n", text.c_str());
    return code;
}

/// Where samples come from: the sound being played, or a WAV file.
class SampleSource {
public:
    virtual ~SampleSource() = default;
    /// Fills `samples`; false at the end of the file, or with `error` set when recording failed.
    [[nodiscard]] virtual bool read(std::vector<float>& samples, std::string& error) = 0;
};

/// A WAV file's samples, handed out at once or, when `paced`, as fast as they would play.
class WavSource final : public SampleSource {
public:
    WavSource(WavSound sound, bool paced) : m_sound(std::move(sound)), m_paced(paced) {
        clock_gettime(CLOCK_MONOTONIC, &m_start);
    }
    bool read(std::vector<float>& samples, std::string& /*error*/) override {
        if (m_next + samples.size() > m_sound.samples.size()) return false;
        std::copy_n(m_sound.samples.begin() + static_cast<std::ptrdiff_t>(m_next), samples.size(),
                    samples.begin());
        m_next += samples.size();
        if (m_paced) waitUntilPlayed();
        return true;
    }

private:
    void waitUntilPlayed() const {
        const long long ns = static_cast<long long>(m_next) * 1'000'000'000LL / m_sound.sampleRate;
        timespec due{m_start.tv_sec + static_cast<time_t>(ns / 1'000'000'000LL),
                     m_start.tv_nsec + static_cast<long>(ns % 1'000'000'000LL)};
        if (due.tv_nsec >= 1'000'000'000L) {
            due.tv_sec += 1;
            due.tv_nsec -= 1'000'000'000L;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) != 0) {
        }
    }

    WavSound m_sound;
    bool m_paced;
    std::size_t m_next = 0;
    timespec m_start{};
};

/// Passes blocks on; of a stretch of silence only the first kSilentTail, so the band values of the
/// application fall to zero and are handed on (its bands follow how much each position changes, and take
/// several unchanged blocks to fade), and nothing more until sound returns.
class BlockOutput {
public:
    /// A quarter of a second: more than the eight blocks the loudest band needs to reach zero plus the three
    /// of one hand-over.
    static constexpr int kSilentTail = kBlocksPerSecond / 4;

    explicit BlockOutput(ApplicationLink* link) : m_link(link) {}
    /// False when the block could not be passed on.
    [[nodiscard]] bool take(long long milliseconds, const SoundBlock& block) {
        m_silentBlocks = block.silent ? m_silentBlocks + 1 : 0;
        if (settled()) return true;
        if (m_link != nullptr) return m_link->send(block);
        return printBlock(stdout, milliseconds, block) && std::fflush(stdout) == 0;
    }
    /// The silence has been passed on; nothing more goes out until sound returns.
    [[nodiscard]] bool settled() const { return m_silentBlocks > kSilentTail; }

private:
    ApplicationLink* m_link;
    int m_silentBlocks = 0;
};

/// Analyses a WAV file until it ends, the application leaves or a block cannot be passed on.
int runWav(SampleSource& source, int sampleRate, const Options& options, ApplicationLink* link) {
    BandAnalyser analyser(sampleRate);
    StyleColour colour = options.colour;
    analyser.setStyleColour(colour);
    std::vector<float> samples(analyser.samplesPerBlock());
    BlockOutput output(link);
    long long total = 0;
    std::string error;
    while (source.read(samples, error)) {
        if (link != nullptr) {
            if (!link->takeMessages(colour)) return 0;
            analyser.setStyleColour(colour);
        }
        total += static_cast<long long>(samples.size());
        std::size_t consumed = 0;
        while (analyser.push(samples, consumed))
            if (!output.take(total * 1000 / sampleRate, analyser.block()))
                return link != nullptr ? 0 : fail("cannot write the blocks");
    }
    if (!error.empty()) return fail(error);
    // The file has ended: stay until the application leaves, so it does not start another companion.
    while (link != nullptr && link->waitForMessages() && link->takeMessages(colour)) {
    }
    return 0;
}

/// Analyses the sound being played until the application leaves, a block cannot be passed on or the sound
/// server goes away. While nothing plays and the silence has been passed on, the recording rests.
int runCapture(PulseCapture& capture, const Options& options, ApplicationLink* link) {
    BandAnalyser analyser(PulseCapture::kSampleRate);
    StyleColour colour = options.colour;
    analyser.setStyleColour(colour);
    if (link != nullptr) {
        capture.watch(link->fd(), [&] {
            if (!link->takeMessages(colour)) return false;
            analyser.setStyleColour(colour);
            return true;
        });
    }
    BlockOutput output(link);
    long long total = 0;
    bool outputFailed = false;
    std::string error;
    const bool ran = capture.run(
        [&](std::span<const float> samples) {
            total += static_cast<long long>(samples.size());
            std::size_t consumed = 0;
            while (analyser.push(samples, consumed)) {
                if (!output.take(total * 1000 / PulseCapture::kSampleRate, analyser.block())) {
                    outputFailed = true;
                    return PulseCapture::Next::Stop;
                }
            }
            return output.settled() ? PulseCapture::Next::Rest : PulseCapture::Next::More;
        },
        error);
    if (!ran) return fail(error);
    if (outputFailed && link == nullptr) return fail("cannot write the blocks");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The companion lives as long as the program that started it: an application that ends before it ever
    // connected (a crash while starting) would otherwise leave it waiting for a connection for good.
    const pid_t parent = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) return fail("cannot follow the application's life");
    if (::getppid() != parent) return 0;  // it ended before the watch was set
    std::string error;
    std::unique_ptr<ApplicationLink> link;
    if (!options.print) {
        link = std::make_unique<ApplicationLink>();
        if (!link->listen(error)) return fail(error);
        // One line says that the socket is there, so the application connects without trying repeatedly.
        if (std::puts("listening") == EOF || std::fflush(stdout) != 0)
            return fail("cannot tell that it listens");
        if (!link->accept(error)) return fail(error);
    }
    if (!options.wavPath.empty()) {
        WavSound sound;
        if (!readWav(options.wavPath, sound, error)) return fail(error);
        const int rate = sound.sampleRate;
        WavSource source(std::move(sound), link != nullptr);
        return runWav(source, rate, options, link.get());
    }
    auto capture = PulseCapture::open(BandAnalyser::samplesPerBlockAt(PulseCapture::kSampleRate), error);
    if (!capture) return fail(error, kExitNoSoundServer);
    return runCapture(*capture, options, link.get());
}
