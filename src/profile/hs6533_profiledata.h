#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profile/basic_profiledata.h"

namespace halvern {

/// The headset's profile: adds the audio settings, the equaliser rows of the presets and the user's named
/// custom equalisers.
class CHs6533Profiledata : public CBasicProfiledata {
public:
    static constexpr int kEqBands = 10;
    static constexpr int kCustomEqType = 13;

    /// The "EQHzValueInfo" row of an equaliser type: 1..12 are their own rows, every other type uses row 1.
    /// Type 13 (the custom equaliser) has no row; callers test for it first.
    [[nodiscard]] static Json::ArrayIndex EqRow(int type);

    HeadsetSystem GetHeadsetSystem();
    void SetHeadsetSystem(const HeadsetSystem& system);

    /// The ten band values of a preset type (empty for type 13). Bands of a row the file lacks read as 0
    /// and are put into the working record as 0.
    std::vector<int32_t> GetEqValues(int type);
    /// Writes up to ten band values of a preset type; nothing for type 13.
    void SetEqValues(int type, const std::vector<int32_t>& values);

    std::vector<std::string> GetCustomEqNames();
    /// Replaces the list of custom equaliser names.
    void SetCustomEqNames(const std::vector<std::string>& names);

    /// The ten band values of custom equaliser `index` (empty for an index outside 0..kMaxJsonListLength).
    std::vector<int32_t> GetCustomEqValues(int index);
    void SetCustomEqValues(int index, const std::vector<int32_t>& values);
    /// Removes custom equaliser `index`: its name and its band values, so the later ones keep theirs.
    void RemoveCustomEq(int index);

private:
    std::vector<int32_t> readBands(std::string_view groupKey, Json::ArrayIndex row);
    void writeBands(std::string_view groupKey, Json::ArrayIndex row, const std::vector<int32_t>& values);

    HeadsetSystem m_headsetSystem;
};

}  // namespace halvern
