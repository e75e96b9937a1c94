#include "devices/frame_streamer.h"

#include <pthread.h>

#include <algorithm>

namespace halvern {

using Clock = std::chrono::steady_clock;

FrameStreamer::FrameStreamer(CommandChannel& channel, Source source)
    : m_channel(channel), m_source(std::move(source)) {}

void FrameStreamer::start() {
    if (m_thread.running()) return;
    m_thread.start([this](std::stop_token token) { run(token); });
}

void FrameStreamer::stop() { m_thread.stop(std::chrono::milliseconds(1000)); }

void FrameStreamer::wake() {
    {
        std::scoped_lock lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

FrameStreamer::Stats FrameStreamer::stats() const {
    std::scoped_lock lock(m_mutex);
    return m_stats;
}

void FrameStreamer::sleepUntil(std::unique_lock<std::mutex>& lock, const std::stop_token& token,
                               Clock::time_point until, bool wakeable) {
    m_cv.wait_until(lock, token, until, [this, wakeable] { return wakeable && m_woken; });
}

void FrameStreamer::run(const std::stop_token& token) {
    ::pthread_setname_np(::pthread_self(), "frame-stream");  // for profilers and top -H
    Buffer buffer{};
    std::unique_lock lock(m_mutex);
    while (!token.stop_requested()) {
        m_woken = false;
        std::chrono::milliseconds minPeriod{10};
        if (!m_source.wanted || !m_source.wanted(minPeriod)) {
            m_cv.wait(lock, token, [this] { return m_woken; });
            continue;
        }
        lock.unlock();
        const Clock::time_point began = Clock::now();
        Millis nextChange = kNever;
        buffer.fill(0);
        const size_t length = std::min(m_source.build(buffer, nextChange), kBufferSize);
        const int written = length == 0 ? result::kSuccess
                                        : m_channel.StreamLightFrame(std::span(buffer).first(length));
        const Clock::time_point done = Clock::now();
        lock.lock();
        if (written != result::kSuccess) {
            sleepUntil(lock, token, done + kFailurePause, false);
            continue;
        }
        if (length != 0) {
            ++m_stats.frames;
            m_stats.lastAgeMs = std::chrono::duration<double, std::milli>(done - began).count();
        }
        // Never more often than the period allows; then not before the frame changes, unless woken.
        const Clock::time_point earliest = began + minPeriod;
        sleepUntil(lock, token, earliest, false);
        // A frame that does not change is sent again now and then: a chunk dropped while other traffic
        // held the channel must not leave the keys wrong for good.
        Clock::time_point due = began + kSteadyRefresh;
        if (nextChange != kNever) due = std::min(due, Clock::time_point{std::chrono::milliseconds(nextChange)});
        if (due > Clock::now()) sleepUntil(lock, token, due, true);
    }
}

}  // namespace halvern
