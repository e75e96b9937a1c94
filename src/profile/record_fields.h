#pragma once

#include <json/value.h>

#include <array>
#include <string_view>

#include "profile/json_access.h"
#include "profile/profile_records.h"

namespace halvern {

/// How one member of a record is kept in a JSON object: its key, and whether the file's value is read as a
/// boolean (any non-zero number is true) rather than an integer cut to the member's width.
template <class Record, class T>
struct FieldKey {
    std::string_view key;
    T Record::*member;
    bool boolean = false;
};

/// Reads every listed member from `object`; a missing member, or one of the wrong type, reads as 0.
template <class Record, class T, size_t N>
void ReadFields(const Json::Value& object, Record& record, const std::array<FieldKey<Record, T>, N>& fields) {
    for (const auto& field : fields) {
        const Json::Value& value = Member(object, field.key);
        record.*field.member = field.boolean ? static_cast<T>(ToBool(value)) : static_cast<T>(ToInt(value));
    }
}

/// Writes every listed member into `object` as an integer (which makes `object` an object).
template <class Record, class T, size_t N>
void WriteFields(Json::Value& object, const Record& record,
                 const std::array<FieldKey<Record, T>, N>& fields) {
    for (const auto& field : fields) {
        MemberRef(object, field.key) = Json::Value(static_cast<Json::Int64>(record.*field.member));
    }
}

using LightField = FieldKey<LightSetting, uint8_t>;

/// "LightInfo": the device's current light.
inline constexpr std::array<LightField, 11> kLightInfoFields{{
    {"SelectItem", &LightSetting::mode},
    {"Light", &LightSetting::brightness},
    {"Speed", &LightSetting::speed},
    {"Fx", &LightSetting::direction},
    {"MultiColor", &LightSetting::multiColor, true},
    {"Red", &LightSetting::red},
    {"Green", &LightSetting::green},
    {"Blue", &LightSetting::blue},
    {"ZZCCLedMode", &LightSetting::audioLightMode},
    {"CustomGroup", &LightSetting::customGroup},
    {"OldLedmode", &LightSetting::previousMode},
}};

/// An element of "LightList", the per-LED light list.
inline constexpr std::array<LightField, 8> kLightListFields{{
    {"LEDREGMode", &LightSetting::mode},
    {"LEDBrightness", &LightSetting::brightness},
    {"LEDSpeed", &LightSetting::speed},
    {"LEDDirection", &LightSetting::direction, true},
    {"LEDMultiColor", &LightSetting::multiColor, true},
    {"red", &LightSetting::red},
    {"green", &LightSetting::green},
    {"blue", &LightSetting::blue},
}};

/// The light part of a frame of an effect file.
inline constexpr std::array<LightField, 8> kEffectFrameLightFields{{
    {"LEDREGMode", &LightSetting::mode},
    {"LEDBrightness", &LightSetting::brightness},
    {"LEDSpeed", &LightSetting::speed},
    {"LEDDirection", &LightSetting::direction},
    {"LEDMultiColor", &LightSetting::multiColor},
    {"red", &LightSetting::red},
    {"green", &LightSetting::green},
    {"blue", &LightSetting::blue},
}};

inline constexpr std::array<FieldKey<EffectFrame, int32_t>, 2> kEffectFrameTimeFields{{
    {"Time", &EffectFrame::time},
    {"Cyle", &EffectFrame::cycle},
}};

inline constexpr std::array<FieldKey<AudioLightInfo, uint8_t>, 9> kAudioLightFields{{
    {"AudioMode", &AudioLightInfo::audioMode},
    {"BkColorR", &AudioLightInfo::bkColorR},
    {"BkColorG", &AudioLightInfo::bkColorG},
    {"BkColorB", &AudioLightInfo::bkColorB},
    {"FgColorR", &AudioLightInfo::fgColorR},
    {"FgColorG", &AudioLightInfo::fgColorG},
    {"FgColorB", &AudioLightInfo::fgColorB},
    {"7ColorFlags", &AudioLightInfo::sevenColorFlag, true},
    {"ColorTypeFlags", &AudioLightInfo::colorTypeFlag, true},
}};

inline constexpr std::array<FieldKey<DpiStage, uint8_t>, 5> kDpiStageByteFields{{
    {"StageActive", &DpiStage::active},
    {"StageXY", &DpiStage::xy},
    {"StageColorR", &DpiStage::red},
    {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue},
}};

inline constexpr std::array<FieldKey<DpiStage, uint16_t>, 2> kDpiStageWordFields{{
    {"StageDPIX", &DpiStage::dpiX},
    {"StageDPIY", &DpiStage::dpiY},
}};

/// The five pointer settings under "SystemStages"; the polling-rate index lives under "ReportStages".
inline constexpr std::array<FieldKey<MouseSystem, uint16_t>, 5> kMouseSystemFields{{
    {"DoubleClickTime", &MouseSystem::doubleClickTime},
    {"MouseSpeed", &MouseSystem::mouseSpeed},
    {"PointerPrecision", &MouseSystem::pointerPrecision},
    {"ScorllPage", &MouseSystem::scrollPage},
    {"WheelScorlllinse", &MouseSystem::wheelLines},
}};

inline constexpr std::array<FieldKey<MouseSystem, uint16_t>, 1> kMouseReportFields{{
    {"StageActive", &MouseSystem::reportRate},
}};

inline constexpr std::array<FieldKey<CorrectEntry, uint8_t>, 3> kCorrectFields{{
    {"CorrectPixThresh", &CorrectEntry::pixThresh},
    {"CorrectMinSq", &CorrectEntry::minSq},
    {"CorrectSelect", &CorrectEntry::select},
}};

inline constexpr std::array<FieldKey<KeyboardSystem, uint16_t>, 6> kKeyboardSystemFields{{
    {"Repeat", &KeyboardSystem::repeat},
    {"RepeatDelay", &KeyboardSystem::repeatDelay},
    {"Key6Flag", &KeyboardSystem::key6Flag},
    {"PollingRate", &KeyboardSystem::pollingRate},
    {"WFlag", &KeyboardSystem::wFlag},
    {"WinFlag", &KeyboardSystem::winFlag},
}};

inline constexpr std::array<FieldKey<LightColor, uint8_t>, 4> kLightColorFields{{
    {"Red", &LightColor::red},
    {"Green", &LightColor::green},
    {"Blue", &LightColor::blue},
    {"Alpha", &LightColor::alpha},
}};

inline constexpr std::array<FieldKey<HeadsetSystem, int32_t>, 8> kHeadsetSystemFields{{
    {"MagicEnable", &HeadsetSystem::magicEnable},
    {"MagicType", &HeadsetSystem::magicType},
    {"EqType", &HeadsetSystem::eqType},
    {"CustomEqSeletIndex", &HeadsetSystem::customEqSelectIndex},
    {"MicInSelect", &HeadsetSystem::micInSelect},
    {"MicInValue", &HeadsetSystem::micInValue},
    {"MicMoniterSelect", &HeadsetSystem::micMonitorSelect},
    {"MicMoniterValue", &HeadsetSystem::micMonitorValue},
}};

}  // namespace halvern
