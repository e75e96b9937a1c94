#pragma once

#include <cstdint>
#include <string>

namespace halvern {

/// One light setting: the current light of a device ("LightInfo"), an entry of the per-LED light list
/// ("LightList"), or the light part of an effect frame. Fourteen one-byte fields.
struct LightSetting {
    uint8_t mode = 0;        ///< light mode index
    uint8_t brightness = 0;  ///< brightness level
    uint8_t speed = 0;       ///< speed level
    uint8_t direction = 0;   ///< effect direction
    uint8_t multiColor = 0;  ///< multicolour flag
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t reserved1 = 0;       ///< unused, always 0
    uint8_t reserved2 = 0;       ///< unused, always 0
    uint8_t enabled = 0;         ///< 1 when the light-list element was present
    uint8_t audioLightMode = 0;  ///< mode of the audio-reactive light
    uint8_t customGroup = 0;     ///< selected custom light group
    uint8_t previousMode = 0;    ///< mode to return to
    bool operator==(const LightSetting&) const = default;
};
static_assert(sizeof(LightSetting) == 14);

/// Colours and mode of the audio-reactive light ("AudioLightInfo").
struct AudioLightInfo {
    uint8_t audioMode = 0;
    uint8_t bkColorR = 0;
    uint8_t bkColorG = 0;
    uint8_t bkColorB = 0;
    uint8_t fgColorR = 0;
    uint8_t fgColorG = 0;
    uint8_t fgColorB = 0;
    uint8_t sevenColorFlag = 0;  ///< seven-colour flag (boolean)
    uint8_t colorTypeFlag = 0;   ///< colour-type flag (boolean)
    bool operator==(const AudioLightInfo&) const = default;
};
static_assert(sizeof(AudioLightInfo) == 9);

/// One frame of a software effect file: the light fields 1 to 8, its duration and its cycle count.
struct EffectFrame {
    LightSetting light;
    int32_t time = 0;
    int32_t cycle = 0;
    bool operator==(const EffectFrame&) const = default;
};
static_assert(sizeof(EffectFrame) == 24);

/// A key assignment: the key's index and its three function code bytes.
struct KeyAssignment {
    uint16_t keyIndex = 0;
    uint8_t type = 0;
    uint8_t code1 = 0;
    uint8_t code2 = 0;
    bool operator==(const KeyAssignment&) const = default;
};

/// One "KeyList" entry: the current and the factory assignment of a key.
struct KeyListEntry {
    KeyAssignment current;
    KeyAssignment defaults;
    bool operator==(const KeyListEntry&) const = default;
};

/// One mouse DPI stage.
struct DpiStage {
    uint8_t active = 0;  ///< "StageActive": the stage is enabled
    uint8_t xy = 0;      ///< "StageXY": separate X and Y values
    uint16_t dpiX = 0;   ///< slider position of X
    uint16_t dpiY = 0;   ///< slider position of Y
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const DpiStage&) const = default;
};

/// Pointer settings of the mouse and its polling-rate index.
struct MouseSystem {
    uint16_t doubleClickTime = 0;
    uint16_t mouseSpeed = 0;
    uint16_t pointerPrecision = 0;
    uint16_t scrollPage = 0;
    uint16_t wheelLines = 0;
    uint16_t reportRate = 0;  ///< polling-rate index, kept under "ReportStages"
    bool operator==(const MouseSystem&) const = default;
};

/// One sensor correction entry ("CorrectInfo").
struct CorrectEntry {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t select = 0;
    std::string name;
    bool operator==(const CorrectEntry&) const = default;
};

/// Repeat, rollover, polling and lock settings of a keyboard.
struct KeyboardSystem {
    uint16_t repeat = 0;
    uint16_t repeatDelay = 0;
    uint16_t key6Flag = 0;
    uint16_t pollingRate = 0;
    uint16_t wFlag = 0;
    uint16_t winFlag = 0;
    bool operator==(const KeyboardSystem&) const = default;
};

/// A custom key colour.
struct LightColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    bool operator==(const LightColor&) const = default;
};

/// Audio settings of the headset ("SystemSetStages").
struct HeadsetSystem {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSelectIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMonitorSelect = 0;
    int32_t micMonitorValue = 0;
    bool operator==(const HeadsetSystem&) const = default;
};

}  // namespace halvern
