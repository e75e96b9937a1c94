#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "device/device_lock.h"
#include "device/hid_backend.h"

namespace halvern::cli {

/// The device locks one halvernctl run holds: each taken when a command first opens a kind's device, and
/// kept until the run ends, so that no other program sends to the device in between (a second halvernctl
/// waits; the application waits before it opens the device). A device opened twice in one run is locked
/// once.
class RunLocks {
public:
    /// How long a run waits for a device that another program holds.
    static constexpr std::chrono::milliseconds kDefaultBound{10'000};

    explicit RunLocks(std::chrono::milliseconds bound = kDefaultBound) : m_bound(bound) {}

    /// Takes the lock of the product with `typeCode` (`kind` names it in messages: "mouse", ...). While
    /// another program holds it, says once on `err` what it waits for. False, with one line on `err`, when
    /// the other program kept the device past the bound or the lock cannot be used.
    [[nodiscard]] bool hold(const HidBackend& backend, uint16_t typeCode, std::string_view kind,
                            std::ostream& err);

private:
    std::chrono::milliseconds m_bound;
    std::vector<DeviceLock> m_held;
};

}  // namespace halvern::cli
