#include "devices/mouse_record.h"

#include <algorithm>

#include "devices/light_head.h"

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

Record Build(const Contents& c) {
    Record record{};
    record[0] = c.firstByte;                                            // record index
    light_head::Write(record, c.light, c.modeValues, kLightModeCount);  // bytes 1-8
    record[11] = c.pollingIndex;                                        // polling-rate index
    record[12] = c.activeStage;                                         // active DPI stage
    const size_t stages = std::min(c.stages.size(), kStageCount);
    for (size_t i = 0; i < stages; ++i) {
        const DpiStage& stage = c.stages[i];
        const size_t at = kStageOffset + kStageSize * i;
        record[at] = stage.active;            // enable flag
        record[at + 1] = stage.xy;            // X and Y separate
        putWord(record, at + 2, stage.dpiX);  // slider positions
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
    r.light = light_head::Read(record, modeValues);
    r.light.direction = 0;  // not taken from the mouse
    r.pollingIndex = record[11];
    r.activeStage = record[12];
    return r;
}

}  // namespace halvern::mouse_record
