// The help texts halvernctl prints, written from the command table.

#include <algorithm>
#include <cctype>
#include <string>

#include "cli/command_table.h"

namespace halvern::cli {
namespace {

constexpr size_t kNameColumn = 16;

/// Each line of `text` after `indent`.
void appendIndented(std::string& into, std::string_view text, std::string_view indent) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        into.append(indent).append(text.substr(0, end)).push_back('\n');
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

std::string optionWithValue(const OptionRow& option) {
    std::string text(option.name);
    if (!option.value.empty()) text.append(" ").append(option.value);
    return text;
}

}  // namespace

std::string helpHint(std::string_view command) {
    if (command.empty() || !findCommandRow(command)) return "see 'halvernctl --help'";
    return "see 'halvernctl help " + std::string(command) + "'";
}

std::string generalUsage() {
    std::string text =
        "usage: halvernctl [--emulate LIST] [--emulator-state DIR] [--capture FILE] [--json] COMMAND ...\n"
        "       halvernctl help [COMMAND] | COMMAND --help | --version | --help\n"
        "  LIST: comma list of mouse, mouse-receiver, keyboard, keyboard-receiver, mousepad, headset\n"
        "commands:\n";
    for (const CommandRow& command : commandTable()) {
        std::string name = "  " + std::string(command.name);
        name.resize(std::max(name.size() + 1, kNameColumn), ' ');
        text.append(name).append(command.summary).push_back('\n');
    }
    text +=
        "Everything counted is numbered from 1, as the window shows it: DPI stages 1-6, mouse buttons\n"
        "1-11, keyboard keys 1-18, 22-104 and 106-126, polling indexes, recoil guns 1-4 and shots 1-30,\n"
        "EQ presets 1-12, bands 1-10, voices 1-4, saved equalisers 1-20, macros, macro rows, profiles\n"
        "and languages.\n"
        "Levels and codes stay as they are (brightness 0-4, levels 0-100, light mode numbers).\n"
        "Numbers are decimal. --json may stand anywhere before '--'; '--' ends the options (a word\n"
        "after it is a word even when it begins with '-'); FILE '-' is standard output or input.\n"
        "Exit status: 0 done, 1 refused or failed, 2 a usage mistake (one line on standard error).\n"
        "See 'halvernctl help COMMAND' for a command's forms and options.\n";
    return text;
}

std::string commandHelp(const CommandRow& command) {
    std::string text;
    std::string_view synopsis = command.synopsis;
    bool first = true;
    while (!synopsis.empty()) {
        const size_t end = std::min(synopsis.find('\n'), synopsis.size());
        const std::string_view line = synopsis.substr(0, end);
        // A line that goes on the form before it starts with spaces.
        const bool continued = line.starts_with(' ');
        text.append(first       ? "usage: halvernctl "
                    : continued ? "                  "
                                : "       halvernctl ")
            .append(line)
            .push_back('\n');
        first = false;
        synopsis.remove_prefix(std::min(end + 1, synopsis.size()));
    }
    std::string summary(command.summary);
    if (!summary.empty())
        summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    text.append(summary).append(".\n");
    if (!command.options.empty()) {
        text += "options:\n";
        for (const OptionRow& option : command.options) {
            std::string line = "  " + optionWithValue(option);
            if (!option.verbs.empty() || !option.needs.empty()) {
                line.resize(std::max(line.size() + 1, size_t{34}), ' ');
                std::string with(option.verbs);
                if (!option.needs.empty())
                    with.append(with.empty() ? "with " : "; with ").append(option.needs);
                line.append("(").append(with).append(")");
            }
            text.append(line).push_back('\n');
        }
    }
    appendIndented(text, command.details, "");
    return text;
}

}  // namespace halvern::cli
