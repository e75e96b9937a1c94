#include "devices/linux_audio/ladspa_folders.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace halvern::audio {

std::vector<std::string> ladspaFolders() {
    constexpr std::array<std::string_view, 3> kFolders{"/usr/lib/ladspa", "/usr/local/lib/ladspa",
                                                       "/usr/lib/x86_64-linux-gnu/ladspa"};
    std::vector<std::string> folders;
    if (const char* path = std::getenv("LADSPA_PATH"); path != nullptr) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (colon != 0) folders.emplace_back(rest.substr(0, colon));
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const std::string_view folder : kFolders) folders.emplace_back(folder);
    return folders;
}

std::optional<std::string> findLadspaLibrary(std::string_view file) {
    for (const std::string& folder : ladspaFolders()) {
        std::error_code error;
        const std::filesystem::path candidate = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    return std::nullopt;
}

}  // namespace halvern::audio
