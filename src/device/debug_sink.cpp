#include "device/debug_sink.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace halvern {
namespace {

struct Sink {
    std::mutex mutex;
    DebugCapture capture;
    std::atomic<bool> hasCapture{false};
    const bool toStderr = [] {
        const char* v = std::getenv("HALVERN_DEBUG");
        return v && std::strcmp(v, "0") != 0 && *v != '\0';
    }();
};

Sink& sink() {
    static Sink s;
    return s;
}

}  // namespace

void debugLog(std::string_view line) {
    Sink& s = sink();
    if (!s.toStderr && !s.hasCapture.load(std::memory_order_acquire)) return;
    std::lock_guard lock(s.mutex);
    if (s.capture) s.capture(line);
    if (s.toStderr) std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

DebugCapture setDebugCapture(DebugCapture capture) {
    Sink& s = sink();
    std::lock_guard lock(s.mutex);
    DebugCapture old = std::move(s.capture);
    s.capture = std::move(capture);
    s.hasCapture.store(static_cast<bool>(s.capture), std::memory_order_release);
    return old;
}

bool debugEnabled() {
    Sink& s = sink();
    return s.toStderr || s.hasCapture.load(std::memory_order_acquire);
}

}  // namespace halvern
