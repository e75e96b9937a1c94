#include "lighting/led_frame.h"

#include <algorithm>

#include "lighting/step.h"

namespace halvern {

LedFrame::LedFrame(std::size_t ledCount) : m_count(std::min(ledCount, kMaxLeds)) {}

LedEntry LedFrame::entry(std::size_t index) const {
    return index < m_count ? m_entries[index] : LedEntry{};
}

void LedFrame::set(std::size_t index, Rgb colour, uint8_t level) {
    if (index < m_count) m_entries[index] = {colour.red, colour.green, colour.blue, level};
}

void LedFrame::fill(Rgb colour, uint8_t level) {
    std::fill_n(m_entries.begin(), m_count, LedEntry{colour.red, colour.green, colour.blue, level});
}

uint32_t LedFrame::word(std::size_t index) const {
    const LedEntry e = entry(index);
    return uint32_t{e.red} | uint32_t{e.green} << 8 | uint32_t{e.blue} << 16 | uint32_t{e.level} << 24;
}

void LedFrame::setWord(std::size_t index, uint32_t word) {
    if (index >= m_count) return;
    m_entries[index] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                        static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
}

Rgb LedFrame::shown(std::size_t index) const {
    const LedEntry e = entry(index);
    return {scaleLevel(e.red, e.level), scaleLevel(e.green, e.level), scaleLevel(e.blue, e.level)};
}

Rgb LedFrame::colour(std::size_t index) const {
    const LedEntry e = entry(index);
    return {e.red, e.green, e.blue};
}

std::size_t LedFrame::writeShownBytes(std::span<uint8_t> out) const {
    const std::size_t leds = std::min(m_count, out.size() / 3);
    for (std::size_t i = 0; i < leds; ++i) {
        const Rgb c = shown(i);
        out[3 * i] = c.red;
        out[3 * i + 1] = c.green;
        out[3 * i + 2] = c.blue;
    }
    return leds * 3;
}

bool operator==(const LedFrame& a, const LedFrame& b) {
    return std::ranges::equal(a.entries(), b.entries());
}

}  // namespace halvern
