#include "lighting/light_mode_layout.h"

#include <algorithm>
#include <span>

namespace halvern {
namespace {

constexpr DirectionTexts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr DirectionTexts kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr DirectionTexts kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr DirectionTexts kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr DirectionTexts kInsideOut{"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"};

// Extras of a row, as flags.
constexpr uint8_t kSame = 1;           // the same-mode button is offered
constexpr uint8_t kSpeedHidden = 2;    // the speed slider is hidden
constexpr uint8_t kColourAreaOff = 4;  // the whole colour area is disabled
constexpr uint8_t kGameColours = 8;    // the keyboard's game-colour list is shown
constexpr uint8_t kCustomGroups = 16;  // the keyboard's custom group list is shown
constexpr uint8_t kAudioColours = 32;  // the audio mode list is shown and the colour area shows page 1
constexpr uint8_t kSoundColour = 64;   // the sound companion's colour and styles are offered

/// One row of a mode table: the device values it covers, the six areas (multicolour, colour, palette,
/// brightness, speed, direction) as 'E' enabled, 'D' disabled or '-' unchanged, its extras and, when the
/// mode names its directions, their texts.
struct Row {
    std::array<uint8_t, 10> values{};
    size_t valueCount = 0;
    std::string_view areas;
    uint8_t extras = 0;
    const DirectionTexts* direction = nullptr;
};

template <size_t N>
constexpr Row row(const uint8_t (&values)[N], std::string_view areas, uint8_t extras = 0,
                  const DirectionTexts* direction = nullptr) {
    Row r;
    for (size_t i = 0; i < N; ++i) r.values[i] = values[i];
    r.valueCount = N;
    r.areas = areas;
    r.extras = extras;
    r.direction = direction;
    return r;
}

constexpr std::string_view kAllDisabled = "DDDDDD";  // a value no row covers

constexpr std::array kKeyboardRows{
    row({1, 2}, "EEEEE-"),
    row({3, 24}, "EEEEE-", 0, &kClockwise),
    row({4}, "DDDEED", kColourAreaOff | kSame),
    row({5, 23}, "EEEEED", kSame),
    row({6}, "EEEEDD", kSame),
    row({7, 8, 9, 10, 13, 14, 15, 16, 22, 25}, "EEEEED"),
    row({11, 26}, "DDDEED", kColourAreaOff),
    row({12, 21}, "EEEEE-", 0, &kUpDown),
    row({17}, "DDDEED", kSpeedHidden | kGameColours | kColourAreaOff),
    row({18}, "DDDEDE", kColourAreaOff, &kInsideOut),
    row({20}, "DEEEDD", kSpeedHidden | kCustomGroups),
    row({27}, "DDDEED"),
    row({28}, "DDDDDD", kSame),
    row({29}, "EEEED-", kSpeedHidden | kAudioColours | kSoundColour),
    row({30}, "DDDEDD", kColourAreaOff | kSoundColour),
};

constexpr std::array kMouseRows{
    row({0, 5, 9}, "EEEEE-"),
    row({1}, "DDDEED", kSame),
    row({2, 4, 6}, "EEEEED", kSame),
    row({3}, "DEEEDD", kSame),
    row({7, 8}, "DDDEED"),
    row({10}, "DDDDDD", kSame),
    row({11}, "EEEED-", kSpeedHidden | kAudioColours | kSoundColour),
};

constexpr std::array kPadRows{
    row({0}, "EEEEE-"),        row({1}, "DDDEED", kSame), row({2, 4}, "EEEEED", kSame),
    row({3}, "DEEEDD", kSame), row({8}, "DDDDDD", kSame),
};

constexpr std::array kLightOnlyRows{
    row({0, 2, 3}, "EEEEEE"),
    row({1}, "DEEEDE"),
    row({4}, "DDDEE-"),
};

/// A device kind's table: its rows, and the direction texts it sets before looking at the mode.
struct Table {
    int typeCodes[2];
    std::span<const Row> rows;
    const DirectionTexts* direction;
};

const std::array kTables{
    Table{{1, 1}, kKeyboardRows, nullptr},  Table{{2, 2}, kMouseRows, &kDownUp},
    Table{{3, 3}, kPadRows, nullptr},       Table{{4, 7}, kPadRows, nullptr},
    Table{{5, 5}, kLightOnlyRows, nullptr},
};

ControlState stateOf(char c) {
    if (c == 'E') return ControlState::Enabled;
    if (c == 'D') return ControlState::Disabled;
    return ControlState::Unchanged;
}

}  // namespace

LightModeLayoutPlan LightModeLayout(int typeCode, int value) {
    LightModeLayoutPlan plan;
    plan.direction = kRightLeft;
    const auto table = std::ranges::find_if(kTables, [typeCode](const Table& t) {
        return typeCode == t.typeCodes[0] || typeCode == t.typeCodes[1];
    });
    if (table == kTables.end()) return plan;
    plan.effectList = ControlState::Enabled;
    if (table->direction) plan.direction = *table->direction;

    const auto covers = [value](const Row& r) {
        const std::span<const uint8_t> values(r.values.data(), r.valueCount);
        return std::ranges::find(values, value) != values.end();
    };
    const Row* match = nullptr;
    for (const Row& r : table->rows) {
        if (covers(r)) {
            match = &r;
            break;
        }
    }
    const std::string_view areas = match ? match->areas : kAllDisabled;
    for (size_t i = 0; i < kLightAreaCount; ++i) {
        if (const ControlState s = stateOf(areas[i]); s != ControlState::Unchanged) plan.areas[i] = s;
    }
    if (!match) return plan;
    const uint8_t extras = match->extras;
    plan.sameModeOffered = (extras & kSame) != 0;
    plan.speedHidden = (extras & kSpeedHidden) != 0;
    plan.colourAreaEnabled = (extras & kColourAreaOff) == 0;
    plan.gameColourListShown = (extras & kGameColours) != 0;
    plan.customGroupShown = (extras & kCustomGroups) != 0;
    plan.audioModeListShown = (extras & kAudioColours) != 0;
    plan.soundColourShown = (extras & kSoundColour) != 0;
    plan.colourPage = (extras & kAudioColours) != 0 ? 1 : 0;
    if (match->direction) plan.direction = *match->direction;
    return plan;
}

}  // namespace halvern
