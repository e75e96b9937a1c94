#pragma once

// A device as RGB programs see it (a controller: its modes, zones, LEDs and colours) and its description
// block in each protocol version.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rgbserver/byte_io.h"
#include "rgbserver/sdk_protocol.h"

namespace halvern::rgb {

struct RgbMode {
    std::string name;
    /// The device's own number for the mode, handed back by the client with every mode change.
    int32_t value = 0;
    uint32_t flags = 0;
    uint32_t speedMin = 0;
    uint32_t speedMax = 0;
    uint32_t brightnessMin = 0;
    uint32_t brightnessMax = 0;
    uint32_t colorsMin = 0;
    uint32_t colorsMax = 0;
    uint32_t speed = 0;
    uint32_t brightness = 0;
    uint32_t direction = 0;
    ColorMode colorMode = ColorMode::None;
    std::vector<RgbColor> colors;
};

/// LEDs placed on a grid: `map[row * width + column]` is an LED's index in its zone, or kNoLed.
struct MatrixMap {
    uint32_t height = 0;
    uint32_t width = 0;
    std::vector<uint32_t> map;
};

struct RgbZone {
    std::string name;
    ZoneType type = ZoneType::Single;
    /// The zone's first LED in the controller's LED list; its LEDs follow one another.
    uint32_t start = 0;
    uint32_t ledCount = 0;
    std::optional<MatrixMap> matrix;
};

struct RgbLed {
    std::string name;
    uint32_t value = 0;
};

struct RgbController {
    DeviceType type = DeviceType::Mouse;
    std::string name;
    std::string vendor;
    std::string description;
    std::string version;
    std::string serial;
    std::string location;
    int32_t activeMode = 0;
    std::vector<RgbMode> modes;
    std::vector<RgbZone> zones;
    std::vector<RgbLed> leds;
    /// One colour per LED: what the LEDs show in a per-LED mode.
    std::vector<RgbColor> colors;
};

/// The controller's description block as an answer to a data request in `protocol` (0 to the server's
/// version): the block's size, then the device, its modes, zones, LEDs and colours.
void writeControllerData(const RgbController& controller, uint32_t protocol, ByteWriter& out);

/// A mode as a client sends it in `protocol` (the mode block of a mode update). Nothing when the block is
/// cut short or carries more colours than `maxColors`.
[[nodiscard]] std::optional<RgbMode> readMode(ByteReader& in, uint32_t protocol, size_t maxColors);

}  // namespace halvern::rgb
