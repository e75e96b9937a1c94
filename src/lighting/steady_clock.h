#pragma once

#include "lighting/lighting_engine.h"

namespace halvern {

/// Milliseconds of the steady clock, the time base of the lighting engines and their readers.
[[nodiscard]] Millis steadyMillis();

}  // namespace halvern
