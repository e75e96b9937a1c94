#pragma once

#include <cstdint>

namespace halvern {

/// One fade step of a per-LED level under the fade rule of `mode` (mode 0, modes 11 and 29, or any other
/// mode). The level never rises and never wraps below 0.
[[nodiscard]] uint8_t fadeLevel(uint8_t mode, uint8_t level);

}  // namespace halvern
