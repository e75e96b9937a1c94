#pragma once

#include <span>
#include <string_view>

namespace halvern::app {

/// What the command line asks of `halvern`. Options it does not know are left to the toolkit (Qt's own,
/// such as -platform), as before.
struct StartOptions {
    bool background = false;  ///< --background: start without showing the window
    bool help = false;        ///< --help or -h
    bool version = false;     ///< --version
};

/// The options among `arguments` (the program's arguments after its name).
[[nodiscard]] StartOptions ParseStartOptions(std::span<const char* const> arguments);

/// What --help prints: the options, one line each.
[[nodiscard]] std::string_view StartHelpText();

}  // namespace halvern::app
