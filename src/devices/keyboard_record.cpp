#include "devices/keyboard_record.h"

#include "devices/light_head.h"

namespace halvern::keyboard_record {

Record Build(const Contents& c) {
    Record record{};
    record[0] = c.firstByte;                                            // record index
    light_head::Write(record, c.light, c.modeValues, kLightModeCount);  // bytes 1-8
    record[19] = c.light.audioLightMode;                                // "ZZCCLedMode"
    record[20] = static_cast<uint8_t>(c.system.wFlag);
    record[21] = static_cast<uint8_t>(c.system.key6Flag);
    record[22] = static_cast<uint8_t>(c.system.winFlag);
    record[23] = static_cast<uint8_t>(c.system.pollingRate);
    record[26] = c.light.customGroup;
    return record;
}

Reading Read(const Record& record, std::span<const int> modeValues) {
    Reading r;
    r.light = light_head::Read(record, modeValues);
    r.light.audioLightMode = record[19];
    r.wFlag = record[20];
    r.key6Flag = record[21];
    r.winFlag = record[22];
    return r;
}

}  // namespace halvern::keyboard_record
