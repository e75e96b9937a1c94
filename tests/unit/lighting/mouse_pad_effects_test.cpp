// The mouse's, mouse pad's and headset's own effects: waves, flows, the reactive fade, the press bitmaps
// and the mouse's music styles.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "lighting/mouse_effects.h"
#include "lighting/music_common.h"
#include "lighting/tables.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::ModeEngine;
using test::settingsFor;

LightSettings musicSettings(uint8_t style, bool rainbow = false) {
    LightSettings s = settingsFor(11);
    s.music = MusicSettings::make(style, {0, 0, 40}, {200, 0, 0}, rainbow);
    return s;
}

TEST(Waves, MouseWaveMovesOnePlacePerFrame) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(0, 2, false, 1));
    engine.runEffect(0);
    const uint8_t first = engine.frame().entry(0).level;
    EXPECT_EQ(first, tables::kWave[2] * 255 / 256);
    EXPECT_EQ(engine.frame().entry(1).level, tables::kWave[9] * 255 / 256);
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(0).level, tables::kWave[3] * 255 / 256);
}

TEST(Waves, HeadsetPlainWaveAdvancesThreePlacesThePadOne) {
    ModeEngine pad(DeviceKind::MousePad, settingsFor(0, 2, false, 1));
    ModeEngine headset(DeviceKind::Headset, settingsFor(0, 2, false, 1));
    for (int i = 0; i < 2; ++i) {
        pad.runEffect(0);
        headset.runEffect(0);
    }
    EXPECT_EQ(pad.state().step, 2);
    EXPECT_EQ(headset.state().step, 6);
    EXPECT_EQ(headset.frame().entry(0).level, tables::kWave[6] * 255 / 256);
    EXPECT_EQ(headset.frame().entry(1).level, tables::kWave[16] * 255 / 256);
    EXPECT_EQ(pad.frame().entry(1).level, tables::kWave[10] * 255 / 256);
}

TEST(Waves, ColourfulSpacingDiffersBetweenPadAndHeadset) {
    ModeEngine pad(DeviceKind::MousePad, settingsFor(0, 2, true, 1));
    ModeEngine headset(DeviceKind::Headset, settingsFor(0, 2, true, 1));
    pad.runEffect(0);
    headset.runEffect(0);
    EXPECT_EQ(pad.frame().colour(1), tables::wheel(2 + 7));
    EXPECT_EQ(headset.frame().colour(1), tables::wheel(2 + 16));
}

TEST(Flows, MouseFlowCarriesThePressAlongTheLeds) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(9, 2, false, 0));
    std::set<std::size_t> litLeds;
    for (int frame = 0; frame < 12; ++frame) {
        engine.runEffect(0);
        for (std::size_t led = 0; led < 6; ++led) {
            if (engine.frame().entry(led).level > 200) litLeds.insert(led);
        }
    }
    EXPECT_GE(litLeds.size(), 4u);  // the bright spot has travelled over several LEDs
}

TEST(Flows, PadPairFlowLightsBothLedsOfAPair) {
    ModeEngine engine(DeviceKind::MousePad, settingsFor(7, 2, false, 0));
    for (int frame = 0; frame < 6; ++frame) engine.runEffect(0);
    for (std::size_t p = 0; p < 7; ++p) {
        EXPECT_EQ(engine.frame().entry(1 + p).level, engine.frame().entry(14 - p).level) << p;
    }
    // The headset has 13 LEDs: the pair (1, 14) shows only LED 1, and nothing is written past the end.
    ModeEngine headset(DeviceKind::Headset, settingsFor(7, 2, false, 0));
    for (int frame = 0; frame < 6; ++frame) headset.runEffect(0);
    EXPECT_EQ(headset.frame().size(), 13u);
}

TEST(Flows, PadFlowFadesEveryLed) {
    ModeEngine engine(DeviceKind::MousePad, settingsFor(6, 2, true, 1));
    for (int frame = 0; frame < 40; ++frame) engine.runEffect(0);
    int lit = 0;
    for (const LedEntry& e : engine.frame().entries()) lit += e.level > 0;
    EXPECT_GT(lit, 0);
    EXPECT_LT(lit, 15);
}

TEST(ReactiveFade, AButtonLightsEveryLedWhichThenFades) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(6, 2, true));
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(0).level, 0);
    engine.press(1);
    engine.runEffect(0);
    EXPECT_EQ(engine.state().reactive[0], 2);
    EXPECT_EQ(engine.frame().entry(0).level, 254);
    for (int i = 0; i < 17; ++i) engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(0).level, 0);
    EXPECT_EQ(engine.state().reactive[0], 0);
    // Presses in another mode leave the LEDs alone.
    ModeEngine other(DeviceKind::Mouse, settingsFor(3));
    other.press(1);
    EXPECT_EQ(other.state().reactive[0], 0);
}

