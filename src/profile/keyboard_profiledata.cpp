#include "profile/keyboard_profiledata.h"

#include <algorithm>

#include "profile/json_access.h"
#include "profile/record_fields.h"

namespace halvern {
namespace {

constexpr std::string_view kSystemStages = "SystemStages";
constexpr std::string_view kCustomLightMode = "CustomLightMode";
constexpr std::string_view kColorInfo = "LightColorInfo";
constexpr std::string_view kGroupIndex = "CustomLightModeGroupIndex";

Json::Value colorObject(const LightColor& color) {
    Json::Value object(Json::objectValue);
    WriteFields(object, color, kLightColorFields);
    return object;
}

}  // namespace

KeyboardSystem CKeyboardProfiledata::GetKeyboardSystem() {
    return m_keyboardSystem = ReadGroup(kSystemStages, kKeyboardSystemFields);
}

void CKeyboardProfiledata::SetKeyboardSystem(const KeyboardSystem& system) {
    m_keyboardSystem = system;
    WriteGroup(kSystemStages, system, kKeyboardSystemFields);
}

std::vector<LightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int keyCount) {
    const auto count = static_cast<Json::ArrayIndex>(std::clamp<int>(keyCount, 0, kMaxJsonListLength));
    m_customColors.assign(count, LightColor{});
    if (!IsListIndex(group) || !m_deviceRecord.isObject()) return m_customColors;

    const auto row = static_cast<Json::ArrayIndex>(group);
    const Json::Value& colors = Element(Member(Member(m_deviceRecord, kCustomLightMode), kColorInfo), row);
    std::vector<Json::ArrayIndex> missing;
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const Json::Value& element = Element(colors, i);
        if (element.isNull()) {
            missing.push_back(i);
        } else {
            ReadFields(element, m_customColors[i], kLightColorFields);
        }
    }
    if (!missing.empty()) {
        Json::Value& target =
            ElementRef(MemberRef(GroupRef(kCustomLightMode, Json::objectValue), kColorInfo), row);
        for (Json::ArrayIndex i : missing) ElementRef(target, i) = colorObject(LightColor{});
    }
    return m_customColors;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<LightColor>& colors, int group) {
    m_customColors = colors;
    if (!IsListIndex(group)) return;
    Json::Value& target = ElementRef(MemberRef(GroupRef(kCustomLightMode, Json::objectValue), kColorInfo),
                                     static_cast<Json::ArrayIndex>(group));
    const size_t count = std::min<size_t>(colors.size(), kMaxJsonListLength);
    for (size_t i = 0; i < count; ++i)
        ElementRef(target, static_cast<Json::ArrayIndex>(i)) = colorObject(colors[i]);
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    m_customGroupIndex = 0;
    if (const Json::Value* group = FindGroup(kCustomLightMode, Json::objectValue)) {
        m_customGroupIndex = static_cast<int32_t>(ToInt(Member(*group, kGroupIndex)));
    }
    return m_customGroupIndex;
}

void CKeyboardProfiledata::SetCustomGroupIndex(int index) {
    m_customGroupIndex = index;
    MemberRef(GroupRef(kCustomLightMode, Json::objectValue), kGroupIndex) = index;
}

}  // namespace halvern
