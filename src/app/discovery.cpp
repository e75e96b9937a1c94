#include "app/discovery.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "device/debug_sink.h"

namespace halvern::app {

DeviceSlot SlotTable::slot(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_slots.size())) return {};
    return m_slots[static_cast<size_t>(index)];
}

Discovery::Discovery(HidBackend& backend, SlotTable& slotTable, DiscoveryEvents events)
    : m_backend(backend),
      m_slots(slotTable),
      m_events(std::move(events)),
      m_probe(backend),
      m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Discovery::~Discovery() {
    stop();
    if (m_stopFd >= 0) ::close(m_stopFd);
}

void Discovery::start() {
    m_thread.start([this](std::stop_token token) { run(token); });
}

void Discovery::stop(std::chrono::milliseconds bound) {
    if (m_stopFd >= 0) {
        const uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
    }
    m_thread.stop(bound);
    uint64_t drained = 0;
    if (m_stopFd >= 0) (void)!::read(m_stopFd, &drained, sizeof drained);
}

bool Discovery::pass() {
    const DeviceSlotList before = m_slots.snapshot();
    bool anyFree = false;
    for (const auto& s : before) anyFree = anyFree || s.isFree();

    int unopened = 0;
    if (anyFree) {
        // Claim on a copy so the probe's opens run without the lock; then merge the claims.
        DeviceSlotList working = before;
        std::vector<std::string> denied;
        const auto claimed = claimNewInterfaces(m_probe, working, &unopened, &denied);
        if (!claimed) return false;
        for (const std::string& path : denied) {
            if (std::find(m_deniedReported.begin(), m_deniedReported.end(), path) != m_deniedReported.end())
                continue;
            m_deniedReported.push_back(path);
            if (m_accessDenied) m_accessDenied(path);
        }
        for (const ClaimedInterface& c : *claimed) {
            m_slots.modify([&](DeviceSlotList& slots) {
                slots[static_cast<size_t>(c.slot)] = working[static_cast<size_t>(c.slot)];
            });
            if (m_events.arrived) m_events.arrived(c.slot);
        }
    }
    // A matching interface that could not be opened (still settling, or no permission yet) is tried
    // again every cycle for a while; after that only a hot-plug event brings another look.
    m_retryPasses = unopened > 0 ? (m_retryPasses > 0 ? m_retryPasses - 1 : kRetryPasses) : 0;
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        if (m_events.firstScanDone) m_events.firstScanDone();
    }
    for (size_t i = 0; i < before.size(); ++i) {
        const DeviceSlot current = m_slots.slot(static_cast<int>(i));
        if (current.isFree()) continue;
        if (m_backend.openNode(current.path, false)) continue;  // still there
        m_slots.modify([&](DeviceSlotList& slots) {
            slots[i].row.inUse = 0;
            slots[i].path.clear();
        });
        if (m_events.removed) m_events.removed(static_cast<int>(i));
    }
    return true;
}

void Discovery::waitForChange(const std::stop_token& token) {
    const int hotplug = m_backend.hotplugFd();
    pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {hotplug, POLLIN, 0}};
    const int timeout = (hotplug < 0 || m_retryPasses > 0) ? static_cast<int>(kCycle.count()) : -1;
    if (token.stop_requested()) return;
    const int n = ::poll(fds, hotplug < 0 ? 1 : 2, timeout);
    if (n > 0 && hotplug >= 0 && (fds[1].revents & POLLIN)) m_backend.drainHotplug();
}

void Discovery::pause(std::chrono::milliseconds period) {
    pollfd fd{m_stopFd, POLLIN, 0};
    (void)::poll(&fd, 1, static_cast<int>(period.count()));
}

void Discovery::run(const std::stop_token& token) {
    std::chrono::milliseconds backoff = kCycle;
    while (!token.stop_requested()) {
        if (!pass()) {
            if (backoff == kCycle) debugLog("device listing failed: trying again");
            pause(backoff);
            backoff = std::min(backoff * 2, kMaxBackoff);
            continue;
        }
        backoff = kCycle;
        waitForChange(token);
    }
    debugLog("抓取设备线程设定退出");
}

}  // namespace halvern::app
