#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace halvern::audio {

/// The impulse responses the sound server's virtual surround sink convolves with: for each of the eight
/// speakers of a 7.1 layout (front left and right at ±30°, centre and LFE ahead, sides at ±90°, rear at
/// ±150°, on the ear plane), what reaches the left ear and what reaches the right ear, taken from a
/// measured head-related transfer function set (SOFA, read with libmysofa). Written as two 8-channel
/// WAV files with their speaker positions in the channel mask, at the sink's rate.
struct HrirFiles {
    std::string left;
    std::string right;
};

/// The measured set used: HALVERN_HRTF when it names a file, else the KEMAR set that Debian's libmysofa
/// ships. Nothing when there is none.
[[nodiscard]] std::optional<std::string> findHrtfSet();

/// Writes the two files for `rate` into `folder` (kept: a later call with the same set and rate reuses
/// them); atomic, so a server never reads a half-written file. Nothing when the set cannot be read or
/// the files cannot be written.
[[nodiscard]] std::optional<HrirFiles> makeHrirFiles(const std::string& set, uint32_t rate,
                                                     const std::string& folder);

/// The folder the files are kept in: $XDG_CACHE_HOME/halvern, else ~/.cache/halvern.
[[nodiscard]] std::optional<std::string> hrirFolder();

}  // namespace halvern::audio
