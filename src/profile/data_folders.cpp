#include "profile/data_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "device/debug_sink.h"
#include "profile/file_names.h"

namespace halvern {
namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

std::filesystem::path ensureFolder(std::filesystem::path folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error) && !std::filesystem::create_directories(folder, error)) {
        debugLog("cannot create folder " + folder.string() + ": " + error.message());
    }
    return folder;
}

}  // namespace

std::filesystem::path GetAppDataFolder() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else {
        base = homeFolder() / ".local" / "share";
    }
    return ensureFolder(base / "Halvern");
}

std::filesystem::path GetDeviceDataFolder(std::string_view kindName) {
    if (!IsSafeFileStem(kindName)) return {};
    return ensureFolder(GetAppDataFolder() / kindName);
}

std::filesystem::path GetResourceFolder() {
    if (const char* env = std::getenv("HALVERN_RESOURCES"); env && *env) return env;
    std::error_code error;
    const std::filesystem::path source = HALVERN_SOURCE_RESOURCES;
    if (std::filesystem::is_directory(source, error)) return source;
    return HALVERN_INSTALL_DATADIR;
}

std::filesystem::path GetDefaultDataFolder() { return GetResourceFolder() / "DefaultData"; }

std::filesystem::path GetDefaultProfilePath(std::string_view kindName) {
    return GetDefaultDataFolder() / (std::string(kindName) + ".Json");
}

}  // namespace halvern
