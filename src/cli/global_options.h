#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace halvern::cli {

/// The program's options and the command's words. --json and --help count wherever they stand before
/// "--"; the other options come before the command word.
struct GlobalOptions {
    std::vector<std::string> emulate;  ///< device names; empty: real devices through udev
    std::string emulatorState;
    std::string capture;
    bool json = false;
    bool help = false;     ///< --help anywhere, or "help [COMMAND]": the command's help, or the general one
    bool version = false;  ///< --version: print the program's version and stop
    std::string command;
    std::vector<std::string> args;  ///< the words after the command but --json and --help; "--" stays
};

/// Parses the command line (without the program name). Nothing, with one line on `err`, for a bad option.
[[nodiscard]] std::optional<GlobalOptions> parseGlobalOptions(const std::vector<std::string>& words,
                                                              std::ostream& err);

}  // namespace halvern::cli
