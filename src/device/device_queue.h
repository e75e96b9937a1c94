#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

#include "device/command_channel.h"
#include "device/device_result.h"
#include "device/executor.h"
#include "device/worker_thread.h"

namespace halvern {

/// The one owner of a device's wire. Every exchange of the device — settings, reads, key table, macros,
/// custom colours, link probes, power status, light frames — runs on this queue's worker thread, one job
/// at a time, so a multi-report sequence (Begin … End, the chunks of one frame) is never interleaved with
/// another. Callers on any thread submit jobs; each job's result is handed to the owner's Executor.
///
/// Jobs run in order. Light frames are the lowest priority and never queue: a frame is built when it is
/// due and the link is free, so what goes out is always the newest. A command waits for at most one frame,
/// and a due frame for at most one command, so neither starves the other.
///
/// A job receives the channel and values it captured; it must not touch its owner's state (the owner's
/// thread does that in the completion).
class DeviceQueue {
public:
    using Job = std::function<DeviceResult(CommandChannel&)>;
    using Done = std::function<void(DeviceResult)>;
    using Clock = std::chrono::steady_clock;

    static constexpr size_t kFrameBytes = 512;
    using FrameBuffer = std::array<uint8_t, kFrameBytes>;
    /// A failed frame pauses the stream this long, so an unplugged device is not flooded.
    static constexpr std::chrono::milliseconds kFailurePause{200};
    /// A frame that does not change is sent again after this long (a chunk lost on the way must not leave
    /// the keys wrong for good). A source frame built with the same bytes as the last one sent is not
    /// sent before then, whatever the source said about its changes (a music mode in silence builds the
    /// same dark frame at every step).
    static constexpr std::chrono::milliseconds kSteadyRefresh{250};

    /// Where streamed frames come from. Both functions run on the worker thread.
    struct FrameSource {
        /// Whether frames are wanted now, and the least period between frame starts.
        std::function<bool(std::chrono::milliseconds& minPeriod)> wanted;
        /// Fills the buffer and returns the bytes to send (0: nothing); `nextChange` receives when the frame
        /// next changes (Clock::time_point::max(): not on its own).
        std::function<size_t(FrameBuffer& buffer, Clock::time_point& nextChange)> build;
        /// Sends a built frame and returns a result code; empty: the channel's light stream.
        std::function<int(CommandChannel& channel, std::span<const uint8_t> frame)> send = nullptr;
    };

    struct Stats {
        uint64_t jobs = 0;            ///< jobs run
        uint64_t frames = 0;          ///< frames written in full
        uint64_t repeatsSkipped = 0;  ///< source frames not sent: the same bytes as the last one sent
        uint64_t failedFrames = 0;
        double lastFrameAgeMs = 0;    ///< from building the last frame to its last report's acknowledgement
        double longestJobWaitMs = 0;  ///< longest time a job waited in the queue
    };

    /// `executor` runs the completions; it must outlive the queue's worker (stop() ends it).
    DeviceQueue(CommandChannel& channel, Executor& executor);
    ~DeviceQueue();
    DeviceQueue(const DeviceQueue&) = delete;
    DeviceQueue& operator=(const DeviceQueue&) = delete;

    /// Chooses the executor of later completions (the window sets its event loop's).
    void setExecutor(Executor& executor);
    /// The executor completions go to now (the owner's thread waits on it for an operation's end).
    [[nodiscard]] Executor& executor();
    /// Sets where streamed frames come from, from any thread (every activation sets it again); a frame
    /// under way ends with the source it began with.
    void setFrameSource(FrameSource source);

    /// Starts the worker (once; later calls do nothing).
    void start();
    /// Stops the worker within one job; jobs not yet run are dropped and their completions never run.
    void stop();
    [[nodiscard]] bool running() const { return m_thread.running(); }

    /// Queues a job. `done` runs on the executor with the job's result (also when the queue is not
    /// running: it then gets DeviceResult::Cancelled). Without `done`, a failure goes to the debug output.
    void submit(Job job, Done done = {});
    /// Hands `result` to `done` on the executor, as a job's completion would be (for operations that end
    /// without touching the device). Nothing when `done` is empty.
    void completeLater(const Done& done, DeviceResult result);
    /// Hands a ready frame to the worker; it replaces a frame not sent yet. Sent with StreamLightFrame.
    void postFrame(std::span<const uint8_t> frame);
    /// The frame source's answer may have changed (mode, light control, link): ask it again now.
    void wakeFrames();

    /// Runs `fn` on the caller's thread while no job or frame runs on the worker, and keeps the worker off
    /// the channel meanwhile. Whatever runs is made to end first by the caller (it closes the interface or
    /// clears the connected flag), so the wait is short.
    void whileIdle(const std::function<void()>& fn);

    /// Waits until every job submitted so far has run (tests and the command line).
    [[nodiscard]] bool drain(std::chrono::milliseconds bound);

    [[nodiscard]] Stats stats() const;
    [[nodiscard]] CommandChannel& channel() { return m_channel; }

private:
    struct Entry {
        Job job;
        Done done;
        Clock::time_point queued;
    };

    void run(const std::stop_token& token);
    void runJob(const Entry& entry);
    void runSourceFrame();
    void runPostedFrame();

    CommandChannel& m_channel;
    FrameSource m_source;  ///< guarded by m_mutex: the worker takes a copy of it for each frame
    std::shared_ptr<bool> m_alive =
        std::make_shared<bool>(true);  ///< false once the owner went (owner's thread)

    mutable std::mutex m_mutex;  ///< guards everything below
    std::condition_variable_any m_changed;
    Executor* m_executor;
    std::deque<Entry> m_jobs;
    bool m_jobRunning = false;
    FrameBuffer m_posted{};
    size_t m_postedLength = 0;
    bool m_hasPosted = false;
    Clock::time_point m_postedPausedUntil{};
    FrameBuffer m_sent{};     ///< the last source frame sent (worker only)
    size_t m_sentLength = 0;  ///< its length; 0: none to compare with (worker only)
    Clock::time_point m_sentAt{};
    bool m_sentForgotten = false;         ///< a new source: its first frame is sent whatever the last one was
    Clock::time_point m_frameEarliest{};  ///< source frames: not before this
    Clock::time_point m_frameDue = Clock::time_point{};  ///< source frames: next one due
    uint64_t m_frameWakes =
        0;  ///< wakeFrames() calls so far: one during a frame's build is kept for after it
    Stats m_stats;

    std::mutex m_runMutex;  ///< held by the worker while it uses the channel; whileIdle takes it
    WorkerThread m_thread;  // last: stopped before the members it uses go
};

}  // namespace halvern
