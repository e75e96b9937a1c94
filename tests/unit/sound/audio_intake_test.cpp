#include "sound/audio_intake.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/supported_devices.h"

namespace halvern {
namespace {

using Block = std::array<int32_t, AudioIntake::kRawValues>;

std::vector<std::byte> bytesOf(std::span<const int32_t> values) {
    std::vector<std::byte> out;
    for (const int32_t v : values)
        for (int b = 0; b < 4; ++b)
            out.push_back(static_cast<std::byte>(static_cast<uint32_t>(v) >> (8 * b)));
    return out;
}

std::vector<int32_t> feedKeyboard(AudioIntake& intake, const Block& block, int times) {
    std::vector<int32_t> firstBand;
    for (int i = 0; i < times; ++i) {
        const auto d = intake.takeRawBlock(bytesOf(block), type_code::kKeyboard);
        if (d.target == AudioLevelTarget::Keyboard) firstBand.push_back(d.levels[0]);
    }
    return firstBand;
}

// A band's value after every keyboard block: blocks alternate between zero and `group` repeated in each
// group of five, so every band sums the same S; two headset blocks repeating the last block in between
// bring the counter to 3 without changing the difference.
std::vector<int32_t> bandAfterEachBlock(const std::array<int32_t, 5>& group, int blocks) {
    AudioIntake intake;
    Block last{};
    std::vector<int32_t> values;
    for (int n = 0; n < blocks; ++n) {
        for (int h = 0; h < 2; ++h)
            EXPECT_EQ(intake.takeRawBlock(bytesOf(last), type_code::kHeadset).target, AudioLevelTarget::None);
        Block next{};
        if (n % 2 == 0)
            for (std::size_t i = 0; i < next.size(); ++i) next[i] = group[i % 5];
        const auto d = intake.takeRawBlock(bytesOf(next), type_code::kKeyboard);
        EXPECT_EQ(d.target, AudioLevelTarget::Keyboard);
        if (d.target == AudioLevelTarget::Keyboard) values.push_back(d.levels[n % 25]);
        last = next;
    }
    return values;
}

TEST(AudioIntake, BandsSettleJustBelowAThirdOfAConstantSum) {
    EXPECT_EQ(bandAfterEachBlock({3, 3, 3, 3, 0}, 4), (std::vector<int32_t>{3, 3, 3, 3}));  // S = 12
    // S = 30; the fifth position takes no part even when it changes.
    EXPECT_EQ(bandAfterEachBlock({10, -10, 5, 5, 1000}, 4), (std::vector<int32_t>{7, 9, 9, 9}));
}

TEST(AudioIntake, ConstantBlockDecaysToAQuarterEachBlock) {
    AudioIntake intake;
    Block loud{};
    loud.fill(1000);
    const auto first = feedKeyboard(intake, loud, 3);  // 1000 at the first block only: 1000, 250, 62
    ASSERT_EQ(first, (std::vector<int32_t>{62}));
    EXPECT_EQ(feedKeyboard(intake, loud, 3), (std::vector<int32_t>{0}));  // 15, 3, 0
}

TEST(AudioIntake, MouseTakesPositionsBelowFiftyAndHidesBandZero) {
    AudioIntake intake;
    Block b{};
    for (std::size_t i = 0; i < 50; ++i) b[i] = static_cast<int32_t>(i / 5 + 1) * 400;
    for (std::size_t i = 50; i < b.size(); ++i) b[i] = 1'000'000;
    AudioLevelDelivery d;
    for (int n = 0; n < 3; ++n) d = intake.takeRawBlock(bytesOf(b), type_code::kMouse);
    ASSERT_EQ(d.target, AudioLevelTarget::Mouse);
    ASSERT_EQ(d.levels.size(), 9U);
    // Only the first block differs from the zero start: band k sums 4 * 400 (k + 1), then two quarterings.
    for (std::size_t k = 1; k <= 9; ++k)
        EXPECT_EQ(d.levels[k - 1], static_cast<int32_t>(400 * (k + 1)) / 16) << k;
}

TEST(AudioIntake, PadOrHeadsetOnlyCountsSoTheNextDeviceIsServedAtOnce) {
    AudioIntake intake;
    Block b{};
    b.fill(8);
    for (const uint16_t code : {type_code::kMousePad, type_code::kHeadset, uint16_t{0}})
        EXPECT_EQ(intake.takeRawBlock(bytesOf(b), code).target, AudioLevelTarget::None);
    EXPECT_EQ(intake.blockCounter(), 3);
    Block c{};
    c.fill(9);
    const auto d = intake.takeRawBlock(bytesOf(c), type_code::kKeyboard);
    ASSERT_EQ(d.target, AudioLevelTarget::Keyboard);
    EXPECT_EQ(d.levels[0], 1);  // the previous block was kept up to date: differences of 1 only
    EXPECT_EQ(intake.blockCounter(), 0);
}

TEST(AudioIntake, RefusesOversizedAndEmptyMessagesAndSaturatesWildLevels) {
    AudioIntake intake;
    std::vector<std::byte> tooLong(AudioIntake::kRawBytes + 1, std::byte{0x7f});
    EXPECT_EQ(intake.takeRawBlock(tooLong, type_code::kKeyboard).target, AudioLevelTarget::None);
    EXPECT_EQ(intake.takeRawBlock({}, type_code::kKeyboard).target, AudioLevelTarget::None);
    EXPECT_EQ(intake.blockCounter(), 0);
    EXPECT_TRUE(intake.takeSixValueBlock(std::vector<std::byte>(AudioIntake::kSixBytes + 4)).empty());

    const std::array<int32_t, 2> six{0x01020304, -1};
    const auto values = intake.takeSixValueBlock(bytesOf(six));
    ASSERT_EQ(values.size(), 6U);
    EXPECT_EQ(values[0], 0x01020304);
    EXPECT_EQ(values[1], -1);

    Block wild{};
    for (std::size_t i = 0; i < wild.size(); ++i) wild[i] = i % 2 ? INT32_MIN : INT32_MAX;
    Block wildFlipped{};
    for (std::size_t i = 0; i < wild.size(); ++i) wildFlipped[i] = i % 2 ? INT32_MAX : INT32_MIN;
    AudioLevelDelivery d;
    for (int n = 0; n < 3; ++n)
        d = intake.takeRawBlock(bytesOf(n % 2 ? wildFlipped : wild), type_code::kKeyboard);
    ASSERT_EQ(d.target, AudioLevelTarget::Keyboard);
    for (const int32_t v : d.levels) EXPECT_GE(v, 0);
}

}  // namespace
}  // namespace halvern
