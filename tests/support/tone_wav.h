#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace halvern::test {

/// Writes a WAV file of one sine tone: 44.1 kHz, one channel, 16 bits, at about -9 dB of full scale. The
/// tone plays for `seconds` out of every `period` seconds (none: it plays throughout), `repeats` times.
inline void writeToneWav(const std::filesystem::path& path, double hz, double seconds, double period = 0,
                         int repeats = 1) {
    constexpr uint32_t kRate = 44100;
    const double span = std::max(period, seconds);
    const auto frames = static_cast<uint32_t>(kRate * span * repeats);
    std::ofstream out(path, std::ios::binary);
    const auto le = [&](uint32_t v, int bytes) {
        for (int b = 0; b < bytes; ++b) out.put(static_cast<char>(v >> (8 * b)));
    };
    out.write("RIFF", 4);
    le(36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    le(16, 4);
    le(1, 2);  // PCM
    le(1, 2);  // one channel
    le(kRate, 4);
    le(kRate * 2, 4);
    le(2, 2);
    le(16, 2);
    out.write("data", 4);
    le(frames * 2, 4);
    const auto spanFrames = static_cast<uint32_t>(kRate * span);
    const auto toneFrames = static_cast<uint32_t>(kRate * seconds);
    for (uint32_t i = 0; i < frames; ++i) {
        const bool sounding = i % spanFrames < toneFrames;
        const double sample = sounding ? 12000 * std::sin(2 * std::numbers::pi * hz * i / kRate) : 0.0;
        le(static_cast<uint16_t>(static_cast<int16_t>(sample)), 2);
    }
}

}  // namespace halvern::test
