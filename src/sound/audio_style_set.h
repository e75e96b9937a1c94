#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

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

/// The names a style gets when its name is emptied.
inline const std::array<std::string, AudioStyleSet::kStyles> kDefaultStyleNames{"第一组", "第二组", "第三组",
                                                                                "第四组"};

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
