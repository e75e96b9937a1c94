#include "sound_companion/application_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "sound/companion_protocol.h"

namespace halvern::sound {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

ApplicationLink::~ApplicationLink() {
    if (m_listener.valid()) ::unlink(m_socketPath.c_str());
}

bool ApplicationLink::listen(std::string& error) {
    const std::string lock = companion::lockPath();
    m_lock.reset(::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!m_lock.valid()) {
        error = systemError("cannot open " + lock);
        return false;
    }
    if (::flock(m_lock.get(), LOCK_EX | LOCK_NB) != 0) {
        error = "another halvern-sound is already running";
        return false;
    }
    // The lock is ours, so a socket file left behind belongs to a companion that died.
    m_socketPath = companion::socketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_socketPath.size() >= sizeof(address.sun_path)) {
        error = "the socket path " + m_socketPath + " is too long";
        return false;
    }
    std::copy(m_socketPath.begin(), m_socketPath.end(), address.sun_path);
    ::unlink(m_socketPath.c_str());
    m_listener.reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!m_listener.valid() ||
        ::bind(m_listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener.get(), 1) != 0) {
        error = systemError("cannot listen on " + m_socketPath);
        return false;
    }
    return true;
}

bool ApplicationLink::accept(std::string& error) {
    m_connection.reset(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!m_connection.valid()) {
        error = systemError("cannot accept the application");
        return false;
    }
    return true;
}

bool ApplicationLink::waitForMessages() {
    pollfd watch{m_connection.get(), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&watch, 1, -1);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

bool ApplicationLink::sendMessage(uint32_t kind, std::span<const int32_t> values) {
    std::array<std::byte, companion::kMaxMessage> message{};
    const std::size_t length = 4 + values.size_bytes();
    if (length > message.size()) return false;
    companion::putLe(message, 0, kind);
    for (std::size_t i = 0; i < values.size(); ++i)
        companion::putLe(message, 4 + 4 * i, static_cast<uint32_t>(values[i]));
    return ::send(m_connection.get(), message.data(), length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

bool ApplicationLink::send(const SoundBlock& block) {
    return sendMessage(companion::kRawBlock, block.raw) && sendMessage(companion::kSixValueBlock, block.six);
}

bool ApplicationLink::takeMessages(StyleColour& colour) {
    std::array<std::byte, companion::kMaxMessage> buffer{};
    for (;;) {
        const ssize_t got = ::recv(m_connection.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        if (got == 0) return false;  // the application went away
        const auto message = std::span<const std::byte>(buffer).first(static_cast<std::size_t>(got));
        if (message.size() < 12) continue;  // every message we act on has a kind and two values
        const auto value = [&](std::size_t i) {
            return static_cast<int32_t>(companion::getLe(message, 4 + 4 * i));
        };
        const uint32_t kind = companion::getLe(message, 0);
        if (kind == companion::kStyleColour && message.size() >= 16) {
            colour = {std::clamp(value(0), 0, 9), std::clamp(value(1), 0, 9), std::clamp(value(2), 0, 9)};
        } else if (kind == companion::kNotice) {
            const int32_t code = value(0);
            const int32_t level = std::clamp(value(1), 0, 9);
            if (code == companion::notice::kLeave || code == companion::notice::kStopCapture ||
                code == companion::notice::kQuit)
                return false;
            if (code == companion::notice::kRedSlider) colour.red = level;
            if (code == companion::notice::kGreenSlider) colour.green = level;
            if (code == companion::notice::kBlueSlider) colour.blue = level;
        }
    }
}

}  // namespace halvern::sound
