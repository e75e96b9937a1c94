#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/hid_interface.h"

namespace halvern {

/// Result codes of every command operation.
namespace result {
inline constexpr int kSuccess = 1;
inline constexpr int kNoReply = 0;  ///< not connected (nothing sent), or the reply read failed or timed out
inline constexpr int kWriteFailed = -1;
inline constexpr int kReceiverUnreachable =
    -101;  ///< the receiver answered 0xAA for a device it cannot reach
inline constexpr int kStatusFF = -102;
inline constexpr int kStatusFE = -103;
inline constexpr int kBadBank = -201;
}  // namespace result

/// Command codes of the 64-byte request/reply protocol.
namespace command {
inline constexpr uint8_t kBegin = 0x01;
inline constexpr uint8_t kEnd = 0x02;
inline constexpr uint8_t kReadInfo = 0x03;
inline constexpr uint8_t kReadAt = 0x05;
inline constexpr uint8_t kWriteAt = 0x06;
inline constexpr uint8_t kReadBlock = 0x07;
inline constexpr uint8_t kWriteBlock = 0x09;
inline constexpr uint8_t kWriteLight = 0x0B;
inline constexpr uint8_t kStreamLightFrame = 0x12;
inline constexpr uint8_t kWriteData15 = 0x15;
inline constexpr uint8_t kWriteData17 = 0x17;
inline constexpr uint8_t kReadOnce = 0x1A;
inline constexpr uint8_t kReadThirdBlock = 0x1B;
inline constexpr uint8_t kAnnounceLightControl = 0x1C;
inline constexpr uint8_t kQueryLink = 0xAA;
}  // namespace command

/// Layout of a request and of its reply.
namespace report {
inline constexpr size_t kSize = 64;
inline constexpr uint8_t kReportId = 0x04;
inline constexpr size_t kChecksum = 1;  ///< 16-bit LE sum of bytes 3-63
inline constexpr size_t kCommand = 3;
inline constexpr size_t kLength = 4;
inline constexpr size_t kOffset = 5;  ///< 16-bit LE
inline constexpr size_t kStatus = 7;  ///< reply: 0xFF and 0xFE are errors
inline constexpr size_t kPayload = 8;
inline constexpr size_t kPayloadSize = kSize - kPayload;  ///< 56
using Bytes = std::array<uint8_t, kSize>;

/// A request with its checksum: report ID 4, the command code, chunk length and offset, the payload.
[[nodiscard]] Bytes buildRequest(uint8_t code, uint8_t length, uint16_t offset,
                                 std::span<const uint8_t> payload);
/// Sum of bytes 3-63 modulo 65536.
[[nodiscard]] uint16_t checksum(std::span<const uint8_t, kSize> bytes);
}  // namespace report

/// The request/reply protocol on a device's command interface: builds and checksums each report, splits
/// long transfers into chunks, serialises access, and turns the reply into a result code.
class CommandChannel {
public:
    static constexpr int kCableTimeoutMs = 1000;
    static constexpr int kReceiverTimeoutMs = 5000;
    static constexpr uint8_t kCableChunk = 56;
    static constexpr uint8_t kReceiverChunk = 24;
    static constexpr size_t kInfoSize = 34;

    explicit CommandChannel(HidBackend& backend);
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    HidInterface& cableInterface() { return m_cable; }
    HidInterface& receiverInterface() { return m_receiver; }

    /// Mode 2 selects the receiver (chunks of 24 bytes, 5000 ms); any other mode the cable (56, 1000 ms).
    void SetMode(int mode);
    /// Accepts block sizes up to 512 (returns 1); keeps the old size and returns 0 for larger ones.
    [[nodiscard]] int SetBlockSize(uint16_t size);
    [[nodiscard]] uint16_t blockSize() const { return m_blockSize; }
    [[nodiscard]] bool receiverMode() const { return m_receiverMode.load(); }
    [[nodiscard]] uint8_t chunkSize() const { return m_chunkSize.load(); }

    void setConnected(bool connected) { m_connected.store(connected); }
    [[nodiscard]] bool connected() const { return m_connected.load(); }
    /// Set while synchronised lighting drives this device; the channel itself ignores it.
    void setLightSync(bool on) { m_lightSync.store(on); }
    [[nodiscard]] bool lightSync() const { return m_lightSync.load(); }
    [[nodiscard]] bool busy() const { return m_busy.load(); }

