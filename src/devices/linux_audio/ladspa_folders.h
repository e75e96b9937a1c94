#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvern::audio {

/// Where the sound server finds the LADSPA library `file` ("ladspa-rubberband.so"): the first folder of
/// LADSPA_PATH, else of the usual folders, that holds it. Nothing when none does.
[[nodiscard]] std::optional<std::string> findLadspaLibrary(std::string_view file);

}  // namespace halvern::audio
