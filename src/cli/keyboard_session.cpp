#include "cli/keyboard_session.h"

namespace halvern::cli {

std::optional<KeyboardSession> openKeyboard(const CommandContext& context) {
    auto session = openPageSession<CMerivexKeyboardDevice>(context, "keyboard");
    if (session) session->device->RefreshPage();
    return session;
}

int changeKeyboardSettings(const CommandContext& context, CMerivexKeyboardDevice& device,
                           const std::function<void(KeyboardSettings&)>& change) {
    return reportRefusal(context, "keyboard", "settings", device.ChangeSettings(change));
}

}  // namespace halvern::cli
