#include "profile/autostart_entry.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// The value of `key` in the [Desktop Entry] group, or nothing when the key is not there.
std::optional<std::string_view> entryValue(std::string_view text, std::string_view key) {
    bool inEntry = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos || trimmed(line.substr(0, equals)) != key) continue;
        return trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

std::string reasonOf(int code) {
    return code != 0 ? std::strerror(code) : "the file could not be written";
}

}  // namespace

std::filesystem::path AutostartEntryPath() {
    // The configuration folder's parent is $XDG_CONFIG_HOME (or ~/.config), with the same rules.
    return GetConfigFolder().parent_path() / "autostart" / "org.halvern.Halvern.desktop";
}

std::string AutostartEntryText(std::string_view program) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Halvern\n"
        "Comment=Keeps the lights and settings of your gaming devices running from the start of the session\n"
        "Exec=";
    text += program;
    text +=
        " --background\n"
        "Icon=org.halvern.Halvern\n"
        "Terminal=false\n"
        "NoDisplay=true\n"
        "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool AutostartEntryEnabled(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const std::string text = ReadFileText(path);
    if (entryValue(text, "Hidden") == std::optional<std::string_view>("true")) return false;
    return entryValue(text, "X-GNOME-Autostart-enabled") != std::optional<std::string_view>("false");
}

AutostartChange WriteAutostartEntry(const std::filesystem::path& path, std::string_view program) {
    std::error_code error;
    const std::filesystem::path folder = path.parent_path();
    if (!std::filesystem::is_directory(folder, error) &&
        !std::filesystem::create_directories(folder, error)) {
        debugLog("autostart: cannot create " + folder.string() + ": " + error.message());
        return {error ? error.message() : "the folder could not be made"};
    }
    if (::access(folder.c_str(), W_OK) != 0) return {reasonOf(errno)};
    errno = 0;
    if (!WriteFileAtomic(path, AutostartEntryText(program))) return {reasonOf(errno)};
    return {};
}

AutostartChange RemoveAutostartEntry(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::remove(path, error) && error) {
        debugLog("autostart: cannot remove " + path.string() + ": " + error.message());
        return {error.message()};
    }
    return {};
}

}  // namespace halvern
