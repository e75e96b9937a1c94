// Invariants of the constant tables and of every device's mode table.
#include "lighting/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "lighting/device_model.h"
#include "lighting/keyboard_layout.h"

namespace halvern {
namespace {

TEST(Tables, ColourWheelSegmentsAndRepeat) {
    using tables::kColourWheel;
    EXPECT_EQ(kColourWheel[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(kColourWheel[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(kColourWheel[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(kColourWheel[70], (Rgb{0, 255, 18}));
    EXPECT_EQ(kColourWheel[127], (Rgb{0, 0, 255}));
    EXPECT_EQ(kColourWheel[191], (Rgb{255, 0, 0}));
    for (int i = 192; i < 256; ++i) EXPECT_EQ(kColourWheel[i], kColourWheel[i - 192]) << i;
}

TEST(Tables, CurvesRiseAndFallSymmetrically) {
    EXPECT_EQ(tables::kBreathing[63], 255);
    EXPECT_EQ(tables::kBreathing[64], 255);
    EXPECT_EQ(tables::kBreathing[127], 0);
    EXPECT_TRUE(std::is_sorted(tables::kBreathing.begin(), tables::kBreathing.begin() + 64));
    EXPECT_EQ(tables::kWave[0], 22);
    EXPECT_EQ(tables::kWave[47], 255);
    EXPECT_EQ(tables::kWave[95], 22);
    for (std::size_t i = 0; i < 48; ++i) EXPECT_EQ(tables::kWave[i], tables::kWave[95 - i]);
    // The spark curve: 24 rising values, the fall from 255, then silence.
    EXPECT_EQ(tables::kSpark[23], 234);
    EXPECT_EQ(tables::kSpark[24], 255);
    EXPECT_EQ(tables::kSpark[87], 1);
    EXPECT_TRUE(
        std::all_of(tables::kSpark.begin() + 88, tables::kSpark.end(), [](uint8_t v) { return v == 0; }));
}

TEST(Tables, ThresholdRowsAndClamping) {
    EXPECT_EQ(tables::threshold(tables::kBaseRow, 0), 8);
    EXPECT_EQ(tables::threshold(tables::kBaseRow, 4), 1);
    EXPECT_EQ(tables::threshold(tables::kBaseRow, 200), 1);  // out-of-range speed is the fastest
    EXPECT_EQ(tables::brightness(9), 255);
    EXPECT_EQ(tables::blinkPeriod(0), 1600);
}

TEST(Tables, EveryModeTableIsComplete) {
    struct Expect {
        DeviceKind kind;
        std::size_t modes;
        std::size_t leds;
    };
    for (const Expect& e : {Expect{DeviceKind::Mouse, 12, 6}, Expect{DeviceKind::Keyboard, 31, 170},
                            Expect{DeviceKind::MousePad, 9, 15}, Expect{DeviceKind::Headset, 9, 13}}) {
        const DeviceModel& model = deviceModel(e.kind);
        EXPECT_EQ(model.modes.size(), e.modes);
        EXPECT_EQ(model.ledCount, e.leds);
        EXPECT_EQ(findDeviceModel(model.name), &model);
        for (std::size_t m = 0; m < model.modes.size(); ++m) {
            const ModeEntry& entry = model.modes[m];
            if (entry.cadence == Cadence::Threshold) {
                EXPECT_NE(entry.effect, nullptr) << model.name << " mode " << m;
                EXPECT_NE(entry.row, nullptr) << model.name << " mode " << m;
            }
        }
        EXPECT_EQ(model.mode(255).cadence, Cadence::Sequence) << model.name;
    }
    EXPECT_EQ(findDeviceModel("toaster"), nullptr);
}

TEST(KeyboardLayout, MatrixHoldsEachKeyOnce) {
    std::set<int> seen;
    for (const auto& column : keyboard::kColumnMatrix) {
        for (uint8_t key : column) {
            if (key == keyboard::kNoKey) continue;
            EXPECT_LT(key, keyboard::kKeyCount);
            EXPECT_TRUE(seen.insert(key).second) << "key " << int{key} << " twice";
            const auto place = keyboard::placeOf(key);
            ASSERT_TRUE(place);
            EXPECT_EQ(keyboard::keyAt(place->column, place->row), key);
        }
    }
    EXPECT_FALSE(keyboard::placeOf(150));
    EXPECT_EQ(keyboard::keyAt(-1, 0), keyboard::kNoKey);
    EXPECT_EQ(keyboard::keyAt(23, 0), keyboard::kNoKey);
}

TEST(KeyboardLayout, SnakeOrderIs107DistinctMatrixKeys) {
    std::set<int> snake(keyboard::kSnakeOrder.begin(), keyboard::kSnakeOrder.end());
    EXPECT_EQ(snake.size(), 107u);
    for (uint8_t key : keyboard::kSnakeOrder) EXPECT_TRUE(keyboard::placeOf(key)) << int{key};
    EXPECT_EQ(keyboard::lookupSnakeKey(51), std::optional<uint8_t>(51));
    EXPECT_FALSE(keyboard::lookupSnakeKey(120));  // the extra column is not on the snake
    EXPECT_FALSE(keyboard::lookupSnakeKey(255));
    EXPECT_FALSE(keyboard::snakeKeyAt(107));
}

TEST(KeyboardLayout, DesignedTablesStayOnTheBoard) {
    std::set<int> picks;
    for (std::size_t i = 0; i < keyboard::kRandomPicks; ++i) {
        EXPECT_LT(keyboard::randomPick(i), keyboard::kSnakeOrder.size());
        picks.insert(keyboard::randomPick(i));
    }
    EXPECT_EQ(picks.size(), keyboard::kRandomPicks);

    std::size_t lit = 0;
    for (const auto& frame : keyboard::ringFrames()) {
        for (uint8_t key : frame) {
            if (key == keyboard::kNoKey) continue;
            EXPECT_TRUE(keyboard::placeOf(key));
            ++lit;
        }
    }
    EXPECT_GT(lit, 52u * 4);  // most frames show a real ring

    for (std::size_t c = 0; c < keyboard::kColumns; ++c) {
        for (std::size_t r = 0; r < keyboard::kGridRows; ++r) {
            EXPECT_LT(keyboard::sparkStartPhase(c, r), 192);
            EXPECT_LT(keyboard::sweepStartPhase(c, r), 192);
        }
    }
    for (std::size_t p = 0; p < keyboard::kDemoPairs; ++p) {
        for (uint8_t key : keyboard::demoPair(p)) EXPECT_TRUE(keyboard::placeOf(key));
    }
    for (std::size_t p = 0; p < keyboard::kFillSequence.size(); ++p) {
        const uint8_t key = keyboard::kFillSequence[p];
        if (key != keyboard::kNoKey) {
            EXPECT_TRUE(keyboard::placeOf(key)) << p;
        }
    }
}

}  // namespace
}  // namespace halvern
