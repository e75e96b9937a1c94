#include "device/command_channel.h"

#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "device/debug_sink.h"
#include "fake_hid.h"

namespace halvern {
namespace {

using test::Report;

// Answers like the firmware: same code, length and offset echoed, status 0, and for reads the byte at
// position p of device memory is p & 0xFF.
std::vector<Report> echoResponder(const Report& request) {
    Report reply(64, 0);
    std::copy_n(request.begin(), 8, reply.begin());
    reply[7] = 0;
    const unsigned offset = request[5] | (request[6] << 8);
    for (unsigned i = 0; i < request[4] && i < 56; ++i) reply[8 + i] = static_cast<uint8_t>(offset + i);
    return {reply};
}

class CommandChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = std::make_shared<test::FakeDevice>(test::productDescriptor(),
                                                    HidAttributes{0x320F, 0x221C, 1}, 1);
        device->responder = echoResponder;
        backend.nodes["/dev/hidraw1"] = device;
        ASSERT_TRUE(channel.cableInterface().Open("/dev/hidraw1#4", true, true, true, false));
        ASSERT_TRUE(channel.receiverInterface().Open("/dev/hidraw1#4", true, true, true, false));
        channel.SetMode(1);
        channel.setConnected(true);
        channel.setTimeouts(100, 100);
    }
    test::FakeBackend backend;
    std::shared_ptr<test::FakeDevice> device;
    CommandChannel channel{backend};
};

// A device that keeps sending: whenever the channel looks, another unasked-for report waits (up to a cap,
// so that a channel without a bound still ends), and each request gets its answer as well.
class FloodingNode final : public HidNode {
public:
    static constexpr int kFloodCap = 100000;

