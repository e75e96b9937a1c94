#pragma once

#include <functional>
#include <mutex>
#include <stop_token>

#include "device/hid_backend.h"
#include "device/interface_scan.h"
#include "device/worker_thread.h"

namespace halvern::app {

/// The device slot list shared by discovery and the window: discovery claims and frees slots, the window
/// reads them while it handles the arrival or removal (and at any other time through a copy).
class SlotTable {
public:
    [[nodiscard]] DeviceSlotList snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_slots;
    }
    [[nodiscard]] DeviceSlot slot(int index) const;
    template <typename Fn>
    auto modify(Fn&& fn) {
        std::lock_guard lock(m_mutex);
        return fn(m_slots);
    }

private:
    mutable std::mutex m_mutex;
    DeviceSlotList m_slots = makeDeviceSlotList();
};

/// What discovery tells the window. Both are called on the discovery thread and must return only when the
/// window has handled them (the window's list is then in step with the slots).
struct DiscoveryEvents {
    std::function<void(int slot)> arrived;
    std::function<void(int slot)> removed;
    std::function<void()> firstScanDone;  ///< once, after the first scan
};

/// The discovery thread: claims newly present supported interfaces, frees the slots of interfaces that
/// went away, and sleeps in between until the backend reports a hot-plug event. Without hot-plug events
/// (or while an interface could not be opened and must be tried again) it looks every 100 ms. A listing
/// that fails is tried again after a pause that doubles each time (up to kMaxBackoff), so a hiccup of the
/// HID stack never ends discovery for good.
class Discovery {
public:
    Discovery(HidBackend& backend, SlotTable& slotTable, DiscoveryEvents events);
    ~Discovery();
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    /// Called on the discovery thread for a supported interface the user may not open (no udev rule
    /// yet): once per path and run. Set before start().
    void setAccessDeniedHandler(std::function<void(const std::string& path)> handler) {
        m_accessDenied = std::move(handler);
    }

    void start();
    /// Stops the thread within `bound` (it never blocks longer than one pass).
    void stop(std::chrono::milliseconds bound = std::chrono::milliseconds(1000));

    /// One pass, on the caller's thread: claims, then presence. False when the enumeration failed.
    bool pass();

    static constexpr std::chrono::milliseconds kCycle{100};
    static constexpr int kRetryPasses = 50;  ///< five seconds of 100 ms retries
    static constexpr std::chrono::milliseconds kMaxBackoff{5000};

private:
    void run(const std::stop_token& token);
    void waitForChange(const std::stop_token& token);
    /// Sleeps `period`, or until stop is requested.
    void pause(std::chrono::milliseconds period);

    HidBackend& m_backend;
    SlotTable& m_slots;
    DiscoveryEvents m_events;
    HidInterface m_probe;
    int m_retryPasses = 0;
    bool m_firstScanDone = false;
    std::vector<std::string> m_deniedReported;
    std::function<void(const std::string& path)> m_accessDenied;
    int m_stopFd = -1;
    WorkerThread m_thread;
};

}  // namespace halvern::app
