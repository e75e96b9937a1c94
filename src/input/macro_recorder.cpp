#include "input/macro_recorder.h"

#include <algorithm>

#include "input/key_tables.h"

namespace halvern {

uint16_t ElapsedDelay(uint32_t lastMs, uint32_t nowMs) {
    const uint32_t elapsed = nowMs - lastMs;  // unsigned: right across the clock's wrap
    return static_cast<uint16_t>(std::min<uint32_t>(elapsed, kDelayOutOfRange));
}

void MacroRecorder::Begin(TimingMode timing, HookMode hook, uint16_t fixedDelay, uint32_t nowMs) {
    m_timing = timing;
    m_hook = hook;
    m_fixedDelay = fixedDelay;
    m_lastEventMs = nowMs;
}

size_t MacroRecorder::memorySlot() const {
    switch (m_hook) {
        case HookMode::Append:
            return 0;
        case HookMode::Before:
            return 1;
        case HookMode::After:
            return 2;
        case HookMode::Replace:
            return 3;
    }
    return 0;
}

std::optional<MacroEvent> MacroRecorder::eventOf(const InputEvent& e, bool onStopButton) {
    const size_t slot = memorySlot();
    if (e.kind == InputEvent::Kind::Key) {
        std::optional<ScanCode>& last = m_lastKey[slot];
        if (e.down) {
            if (last == e.key) return std::nullopt;  // auto-repeat
            last = e.key;
        } else if (last == e.key) {
            last.reset();
        }
        const int row = FindKeyRowByScan(e.key.scan, e.key.extended);
        if (row < 0) return std::nullopt;
        const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
        return key.code2 != 0 ? MacroEvent{e.down, key.code2, macro_event_type::kKey, 0}
                              : MacroEvent{e.down, key.code1, macro_event_type::kModifier, 0};
    }
    if (MouseActionName(macro_event_type::kMouseButton, e.button, e.down).empty()) return std::nullopt;
    std::optional<std::pair<uint8_t, bool>>& last = m_lastButton[slot];
    const std::pair<uint8_t, bool> message{e.button, e.down};
    if (last == message) return std::nullopt;
    last = message;
    constexpr uint8_t kLeft = 1;
    if (onStopButton && e.button == kLeft) return std::nullopt;
    return MacroEvent{e.down, e.button, macro_event_type::kMouseButton, 0};
}

bool MacroRecorder::Record(MacroRows& rows, const InputEvent& event, bool onStopButton) {
    const std::optional<MacroEvent> made = eventOf(event, onStopButton);
    if (!made) return false;
    const int count = static_cast<int>(rows.events.size());
    const bool selected = rows.selected >= 0 && rows.selected < count;

    if (m_hook == HookMode::Replace) {
        if (!selected) return false;
        MacroEvent& row = rows.events[static_cast<size_t>(rows.selected)];
        row.button = made->button;
        row.type = made->type;
        return true;
    }
    if (rows.events.size() >= kMaxMacroEvents || (m_hook != HookMode::Append && !selected)) return false;
    const int at = m_hook == HookMode::Append   ? count
                   : m_hook == HookMode::Before ? rows.selected
                                                : rows.selected + 1;

    uint16_t delay = 0;
    if (m_timing == TimingMode::Constant) delay = m_fixedDelay;
    if (m_timing == TimingMode::Record) {
        delay = ElapsedDelay(m_lastEventMs, event.timeMs);
        m_lastEventMs = event.timeMs;
    }
    MacroEvent row = *made;
    row.delay = at == 0 || m_timing != TimingMode::Constant ? 0 : m_fixedDelay;
    rows.events.insert(rows.events.begin() + at, row);
    if (at > 0) rows.events[static_cast<size_t>(at - 1)].delay = delay;
    rows.selected = m_hook == HookMode::Before ? rows.selected + 1 : at;
    return true;
}

}  // namespace halvern
