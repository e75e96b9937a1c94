#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "input/evdev_keys.h"
#include "input/macro_rows.h"

namespace halvern {

/// The delay of rows when no recording measured one (the fixed delay's start, inserted actions).
inline constexpr uint16_t kDefaultFixedDelay = 50;

/// How the delays of recorded rows are measured.
enum class TimingMode : uint8_t {
    Record = 1,    ///< the time since the previous event (since the start for the first), capped at 65535
    Constant = 2,  ///< the fixed delay
    Ignore = 3,    ///< 0
};

/// Where recorded events go.
enum class HookMode : uint8_t {
    Append = 4,    ///< after the last row
    Before = 8,    ///< before the selected row (which stays selected)
    After = 16,    ///< after the selected row (the new row becomes selected)
    Replace = 32,  ///< the selected row takes the key or button; its action and delay stay
};

/// One input event of the user's: a key by its scan code, or a mouse button by its bit (1 left, 2 right,
/// 4 middle, 8 back, 16 forward) with the pointer's screen position when the backend knows it.
struct InputEvent {
    enum class Kind : uint8_t { Key, Button };
    Kind kind = Kind::Key;
    bool down = false;
    ScanCode key{};
    uint8_t button = 0;
    int x = 0;  ///< screen position in device pixels, when `positioned`
    int y = 0;
    uint32_t timeMs = 0;      ///< a steady clock in milliseconds
    bool positioned = false;  ///< x and y hold the pointer's position (the evdev backend cannot know it)
};

/// Turns input events into macro rows while a recording runs. Key presses that repeat the key last
/// pressed (auto-repeat) and mouse events that repeat the last one are dropped; each hook mode keeps its
/// own memories for the lifetime of the recorder.
class MacroRecorder {
public:
    /// Starts a recording at `nowMs`.
    void Begin(TimingMode timing, HookMode hook, uint16_t fixedDelay, uint32_t nowMs);

    /// The event as a row of `rows` as the hook mode says; false when it was dropped (not a recordable key
    /// or button, a repeat, 4000 rows, an insertion without a selected row). `onStopButton` tells that a
    /// mouse event happened over the button that stops the recording: its left clicks are not recorded.
    bool Record(MacroRows& rows, const InputEvent& event, bool onStopButton = false);

    [[nodiscard]] TimingMode timing() const { return m_timing; }
    [[nodiscard]] HookMode hook() const { return m_hook; }

private:
    /// The event's row content (button, type, down) and whether it is a repeat to drop.
    [[nodiscard]] std::optional<MacroEvent> eventOf(const InputEvent& event, bool onStopButton);
    [[nodiscard]] size_t memorySlot() const;

    TimingMode m_timing = TimingMode::Record;
    HookMode m_hook = HookMode::Append;
    uint16_t m_fixedDelay = kDefaultFixedDelay;
    uint32_t m_lastEventMs = 0;
    std::array<std::optional<ScanCode>, 4> m_lastKey{};
    std::array<std::optional<std::pair<uint8_t, bool>>, 4> m_lastButton{};
};

/// The delay from `lastMs` to `nowMs` on a wrapping millisecond clock, capped at 65535.
[[nodiscard]] uint16_t ElapsedDelay(uint32_t lastMs, uint32_t nowMs);

}  // namespace halvern
