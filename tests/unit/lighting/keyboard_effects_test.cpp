// The keyboard's own effects: geometry-driven waves, ripples, sparks and the music styles.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "lighting/keyboard_layout.h"
#include "lighting/tables.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::ModeEngine;
using test::settingsFor;

std::set<std::size_t> changedKeys(const LedFrame& before, const LedFrame& after) {
    std::set<std::size_t> keys;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (before.entry(i) != after.entry(i)) keys.insert(i);
    }
    return keys;
}

bool onSnake(std::size_t key) {
    return keyboard::lookupSnakeKey(static_cast<uint8_t>(key)).has_value();
}

TEST(KeyboardWaves, ColumnWaveGivesEachColumnItsPhase) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(1, 2, true, 1));
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().colour(21), tables::wheel(2 + 7));     // column 1
    EXPECT_EQ(engine.frame().colour(131), tables::wheel(2 + 154));  // column 22
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().colour(21), tables::wheel(3 + 7));
}

TEST(KeyboardWaves, OnlySnakeKeysTakePartInSnakeWaveSparksAndSparkle) {
    for (uint8_t mode : {3, 10, 15, 22}) {
        ModeEngine engine(DeviceKind::Keyboard, settingsFor(mode, 2, true, 1));
        const LedFrame blank = engine.frame();
        for (int i = 0; i < 30; ++i) engine.runEffect(0);
        const auto keys = changedKeys(blank, engine.frame());
        EXPECT_FALSE(keys.empty()) << int{mode};
        for (std::size_t key : keys) EXPECT_TRUE(onSnake(key)) << "mode " << int{mode} << " key " << key;
    }
}

TEST(KeyboardSparks, PhasesStayOnTheSparkCurve) {
    // Mode 15 steps by 2 from scattered (odd) start phases: a phase must restart instead of running
    // past the 192-entry curve.
    for (uint8_t mode : {15, 22}) {
        ModeEngine engine(DeviceKind::Keyboard, settingsFor(mode));
        for (int i = 0; i < 400; ++i) {
            engine.runEffect(0);
            for (uint8_t key : keyboard::kSnakeOrder) ASSERT_LT(engine.state().phase[key], 192) << int{mode};
        }
    }
}

TEST(KeyboardWaves, FixedColourFollowsZzccChoice) {
    LightSettings s = settingsFor(17);
    s.zzccLedMode = 2;
    ModeEngine engine(DeviceKind::Keyboard, s);
    engine.runEffect(0);
    for (const LedEntry& e : engine.frame().entries()) {
        EXPECT_EQ((Rgb{e.red, e.green, e.blue}), tables::wheel(70));
        EXPECT_EQ(e.level, 255);
    }
    s.zzccLedMode = 9;
    engine.applySettings(s);
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().colour(0), tables::wheel(174));
}

TEST(KeyboardWaves, ColourDriftStartsSpreadAndAdvances) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(11));
    EXPECT_EQ(engine.state().colourIndex[1], 33);
    EXPECT_EQ(engine.state().colourIndex[6], (6 * 33) % 192);
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().colour(1), tables::wheel(34));
}

TEST(KeyboardWaves, ExternalColourAndCustomColours) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(30));
    const std::array<int32_t, 6> external{0x112, 0x34, 0x56, 7, 8, 9};
    engine.deliverExternalColour(external);
    engine.runEffect(0);
    EXPECT_EQ(engine.frame().entry(100), (LedEntry{0x12, 0x34, 0x56, 255}));

    ModeEngine custom(DeviceKind::Keyboard, settingsFor(20));
    std::array<Rgb, 3> colours{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
    custom.setCustomColours(colours);
    custom.runEffect(0);
    EXPECT_EQ(custom.frame().entry(2), (LedEntry{7, 8, 9, 255}));
    EXPECT_EQ(custom.frame().entry(3), (LedEntry{0, 0, 0, 255}));
}

TEST(KeyboardRipples, KeyPressRippleSpreadsAcrossColumns) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(8));
    engine.press(52);   // column 11, row 2
    engine.press(500);  // not a key: ignored
    engine.runEffect(0);
    EXPECT_GT(engine.state().level[52], 200);
    for (int i = 0; i < 4; ++i) engine.runEffect(0);
    // Four columns out on both sides the front of the ripple is on the key's row.
    EXPECT_GT(engine.state().level[keyboard::keyAt(7, 2)], 200);
    EXPECT_GT(engine.state().level[keyboard::keyAt(15, 2)], 200);
    EXPECT_EQ(engine.state().level[keyboard::keyAt(5, 2)], 0);
}

