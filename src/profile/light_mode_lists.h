#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <vector>

namespace halvern {

/// The light modes a device page offers, with the device value of each, and the names of its light areas.
struct LightModeLists {
    std::vector<std::string> names;       ///< mode names (language text ids), in list order
    std::vector<bool> visible;            ///< whether each mode's list entry is shown
    std::vector<int> values;              ///< device mode value of each mode
    std::vector<std::string> areaNames;   ///< light area names
    std::vector<std::string> lightNames;  ///< the user's light names from the light configuration
};

/// Refreshes `lists` for device kind `kindId` (keyboard 0, mouse 1, mouse pad 2, headset 3): the modes and
/// areas of "default_light.json" in the default data folder, then the light names of the device's light
/// configuration "zantor_light.config". A list whose source is missing keeps what it held.
void LoadLightModeLists(int kindId, const std::filesystem::path& defaultDataFolder,
                        const std::filesystem::path& lightConfigPath, LightModeLists& lists);

/// The same from documents already in memory: `defaults` as "default_light.json", `config` as the light
/// configuration.
void FillLightModeLists(int kindId, const Json::Value& defaults, const Json::Value& config,
                        LightModeLists& lists);

}  // namespace halvern
