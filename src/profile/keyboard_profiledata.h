#pragma once

#include <vector>

#include "profile/basic_profiledata.h"

namespace halvern {

/// The keyboard's profile: adds repeat, rollover, polling and lock settings and the per-key custom colours
/// of each custom light group.
class CKeyboardProfiledata : public CBasicProfiledata {
public:
    KeyboardSystem GetKeyboardSystem();
    void SetKeyboardSystem(const KeyboardSystem& system);

    /// `keyCount` colours of custom group `group`. Positions the file lacks read as 0, 0, 0, 0 and those
    /// zeros are also put into the working record. A group or count outside 0..kMaxJsonListLength gives
    /// zeros and changes nothing.
    std::vector<LightColor> GetCustomLightColors(int group, int keyCount);
    /// Writes the colours of custom group `group`; further keys of the group stay as they are.
    void SetCustomLightColors(const std::vector<LightColor>& colors, int group);

    int GetCustomGroupIndex();
    void SetCustomGroupIndex(int index);

private:
    KeyboardSystem m_keyboardSystem;
    std::vector<LightColor> m_customColors;
    int m_customGroupIndex = 0;
};

}  // namespace halvern