TEST(KeyboardRipples, SpreadAndClearLeavesNothingBehind) {
    PressBitmaps bm;
    bm.a[5] = bm.b[5] = bm.c[5] = bm.d[5] = 0b100;
    spreadAndClearPresses(bm, 23);
    EXPECT_EQ(bm.a, (std::array<uint8_t, kMaxColumns>{}));
    EXPECT_EQ(bm.c, (std::array<uint8_t, kMaxColumns>{}));
    EXPECT_EQ(bm.b[6], 0b100);
    EXPECT_EQ(bm.b[5], 0);
    EXPECT_EQ(bm.d[4], 0b100);
    EXPECT_EQ(bm.d[5], 0);
}

TEST(KeyboardRipples, RisingRipplesKeepComing) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(13));
    EXPECT_EQ(engine.state().music.bitmaps.a[9], 1 << 6);
    int renewals = 0;
    for (int i = 0; i < 100; ++i) {
        engine.runEffect(0);
        renewals += (engine.state().music.bitmaps.a[9] & (1 << 6)) != 0;
    }
    EXPECT_GT(renewals, 2);
    EXPECT_GT(engine.frame().entry(52).level + engine.frame().entry(73).level, 0);
}

TEST(KeyboardRipples, DemoRunsItsScriptAndStartsAgain) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(14));
    bool rippled = false;
    bool restarted = false;
    for (int i = 0; i < 200 && !restarted; ++i) {
        engine.runEffect(0);
        rippled |= engine.state().step > 51;
        restarted = rippled && engine.state().step == 0;
    }
    EXPECT_TRUE(restarted);
}

TEST(KeyboardRipples, RingsTravelAcrossTheBoard) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(24, 2, false, 1));
    for (int i = 0; i < 10; ++i) engine.runEffect(0);
    const auto left = keyboard::placeOf(static_cast<uint8_t>(keyboard::ringFrames()[engine.state().step][0]));
    for (int i = 0; i < 25; ++i) engine.runEffect(0);
    const auto right =
        keyboard::placeOf(static_cast<uint8_t>(keyboard::ringFrames()[engine.state().step][0]));
    ASSERT_TRUE(left && right);
    EXPECT_GT(right->column, left->column);
}

TEST(KeyboardRipples, SnakeFillWalksTheFillSequence) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(21, 2, false, 1));
    for (int i = 0; i < 3; ++i) engine.runEffect(0);
    EXPECT_GT(engine.state().level[keyboard::kFillSequence[1]], 0);
    EXPECT_GT(engine.state().level[keyboard::kFillSequence[3]],
              engine.state().level[keyboard::kFillSequence[1]]);
    for (int i = 0; i < 200; ++i) engine.runEffect(0);  // past the empty positions and round again
    EXPECT_LT(engine.state().step, 170);
}

LightSettings keyboardMusic(uint8_t style) {
    LightSettings s = settingsFor(29);
    s.music = MusicSettings::make(style, {0, 0, 40}, {200, 0, 0}, false);
    return s;
}

TEST(KeyboardMusic, SilenceLightsNothingInAnyBarStyle) {
    const std::array<int32_t, 25> silence{};
    for (uint8_t style : {0, 1, 3, 4, 5, 6}) {
        ModeEngine engine(DeviceKind::Keyboard, keyboardMusic(style));
        for (int i = 0; i < 3; ++i) {
            engine.deliverAudioLevels(silence);
            engine.runEffect(0);
        }
        for (std::size_t key = 0; key < 170; ++key) {
            EXPECT_LT(engine.state().level[key], 10) << "style " << int{style} << " key " << key;
        }
    }
}

TEST(KeyboardMusic, LoudBandsLightBars) {
    std::array<int32_t, 25> loud{};
    loud.fill(2000);
    for (uint8_t style : {0, 1, 5, 6}) {
        ModeEngine engine(DeviceKind::Keyboard, keyboardMusic(style));
        engine.deliverAudioLevels(loud);
        engine.runEffect(0);
        int lit = 0;
        for (std::size_t key = 0; key < 170; ++key) lit += engine.state().level[key] == 255;
        EXPECT_GT(lit, 20) << "style " << int{style};
    }
}

TEST(KeyboardMusic, PulseStylePressesKey51) {
    ModeEngine engine(DeviceKind::Keyboard, keyboardMusic(2));
    std::array<int32_t, 25> loud{};
    loud.fill(2000);  // T = 25 per delivery: the third reaches 71
    engine.deliverAudioLevels(loud);
    engine.deliverAudioLevels(loud);
    EXPECT_TRUE(engine.state().music.bitmaps.empty());
    engine.deliverAudioLevels(loud);
    EXPECT_EQ(engine.state().music.bitmaps.a[10], 1 << 2);
    engine.runEffect(0);
    EXPECT_EQ(engine.state().level[51], 210);  // lit, then faded once
}

TEST(KeyboardMusic, StyleAboveSixDoesNothing) {
    ModeEngine engine(DeviceKind::Keyboard, keyboardMusic(7));
    const LedFrame before = engine.frame();
    engine.runEffect(0);
    EXPECT_EQ(engine.frame(), before);
}

}  // namespace
}  // namespace halvern
