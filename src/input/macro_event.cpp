#include "input/macro_event.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr std::string_view kAction = "Action";
constexpr std::string_view kButton = "Button";
constexpr std::string_view kDelay = "Delay";
constexpr std::string_view kType = "Type";
constexpr std::string_view kEvents = "Events";

uint16_t clampDelay(long long value) {
    return value < 0 || value > 65534 ? kDelayOutOfRange : static_cast<uint16_t>(value);
}

/// A number (fractions cut off) or a decimal text (C conversion) clamped to 0-`max`; other types are 0.
uint8_t byteFromJson(const Json::Value& value, uint8_t max) {
    long long number = 0;
    if (value.isString()) {
        number = std::strtoll(value.asCString(), nullptr, 10);
    } else if (value.isNumeric() || value.isBool()) {
        number = ToInt(value);
    }
    return static_cast<uint8_t>(std::clamp<long long>(number, 0, max));
}

bool isDown(const Json::Value& action) {
    const std::string text = ToText(action);
    return text.size() == 4 && strncasecmp(text.c_str(), "down", 4) == 0;
}

}  // namespace

uint16_t DelayFromJson(const Json::Value& value) {
    if (value.isString()) return clampDelay(std::strtoll(value.asCString(), nullptr, 10));
    if (value.isNumeric() || value.isBool()) return clampDelay(ToInt(value));
    return 0;
}

MacroEvent EventFromJson(const Json::Value& object) {
    MacroEvent event;
    event.down = isDown(Member(object, kAction));
    event.button = byteFromJson(Member(object, kButton), 0xFF);
    event.type = byteFromJson(Member(object, kType), 0x7F);
    event.delay = DelayFromJson(Member(object, kDelay));
    return event;
}

Json::Value EventToJson(const MacroEvent& event) {
    Json::Value object(Json::objectValue);
    object[std::string(kAction)] = event.down ? "down" : "up";
    object[std::string(kButton)] = event.button;
    object[std::string(kDelay)] = std::to_string(event.delay);
    object[std::string(kType)] = event.type;
    return object;
}

std::vector<MacroEvent> EventsFromDocument(const Json::Value& document) {
    const Json::Value& events = Member(document, kEvents);
    const Json::ArrayIndex count = std::min<Json::ArrayIndex>(ListLength(events), kMaxMacroEvents);
    std::vector<MacroEvent> result;
    result.reserve(count);
    for (Json::ArrayIndex i = 0; i < count; ++i) result.push_back(EventFromJson(Element(events, i)));
    return result;
}

std::vector<MacroEvent> LoadEventsFile(const std::filesystem::path& path) {
    return EventsFromDocument(ReadJsonFile(path));
}

std::array<uint8_t, 4> EncodeEvent(const MacroEvent& event) {
    return {
        static_cast<uint8_t>(event.delay & 0xFF),                             // delay, low byte
        static_cast<uint8_t>(event.delay >> 8),                               // delay, high byte
        static_cast<uint8_t>((event.type & 0x7F) | (event.down ? 0x80 : 0)),  // type, bit 7 = down
        event.button,                                                         // button or key code
    };
}

}  // namespace halvern
