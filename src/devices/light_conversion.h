#pragma once

#include <vector>

#include "devices/usb_device.h"
#include "lighting/custom_sequence.h"
#include "lighting/led_light_list.h"
#include "lighting/light_settings.h"
#include "profile/profile_records.h"

namespace halvern {

// The profile keeps light settings as the file stores them; the lighting engine has its own types.

/// `base` with the light fields of `light` (mode, brightness, speed, direction, colourful flag, colour).
[[nodiscard]] BaseLightSettings WithLight(BaseLightSettings base, const LightSetting& light);
/// `light` with the light fields of `base`; its other fields stay.
[[nodiscard]] LightSetting WithLight(LightSetting light, const BaseLightSettings& base);

/// The engine's settings from the profile's "LightInfo" and "AudioLightInfo".
[[nodiscard]] LightSettings ToEngineSettings(const LightSetting& light, const AudioLightInfo& audio);
/// The per-LED light list; entries that were absent in the file leave their LED to the effect.
[[nodiscard]] std::vector<LedLightEntry> ToLedLightList(const std::vector<LightSetting>& list);
/// The steps of the user's effect; a negative duration counts as 0.
[[nodiscard]] std::vector<SequenceStep> ToSequence(const std::vector<EffectFrame>& frames);

}  // namespace halvern
