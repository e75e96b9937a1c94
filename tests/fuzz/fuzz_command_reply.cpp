// Answers every request of every command with device replies taken from the input: whatever a device (or
// something posing as one) sends back, the channel must stay within its buffers and keep working.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/command_channel.h"
#include "fake_hid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern;
    if (size < 2) return 0;
    const bool receiver = data[0] & 1;
    auto device = std::make_shared<test::FakeDevice>(test::productDescriptor(), HidAttributes{}, 1);
    size_t cursor = 1;
    // Each request is answered by the next 0-2 replies cut from the input, each up to 64 bytes long.
    device->responder = [&](const test::Report&) {
        std::vector<test::Report> replies;
        if (cursor >= size) return replies;
        const unsigned count = data[cursor++] % 3;
        for (unsigned i = 0; i < count && cursor < size; ++i) {
            const size_t wanted = data[cursor++] % 65;
            const size_t n = std::min<size_t>(wanted, size - cursor);
            test::Report r(data + cursor, data + cursor + n);
            cursor += n;
            if (!r.empty()) r[0] = 0x04;
            replies.push_back(std::move(r));
        }
        return replies;
    };
    test::FakeBackend backend;
    backend.nodes["/dev/fuzz"] = device;
    CommandChannel channel(backend);
    HidInterface& hid = receiver ? channel.receiverInterface() : channel.cableInterface();
    if (!hid.Open("/dev/fuzz#4", true, true, true, false)) return 0;
    channel.SetMode(receiver ? 2 : 1);
    channel.setConnected(true);
    channel.setTimeouts(0, 0);

    std::array<uint8_t, CommandChannel::kInfoSize> info{};
    std::vector<uint8_t> block(512), small(7), record(80);
    (void)channel.QueryLink();
    (void)channel.Begin();
    (void)channel.ReadInfo(info);
    (void)channel.ReadBlock(block);
    (void)channel.ReadThirdBlock(small);  // shorter than the transfer: must not overrun
    (void)channel.ReadAt(record, 128);
    (void)channel.ReadOnce(std::span(record).first(6), 0);
    (void)channel.WriteAt(record, 0);
    (void)channel.StreamLightFrame(block);
    return 0;
}
