#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// The sound companion's colour styles: four named styles, each a red, green and blue step (0-9 in the
/// style window), and the current one.
struct AudioStyleSet {
    static constexpr std::size_t kStyles = 4;
    uint8_t currentStyle = 0;
    std::array<std::string, kStyles> names;
    /// Style s's red, green and blue at 3s, 3s+1, 3s+2.
    std::array<uint8_t, 3 * kStyles> colours{};
};

/// The names the shipped audio file gives the styles, and what a style's name becomes when it is emptied.
/// Stored as they are, they stand for "not named by the user": the interface shows such a style by the
/// name of its language (`DefaultStyleNameId`), so it follows the language until the user renames it.
inline const std::array<std::string, AudioStyleSet::kStyles> kDefaultStyleNames{"第一组", "第二组", "第三组",
                                                                                "第四组"};

/// Whether `name` is style `style`'s default name (the stored default or empty) rather than one the user
/// gave. False for a style beyond the four.
[[nodiscard]] bool IsDefaultStyleName(std::size_t style, std::string_view name);
/// The text id of style `style`'s default name in the interface languages ("music_style_name_1" …).
[[nodiscard]] std::string DefaultStyleNameId(std::size_t style);

/// Reads the "AudioLightInfo" member of the audio file's "Device" value. Missing keys read as 0 or the
/// empty name; integers keep their low 8 bits; a key of an unusable type (text for a colour, say) reads as 0.
[[nodiscard]] AudioStyleSet LoadAudioStyleSet(const Json::Value& device);
/// Sets the "AudioLightInfo" member of `device`; other members stay.
void StoreAudioStyleSet(const AudioStyleSet& set, Json::Value& device);

/// The audio file: the user's copy, made from the shipped default when it is missing or unusable.
class AudioFile {
public:
    AudioFile(std::filesystem::path userCopy, std::filesystem::path defaultCopy);

    /// Reads the user copy, or copies the default when the user copy has no "Device". False when neither
    /// can be read or the copy cannot be written; `device()` is then null.
    [[nodiscard]] bool open();
    [[nodiscard]] Json::Value& device() { return m_device; }
    /// Writes the "Device" value into the user copy, keeping its other members. False when writing fails.
    [[nodiscard]] bool save();
    /// Replaces the user copy by the default. False when that fails (the user copy is then unchanged).
    [[nodiscard]] bool reset();

    static constexpr const char* kFileName = "AudioFile.json";

private:
    std::filesystem::path m_userCopy;
    std::filesystem::path m_defaultCopy;
    Json::Value m_device;
};

}  // namespace halvern
