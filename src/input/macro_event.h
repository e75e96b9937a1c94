#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace halvern {

/// One row of a macro or recoil pattern: a press ("down") or release ("up") — for movements the negative
/// or positive direction — of `button` (meaning set by `type`), followed by a pause of `delay` ms.
struct MacroEvent {
    bool down = false;
    uint8_t button = 0;
    uint8_t type = 0;
    uint16_t delay = 0;
    bool operator==(const MacroEvent&) const = default;
};

/// Event types.
namespace macro_event_type {
inline constexpr uint8_t kMouseButton = 1;
inline constexpr uint8_t kMoveHorizontal = 4;
inline constexpr uint8_t kMoveVertical = 5;
inline constexpr uint8_t kModifier = 9;
inline constexpr uint8_t kKey = 10;
}  // namespace macro_event_type

/// Most events one file gives; the recorder stops a macro at 4000.
inline constexpr size_t kMaxMacroEvents = 4000;

/// A stored delay outside 0-65534 (negative numbers included) reads as this.
inline constexpr uint16_t kDelayOutOfRange = 65535;

/// The delay a "Delay" member holds: a decimal text (C conversion, non-numeric text is 0) or a number,
/// values outside 0-65534 read as 65535; any other JSON type reads as 0.
[[nodiscard]] uint16_t DelayFromJson(const Json::Value& value);

/// An event object of a macro or recoil file. This is the one reading of the event format: the macro
/// editor, the recoil editor, halvernctl and the device image all take events from here, so what is shown
/// is what is sent. Never throws; for values out of their range:
/// - "Action": "down" in any letter case is a press (negative direction), anything else a release;
/// - "Button": a number or a decimal text, clamped to 0-255 (other types read as 0);
/// - "Type": as "Button", clamped to 0-127 (bit 7 of the stored byte is the action);
/// - "Delay": as DelayFromJson.
[[nodiscard]] MacroEvent EventFromJson(const Json::Value& object);

/// The event object as the program writes it: "Action", "Button", "Delay" (decimal text), "Type".
[[nodiscard]] Json::Value EventToJson(const MacroEvent& event);

/// The "Events" array of a parsed macro or recoil file (at most kMaxMacroEvents elements).
[[nodiscard]] std::vector<MacroEvent> EventsFromDocument(const Json::Value& document);

/// Reads the "Events" of a macro file ("<Guid>.mac") or a recoil file ("ShootData_<k>.Shoot"). A missing,
/// unreadable or oversized file gives no events.
[[nodiscard]] std::vector<MacroEvent> LoadEventsFile(const std::filesystem::path& path);

/// The four bytes a device stores for an event: delay low, delay high, type with bit 7 for "down",
/// button.
[[nodiscard]] std::array<uint8_t, 4> EncodeEvent(const MacroEvent& event);

}  // namespace halvern
