#include "devices/light_record.h"

#include <algorithm>

#include "devices/light_head.h"

namespace halvern::light_record {
namespace {

uint8_t invertedSpeed(uint8_t value) {
    return static_cast<uint8_t>(kMaxSpeedLevel - std::min(value, kMaxSpeedLevel));
}

}  // namespace

void TakeLight(Record& stored, const LightSetting& light) {
    stored[1] = light.mode;
    stored[2] = light.brightness;
    stored[3] = light.speed;
    stored[5] = light.multiColor;
    stored[6] = light.red;
    stored[7] = light.green;
    stored[8] = light.blue;
}

Record FromDevice(std::span<const uint8_t> bytes, std::span<const int> modeValues) {
    Record record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    record[1] = light_head::ModeIndex(record[1], modeValues).value_or(record[1]);
    record[3] = invertedSpeed(record[3]);
    return record;
}

Record ForDevice(const Record& stored, std::span<const int> modeValues) {
    Record record = stored;
    record[1] = light_head::ModeValue(stored[1], modeValues, kModeCount);
    record[3] = invertedSpeed(stored[3]);
    return record;
}

}  // namespace halvern::light_record
