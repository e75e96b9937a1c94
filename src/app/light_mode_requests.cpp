#include "app/light_mode_requests.h"

#include <algorithm>
#include <array>

namespace halvern::app {
namespace {

constexpr std::array<std::string_view, 4> kRequestNames{"Game_Start", "Game_End", "Game_Kill", "Game_Death"};
constexpr int64_t kRemembersMode = 0;
constexpr int64_t kLastKind = 2;
constexpr uint8_t kFallbackMode = 1;  // remembered instead of mode 0 or a mode above kLastPlainMode
constexpr uint8_t kLastPlainMode = 20;

}  // namespace

bool IsLightModeRequest(std::string_view name) {
    return std::ranges::find(kRequestNames, name) != kRequestNames.end();
}

std::optional<LightSetting> LightModeRequests::request(int64_t kind, int64_t lParam,
                                                       const std::optional<LightSetting>& current,
                                                       size_t modeCount, int64_t now) {
    m_returnDue = now + kReturnAfterMs;
    const auto mode = static_cast<uint8_t>(lParam & 0xFF);
    if (!current || kind < 0 || kind > kLastKind || mode >= modeCount) return std::nullopt;
    LightSetting light = *current;
    if (kind == kRemembersMode)
        light.previousMode = light.mode == 0 || light.mode > kLastPlainMode ? kFallbackMode : light.mode;
    light.mode = mode;
    return light;
}

std::optional<LightSetting> LightModeRequests::returnAt(int64_t now,
                                                        const std::optional<LightSetting>& current,
                                                        size_t modeCount) {
    if (now < m_returnDue) return std::nullopt;
    m_returnDue = kNone;
    if (!current || current->previousMode >= modeCount) return std::nullopt;
    LightSetting light = *current;
    light.mode = light.previousMode;
    return light;
}

}  // namespace halvern::app
