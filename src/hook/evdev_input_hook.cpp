#include "hook/evdev_input_hook.h"

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>

#include <array>
#include <cstring>
#include <string>
#include <thread>

#include "device/debug_sink.h"
#include "input/evdev_keys.h"

namespace halvern {
namespace {

/// The kernel's mouse button codes → macro button bits.
struct ButtonRow {
    uint16_t code;
    uint8_t bit;
};
constexpr std::array<ButtonRow, 5> kButtons{{
    {BTN_LEFT, 1},
    {BTN_RIGHT, 2},
    {BTN_MIDDLE, 4},
    {BTN_SIDE, 8},    // back
    {BTN_EXTRA, 16},  // forward
}};

constexpr int kKeyRelease = 0, kKeyPress = 1;  // 2 is the kernel's auto-repeat

class EvdevInputHook final : public InputHook {
public:
    explicit EvdevInputHook(std::vector<UniqueFd> devices) : m_devices(std::move(devices)) {}
    ~EvdevInputHook() override { Stop(); }

    bool Start(Sink sink, bool) override {
        Stop();
        m_stop = UniqueFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!m_stop) return false;
        m_sink = std::move(sink);
        m_thread = std::thread([this] { run(); });
        return true;
    }

    void Stop() override {
        if (!m_thread.joinable()) return;
        const uint64_t one = 1;
        // An eventfd refuses a write only when its counter would overflow, which one write never does.
        if (::write(m_stop.get(), &one, sizeof one) != sizeof one)
            debugLog("the input hook's stop was refused");
        m_thread.join();
        m_stop.reset();
        m_sink = nullptr;
    }

    [[nodiscard]] bool keyboardGrabbed() const override { return false; }

private:
    void run() {
        std::vector<pollfd> polled;
        polled.push_back({m_stop.get(), POLLIN, 0});
        for (const UniqueFd& fd : m_devices) polled.push_back({fd.get(), POLLIN, 0});
        std::vector<std::string> pending(m_devices.size());
        for (;;) {
            if (::poll(polled.data(), polled.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (polled[0].revents != 0) return;
            for (size_t i = 1; i < polled.size(); ++i) {
                if (polled[i].revents == 0) continue;
                if (!readDevice(polled[i].fd, pending[i - 1])) polled[i].fd = -1;  // gone: poll ignores it
            }
        }
    }

    /// Reads what the device has; false when it is gone.
    bool readDevice(int fd, std::string& pending) {
        std::array<char, 64 * sizeof(input_event)> buffer{};
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) return errno == EAGAIN || errno == EINTR;
        if (got == 0) return false;
        pending.append(buffer.data(), static_cast<size_t>(got));
        size_t used = 0;
        for (; pending.size() - used >= sizeof(input_event); used += sizeof(input_event)) {
            input_event event{};
            std::memcpy(&event, pending.data() + used, sizeof event);
            deliver(event);
        }
        pending.erase(0, used);
        return true;
    }

    void deliver(const input_event& e) {
        if (e.type != EV_KEY || (e.value != kKeyPress && e.value != kKeyRelease)) return;
        InputEvent event;
        event.timeMs = SteadyMilliseconds();
        event.down = e.value == kKeyPress;
        if (const std::optional<ScanCode> scan = ScanFromEvdev(e.code)) {
            event.kind = InputEvent::Kind::Key;
            event.key = *scan;
            m_sink(event);
            return;
        }
        for (const ButtonRow& b : kButtons) {
            if (b.code != e.code) continue;
            event.kind = InputEvent::Kind::Button;
            event.button = b.bit;
            m_sink(event);
        }
    }

    std::vector<UniqueFd> m_devices;
    UniqueFd m_stop;
    Sink m_sink;
    std::thread m_thread;
};

/// Whether the device reports keys or mouse buttons.
bool hasKeysOrButtons(int fd) {
    std::array<unsigned long, (KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1> bits{};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof bits), bits.data()) < 0) return false;
    const auto has = [&bits](unsigned code) {
        return (bits[code / (8 * sizeof(unsigned long))] >> (code % (8 * sizeof(unsigned long)))) & 1UL;
    };
    return has(KEY_A) || has(BTN_LEFT);
}

}  // namespace

std::unique_ptr<InputHook> MakeEvdevInputHookOver(std::vector<UniqueFd> devices) {
    if (devices.empty()) return nullptr;
    return std::make_unique<EvdevInputHook>(std::move(devices));
}

std::unique_ptr<InputHook> MakeEvdevInputHook(const std::filesystem::path& folder) {
    std::vector<UniqueFd> devices;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().rfind("event", 0) != 0) continue;
        UniqueFd fd(::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd && hasKeysOrButtons(fd.get())) devices.push_back(std::move(fd));
    }
    return MakeEvdevInputHookOver(std::move(devices));
}

}  // namespace halvern
