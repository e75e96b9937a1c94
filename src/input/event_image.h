#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "input/macro_event.h"

namespace halvern {

/// The device image of lists of events (the macro image, the recoil image):
///   0  AA 55          marker 0x55AA
///   2  size           total bytes, 16 bit little-endian
///   4  n              number of blocks
///   6  10 zero bytes
///   16 2·n offsets    of each block from the start of the image
///   blocks            event count (16 bit), 2 zero bytes, 4 bytes per event (EncodeEvent)
/// All fields are 16 bit, so an image must stay below 64 KiB.
inline constexpr size_t kEventImageHeaderSize = 16;
inline constexpr size_t kEventImageMaxSize = 0xFFFF;

/// 16 + 6·n + 4·(all events) for blocks of these event counts.
[[nodiscard]] size_t EventImageSize(std::span<const size_t> eventCounts);

/// The image of the blocks in order. Empty when the image would not fit its 16-bit size and offset
/// fields (more than kEventImageMaxSize bytes): callers must treat that as a failure, never send it.
[[nodiscard]] std::vector<uint8_t> BuildEventImage(std::span<const std::vector<MacroEvent>> blocks);

/// How far an image of `size` bytes is over a device's `limit`: ((size - limit) / 4) + 1 when it is
/// larger, else 0.
[[nodiscard]] int MacroOverflowCount(size_t size, size_t limit);

}  // namespace halvern
