#include "device/command_channel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "device/debug_sink.h"

namespace halvern {

namespace report {

uint16_t checksum(std::span<const uint8_t, kSize> bytes) {
    unsigned sum = 0;
    for (size_t i = kCommand; i < kSize; ++i) sum += bytes[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

Bytes buildRequest(uint8_t code, uint8_t length, uint16_t offset, std::span<const uint8_t> payload) {
    Bytes r{};
    r[0] = kReportId;
    r[kCommand] = code;
    r[kLength] = length;
    r[kOffset] = static_cast<uint8_t>(offset & 0xFF);
    r[kOffset + 1] = static_cast<uint8_t>(offset >> 8);
    std::copy_n(payload.begin(), std::min(payload.size(), kPayloadSize), r.begin() + kPayload);
    const uint16_t sum = checksum(r);
    r[kChecksum] = static_cast<uint8_t>(sum & 0xFF);
    r[kChecksum + 1] = static_cast<uint8_t>(sum >> 8);
    return r;
}

}  // namespace report

namespace {

constexpr uint8_t kStatusErrorFF = 0xFF;
constexpr uint8_t kStatusErrorFE = 0xFE;
// Late replies taken off the interface before a request at most. A device never owes more than a few (one
// per exchange that gave up); one that keeps sending must not hold the I/O lock for good, and what is left
// is told apart from the reply by its command code.
constexpr int kMaxStaleReplies = 64;

// "命令" or "返回", then the 64 bytes as two lines of 32 in groups of four.
void dumpReport(const char* word, std::span<const uint8_t> bytes) {
    debugLog(word);
    for (size_t line = 0; line < 2; ++line) {
        char text[160];
        size_t used = 0;
        for (size_t i = 0; i < 32; ++i) {
            const size_t index = line * 32 + i;
            const uint8_t b = index < bytes.size() ? bytes[index] : 0;
            const char* gap = "";
            if (i > 0) gap = i % 4 != 0 ? " " : (i <= 12 ? "   " : "  ");
            used += static_cast<size_t>(std::snprintf(text + used, sizeof text - used, "%s%02x", gap, b));
        }
        debugLog(std::string_view(text, used));
    }
}

// Marks the channel busy for the life of one exchange, whichever way the exchange ends.
class BusyMark {
public:
    explicit BusyMark(std::atomic<bool>& busy) : m_busy(busy) { m_busy.store(true); }
    ~BusyMark() { m_busy.store(false); }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    std::atomic<bool>& m_busy;
};

int statusResult(const report::Bytes& reply) {
    if (reply[report::kStatus] == kStatusErrorFF) return result::kStatusFF;
    if (reply[report::kStatus] == kStatusErrorFE) return result::kStatusFE;
    return result::kSuccess;
}

}  // namespace

CommandChannel::CommandChannel(HidBackend& backend) : m_cable(backend), m_receiver(backend) {}

void CommandChannel::SetMode(int mode) {
    const bool receiver = mode == 2;
    m_receiverMode.store(receiver);
    m_chunkSize.store(receiver ? kReceiverChunk : kCableChunk);
}

int CommandChannel::SetBlockSize(uint16_t size) {
    if (size > 512) return 0;
    m_blockSize = size;
    return 1;
}

void CommandChannel::setTimeouts(int cableMs, int receiverMs) {
    m_cableTimeoutMs = cableMs;
    m_receiverTimeoutMs = receiverMs;
}

int CommandChannel::Exchange(std::span<const uint8_t> request, std::span<uint8_t, report::kSize> reply) {
    return exchange(request, reply, true, false);
}

int CommandChannel::exchange(std::span<const uint8_t> request, std::span<uint8_t, report::kSize> reply,
                             bool diagnostics, bool streaming) {
    if (!m_connected.load()) return result::kNoReply;
    report::Bytes out{};
    std::copy_n(request.begin(), std::min(request.size(), out.size()), out.begin());
    if (diagnostics && debugEnabled()) dumpReport("命令", out);

    HidInterface& hid = current();
    const int timeout = currentTimeout();
    int outcome = result::kWriteFailed;
    {
        // The request holds the interface from its write to its reply: no other request's write, and no
        // other reader, can come between them.
        std::lock_guard io(m_ioLock);
        const BusyMark busy(m_busy);
        // A reply that came after its exchange had given up must not pass for the answer to this request.
        report::Bytes stale{};
        for (int n = 0; n < kMaxStaleReplies && hid.Read(stale, nullptr, 0); ++n) {
        }
        // A frame chunk does not wait for its write apart: its reply says the write went out, and a
        // write that failed or hangs is told apart from a missing reply afterwards.
        const bool written = streaming ? hid.Post(out, timeout) : hid.Write(out, nullptr, timeout);
        if (!written) return outcome;
        outcome = result::kNoReply;
        // Up to two reads; a reply that never carries the request's code is no reply, not a success.
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::fill(reply.begin(), reply.end(), 0);
            if (!hid.Read(reply, nullptr, timeout)) break;
            if (reply[report::kCommand] == out[report::kCommand]) {
                outcome = result::kSuccess;
                break;
            }
            if (m_receiverMode && reply[report::kCommand] == command::kQueryLink) {
                outcome = result::kReceiverUnreachable;
                break;
            }
        }
    }
    if (streaming && outcome == result::kNoReply && hid.PostedWriteFailed()) outcome = result::kWriteFailed;
    if (diagnostics && debugEnabled()) dumpReport("返回", reply);
    return outcome;
}

int CommandChannel::checkedExchange(const report::Bytes& request, report::Bytes& reply, std::mutex* lock,
                                    bool streaming) {
    std::unique_lock<std::mutex> guard;
    if (lock) guard = std::unique_lock(*lock);
    const int r = exchange(request, reply, !streaming, streaming);
    return r == result::kSuccess ? statusResult(reply) : r;
}

int CommandChannel::simple(uint8_t code, report::Bytes* replyOut) {
    report::Bytes reply{};
    const int r = checkedExchange(report::buildRequest(code, 0, 0, {}), reply, &m_commandLock, false);
    if (replyOut) *replyOut = reply;
    return r;
}

int CommandChannel::transfer(const Transfer& t) {
    if (!m_connected.load()) return result::kNoReply;
    for (size_t offset = 0; offset < t.total; offset += t.step) {
        const size_t length = std::min<size_t>(t.step, t.total - offset);
        std::array<uint8_t, report::kPayloadSize> payload{};
        if (t.direction == Direction::Write && offset < t.source.size()) {
            std::copy_n(t.source.begin() + static_cast<ptrdiff_t>(offset),
                        std::min(length, t.source.size() - offset), payload.begin());
        }
        const auto position = static_cast<uint16_t>(t.start + offset);
        const report::Bytes request = report::buildRequest(t.code, static_cast<uint8_t>(length), position,
                                                           std::span(payload).first(length));
        if (t.streaming && m_busy.load()) continue;  // a frame chunk never waits behind other traffic
        report::Bytes reply{};
        const int r = checkedExchange(request, reply, t.lock, t.streaming);
        if (r != result::kSuccess) return r;
        if (t.direction == Direction::Read && offset < t.destination.size()) {
            std::copy_n(reply.begin() + report::kPayload, std::min(length, t.destination.size() - offset),
                        t.destination.begin() + static_cast<ptrdiff_t>(offset));
        }
    }
    return result::kSuccess;
}

int CommandChannel::Begin() {
    return simple(command::kBegin);
}

int CommandChannel::End() {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return simple(command::kEnd);
}

int CommandChannel::AnnounceLightControl() {
    return simple(command::kAnnounceLightControl);
}

int CommandChannel::ReadInfo(std::span<uint8_t, kInfoSize> destination) {
    return transfer(
        {command::kReadInfo, Direction::Read, kInfoSize, 0, chunkSize(), &m_commandLock, {}, destination});
}

int CommandChannel::WriteBlock(std::span<const uint8_t> data, int bank) {
    if (bank != 0) return result::kBadBank;
    return transfer(
        {command::kWriteBlock, Direction::Write, m_blockSize, 0, chunkSize(), &m_commandLock, data, {}});
}

int CommandChannel::ReadBlock(std::span<uint8_t> destination) {
    return transfer(
        {command::kReadBlock, Direction::Read, m_blockSize, 0, chunkSize(), &m_commandLock, {}, destination});
}

int CommandChannel::ReadThirdBlock(std::span<uint8_t> destination) {
    return transfer({command::kReadThirdBlock,
                     Direction::Read,
                     m_blockSize / 3u,
                     0,
                     chunkSize(),
                     &m_commandLock,
                     {},
                     destination});
}

int CommandChannel::WriteData15(std::span<const uint8_t> data) {
    return transfer(
        {command::kWriteData15, Direction::Write, data.size(), 0, chunkSize(), &m_commandLock, data, {}});
}

int CommandChannel::WriteData17(std::span<const uint8_t> data) {
    return transfer(
        {command::kWriteData17, Direction::Write, data.size(), 0, kCableChunk, nullptr, data, {}});
}

int CommandChannel::WriteAt(std::span<const uint8_t> data, uint16_t start) {
    return transfer(
        {command::kWriteAt, Direction::Write, data.size(), start, chunkSize(), &m_commandLock, data, {}});
}

int CommandChannel::ReadAt(std::span<uint8_t> destination, uint16_t start) {
    return transfer({command::kReadAt,
                     Direction::Read,
                     destination.size(),
                     start,
                     chunkSize(),
                     &m_commandLock,
                     {},
                     destination});
}

int CommandChannel::ReadOnce(std::span<uint8_t> destination, uint16_t offset) {
    const size_t length = std::min(destination.size(), report::kPayloadSize);
    return transfer({command::kReadOnce,
                     Direction::Read,
                     length,
                     offset,
                     static_cast<uint8_t>(length),
                     &m_commandLock,
                     {},
                     destination});
}

int CommandChannel::WriteLight(std::span<const uint8_t> data, uint16_t row, uint16_t rowSize) {
    const auto start = static_cast<uint16_t>(row * rowSize);
    return transfer(
        {command::kWriteLight, Direction::Write, data.size(), start, chunkSize(), &m_lightLock, data, {}});
}

int CommandChannel::StreamLightFrame(std::span<const uint8_t> data) {
    Transfer t{
        command::kStreamLightFrame, Direction::Write, data.size(), 0, chunkSize(), &m_lightLock, data, {}};
    t.streaming = true;
    return transfer(t);
}

int CommandChannel::QueryLink() {
    if (!m_receiverMode) return result::kSuccess;
    report::Bytes reply{};
    if (simple(command::kQueryLink, &reply) != result::kSuccess) return 0;
    return reply[report::kPayload] == 0xFF ? result::kSuccess : 0;
}

}  // namespace halvern