    /// Replaces the reply time-outs (tests use short ones); the defaults are those of real links.
    void setTimeouts(int cableMs, int receiverMs);

    /// One request and its reply on the current interface. `request` is zero-padded or cut to 64 bytes.
    /// Returns 1 when a reply with the request's code was read, 0 when not connected or no reply came,
    /// -1 when the request could not be written, -101 for the receiver's 0xAA answer. Reply status is the
    /// caller's to check.
    [[nodiscard]] int Exchange(std::span<const uint8_t> request, std::span<uint8_t, report::kSize> reply);

    [[nodiscard]] int Begin();
    [[nodiscard]] int End();  ///< waits 10 ms before sending
    [[nodiscard]] int AnnounceLightControl();
    [[nodiscard]] int ReadInfo(std::span<uint8_t, kInfoSize> destination);
    /// Writes block-size bytes (missing bytes are sent as 0). Bank must be 0, else -201 and nothing is sent.
    [[nodiscard]] int WriteBlock(std::span<const uint8_t> data, int bank);
    [[nodiscard]] int ReadBlock(std::span<uint8_t> destination);       ///< block-size bytes
    [[nodiscard]] int ReadThirdBlock(std::span<uint8_t> destination);  ///< block size ÷ 3 bytes
    [[nodiscard]] int WriteData15(std::span<const uint8_t> data);
    [[nodiscard]] int WriteData17(std::span<const uint8_t> data);  ///< 56-byte chunks in any mode
    [[nodiscard]] int WriteAt(std::span<const uint8_t> data, uint16_t start);
    [[nodiscard]] int ReadAt(std::span<uint8_t> destination, uint16_t start);
    /// One report: destination.size() bytes (at most 56) from `offset`.
    [[nodiscard]] int ReadOnce(std::span<uint8_t> destination, uint16_t offset);
    [[nodiscard]] int WriteLight(std::span<const uint8_t> data, uint16_t row, uint16_t rowSize);
    /// Streams a frame; chunks that would wait behind another exchange are dropped (counted as sent).
    [[nodiscard]] int StreamLightFrame(std::span<const uint8_t> data);
    /// Cable: 1 without sending. Receiver: 1 when the device behind the receiver answers.
    [[nodiscard]] int QueryLink();

private:
    enum class Direction { Write, Read };
    struct Transfer {
        uint8_t code = 0;
        Direction direction = Direction::Write;
        size_t total = 0;
        uint16_t start = 0;
        uint8_t step = 0;
        std::mutex* lock = nullptr;  ///< null: only the I/O lock (0x17)
        std::span<const uint8_t> source;
        std::span<uint8_t> destination;
        bool streaming = false;  ///< drop chunks while busy, no diagnostics
    };
    [[nodiscard]] int transfer(const Transfer& t);
    [[nodiscard]] int simple(uint8_t code, report::Bytes* reply = nullptr);
    /// One request and its reply. A streamed frame chunk writes no diagnostics and does not wait for its
    /// write apart from its reply.
    [[nodiscard]] int exchange(std::span<const uint8_t> request, std::span<uint8_t, report::kSize> reply,
                               bool diagnostics, bool streaming);
    [[nodiscard]] int checkedExchange(const report::Bytes& request, report::Bytes& reply, std::mutex* lock,
                                      bool streaming);
    HidInterface& current() { return m_receiverMode ? m_receiver : m_cable; }
    int currentTimeout() const { return m_receiverMode ? m_receiverTimeoutMs : m_cableTimeoutMs; }

    uint16_t m_blockSize = 512;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_lightSync{false};
    HidInterface m_cable;
    HidInterface m_receiver;
    std::mutex m_ioLock;
    std::mutex m_commandLock;
    std::mutex m_lightLock;
    std::atomic<bool> m_receiverMode{false};
    std::atomic<uint8_t> m_chunkSize{kReceiverChunk};
    int m_cableTimeoutMs = kCableTimeoutMs;
    int m_receiverTimeoutMs = kReceiverTimeoutMs;
};

}  // namespace halvern
