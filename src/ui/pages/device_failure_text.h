#pragma once

#include <QString>

#include "device/device_result.h"

namespace halvern::ui {

class LanguageTexts;

/// One sentence in the interface language saying what failed and what to do, for a failed device result:
/// "device_failed_text" with the step ("device_step_...") and the reason ("device_reason_...").
[[nodiscard]] QString deviceFailureText(const DeviceResult& result, const LanguageTexts& texts);

}  // namespace halvern::ui
