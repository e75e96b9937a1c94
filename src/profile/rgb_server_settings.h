#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace halvern {

/// Whether RGB programs may drive the lights through the application's OpenRGB SDK server, and where it
/// listens: the member "RgbServer": {"Enabled": true, "Port": 6742, "Address": "127.0.0.1"} of the settings
/// file. Off unless the user turned it on; on this machine only unless the user named another address.
struct RgbServerSettings {
    bool enabled = false;
    uint16_t port = 6742;
    std::string address = "127.0.0.1";

    friend bool operator==(const RgbServerSettings&, const RgbServerSettings&) = default;
};

/// The stored settings. A missing or unreadable file, or a member of the wrong kind, gives the default of
/// that member; a port outside 1-65535 the default port.
[[nodiscard]] RgbServerSettings ReadRgbServerSettings(const std::filesystem::path& file);

/// Stores `settings` as ChangeSettingsFile does; an address that is the default is not written, so the
/// file keeps only what the user chose.
[[nodiscard]] bool WriteRgbServerSettings(const std::filesystem::path& file,
                                          const RgbServerSettings& settings);

}  // namespace halvern
