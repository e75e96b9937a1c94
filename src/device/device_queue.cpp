#include "device/device_queue.h"

#include <pthread.h>

#include <algorithm>
#include <utility>

#include "device/debug_sink.h"

namespace halvern {
namespace {

using Clock = DeviceQueue::Clock;

double millisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

DeviceQueue::DeviceQueue(CommandChannel& channel, Executor& executor)
    : m_channel(channel), m_executor(&executor) {}

DeviceQueue::~DeviceQueue() {
    stop();
    *m_alive = false;  // completions already handed to the executor find their owner gone
}

void DeviceQueue::setExecutor(Executor& executor) {
    std::scoped_lock lock(m_mutex);
    m_executor = &executor;
}

Executor& DeviceQueue::executor() {
    std::scoped_lock lock(m_mutex);
    return *m_executor;
}

// The source is only ever read under m_mutex: the worker takes a copy of it for each frame.
void DeviceQueue::setFrameSource(FrameSource source) {
    {
        std::scoped_lock lock(m_mutex);
        m_source = std::move(source);
        m_frameDue = Clock::now();
        m_sentForgotten = true;  // a device opened again may have lost what it was sent
    }
    m_changed.notify_all();  // an idle worker waits without a deadline: the new source is due now
}

void DeviceQueue::start() {
    if (m_thread.running()) return;
    m_thread.start([this](std::stop_token token) { run(token); });
}

void DeviceQueue::stop() {
    m_thread.stop(std::chrono::milliseconds(1000));
    std::deque<Entry> dropped;
    {
        std::scoped_lock lock(m_mutex);
        dropped.swap(m_jobs);
    }
    m_changed.notify_all();
}

void DeviceQueue::completeLater(const Done& done, DeviceResult result) {
    if (!done) {
        // Nobody waits for this one (a refresh, a power read): its failure still reaches the debug output.
        if (!result.ok()) debugLog(describe(result));
        return;
    }
    Executor* executor = nullptr;
    {
        std::scoped_lock lock(m_mutex);
        executor = m_executor;
    }
    executor->post([alive = m_alive, done, result] {
        if (*alive) done(result);
    });
}

void DeviceQueue::submit(Job job, Done done) {
    {
        std::scoped_lock lock(m_mutex);
        if (m_thread.running()) {
            m_jobs.push_back({std::move(job), std::move(done), Clock::now()});
            m_changed.notify_all();
            return;
        }
    }
    completeLater(done, DeviceResult::Cancelled(DeviceStep::None));
}

void DeviceQueue::postFrame(std::span<const uint8_t> frame) {
    {
        std::scoped_lock lock(m_mutex);
        if (Clock::now() < m_postedPausedUntil) return;
        m_postedLength = std::min(frame.size(), m_posted.size());
        std::copy_n(frame.begin(), m_postedLength, m_posted.begin());
        m_hasPosted = true;
    }
    m_changed.notify_all();
}

void DeviceQueue::wakeFrames() {
    {
        std::scoped_lock lock(m_mutex);
        // As soon as the least period allows; a failure pause is not cut short.
        m_frameDue = std::min(m_frameDue, m_frameEarliest);
        ++m_frameWakes;
    }
    m_changed.notify_all();
}

void DeviceQueue::whileIdle(const std::function<void()>& fn) {
    std::scoped_lock run(m_runMutex);
    fn();
}

bool DeviceQueue::drain(std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, bound, [this] { return m_jobs.empty() && !m_jobRunning; });
}

DeviceQueue::Stats DeviceQueue::stats() const {
    std::scoped_lock lock(m_mutex);
    return m_stats;
}

void DeviceQueue::run(const std::stop_token& token) {
    ::pthread_setname_np(::pthread_self(), "device-queue");  // for profilers and top -H
    // A due frame goes before the next command when the worker was idle or a command ran last; a command
    // goes before the next frame when a frame ran last. So what was due first goes first, and under load the
    // two alternate.
    bool frameTurn = true;
    std::unique_lock lock(m_mutex);
    while (!token.stop_requested()) {
        const Clock::time_point now = Clock::now();
        const bool sourceDue = m_source.build && m_frameDue <= now;
        const bool frameDue = m_hasPosted || sourceDue;
        if (!m_jobs.empty() && !(frameDue && frameTurn)) {
            Entry entry = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_jobRunning = true;
            m_stats.longestJobWaitMs = std::max(m_stats.longestJobWaitMs, millisBetween(entry.queued, now));
            lock.unlock();
            runJob(entry);
            lock.lock();
            m_jobRunning = false;
            ++m_stats.jobs;
            m_changed.notify_all();
            frameTurn = true;
            continue;
        }
        if (frameDue) {
            lock.unlock();
            if (m_hasPosted) {
                runPostedFrame();
            } else {
                runSourceFrame();
            }
            lock.lock();
            frameTurn = false;
            continue;
        }
        const Clock::time_point wakeAt = m_source.build ? m_frameDue : Clock::time_point::max();
        const auto woken = [this, wakeAt] {
            return !m_jobs.empty() || m_hasPosted || (m_source.build && m_frameDue < wakeAt);
        };
        if (wakeAt == Clock::time_point::max()) {
            m_changed.wait(lock, token, woken);
        } else {
            m_changed.wait_until(lock, token, wakeAt, woken);
        }
        frameTurn = true;
    }
}

void DeviceQueue::runJob(const Entry& entry) {
    DeviceResult result;
    {
        std::scoped_lock run(m_runMutex);
        result = entry.job(m_channel);
    }
    completeLater(entry.done, result);
}

void DeviceQueue::runPostedFrame() {
    FrameBuffer frame{};
    size_t length = 0;
    {
        std::scoped_lock lock(m_mutex);
        frame = m_posted;
        length = m_postedLength;
        m_hasPosted = false;
    }
    int written = result::kSuccess;
    {
        std::scoped_lock run(m_runMutex);
        if (length > 0) written = m_channel.StreamLightFrame(std::span(frame).first(length));
    }
    std::scoped_lock lock(m_mutex);
    if (written == result::kSuccess) {
        ++m_stats.frames;
    } else {
        ++m_stats.failedFrames;
        m_postedPausedUntil = Clock::now() + kFailurePause;
    }
}

void DeviceQueue::runSourceFrame() {
    std::chrono::milliseconds minPeriod{10};
    FrameBuffer buffer{};
    Clock::time_point nextChange = Clock::time_point::max();
    const Clock::time_point began = Clock::now();
    int written = result::kSuccess;
    size_t length = 0;
    bool wanted = false;
    FrameSource source;
    uint64_t wakes = 0;
    bool repeat = false;
    {
        // The owner may set a new source at any time (every activation does): this frame uses the one
        // set when it began.
        std::scoped_lock lock(m_mutex);
        source = m_source;
        wakes = m_frameWakes;
        if (std::exchange(m_sentForgotten, false)) m_sentLength = 0;
    }
    {
        std::scoped_lock run(m_runMutex);
        wanted = source.wanted && source.build && source.wanted(minPeriod);
        if (wanted) {
            length = std::min(source.build(buffer, nextChange), buffer.size());
            const std::span<const uint8_t> frame = std::span(buffer).first(length);
            repeat = length > 0 && length == m_sentLength && began < m_sentAt + kSteadyRefresh &&
                     std::equal(frame.begin(), frame.end(), m_sent.begin());
            if (length > 0 && !repeat)
                written = source.send ? source.send(m_channel, frame) : m_channel.StreamLightFrame(frame);
        }
    }
    if (!wanted || written != result::kSuccess) {
        m_sentLength = 0;  // the next frame wanted is sent in any case
    } else if (length > 0 && !repeat) {
        m_sent = buffer;
        m_sentLength = length;
        m_sentAt = began;
    }
    const Clock::time_point done = Clock::now();
    std::scoped_lock lock(m_mutex);
    // What changed while this frame was built (a colour painted after it was read) goes in the next one,
    // as soon as the least period allows, instead of waiting for the steady refresh.
    const bool wokenMeanwhile = m_frameWakes != wakes;
    if (!wanted) {
        m_frameEarliest = began;
        m_frameDue = wokenMeanwhile ? began : Clock::time_point::max();  // until wakeFrames()
        return;
    }
    if (written != result::kSuccess) {
        ++m_stats.failedFrames;
        m_frameEarliest = m_frameDue = done + kFailurePause;
        return;
    }
    if (repeat) {
        ++m_stats.repeatsSkipped;
    } else if (length > 0) {
        ++m_stats.frames;
        m_stats.lastFrameAgeMs = millisBetween(began, done);
    }
    // Never more often than the period allows; then not before the frame changes (or the steady refresh).
    m_frameEarliest = began + minPeriod;
    // A repeat not sent leaves the refresh where the frame that was sent put it.
    const Clock::time_point refresh = (repeat ? m_sentAt : began) + kSteadyRefresh;
    m_frameDue = wokenMeanwhile ? m_frameEarliest : std::max(m_frameEarliest, std::min(refresh, nextChange));
}

}  // namespace halvern
