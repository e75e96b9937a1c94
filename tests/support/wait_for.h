#pragma once
// Waiting in tests for a condition that other threads or programs change without an event to wait on.

#include <chrono>
#include <functional>
#include <thread>

namespace halvern::test {

/// Polls `done` until it holds or `bound` passes; true when it held. The 2 ms between looks is the polling
/// interval, not a wait for something to happen.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds bound = std::chrono::milliseconds(2000)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace halvern::test
