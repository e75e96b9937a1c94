#include "cli/keyboard_session.h"

namespace halvern::cli {

std::optional<KeyboardSession> openKeyboard(const CommandContext& context) {
    auto session = openPageSession<CMerivexKeyboardDevice>(context, "keyboard");
    if (!session) return session;
    CMerivexKeyboardDevice& device = *session->device;
    // The keyboard's page reads its onboard record on the first refresh, not on activation; a keyboard that
    // does not answer still shows what the profile holds.
    session->refreshed =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.RefreshPage(std::move(done)); });
    return session;
}

int changeKeyboardSettings(const CommandContext& context, CMerivexKeyboardDevice& device,
                           const std::function<void(KeyboardSettings&)>& change) {
    return reportRefusal(context, "keyboard", "settings", device.Await([&](CMerivexUSBDevice::Done done) {
        device.ChangeSettings(change, std::move(done));
    }));
}

}  // namespace halvern::cli
