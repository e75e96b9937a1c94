#include "fake_hid.h"

#include "device/report_descriptor.h"

namespace halvern::test {

bool FakeBackend::enumerate(std::vector<HidEnumEntry>& out) {
    ++enumerations;
    if (failEnumeration) return false;
    for (const auto& [node, device] : nodes) {
        for (auto& e :
             entriesForNode(node, device->attributes, device->interfaceNumber, device->descriptor)) {
            out.push_back(std::move(e));
        }
    }
    return true;
}

const std::vector<uint8_t>& productDescriptor() {
    static const std::vector<uint8_t> bytes = {
        // 1: keyboard, report ID 1: modifier bitmap and six key slots
        0x05,
        0x01,
        0x09,
        0x06,
        0xA1,
        0x01,
        0x85,
        0x01,
        0x05,
        0x07,
        0x19,
        0xE0,
        0x29,
        0xE7,
        0x15,
        0x00,
        0x25,
        0x01,
        0x75,
        0x01,
        0x95,
        0x08,
        0x81,
        0x02,
        0x19,
        0x00,
        0x29,
        0x65,
        0x15,
        0x00,
        0x25,
        0x65,
        0x75,
        0x08,
        0x95,
        0x06,
        0x81,
        0x00,
        0xC0,
        // 2: system control, report ID 2
        0x05,
        0x01,
        0x09,
        0x80,
        0xA1,
        0x01,
        0x85,
        0x02,
        0x19,
        0x81,
        0x29,
        0x83,
        0x15,
        0x00,
        0x25,
        0x01,
        0x75,
        0x01,
        0x95,
        0x03,
        0x81,
        0x02,
        0x75,
        0x05,
        0x95,
        0x01,
        0x81,
        0x01,
        0xC0,
        // 3: consumer, report ID 3: one 16-bit usage array slot
        0x05,
        0x0C,
        0x09,
        0x01,
        0xA1,
        0x01,
        0x85,
        0x03,
        0x19,
        0x00,
        0x2A,
        0xFF,
        0x7F,
        0x15,
        0x00,
        0x26,
        0xFF,
        0x7F,
        0x75,
        0x10,
        0x95,
        0x01,
        0x81,
        0x00,
        0xC0,
        // 4: vendor command collection, report ID 4, 63 data bytes in and out
        0x06,
        0x1C,
        0xFF,
        0x09,
        0x92,
        0xA1,
        0x01,
        0x85,
        0x04,
        0x09,
        0x01,
        0x15,
        0x00,
        0x26,
        0xFF,
        0x00,
        0x75,
        0x08,
        0x95,
        0x3F,
        0x81,
        0x02,
        0x09,
        0x01,
        0x91,
        0x02,
        0xC0,
    };
    return bytes;
}

}  // namespace halvern::test
