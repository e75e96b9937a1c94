#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "device/executor.h"

namespace halvern::app {

/// Runs work on the user-interface thread for a worker and waits until it is done, the way discovery
/// hands over arrivals and removals. Unlike a blocking queued call it gives up when the window closes, so
/// a worker waiting here never blocks the shutdown that waits for the worker; work still waiting to run
/// then never runs (the window frees what it would touch right after closing).
class UiThreadCall {
public:
    /// `ui` runs tasks on the user-interface thread.
    explicit UiThreadCall(Executor& ui) : m_ui(ui) {}

    /// From a worker: runs `work` on the context's thread and waits for it. False when closed first.
    bool run(std::function<void()> work) {
        auto state = std::make_shared<State>();
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) return false;
            std::erase_if(m_waiting, [](const auto& w) { return w.expired(); });
            m_waiting.push_back(state);
        }
        m_ui.post([state, work = std::move(work)] {
            {
                // Closed before the task came up: what the work would touch may be gone already.
                std::lock_guard lock(state->mutex);
                if (state->closed) return;
            }
            work();
            std::lock_guard lock(state->mutex);
            state->done = true;
            state->cv.notify_all();
        });
        std::unique_lock lock(state->mutex);
        state->cv.wait(lock, [&] { return state->done || state->closed; });
        return state->done;
    }

    /// From the user-interface thread: releases every waiting worker and refuses new calls.
    void close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        for (auto& weak : m_waiting) {
            if (auto s = weak.lock()) {
                std::lock_guard stateLock(s->mutex);
                s->closed = true;
                s->cv.notify_all();
            }
        }
        m_waiting.clear();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
        bool closed = false;
    };
    Executor& m_ui;
    std::mutex m_mutex;
    bool m_closed = false;
    std::vector<std::weak_ptr<State>> m_waiting;
};

}  // namespace halvern::app
