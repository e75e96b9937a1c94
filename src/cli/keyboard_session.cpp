#include "cli/keyboard_session.h"

#include "cli/key_names.h"
#include "input/key_tables.h"

namespace halvern::cli {

bool keyboardKeyHasSlot(size_t j) {
    constexpr key_table::Code kNoKey{assign_type::kKeyboard, 0, 0};
    return j < CMerivexKeyboardDevice::kKeyCount && CMerivexKeyboardDevice::kKeyCodes[j] != kNoKey;
}

std::string keyboardKeyRanges() {
    std::vector<std::string> ranges;
    for (size_t j = 0; j < CMerivexKeyboardDevice::kKeyCount; ++j) {
        if (!keyboardKeyHasSlot(j)) continue;
        size_t last = j;
        while (keyboardKeyHasSlot(last + 1)) ++last;
        ranges.push_back(last == j ? std::to_string(j + 1)
                                   : std::to_string(j + 1) + "-" + std::to_string(last + 1));
        j = last;
    }
    std::string text;
    for (size_t i = 0; i < ranges.size(); ++i)
        text += (i == 0 ? "" : i + 1 == ranges.size() ? " or " : ", ") + ranges[i];
    return text;
}

std::optional<size_t> parseKeyboardKey(std::string_view word, std::span<const NamedChoice> keys,
                                       std::string& problem) {
    const auto key = parseItemWord(word, CMerivexKeyboardDevice::kKeyCount - 1, keys, "key", problem);
    if (key && keyboardKeyHasSlot(*key)) return key;
    if (key || problem.starts_with("key takes a number"))
        problem = "key takes " + keyboardKeyRanges() + " or a key's name, not '" + std::string(word) + "'";
    return std::nullopt;
}

std::optional<KeyboardSession> openKeyboard(const CommandContext& context) {
    // Opening reads the keyboard's onboard record too; a keyboard that does not answer still shows what the
    // profile holds.
    return openPageSession<CMerivexKeyboardDevice>(context, "keyboard");
}

int changeKeyboardSettings(const CommandContext& context, CMerivexKeyboardDevice& device,
                           const std::function<void(KeyboardSettings&)>& change) {
    return reportRefusal(context, "keyboard", "settings", device.Await([&](CMerivexUSBDevice::Done done) {
        device.ChangeSettings(change, std::move(done));
    }));
}

}  // namespace halvern::cli
