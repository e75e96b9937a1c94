#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace halvern::emu {

using Clock = std::chrono::steady_clock;

/// Where a virtual device sends its input reports: one per opened node, like the report buffer the
/// kernel keeps per open hidraw file. Implementations are thread-safe.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    /// Queues one input report that the host may read from `readyAt` on.
    virtual void deliver(std::span<const uint8_t> report, Clock::time_point readyAt) = 0;
    /// The device is gone: the node reports the loss from now on.
    virtual void hangUp() = 0;
};

/// Input reports waiting for the host, each with the time from which it may be read. Bounded like the
/// kernel's per-file buffer: a report arriving at a full queue is dropped. Not thread-safe.
class InputQueue {
public:
    static constexpr size_t kCapacity = 64;

    /// False (with a debug line) when the queue is full and the report was dropped.
    bool push(std::span<const uint8_t> report, Clock::time_point readyAt);
    [[nodiscard]] bool hasReady(Clock::time_point now) const;
    /// The time the first report becomes readable; nothing when the queue is empty.
    [[nodiscard]] std::optional<Clock::time_point> nextDue() const;
    [[nodiscard]] const std::vector<uint8_t>& front() const { return m_reports.front().bytes; }
    void pop() { m_reports.pop_front(); }
    /// Copies the first report into `out` (cut to its size), removes it and returns the bytes copied.
    size_t take(std::span<uint8_t> out);

private:
    struct Pending {
        std::vector<uint8_t> bytes;
        Clock::time_point readyAt;
    };
    std::deque<Pending> m_reports;
};

}  // namespace halvern::emu
