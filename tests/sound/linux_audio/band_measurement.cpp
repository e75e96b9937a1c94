#include "band_measurement.h"

#include <fftw3.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace halvern::test {
namespace {

constexpr int kRate = 44100;
// 3.125 Hz a bin: every band centre (31.25 Hz × 2^i) is a bin of its own, measured there and only there.
constexpr int kPeriod = 14112;
constexpr int kPeriodsPlayed = 4;
constexpr uint8_t kChannels = 2;
constexpr float kLevel = 0.01f;  // rms: -40 dBFS leaves room for every boost

struct SimpleCloser {
    void operator()(pa_simple* s) const { pa_simple_free(s); }
};
using Simple = std::unique_ptr<pa_simple, SimpleCloser>;

struct PlanDestroyer {
    void operator()(fftwf_plan_s* plan) const { fftwf_destroy_plan(plan); }
};

// |X[k]|² of one period.
std::vector<double> powerSpectrum(std::vector<float> samples) {
    std::vector<fftwf_complex> spectrum(kPeriod / 2 + 1);
    std::unique_ptr<fftwf_plan_s, PlanDestroyer> plan(
        fftwf_plan_dft_r2c_1d(kPeriod, samples.data(), spectrum.data(), FFTW_ESTIMATE));
    fftwf_execute(plan.get());
    std::vector<double> power(spectrum.size());
    for (size_t k = 0; k < spectrum.size(); ++k)
        power[k] = double(spectrum[k][0]) * spectrum[k][0] + double(spectrum[k][1]) * spectrum[k][1];
    return power;
}

// One period of noise with equal strength in every bin and random phases.
std::vector<float> periodicNoise() {
    std::vector<fftwf_complex> spectrum(kPeriod / 2 + 1);
    std::mt19937 random(1630);
    std::uniform_real_distribution<float> phase(0.0f, 2 * std::numbers::pi_v<float>);
    for (size_t k = 1; k + 1 < spectrum.size(); ++k) {
        const float p = phase(random);
        spectrum[k][0] = std::cos(p);
        spectrum[k][1] = std::sin(p);
    }
    std::vector<float> samples(kPeriod);
    std::unique_ptr<fftwf_plan_s, PlanDestroyer> plan(
        fftwf_plan_dft_c2r_1d(kPeriod, spectrum.data(), samples.data(), FFTW_ESTIMATE));
    fftwf_execute(plan.get());
    double sum = 0;
    for (const float s : samples) sum += double(s) * s;
    const auto scale = static_cast<float>(kLevel / std::sqrt(sum / kPeriod));
    for (float& s : samples) s *= scale;
    return samples;
}

/// Set when the recording began too late to hold two periods of noise: the server was starved of CPU
/// (a loaded machine), which says nothing about the filter.
constexpr const char* kTooLittle = "the recording holds too little of the noise";
/// Set when two periods of the recording differ: a stream ran dry on a busy machine (a gap in the sound),
/// which again says nothing about the filter; a filter that is wrong but steady repeats itself exactly.
constexpr const char* kGap = "the recorded noise does not repeat itself (a gap in the sound)";

// Whether the period after `from` repeats the one at `from` (within -40 dB): the sound was steady.
bool repeats(const std::vector<float>& recorded, size_t from) {
    double difference = 0;
    double power = 0;
    for (size_t i = from; i < from + kPeriod; ++i) {
        const double d = double(recorded[i]) - recorded[i + kPeriod];
        difference += d * d;
        power += double(recorded[i]) * recorded[i];
    }
    return difference <= power * 1e-4;
}

/// One recording of the periodic noise through `sink`. With `arrival` the buffers are short, so that the
/// moment the noise is heard is the moment it arrives; for the gains alone they are long, so that a busy
/// machine does not let the stream run dry.
std::optional<std::array<double, 10>> measureOnce(const std::string& sink, const std::string& monitorSource,
                                                  std::string& error, size_t* arrival = nullptr) {
    // Stereo both ways, the same noise on both channels, the left one measured: mono streams would be
    // mixed up to the sink's two channels and back down, and PipeWire's down-mix adds them (+3 dB).
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, kChannels};
    int code = 0;
    // Short buffers: the noise is heard as soon as it is written, and recorded as soon as it is heard.
    constexpr uint32_t kUnset = UINT32_MAX;
    constexpr uint32_t kShortBuffer = 4096 * sizeof(float);  // about 46 ms of stereo sound
    const uint32_t buffer = arrival != nullptr ? kShortBuffer : 4 * kShortBuffer;
    const pa_buffer_attr buffers{kUnset, buffer, kUnset, kUnset, buffer};
    Simple recorder(pa_simple_new(nullptr, "halvern-test", PA_STREAM_RECORD, monitorSource.c_str(), "measure",
                                  &format, nullptr, &buffers, &code));
    Simple player(pa_simple_new(nullptr, "halvern-test", PA_STREAM_PLAYBACK, sink.c_str(), "noise", &format,
                                nullptr, &buffers, &code));
    if (!recorder || !player) {
        error = pa_strerror(code);
        return std::nullopt;
    }
    const std::vector<float> noise = periodicNoise();
    std::vector<float> played2(noise.size() * kChannels);
    for (size_t i = 0; i < noise.size(); ++i)
        std::fill_n(played2.begin() + static_cast<std::ptrdiff_t>(i * kChannels), kChannels, noise[i]);
    std::vector<float> recorded2(static_cast<size_t>(kPeriod) * (kPeriodsPlayed + 2) * kChannels);
    bool played = true;
    std::thread playing([&] {
        int playCode = 0;
        for (int i = 0; i < kPeriodsPlayed && played; ++i)
            played =
                pa_simple_write(player.get(), played2.data(), played2.size() * sizeof(float), &playCode) == 0;
        played = played && pa_simple_drain(player.get(), &playCode) == 0;
    });
    const bool read =
        pa_simple_read(recorder.get(), recorded2.data(), recorded2.size() * sizeof(float), &code) == 0;
    playing.join();
    std::vector<float> recorded(recorded2.size() / kChannels);
    for (size_t i = 0; i < recorded.size(); ++i) recorded[i] = recorded2[i * kChannels];
    if (!read || !played) {
        error = "the noise could not be played and recorded";
        return std::nullopt;
    }
    // The noise arrives where the recording leaves the silence (or the faint tail a filter replaced a moment
    // ago still plays); one period later the filter has settled.
    const auto onset = static_cast<size_t>(
        std::find_if(recorded.begin(), recorded.end(), [](float s) { return std::abs(s) > kLevel / 100; }) -
        recorded.begin());
    if (onset + size_t{3} * kPeriod > recorded.size()) {
        error = kTooLittle;
        return std::nullopt;
    }
    if (!repeats(recorded, onset + kPeriod)) {
        error = kGap;
        return std::nullopt;
    }
    if (arrival != nullptr) *arrival = onset;
    const auto from = recorded.begin() + static_cast<std::ptrdiff_t>(onset + kPeriod);
    const std::vector<double> in = powerSpectrum(noise);
    const std::vector<double> out = powerSpectrum(std::vector<float>(from, from + kPeriod));
    std::array<double, 10> gains{};
    for (size_t band = 0; band < gains.size(); ++band) {
        const auto bin =
            static_cast<size_t>(std::lround(31.25 * std::pow(2.0, double(band)) * kPeriod / kRate));
        gains[band] = 10 * std::log10(std::max(out[bin], 1e-30) / std::max(in[bin], 1e-30));
    }
    return gains;
}

}  // namespace

