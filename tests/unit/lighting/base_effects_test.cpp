// The effects every device shares, the per-LED light list and the custom sequence.
#include "lighting/base_effects.h"

#include <gtest/gtest.h>

#include <vector>

#include "lighting/tables.h"
#include "test_support.h"

namespace halvern {
namespace {

using test::ModeEngine;
using test::settingsFor;

constexpr uint8_t kMouseBreathing = 2;
constexpr uint8_t kMouseBlink = 4;
constexpr uint8_t kMouseFourColourBreathing = 7;
constexpr uint8_t kMouseStatic = 3;
constexpr uint8_t kMouseAllOff = 10;

TEST(BaseEffects, ColourfulBreathingWalksTheColourStep) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(kMouseBreathing, 2, true, 1));
    std::vector<int> walk{engine.state().colourStep};
    for (int breath = 0; breath < 14; ++breath) {
        for (int i = 0; i < 128; ++i) engine.runEffect(0);
        walk.push_back(engine.state().colourStep);
    }
    EXPECT_EQ(walk, (std::vector<int>{0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 0, 16}));
    // Entry 192 of the wheel is entry 0 again.
    EXPECT_EQ(tables::wheel(192), tables::wheel(0));
}

TEST(BaseEffects, BreathingRisesAndFalls) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(kMouseBreathing, 2, false, 1));
    int peak = 0;
    int last = -1;
    bool rose = false;
    bool fell = false;
    for (int i = 0; i < 128; ++i) {
        engine.runEffect(0);
        const int level = engine.frame().entry(0).level;
        rose |= level > last && last >= 0;
        fell |= level < last;
        peak = std::max(peak, level);
        last = level;
    }
    EXPECT_TRUE(rose);
    EXPECT_TRUE(fell);
    EXPECT_EQ(peak, 254);  // 255 × brightness 255 ÷ 256
    EXPECT_EQ(engine.frame().colour(5), (Rgb{10, 20, 30}));
}

TEST(BaseEffects, FourColourEffectsSurviveACounterLeftByAnotherEffect) {
    // Colour breathing leaves colour step 176; four-colour breathing must not index past its 4 colours.
    ModeEngine engine(DeviceKind::Mouse, settingsFor(kMouseBreathing, 2, true, 1));
    engine.state().colourStep = 176;
    engine.state().step = 127;
    engine.applySettings(settingsFor(kMouseFourColourBreathing, 2, false, 1));
    engine.runEffect(0);
    EXPECT_EQ(engine.state().colourStep, 0);
    EXPECT_EQ(engine.frame().colour(0), tables::kFourColours[0]);
}

TEST(BaseEffects, BlinkTogglesOnItsPeriod) {
    ModeEngine engine(DeviceKind::Mouse, settingsFor(kMouseBlink, 2));  // base row 4 → 800 ms
    engine.runEffect(800);
    EXPECT_EQ(engine.frame().entry(0).level, 255);
    engine.runEffect(1599);
    EXPECT_EQ(engine.frame().entry(0).level, 255);
    engine.runEffect(1600);
    EXPECT_EQ(engine.frame().entry(0), LedEntry{});
    engine.runEffect(2400);
    EXPECT_EQ(engine.frame().colour(3), (Rgb{10, 20, 30}));
}

TEST(BaseEffects, StaticAndAllOff) {
    ModeEngine engine(DeviceKind::MousePad, settingsFor(kMouseStatic));
    engine.runEffect(0);
    for (const LedEntry& e : engine.frame().entries()) EXPECT_EQ(e, (LedEntry{10, 20, 30, 255}));
    ModeEngine mouse(DeviceKind::Mouse, settingsFor(kMouseAllOff));
    mouse.runEffect(0);
    for (const LedEntry& e : mouse.frame().entries()) EXPECT_EQ(e, LedEntry{});
}

TEST(LedLightList, EntriesDrawOverTheEffectAndAbsentOnesDoNot) {
    LedLightList list;
    std::vector<LedLightEntry> entries(3);
    entries[0] = {1, 4, 2, 0, 0, {1, 2, 3}, true};   // static
    entries[1] = {1, 4, 2, 0, 0, {9, 9, 9}, false};  // absent
    entries[2] = {4, 4, 2, 0, 0, {}, true};          // off
    list.replace(entries);
    LedFrame frame(15);
    frame.fill({7, 7, 7}, 100);
    list.applyPass(frame, 0);
    EXPECT_EQ(frame.entry(0), (LedEntry{1, 2, 3, 255}));
    EXPECT_EQ(frame.entry(1), (LedEntry{7, 7, 7, 100}));
    EXPECT_EQ(frame.entry(2), LedEntry{});
}

