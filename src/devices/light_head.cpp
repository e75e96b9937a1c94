#include "devices/light_head.h"

#include <algorithm>

namespace halvern::light_head {

uint8_t ModeValue(uint8_t modeIndex, std::span<const int> modeValues, size_t modeCount) {
    if (modeValues.empty()) return modeIndex < modeCount ? modeIndex : 0;
    size_t index = modeIndex < modeCount ? modeIndex : 0;
    if (index >= modeValues.size()) index = 0;
    return static_cast<uint8_t>(modeValues[index]);
}

std::optional<uint8_t> ModeIndex(uint8_t value, std::span<const int> modeValues) {
    const auto it = std::find(modeValues.begin(), modeValues.end(), static_cast<int>(value));
    if (it == modeValues.end()) return std::nullopt;
    return static_cast<uint8_t>(it - modeValues.begin());
}

void Write(std::span<uint8_t> record, const LightSetting& light, std::span<const int> modeValues,
           size_t modeCount) {
    if (record.size() < kEnd) return;
    record[1] = ModeValue(light.mode, modeValues, modeCount);  // device value
    record[2] = light.brightness;                              // brightness level
    record[3] = static_cast<uint8_t>(kMaxSpeedLevel - std::min(light.speed, kMaxSpeedLevel));  // inverted
    record[4] = light.direction;
    record[5] = light.multiColor;  // colourful flag
    record[6] = light.red;
    record[7] = light.green;
    record[8] = light.blue;
}

void TakeHead(LightSetting& into, const LightSetting& from, bool withDirection) {
    into.mode = from.mode;
    into.brightness = from.brightness;
    into.speed = from.speed;
    if (withDirection) into.direction = from.direction;
    into.multiColor = from.multiColor;
    into.red = from.red;
    into.green = from.green;
    into.blue = from.blue;
}

LightSetting Read(std::span<const uint8_t> record, std::span<const int> modeValues) {
    LightSetting light;
    if (record.size() < kEnd) return light;
    light.mode = ModeIndex(record[1], modeValues).value_or(record[1]);
    light.brightness = record[2];
    light.speed = static_cast<uint8_t>(kMaxSpeedLevel - std::min(record[3], kMaxSpeedLevel));
    light.direction = record[4];
    light.multiColor = record[5];
    light.red = record[6];
    light.green = record[7];
    light.blue = record[8];
    return light;
}

}  // namespace halvern::light_head
