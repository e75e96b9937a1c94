#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvern::audio {

/// The value of `key=` in a module's argument text (up to the next blank); nothing when it is not there.
/// Also finds a key inside a quoted property list ("sink_properties='a=1 b=2'").
[[nodiscard]] std::optional<std::string> argumentValue(std::string_view argument, std::string_view key);

/// Whether the text is safe to put into a module argument unquoted (a device name from the server).
[[nodiscard]] bool plainArgument(std::string_view text);

}  // namespace halvern::audio
