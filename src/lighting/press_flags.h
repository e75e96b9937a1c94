#pragma once

#include <cstddef>

#include "lighting/engine_state.h"

namespace halvern {

/// Sets the level of LED i to 255 for each set press flag i below `count` (the mouse and keyboard use the
/// first 9 flags, the mouse pad and headset their LED count).
void startPresses(EngineState& state, std::size_t count);

/// Rotates the first `count` press flags by one place, towards higher indices (the last wraps to flag 0)
/// or towards lower ones (flag 0 wraps to the last).
void shiftPresses(EngineState& state, std::size_t count, bool towardsHigher);

void clearPresses(EngineState& state);

}  // namespace halvern
