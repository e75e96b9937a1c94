#pragma once

// One client's connection, without the socket: bytes in, answers out. Every packet is checked against
// its declared size and the bounds of the protocol before anything reaches a device; a packet that is
// malformed, oversized or unknown ends the connection.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rgbserver/byte_io.h"
#include "rgbserver/controller_source.h"
#include "rgbserver/sdk_protocol.h"

namespace halvern::rgb {

class SdkSession {
public:
    /// A session for the client numbered `clientId`.
    SdkSession(ControllerSource& source, uint64_t clientId) : source_(source) { client_.id = clientId; }

    /// Takes received bytes, answers every whole packet among them (the answers gather in `output()`).
    /// False when the connection must close; `closeReason()` then says why.
    [[nodiscard]] bool receive(std::span<const uint8_t> bytes);

    /// Tells the client that the controllers changed, so it asks for them again.
    void deviceListUpdated();

    /// Answers not yet sent. The transport sends them and clears what it sent.
    [[nodiscard]] std::vector<uint8_t>& output() { return output_; }
    /// More unsent answers than a reading client ever leaves: the client does not read, and the
    /// connection should close.
    [[nodiscard]] bool outputOverflowing() const { return output_.size() > kMaxPendingOutput; }

    [[nodiscard]] const RgbClient& client() const { return client_; }
    /// The version both sides speak: 0 until the client asks for the server's.
    [[nodiscard]] uint32_t protocol() const { return protocol_; }
    [[nodiscard]] std::string_view closeReason() const { return closeReason_; }

    static constexpr size_t kMaxPendingOutput = 1024 * 1024;

private:
    struct Header {
        uint32_t device = 0;
        uint32_t id = 0;
        uint32_t size = 0;
    };

    [[nodiscard]] bool handle(const Header& header, std::span<const uint8_t> payload);
    [[nodiscard]] bool handleControllerPacket(const Header& header, ByteReader& in);
    [[nodiscard]] bool handleLeds(PacketId id, size_t index, const RgbController& controller, ByteReader& in);
    void answer(PacketId id, uint32_t device, std::span<const uint8_t> payload);
    void answerControllerData(uint32_t index, uint32_t protocol);
    void answerProfileList();
    void answerEmptyPluginList();
    [[nodiscard]] bool close(std::string_view reason);

    ControllerSource& source_;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    std::vector<uint8_t> scratch_;  // an answer's payload as it is written
    std::vector<RgbColor> colors_;  // a controller's colours as a zone or LED update makes them
    RgbClient client_;
    uint32_t protocol_ = 0;
    std::string closeReason_;
};

}  // namespace halvern::rgb
