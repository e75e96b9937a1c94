#include "profile/data_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "device/debug_sink.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/tmp";
}

std::filesystem::path ensureFolder(std::filesystem::path folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error) &&
        !std::filesystem::create_directories(folder, error)) {
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

std::filesystem::path ChooseResourceFolder(const char* env, const std::filesystem::path& executable,
                                           const std::filesystem::path& sourceResources,
                                           const std::filesystem::path& installedResources) {
    if (env && *env) return env;
    std::error_code error;
    if (!executable.empty()) {
        // <prefix>/bin/halvern → <prefix>/share/halvern
        std::filesystem::path besideBin = executable.parent_path().parent_path() / "share" / "halvern";
        if (executable.parent_path().filename() == "bin" && std::filesystem::is_directory(besideBin, error)) {
            return besideBin;
        }
    }
    if (std::filesystem::is_directory(sourceResources, error)) return sourceResources;
    return installedResources;
}

std::filesystem::path GetResourceFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return ChooseResourceFolder(std::getenv("HALVERN_RESOURCES"),
                                error ? std::filesystem::path() : executable, HALVERN_SOURCE_RESOURCES,
                                HALVERN_INSTALL_DATADIR);
}

std::filesystem::path GetDefaultDataFolder() {
    return GetResourceFolder() / "DefaultData";
}

std::filesystem::path GetDefaultProfilePath(std::string_view kindName) {
    return GetDefaultDataFolder() / (std::string(kindName) + ".Json");
}

std::filesystem::path GetConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "Halvern";
    return homeFolder() / ".config" / "Halvern";
}

bool IsWebAddress(std::string_view address) {
    constexpr size_t kMaxAddress = 2048;
    if (address.size() > kMaxAddress) return false;
    const auto startsWithNoCase = [address](std::string_view prefix) {
        if (address.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            const char c = address[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i]) return false;
        }
        return true;
    };
    size_t hostStart = 0;
    if (startsWithNoCase("https://")) {
        hostStart = 8;
    } else if (startsWithNoCase("http://")) {
        hostStart = 7;
    } else {
        return false;
    }
    // A host must follow; spaces, control characters and backslashes have no place in an address.
    if (hostStart >= address.size() || address[hostStart] == '/' || address[hostStart] == '?' ||
        address[hostStart] == '#') {
        return false;
    }
    for (const char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '\\') return false;
    }
    return true;
}

std::string GetWebSiteAddress() {
    std::string address;
    if (const char* env = std::getenv("HALVERN_WEBSITE")) {
        address = env;
    } else {
        address = ToText(Member(ReadJsonFile(GetConfigFolder() / kSettingsFileName), "WebSite"));
    }
    if (address.empty()) return {};
    if (!IsWebAddress(address)) {
        debugLog("settings: WebSite is not an http or https address, the logo opens nothing");
        return {};
    }
    return address;
}

}  // namespace halvern
