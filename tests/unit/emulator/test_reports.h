#pragma once

#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

#include "device/hid_backend.h"

namespace halvern::emu::test {

using Bytes64 = std::array<uint8_t, 64>;

/// A command request as the host builds it: ID 4, checksum of bytes 3-63, code, length, offset, payload.
inline Bytes64 request(uint8_t code, uint8_t length, uint16_t offset, std::span<const uint8_t> payload) {
    Bytes64 report{};
    report[0] = 0x04;
    report[3] = code;
    report[4] = length;
    report[5] = static_cast<uint8_t>(offset & 0xFF);
    report[6] = static_cast<uint8_t>(offset >> 8);
    if (!payload.empty())
        std::copy_n(payload.begin(), std::min<size_t>(payload.size(), 56), report.begin() + 8);
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += report[i];
    report[1] = static_cast<uint8_t>(sum & 0xFF);
    report[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return report;
}

inline Bytes64 request(uint8_t code, uint8_t length = 0, uint16_t offset = 0,
                       std::initializer_list<uint8_t> payload = {}) {
    return request(code, length, offset, std::span<const uint8_t>(payload.begin(), payload.size()));
}

/// Waits for `events` on a node's fd; the revents, or 0 on time-out.
inline short waitNode(const HidNode& node, short events, int timeoutMs = 1000) {
    pollfd fd{node.pollFd(), events, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0) return 0;
    return fd.revents;
}

/// Reads the next input report within the time-out; nothing on time-out or failure.
inline std::optional<Bytes64> readNext(HidNode& node, int timeoutMs = 1000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!(waitNode(node, POLLIN, static_cast<int>(left.count()) + 1) & POLLIN)) return {};
        Bytes64 buffer{};
        const auto n = node.readReport(buffer);
        if (n < 0) return {};
        if (n > 0) return buffer;
    }
    return {};
}

/// Writes one request and reads the next input report.
inline std::optional<Bytes64> transact(HidNode& node, const Bytes64& report, int timeoutMs = 1000) {
    if (node.writeReport(report) != 64) return {};
    return readNext(node, timeoutMs);
}

}  // namespace halvern::emu::test
