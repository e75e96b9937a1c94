#include "profile/mouse_profiledata.h"

#include <algorithm>

#include "profile/json_access.h"
#include "profile/record_fields.h"

namespace halvern {
namespace {

constexpr std::string_view kDpiStages = "DPIStages";
constexpr std::string_view kStageList = "StageDPIs";
constexpr std::string_view kStageActive = "StageActive";
constexpr std::string_view kSystemStages = "SystemStages";
constexpr std::string_view kReportStages = "ReportStages";

}  // namespace

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value* group = FindGroup(kDpiStages, Json::objectValue);
    if (!group) return m_dpiStages;
    m_activeStage = static_cast<int32_t>(ToInt(Member(*group, kStageActive)));
    const Json::Value& list = Member(*group, kStageList);
    const Json::ArrayIndex count = ListLength(list);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        DpiStage stage;
        ReadFields(list[i], stage, kDpiStageByteFields);
        ReadFields(list[i], stage, kDpiStageWordFields);
        if (i < m_dpiStages.size()) {
            m_dpiStages[i] = stage;
        } else {
            m_dpiStages.push_back(stage);
        }
    }
    return m_dpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    m_dpiStages = stages;
    Json::Value& list = MemberRef(GroupRef(kDpiStages, Json::objectValue), kStageList);
    const size_t count = std::min<size_t>(stages.size(), kMaxJsonListLength);
    for (size_t i = 0; i < count; ++i) {
        Json::Value& element = ElementRef(list, static_cast<Json::ArrayIndex>(i));
        WriteFields(element, stages[i], kDpiStageByteFields);
        WriteFields(element, stages[i], kDpiStageWordFields);
    }
}

void CMouseProfiledata::SetActiveStage(int index) {
    m_activeStage = index;
    MemberRef(GroupRef(kDpiStages, Json::objectValue), kStageActive) = index;
}

MouseSystem CMouseProfiledata::GetMouseSystem() {
    m_mouseSystem = {};
    if (FindGroup(kSystemStages, Json::objectValue)) {
        m_mouseSystem = ReadGroup(kSystemStages, kMouseSystemFields);
        m_mouseSystem.reportRate = ReadGroup(kReportStages, kMouseReportFields).reportRate;
    }
    return m_mouseSystem;
}

void CMouseProfiledata::SetMouseSystem(const MouseSystem& system) {
    m_mouseSystem = system;
    WriteGroup(kSystemStages, system, kMouseSystemFields);
    WriteGroup(kReportStages, system, kMouseReportFields);
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectInfo() {
    m_correctInfo.clear();
    if (const Json::Value* group = FindGroup("CorrectInfo", Json::arrayValue)) {
        const Json::ArrayIndex count = ListLength(*group);
        for (Json::ArrayIndex i = 0; i < count; ++i) {
            CorrectEntry entry;
            ReadFields((*group)[i], entry, kCorrectFields);
            entry.name = ToText(Member((*group)[i], "CorrectName"));
            m_correctInfo.push_back(std::move(entry));
        }
    }
    return m_correctInfo;
}

}  // namespace halvern
