#include "sound/companion_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace halvern {

bool CompanionClient::connect(std::string& error) {
    const std::string path = companion::socketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        error = "the sound companion's socket path is too long: " + path;
        return false;
    }
    std::copy(path.begin(), path.end(), address.sun_path);
    emu::UniqueFd socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid() ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "the sound companion does not answer at " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!adopt(std::move(socket))) {
        error = "the sound companion closed the link at once";
        return false;
    }
    return true;
}

bool CompanionClient::adopt(emu::UniqueFd socket) {
    m_socket = std::move(socket);
    if (greet()) return true;
    m_socket.reset();
    return false;
}

bool CompanionClient::greet() {
    return sendNotice(companion::notice::kGreeting, static_cast<int32_t>(::getpid())) &&
           sendNotice(companion::notice::kStart, 0) && sendNotice(companion::notice::kCapture, 0);
}

CompanionClient::Received CompanionClient::receive() {
    if (!m_socket.valid()) return Received::Gone;
    // MSG_TRUNC reports a message's full length even when it does not fit, so nothing is read past the
    // buffer.
    const ssize_t got = ::recv(m_socket.get(), m_buffer.data(), m_buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return Received::Nothing;
        m_socket.reset();
        return Received::Gone;
    }
    if (got == 0) {
        m_socket.reset();
        return Received::Gone;
    }
    const auto length = static_cast<std::size_t>(got);
    if (length > companion::kMaxMessage || length < 4) return Received::Refused;
    const auto message = std::span<const std::byte>(m_buffer).first(length);
    m_kind = companion::getLe(message, 0);
    m_content = message.subspan(4);
    return Received::Message;
}

bool CompanionClient::sendMessage(std::span<const std::byte> message) {
    if (!m_socket.valid()) return false;
    return ::send(m_socket.get(), message.data(), message.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(message.size());
}

bool CompanionClient::sendStyleColour(int32_t red, int32_t green, int32_t blue) {
    std::array<std::byte, 4 + companion::kStyleColourBytes> message{};  // bytes past blue stay 0
    companion::putLe(message, 0, companion::kStyleColour);
    companion::putLe(message, 4, static_cast<uint32_t>(red));
    companion::putLe(message, 8, static_cast<uint32_t>(green == 0 ? 1 : green));
    companion::putLe(message, 12, static_cast<uint32_t>(blue));
    return sendMessage(message);
}

bool CompanionClient::sendNotice(int32_t code, int32_t value) {
    std::array<std::byte, 12> message{};
    companion::putLe(message, 0, companion::kNotice);
    companion::putLe(message, 4, static_cast<uint32_t>(code));
    companion::putLe(message, 8, static_cast<uint32_t>(value));
    return sendMessage(message);
}

void CompanionClient::takeLeave() {
    // The companion ends at the first of these; the others find it gone, which is what leaving means.
    for (const int32_t code :
         {companion::notice::kLeave, companion::notice::kStopCapture, companion::notice::kQuit})
        if (!sendNotice(code, 0)) break;
    m_socket.reset();
}

}  // namespace halvern
