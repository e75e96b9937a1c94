#include "input/macro_recorder.h"

#include <gtest/gtest.h>

namespace halvern {
namespace {

constexpr ScanCode kA{0x1E, false}, kB{0x30, false}, kCaps{0x3A, false}, kRCtrl{0x1D, true};

InputEvent key(ScanCode code, bool down, uint32_t ms) {
    return {InputEvent::Kind::Key, down, code, 0, 0, 0, ms};
}
InputEvent button(uint8_t bit, bool down, uint32_t ms) {
    return {InputEvent::Kind::Button, down, {}, bit, 0, 0, ms};
}
MacroEvent row(bool down, uint8_t code, uint8_t type, uint16_t delay) {
    return {down, code, type, delay};
}

TEST(MacroRecorder, RecordedTimeGoesToTheRowBeforeAndRepeatsAreDropped) {
    MacroRecorder recorder;
    MacroRows rows;
    recorder.Begin(TimingMode::Record, HookMode::Append, 50, 1000);
    EXPECT_TRUE(recorder.Record(rows, key(kA, true, 1200)));
    EXPECT_FALSE(recorder.Record(rows, key(kA, true, 1700)));  // auto-repeat
    EXPECT_TRUE(recorder.Record(rows, key(kA, false, 2210)));
    EXPECT_TRUE(recorder.Record(rows, key(kRCtrl, true, 2300)));
    EXPECT_FALSE(recorder.Record(rows, key({0x00, false}, true, 2400)));  // no such key
    EXPECT_TRUE(recorder.Record(rows, key(kCaps, true, 2500)));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{row(true, 0x04, 10, 1010), row(false, 0x04, 10, 90),
                                                    row(true, 0x10, 9, 200), row(true, 0x39, 10, 0)}));
    EXPECT_EQ(rows.selected, 3);

    // Two left presses without a release between them make one row.
    EXPECT_TRUE(recorder.Record(rows, button(1, true, 2600)));
    EXPECT_FALSE(recorder.Record(rows, button(1, true, 2700)));
    EXPECT_EQ(rows.events.size(), 5u);

    // Appending to a macro with rows: its last row takes the time from the start to the first new event.
    MacroRows more{{row(true, 0x05, 10, 7)}, -1};
    recorder.Begin(TimingMode::Record, HookMode::Append, 50, 0xFFFFFF00u);  // across the clock's wrap
    EXPECT_TRUE(recorder.Record(more, key(kB, true, 0x40)));
    EXPECT_EQ(more.events[0].delay, 0x140);
    EXPECT_EQ(ElapsedDelay(0, 70000), 65535);
    EXPECT_EQ(ElapsedDelay(0, 65534), 65534);
}

TEST(MacroRecorder, ConstantAndIgnoredTime) {
    MacroRecorder recorder;
    MacroRows rows;
    recorder.Begin(TimingMode::Constant, HookMode::Append, 30, 0);
    EXPECT_TRUE(recorder.Record(rows, key(kA, true, 5)));
    EXPECT_EQ(rows.events[0].delay, 0);  // a lone first row
    EXPECT_TRUE(recorder.Record(rows, key(kA, false, 900)));
    EXPECT_TRUE(recorder.Record(rows, button(2, true, 901)));
    for (const MacroEvent& e : rows.events) EXPECT_EQ(e.delay, 30);

    recorder.Begin(TimingMode::Ignore, HookMode::Append, 30, 0);
    EXPECT_TRUE(recorder.Record(rows, button(2, false, 5000)));
    EXPECT_EQ(rows.events[2].delay, 0);
    EXPECT_EQ(rows.events[3].delay, 0);
}

TEST(MacroRecorder, InsertBeforeAndAfterKeepTheOrderOfTheNewEvents) {
    const std::vector<MacroEvent> start{row(true, 4, 10, 11), row(false, 4, 10, 12), row(true, 5, 10, 13),
                                        row(false, 5, 10, 14)};
    MacroRecorder recorder;
    MacroRows rows{start, 3};
    recorder.Begin(TimingMode::Record, HookMode::Before, 50, 100);
    EXPECT_TRUE(recorder.Record(rows, key(kA, true, 150)));  // E1
    EXPECT_TRUE(recorder.Record(rows, key(kB, true, 400)));  // E2
    ASSERT_EQ(rows.events.size(), 6u);
    EXPECT_EQ(rows.events[2].delay, 50);                  // since the start
    EXPECT_EQ(rows.events[3], row(true, 0x04, 10, 250));  // E1: the time to E2
    EXPECT_EQ(rows.events[4], row(true, 0x05, 10, 0));
    EXPECT_EQ(rows.events[5], start[3]);
    EXPECT_EQ(rows.selected, 5);

    rows = {start, 1};
    recorder.Begin(TimingMode::Ignore, HookMode::After, 50, 0);
    EXPECT_TRUE(recorder.Record(rows, button(16, true, 1)));
    EXPECT_TRUE(recorder.Record(rows, button(16, false, 2)));
    EXPECT_EQ(rows.events[2], row(true, 16, 1, 0));
    EXPECT_EQ(rows.events[3], row(false, 16, 1, 0));
    EXPECT_EQ(rows.selected, 3);

    // Insertions need a selected row.
    rows.selected = -1;
    EXPECT_FALSE(recorder.Record(rows, key(kA, true, 3)));
}

TEST(MacroRecorder, TheStopButtonsLeftClickTheReplaceModeAndTheRowLimit) {
    MacroRecorder recorder;
    MacroRows rows;
    recorder.Begin(TimingMode::Ignore, HookMode::Append, 50, 0);
    EXPECT_FALSE(recorder.Record(rows, button(1, true, 1), true));
    EXPECT_FALSE(recorder.Record(rows, button(1, false, 2), true));
    EXPECT_TRUE(recorder.Record(rows, button(2, true, 3), true));
    EXPECT_FALSE(recorder.Record(rows, button(32, true, 4)));  // no such button
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{row(true, 2, 1, 0)}));

    rows = {{row(true, 0x04, 10, 123)}, 0};
    recorder.Begin(TimingMode::Ignore, HookMode::Replace, 50, 0);
    EXPECT_TRUE(recorder.Record(rows, key(kB, true, 1)));
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{row(true, 0x05, 10, 123)}));
    EXPECT_TRUE(recorder.Record(rows, key({0x1D, false}, false, 2)));  // left Ctrl: a modifier row now
    EXPECT_EQ(rows.events, (std::vector<MacroEvent>{row(true, 0x01, 9, 123)}));

    rows = {std::vector<MacroEvent>(kMaxMacroEvents, row(true, 4, 10, 0)), -1};
    recorder.Begin(TimingMode::Ignore, HookMode::Append, 50, 0);
    EXPECT_FALSE(recorder.Record(rows, key(kA, true, 1)));
    EXPECT_EQ(rows.events.size(), kMaxMacroEvents);
}

}  // namespace
}  // namespace halvern
