#include "app/start_options.h"

namespace halvern::app {

StartOptions ParseStartOptions(std::span<const char* const> arguments) {
    StartOptions options;
    for (const char* argument : arguments) {
        if (argument == nullptr) continue;
        const std::string_view word(argument);
        if (word == "--background") options.background = true;
        if (word == "--help" || word == "-h") options.help = true;
        if (word == "--version") options.version = true;
    }
    return options;
}

std::string_view StartHelpText() {
    return "Usage: halvern [--background]\n"
           "Sets up the lighting, keys, macros and DPI of the brand's mice, keyboards, mouse pads and "
           "headsets.\n"
           "One copy runs per user: starting halvern again opens the running copy's window.\n"
           "\n"
           "  --background  start without showing the window (the tray icon or a second start opens it)\n"
           "  --help        show this help and exit\n"
           "  --version     show the version and exit\n"
           "\n"
           "HALVERN_EMULATE=mouse,keyboard,... runs on emulated devices instead of the real ones.\n";
}

}  // namespace halvern::app
