#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halvern::emu {

/// The product families the emulator models.
enum class Product : uint8_t { Mouse, Keyboard, MousePad, Headset };

/// How a product reaches the computer. Only the mouse and the keyboard have a receiver form.
enum class Attachment : uint8_t { Cable, Receiver };

/// How opened nodes talk to the virtual firmware.
enum class Transport : uint8_t {
    InProcess,   ///< direct calls; pollFd() is readable while input reports wait
    SocketPair,  ///< a SOCK_SEQPACKET socket pair with a firmware service thread on the far end
};

/// The memory areas of a virtual device, as tests see them.
enum class Region : uint8_t {
    Info,          ///< 34-byte information block (ReadInfo 0x03)
    Settings,      ///< settings memory: active record index at 0, onboard records (0x05 / 0x06)
    KeyTable,      ///< 3 bytes per key slot (0x07 / 0x09)
    LedTable,      ///< one LED position byte per key slot (0x1B)
    Macro,         ///< macro image, info byte 6 x 128 bytes (0x15)
    Recoil,        ///< recoil image (0x17)
    CustomColour,  ///< per custom group a 512-byte block (0x0B)
    Power,         ///< 6-byte power status (0x1A); byte 0 = battery level, byte 1 = charge state
    Frame,         ///< the streamed frame being assembled (0x12)
};
inline constexpr size_t kRegionCount = 9;

/// Information-block values a test may choose; unset fields keep the product's defaults.
struct DeviceConfig {
    std::optional<uint8_t> keySlots{};     ///< info byte 5; also sizes the key and LED tables
    std::optional<uint8_t> macroUnits{};   ///< info byte 6: macro memory in 128-byte units
    std::optional<uint16_t> sensorCode{};  ///< info bytes 9-10 (0x3325 selects the two-range DPI scale)
    std::optional<uint8_t> dpiStep{};      ///< info byte 11
    std::optional<uint16_t> highestSliderPosition{};  ///< info bytes 12-13
    std::optional<uint16_t> lowestDpi{};              ///< info bytes 14-15
    std::optional<uint8_t> batteryLevel{};            ///< power status byte 0
};

/// Faults that a virtual device applies to its traffic; settable at any time from any thread.
struct Faults {
    /// Time one report takes each way (1 ms = the USB full-speed interval). Reports queue behind each
    /// other, so at most one report per interval travels in each direction.
    std::chrono::microseconds latency{0};
    unsigned dropReplies = 0;            ///< the next n command replies are lost
    bool dropAllReplies = false;         ///< every command reply is lost
    std::optional<uint8_t> replyCode{};  ///< replies carry this command code instead of the request's
    /// Replies carry this status byte. 0xFF and 0xFE mean the device refused: the command is not carried
    /// out. Other values are success codes and the command runs.
    std::optional<uint8_t> replyStatus{};
    /// Requests with this command code are refused (status 0xFF, not carried out); the others run.
    std::optional<uint8_t> refuseCommand{};
    /// Every output report waits this long before the device takes it, as a write to a stalled device waits
    /// in the kernel (hidraw: up to 5 s). Unplugging the device ends the wait.
    std::chrono::milliseconds writeBlock{0};
};

/// "mouse", "keyboard", "mousepad", "headset".
[[nodiscard]] std::string_view productName(Product product);

/// The device name used in node paths, capture lines and `--emulate` lists: the product name, with
/// "-receiver" appended for the receiver form ("mouse-receiver").
[[nodiscard]] std::string deviceName(Product product, Attachment attachment);

/// Parses a device name back. Nothing for an unknown name or a product without a receiver form.
struct DeviceId {
    Product product = Product::Mouse;
    Attachment attachment = Attachment::Cable;
    friend bool operator==(const DeviceId&, const DeviceId&) = default;
};
[[nodiscard]] std::optional<DeviceId> parseDeviceName(std::string_view name);

}  // namespace halvern::emu
