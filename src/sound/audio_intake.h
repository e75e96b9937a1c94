#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace halvern {

/// Where a raw block's band values go: nowhere, or to the first keyboard or mouse page's level input.
enum class AudioLevelTarget : uint8_t { None, Keyboard, Mouse };

/// The band values one raw block hands on; `levels` points into the intake and stays valid until the next
/// block is taken.
struct AudioLevelDelivery {
    AudioLevelTarget target = AudioLevelTarget::None;
    std::span<const int32_t> levels;
};

/// Turns the sound companion's blocks into band values for the selected device.
///
/// A raw block holds 500 signed 32-bit levels. Each block is compared with the one before; the change of
/// four positions out of every five is summed into a band, and each band keeps a share of its previous
/// value. The keyboard takes 25 bands (positions 0-124), the mouse bands 1-9 of the first ten (positions
/// 0-49). Band values are handed on every third block; with no keyboard or mouse selected blocks are only
/// counted, so the first block after one becomes selected is handed on at once.
///
/// Messages are byte strings of unknown origin: a message longer than its block is refused, an empty one is
/// ignored, a shorter one replaces only the values it holds completely.
class AudioIntake {
public:
    static constexpr std::size_t kRawValues = 500;
    static constexpr std::size_t kRawBytes = kRawValues * sizeof(int32_t);
    static constexpr std::size_t kSixValues = 6;
    static constexpr std::size_t kSixBytes = kSixValues * sizeof(int32_t);
    static constexpr std::size_t kKeyboardBands = 25;
    static constexpr std::size_t kMouseBands = 10;
    static constexpr std::size_t kPositionsPerBand = 5;  ///< the first four of each five are summed
    static constexpr int kBlocksPerDelivery = 3;

    /// Takes a raw block (little-endian values) with the type code of the selected device (0 when none).
    /// Returns what to hand on; a target of None when nothing is due or the message was refused.
    [[nodiscard]] AudioLevelDelivery takeRawBlock(std::span<const std::byte> message,
                                                  uint16_t selectedTypeCode);

    /// Takes a six-value block. Returns the six values for the keyboard, or an empty span when refused.
    [[nodiscard]] std::span<const int32_t> takeSixValueBlock(std::span<const std::byte> message);

    [[nodiscard]] int blockCounter() const { return m_blockCounter; }

private:
    void updateBands(std::span<int32_t> bands);

    std::array<int32_t, kRawValues> m_incoming{};
    std::array<int32_t, kRawValues> m_previous{};
    std::array<uint32_t, kRawValues> m_difference{};
    std::array<int32_t, kKeyboardBands> m_keyboardBands{};
    std::array<int32_t, kMouseBands> m_mouseBands{};
    std::array<int32_t, kSixValues> m_sixValues{};
    int m_blockCounter = 0;
};

}  // namespace halvern
