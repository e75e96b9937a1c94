#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "emulator/emulator_types.h"
#include "emulator/product_model.h"

namespace halvern::emu {

/// The memory of one virtual product, one byte vector per region. Region sizes are fixed once the image
/// is built: the firmware never grows or shrinks a region.
class MemoryImage {
public:
    /// The memory a product leaves the factory with, sized by its model and the test's configuration.
    [[nodiscard]] static MemoryImage factory(const ProductModel& model, const DeviceConfig& config);

    [[nodiscard]] std::vector<uint8_t>& operator[](Region region) { return m_regions[index(region)]; }
    [[nodiscard]] const std::vector<uint8_t>& operator[](Region region) const {
        return m_regions[index(region)];
    }

    /// Regions that survive a restart (written to a state file); the others are configuration or volatile.
    static constexpr std::array<Region, 6> kPersistent = {Region::Settings, Region::KeyTable,
                                                          Region::LedTable, Region::Macro,
                                                          Region::Recoil,   Region::CustomColour};

    /// Whether the regions that survive a restart hold the same bytes in both.
    [[nodiscard]] bool samePersistentState(const MemoryImage& other) const {
        for (const Region region : kPersistent) {
            if ((*this)[region] != other[region]) return false;
        }
        return true;
    }

private:
    static constexpr size_t index(Region region) { return static_cast<size_t>(region); }
    std::array<std::vector<uint8_t>, kRegionCount> m_regions;
};

}  // namespace halvern::emu
