#pragma once

#include <sys/types.h>

#include <memory>
#include <span>

#include "device/hid_backend.h"

namespace halvern {

/// Sends a node's output reports from a thread of its own, so a write that the kernel holds up never holds
/// the caller past its time-out. (A hidraw write waits in the kernel for the interrupt-out transfer, up to
/// five seconds on a stalled device, whatever O_NONBLOCK says.)
///
/// One report travels at a time. A caller that gives up leaves its report with the thread; the next write
/// first waits (within its own time-out) for that one to finish. Destroying the writer never waits: the
/// thread finishes the write in hand, releases the node and ends by itself. It holds nothing but the node
/// and its own state, so it can outlive the writer's owner.
class BoundedWriter {
public:
    explicit BoundedWriter(std::shared_ptr<HidNode> node);
    ~BoundedWriter();
    BoundedWriter(const BoundedWriter&) = delete;
    BoundedWriter& operator=(const BoundedWriter&) = delete;

    /// Writes one report (at most 64 bytes). Returns the bytes the node took, 0 when the time-out passed or
    /// `cancelFds` became readable first (the report may still go out later), -1 when the node failed. A
    /// negative time-out waits for as long as the write takes.
    [[nodiscard]] ssize_t write(std::span<const uint8_t> report, int timeoutMs,
                                std::span<const int> cancelFds);

    /// Hands one report (at most 64 bytes) to the thread and returns at once, without waiting for the
    /// write: for a caller that waits for the device's reply anyway and would only be woken twice. False
    /// when an earlier report is still in hand (nothing is handed over then) or the report is unusable.
    [[nodiscard]] bool post(std::span<const uint8_t> report);

    /// Whether the last report handed over (by write or post) failed or is still being written.
    [[nodiscard]] bool lastFailed() const;

    /// Whether a report handed over earlier is still being written (a caller gave up on it).
    [[nodiscard]] bool stuck() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace halvern
