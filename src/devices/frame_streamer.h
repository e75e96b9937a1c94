#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

#include "device/command_channel.h"
#include "devices/worker_thread.h"
#include "lighting/types.h"

namespace halvern {

/// Streams the frames of a software-driven light mode to a device on a worker of its own, so the
/// interface thread never waits for the device. While the source wants frames, the worker takes one
/// from the source, writes it with StreamLightFrame, and sleeps until the source's next change is due
/// (never sooner than the minimum period, never later than kSteadyRefresh); after a failed write it pauses
/// 200 ms. While the source wants
/// none, the worker sleeps until wake() is called: whoever changes what the source looks at (mode, light
/// control, link) calls wake().
class FrameStreamer {
public:
    static constexpr size_t kBufferSize = 512;
    using Buffer = std::array<uint8_t, kBufferSize>;
    static constexpr std::chrono::milliseconds kFailurePause{200};
    /// A frame that does not change is sent again after this long.
    static constexpr std::chrono::milliseconds kSteadyRefresh{250};

    struct Source {
        /// Whether frames are wanted now, and at what least period between frame starts.
        std::function<bool(std::chrono::milliseconds& minPeriod)> wanted;
        /// Fills the buffer with the frame to send and returns the number of bytes to write (at most
        /// kBufferSize; 0 sends nothing). `nextChange` receives when the frame next changes, in steady
        /// milliseconds (kNever: not on its own).
        std::function<size_t(Buffer& buffer, Millis& nextChange)> build;
    };
    static constexpr Millis kNever = INT64_MAX;

    struct Stats {
        uint64_t frames = 0;   ///< frames written in full
        double lastAgeMs = 0;  ///< time from taking the last frame to its last report's acknowledgement
    };

    FrameStreamer(CommandChannel& channel, Source source);
    ~FrameStreamer() { stop(); }
    FrameStreamer(const FrameStreamer&) = delete;
    FrameStreamer& operator=(const FrameStreamer&) = delete;

    void start();
    /// Stops the worker (within one frame write).
    void stop();
    /// Makes the worker look at its source again now.
    void wake();
    [[nodiscard]] bool running() const { return m_thread.running(); }
    [[nodiscard]] Stats stats() const;

private:
    void run(const std::stop_token& token);
    /// Waits until `until` or a stop request; with `wakeable`, a wake() also ends the wait.
    void sleepUntil(std::unique_lock<std::mutex>& lock, const std::stop_token& token,
                    std::chrono::steady_clock::time_point until, bool wakeable);

    CommandChannel& m_channel;
    Source m_source;
    mutable std::mutex m_mutex;
    std::condition_variable_any m_cv;
    bool m_woken = false;
    Stats m_stats;
    WorkerThread m_thread;  // last: stopped before the members it uses go
};

}  // namespace halvern
