#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_context.h"

namespace halvern::cli {

/// The words after a command, split into positional words and "--name value" options.
struct OptionWords {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options;

    /// The option's value, or null when it was not given.
    [[nodiscard]] const std::string* find(std::string_view name) const;
};

/// Splits `args`. Every option takes a value ("--name value" or "--name=value"), must be one of `known`
/// and may appear once; the words after "--" are positional words whatever they look like. Nothing, with
/// the reason in `problem`, otherwise.
[[nodiscard]] std::optional<OptionWords> splitOptionWords(const CommandArgs& args,
                                                          std::span<const std::string_view> known,
                                                          std::string& problem);

/// The words without the first "--": for the forms of a command that take no options, where a word
/// after it is a word whatever it looks like.
[[nodiscard]] CommandArgs withoutEndOfOptions(CommandArgs args);

/// Exactly six hex digits as three bytes (a colour RRGGBB, an assignment code TTAABB); nothing otherwise.
[[nodiscard]] std::optional<std::array<uint8_t, 3>> parseHexTriple(std::string_view text);

/// Three bytes as six lower-case hex digits.
[[nodiscard]] std::string hexTriple(uint8_t a, uint8_t b, uint8_t c);

/// A screen size "WxH" with both numbers positive and at most 65535.
struct ScreenSize {
    int width = 1920;
    int height = 1080;
};
[[nodiscard]] std::optional<ScreenSize> parseScreenSize(std::string_view text);

}  // namespace halvern::cli