TEST(PressBitmaps, UnknownButtonChangesNothing) {
    PressBitmaps bitmaps;
    EXPECT_FALSE(pressValue(bitmaps, mouse::kPressGrid, 20));
    EXPECT_TRUE(bitmaps.empty());
    EXPECT_TRUE(pressValue(bitmaps, mouse::kPressGrid, 13));  // place 1 of column 6
    EXPECT_EQ(bitmaps.a[6], 0b010);
    EXPECT_EQ(bitmaps.d[6], 0b010);
}

TEST(PressBitmaps, SpreadMovesOneColumnOutwardsAndOnePlace) {
    PressBitmaps bm;
    bm.a[3] = bm.b[3] = bm.c[3] = bm.d[3] = 0b010;
    spreadPresses(bm, 7);
    EXPECT_EQ(bm.a[2], 0b010);  // A and D towards lower columns
    EXPECT_EQ(bm.a[3], 0b001);  // what stays behind moves down (A, B) or up (C, D)
    EXPECT_EQ(bm.b[4], 0b010);
    EXPECT_EQ(bm.c[3], 0b100);
    EXPECT_EQ(bm.d[2], 0b010);
    PressBitmaps edge;
    edge.b[6] = 1;
    spreadPresses(edge, 7);
    EXPECT_EQ(edge.b[6], 0);  // leaving the last column, the press is gone
}

TEST(MouseMusic, SilenceShowsOnlyTheBackground) {
    for (uint8_t style : {0, 1}) {
        ModeEngine engine(DeviceKind::Mouse, musicSettings(style));
        const std::array<int32_t, 9> silence{};
        engine.deliverAudioLevels(silence);
        engine.runEffect(0);
        for (std::size_t led = 0; led < 6; ++led) {
            const LedEntry e = engine.frame().entry(led);
            if (style == 1)
                EXPECT_EQ(e, (LedEntry{0, 0, 40, 255})) << int{style};
            else
                EXPECT_EQ(e.level, 0) << "column style lit led " << led;
        }
    }
}

TEST(MouseMusic, LoudBandsLightTheBar) {
    ModeEngine engine(DeviceKind::Mouse, musicSettings(1));
    const std::array<int32_t, 9> loud{2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000};
    engine.deliverAudioLevels(loud);
    engine.runEffect(0);
    for (std::size_t led = 0; led < 6; ++led)
        EXPECT_EQ(engine.frame().entry(led), (LedEntry{200, 0, 0, 254}));
    // The levels are taken by one frame: the next, without a delivery, is silence again.
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(0), (LedEntry{0, 0, 40, 255}));
}

TEST(MouseMusic, ScatterLightsPlacesPastTheLevel) {
    ModeEngine engine(DeviceKind::Mouse, musicSettings(3));
    std::array<int32_t, 9> levels{};
    levels.fill(2000);  // n = (0 + 100) × 6 ÷ 600 = 1: places 2-6 light (LEDs 4 to 0)
    engine.deliverAudioLevels(levels);
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(0).level, 254);
    EXPECT_EQ(engine.frame().entry(1).level, 254);
    EXPECT_EQ(engine.frame().entry(5), (LedEntry{0, 0, 40, 255}));
}

TEST(MouseMusic, PulseInputPressesAfterEnoughLoudDeliveries) {
    ModeEngine engine(DeviceKind::Mouse, musicSettings(5));
    std::array<int32_t, 9> loud{};
    loud.fill(2000);  // v = 0 → T = 9 per delivery
    for (int i = 0; i < 7; ++i) engine.deliverAudioLevels(loud);
    EXPECT_TRUE(engine.state().music.bitmaps.empty());
    engine.deliverAudioLevels(loud);  // total 72 ≥ 64
    EXPECT_EQ(engine.state().music.bitmaps.a[0], 0b010);
    EXPECT_EQ(engine.state().music.bitmaps.a[6], 0b010);
    for (int i = 0; i < 3; ++i) engine.runEffect(0);
    int lit = 0;
    for (std::size_t led = 0; led < 6; ++led) lit += engine.state().level[led] >= 10;
    EXPECT_GT(lit, 0);
}

TEST(MouseMusic, NegativeOrHugeLevelsAreSafe) {
    ModeEngine engine(DeviceKind::Mouse, musicSettings(0));
    const std::array<int32_t, 12> hostile{INT32_MIN, INT32_MAX, -1, INT32_MAX, 0,  5,
                                          INT32_MIN, 7,         8,  9,         10, 11};
    engine.deliverAudioLevels(hostile);  // more values than bands, extremes
    EXPECT_EQ(engine.state().music.levels[0], 0);
    EXPECT_EQ(engine.state().music.levels[9], 0);
    engine.runEffect(0);
    EXPECT_LT(engine.state().step, 192);
}

}  // namespace
}  // namespace halvern
