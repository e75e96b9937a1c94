// The mouse: its device object, its page and the operations the page handles.

#include "app/device_kinds.h"
#include "devices/mouse_device.h"
#include "ui/pages/mouse_page.h"

namespace halvern::app {
namespace {

ui::MousePage& mousePage(ui::DevicePage& page) {
    return static_cast<ui::MousePage&>(page);
}

constexpr int kSliderPage = 1;  // "DPI_slider_" and "DPI_edit_": the mouse page's own, not "zantor_..."

constexpr std::
    array
        kMouseRoutes =
            std::
                to_array<PageRoute>(
                    {
                        {Operation::DpiSlider,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             mousePage(p).DpiSliderChanged(r.index, static_cast<int>(n.wParam));
                         }},
                        {Operation::DpiSliderMoving,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             if (r.variant == kSliderPage)
                                 mousePage(p).DpiSliderMoving(r.index, static_cast<int>(n.wParam));
                         }},
                        {Operation::DpiEdit,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                             if (r.variant == kSliderPage) mousePage(p).DpiEdited(r.index);
                         }},
                        {Operation::DpiEnable,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             mousePage(p).DpiEnabled(r.index, n.wParam != 0);
                         }},
                        {Operation::DpiSelect,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             if (n.wParam != 0) mousePage(p).DpiSelected(r.index);
                         }},
                        {Operation::DpiColourOption,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                             mousePage(p).DpiColourOption(r.index);
                         }},
                        {Operation::PollingRate,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             if (n.wParam != 0) mousePage(p).PollingSelected(r.index);
                         }},
                        {Operation::PointerSlider,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             mousePage(p).PointerSliderChanged(r.variant, static_cast<int>(n.wParam));
                         }},
                        {Operation::PointerOption,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             mousePage(p).PointerOptionChanged(r.variant, n.wParam != 0);
                         }},
                        {Operation::MouseSettingsOption,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
                             if (n.wParam != 0) mousePage(p).SettingsTabSelected(r.index);
                         }},
                        {Operation::KeyButton,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                             mousePage(p).KeyPicked(r.index);
                         }},
                        {Operation::KeyAssignmentButton,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                             mousePage(p).KeyEditorButton(r.variant);
                         }},
                        {Operation::KeyAssignmentChoice,
                         [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
                             mousePage(p).KeyEditorChoice(r.variant);
                         }},
                    });

}  // namespace

constinit const DeviceKindEntry kMouseKind{
    0,
    true,
    [](HidBackend& backend) -> std::unique_ptr<CMerivexUSBDevice> {
        return std::make_unique<CMerivexMouseDevice>(backend);
    },
    [](CMerivexUSBDevice& device, const PageContext& c) -> ui::DevicePage* {
        return new ui::MousePage(static_cast<CMerivexMouseDevice&>(device), c.loader, c.texts, c.parent);
    },
    kMouseRoutes,
    false,
};

}  // namespace halvern::app
