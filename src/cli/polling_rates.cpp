#include "cli/polling_rates.h"

#include <algorithm>

#include "cli/cli_support.h"

namespace halvern::cli {
namespace {

size_t offered(const PollingChoices& choices) {
    return std::min(choices.count, kPollingRatesHz.size());
}

/// The word without a trailing "Hz" (any letter case, spaces before it allowed).
std::string_view withoutUnit(std::string_view word) {
    if (word.size() >= 2) {
        const std::string_view unit = word.substr(word.size() - 2);
        if ((unit[0] == 'H' || unit[0] == 'h') && (unit[1] == 'Z' || unit[1] == 'z')) {
            word.remove_suffix(2);
            while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
        }
    }
    return word;
}

}  // namespace

std::optional<int> pollingRateHz(uint16_t index, const PollingChoices& choices) {
    if (index >= offered(choices)) return std::nullopt;
    return kPollingRatesHz[index];
}

std::string pollingRateText(uint16_t index, const PollingChoices& choices) {
    const auto hz = pollingRateHz(index, choices);
    return hz ? std::to_string(*hz) + " Hz" : "unknown (index " + std::to_string(index + 1) + ")";
}

Json::Value pollingJson(uint16_t index, const PollingChoices& choices) {
    Json::Value polling(Json::objectValue);
    polling["index"] = index + 1;
    const auto hz = pollingRateHz(index, choices);
    polling["hz"] = hz ? Json::Value(*hz) : Json::Value();
    return polling;
}

std::optional<uint16_t> parsePollingWord(std::string_view word, const PollingChoices& choices,
                                         std::string& problem) {
    const size_t count = offered(choices);
    const std::string_view number = withoutUnit(word);
    if (const auto value = parseInteger(number, 0, kPollingRatesHz.back())) {
        for (size_t i = 0; i < count; ++i) {
            if (kPollingRatesHz[i] == *value) return static_cast<uint16_t>(i);
        }
        if (number.size() == word.size() && *value >= 1 && *value <= static_cast<long>(count))
            return static_cast<uint16_t>(*value - 1);
    }
    std::string rates;
    for (size_t i = 0; i < count; ++i) rates += (i == 0 ? "" : ", ") + std::to_string(kPollingRatesHz[i]);
    problem = "the " + std::string(choices.device) + " polls at " + rates + " Hz (or index 1-" +
              std::to_string(count) + "), not '" + std::string(word) + "'";
    return std::nullopt;
}

}  // namespace halvern::cli
