#pragma once

#include <cstdio>

#include "sound_companion/band_analyser.h"

namespace halvern::sound {

/// Writes one block as a JSON line: {"ms": time, "silent": bool, "raw": [500], "six": [6]}.
/// False when the stream refuses the line.
[[nodiscard]] bool printBlock(std::FILE* out, long long milliseconds, const SoundBlock& block);

}  // namespace halvern::sound
