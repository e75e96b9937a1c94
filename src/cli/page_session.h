#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "cli/command_context.h"
#include "cli/device_session.h"
#include "devices/usb_device.h"

namespace halvern::cli {

/// A device object opened the way the main window opens its page, with the page activated; or, when the
/// running application carries the command out, the object its window shows.
template <class Device>
struct PageSession {
    std::unique_ptr<Device> owned;  ///< the object opened for this command; empty for a lent one
    Device* device = nullptr;
    FoundDevice found;
    DeviceResult activation;  ///< what reading the device's tables gave when the page opened
    DeviceResult refreshed;   ///< the first refresh (the light-record devices read their record there)

    /// False when the device did not answer while its page opened (no information block, no key table).
    [[nodiscard]] bool answered() const { return activation.ok() && !device->factoryTable().empty(); }
};

/// Opens the kind's command interface (cable form first) into `device`'s command channel and sets the
/// device up as the main window does when it creates the kind's page: layout, key and LED counts, kind
/// index, name and id, light configuration and identity. Nothing, with one line on `context.err`, when no
/// such device is attached or it cannot be opened.
[[nodiscard]] std::optional<FoundDevice> openPageDevice(const CommandContext& context, std::string_view kind,
                                                        CMerivexUSBDevice& device);

/// The application's object of `kind` (through `context.attached`), with the same lines on `context.err`
/// as openPageDevice when there is none.
[[nodiscard]] CMerivexUSBDevice* lendPageDevice(const CommandContext& context, std::string_view kind,
                                                FoundDevice& found);

/// A new `Device` opened by openPageDevice, its page activated; the application's own object, already
/// active, when the application carries the command out.
template <class Device>
[[nodiscard]] std::optional<PageSession<Device>> openPageSession(const CommandContext& context,
                                                                 std::string_view kind) {
    if (context.attached) {
        PageSession<Device> lent;
        lent.device = dynamic_cast<Device*>(lendPageDevice(context, kind, lent.found));
        if (!lent.device) return std::nullopt;
        return lent;
    }
    PageSession<Device> session;
    session.owned = std::make_unique<Device>(context.backend);
    session.device = session.owned.get();
    auto found = openPageDevice(context, kind, *session.device);
    if (!found) return std::nullopt;
    session.found = std::move(*found);
    Device& device = *session.device;
    session.activation =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.ActivatePage(std::move(done)); });
    return session;
}

}  // namespace halvern::cli
