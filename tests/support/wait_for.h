#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace halvern::test {

/// Waits up to `bound` for `done` to hold, looking every 2 ms; true when it did.
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
