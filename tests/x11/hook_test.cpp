// The X11 input hook on a private X server (the script around this test starts Xvfb), driven by input
// injected through XTest, and the recorder on the events it delivers.

// gtest first: X11's headers define None, Bool and the like as macros.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "hook/x11_input_hook.h"

// clang-format off
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
// clang-format on

namespace halvern {
namespace {

// X key codes are evdev codes + 8.
constexpr unsigned kKeyA = 30 + 8, kKeyB = 48 + 8, kCapsLock = 58 + 8, kMute = 113 + 8;

class X11HookTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = XOpenDisplay(nullptr);
        ASSERT_TRUE(display) << "no X display";
        hook = MakeX11InputHook();
        ASSERT_TRUE(hook);
    }
    void TearDown() override {
        hook.reset();
        if (display) XCloseDisplay(display);
    }

    void start(bool grab) {
        ASSERT_TRUE(hook->Start(
            [this](const InputEvent& e) {
                const std::lock_guard lock(guard);
                events.push_back(e);
                arrived.notify_all();
            },
            grab));
    }
    /// Waits until `count` events arrived (at most 5 s); a copy of them.
    std::vector<InputEvent> waitFor(size_t count) {
        return waitUntil([&] { return events.size() >= count; });
    }
    /// Waits until the events hold a release (at most 5 s); a copy of them.
    std::vector<InputEvent> waitForRelease() {
        return waitUntil([&] {
            return std::any_of(events.begin(), events.end(), [](const InputEvent& e) { return !e.down; });
        });
    }
    template <typename Done>
    std::vector<InputEvent> waitUntil(Done done) {
        std::unique_lock lock(guard);
        arrived.wait_for(lock, std::chrono::seconds(5), done);
        return events;
    }
    /// A key pressed, and released `heldMs` later by the server itself.
    void key(unsigned code, unsigned long heldMs = 0) {
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, heldMs);
        XFlush(display);
    }
    bool capsLocked() {
        XkbStateRec state{};
        XkbGetState(display, XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }

    Display* display = nullptr;
    std::unique_ptr<InputHook> hook;
    std::mutex guard;
    std::condition_variable arrived;
    std::vector<InputEvent> events;
};

TEST_F(X11HookTest, AKeyHeldForASecondIsTwoRowsWithTheTimeItWasHeld) {
    MacroRecorder recorder;
    MacroRows rows;
    start(true);
    EXPECT_TRUE(hook->keyboardGrabbed());
    recorder.Begin(TimingMode::Record, HookMode::Append, 50, SteadyMilliseconds());
    key(kKeyA, 1000);  // the server's auto-repeat adds presses meanwhile
    const std::vector<InputEvent> got = waitForRelease();
    hook->Stop();
    for (const InputEvent& e : got) recorder.Record(rows, e);
    ASSERT_EQ(rows.events.size(), 2u);
    EXPECT_EQ(rows.events[0].button, 0x04);
    EXPECT_TRUE(rows.events[0].down);
    EXPECT_FALSE(rows.events[1].down);
    EXPECT_NEAR(rows.events[0].delay, 1000, 250);
}

TEST_F(X11HookTest, CapsLockIsRecordedAndStillTogglesAMediaKeyIsNot) {
    const bool lockedBefore = capsLocked();
    start(true);
    key(kMute);
    key(kCapsLock);
    key(kKeyB);
    const std::vector<InputEvent> got = waitFor(4);
    hook->Stop();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].key, (ScanCode{0x3A, false}));
    EXPECT_EQ(got[2].key, (ScanCode{0x30, false}));
    EXPECT_NE(capsLocked(), lockedBefore);
    key(kCapsLock);  // back as it was
}

TEST_F(X11HookTest, ButtonsComeWithThePointerPositionAndStopEndsTheEvents) {
    // Clicks go to a window, as on any desktop: the server passes recorded data on when it sends events out.
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
    XSelectInput(display, window, ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent e{}; e.type != MapNotify;) XWindowEvent(display, window, StructureNotifyMask, &e);
    start(false);
    XTestFakeMotionEvent(display, -1, 120, 80, 0);
    XTestFakeButtonEvent(display, 3, True, 0);
    XTestFakeButtonEvent(display, 3, False, 0);
    XTestFakeButtonEvent(display, 4, True, 0);  // the wheel is no button
    XTestFakeButtonEvent(display, 4, False, 0);
    XTestFakeButtonEvent(display, 9, True, 0);
    XFlush(display);
    const std::vector<InputEvent> got = waitFor(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].button, 2);
    EXPECT_EQ(got[0].x, 120);
    EXPECT_EQ(got[0].y, 80);
    EXPECT_EQ(got[2].button, 16);
    hook->Stop();
    XTestFakeButtonEvent(display, 9, False, 0);
    XSync(display, False);
    const std::lock_guard lock(guard);
    EXPECT_EQ(events.size(), 3u);
}

}  // namespace
}  // namespace halvern
