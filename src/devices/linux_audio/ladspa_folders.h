#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::audio {

/// The folders LADSPA libraries are looked for in: those of LADSPA_PATH, then the usual ones.
[[nodiscard]] std::vector<std::string> ladspaFolders();

/// Where the sound server finds the LADSPA library `file` ("ladspa-rubberband.so"): the first folder of
/// LADSPA_PATH, else of the usual folders, that holds it. Nothing when none does.
[[nodiscard]] std::optional<std::string> findLadspaLibrary(std::string_view file);

}  // namespace halvern::audio
