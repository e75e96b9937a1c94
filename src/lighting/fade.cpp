#include "lighting/fade.h"

#include <array>

namespace halvern {

namespace {

struct FadeTest {
    uint8_t mask;    // applies when level & mask is non-zero
    uint8_t amount;  // taken off the level
};

/// A fade rule: the mask tests in order, then "above 16" and "above 0".
struct FadeRule {
    std::array<FadeTest, 7> tests;
    uint8_t testCount;
    uint8_t above16;
};

constexpr FadeRule kModeZeroRule{{{{0x80, 40}, {0x40, 30}, {0x20, 15}}}, 3, 8};
constexpr FadeRule kMusicRule{
    {{{0x90, 45}, {0x80, 40}, {0x70, 35}, {0x60, 30}, {0x50, 25}, {0x40, 20}, {0x20, 10}}}, 7, 5};
constexpr FadeRule kOtherRule{{{{0x80, 40}, {0x40, 30}, {0x20, 10}}}, 3, 8};

constexpr const FadeRule& ruleFor(uint8_t mode) {
    if (mode == 0) return kModeZeroRule;
    if (mode == 11 || mode == 29) return kMusicRule;
    return kOtherRule;
}

// The music rule's mask tests also match low levels (0x90 matches 16-31, 0x70 matches 32-34): taking the
// full amount there would wrap the byte round to a bright level, so the subtraction stops at 0.
constexpr uint8_t minus(uint8_t level, uint8_t amount) {
    return level > amount ? static_cast<uint8_t>(level - amount) : uint8_t{0};
}

}  // namespace

uint8_t fadeLevel(uint8_t mode, uint8_t level) {
    const FadeRule& rule = ruleFor(mode);
    for (uint8_t i = 0; i < rule.testCount; ++i) {
        if (level & rule.tests[i].mask) return minus(level, rule.tests[i].amount);
    }
    if (level > 16) return minus(level, rule.above16);
    return level > 0 ? static_cast<uint8_t>(level - 1) : uint8_t{0};
}

}  // namespace halvern
