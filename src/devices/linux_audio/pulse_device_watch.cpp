#include "devices/linux_audio/pulse_device_watch.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/subscribe.h>

#include <chrono>

namespace halvern::audio {
namespace {

constexpr std::chrono::milliseconds kRetry{1000};

// One connection: its own main loop, run on the watch's thread only.
struct Session {
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = nullptr;
    bool subscribed = false;

    Session() {
        if (loop != nullptr) context = pa_context_new(pa_mainloop_get_api(loop), "Halvern device watch");
    }
    ~Session() {
        if (context != nullptr) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop != nullptr) pa_mainloop_free(loop);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    [[nodiscard]] pa_context_state_t state() const { return pa_context_get_state(context); }
    [[nodiscard]] bool broken() const {
        return state() == PA_CONTEXT_FAILED || state() == PA_CONTEXT_TERMINATED;
    }
};

void onEvent(pa_context* /*context*/, pa_subscription_event_type_t type, uint32_t /*index*/, void* data) {
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if ((facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) &&
        kind != PA_SUBSCRIPTION_EVENT_CHANGE)
        (*static_cast<std::function<void()>*>(data))();
}

}  // namespace

PulseDeviceWatch::PulseDeviceWatch(std::function<void()> changed) : m_changed(std::move(changed)) {
    m_thread.start([this](const std::stop_token& stop) { run(stop); });
}

PulseDeviceWatch::~PulseDeviceWatch() {
    m_thread.stop(std::chrono::milliseconds(2000));
}

void PulseDeviceWatch::run(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
        Session session;
        if (session.context == nullptr) return;
        // A stop wakes the loop out of its poll (pa_mainloop_wakeup may be called from any thread).
        const std::stop_callback wake(stop, [&session] { pa_mainloop_wakeup(session.loop); });
        pa_context_set_subscribe_callback(session.context, &onEvent, &m_changed);
        if (pa_context_connect(session.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            while (!stop.stop_requested() && !session.broken()) {
                // No time-out: the server's events and a stop (pa_mainloop_wakeup) are what wake the loop.
                if (pa_mainloop_prepare(session.loop, -1) < 0 || pa_mainloop_poll(session.loop) < 0 ||
                    pa_mainloop_dispatch(session.loop) < 0)
                    break;
                if (!session.subscribed && session.state() == PA_CONTEXT_READY) {
                    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                          PA_SUBSCRIPTION_MASK_SOURCE);
                    if (pa_operation* op = pa_context_subscribe(session.context, mask, nullptr, nullptr))
                        pa_operation_unref(op);
                    session.subscribed = true;
                    m_changed();  // a server that started brings its devices
                }
            }
        }
        if (session.subscribed && !stop.stop_requested()) m_changed();  // the server went, and its devices
        if (WorkerThread::waitForStop(stop, kRetry)) return;
    }
}

}  // namespace halvern::audio
