#include "input/event_image.h"

#include <gtest/gtest.h>

namespace halvern {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(EventImage, BlocksLaidOutFromLiteralBytes) {
    const std::vector<std::vector<MacroEvent>> blocks{
        {{true, 4, 10, 300}, {false, 4, 10, 20}},
        {},
        {{true, 1, 1, 0x1234}},
    };
    // clang-format off
    const Bytes expected{
        0xAA, 0x55, 0x2E, 0x00, 0x03, 0x00,                                      // marker, size 46, 3 blocks
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                            // reserved
        0x16, 0x00, 0x22, 0x00, 0x26, 0x00,                                      // offsets 22, 34, 38
        0x02, 0x00, 0x00, 0x00, 0x2C, 0x01, 0x8A, 0x04, 0x14, 0x00, 0x0A, 0x04,  // block 0
        0x00, 0x00, 0x00, 0x00,                                                  // block 1, empty
        0x01, 0x00, 0x00, 0x00, 0x34, 0x12, 0x81, 0x01,                          // block 2
    };
    // clang-format on
    EXPECT_EQ(BuildEventImage(blocks), expected);
    const size_t counts[] = {2, 0, 1};
    EXPECT_EQ(EventImageSize(counts), expected.size());

    const Bytes empty{0xAA, 0x55, 0x10, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(BuildEventImage({}), empty);
}

TEST(EventImage, SizeLimits) {
    EXPECT_EQ(MacroOverflowCount(100, 100), 0);
    EXPECT_EQ(MacroOverflowCount(50, 100), 0);
    EXPECT_EQ(MacroOverflowCount(101, 100), 1);
    EXPECT_EQ(MacroOverflowCount(108, 100), 3);

    // Four recoil blocks of the largest file still fit the 16-bit fields.
    const std::vector<std::vector<MacroEvent>> full(4, std::vector<MacroEvent>(kMaxMacroEvents));
    const Bytes image = BuildEventImage(full);
    ASSERT_EQ(image.size(), 16u + 24u + 4u * 4u * kMaxMacroEvents);
    EXPECT_EQ(image[2] | (image[3] << 8), static_cast<int>(image.size()));
    // One event more than 16 bits can describe is refused, not wrapped.
    const size_t fits = (kEventImageMaxSize - 16 - 6) / 4;
    EXPECT_EQ(BuildEventImage(std::vector<std::vector<MacroEvent>>{std::vector<MacroEvent>(fits)}).size(),
              16 + 6 + 4 * fits);
    EXPECT_TRUE(
        BuildEventImage(std::vector<std::vector<MacroEvent>>{std::vector<MacroEvent>(fits + 1)}).empty());
    const size_t huge[] = {SIZE_MAX / 2, SIZE_MAX / 2};
    EXPECT_GT(EventImageSize(huge), kEventImageMaxSize);
}

}  // namespace
}  // namespace halvern
