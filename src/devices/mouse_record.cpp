#include "devices/mouse_record.h"

#include <algorithm>

namespace halvern::mouse_record {
namespace {

void putWord(Record& record, size_t at, uint16_t value) {
    record[at] = static_cast<uint8_t>(value);
    record[at + 1] = static_cast<uint8_t>(value >> 8);
}

// The sensor correction of the first selected "CorrectInfo" entry (0, 0 without one).
std::pair<uint8_t, uint8_t> selectedCorrection(std::span<const CorrectEntry> entries) {
    for (const CorrectEntry& entry : entries) {
        if (entry.select != 0) return {entry.minSq, entry.pixThresh};
    }
    return {0, 0};
}

}  // namespace

uint8_t ModeValue(uint8_t modeIndex, std::span<const int> modeValues) {
    if (modeValues.empty()) return modeIndex < kLightModeCount ? modeIndex : 0;
    size_t index = modeIndex < kLightModeCount ? modeIndex : 0;
    if (index >= modeValues.size()) index = 0;
    return static_cast<uint8_t>(modeValues[index]);
}

std::optional<uint8_t> ModeIndex(uint8_t value, std::span<const int> modeValues) {
    const auto it = std::find(modeValues.begin(), modeValues.end(), static_cast<int>(value));
    if (it == modeValues.end()) return std::nullopt;
    return static_cast<uint8_t>(it - modeValues.begin());
}

Record Build(const Contents& c) {
    Record record{};
    record[0] = c.firstByte;                                          // record index
    record[1] = ModeValue(c.light.mode, c.modeValues);                // light mode (device value)
    record[2] = c.light.brightness;                                   // brightness level
    record[3] = static_cast<uint8_t>(kMaxSpeedLevel - std::min(c.light.speed, kMaxSpeedLevel));  // inverted
    record[4] = c.light.direction;
    record[5] = c.light.multiColor;                                   // colourful flag
    record[6] = c.light.red;
    record[7] = c.light.green;
    record[8] = c.light.blue;
    record[11] = c.pollingIndex;                                      // polling-rate index
    record[12] = c.activeStage;                                       // active DPI stage
    const size_t stages = std::min(c.stages.size(), kStageCount);
    for (size_t i = 0; i < stages; ++i) {
        const DpiStage& stage = c.stages[i];
        const size_t at = kStageOffset + kStageSize * i;
        record[at] = stage.active;                                    // enable flag
        record[at + 1] = stage.xy;                                    // X and Y separate
        putWord(record, at + 2, stage.dpiX);                          // slider positions
        putWord(record, at + 4, stage.dpiY);
        record[at + 6] = stage.red;
        record[at + 7] = stage.green;
        record[at + 8] = stage.blue;
    }
    record[68] = c.byte68;
    putWord(record, 69, c.screenWidth);
    putWord(record, 71, c.screenHeight);
    const auto [minSq, pixThresh] = selectedCorrection(c.corrections);
    record[73] = minSq;
    record[74] = pixThresh;
    return record;
}

Reading Read(const Record& record, std::span<const int> modeValues) {
    Reading r;
    r.light.mode = ModeIndex(record[1], modeValues).value_or(record[1]);
    r.light.brightness = record[2];
    r.light.speed = static_cast<uint8_t>(kMaxSpeedLevel - std::min(record[3], kMaxSpeedLevel));
    r.light.multiColor = record[5];
    r.light.red = record[6];
    r.light.green = record[7];
    r.light.blue = record[8];
    r.pollingIndex = record[11];
    r.activeStage = record[12];
    return r;
}

}  // namespace halvern::mouse_record
