#include "devices/headset_led_reports.h"

#include <algorithm>

namespace halvern::headset_leds {
namespace {

constexpr uint8_t kReportId = 0xFF;
constexpr size_t kFirstValue = 4;
constexpr size_t kLowLeds = 7;  // LEDs 0-6 in the low registers, 7-12 in the high ones

enum class Channel : uint8_t { Red, Green, Blue };

struct ReportSlot {
    uint8_t controller;
    uint8_t reg;
    Channel channel;
    bool high;  ///< LEDs 7-12
};

constexpr std::array<ReportSlot, kReportCount> kOrder{{
    {0x22, 0xAA, Channel::Red, false},
    {0x22, 0xAD, Channel::Red, true},
    {0x44, 0xAA, Channel::Red, false},
    {0x44, 0xAD, Channel::Red, true},
    {0x22, 0xAB, Channel::Green, false},
    {0x22, 0xAE, Channel::Green, true},
    {0x44, 0xAB, Channel::Green, false},
    {0x44, 0xAE, Channel::Green, true},
    {0x22, 0xAC, Channel::Blue, false},
    {0x22, 0xAF, Channel::Blue, true},
    {0x44, 0xAC, Channel::Blue, false},
    {0x44, 0xAF, Channel::Blue, true},
}};

uint8_t channelValue(const LedEntry& led, Channel channel) {
    const uint8_t value = channel == Channel::Red     ? led.red
                          : channel == Channel::Green ? led.green
                                                      : led.blue;
    return static_cast<uint8_t>(std::min(value * led.level / 256, static_cast<int>(kMaxChannel)));
}

}  // namespace

size_t BuildReports(const LedFrame& frame, std::span<uint8_t> out) {
    if (out.size() < kFrameSize) return 0;
    std::fill_n(out.begin(), kFrameSize, uint8_t{0});
    for (size_t r = 0; r < kReportCount; ++r) {
        const ReportSlot& slot = kOrder[r];
        const std::span<uint8_t> report = out.subspan(r * kReportSize, kReportSize);
        report[0] = kReportId;
        report[1] = slot.controller;
        report[2] = slot.reg;
        if (slot.high)
            report[kFirstValue + kLowLeds - 1] = out[(r - 1) * kReportSize + kFirstValue + kLowLeds - 1];
        const size_t first = slot.high ? kLowLeds : 0;
        const size_t count = slot.high ? kLedCount - kLowLeds : kLowLeds;
        for (size_t i = 0; i < count; ++i)
            report[kFirstValue + i] = channelValue(frame.entry(first + i), slot.channel);
    }
    return kFrameSize;
}

}  // namespace halvern::headset_leds
