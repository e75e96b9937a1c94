#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// A colour as eight upper-case hexadecimal digits, alpha first: opaque green is "FF00FF00".
[[nodiscard]] std::string FormatArgbHex(uint32_t argb);

/// Reads hexadecimal colour text (either case, at most eight digits, an optional "0x"). Text that is not
/// such a number reads as 0.
[[nodiscard]] uint32_t ParseArgbHex(std::string_view text);

/// The colour picker's swatches: twenty preset colours and twenty slots of colours the user collected.
struct ColorOptions {
    static constexpr size_t kSwatches = 20;
    std::array<uint32_t, kSwatches> presets{};
    int presetSelected = 0;
    std::array<uint32_t, kSwatches> collected{};
    std::array<bool, kSwatches> collectedUsed{};  ///< the slot holds a collected colour
    int collectedSelected = 0;
    bool operator==(const ColorOptions&) const = default;
};

/// The colour option file "color_option_info.config" of the user's data folder, with its shipped default
/// copy in the default data folder.
class ColorOptionFile {
public:
    static constexpr std::string_view kFileName = "color_option_info.config";

    ColorOptionFile(std::filesystem::path appDataFolder, std::filesystem::path defaultDataFolder);

    /// Reads the user's file; on a first run (or when it is unusable) the shipped copy is read and written
    /// to the user's folder unchanged. Selections are clamped to 0..19.
    [[nodiscard]] ColorOptions Load();

    /// Stores the twenty preset colours and the selected preset, keeping the rest of the file.
    [[nodiscard]] bool SavePresets(const ColorOptions& options);
    /// Stores the twenty collected slots and the selected slot, keeping the rest of the file.
    [[nodiscard]] bool SaveCollected(const ColorOptions& options);

    [[nodiscard]] std::filesystem::path UserPath() const { return m_appDataFolder / kFileName; }

private:
    [[nodiscard]] Json::Value readDocument();

    std::filesystem::path m_appDataFolder;
    std::filesystem::path m_defaultDataFolder;
};

}  // namespace halvern
