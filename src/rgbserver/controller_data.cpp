#include "rgbserver/controller_data.h"

#include <limits>

namespace halvern::rgb {
namespace {

// Counts in the description block are 16-bit; a list longer than that is cut.
uint16_t count16(size_t size) {
    return static_cast<uint16_t>(std::min<size_t>(size, std::numeric_limits<uint16_t>::max()));
}

void writeMode(const RgbMode& mode, uint32_t protocol, ByteWriter& out) {
    out.text(mode.name);
    out.i32(mode.value);
    out.u32(mode.flags);
    out.u32(mode.speedMin);
    out.u32(mode.speedMax);
    if (protocol >= 3) {
        out.u32(mode.brightnessMin);
        out.u32(mode.brightnessMax);
    }
    out.u32(mode.colorsMin);
    out.u32(mode.colorsMax);
    out.u32(mode.speed);
    if (protocol >= 3) out.u32(mode.brightness);
    out.u32(mode.direction);
    out.u32(static_cast<uint32_t>(mode.colorMode));
    const uint16_t colors = count16(mode.colors.size());
    out.u16(colors);
    for (uint16_t i = 0; i < colors; ++i) out.color(mode.colors[i]);
}

void writeZone(const RgbZone& zone, uint32_t protocol, ByteWriter& out) {
    out.text(zone.name);
    out.i32(static_cast<int32_t>(zone.type));
    out.u32(zone.ledCount);  // fixed size: minimum, maximum and count are one
    out.u32(zone.ledCount);
    out.u32(zone.ledCount);
    if (zone.matrix && zone.matrix->map.size() == size_t{zone.matrix->height} * zone.matrix->width &&
        8 + 4 * zone.matrix->map.size() <= std::numeric_limits<uint16_t>::max()) {
        out.u16(static_cast<uint16_t>(8 + 4 * zone.matrix->map.size()));
        out.u32(zone.matrix->height);
        out.u32(zone.matrix->width);
        for (const uint32_t led : zone.matrix->map) out.u32(led);
    } else {
        out.u16(0);
    }
    if (protocol >= 4) out.u16(0);  // no segments
}

}  // namespace

void writeControllerData(const RgbController& c, uint32_t protocol, ByteWriter& out) {
    const size_t start = out.size();
    out.u32(0);  // the block's size, written when known
    out.i32(static_cast<int32_t>(c.type));
    out.text(c.name);
    if (protocol >= 1) out.text(c.vendor);
    out.text(c.description);
    out.text(c.version);
    out.text(c.serial);
    out.text(c.location);
    const uint16_t modes = count16(c.modes.size());
    out.u16(modes);
    out.i32(c.activeMode);
    for (uint16_t i = 0; i < modes; ++i) writeMode(c.modes[i], protocol, out);
    const uint16_t zones = count16(c.zones.size());
    out.u16(zones);
    for (uint16_t i = 0; i < zones; ++i) writeZone(c.zones[i], protocol, out);
    const uint16_t leds = count16(c.leds.size());
    out.u16(leds);
    for (uint16_t i = 0; i < leds; ++i) {
        out.text(c.leds[i].name);
        out.u32(c.leds[i].value);
    }
    const uint16_t colors = count16(c.colors.size());
    out.u16(colors);
    for (uint16_t i = 0; i < colors; ++i) out.color(c.colors[i]);
    out.patchU32(start, static_cast<uint32_t>(out.size() - start));
}

std::optional<RgbMode> readMode(ByteReader& in, uint32_t protocol, size_t maxColors) {
    RgbMode mode;
    mode.name = in.text(kMaxClientText);
    mode.value = in.i32();
    mode.flags = in.u32();
    mode.speedMin = in.u32();
    mode.speedMax = in.u32();
    if (protocol >= 3) {
        mode.brightnessMin = in.u32();
        mode.brightnessMax = in.u32();
    }
    mode.colorsMin = in.u32();
    mode.colorsMax = in.u32();
    mode.speed = in.u32();
    if (protocol >= 3) mode.brightness = in.u32();
    mode.direction = in.u32();
    const uint32_t colorMode = in.u32();
    const uint16_t colors = in.u16();
    if (!in.ok() || colors > maxColors || colorMode > static_cast<uint32_t>(ColorMode::Random))
        return std::nullopt;
    mode.colorMode = static_cast<ColorMode>(colorMode);
    mode.colors.reserve(colors);
    for (uint16_t i = 0; i < colors; ++i) mode.colors.push_back(in.color());
    if (!in.ok()) return std::nullopt;
    return mode;
}

}  // namespace halvern::rgb
