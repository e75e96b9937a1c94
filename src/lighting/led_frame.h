#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/types.h"

namespace halvern {

/// One LED of a frame: a colour and the level it is shown at.
struct LedEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t level = 0;
    friend constexpr bool operator==(const LedEntry&, const LedEntry&) = default;
};

/// The LED frame of one device: fixed storage for the largest device, so effects write it in place and a
/// frame never allocates. Every access is bounds-checked: an index outside the device's LED count reads as
/// zero and writes are ignored.
class LedFrame {
public:
    explicit LedFrame(std::size_t ledCount);

    [[nodiscard]] std::size_t size() const { return m_count; }
    [[nodiscard]] LedEntry entry(std::size_t index) const;
    void set(std::size_t index, Rgb colour, uint8_t level);
    void fill(Rgb colour, uint8_t level);

    /// The entry as a packed word: red in bits 0-7, green 8-15, blue 16-23, level 24-31.
    [[nodiscard]] uint32_t word(std::size_t index) const;
    void setWord(std::size_t index, uint32_t word);

    /// The colour the LED shows: each channel × level ÷ 256.
    [[nodiscard]] Rgb shown(std::size_t index) const;
    /// The stored colour without the level.
    [[nodiscard]] Rgb colour(std::size_t index) const;

    /// Writes the shown colour of each LED as red, green, blue bytes, LED 0 first, as far as `out`
    /// reaches; returns the number of bytes written (3 per LED).
    std::size_t writeShownBytes(std::span<uint8_t> out) const;

    [[nodiscard]] std::span<const LedEntry> entries() const { return {m_entries.data(), m_count}; }
    friend bool operator==(const LedFrame& a, const LedFrame& b);

private:
    std::array<LedEntry, kMaxLeds> m_entries{};
    std::size_t m_count;
};

}  // namespace halvern
