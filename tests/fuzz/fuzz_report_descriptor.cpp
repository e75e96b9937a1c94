// Feeds arbitrary bytes to the report-descriptor parser, and when they parse, opens every collection and
// decodes arbitrary input reports against it: the path every device's descriptor and reports take.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/hid_interface.h"
#include "device/report_descriptor.h"
#include "fake_hid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace halvern;
    // First byte: descriptor length share; the rest of the input becomes reports.
    if (size < 1) return 0;
    const size_t split = std::min<size_t>(size - 1, data[0] * 4u);
    const std::vector<uint8_t> descriptor(data + 1, data + 1 + split);
    const auto entries = entriesForNode("/dev/fuzz", {}, 0, descriptor);
    if (entries.empty()) return 0;

    test::FakeBackend backend;
    backend.nodes["/dev/fuzz"] = std::make_shared<test::FakeDevice>(descriptor, HidAttributes{}, 0);
    const uint8_t* rest = data + 1 + split;
    const size_t restSize = size - 1 - split;
    for (const HidEnumEntry& entry : entries) {
        HidInterface hid(backend);
        if (!hid.Open(entry.path, true, false, true, false)) continue;
        for (size_t at = 0; at < restSize; at += 16) {
            const size_t n = std::min<size_t>(restSize - at, 16);
            (void)hid.DecodeInputReport(std::span(rest + at, n));
            (void)hid.firstButtonUsage();
        }
    }
    return 0;
}
