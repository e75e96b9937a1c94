#include "signal_measurement.h"

#include <fftw3.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <sstream>
#include <thread>

namespace halvern::test {
namespace {

struct SimpleCloser {
    void operator()(pa_simple* s) const { pa_simple_free(s); }
};
using Simple = std::unique_ptr<pa_simple, SimpleCloser>;

struct PlanDestroyer {
    void operator()(fftwf_plan_s* plan) const { fftwf_destroy_plan(plan); }
};

// |X[k]|² of the Hann-windowed samples, scaled so that a full-scale sine reads 0 dB over its bins.
std::vector<double> powerSpectrum(std::span<const float> samples) {
    const size_t n = samples.size();
    std::vector<float> windowed(n);
    double windowSum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n));
        windowed[i] = static_cast<float>(samples[i] * w);
        windowSum += w;
    }
    std::vector<fftwf_complex> spectrum(n / 2 + 1);
    std::unique_ptr<fftwf_plan_s, PlanDestroyer> plan(
        fftwf_plan_dft_r2c_1d(static_cast<int>(n), windowed.data(), spectrum.data(), FFTW_ESTIMATE));
    fftwf_execute(plan.get());
    std::vector<double> power(spectrum.size());
    // A sine of amplitude 1 has |X| = windowSum / 2 at its bin; the window spreads it over ~1.5 bins.
    const double scale = 4.0 / (windowSum * windowSum) / 1.5;
    for (size_t k = 0; k < spectrum.size(); ++k)
        power[k] =
            (double(spectrum[k][0]) * spectrum[k][0] + double(spectrum[k][1]) * spectrum[k][1]) * scale;
    return power;
}

}  // namespace

std::vector<float> sine(double hertz, double seconds, float amplitude) {
    std::vector<float> out(static_cast<size_t>(seconds * kSignalRate));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] =
            amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * hertz * double(i) / kSignalRate));
    return out;
}

void addNoise(std::vector<float>& signal, float rms) {
    std::mt19937 random(1630);
    std::normal_distribution<float> noise(0.0f, rms);
    for (float& s : signal) s += noise(random);
}

std::vector<float> channel(std::span<const float> interleaved, size_t channels, size_t which) {
    std::vector<float> out;
    out.reserve(interleaved.size() / channels);
    for (size_t i = which; i < interleaved.size(); i += channels) out.push_back(interleaved[i]);
    return out;
}

std::optional<std::vector<float>> playAndRecord(const std::string& sink, const std::string& source,
                                                const std::vector<float>& signal, double recordSeconds,
                                                std::string& error, uint8_t playChannels,
                                                uint8_t recordChannels) {
    const pa_sample_spec playFormat{PA_SAMPLE_FLOAT32LE, kSignalRate, playChannels};
    const pa_sample_spec recordFormat{PA_SAMPLE_FLOAT32LE, kSignalRate, recordChannels};
    constexpr uint32_t kUnset = UINT32_MAX;
    constexpr uint32_t kBuffer = 1024 * sizeof(float);
    const pa_buffer_attr buffers{kUnset, kBuffer, kUnset, kUnset, kBuffer};
    int code = 0;
    Simple recorder(pa_simple_new(nullptr, "halvern-test", PA_STREAM_RECORD, source.c_str(), "measure",
                                  &recordFormat, nullptr, &buffers, &code));
    Simple player(pa_simple_new(nullptr, "halvern-test", PA_STREAM_PLAYBACK, sink.c_str(), "signal",
                                &playFormat, nullptr, &buffers, &code));
    if (!recorder || !player) {
        error = pa_strerror(code);
        return std::nullopt;
    }
    std::vector<float> recorded(static_cast<size_t>(recordSeconds * kSignalRate) * recordChannels);
    // The first block read starts the clock; the signal is played from then on.
    const size_t firstBlock = size_t{256} * recordChannels;
    if (pa_simple_read(recorder.get(), recorded.data(), firstBlock * sizeof(float), &code) != 0) {
        error = pa_strerror(code);
        return std::nullopt;
    }
    bool played = true;
    std::thread playing([&] {
        int playCode = 0;
        played =
            pa_simple_write(player.get(), signal.data(), signal.size() * sizeof(float), &playCode) == 0 &&
            pa_simple_drain(player.get(), &playCode) == 0;
    });
    const bool read = pa_simple_read(recorder.get(), recorded.data() + firstBlock,
                                     (recorded.size() - firstBlock) * sizeof(float), &code) == 0;
    playing.join();
    if (!read || !played) {
        error = "the signal could not be played and recorded";
        return std::nullopt;
    }
    return recorded;
}

double dominantFrequency(std::span<const float> samples, double low, double high) {
    const std::vector<double> power = powerSpectrum(samples);
    const double binHz = double(kSignalRate) / double(samples.size());
    const auto first = static_cast<size_t>(std::max(1.0, std::ceil(low / binHz)));
    const auto last = std::min(power.size() - 2, static_cast<size_t>(high / binHz));
    size_t best = first;
    for (size_t k = first; k <= last; ++k) {
        if (power[k] > power[best]) best = k;
    }
    // A parabola through the log powers around the peak.
    const double a = std::log(power[best - 1] + 1e-30);
    const double b = std::log(power[best] + 1e-30);
    const double c = std::log(power[best + 1] + 1e-30);
    const double denominator = a - 2 * b + c;
    const double shift = denominator == 0 ? 0 : 0.5 * (a - c) / denominator;
    return (double(best) + shift) * binHz;
}

double bandPower(std::span<const float> samples, double low, double high) {
    const std::vector<double> power = powerSpectrum(samples);
    const double binHz = double(kSignalRate) / double(samples.size());
    double sum = 0;
    for (size_t k = 0; k < power.size(); ++k) {
        const double f = double(k) * binHz;
        if (f >= low && f <= high) sum += power[k];
    }
    return 10 * std::log10(sum + 1e-30);
}

std::optional<size_t> onset(std::span<const float> samples) {
    float loudest = 0;
    for (const float s : samples) loudest = std::max(loudest, std::abs(s));
    if (loudest < 1e-4f) return std::nullopt;
    const auto it = std::find_if(samples.begin(), samples.end(),
                                 [loudest](float s) { return std::abs(s) >= loudest / 4; });
    return static_cast<size_t>(it - samples.begin());
}

std::vector<int> soundServerProcesses() {
    std::vector<int> found;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr) return found;
    const std::string wanted = std::string("XDG_RUNTIME_DIR=") + runtime;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
        std::ifstream commandFile(entry.path() / "comm");
        std::string command;
        std::getline(commandFile, command);
        if (command != "pulseaudio" && command != "pipewire" && command != "pipewire-pulse" &&
            command != "wireplumber")
            continue;
        std::ifstream in(entry.path() / "environ", std::ios::binary);
        std::string variable;
        while (std::getline(in, variable, '\0')) {
            if (variable == wanted) {
                found.push_back(std::stoi(name));
                break;
            }
        }
    }
    return found;
}

double processorSeconds(const std::vector<int>& processes) {
    double total = 0;
    for (const int process : processes) {
        std::ifstream in("/proc/" + std::to_string(process) + "/stat");
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The fields after the command name (in parentheses, may hold blanks): utime and stime are 14, 15.
        const size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14 || i == 15) total += std::stod(field) / double(::sysconf(_SC_CLK_TCK));
        }
    }
    return total;
}

}  // namespace halvern::test
