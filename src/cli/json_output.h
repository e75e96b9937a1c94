#pragma once

// The JSON halvernctl prints with --json (docs/CLI_JSON.md is its contract): pretty-printed objects with
// camelCase keys, numbers as numbers, colours as "rrggbb", things people count numbered from 1.

#include <json/json.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "profile/profile_records.h"

namespace halvern::cli {

/// Writes `value` as the program writes its JSON files (FormatJson): indented, keys in order, UTF-8.
void printJson(std::ostream& out, const Json::Value& value);

/// The start of every change command's result: {"device": DEVICE, "changed": WHAT, "action": ACTION}.
/// An empty `device` (a choice of the program, not of a device) is null.
[[nodiscard]] Json::Value changeResult(std::string_view device, std::string_view changed,
                                       std::string_view action);

/// A light setting: mode, modeName, brightness, speed, direction, multicolor, color, and for a keyboard
/// zzcc and group.
[[nodiscard]] Json::Value lightJson(const LightSetting& light, std::string_view modeName, bool keyboard);

/// A firmware version as the text prints it: "1.02" for 0x0102.
[[nodiscard]] std::string firmwareVersionText(uint16_t version);

}  // namespace halvern::cli
