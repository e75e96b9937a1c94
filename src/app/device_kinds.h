#pragma once

#include <memory>
#include <span>

#include "app/routing.h"
#include "devices/usb_device.h"
#include "ui/pages/device_page.h"
#include "ui/toolkit/notification.h"

class QWidget;

namespace halvern::ui {
class LayoutLoader;
class LanguageTexts;
}  // namespace halvern::ui

namespace halvern::app {

/// What a page needs when it is made.
struct PageContext {
    const ui::LayoutLoader& loader;
    const ui::LanguageTexts* texts;
    QWidget* parent;  ///< owns the page until its container takes it
};

/// A page's handling of one routed operation. The page is the one the kind's entry made.
using PageHandler = void (*)(ui::DevicePage& page, const Route& route, const ui::Notification& notification);
struct PageRoute {
    Operation operation;
    PageHandler handle;
};

/// One kind of device (mouse, keyboard, mouse pad, headset): which rows of the supported-device tables are
/// its own, how its device object and its page are made, and the operations its page handles. The device
/// list and the main window know the kinds only through these entries.
struct DeviceKindEntry {
    int kindIndex;     ///< its row of the device kind and page tables
    bool pageAtStart;  ///< the page exists from the start, even with no device (mouse and keyboard)
    std::unique_ptr<CMerivexUSBDevice> (*makeDevice)(HidBackend& backend);
    /// Makes the page for a device object made by makeDevice.
    ui::DevicePage* (*makePage)(CMerivexUSBDevice& device, const PageContext& context);
    std::span<const PageRoute> routes;
    /// The device's lights always show this program's frames (the headset's), not only in the software
    /// mode, so they stop when the program ends.
    bool lightsFromProgram;
};

/// Every kind, in the order of the device kind table.
[[nodiscard]] std::span<const DeviceKindEntry> deviceKinds();
/// The entry of a kind index; null for an index outside the tables.
[[nodiscard]] const DeviceKindEntry* deviceKind(int kindIndex);
/// The page's handler of `operation`; null when the kind's page does not handle it. The Lighting tab's
/// operations (findLightHandler) are every kind's.
[[nodiscard]] PageHandler findPageHandler(const DeviceKindEntry& kind, Operation operation);
/// The handler of a Lighting tab operation; null for other operations.
[[nodiscard]] PageHandler findLightHandler(Operation operation);

// Each kind's entry lives in a file of its own (mouse_kind.cpp, keyboard_kind.cpp, ...).
extern const DeviceKindEntry kMouseKind;
extern const DeviceKindEntry kKeyboardKind;
extern const DeviceKindEntry kMousePadKind;
extern const DeviceKindEntry kHeadsetKind;

}  // namespace halvern::app
