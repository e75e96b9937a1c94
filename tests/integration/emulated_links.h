// What the device tests over the emulator share: the four ways a device is reached (in-process or over a
// socket pair, on its cable or through its receiver) and opening a device object the way the device list
// does.

#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
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

/// One line of the emulator's capture: "OUT" or "IN" and the report's bytes.
struct CapturedReport {
    std::string direction;
    std::vector<uint8_t> bytes;
    [[nodiscard]] bool out() const { return direction == "OUT"; }
    [[nodiscard]] uint8_t command() const { return bytes.size() > 3 ? bytes[3] : 0; }
};

/// The number of lines the capture holds now (a mark for readCapture).
inline size_t captureLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    size_t n = 0;
    std::string line;
    while (std::getline(in, line)) ++n;
    return n;
}

/// The reports captured from line `mark` on, the receiver's link queries (0xAA) included.
inline std::vector<CapturedReport> readCapture(const std::filesystem::path& file, size_t mark = 0) {
    std::ifstream in(file);
    std::vector<CapturedReport> reports;
    std::string line;
    for (size_t n = 0; std::getline(in, line); ++n) {
        if (n < mark) continue;
        std::istringstream words(line);
        CapturedReport r;
        std::string name, hex;
        words >> r.direction >> name;
        while (words >> hex) r.bytes.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
        reports.push_back(std::move(r));
    }
    return reports;
}

/// The command codes of the requests in order, the chunks of one transfer counted once; frame chunks
/// (0x12) are left out.
inline std::vector<uint8_t> requestCodes(const std::vector<CapturedReport>& reports) {
    std::vector<uint8_t> codes;
    for (const CapturedReport& r : reports) {
        if (!r.out() || r.command() == 0x12) continue;
        if (codes.empty() || codes.back() != r.command() || r.command() == 0xAA || r.command() <= 0x02)
            codes.push_back(r.command());
    }
    return codes;
}

/// How many frame chunks (0x12) went out between a Begin (0x01) and its End (0x02).
inline size_t framesInsideSequences(const std::vector<CapturedReport>& reports) {
    bool inside = false;
    size_t frames = 0;
    for (const CapturedReport& r : reports) {
        if (!r.out()) continue;
        if (r.command() == 0x01) inside = true;
        if (r.command() == 0x02) inside = false;
        if (r.command() == 0x12 && inside) ++frames;
    }
    return frames;
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