TEST(LedLightList, BreathingBlinkAndSpectrumAdvance) {
    LedLightList list;
    std::vector<LedLightEntry> entries(3);
    entries[0] = {0, 4, 0, 0, 0, {0, 0, 255}, true};  // breathing, phase += 4 per pass
    entries[1] = {2, 4, 0, 0, 1, {}, true};           // blink, 1600 ms at speed 0
    entries[2] = {3, 4, 4, 0, 1, {}, true};           // spectrum, colour every pass at speed 4
    list.replace(entries);
    LedFrame frame(15);
    list.applyPass(frame, 1600);
    EXPECT_EQ(frame.entry(0).level, tables::kBreathing[4] * 255 / 256);
    EXPECT_EQ(frame.colour(1), tables::wheel(14));
    EXPECT_EQ(frame.colour(2), tables::wheel(1));
    for (int pass = 0; pass < 31; ++pass) list.applyPass(frame, 1601 + pass);
    EXPECT_EQ(frame.entry(0).level, 0);  // phase reached 128 and restarted
    EXPECT_EQ(frame.colour(0), (Rgb{0, 0, 255}));
    EXPECT_EQ(frame.entry(1).level, 255);  // still on until 3200
    list.applyPass(frame, 3200);
    EXPECT_EQ(frame.entry(1), LedEntry{});
}

TEST(CustomSequence, EmptyListTurnsEveryLedOff) {
    ModeEngine engine(DeviceKind::Keyboard, settingsFor(0));
    engine.frame().fill({1, 1, 1}, 1);
    engine.runEffect(5);
    for (const LedEntry& e : engine.frame().entries()) EXPECT_EQ(e, LedEntry{});
}

TEST(CustomSequence, StepsPlayForTheirDurationInTurn) {
    CustomSequence sequence;
    sequence.replace(
        {SequenceStep{1, 4, 2, 0, 0, {255, 0, 0}, 100}, SequenceStep{1, 4, 2, 0, 0, {0, 255, 0}, 50}});
    LedFrame frame(6);
    sequence.pass(frame, 1000, 2, true);
    EXPECT_EQ(frame.colour(0), (Rgb{255, 0, 0}));
    sequence.pass(frame, 1100, 2, true);  // not yet more than 100 ms
    sequence.pass(frame, 1101, 2, true);  // the step ends after this pass
    EXPECT_EQ(frame.colour(0), (Rgb{255, 0, 0}));
    sequence.pass(frame, 1102, 2, true);
    EXPECT_EQ(frame.colour(0), (Rgb{0, 255, 0}));
    sequence.pass(frame, 1153, 2, true);
    sequence.pass(frame, 1154, 2, true);
    EXPECT_EQ(frame.colour(0), (Rgb{255, 0, 0}));  // back to the first step
}

TEST(CustomSequence, ACounterCarriedOverFromAnotherStepAdvancesAtOnce) {
    CustomSequence sequence;
    // A step that only counts (type 3) leaves the shared pass counter at 100; the spectrum step after it
    // (threshold 2) moves on its first pass instead of waiting for the counter to wrap.
    sequence.replace({SequenceStep{3, 4, 2, 0, 0, {}, 99}, SequenceStep{5, 4, 4, 0, 0, {}, 60000}});
    LedFrame frame(6);
    for (Millis t = 1; t <= 101; ++t) sequence.pass(frame, t, 2, true);
    sequence.pass(frame, 102, 2, true);
    EXPECT_EQ(frame.colour(0), tables::wheel(1));
}

TEST(CustomSequence, WaveAndSpectrumAdvanceAtTheirThresholds) {
    CustomSequence sequence;
    // Spectrum at speed 4: row 20, 12, 8, 5, 2 → one wheel place every 2 passes.
    sequence.replace({SequenceStep{5, 4, 4, 0, 0, {}, 60000}});
    LedFrame frame(6);
    sequence.pass(frame, 1, 0, true);
    EXPECT_EQ(frame.colour(0), tables::wheel(0));
    sequence.pass(frame, 2, 0, true);
    EXPECT_EQ(frame.colour(0), tables::wheel(1));
    // Wave, not colourful: LED i at the wave curve, 12 places apart.
    sequence.replace({SequenceStep{4, 4, 4, 0, 0, {0, 0, 200}, 60000}});
    sequence.pass(frame, 3, 0, true);  // the phase counters carry over: phase 2, start index 3
    EXPECT_EQ(frame.entry(0).level, tables::kWave[3 + 12] * 255 / 256);
    EXPECT_EQ(frame.entry(1).level, tables::kWave[3 + 24] * 255 / 256);
}

}  // namespace
}  // namespace halvern
