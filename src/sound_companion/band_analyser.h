#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sound_companion/raw_layout.h"

namespace halvern::sound {

/// One analysed stretch of sound, as it is sent to the application.
struct SoundBlock {
    std::array<int32_t, kRawValues> raw{};
    std::array<int32_t, kSixValues> six{};
    bool silent = true;
};

/// A style colour: red, green and blue steps of 0 to 9.
struct StyleColour {
    int32_t red = 9;
    int32_t green = 9;
    int32_t blue = 9;
};

/// Cuts a stream of samples into blocks of 1/kBlocksPerSecond s and analyses the latest kWindow samples at
/// each block (see raw_layout.h for what the blocks hold). Works in place: after construction nothing
/// is allocated.
class BandAnalyser {
public:
    static constexpr std::size_t kWindow = 4096;
    /// A stretch whose loudest sample stays below this (about -60 dB) counts as silence.
    static constexpr float kSilenceLevel = 0.001F;

    explicit BandAnalyser(int sampleRate);
    ~BandAnalyser();
    BandAnalyser(const BandAnalyser&) = delete;
    BandAnalyser& operator=(const BandAnalyser&) = delete;

    [[nodiscard]] std::size_t samplesPerBlock() const { return m_hop; }
    [[nodiscard]] static std::size_t samplesPerBlockAt(int sampleRate);
    void setStyleColour(const StyleColour& colour) { m_colour = colour; }

    /// Takes samples; returns true each time a block is complete, which is then in block(). Feed the
    /// rest of the samples by calling again with the returned `consumed` offset.
    [[nodiscard]] bool push(std::span<const float> samples, std::size_t& consumed);
    [[nodiscard]] const SoundBlock& block() const { return m_block; }

private:
    struct Plan;
    void analyse();
    [[nodiscard]] int32_t levelOf(float magnitude) const;

    std::size_t m_hop;
    std::vector<float> m_history;  // the last kWindow samples, oldest first
    std::vector<float> m_hann;
    std::vector<float> m_input;  // windowed samples, FFT input
    std::vector<std::array<float, 2>> m_spectrum;
    std::array<std::size_t, kSubBands + 1>
        m_bandBins{};  // sub-band b covers bins [m_bandBins[b], m_bandBins[b+1])
    std::unique_ptr<Plan> m_plan;
    std::size_t m_filled = 0;  // samples of the current block taken so far
    float m_peak = 0;          // loudest sample of the current block
    uint64_t m_blockNumber = 0;
    StyleColour m_colour;
    SoundBlock m_block;
};

}  // namespace halvern::sound
