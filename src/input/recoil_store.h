#pragma once

#include <array>
#include <filesystem>

#include "input/event_file_import.h"

namespace halvern {

/// One shot of a recoil pattern as the editor shows it: the horizontal and vertical pull after the shot
/// and the pause before the next one.
struct RecoilShot {
    int x = 0;          ///< counts, 0-255
    bool left = false;  ///< x moves to the left ("down" in the file), else to the right
    int y = 0;          ///< counts, 0-255
    bool up = false;    ///< y moves upwards ("down" in the file), else downwards
    int delay = 0;      ///< ms, 0-65535
    bool operator==(const RecoilShot&) const = default;
};

/// The four recoil patterns (guns) of the mouse, one file "ShootData_<gun>.Shoot" each in the device's data
/// folder, with shipped copies of the same names in the default folder. A file holds the macro events of
/// 30 shots, six per shot: left press (10 ms), left release, X move (5 ms), Y move (the shot's delay), zero
/// X move, zero Y move; "Button" and "Delay" are JSON integers.
class RecoilStore {
public:
    static constexpr int kGuns = 4;
    static constexpr int kShots = 30;
    static constexpr int kEventsPerShot = 6;
    static constexpr int kMaxOffset = 255;
    static constexpr int kMaxDelay = 65535;

    RecoilStore(std::filesystem::path folder, std::filesystem::path defaultFolder);

    /// Replaces every pattern file that is missing or does not read as JSON by its shipped copy. False
    /// when a copy failed (that file then stays as it was).
    [[nodiscard]] bool RestoreMissing() const;

    /// The shot of a gun (both clamped into range) as the mouse receives it: its move events are read by
    /// EventFromJson, as the pattern sent to the mouse is. Zeros when the file or the shot's events are
    /// missing.
    [[nodiscard]] RecoilShot ReadShot(int gun, int shot) const;
    /// All 30 shots of a gun, read at once.
    [[nodiscard]] std::array<RecoilShot, kShots> ReadPattern(int gun) const;

    /// Writes all six events of the shot (values clamped into range). A file that is missing or shorter
    /// than 30 shots is first completed with zero shots. False when the file cannot be written.
    [[nodiscard]] bool SaveShot(int gun, int shot, const RecoilShot& value) const;

    /// Copies the shipped pattern of the gun over the user's. False when it cannot.
    [[nodiscard]] bool Reset(int gun) const;
    /// Copies `source` over the gun's pattern byte for byte once it has checked that the source is a file
    /// of macro events (CheckEventFile). Anything but Imported leaves the pattern unchanged.
    [[nodiscard]] ImportResult Import(int gun, const std::filesystem::path& source) const;
    /// Copies the gun's pattern to `target`. False when it cannot.
    [[nodiscard]] bool Export(int gun, const std::filesystem::path& target) const;

    /// "<folder>/ShootData_<gun>.Shoot" for the gun clamped to 0-3.
    [[nodiscard]] std::filesystem::path PatternPath(int gun) const;
    [[nodiscard]] std::filesystem::path DefaultPath(int gun) const;

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_defaultFolder;
};

/// "ShootData_<gun>.Shoot".
[[nodiscard]] std::filesystem::path RecoilFileName(int gun);

}  // namespace halvern
