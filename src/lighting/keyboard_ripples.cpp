#include "lighting/keyboard_common.h"
#include "lighting/keyboard_effects.h"
#include "lighting/press_bitmaps.h"
#include "lighting/tables.h"

namespace halvern::keyboard {

namespace {

constexpr uint8_t kBottomBit = 1u << 6;  // one row below the bottom row
constexpr uint8_t kTopBit = 1u << 0;
constexpr std::size_t kRisingColumn = 9;
constexpr std::size_t kSweepColumn = 1;
constexpr std::size_t kLastColumn = kColumns - 1;
constexpr uint8_t kDemoRippleKey = 52;
constexpr uint8_t kDemoPairSteps = 2 * kDemoPairs - 1;  // out and back
constexpr uint8_t kDemoRippleStep = kDemoGroups + kDemoPairSteps;

void pressAt(PressBitmaps& bm, std::size_t column, uint8_t bit) {
    bm.a[column] |= bit;
    bm.b[column] |= bit;
    bm.c[column] |= bit;
    bm.d[column] |= bit;
}

bool anyColumnEquals(const PressBitmaps& bm, std::size_t column, uint8_t value) {
    return bm.a[column] == value || bm.b[column] == value || bm.c[column] == value || bm.d[column] == value;
}

bool anyColumnHas(const PressBitmaps& bm, std::size_t column, uint8_t bit) {
    return ((bm.a[column] | bm.b[column] | bm.c[column] | bm.d[column]) & bit) != 0;
}

void lightKey(EffectContext& ctx, uint8_t key, uint8_t colourIndex) {
    if (key >= kKeyCount) return;
    ctx.state.level[key] = 255;
    ctx.state.colourIndex[key] = colourIndex;
}

/// One frame of the travelling presses: light and spread them (when `move`), then every key fades.
void rippleFrame(EffectContext& ctx, bool move) {
    if (move) {
        lightPresses(ctx, kPressGrid);
        spreadPresses(ctx.state.music.bitmaps, kColumns);
    }
    fadeAndShowAll(ctx);
}

}  // namespace

void keyPressed(EffectContext& ctx, int key) {
    if (key < 0 || key >= static_cast<int>(kKeyCount)) return;
    const auto k = static_cast<uint8_t>(key);
    switch (ctx.settings.mode) {
        case 7:
        case 25:
            ctx.state.reactive[k] = 1;
            ctx.state.colourIndex[k] = static_cast<uint8_t>(ctx.state.nextRandom() % 192);
            break;
        case 8:
        case 9:
            pressValue(ctx.state.music.bitmaps, kPressGrid, k);
            break;
        default:
            break;
    }
}

void reactiveKeys(EffectContext& ctx) {
    EngineState& s = ctx.state;
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        effects::stepReactive(s, key, 5);
        showKey(ctx, static_cast<uint8_t>(key));
    }
}

void ripples(EffectContext& ctx) {
    lightPresses(ctx, kPressGrid);
    spreadPresses(ctx.state.music.bitmaps, kColumns);
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        ctx.state.level[key] = fadeLevel(ctx.settings.mode, ctx.state.level[key]);
        ctx.state.colourIndex[key] = static_cast<uint8_t>(ctx.state.colourIndex[key] + 7);
        showKey(ctx, static_cast<uint8_t>(key));
    }
}

void clearingRipples(EffectContext& ctx) {
    lightPresses(ctx, kPressGrid);
    spreadAndClearPresses(ctx.state.music.bitmaps, kColumns);
    fadeAndShowAll(ctx);
}

