// libFuzzer target: arbitrary bytes as a macro (or recoil) file and as key assignments shown in the
// editor and as text. Nothing may crash, hang or read out of bounds, and every event list must fit an
// image or be refused.
#include <cstdint>
#include <string>
#include <vector>

#include "input/assignment_text.h"
#include "input/event_image.h"
#include "input/key_editor.h"
#include "input/macro_event.h"
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
    return 0;
}
