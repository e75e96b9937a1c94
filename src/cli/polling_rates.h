#pragma once

#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvern::cli {

/// The polling rates of the page's polling options, by index: the mouse offers all five, the keyboard the
/// first four.
inline constexpr std::array<int, 5> kPollingRatesHz{125, 250, 500, 1000, 2000};

/// How many of the rates a device offers.
struct PollingChoices {
    std::string_view device;
    size_t count = 0;
};

/// The rate of a polling index in Hz; nothing for an index the device does not offer.
[[nodiscard]] std::optional<int> pollingRateHz(uint16_t index, const PollingChoices& choices);

/// "1000 Hz", or "unknown (index N)" for an index the device does not offer.
[[nodiscard]] std::string pollingRateText(uint16_t index, const PollingChoices& choices);

/// A polling rate as --json prints it: {"index": 1-count, "hz": the rate, or null for an index the device
/// does not offer}.
[[nodiscard]] Json::Value pollingJson(uint16_t index, const PollingChoices& choices);

/// The index a `polling` word chooses: a rate the device offers ("1000", "1000Hz", "1000 Hz") or the
/// rate's number in the list (1 to count). Nothing, with the reason in `problem`, otherwise.
[[nodiscard]] std::optional<uint16_t> parsePollingWord(std::string_view word, const PollingChoices& choices,
                                                       std::string& problem);

}  // namespace halvern::cli
