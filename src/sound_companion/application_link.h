#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "emulator/unique_fd.h"
#include "sound_companion/band_analyser.h"

namespace halvern::sound {

/// The companion's side of the link to the application: holds the lock that keeps a second companion out,
/// listens on the socket, serves one application and tells when it has taken leave or gone.
class ApplicationLink {
public:
    /// Takes the lock and listens. False with `error` set when another companion holds the lock or the
    /// socket cannot be made.
    [[nodiscard]] bool listen(std::string& error);
    /// Waits (without using the processor) until the application connects. False with `error` on failure.
    [[nodiscard]] bool accept(std::string& error);

    /// Sends a block. False when the application is gone.
    [[nodiscard]] bool send(const SoundBlock& block);

    /// Takes every message that has arrived without waiting: a style colour or a colour slider sets the
    /// colour in `colour`. False once the application took leave or went away.
    [[nodiscard]] bool takeMessages(StyleColour& colour);

    /// The connection to the application, to wait on with other files.
    [[nodiscard]] int fd() const { return m_connection.get(); }

    /// Waits (without using the processor) until a message arrives or the application goes.
    [[nodiscard]] bool waitForMessages();

    ~ApplicationLink();

private:
    [[nodiscard]] bool sendMessage(uint32_t kind, std::span<const int32_t> values);

    emu::UniqueFd m_lock;
    emu::UniqueFd m_listener;
    emu::UniqueFd m_connection;
    std::string m_socketPath;
};

}  // namespace halvern::sound
