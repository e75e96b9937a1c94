#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// The default background picture of the main window, in the skin folder.
inline constexpr std::string_view kDefaultSkinImage = "common/background.png";

/// What the "FLAGS" key of the skin file says. Older files only ever hold 0 and 1, which keep their meaning.
enum class SkinKind : int {
    DefaultImage = 0,  ///< the default picture
    OfferedImage = 1,  ///< "IMAGE": one of the offered pictures, a name in the skin folder
    Colour = 2,        ///< "COLOR": a colour, eight hexadecimal digits ARGB
    OwnPicture = 3,    ///< "IMAGE": the full path of a picture file of the user's
};

/// The background the user chose, as the skin file keeps it.
struct SkinChoice {
    SkinKind kind = SkinKind::DefaultImage;
    std::string image{kDefaultSkinImage};
    uint32_t colour = 0;

    friend bool operator==(const SkinChoice&, const SkinChoice&) = default;
};

/// "main.ini" in the user's data folder.
[[nodiscard]] std::filesystem::path SkinFile();

/// Reads section "SKINIMAGE" of an INI file. A missing file, an unknown "FLAGS" value or a value that does
/// not fit its kind (an offered name that leaves the skin folder, a relative own picture, a colour that is
/// not eight hexadecimal digits) reads as the default picture.
[[nodiscard]] SkinChoice ReadSkinFile(const std::filesystem::path& file);

/// Writes the choice into section "SKINIMAGE", keeping the file's other lines. False when it could not be
/// written.
[[nodiscard]] bool WriteSkinFile(const std::filesystem::path& file, const SkinChoice& choice);

/// Whether `name` is a plain relative name inside a folder (no "..", not absolute, no backslash).
[[nodiscard]] bool IsNameInsideFolder(std::string_view name);

}  // namespace halvern
