// The equaliser plugin run in this process: the fitted bells give the asked gains at the band centres.

#include "devices/linux_audio/equaliser_plugin.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "devices/headset_eq.h"

namespace halvern::audio {
namespace {

EqualiserPlugin::Gains gainsOf(const headset_eq::Bands& bands) {
    EqualiserPlugin::Gains gains{};
    for (size_t i = 0; i < gains.size(); ++i) gains[i] = bands[i];
    return gains;
}

// The largest miss (dB) at the centres of the fitted response.
double worstMiss(const EqualiserPlugin& plugin, const EqualiserPlugin::Gains& wanted, double rate) {
    const EqualiserPlugin::Gains heard = plugin.response(plugin.controlsFor(wanted, rate), rate);
    double worst = 0;
    for (size_t i = 0; i < wanted.size(); ++i) worst = std::max(worst, std::abs(heard[i] - wanted[i]));
    return worst;
}

class EqualiserPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!plugin) GTEST_SKIP() << "the LSP equaliser plugin is not installed (lsp-plugins-ladspa)";
    }
    std::optional<EqualiserPlugin> plugin = EqualiserPlugin::load();
};

TEST_F(EqualiserPluginTest, EveryPresetIsMetAtEveryCentreAtTheUsualRates) {
    for (const double rate : {44100.0, 48000.0, 96000.0}) {
        for (int preset = 1; preset <= headset_eq::kPresetCount; ++preset) {
            const auto started = std::chrono::steady_clock::now();
            const double miss = worstMiss(*plugin, gainsOf(headset_eq::PresetBands(preset)), rate);
            const auto took =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started);
            std::printf("%6.0f Hz preset %2d: largest miss %.3f dB, fitted in %.1f ms\n", rate, preset, miss,
                        took.count());
            EXPECT_LT(miss, 0.1) << "preset " << preset << " at " << rate;
        }
    }
}

// The page's extremes: the whole range, a single band, the ends, and neighbours far apart. (Every band
// swinging between -20 and +20 dB is more than octave-wide bells can do: 3.6 dB off.)
TEST_F(EqualiserPluginTest, CustomCurvesAcrossTheBandRangeComeWithinOneDecibel) {
    const std::array<headset_eq::Bands, 5> curves{{
        {20, 20, 20, 20, 20, 20, 20, 20, 20, 20},
        {-20, -20, -20, -20, -20, -20, -20, -20, -20, -20},
        {0, 0, 0, 0, 20, 0, 0, 0, 0, 0},
        {-20, 0, 0, 0, 0, 0, 0, 0, 0, 20},
        {-20, 20, 0, 10, -10, 15, -15, 5, 20, -20},
    }};
    for (const auto& curve : curves) EXPECT_LT(worstMiss(*plugin, gainsOf(curve), 48000), 1.0);
}

}  // namespace
}  // namespace halvern::audio
