#include "input/event_image.h"

#include <limits>

namespace halvern {
namespace {

void put16(std::vector<uint8_t>& image, size_t offset, size_t value) {
    image[offset] = static_cast<uint8_t>(value & 0xFF);
    image[offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

size_t EventImageSize(std::span<const size_t> eventCounts) {
    size_t size = kEventImageHeaderSize;
    for (size_t count : eventCounts) {
        // Saturate rather than wrap: a size this large is refused anyway.
        if (count > (std::numeric_limits<size_t>::max() - size - 6) / 4)
            return std::numeric_limits<size_t>::max();
        size += 6 + 4 * count;
    }
    return size;
}

std::vector<uint8_t> BuildEventImage(std::span<const std::vector<MacroEvent>> blocks) {
    std::vector<size_t> counts;
    counts.reserve(blocks.size());
    for (const std::vector<MacroEvent>& block : blocks) counts.push_back(block.size());
    const size_t size = EventImageSize(counts);
    if (size > kEventImageMaxSize) return {};

    std::vector<uint8_t> image(size, 0);
    image[0] = 0xAA;  // marker 0x55AA, low byte first
    image[1] = 0x55;
    put16(image, 2, size);
    put16(image, 4, blocks.size());
    // bytes 6-15 stay zero (reserved)
    size_t offset = kEventImageHeaderSize + 2 * blocks.size();
    for (size_t b = 0; b < blocks.size(); ++b) {
        put16(image, kEventImageHeaderSize + 2 * b, offset);
        put16(image, offset, blocks[b].size());  // event count; the next 2 bytes stay zero
        offset += 4;
        for (const MacroEvent& event : blocks[b]) {
            const std::array<uint8_t, 4> bytes = EncodeEvent(event);
            std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
            offset += 4;
        }
    }
    return image;
}

int MacroOverflowCount(size_t size, size_t limit) {
    if (size <= limit) return 0;
    const size_t over = (size - limit) / 4 + 1;
    return over > static_cast<size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                       : static_cast<int>(over);
}

}  // namespace halvern
