#include "sound_companion/band_analyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace halvern::sound {

struct BandAnalyser::Plan {
    fftwf_plan plan = nullptr;
    ~Plan() {
        if (plan != nullptr) fftwf_destroy_plan(plan);
    }
};

BandAnalyser::BandAnalyser(int sampleRate)
    : m_hop(samplesPerBlockAt(sampleRate)),
      m_history(kWindow, 0.0F),
      m_hann(kWindow),
      m_input(kWindow),
      m_spectrum(kWindow / 2 + 1),
      m_plan(std::make_unique<Plan>()) {
    // An uneven Hann window: a long rise over the older samples and a short fall over the newest eighth
    // (12 ms), so a sound that has just begun already counts almost fully, where a symmetric window would
    // hold it back for half its length (46 ms). Its mean is still 1/2, as the levels' scale assumes.
    const std::size_t fall = kWindow / 8;
    const std::size_t rise = kWindow - fall;
    for (std::size_t i = 0; i < kWindow; ++i) {
        const double phase = i < rise ? static_cast<double>(i) / static_cast<double>(rise)
                                      : 1.0 + static_cast<double>(i - rise) / static_cast<double>(fall);
        m_hann[i] = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * phase));
    }
    static_assert(sizeof(fftwf_complex) == sizeof(std::array<float, 2>));
    // FFTW_ESTIMATE: no measuring at start-up, and the arrays' contents are left alone.
    m_plan->plan = fftwf_plan_dft_r2c_1d(static_cast<int>(kWindow), m_input.data(),
                                         reinterpret_cast<fftwf_complex*>(m_spectrum.data()), FFTW_ESTIMATE);

    const double binHz = static_cast<double>(sampleRate) / kWindow;
    const std::size_t lastBin = kWindow / 2;
    for (std::size_t b = 0; b <= kSubBands; ++b) {
        const double hz = kLowestHz * std::pow(kHighestHz / kLowestHz, static_cast<double>(b) / kSubBands);
        m_bandBins[b] = std::min(lastBin, static_cast<std::size_t>(std::lround(hz / binHz)));
    }
}

BandAnalyser::~BandAnalyser() = default;

std::size_t BandAnalyser::samplesPerBlockAt(int sampleRate) {
    return static_cast<std::size_t>(std::max(1, (sampleRate + kBlocksPerSecond / 2) / kBlocksPerSecond));
}

bool BandAnalyser::push(std::span<const float> samples, std::size_t& consumed) {
    while (consumed < samples.size()) {
        const std::size_t take = std::min(m_hop - m_filled, samples.size() - consumed);
        const auto part = samples.subspan(consumed, take);
        std::shift_left(m_history.begin(), m_history.end(), static_cast<std::ptrdiff_t>(take));
        std::copy(part.begin(), part.end(), m_history.end() - static_cast<std::ptrdiff_t>(take));
        for (const float s : part) m_peak = std::max(m_peak, std::fabs(s));
        consumed += take;
        m_filled += take;
        if (m_filled == m_hop) {
            analyse();
            m_filled = 0;
            m_peak = 0;
            return true;
        }
    }
    return false;
}

int32_t BandAnalyser::levelOf(float magnitude) const {
    // A full-scale sine peaks at kWindow / 4 under the window (whose mean is 1/2).
    const double relative = magnitude / (kWindow / 4.0);
    if (relative <= 0) return 0;
    const double db = 20.0 * std::log10(relative);
    const double level = (db - kFloorDb) / -kFloorDb * kFullLevel;
    return static_cast<int32_t>(std::clamp(level, 0.0, static_cast<double>(kFullLevel)));
}

void BandAnalyser::analyse() {
    ++m_blockNumber;
    m_block = SoundBlock{};
    m_block.silent = m_peak < kSilenceLevel;
    if (m_block.silent) return;

    for (std::size_t i = 0; i < kWindow; ++i) m_input[i] = m_history[i] * m_hann[i];
    fftwf_execute(m_plan->plan);

    std::array<int32_t, kSubBands> levels{};
    for (std::size_t b = 0; b < kSubBands; ++b) {
        const std::size_t first = m_bandBins[b];
        const std::size_t end =
            std::max(m_bandBins[b + 1], first + 1);  // narrow low bands take their nearest bin
        float peak = 0;
        for (std::size_t bin = first; bin < end && bin < m_spectrum.size(); ++bin)
            peak = std::max(peak, std::hypot(m_spectrum[bin][0], m_spectrum[bin][1]));
        levels[b] = levelOf(peak);
    }

    const int32_t sign = m_blockNumber % 2 == 0 ? 1 : -1;
    for (std::size_t g = 0; g < kGroups; ++g) {
        int32_t loudest = 0;
        for (std::size_t i = 0; i < kSubBandsPerGroup; ++i) {
            const int32_t level = levels[g * kSubBandsPerGroup + i];
            m_block.raw[g * kPositionsPerGroup + i] = sign * level;
            loudest = std::max(loudest, level);
        }
        m_block.raw[g * kPositionsPerGroup + kSubBandsPerGroup] = sign * loudest;
    }

    const auto meanOfGroups = [&](std::size_t first, std::size_t count) {
        int64_t sum = 0;
        for (std::size_t b = first * kSubBandsPerGroup; b < (first + count) * kSubBandsPerGroup; ++b)
            sum += levels[b];
        return static_cast<int32_t>(sum / static_cast<int64_t>(count * kSubBandsPerGroup));
    };
    const int32_t loudness = levelOf(m_peak * (kWindow / 4.0F));
    const auto shade = [&](int32_t step) { return std::clamp(step, 0, 9) * 255 / 9 * loudness / kFullLevel; };
    m_block.six = {shade(m_colour.red), shade(m_colour.green),       shade(m_colour.blue), loudness,
                   meanOfGroups(0, 6),  meanOfGroups(kGroups - 6, 6)};
}

}  // namespace halvern::sound
