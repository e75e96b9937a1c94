#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace halvern {

/// The user's data folder "$XDG_DATA_HOME/Halvern" (by default "~/.local/share/Halvern"), created when
/// missing. A relative XDG_DATA_HOME is ignored, as the XDG rules say.
[[nodiscard]] std::filesystem::path GetAppDataFolder();

/// The folder of one device kind's user files ("mouse", "keyboard", "MousePad", "HD") inside the user's
/// data folder, created when missing. Empty when the kind name is not a plain folder name.
[[nodiscard]] std::filesystem::path GetDeviceDataFolder(std::string_view kindName);

/// The program's resource folder: $HALVERN_RESOURCES when set; else "share/halvern" beside the running
/// program's "bin" folder when it exists (an installed copy, wherever its prefix now is); else the source
/// tree's resources when they exist (a run from the build tree); else the configured install prefix's
/// "share/halvern".
[[nodiscard]] std::filesystem::path GetResourceFolder();

/// The rule of GetResourceFolder on given inputs: `env` is $HALVERN_RESOURCES (may be null), `executable`
/// the running program's path (may be empty).
[[nodiscard]] std::filesystem::path ChooseResourceFolder(const char* env,
                                                         const std::filesystem::path& executable,
                                                         const std::filesystem::path& sourceResources,
                                                         const std::filesystem::path& installedResources);

/// The shipped, read-only default data: the resource folder's "DefaultData".
[[nodiscard]] std::filesystem::path GetDefaultDataFolder();

/// The shipped default profile of a device kind: "<kind name>.Json" in the default data folder.
[[nodiscard]] std::filesystem::path GetDefaultProfilePath(std::string_view kindName);

/// The user's configuration folder "$XDG_CONFIG_HOME/Halvern" (by default "~/.config/Halvern"). Only read
/// here, so it is not created. A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
[[nodiscard]] std::filesystem::path GetConfigFolder();

/// The user's settings file in the configuration folder: a JSON object, for example
/// {"WebSite": "https://example.org/"}.
inline constexpr std::string_view kSettingsFileName = "settings.json";

/// The web address the logo button opens: $HALVERN_WEBSITE when it is set (set but empty turns it off),
/// else the "WebSite" member of the settings file. Empty when none is set, which is the default, or when
/// the address is not a plain http or https address (with a host, at most 2048 bytes, no spaces or control
/// characters): the window then opens nothing.
[[nodiscard]] std::string GetWebSiteAddress();

/// Whether `address` is one GetWebSiteAddress hands out.
[[nodiscard]] bool IsWebAddress(std::string_view address);

}  // namespace halvern
