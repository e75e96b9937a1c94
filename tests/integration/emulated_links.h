// What the device tests over the emulator share: the four ways a device is reached (in-process or over a
// socket pair, on its cable or through its receiver) and opening a device object the way the device list
// does.

#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "emulated_open.h"
#include "emulator/emulator.h"
#include "wait_for.h"

namespace halvern::test {

struct Link {
    emu::Transport transport;
    emu::Attachment attachment;
};

inline std::string linkName(const ::testing::TestParamInfo<Link>& info) {
    return std::string(info.param.transport == emu::Transport::InProcess ? "InProcess" : "SocketPair") +
           (info.param.attachment == emu::Attachment::Cable ? "Cable" : "Receiver");
}

inline auto allLinks() {
    using emu::Attachment;
    using emu::Transport;
    return ::testing::Values(
        Link{Transport::InProcess, Attachment::Cable}, Link{Transport::InProcess, Attachment::Receiver},
        Link{Transport::SocketPair, Attachment::Cable}, Link{Transport::SocketPair, Attachment::Receiver});
}

inline void openOverEmulator(emu::Emulator& emulator, CMerivexUSBDevice& device, bool viaReceiver) {
    ASSERT_TRUE(OpenOverEmulator(emulator, device, viaReceiver));
}

/// Waits until everything the device's queue was given so far has run (a job and its completion).
inline bool passQueue(CMerivexUSBDevice& device) {
    return device
        .Await([&device](CMerivexUSBDevice::Done done) {
            device.queue().submit([](CommandChannel&) { return DeviceResult{}; }, std::move(done));
        })
        .ok();
}

/// Records the list-entry timers (id, delay) a device asks for, from whichever thread asks.
class TimerRequests {
public:
    [[nodiscard]] DeviceEvents events() {
        return {[this](int id, int delayMs) {
                    std::scoped_lock lock(m_mutex);
                    m_requests.emplace_back(id, delayMs);
                },
                {},
                {},
                {}};
    }
    [[nodiscard]] std::vector<std::pair<int, int>> taken() const {
        std::scoped_lock lock(m_mutex);
        return m_requests;
    }
    /// Waits until at least `count` requests came; true when they did.
    bool waitForCount(size_t count) {
        return waitFor([&] { return taken().size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, int>> m_requests;
};

}  // namespace halvern::test
