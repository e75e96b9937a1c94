#include "lighting/press_flags.h"

#include <algorithm>

namespace halvern {

void startPresses(EngineState& state, std::size_t count) {
    count = std::min(count, kPressFlagCount);
    for (std::size_t i = 0; i < count; ++i) {
        if (state.pressFlags[i]) state.level[i] = 255;
    }
}

void shiftPresses(EngineState& state, std::size_t count, bool towardsHigher) {
    count = std::min(count, kPressFlagCount);
    if (count < 2) return;
    auto first = state.pressFlags.begin();
    if (towardsHigher) {
        std::rotate(first, first + static_cast<std::ptrdiff_t>(count - 1),
                    first + static_cast<std::ptrdiff_t>(count));
    } else {
        std::rotate(first, first + 1, first + static_cast<std::ptrdiff_t>(count));
    }
}

void clearPresses(EngineState& state) {
    state.pressFlags.fill(0);
}

}  // namespace halvern
