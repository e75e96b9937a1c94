#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halvern::test {

/// Sample rate of the signals the measurements play and record (mono, 32-bit float).
constexpr int kSignalRate = 48000;

/// `seconds` of a sine of `hertz` at `amplitude`, started at a zero crossing.
[[nodiscard]] std::vector<float> sine(double hertz, double seconds, float amplitude);
/// Adds white noise of `rms` to `signal` (the same noise every time).
void addNoise(std::vector<float>& signal, float rms);

/// Starts recording `source`, then plays `signal` into `sink`, and returns `recordSeconds` of what was
/// recorded from the moment recording began; nothing (and `error` says why) when the server refused a
/// stream. Mono unless channels are given (samples interleaved, front left first).
[[nodiscard]] std::optional<std::vector<float>> playAndRecord(
    const std::string& sink, const std::string& source, const std::vector<float>& signal,
    double recordSeconds, std::string& error, uint8_t playChannels = 1, uint8_t recordChannels = 1);
/// One channel of interleaved samples.
[[nodiscard]] std::vector<float> channel(std::span<const float> interleaved, size_t channels, size_t which);

/// The frequency of the strongest component between `low` and `high` Hz (interpolated between bins).
[[nodiscard]] double dominantFrequency(std::span<const float> samples, double low, double high);
/// The power in dB (full scale) of the components between `low` and `high` Hz.
[[nodiscard]] double bandPower(std::span<const float> samples, double low, double high);
/// Where the signal first reaches a quarter of its loudest sample; nothing in silence.
[[nodiscard]] std::optional<size_t> onset(std::span<const float> samples);

/// The processes of the selected test sound server (pulseaudio, pipewire, pipewire-pulse, wireplumber
/// whose XDG_RUNTIME_DIR is this process's).
[[nodiscard]] std::vector<int> soundServerProcesses();
/// Processor time the processes used so far, in seconds.
[[nodiscard]] double processorSeconds(const std::vector<int>& processes);

}  // namespace halvern::test
