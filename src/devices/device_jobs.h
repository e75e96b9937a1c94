#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "device/command_channel.h"
#include "device/device_result.h"

namespace halvern::jobs {

// The exchanges that device objects run on their DeviceQueue. Each function works on the channel and the
// values it is given only: the owner's state is the completion's business, on the owner's thread.

using Info = std::array<uint8_t, CommandChannel::kInfoSize>;

/// Whether the device answers: connected, and behind a receiver QueryLink succeeds.
[[nodiscard]] DeviceResult CheckLink(CommandChannel& channel);

/// Runs `body` between Begin and End. Every Begin the device acknowledged gets its End, whatever the body
/// did; the result is the first failure (Begin, the body, then End).
[[nodiscard]] DeviceResult InSequence(CommandChannel& channel, DeviceStep step,
                                      const std::function<DeviceResult()>& body);

/// As InSequence, for writes: the channel must be connected, and with `linkEachStep` (a wireless mouse)
/// the link is asked before Begin, the body and End.
[[nodiscard]] DeviceResult InCheckedSequence(CommandChannel& channel, DeviceStep step, bool linkEachStep,
                                             const std::function<DeviceResult()>& body);

/// What a page reads when it opens.
struct Tables {
    Info info{};
    std::vector<uint8_t> keyTable;  ///< info byte 5 × 3 bytes
    std::vector<uint8_t> leds;      ///< one LED position per key slot (when asked for)
};

/// Begin, the information block, the key table (and with `withLeds` the LED table), End. With `askLink`
/// the receiver's link is asked first (the mouse); the channel must be connected either way.
[[nodiscard]] DeviceResult ReadTables(CommandChannel& channel, bool withLeds, Tables& out, bool askLink);

/// Begin, the information block, End: what a device without keys is asked when its page opens.
[[nodiscard]] DeviceResult ReadInformation(CommandChannel& channel, Info& out);

/// Reads the index of the active onboard record (settings offset 0), then that record from offset
/// index × `stride` into `record`, and puts the index in the record's byte 0. With `askLink` the
/// receiver's link is asked first.
[[nodiscard]] DeviceResult ReadActiveRecord(CommandChannel& channel, std::span<uint8_t> record,
                                            uint16_t stride, bool askLink);

/// Writes an onboard record at `offset` between Begin and End; with `linkEachStep` (the mouse) the link is
/// asked before each of the three steps, as a wireless mouse needs.
[[nodiscard]] DeviceResult WriteRecord(CommandChannel& channel, std::span<const uint8_t> record,
                                       uint16_t offset, bool linkEachStep);

/// A macro image and the size it has (an image too large for its 16-bit fields is not built at all, but
/// its size still says how far it is over).
struct MacroImage {
    std::vector<uint8_t> bytes;
    size_t size = 0;
};

/// A key table and the macro image that goes with it.
struct KeyWrite {
    std::vector<uint8_t> table;        ///< empty: no key table to write
    bool macroStep = false;            ///< the macro step runs (it reads the information block first)
    std::optional<MacroImage> macros;  ///< the image it writes; nothing: the macro list is empty
    bool linkChecks = true;            ///< ask the link before each step's information read (the mouse)
};

/// The key table (ReadInfo, Begin, WriteBlock, End) and then the macro step (ReadInfo, and with an image
/// Begin, WriteData15, End); with `linkChecks` each step asks the receiver's link before its ReadInfo. A
/// macro image larger than the device's memory (info byte 6 × 128) is refused before anything is written,
/// with the number of events to remove. `info` receives the information block.
[[nodiscard]] DeviceResult WriteKeys(CommandChannel& channel, const KeyWrite& write, Info& info);

/// The recoil image with WriteData17 between Begin and End, after the information block.
[[nodiscard]] DeviceResult WriteRecoil(CommandChannel& channel, std::span<const uint8_t> image, Info& info);

/// Six bytes of power status (ReadOnce at offset 0), after the link check.
[[nodiscard]] DeviceResult ReadPower(CommandChannel& channel, std::array<uint8_t, 6>& status);

}  // namespace halvern::jobs
