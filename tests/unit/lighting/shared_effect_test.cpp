#include "lighting/shared_effect.h"

#include <gtest/gtest.h>

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern {
namespace {

TEST(SharedEffectModes, MapBetweenKindsAndRefuseModesWithoutEquivalent) {
    EXPECT_EQ(SharedEffectOfMode(1, 23), SharedEffect::Blink);
    EXPECT_EQ(ModeOfSharedEffect(2, SharedEffect::Blink), 4);
    EXPECT_EQ(ModeOfSharedEffect(3, SharedEffect::Blink), 4);
    EXPECT_EQ(SharedEffectOfMode(1, 6), SharedEffect::Static);
    EXPECT_EQ(ModeOfSharedEffect(7, SharedEffect::Static), 3);
    EXPECT_EQ(ModeOfSharedEffect(1, SharedEffect::Off), 28);
    EXPECT_EQ(ModeOfSharedEffect(3, SharedEffect::Off), 8);
    EXPECT_FALSE(SharedEffectOfMode(2, 5));
    EXPECT_FALSE(SharedEffectOfMode(5, 1));
    EXPECT_FALSE(ModeOfSharedEffect(6, SharedEffect::Static));  // receiver codes are looked up as cable twins
}

/// The animation as a loop that wakes every millisecond: a tick whenever the clock moved on by more than
/// one millisecond since the last counted tick, a step when the ticks reach the speed's threshold.
struct MillisecondLoop {
    SharedEffectSettings s;
    Millis last = 0;
    int ticks = 0;
    uint8_t breathing = 0, colourIndex = 0, spectrum = 0, blinkColour = 0;
    bool blinkOn = false;
    Millis blinkTime = 0;
    Rgb colour{};
    uint8_t level = 0;

    void pass(Millis now) {
        if (now - last > 1) {
            last = now;
            ++ticks;
        }
        const int threshold = tables::threshold(tables::kBaseRow, s.speed);
        if (ticks < threshold) return;
        ticks = 0;
        const uint8_t bright = tables::brightness(s.brightness);
        switch (s.effect) {
            case SharedEffect::Breathing:
                breathing = stepPhase(s.direction != 0, 128, breathing, 1);
                if (breathing < 2) colourIndex = stepPhase(true, 192, colourIndex, 16);
                colour = s.colourful ? tables::wheel(colourIndex) : s.colour;
                level = static_cast<uint8_t>(bright * tables::kBreathing[breathing] / 256);
                break;
            case SharedEffect::Static:
                colour = s.colour, level = bright;
                break;
            case SharedEffect::Blink:
                if (now - blinkTime >= Millis{threshold} * 200) {
                    blinkOn = !blinkOn;
                    blinkTime = now;
                    blinkColour = static_cast<uint8_t>(blinkColour + 14 >= 192 ? 0 : blinkColour + 14);
                }
                colour = blinkOn ? (s.colourful ? tables::wheel(blinkColour) : s.colour) : Rgb{};
                level = blinkOn ? bright : 0;
                break;
            case SharedEffect::Spectrum:
                spectrum = stepPhase(true, 192, spectrum, 1);
                colour = tables::wheel(spectrum), level = bright;
                break;
            case SharedEffect::Off:
                colour = {}, level = 0;
                break;
        }
    }
    [[nodiscard]] uint32_t packed() const {
        return uint32_t{colour.red} | uint32_t{colour.green} << 8 | uint32_t{colour.blue} << 16 |
               uint32_t{level} << 24;
    }
};

// Every millisecond of six seconds, each effect at three speeds, with and without colour wheel and in both
// directions: the scheduled animation shows exactly what the millisecond loop shows, and wakes only for
// steps that change something.
TEST(SharedAnimation, MatchesTheMillisecondLoopFrameByFrame) {
    constexpr Millis kStart = 10'000;
    for (const SharedEffect effect : {SharedEffect::Breathing, SharedEffect::Static, SharedEffect::Blink,
                                      SharedEffect::Spectrum, SharedEffect::Off}) {
        for (const uint8_t speed : {0, 2, 4, 9}) {
            for (const bool colourful : {false, true}) {
                const SharedEffectSettings s{
                    effect, 3, speed, static_cast<uint8_t>(colourful), colourful, Rgb{10, 200, 30}};
                MillisecondLoop reference{.s = s, .last = kStart};
                SharedAnimation animation;
                animation.start(s, kStart);
                int wakes = 0;
                for (Millis now = kStart + 1; now <= kStart + 6000; ++now) {
                    reference.pass(now);
                    if (animation.nextStep() <= now) {
                        ++wakes;
                        animation.advance(now);
                    }
                    ASSERT_EQ(animation.packed(), reference.packed())
                        << "effect " << int(effect) << " speed " << int{speed} << " at +" << now - kStart;
                }
                if (effect == SharedEffect::Static || effect == SharedEffect::Off) {
                    EXPECT_EQ(wakes, 1);
                } else if (effect == SharedEffect::Blink) {
                    EXPECT_LT(wakes, 40);  // a toggle every 200-1600 ms, not a wake per step
                }
            }
        }
    }
}

TEST(SharedAnimation, CatchesUpAfterALateWakeAndStopsWaking) {
    const SharedEffectSettings s{SharedEffect::Spectrum, 4, 4, 0, false, {}};
    SharedAnimation late;
    SharedAnimation onTime;
    late.start(s, 0);
    onTime.start(s, 0);
    for (Millis now = 1; now <= 50; ++now) onTime.advance(now);
    late.advance(50);  // one wake for 25 steps
    EXPECT_EQ(late.packed(), onTime.packed());
    late.stop();
    EXPECT_EQ(late.nextStep(), SharedAnimation::kNever);
}

}  // namespace
}  // namespace halvern
