#include "cli/json_output.h"

#include <cstdio>

#include "cli/option_words.h"
#include "profile/json_file.h"

namespace halvern::cli {

void printJson(std::ostream& out, const Json::Value& value) {
    out << FormatJson(value);
}

Json::Value changeResult(std::string_view device, std::string_view changed, std::string_view action) {
    Json::Value result(Json::objectValue);
    result["device"] = device.empty() ? Json::Value() : Json::Value(std::string(device));
    result["changed"] = std::string(changed);
    result["action"] = std::string(action);
    return result;
}

Json::Value lightJson(const LightSetting& l, std::string_view modeName, bool keyboard) {
    Json::Value light(Json::objectValue);
    light["mode"] = l.mode;
    light["modeName"] = std::string(modeName);
    light["brightness"] = l.brightness;
    light["speed"] = l.speed;
    light["direction"] = l.direction;
    light["multicolor"] = l.multiColor;
    light["color"] = hexTriple(l.red, l.green, l.blue);
    if (keyboard) {
        light["zzcc"] = l.audioLightMode;
        light["group"] = l.customGroup;
    }
    return light;
}

std::string firmwareVersionText(uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", version >> 8, version & 0xFF);
    return text;
}

}  // namespace halvern::cli
