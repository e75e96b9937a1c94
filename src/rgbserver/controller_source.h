#pragma once

// What the server serves: the application's devices as controllers, and what a client's requests do to
// them. Implemented by the application; called on the thread that runs the server's connections.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rgbserver/controller_data.h"

namespace halvern::rgb {

/// A connected program: a number of its own for this run of the server, and the name it gave.
struct RgbClient {
    uint64_t id = 0;
    std::string name;
};

class ControllerSource {
public:
    virtual ~ControllerSource() = default;

    [[nodiscard]] virtual size_t controllerCount() const = 0;
    /// The controller at `index` as it is now; null when there is no such controller (any more).
    [[nodiscard]] virtual const RgbController* controller(size_t index) const = 0;

    /// The LEDs of controller `index` show `colors`, one per LED, for `client`.
    virtual void setLeds(size_t index, std::span<const RgbColor> colors, const RgbClient& client) = 0;
    /// Controller `index` goes to the mode in which `setLeds` reaches its LEDs.
    virtual void setCustomMode(size_t index, const RgbClient& client) = 0;
    /// Controller `index` takes mode `modeIndex` with the client's settings in `mode`; with `save` the
    /// device also keeps it as its own. A mode the device cannot take as asked is refused (left as it is).
    virtual void updateMode(size_t index, size_t modeIndex, const RgbMode& mode, bool save,
                            const RgbClient& client) = 0;

    [[nodiscard]] virtual std::vector<std::string> profileNames() const = 0;
    virtual void loadProfile(std::string_view name, const RgbClient& client) = 0;
    /// `client` is gone (it closed the connection, or the connection was closed): the devices it drove
    /// go back to their own light.
    virtual void clientLeft(const RgbClient& client) = 0;
};

}  // namespace halvern::rgb