namespace {

/// A ripple that starts itself again: placed at a column and row bit, renewed there when `renew` says so.
struct RenewingRipple {
    std::size_t column;
    uint8_t bit;
    bool (*renew)(const PressBitmaps&);
    bool everySecondFrame;  // moves only on every second frame
};

// Rising: a ripple from below the board's middle, launched again once the last one reached the top row
// (or while it has just been placed).
constexpr RenewingRipple kRising{kRisingColumn, kBottomBit,
                                 [](const PressBitmaps& bm) {
                                     return anyColumnEquals(bm, kRisingColumn, kTopBit) ||
                                            anyColumnEquals(bm, kRisingColumn, kBottomBit);
                                 },
                                 true};

// Sweeping: from the top left, launched again when a press is back there or the trail has left the last
// column at the bottom.
constexpr RenewingRipple kSweeping{kSweepColumn, kTopBit,
                                   [](const PressBitmaps& bm) {
                                       return anyColumnHas(bm, kSweepColumn, kTopBit) ||
                                              anyColumnHas(bm, kLastColumn, kBottomBit);
                                   },
                                   false};

void runRenewing(EffectContext& ctx, const RenewingRipple& ripple) {
    PressBitmaps& bm = ctx.state.music.bitmaps;
    if (ripple.renew(bm)) pressAt(bm, ripple.column, ripple.bit);
    bool move = true;
    if (ripple.everySecondFrame) {
        ctx.state.frameCounter ^= 1;
        move = ctx.state.frameCounter != 0;
    }
    rippleFrame(ctx, move);
}

}  // namespace

void startRisingRipples(EffectContext& ctx) {
    pressAt(ctx.state.music.bitmaps, kRising.column, kRising.bit);
}

void risingRipples(EffectContext& ctx) {
    runRenewing(ctx, kRising);
}

void startSweepingRipples(EffectContext& ctx) {
    pressAt(ctx.state.music.bitmaps, kSweeping.column, kSweeping.bit);
}

void sweepingRipples(EffectContext& ctx) {
    runRenewing(ctx, kSweeping);
}

void demo(EffectContext& ctx) {
    EngineState& s = ctx.state;
    const auto colour = static_cast<uint8_t>((s.step * 9u) % 192);
    if (s.step < kDemoGroups) {
        for (uint8_t key : demoGroup(s.step)) lightKey(ctx, key, colour);
        ++s.step;
    } else if (s.step < kDemoRippleStep) {
        const unsigned p = s.step - kDemoGroups;
        for (uint8_t key : demoPair(p < kDemoPairs ? p : kDemoPairSteps - 1 - p)) lightKey(ctx, key, colour);
        ++s.step;
    } else {
        if (s.step == kDemoRippleStep) {
            s.music.bitmaps.clear();
            pressValue(s.music.bitmaps, kPressGrid, kDemoRippleKey);
            s.step = kDemoRippleStep + 1;
        }
        lightPresses(ctx, kPressGrid);
        spreadPresses(s.music.bitmaps, kColumns);
        if (s.music.bitmaps.empty()) s.step = 0;  // the ripple has left the board: start again
    }
    fadeAndShowAll(ctx);
}

void snakeFill(EffectContext& ctx) {
    EngineState& s = ctx.state;
    s.step = stepPhase(ctx.settings.forward(), kFillLength, s.step, 1);
    if (s.step < kFillSequence.size() && kFillSequence[s.step] != kNoKey) {
        const uint8_t key = kFillSequence[s.step];
        s.level[key] = 254;
        s.colourIndex[key] = static_cast<uint8_t>(s.step % 192);
    }
    fadeAndShowAll(ctx);
}

void rings(EffectContext& ctx) {
    EngineState& s = ctx.state;
    s.step = stepPhase(ctx.settings.forward(), kRingFrames, s.step, 1);
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (s.level[key] != 0)
            s.level[key] = s.level[key] <= 5 ? uint8_t{0} : static_cast<uint8_t>(s.level[key] - 5);
        s.colourIndex[key] =
            s.colourIndex[key] >= 252 ? uint8_t{255} : static_cast<uint8_t>(s.colourIndex[key] + 3);
    }
    for (uint8_t key : ringFrames()[s.step % kRingFrames]) lightKey(ctx, key, 0);
    for (std::size_t key = 0; key < kKeyCount; ++key) {
        if (ctx.settings.isColourful()) {
            ctx.frame.set(key, tables::wheel(s.colourIndex[key]), ctx.settings.brightness());
        } else {
            ctx.frame.set(key, ctx.settings.colour, scaleLevel(s.level[key], ctx.settings.brightness()));
        }
    }
}

}  // namespace halvern::keyboard