    FloodingNode() : m_fd(::eventfd(1, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~FloodingNode() override { ::close(m_fd); }
    FloodingNode(const FloodingNode&) = delete;
    FloodingNode& operator=(const FloodingNode&) = delete;

    int pollFd() const override { return m_fd; }
    ssize_t readReport(std::span<uint8_t> buffer) override {
        std::lock_guard lock(m_mutex);
        Report report(64, 0);
        report[0] = 4;
        if (!m_replies.empty()) {
            report = std::move(m_replies.front());
            m_replies.pop_front();
        } else if (m_sent < kFloodCap) {
            ++m_sent;
            if (m_requests == 0) ++m_staleBeforeRequest;
            report[3] = 0x55;  // no request has this code
        } else {
            uint64_t count = 0;
            (void)!::read(m_fd, &count, sizeof count);  // quiet at last
            return 0;
        }
        const size_t n = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return static_cast<ssize_t>(n);
    }
    ssize_t writeReport(std::span<const uint8_t> report) override {
        std::lock_guard lock(m_mutex);
        ++m_requests;
        m_replies.push_back(echoResponder(Report(report.begin(), report.end())).front());
        const uint64_t one = 1;
        (void)!::write(m_fd, &one, sizeof one);
        return static_cast<ssize_t>(report.size());
    }
    bool setOutputReport(std::span<const uint8_t>) override { return false; }
    std::vector<uint8_t> reportDescriptor() const override { return test::productDescriptor(); }
    HidAttributes attributes() const override { return {0x320F, 0x221C, 1}; }
    uint16_t interfaceNumber() const override { return 1; }

    int staleBeforeRequest() const {
        std::lock_guard lock(m_mutex);
        return m_staleBeforeRequest;
    }

private:
    int m_fd;
    mutable std::mutex m_mutex;
    std::deque<Report> m_replies;
    int m_sent = 0;
    int m_requests = 0;
    int m_staleBeforeRequest = 0;
};

class FloodingBackend final : public HidBackend {
public:
    bool enumerate(std::vector<HidEnumEntry>&) override { return true; }
    std::unique_ptr<HidNode> openNode(std::string_view, bool) override {
        auto node = std::make_unique<FloodingNode>();
        opened = node.get();
        return node;
    }
    FloodingNode* opened = nullptr;
};

TEST(CommandChannelFlood, TheStaleReplyDrainEndsOnADeviceThatKeepsSending) {
    FloodingBackend backend;
    CommandChannel channel{backend};
    ASSERT_TRUE(channel.cableInterface().Open("/dev/hidraw9#4", true, true, true, false));
    ASSERT_NE(backend.opened, nullptr);
    channel.SetMode(1);
    channel.setConnected(true);
    channel.setTimeouts(100, 100);
    EXPECT_EQ(channel.Begin(), result::kSuccess);
    // A few stale replies are taken off before the request; the rest is left to the reply's code check.
    EXPECT_GT(backend.opened->staleBeforeRequest(), 0);
    EXPECT_LE(backend.opened->staleBeforeRequest(), 64);
}

TEST(CommandReport, LayoutAndChecksum) {
    const auto begin = report::buildRequest(command::kBegin, 0, 0, {});
    EXPECT_EQ(begin[0], 0x04);
    EXPECT_EQ(begin[1], 0x01);  // sum of bytes 3-63 is the command code alone
    EXPECT_EQ(begin[2], 0x00);
    EXPECT_EQ(begin[3], 0x01);

    std::vector<uint8_t> payload(56, 0xFF);
    const auto full = report::buildRequest(command::kWriteAt, 56, 0x0180, payload);
    EXPECT_EQ(full[4], 56);
    EXPECT_EQ(full[5], 0x80);
    EXPECT_EQ(full[6], 0x01);
    const unsigned sum = 0x06 + 56 + 0x80 + 0x01 + 56 * 0xFF;
    EXPECT_EQ(full[1] | (full[2] << 8), sum & 0xFFFF);
}

TEST_F(CommandChannelTest, ModeSetsChunkSizeAndReadInfoSplitsAccordingly) {
    std::array<uint8_t, 34> info{};
    ASSERT_EQ(channel.ReadInfo(info), result::kSuccess);
    ASSERT_EQ(device->written.size(), 1u);  // 34 bytes fit one cable report
    EXPECT_EQ(info[33], 33);

    device->written.clear();
    channel.SetMode(2);
    EXPECT_EQ(channel.chunkSize(), 24);
    info.fill(0);
    ASSERT_EQ(channel.ReadInfo(info), result::kSuccess);
    ASSERT_EQ(device->written.size(), 2u);
    EXPECT_EQ(device->written[1][4], 10);  // 24 + 10
    EXPECT_EQ(device->written[1][5], 24);
    for (size_t i = 0; i < info.size(); ++i) EXPECT_EQ(info[i], i);
}

TEST_F(CommandChannelTest, BlockCommandsFollowTheBlockSize) {
    EXPECT_EQ(channel.SetBlockSize(513), 0);
    EXPECT_EQ(channel.blockSize(), 512);
    std::vector<uint8_t> third(512, 0);
    ASSERT_EQ(channel.ReadThirdBlock(third), result::kSuccess);
    EXPECT_EQ(device->written.size(), 4u);  // 170 bytes in 56-byte chunks
    EXPECT_EQ(third[169], 169);
    EXPECT_EQ(third[170], 0);

    device->written.clear();
    EXPECT_EQ(channel.WriteBlock(std::vector<uint8_t>(512, 1), 1), result::kBadBank);
    EXPECT_TRUE(device->written.empty());

    ASSERT_EQ(channel.SetBlockSize(33), 1);
    // A short source is padded with zeros, never read past.
    ASSERT_EQ(channel.WriteBlock(std::vector<uint8_t>(10, 7), 0), result::kSuccess);
    ASSERT_EQ(device->written.size(), 1u);
    EXPECT_EQ(device->written[0][4], 33);
    EXPECT_EQ(device->written[0][8 + 9], 7);
    EXPECT_EQ(device->written[0][8 + 10], 0);
}

TEST_F(CommandChannelTest, WritesChunkFromTheStartOffsetAndStopAtTheFirstError) {
    std::vector<uint8_t> record(75);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(channel.WriteAt(record, 128), result::kSuccess);
    ASSERT_EQ(device->written.size(), 2u);
    EXPECT_EQ(device->written[1][4], 19);
    EXPECT_EQ(device->written[1][5] | (device->written[1][6] << 8), 128 + 56);
    EXPECT_EQ(device->written[1][8], 56);

    // WriteData17 uses 56-byte chunks even through the receiver.
    device->written.clear();
    channel.SetMode(2);
    ASSERT_EQ(channel.WriteData17(std::vector<uint8_t>(112, 1)), result::kSuccess);
    EXPECT_EQ(device->written.size(), 2u);

    device->written.clear();
    device->responder = [](const Report& r) {
        auto replies = echoResponder(r);
        if ((r[5] | (r[6] << 8)) == 24) replies[0][7] = 0xFE;
        return replies;
    };
    EXPECT_EQ(channel.WriteData15(std::vector<uint8_t>(100, 2)), result::kStatusFE);
    EXPECT_EQ(device->written.size(), 2u);  // the chunk at 48 was never sent
}

TEST_F(CommandChannelTest, ReplyProblemsGiveTheirResultCodes) {
    device->responder = [](const Report& r) {
        auto replies = echoResponder(r);
        replies[0][7] = 0xFF;
        return replies;
    };
    EXPECT_EQ(channel.Begin(), result::kStatusFF);

    // The receiver answers 0xAA for a device it cannot reach.
    channel.SetMode(2);
    device->responder = [](const Report& r) {
        auto replies = echoResponder(r);
        replies[0][3] = 0xAA;
        return replies;
    };
    EXPECT_EQ(channel.Begin(), result::kReceiverUnreachable);
    EXPECT_EQ(channel.QueryLink(), 0);  // answered, but byte 8 is not 0xFF

    // On the cable 0xAA is just a wrong code: two replies with it are no reply at all.
    channel.SetMode(1);
    device->responder = [](const Report& r) {
        auto replies = echoResponder(r);
        replies[0][3] = 0xAA;
        return std::vector<Report>{replies[0], replies[0]};
    };
    EXPECT_EQ(channel.Begin(), result::kNoReply);
    // One stray report before the real reply is read past.
    device->responder = [](const Report& r) {
        auto stray = echoResponder(r)[0];
        stray[3] = 0x55;
        return std::vector<Report>{stray, echoResponder(r)[0]};
    };
    EXPECT_EQ(channel.Begin(), result::kSuccess);
    device->responder = [](const Report&) { return std::vector<Report>{}; };
    EXPECT_EQ(channel.Begin(), result::kNoReply);
    device->failWrites = true;
    EXPECT_EQ(channel.Begin(), result::kWriteFailed);
    EXPECT_FALSE(channel.busy());

    channel.setConnected(false);
    device->written.clear();
    EXPECT_EQ(channel.Begin(), result::kNoReply);
    EXPECT_TRUE(device->written.empty());
}

TEST_F(CommandChannelTest, QueryLinkAsksOnlyThroughTheReceiver) {
    EXPECT_EQ(channel.QueryLink(), result::kSuccess);
    EXPECT_TRUE(device->written.empty());

    channel.SetMode(2);
    device->responder = [](const Report& r) {
        auto replies = echoResponder(r);
        replies[0][8] = 0xFF;
        return replies;
    };
    EXPECT_EQ(channel.QueryLink(), result::kSuccess);
    EXPECT_EQ(device->written.size(), 1u);
}

TEST_F(CommandChannelTest, ReadOnceIsOneBoundedReport) {
    std::array<uint8_t, 6> power{};
    ASSERT_EQ(channel.ReadOnce(power, 0), result::kSuccess);
    ASSERT_EQ(device->written.size(), 1u);
    EXPECT_EQ(device->written[0][4], 6);
    EXPECT_EQ(power[5], 5);
}

TEST_F(CommandChannelTest, DiagnosticDumpShowsRequestAndReply) {
    std::vector<std::string> lines;
    auto previous = setDebugCapture([&](std::string_view l) { lines.emplace_back(l); });
    ASSERT_EQ(channel.Begin(), result::kSuccess);
    std::vector<uint8_t> frame(30, 9);
    ASSERT_EQ(channel.StreamLightFrame(frame), result::kSuccess);  // frames are not dumped
    setDebugCapture(std::move(previous));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1],
              "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
              "00 00 00 00  00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
}

TEST_F(CommandChannelTest, StreamedFrameDropsChunksInsteadOfWaitingBehindTraffic) {
    // The device takes 30 ms per reply; a frame streamed meanwhile must not wait for it.
    device->responder = [](const Report& r) {
        if (r[3] == command::kBegin) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return echoResponder(r);
    };
    std::thread config([&] { EXPECT_EQ(channel.Begin(), result::kSuccess); });
    while (!channel.busy()) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.StreamLightFrame(std::vector<uint8_t>(312, 1)), result::kSuccess);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    config.join();
}

}  // namespace
}  // namespace halvern
