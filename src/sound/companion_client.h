#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "emulator/unique_fd.h"
#include "sound/companion_protocol.h"

namespace halvern {

/// The application's side of the link to halvern-sound: greets it, takes its blocks, sends it the style
/// colour and the colour sliders, and takes leave. Blocking-free: wait for fd() to become readable (a
/// socket notifier) and call receive() until it reports nothing more.
class CompanionClient {
public:
    enum class Received : uint8_t {
        Nothing,  ///< no message waiting
        Message,  ///< kind() and content() hold one message
        Refused,  ///< a message longer than any the companion sends, or without a kind: dropped
        Gone,     ///< the companion closed the link
    };

    /// Connects to the companion's socket and greets it. False with `error` set when no companion listens.
    [[nodiscard]] bool connect(std::string& error);
    /// Takes an already connected socket (tests) and greets the companion.
    [[nodiscard]] bool adopt(emu::UniqueFd socket);
    [[nodiscard]] bool connected() const { return m_socket.valid(); }
    [[nodiscard]] int fd() const { return m_socket.get(); }

    [[nodiscard]] Received receive();
    [[nodiscard]] uint32_t kind() const { return m_kind; }
    [[nodiscard]] std::span<const std::byte> content() const { return m_content; }

    /// The current style's colour; a green of 0 is sent as 1. False when the companion is gone.
    [[nodiscard]] bool sendStyleColour(int32_t red, int32_t green, int32_t blue);
    /// A notice (companion::notice codes). False when the companion is gone.
    [[nodiscard]] bool sendNotice(int32_t code, int32_t value);
    /// Tells the companion to end and closes the link.
    void takeLeave();

private:
    [[nodiscard]] bool greet();
    [[nodiscard]] bool sendMessage(std::span<const std::byte> message);

    emu::UniqueFd m_socket;
    std::array<std::byte, companion::kMaxMessage + 1> m_buffer{};
    uint32_t m_kind = 0;
    std::span<const std::byte> m_content;
};

}  // namespace halvern
