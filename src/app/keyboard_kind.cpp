// The keyboard: its device object, its page and the operations the page handles.

#include "app/device_kinds.h"
#include "devices/keyboard_device.h"
#include "ui/pages/keyboard_page.h"

namespace halvern::app {
namespace {

ui::KeyboardPage& keyboardPage(ui::DevicePage& page) {
    return static_cast<ui::KeyboardPage&>(page);
}

constexpr std::array
    kKeyboardRoutes =
        std::
            to_array<PageRoute>(
                {
                    {Operation::KeyboardFlag,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                         keyboardPage(p).FlagChanged(r.variant, n.wParam != 0);
                     }},
                    {Operation::RepeatRate,
                     [](ui::DevicePage& p, const Route&, const ui::Notification& n) {
                         keyboardPage(p).RepeatRateChanged(static_cast<int>(n.wParam));
                     }},
                    {Operation::RepeatDelay,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                         if (n.wParam != 0)
                             keyboardPage(p).RepeatDelaySelected(r.index);  // not the choice that was left
                     }},
                    {Operation::ResetKeyRepeat,
                     [](ui::DevicePage& p, const Route&,
                        const ui::Notification&) { keyboardPage(p).ResetKeyRepeat(); }},
                    {Operation::PollingRate,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                         if (n.wParam != 0) keyboardPage(p).PollingSelected(r.index);
                     }},
                    {Operation::KeySelectionEnded,
                     [](ui::DevicePage& p, const Route&, const ui::Notification&) {
                         keyboardPage(p).SelectionEnded();
                     }},
                    // 0 picks the strip's colour; 1 colours the selected keys, 2 every key, 3 switches every
                    // key off.
                    {Operation::CustomColourButton,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                         if (r.variant == 0) return keyboardPage(p).PickCustomColour();
                         keyboardPage(p).ApplyCustomColour(r.variant - 1);
                     }},
                    {Operation::KeyButton,
                     [](ui::DevicePage& p, const Route& r,
                        const ui::Notification&) { keyboardPage(p).KeyPicked(r.index); }},
                    {Operation::KeyAssignmentButton,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                         keyboardPage(p).KeyEditorButton(r.variant);
                     }},
                    {Operation::KeyAssignmentChoice,
                     [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                         keyboardPage(p).KeyEditorChoice(r.variant);
                     }},
                });

}  // namespace

constinit const DeviceKindEntry kKeyboardKind{
    1,
    true,
    [](HidBackend& backend) -> std::unique_ptr<CMerivexUSBDevice> {
        return std::make_unique<CMerivexKeyboardDevice>(backend);  // on its cable or through its receiver
    },
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        return new ui::KeyboardPage(static_cast<CMerivexKeyboardDevice&>(device), c.loader, c.texts,
                                    c.parent);
    },
    kKeyboardRoutes,
    false,
};

}  // namespace halvern::app
