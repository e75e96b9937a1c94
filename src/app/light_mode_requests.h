#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "profile/profile_records.h"

namespace halvern::app {

/// The message names other programs (games) use to ask for a light mode for a while.
[[nodiscard]] bool IsLightModeRequest(std::string_view name);

/// Light-mode requests of other programs: a request shows a mode on the selected device at once, and five
/// seconds after the last request the device returns to the mode it had before. Kind 0 remembers the mode
/// shown when it arrived as the one to return to; kinds 1 and 2 keep what was remembered. The clock is the
/// caller's (milliseconds of a monotonic clock), so the timing is tested without waiting.
class LightModeRequests {
public:
    static constexpr int64_t kReturnAfterMs = 5000;
    static constexpr int64_t kNone = INT64_MAX;

    /// A request of `kind` for mode `lParam` (its low 8 bits) at `now`. `current` is the selected page's
    /// light record (nothing without a page) and `modeCount` the number of its light modes. Returns the
    /// record to store, or nothing when the page stays as it is (no page, another kind, a mode the device
    /// does not have). The return is due five seconds after every request, whatever became of it.
    [[nodiscard]] std::optional<LightSetting> request(int64_t kind, int64_t lParam,
                                                      const std::optional<LightSetting>& current,
                                                      size_t modeCount, int64_t now);
    /// When the return to the remembered mode is due; kNone when no request waits for it.
    [[nodiscard]] int64_t returnDue() const { return m_returnDue; }
    /// The return, at `now`: the record to store (the remembered mode shown again), or nothing when it is not
    /// due yet, there is no page or the remembered mode is not one of the page's `modeCount`. Once due, it
    /// is done.
    [[nodiscard]] std::optional<LightSetting> returnAt(int64_t now,
                                                       const std::optional<LightSetting>& current,
                                                       size_t modeCount);

private:
    int64_t m_returnDue = kNone;
};

}  // namespace halvern::app
