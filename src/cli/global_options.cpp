#include "cli/global_options.h"

#include <span>
#include <sstream>
#include <string_view>

#include "cli/command_table.h"
#include "emulator/emulator_types.h"

namespace halvern::cli {
namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

/// The words after the command: --json and --help are taken wherever they stand before "--"; the rest,
/// "--" with them, are the command's own.
void takeCommandWords(std::span<const std::string> words, GlobalOptions& options) {
    bool ended = false;
    for (const std::string& word : words) {
        if (!ended && word == "--json") {
            options.json = true;
            continue;
        }
        if (!ended && (word == "--help" || word == "-h")) {
            options.help = true;
            continue;
        }
        ended = ended || word == "--";
        options.args.push_back(word);
    }
}

}  // namespace

std::optional<GlobalOptions> parseGlobalOptions(const std::vector<std::string>& words, std::ostream& err) {
    GlobalOptions options;
    size_t i = 0;
    // Options with a value take it from the next word or after "=".
    auto value = [&](std::string_view word, std::string_view name, std::string& into) -> int {
        if (word == name) {
            if (i + 1 >= words.size()) {
                err << "halvernctl: " << name << " needs a value\n";
                return -1;
            }
            into = words[++i];
            return 1;
        }
        if (word.size() > name.size() && word.substr(0, name.size()) == name && word[name.size()] == '=') {
            into = std::string(word.substr(name.size() + 1));
            return 1;
        }
        return 0;
    };
    for (; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--") {
            ++i;  // the command itself may begin with '-' no more than any other word
            break;
        }
        if (word.empty() || word[0] != '-') break;
        std::string emulate;
        int taken = 0;
        if (word == "--json") {
            options.json = true;
        } else if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if ((taken = value(word, "--emulate", emulate)) != 0) {
            if (taken < 0) return std::nullopt;
            for (const std::string& name : splitList(emulate)) {
                if (!emu::parseDeviceName(name)) {
                    err << "halvernctl: unknown device to emulate: " << name << '\n';
                    return std::nullopt;
                }
                options.emulate.push_back(name);
            }
            if (options.emulate.empty()) {
                err << "halvernctl: --emulate needs at least one device\n";
                return std::nullopt;
            }
        } else if ((taken = value(word, "--emulator-state", options.emulatorState)) != 0 ||
                   (taken = value(word, "--capture", options.capture)) != 0) {
            if (taken < 0) return std::nullopt;
        } else {
            err << "halvernctl: unknown option " << word << "; " << helpHint("") << '\n';
            return std::nullopt;
        }
    }
    if (i < words.size()) {
        options.command = words[i];
        takeCommandWords(std::span(words).subspan(i + 1), options);
    }
    if (options.command == "help") {
        // "help CMD" is "CMD --help"; "help" alone the general usage.
        if (options.args.size() > 1) {
            err << "halvernctl: help takes one command; " << helpHint("") << '\n';
            return std::nullopt;
        }
        options.command = options.args.empty() ? std::string() : options.args[0];
        options.args.clear();
        options.help = true;
    }
    if (options.emulate.empty() && (!options.emulatorState.empty() || !options.capture.empty())) {
        err << "halvernctl: --emulator-state and --capture work only with --emulate\n";
        return std::nullopt;
    }
    return options;
}

}  // namespace halvern::cli
