#pragma once

// The OpenRGB SDK protocol as far as this server speaks it: packet identifiers, the header, the codes
// its data blocks carry, and the bounds this server holds every client to.

#include <cstddef>
#include <cstdint>

namespace halvern::rgb {

/// The highest protocol version served. Versions 5 and 6 add controller and zone flags, segments
/// editing and per-zone modes, none of which these devices have.
inline constexpr uint32_t kServerProtocolVersion = 4;
inline constexpr uint16_t kDefaultPort = 6742;

inline constexpr size_t kHeaderSize = 16;
inline constexpr char kMagic[4] = {'O', 'R', 'G', 'B'};
/// The largest packet a client may send. The largest real one (all of the keyboard's colours, or a mode
/// with its colours) is a few kilobytes.
inline constexpr uint32_t kMaxPacketSize = 64 * 1024;
/// The longest text taken from a client (its name, a profile name); longer ones close the connection.
inline constexpr size_t kMaxClientText = 256;

enum class PacketId : uint32_t {
    RequestControllerCount = 0,
    RequestControllerData = 1,
    RequestProtocolVersion = 40,
    SetClientName = 50,
    DeviceListUpdated = 100,
    RequestProfileList = 150,
    RequestSaveProfile = 151,
    RequestLoadProfile = 152,
    RequestDeleteProfile = 153,
    RequestPluginList = 200,
    PluginSpecific = 201,
    ResizeZone = 1000,
    UpdateLeds = 1050,
    UpdateZoneLeds = 1051,
    UpdateSingleLed = 1052,
    SetCustomMode = 1100,
    UpdateMode = 1101,
    SaveMode = 1102,
};

enum class DeviceType : int32_t {
    Keyboard = 5,
    Mouse = 6,
    Mousemat = 7,
    Headset = 8,
};

enum class ZoneType : int32_t {
    Single = 0,
    Linear = 1,
    Matrix = 2,
};

/// What a mode lets a client set (mode flags).
namespace mode_flag {
inline constexpr uint32_t kHasSpeed = 1u << 0;
inline constexpr uint32_t kHasDirectionLeftRight = 1u << 1;
inline constexpr uint32_t kHasDirectionUpDown = 1u << 2;
inline constexpr uint32_t kHasDirectionHorizontalVertical = 1u << 3;
inline constexpr uint32_t kHasBrightness = 1u << 4;
inline constexpr uint32_t kHasPerLedColor = 1u << 5;
inline constexpr uint32_t kHasModeSpecificColor = 1u << 6;
inline constexpr uint32_t kHasRandomColor = 1u << 7;
inline constexpr uint32_t kManualSave = 1u << 8;
}  // namespace mode_flag

enum class ColorMode : uint32_t {
    None = 0,
    PerLed = 1,
    ModeSpecific = 2,
    Random = 3,
};

enum class Direction : uint32_t {
    Left = 0,
    Right = 1,
    Up = 2,
    Down = 3,
    Horizontal = 4,
    Vertical = 5,
};

/// In a matrix map, a place without an LED.
inline constexpr uint32_t kNoLed = 0xFFFFFFFF;

}  // namespace halvern::rgb
