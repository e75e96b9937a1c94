#pragma once

#include <array>
#include <optional>
#include <string>

namespace halvern::test {

/// Plays white noise into `sink` and records `monitorSource` (what the headset hears) at the same time;
/// the gain in dB at each of the ten band centres (31.25 Hz × 2^i). The noise repeats with a period of
/// kPeriod samples and has the same strength in every frequency bin of that period, so one period of the
/// recording, once the filter has settled, gives each bin's gain exactly; each centre is a bin. Nothing when
/// the server refused a stream.
[[nodiscard]] std::optional<std::array<double, 10>> measureBandGains(const std::string& sink,
                                                                     const std::string& monitorSource,
                                                                     std::string& error);

/// The same noise played into `sink`: the time (seconds) from the recording's start to the noise's arrival
/// in `monitorSource`. Compared with a direct path, what a filter in between adds.
[[nodiscard]] std::optional<double> measureArrival(const std::string& sink, const std::string& monitorSource,
                                                   std::string& error);

/// Plays the noise into `sink` for about `seconds` (at its pace); false when the server refused.
[[nodiscard]] bool playNoise(const std::string& sink, double seconds, std::string& error);

}  // namespace halvern::test
