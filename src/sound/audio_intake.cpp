#include "sound/audio_intake.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "device/supported_devices.h"

namespace halvern {

namespace {

/// Copies the whole little-endian values a message holds into `values`; values past its end are kept.
/// False for an empty message or one longer than `values`.
bool readValues(std::span<const std::byte> message, std::span<int32_t> values) {
    if (message.empty() || message.size() > values.size_bytes()) return false;
    const std::size_t count = message.size() / sizeof(int32_t);
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t v = 0;
        for (std::size_t b = 0; b < sizeof(int32_t); ++b)
            v |= static_cast<uint32_t>(std::to_integer<uint8_t>(message[i * sizeof(int32_t) + b])) << (8 * b);
        values[i] = static_cast<int32_t>(v);
    }
    return true;
}

uint32_t absoluteDifference(int32_t a, int32_t b) {
    const int64_t d = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    return static_cast<uint32_t>(d < 0 ? -d : d);
}

}  // namespace

AudioLevelDelivery AudioIntake::takeRawBlock(std::span<const std::byte> message, uint16_t selectedTypeCode) {
    if (!readValues(message, m_incoming)) return {};
    ++m_blockCounter;
    for (std::size_t i = 0; i < kRawValues; ++i)
        m_difference[i] = absoluteDifference(m_incoming[i], m_previous[i]);
    m_previous = m_incoming;

    switch (selectedTypeCode) {
        case type_code::kKeyboard:
            updateBands(m_keyboardBands);
            if (m_blockCounter < kBlocksPerDelivery) return {};
            m_blockCounter = 0;
            return {AudioLevelTarget::Keyboard, m_keyboardBands};
        case type_code::kMouse:
            updateBands(m_mouseBands);
            if (m_blockCounter < kBlocksPerDelivery) return {};
            m_blockCounter = 0;
            return {AudioLevelTarget::Mouse,
                    std::span<const int32_t>(m_mouseBands).subspan(1)};  // band 0 stays here
        default:
            return {};
    }
}

void AudioIntake::updateBands(std::span<int32_t> bands) {
    for (std::size_t k = 0; k < bands.size(); ++k) {
        const auto group = std::span(m_difference).subspan(k * kPositionsPerBand, kPositionsPerBand - 1);
        uint64_t sum = static_cast<uint64_t>(bands[k]);
        for (const uint32_t d : group) sum += d;
        // Wild levels saturate instead of wrapping into a negative band.
        bands[k] = static_cast<int32_t>(std::min<uint64_t>(sum / 4, INT32_MAX));
    }
}

std::span<const int32_t> AudioIntake::takeSixValueBlock(std::span<const std::byte> message) {
    if (!readValues(message, m_sixValues)) return {};
    return m_sixValues;
}

}  // namespace halvern
