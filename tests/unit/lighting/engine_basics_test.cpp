// The building blocks every effect uses: the step function, the frame, fading and press flags.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "lighting/engine_state.h"
#include "lighting/fade.h"
#include "lighting/led_frame.h"
#include "lighting/press_flags.h"
#include "lighting/step.h"

namespace halvern {
namespace {

TEST(StepFunction, WrapsAtThePeriodBothWays) {
    EXPECT_EQ(stepPhase(true, 128, 127, 1), 0);
    EXPECT_EQ(stepPhase(false, 128, 0, 1), 127);
    EXPECT_EQ(stepPhase(false, 96, 1, 3), 93);
    EXPECT_EQ(stepPhase(true, 192, 100, 8), 108);
    EXPECT_EQ(stepPhase(true, 96, 200, 1), 0);  // a value left over from a longer period
}

TEST(LedFrame, PackedWordsAndOutOfRangeIndices) {
    LedFrame frame(6);
    frame.setWord(2, 0x80FF4020);
    EXPECT_EQ(frame.entry(2), (LedEntry{0x20, 0x40, 0xFF, 0x80}));
    EXPECT_EQ(frame.word(2), 0x80FF4020u);
    EXPECT_EQ(frame.shown(2), (Rgb{0x10, 0x20, 0x7F}));
    frame.setWord(6, 0xFFFFFFFF);
    frame.set(1000, {1, 2, 3}, 4);
    EXPECT_EQ(frame.word(6), 0u);
    EXPECT_EQ(frame.word(SIZE_MAX), 0u);
    EXPECT_EQ(frame.size(), 6u);
    EXPECT_EQ(LedFrame(100000).size(), kMaxLeds);
}

TEST(LedFrame, ShownBytesForStreaming) {
    LedFrame frame(6);
    frame.fill({200, 100, 50}, 128);
    std::array<uint8_t, 512> buffer{};
    EXPECT_EQ(frame.writeShownBytes(buffer), 18u);
    EXPECT_EQ(buffer[0], 100);
    EXPECT_EQ(buffer[17], 25);
    EXPECT_EQ(buffer[18], 0);
    std::array<uint8_t, 7> small{};
    EXPECT_EQ(frame.writeShownBytes(small), 6u);  // whole LEDs only
}

std::vector<int> fadeSequence(uint8_t mode, uint8_t from) {
    std::vector<int> seen;
    for (uint8_t level = from; level != 0;) {
        level = fadeLevel(mode, level);
        seen.push_back(level);
    }
    return seen;
}

TEST(Fade, MusicRuleSequenceFromFullLevel) {
    EXPECT_EQ(fadeSequence(11, 255), (std::vector<int>{210, 165, 120, 75, 40, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(fadeSequence(29, 255), fadeSequence(11, 255));
}

TEST(Fade, ModeZeroAndOtherRules) {
    EXPECT_EQ(fadeSequence(0, 255),
              (std::vector<int>{215, 175, 135, 95, 65, 35, 20, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(fadeLevel(5, 40), 30);  // 0x20 takes 10 outside mode 0
    EXPECT_EQ(fadeLevel(0, 40), 25);
}

TEST(Fade, NeverBrightensAnyLevelInAnyRule) {
    // The music rule's masks also match levels below their amount (20 & 0x90, 33 & 0x70): the level
    // must stop at 0 instead of wrapping round to a bright value.
    EXPECT_EQ(fadeLevel(11, 20), 0);
    EXPECT_EQ(fadeLevel(11, 33), 0);
    for (uint8_t mode : {0, 11, 29, 7}) {
        for (int level = 1; level < 256; ++level) {
            EXPECT_LT(fadeLevel(mode, static_cast<uint8_t>(level)), level) << "mode " << int{mode};
        }
        EXPECT_EQ(fadeLevel(mode, 0), 0);
    }
}

TEST(PressFlags, StartShiftClear) {
    EngineState s;
    s.pressFlags[0] = 1;
    s.pressFlags[10] = 1;
    startPresses(s, 9);
    EXPECT_EQ(s.level[0], 255);
    EXPECT_EQ(s.level[10], 0);  // only the first 9 flags start presses
    shiftPresses(s, 23, true);
    EXPECT_EQ(s.pressFlags[1], 1);
    EXPECT_EQ(s.pressFlags[11], 1);
    EXPECT_EQ(s.pressFlags[0], 0);
    shiftPresses(s, 23, false);
    shiftPresses(s, 23, false);
    EXPECT_EQ(s.pressFlags[22], 1);  // flag 0 wraps to the last
    shiftPresses(s, 500, true);      // a count past the flags is held to them
    EXPECT_EQ(s.pressFlags[0], 1);
    clearPresses(s);
    EXPECT_EQ(s.pressFlags, (std::array<uint8_t, kPressFlagCount>{}));
}

}  // namespace
}  // namespace halvern
