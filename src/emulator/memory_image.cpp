#include "emulator/memory_image.h"

#include <algorithm>

namespace halvern::emu {
namespace {

void putLe16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

std::vector<uint8_t> buildInfo(const ProductModel& model, const DeviceConfig& config, uint8_t keySlots) {
    std::vector<uint8_t> info(kInfoSize, 0);
    info[0] = model.info.deviceClass;        // device class
    putLe16(info, 1, model.cableProductId);  // 1-2: product
    // 3-4: the firmware's own version word. The program reads the version from bcdDevice; the word differs
    // from it here so that a test can tell which of the two was read.
    putLe16(info, 3, static_cast<uint16_t>(model.cableVersion + 0x0100));
    info[5] = keySlots;                                           // key slots
    info[6] = config.macroUnits.value_or(model.info.macroUnits);  // macro memory, 128-byte units
    putLe16(info, 9, config.sensorCode.value_or(model.info.sensorCode));
    info[11] = config.dpiStep.value_or(model.info.dpiStep);
    putLe16(info, 12, config.highestSliderPosition.value_or(model.info.highestSliderPosition));
    putLe16(info, 14, config.lowestDpi.value_or(model.info.lowestDpi));
    putLe16(info, 32, model.info.firmwareBuild);
    return info;
}

std::vector<uint8_t> buildKeyTable(const ProductModel& model, size_t slots) {
    std::vector<uint8_t> table(slots * 3, 0);
    for (size_t slot = 0; slot < std::min(slots, model.factoryKeys.size()); ++slot) {
        table[slot * 3] = model.factoryKeys[slot].type;
        table[slot * 3 + 1] = model.factoryKeys[slot].data1;
        table[slot * 3 + 2] = model.factoryKeys[slot].data2;
    }
    return table;
}

std::vector<uint8_t> buildLedTable(const ProductModel& model, size_t slots) {
    std::vector<uint8_t> leds(slots, 0xFF);
    std::copy_n(model.factoryLeds.begin(), std::min(slots, model.factoryLeds.size()), leds.begin());
    return leds;
}

std::vector<uint8_t> buildSettings(const ProductModel& model) {
    std::vector<uint8_t> settings(model.settingsSize, 0);
    const auto& record = model.factoryRecord;
    if (model.recordStride == 0) return settings;
    for (size_t at = 0; at + record.size() <= settings.size(); at += model.recordStride) {
        std::copy(record.begin(), record.end(), settings.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return settings;
}

}  // namespace

MemoryImage MemoryImage::factory(const ProductModel& model, const DeviceConfig& config) {
    const auto defaultSlots = static_cast<uint8_t>(std::min<size_t>(model.factoryKeys.size(), 255));
    const uint8_t slots = config.keySlots.value_or(defaultSlots);
    MemoryImage image;
    image[Region::Info] = buildInfo(model, config, slots);
    image[Region::Settings] = buildSettings(model);
    image[Region::KeyTable] = buildKeyTable(model, slots);
    image[Region::LedTable] = buildLedTable(model, slots);
    image[Region::Macro].assign(size_t{image[Region::Info][6]} * kMacroUnit, 0);
    image[Region::Recoil].assign(model.recoilSize, 0);
    image[Region::CustomColour].assign(size_t{model.customColourGroups} * kCustomGroupSize, 0);
    image[Region::Power] = {config.batteryLevel.value_or(model.batteryLevel), 0x00, 0x00, 0x00, 0x00, 0x00};
    image[Region::Frame].assign(kFrameSize, 0);
    return image;
}

}  // namespace halvern::emu
