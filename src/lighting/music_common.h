#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/effect_context.h"

namespace halvern::music {

/// How quiet a band is: 600 for silence, falling by 600 every 2000 of level; 500 once that goes negative.
[[nodiscard]] int64_t quietness(int64_t level);

/// The same without the 500 replacement, as the drop and scatter styles use it.
[[nodiscard]] int64_t rawQuietness(int64_t level);

/// Mean quietness of the first `count` bands.
[[nodiscard]] int64_t meanQuietness(std::span<const int32_t> levels);

/// Stores delivered band levels (at most `bandCount`), replacing the previous ones. A negative level,
/// which no sound can produce, is taken as silence.
void storeLevels(MusicState& music, std::span<const int32_t> delivered, std::size_t bandCount);

/// Takes the stored levels for one frame and clears the buffer.
[[nodiscard]] std::array<int32_t, kMaxBands> takeLevels(MusicState& music);

/// The foreground: the foreground colour, or wheel[index] with the rainbow flag.
[[nodiscard]] Rgb foreground(const LightSettings& settings, uint8_t index);

/// Shows LED `led` in the foreground at its level when that is 10 or more, else in the background colour
/// at brightness.
void showByLevel(EffectContext& ctx, std::size_t led, Rgb fore);

}  // namespace halvern::music
