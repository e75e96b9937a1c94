// Direct colours from an RGB program to the keyboard: the application offscreen with an emulated cable
// keyboard behind a link that moves one report per millisecond each way (as USB full speed), its RGB server
// on a free port, and a program on another thread that sends UpdateLeds over TCP. Prints
//   - update → frame: from sending a colour to the keyboard holding it in a streamed frame (median, worst),
//     one update at a time;
//   - sustained: updates sent at 500 a second for two seconds: the frames a second the keyboard took (the
//     link's pace bounds them: a newer colour replaces one not yet sent), and how many of the colours were
//     seen in a frame before the next colour was sent.
//
//   build/tests/bench/rgb_direct_bench [updates]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/rgb/rgb_service.h"
#include "app/service/device_service.h"
#include "emulator/emulator.h"
#include "event_loop.h"
#include "profile/data_folders.h"
#include "ui/controls/control_registry.h"

namespace {

using namespace halvern;
using Clock = std::chrono::steady_clock;

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(static_cast<uint8_t>(v >> s));
}

std::vector<uint8_t> packet(uint32_t device, uint32_t id, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> b{'O', 'R', 'G', 'B'};
    put32(b, device);
    put32(b, id);
    put32(b, static_cast<uint32_t>(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

/// UpdateLeds for `leds` LEDs, all of one colour whose red byte is `red`.
std::vector<uint8_t> updateLeds(uint32_t device, size_t leds, uint8_t red) {
    std::vector<uint8_t> payload;
    put32(payload, 0);
    payload.push_back(static_cast<uint8_t>(leds));
    payload.push_back(static_cast<uint8_t>(leds >> 8));
    for (size_t i = 0; i < leds; ++i) payload.insert(payload.end(), {red, 0x40, 0x20, 0});
    return packet(device, 1050, payload);
}

bool sendAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

/// Whether the keyboard's last streamed frame shows the colour whose red byte is `red` (as the frame's level
/// scales it: colour × 255 / 256).
bool frameShows(const emu::VirtualDevice& keyboard, uint8_t red) {
    const std::vector<uint8_t> frame = keyboard.firmware().lastFrame();
    const std::array<uint8_t, 3> colour{static_cast<uint8_t>((red * 255) >> 8), 0x3f, 0x1f};
    return std::search(frame.begin(), frame.end(), colour.begin(), colour.end()) != frame.end();
}

}  // namespace

int main(int argc, char** argv) {
    const int updates = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit().constData(),
           1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::LayoutLoader loader;
    ui::registerCustomControls(loader);
    ui::LanguageTexts texts;
    (void)texts.load(QString::fromStdString((GetResourceFolder() / "lang" / "en.json").string()));

    emu::Emulator emulator({.transport = emu::Transport::SocketPair});
    auto keyboard = emulator.attach(emu::Product::Keyboard, emu::Attachment::Cable);
    if (!keyboard) return 1;
    app::MainWindow window(emulator, loader, texts);
    window.start();
    app::DeviceService service(window.deviceList().manager(), emulator);
    app::RgbService rgb(service, [] { return std::pair{1920, 1080}; });
    window.uiTasks().setAfterTasks([&rgb] { rgb.devicesMayHaveChanged(); });
    RgbServerSettings settings;
    settings.enabled = true;
    settings.port = 0;
    if (QString problem; !rgb.apply(settings, problem)) {
        std::fprintf(stderr, "rgb_direct_bench: %s\n", qPrintable(problem));
        return 1;
    }
    if (!bench::runUntil(
            [&] {
                return window.deviceList().pageForKind(1) &&
                       window.deviceList().pageForKind(1)->managed->active;
            },
            15000)) {
        std::fprintf(stderr, "rgb_direct_bench: the keyboard did not open\n");
        return 1;
    }
    rgb.devicesMayHaveChanged();
    (void)bench::runUntil([] { return false; }, 200);  // the controllers are compared on the next turn
    keyboard->setFaults({.latency = std::chrono::milliseconds(1)});
    const uint16_t port = rgb.port();
    constexpr size_t kLeds =
        132;  // the keyboard controller's keys; the keyboard is controller 0, the only one

    std::atomic<bool> finished{false};
    std::vector<double> latencies;
    double sustainedRate = 0;
    double sustainedFrames = 0;
    int sustainedSent = 0;
    std::thread program([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            finished = true;
            return;
        }
        // One at a time: each colour is waited for in the keyboard's frames.
        for (int i = 0; i < updates; ++i) {
            const uint8_t red = static_cast<uint8_t>(0x10 + 2 * (i % 100));
            const auto start = Clock::now();
            if (!sendAll(fd, updateLeds(0, kLeds, red))) break;
            uint64_t chunks = 0;
            while (!frameShows(*keyboard, red) && Clock::now() - start < std::chrono::seconds(2))
                (void)keyboard->firmware().awaitFrameChunk(chunks,
                                                           Clock::now() + std::chrono::milliseconds(50));
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        // Back to back for two seconds, at a program's own frame pace (500 a second): how many of the
        // colours does the keyboard show? Each is looked for in the frames that arrive before the next.
        int reached = 0;
        const unsigned framesBefore = keyboard->firmware().frameCount();
        const auto start = Clock::now();
        for (int i = 0; Clock::now() - start < std::chrono::seconds(2); ++i) {
            const auto red = static_cast<uint8_t>(i % 256);
            if (!sendAll(fd, updateLeds(0, kLeds, red))) break;
            ++sustainedSent;
            const auto next = Clock::now() + std::chrono::milliseconds(2);
            uint64_t chunks = 0;
            bool seen = false;
            while (!seen && keyboard->firmware().awaitFrameChunk(chunks, next))
                seen = frameShows(*keyboard, red);
            reached += seen ? 1 : 0;
            std::this_thread::sleep_until(next);
        }
        sustainedRate = static_cast<double>(reached) / 2.0;
        sustainedFrames = static_cast<double>(keyboard->firmware().frameCount() - framesBefore) / 2.0;
        ::close(fd);
        finished = true;
    });
    (void)bench::runUntil([&] { return finished.load(); }, 600000);
    program.join();
    window.uiTasks().setAfterTasks({});
    rgb.stop();
    window.shutdown();
    if (latencies.empty()) {
        std::fprintf(stderr, "rgb_direct_bench: no update reached the keyboard\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("update -> frame at the keyboard: median %.1f ms, worst %.1f ms (%zu updates)\n",
                latencies[latencies.size() / 2], latencies.back(), latencies.size());
    std::printf(
        "sustained: %d updates sent in 2 s; the keyboard took %.0f frames a second, %.0f of the colours "
        "a second were seen in a frame before the next was sent\n",
        sustainedSent, sustainedFrames, sustainedRate);
    return 0;
}