std::optional<std::array<double, 10>> measureBandGains(const std::string& sink,
                                                       const std::string& monitorSource, std::string& error) {
    // A recording that missed the noise or has a gap in it (a busy machine) is measured again; any other
    // failure stands.
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        error.clear();
        auto gains = measureOnce(sink, monitorSource, error);
        if (gains || (error != kTooLittle && error != kGap) || attempt == kAttempts) return gains;
    }
}

std::optional<double> measureArrival(const std::string& sink, const std::string& monitorSource,
                                     std::string& error) {
    size_t arrival = 0;
    if (!measureOnce(sink, monitorSource, error, &arrival)) return std::nullopt;
    return static_cast<double>(arrival) / kRate;
}

bool playNoise(const std::string& sink, double seconds, std::string& error) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, kChannels};
    int code = 0;
    Simple player(pa_simple_new(nullptr, "halvern-test", PA_STREAM_PLAYBACK, sink.c_str(), "noise", &format,
                                nullptr, nullptr, &code));
    if (!player) {
        error = pa_strerror(code);
        return false;
    }
    const std::vector<float> noise = periodicNoise();
    std::vector<float> stereo(noise.size() * kChannels);
    for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = noise[i / kChannels];
    const auto periods = static_cast<int>(seconds * kRate / kPeriod) + 1;
    for (int i = 0; i < periods; ++i)
        if (pa_simple_write(player.get(), stereo.data(), stereo.size() * sizeof(float), &code) != 0) {
            error = pa_strerror(code);
            return false;
        }
    return pa_simple_drain(player.get(), &code) == 0;
}

}  // namespace halvern::test
