#include "devices/linux_audio/module_arguments.h"

#include <algorithm>

namespace halvern::audio {

std::optional<std::string> argumentValue(std::string_view argument, std::string_view key) {
    constexpr std::string_view kSeparators = " \t'\"";
    size_t at = 0;
    while ((at = argument.find(key, at)) != std::string_view::npos) {
        const bool startsWord = at == 0 || kSeparators.find(argument[at - 1]) != std::string_view::npos;
        const size_t valueAt = at + key.size();
        if (startsWord && valueAt < argument.size() && argument[valueAt] == '=') {
            std::string_view value = argument.substr(valueAt + 1);
            return std::string(value.substr(0, value.find_first_of(kSeparators)));
        }
        at = valueAt;
    }
    return std::nullopt;
}

bool plainArgument(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-' || c == '.' || c == ':' || c == '@';
    });
}

}  // namespace halvern::audio
