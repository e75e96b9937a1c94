#include "profile/hs6533_profiledata.h"

#include <algorithm>

#include "device/debug_sink.h"
#include "profile/json_access.h"
#include "profile/record_fields.h"

namespace halvern {
namespace {

constexpr std::string_view kSystemSetStages = "SystemSetStages";
constexpr std::string_view kPresetRows = "EQHzValueInfo";
constexpr std::string_view kCustomNames = "CustomEQNameInfo";
constexpr std::string_view kCustomRows = "CustomEQHzValueInfo";
constexpr int kPresetCount = 12;

}  // namespace

Json::ArrayIndex CHs6533Profiledata::EqRow(int type) {
    return (type >= 1 && type <= kPresetCount) ? static_cast<Json::ArrayIndex>(type) : 1;
}

HeadsetSystem CHs6533Profiledata::GetHeadsetSystem() {
    return m_headsetSystem = ReadGroup(kSystemSetStages, kHeadsetSystemFields);
}

void CHs6533Profiledata::SetHeadsetSystem(const HeadsetSystem& system) {
    m_headsetSystem = system;
    WriteGroup(kSystemSetStages, system, kHeadsetSystemFields);
}

std::vector<int32_t> CHs6533Profiledata::readBands(std::string_view groupKey, Json::ArrayIndex row) {
    std::vector<int32_t> values(kEqBands, 0);
    if (!m_deviceRecord.isObject()) return values;
    const Json::Value* rows = FindGroup(groupKey, Json::arrayValue);
    const Json::Value& bands = rows ? Element(*rows, row) : Json::Value::nullSingleton();
    if (bands.isNull()) {
        // The row is missing: it reads as zeros, and the zeros are stored so the row exists from now on.
        Json::Value& target = ElementRef(GroupRef(groupKey, Json::arrayValue), row);
        for (Json::ArrayIndex band = 0; band < kEqBands; ++band)
            MemberRef(ElementRef(target, band), "value") = 0;
        return values;
    }
    for (Json::ArrayIndex band = 0; band < kEqBands; ++band) {
        values[band] = static_cast<int32_t>(ToInt(Member(Element(bands, band), "value")));
    }
    return values;
}

void CHs6533Profiledata::writeBands(std::string_view groupKey, Json::ArrayIndex row,
                                    const std::vector<int32_t>& values) {
    Json::Value& target = ElementRef(GroupRef(groupKey, Json::arrayValue), row);
    const size_t count = std::min<size_t>(values.size(), kEqBands);
    for (size_t band = 0; band < count; ++band) {
        MemberRef(ElementRef(target, static_cast<Json::ArrayIndex>(band)), "value") = values[band];
    }
}

std::vector<int32_t> CHs6533Profiledata::GetEqValues(int type) {
    if (type == kCustomEqType) return {};
    return readBands(kPresetRows, EqRow(type));
}

void CHs6533Profiledata::SetEqValues(int type, const std::vector<int32_t>& values) {
    if (type == kCustomEqType) return;
    writeBands(kPresetRows, EqRow(type), values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> names;
    if (const Json::Value* group = FindGroup(kCustomNames, Json::arrayValue)) {
        const Json::ArrayIndex count = ListLength(*group);
        for (Json::ArrayIndex i = 0; i < count; ++i) names.push_back(ToText(Member((*group)[i], "Name")));
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    const size_t count = std::min<size_t>(names.size(), kMaxJsonListLength);
    for (size_t i = 0; i < count; ++i) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = names[i];
        list.append(std::move(entry));
    }
    GroupRef(kCustomNames, Json::arrayValue) = std::move(list);
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqValues(int index) {
    if (!IsListIndex(index)) return {};
    return readBands(kCustomRows, static_cast<Json::ArrayIndex>(index));
}

void CHs6533Profiledata::SetCustomEqValues(int index, const std::vector<int32_t>& values) {
    if (IsListIndex(index)) writeBands(kCustomRows, static_cast<Json::ArrayIndex>(index), values);
}

void CHs6533Profiledata::RemoveCustomEq(int index) {
    if (!IsListIndex(index)) return;
    const auto at = static_cast<Json::ArrayIndex>(index);
    for (const std::string_view key : {kCustomNames, kCustomRows}) {
        Json::Value& list = GroupRef(key, Json::arrayValue);
        Json::Value removed;
        if (at < list.size() && !list.removeIndex(at, &removed))
            debugLog("a custom equaliser could not be removed");
    }
}

}  // namespace halvern
