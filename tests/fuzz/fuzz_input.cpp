// libFuzzer target: arbitrary bytes as a macro (or recoil) file and as key assignments shown in the
// editor and as text. Nothing may crash, hang or read out of bounds, and every event list must fit an
// image or be refused.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "input/assignment_text.h"
#include "input/event_image.h"
#include "input/key_editor.h"
#include "input/macro_event.h"
#include "input/macro_recorder.h"
#include "profile/json_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<MacroEvent> events = EventsFromDocument(ParseJsonText(text));
    const std::vector<std::vector<MacroEvent>> blocks(4, events);
    const std::vector<uint8_t> image = BuildEventImage(blocks);
    if (!image.empty() && image.size() != 16 + 24 + 16 * events.size()) __builtin_trap();

    const std::vector<std::string> macros{"macro_1", "macro_2"};
    for (size_t i = 0; i + 3 <= size; i += 3) {
        const KeyAssignment a{0, data[i], data[i + 1], data[i + 2]};
        static_cast<void>(AssignmentTextFor(a.type, a.code1, a.code2, macros));
        KeyEditorState state;
        state.macroCount = static_cast<int>(macros.size());
        ShowAssignment(state, a, KeyAssignment{}, key_category::kCount);
        const KeyAssignment back = ReadAssignment(state, a, KeyAssignment{});
        static_cast<void>(CaptureKey(state, back, data[i + 1], (data[i + 2] & 1) != 0));
    }

    // The same bytes as input events into a recording: rows stay within the limit and the selection in
    // the list, whatever the modes and events.
    constexpr std::array<HookMode, 4> kHooks{HookMode::Append, HookMode::Before, HookMode::After,
                                             HookMode::Replace};
    MacroRows rows{events, size > 0 ? static_cast<int>(data[0]) - 1 : -1};
    if (rows.selected >= static_cast<int>(rows.events.size())) rows.selected = -1;
    MacroRecorder recorder;
    recorder.Begin(static_cast<TimingMode>(1 + size % 3), kHooks[size % 4], 50, 0);
    for (size_t i = 0; i + 4 <= size; i += 4) {
        InputEvent e;
        e.kind = (data[i] & 1) != 0 ? InputEvent::Kind::Button : InputEvent::Kind::Key;
        e.down = (data[i] & 2) != 0;
        e.key = {data[i + 1], (data[i] & 4) != 0};
        e.button = data[i + 2];
        e.timeMs = static_cast<uint32_t>(data[i + 3]) * 1000u * i;
        static_cast<void>(recorder.Record(rows, e, (data[i] & 8) != 0));
        if (rows.events.size() > kMaxMacroEvents) __builtin_trap();
        if (rows.selected < -1 || rows.selected >= static_cast<int>(rows.events.size())) __builtin_trap();
    }
    return 0;
}
