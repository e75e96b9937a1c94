#include "cli/option_words.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "cli/cli_support.h"

namespace halvern::cli {

const std::string* OptionWords::find(std::string_view name) const {
    const auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

std::optional<OptionWords> splitOptionWords(const CommandArgs& args, std::span<const std::string_view> known,
                                            std::string& problem) {
    OptionWords words;
    bool ended = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (!ended && word == "--") {
            ended = true;
            continue;
        }
        if (ended || !word.starts_with("--")) {
            words.positional.push_back(word);
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            problem = "unknown option " + name;
            return std::nullopt;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            problem = name + " needs a value";
            return std::nullopt;
        }
        if (!words.options.emplace(name, std::move(value)).second) {
            problem = name + " is given twice";
            return std::nullopt;
        }
    }
    return words;
}

CommandArgs withoutEndOfOptions(CommandArgs args) {
    if (const auto end = std::find(args.begin(), args.end(), "--"); end != args.end()) args.erase(end);
    return args;
}

std::optional<std::array<uint8_t, 3>> parseHexTriple(std::string_view text) {
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return std::array<uint8_t, 3>{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value)};
}

std::string hexTriple(uint8_t a, uint8_t b, uint8_t c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", a, b, c);
    return text;
}

std::optional<ScreenSize> parseScreenSize(std::string_view text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = parseInteger(text.substr(0, x), 1, 0xFFFF);
    const auto height = parseInteger(text.substr(x + 1), 1, 0xFFFF);
    if (!width || !height) return std::nullopt;
    return ScreenSize{static_cast<int>(*width), static_cast<int>(*height)};
}

}  // namespace halvern::cli
