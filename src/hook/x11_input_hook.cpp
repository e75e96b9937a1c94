#include "hook/x11_input_hook.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/debug_sink.h"
#include "input/evdev_keys.h"

namespace halvern {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

/// X core button numbers → macro button bits; 4-7 are the wheel and are not buttons here.
uint8_t buttonBit(unsigned button) {
    switch (button) {
        case 1:
            return 1;  // left
        case 2:
            return 4;  // middle
        case 3:
            return 2;  // right
        case 8:
            return 8;  // back
        case 9:
            return 16;  // forward
        default:
            return 0;
    }
}

class X11InputHook final : public InputHook {
public:
    X11InputHook(DisplayPtr control, DisplayPtr data)
        : m_control(std::move(control)), m_data(std::move(data)) {}
    ~X11InputHook() override { Stop(); }

    bool Start(Sink sink, bool grabKeyboard) override {
        Stop();
        XRecordRange* range = XRecordAllocRange();
        if (!range) return false;
        range->device_events.first = KeyPress;
        range->device_events.last = ButtonRelease;
        XRecordClientSpec clients = XRecordAllClients;
        m_context = XRecordCreateContext(m_control.get(), 0, &clients, 1, &range, 1);
        XFree(range);
        if (!m_context) return false;
        XSync(m_control.get(), False);
        m_sink = std::move(sink);
        m_state = State::Starting;
        m_grabbed = grabKeyboard && XGrabKeyboard(m_control.get(), DefaultRootWindow(m_control.get()), False,
                                                  GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        XFlush(m_control.get());
        m_thread = std::thread([this] {
            if (!XRecordEnableContext(m_data.get(), m_context, &X11InputHook::received,
                                      reinterpret_cast<XPointer>(this))) {
                debugLog("the X11 input hook could not start recording");
            }
            const std::lock_guard lock(m_startGuard);
            m_state = State::Ended;
            m_started.notify_all();
        });
        // Events before the server started recording would be lost: wait for its start of data.
        std::unique_lock lock(m_startGuard);
        m_started.wait_for(lock, kStartTimeout, [this] { return m_state != State::Starting; });
        const bool running = m_state == State::Running;
        lock.unlock();
        if (!running) Stop();
        return running;
    }

    void Stop() override {
        if (!m_context) return;
        XRecordDisableContext(m_control.get(), m_context);
        XFlush(m_control.get());
        if (m_thread.joinable()) m_thread.join();
        XRecordFreeContext(m_control.get(), m_context);
        m_context = 0;
        if (m_grabbed) XUngrabKeyboard(m_control.get(), CurrentTime);
        m_grabbed = false;
        XSync(m_control.get(), True);  // the keys the grab brought here are nobody's
        m_sink = nullptr;
    }

    [[nodiscard]] bool keyboardGrabbed() const override { return m_grabbed; }

private:
    static void received(XPointer self, XRecordInterceptData* data) {
        auto* hook = reinterpret_cast<X11InputHook*>(self);
        if (data->category == XRecordStartOfData) {
            const std::lock_guard lock(hook->m_startGuard);
            hook->m_state = State::Running;
            hook->m_started.notify_all();
        } else if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
            hook->deliver(*reinterpret_cast<const xEvent*>(data->data));
        }
        XRecordFreeData(data);
    }

    void deliver(const xEvent& e) {
        InputEvent event;
        event.timeMs = SteadyMilliseconds();
        const int type = e.u.u.type & 0x7F;
        event.down = type == KeyPress || type == ButtonPress;
        if (type == KeyPress || type == KeyRelease) {
            const std::optional<ScanCode> scan = ScanFromXkbKeycode(e.u.u.detail);
            if (!scan) return;  // a key the macros cannot hold (media keys and the like)
            event.kind = InputEvent::Kind::Key;
            event.key = *scan;
        } else {
            event.kind = InputEvent::Kind::Button;
            event.button = buttonBit(e.u.u.detail);
            if (event.button == 0) return;
            event.x = e.u.keyButtonPointer.rootX;
            event.y = e.u.keyButtonPointer.rootY;
            event.positioned = true;
        }
        m_sink(event);
    }

    DisplayPtr m_control;  ///< the caller's thread: context, grab, disabling
    DisplayPtr m_data;     ///< the hook thread's, blocked in XRecordEnableContext
    XRecordContext m_context = 0;
    Sink m_sink;
    bool m_grabbed = false;
    enum class State { Starting, Running, Ended };
    static constexpr std::chrono::seconds kStartTimeout{5};
    std::mutex m_startGuard;
    std::condition_variable m_started;
    State m_state = State::Ended;  ///< guarded by m_startGuard once the thread runs
    std::thread m_thread;
};

}  // namespace

std::unique_ptr<InputHook> MakeX11InputHook(const std::string& display) {
    const char* name = display.empty() ? nullptr : display.c_str();
    DisplayPtr control(XOpenDisplay(name));
    if (!control) return nullptr;
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(control.get(), &major, &minor)) return nullptr;
    DisplayPtr data(XOpenDisplay(name));
    if (!data) return nullptr;
    return std::make_unique<X11InputHook>(std::move(control), std::move(data));
}

}  // namespace halvern
