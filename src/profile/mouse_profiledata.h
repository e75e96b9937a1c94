#pragma once

#include <vector>

#include "profile/basic_profiledata.h"

namespace halvern {

/// The mouse's profile: adds DPI stages, the active stage, pointer settings and sensor corrections.
class CMouseProfiledata : public CBasicProfiledata {
public:
    /// Merges the file's stages into the stages in memory: stage i of the file replaces stage i, further
    /// file stages are appended, stages beyond the file's count stay. Also takes the active stage index.
    /// Without a "DPIStages" group the stages in memory are returned unchanged.
    std::vector<DpiStage> GetDpiStages();
    /// Replaces the stages and writes every one (the active index is written only by SetActiveStage).
    void SetDpiStages(const std::vector<DpiStage>& stages);

    [[nodiscard]] int GetActiveStage() const { return m_activeStage; }
    void SetActiveStage(int index);

    /// Pointer settings from "SystemStages" and the polling-rate index from "ReportStages".
    MouseSystem GetMouseSystem();
    void SetMouseSystem(const MouseSystem& system);

    std::vector<CorrectEntry> GetCorrectInfo();

private:
    std::vector<DpiStage> m_dpiStages;
    int m_activeStage = 0;
    MouseSystem m_mouseSystem;
    std::vector<CorrectEntry> m_correctInfo;
};

}  // namespace halvern
