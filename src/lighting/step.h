#pragma once

#include <cstdint>

namespace halvern {

/// Advances an 8-bit phase counter by `delta` within [0, period). Forward: value + delta, wrapping to 0 once
/// the result reaches `period`. Backward: value - delta, wrapping to period - delta once the result (as an
/// unsigned byte) is `period` or more. Arithmetic is 8-bit on purpose: the wrap relies on it.
constexpr uint8_t stepPhase(bool forward, uint8_t period, uint8_t value, uint8_t delta) {
    if (forward) {
        const auto next = static_cast<uint8_t>(value + delta);
        return next >= period ? uint8_t{0} : next;
    }
    const auto next = static_cast<uint8_t>(value - delta);
    return next >= period ? static_cast<uint8_t>(period - delta) : next;
}

/// value × level ÷ 256, the scaling every level goes through.
constexpr uint8_t scaleLevel(uint8_t value, uint8_t level) {
    return static_cast<uint8_t>((unsigned{value} * level) >> 8);
}

}  // namespace halvern
