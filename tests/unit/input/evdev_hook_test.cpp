#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "hook/evdev_input_hook.h"

namespace halvern {
namespace {

TEST(EvdevHook, KeysAndButtonsFromTheEventStreamInOrder) {
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe(ends), 0);
    UniqueFd writer(ends[1]);
    std::vector<UniqueFd> devices;
    devices.emplace_back(ends[0]);
    auto hook = MakeEvdevInputHookOver(std::move(devices));
    ASSERT_TRUE(hook);

    std::mutex guard;
    std::condition_variable arrived;
    std::vector<InputEvent> events;
    ASSERT_TRUE(hook->Start(
        [&](const InputEvent& e) {
            const std::lock_guard lock(guard);
            events.push_back(e);
            arrived.notify_all();
        },
        true));
    EXPECT_FALSE(hook->keyboardGrabbed());

    const auto event = [](uint16_t type, uint16_t code, int32_t value) {
        input_event e{};
        e.type = type;
        e.code = code;
        e.value = value;
        return e;
    };
    const std::vector<input_event> stream{
        event(EV_KEY, KEY_A, 1),    event(EV_SYN, SYN_REPORT, 0), event(EV_KEY, KEY_A, 2),  // repeat: dropped
        event(EV_KEY, KEY_MUTE, 1), event(EV_KEY, KEY_A, 0),      event(EV_REL, REL_X, 5),
        event(EV_KEY, BTN_SIDE, 1), event(EV_KEY, BTN_LEFT, 0),
    };
    // The stream arrives in two pieces that split an event.
    const auto* bytes = reinterpret_cast<const char*>(stream.data());
    const size_t total = stream.size() * sizeof(input_event), split = sizeof(input_event) * 3 + 5;
    ASSERT_EQ(::write(writer.get(), bytes, split), static_cast<ssize_t>(split));
    ASSERT_EQ(::write(writer.get(), bytes + split, total - split), static_cast<ssize_t>(total - split));
    {
        std::unique_lock lock(guard);
        ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(5), [&] { return events.size() >= 4; }));
    }
    writer.reset();  // the device goes away: the hook keeps running until stopped
    hook->Stop();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].key, (ScanCode{0x1E, false}));
    EXPECT_TRUE(events[0].down);
    EXPECT_FALSE(events[1].down);
    EXPECT_EQ(events[2].kind, InputEvent::Kind::Button);
    EXPECT_EQ(events[2].button, 8);
    EXPECT_EQ(events[3].button, 1);
    EXPECT_FALSE(events[3].down);
    EXPECT_FALSE(MakeEvdevInputHook("/nonexistent"));
}

}  // namespace
}  // namespace halvern
