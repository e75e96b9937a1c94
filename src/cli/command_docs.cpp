#include "cli/command_docs.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "cli/command_table.h"

namespace halvern::cli {
namespace {

/// Text as man(7) shows it literally: backslashes and hyphens escaped, no line taken for a request.
std::string roff(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
        lineStart = c == '\n';
    }
    return out;
}

/// The lines of a text, one after another.
template <class Each>
void forEachLine(std::string_view text, Each each) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        each(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

std::string sentence(std::string_view summary) {
    std::string text(summary);
    if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

/// A shell word list in double quotes; the table's words hold no quotes or dollars.
std::string quoted(std::string_view words) {
    return "\"" + std::string(words) + "\"";
}

std::string optionNames(std::span<const OptionRow> options) {
    std::string names;
    for (const OptionRow& option : options) {
        if (!names.empty()) names += ' ';
        names += option.name;
    }
    return names;
}

std::string valuedOptionNames(std::span<const OptionRow> options) {
    std::string names;
    for (const OptionRow& option : options) {
        if (option.value.empty()) continue;
        if (!names.empty()) names += ' ';
        names += option.name;
    }
    return names;
}

/// The completion of one command: option values after an option, options after '-', else its words.
std::string commandCase(const CommandRow& command) {
    std::string text = "        " + std::string(command.name) + ")\n";
    text += "            valued=" + quoted(valuedOptionNames(command.options)) + "\n";
    bool anyValue = false;
    std::string values = "            case $prev in\n";
    for (const OptionRow& option : command.options) {
        if (option.value.empty()) continue;
        anyValue = true;
        values += "                " + std::string(option.name) + ") ";
        if (!option.choices.empty()) {
            values += "COMPREPLY=($(compgen -W " + quoted(option.choices) + " -- \"$cur\")); return ;;\n";
        } else {
            values += "return ;;\n";
        }
    }
    values += "            esac\n";
    if (anyValue) text += values;
    text += "            options=" + quoted(optionNames(command.options)) + "\n";
    text += "            first=" + quoted(command.firstWords) + " second=" + quoted(command.secondWords) +
            " files=" + quoted(command.fileVerbs) + " ;;\n";
    return text;
}

}  // namespace

std::string manCommandSection() {
    std::string text = ".SH COMMANDS\n";
    text += "Each command's help, with the same text, is printed by\n.B halvernctl help\n.IR COMMAND .\n";
    for (const CommandRow& command : commandTable()) {
        text += ".SS " + roff(command.name) + "\n.nf\n";
        forEachLine(command.synopsis, [&text](std::string_view line) {
            text += line.starts_with(' ') ? "           " + roff(line) + "\n"
                                          : "\\fBhalvernctl\\fR " + roff(line) + "\n";
        });
        text += ".fi\n" + roff(sentence(command.summary)) + "\n";
        forEachLine(command.details, [&text](std::string_view line) { text += roff(line) + "\n"; });
        std::string options;
        for (const OptionRow& option : command.options) {
            options += options.empty() ? "Options: " : ", ";
            options += "\\fB" + roff(option.name) + "\\fR";
            if (!option.value.empty()) options += " \\fI" + roff(option.value) + "\\fR";
            std::string with(option.verbs);
            if (!option.needs.empty())
                with += (with.empty() ? "with " : "; with ") + std::string(option.needs);
            if (!with.empty()) options += " (" + roff(with) + ")";
        }
        if (!options.empty()) text += ".PP\n" + options + ".\n";
    }
    return text;
}

std::string manPage(std::string_view page, std::string_view version) {
    std::string text;
    forEachLine(page, [&](std::string_view line) {
        if (line == "@COMMANDS@") {
            text += manCommandSection();
            return;
        }
        std::string copy(line);
        for (size_t at = copy.find("@PROJECT_VERSION@"); at != std::string::npos;
             at = copy.find("@PROJECT_VERSION@", at + version.size())) {
            copy.replace(at, std::string_view("@PROJECT_VERSION@").size(), version);
        }
        text += copy + "\n";
    });
    return text;
}

std::string bashCompletion() {
    std::string commands = "help";
    for (const CommandRow& command : commandTable()) commands += " " + std::string(command.name);
    std::string global;
    std::string emulateChoices;
    for (const OptionRow& option : globalOptionTable()) {
        global += (global.empty() ? "" : " ") + std::string(option.name);
        if (option.name == "--emulate") emulateChoices = option.choices;
    }

    std::string text =
        "# bash completion for halvernctl, written from its command table when it is built\n"
        "_halvernctl_files() {\n"
        "    if declare -F _filedir >/dev/null; then _filedir; else COMPREPLY=($(compgen -f -- \"$cur\")); "
        "fi\n"
        "}\n"
        "_halvernctl() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} cword=$COMP_CWORD\n"
        "    COMPREPLY=()\n"
        "    case $prev in\n"
        "        --emulate)\n"
        "            # A comma list: complete the name after the last comma.\n"
        "            local done=\"\" word\n"
        "            [[ $cur == *,* ]] && done=\"${cur%,*},\"\n"
        "            for word in " +
        std::string(emulateChoices) +
        "; do\n"
        "                [[ $word == \"${cur##*,}\"* ]] && COMPREPLY+=(\"$done$word\")\n"
        "            done\n"
        "            compopt -o nospace 2>/dev/null\n"
        "            return ;;\n"
        "        --emulator-state) COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n"
        "        --capture) _halvernctl_files; return ;;\n"
        "    esac\n"
        "\n"
        "    # The command is the first word after the global options.\n"
        "    local i command=\"\"\n"
        "    for ((i = 1; i < cword; i++)); do\n"
        "        case ${COMP_WORDS[i]} in\n"
        "            --emulate | --emulator-state | --capture) ((i++)) ;;\n"
        "            -*) ;;\n"
        "            *) command=${COMP_WORDS[i]}; break ;;\n"
        "        esac\n"
        "    done\n"
        "    if [[ -z $command ]]; then\n"
        "        if [[ $cur == -* ]]; then\n"
        "            COMPREPLY=($(compgen -W " +
        quoted(global) +
        " -- \"$cur\"))\n"
        "        else\n"
        "            COMPREPLY=($(compgen -W " +
        quoted(commands) +
        " -- \"$cur\"))\n"
        "        fi\n"
        "        return\n"
        "    fi\n"
        "\n"
        "    local valued=\"\" options=\"\" first=\"\" second=\"\" files=\"\"\n"
        "    case $command in\n"
        "        help) first=" +
        quoted(commands.substr(5)) + " ;;\n";
    for (const CommandRow& command : commandTable()) text += commandCase(command);
    text +=
        "        *) return ;;\n"
        "    esac\n"
        "\n"
        "    # The words so far after the command, without the options and their values.\n"
        "    local -a args=()\n"
        "    local j ended=\"\"\n"
        "    for ((j = i + 1; j < cword; j++)); do\n"
        "        local w=${COMP_WORDS[j]}\n"
        "        if [[ -z $ended && $w == -- ]]; then ended=1; continue; fi\n"
        "        if [[ -z $ended && $w == --* ]]; then\n"
        "            [[ \" $valued \" == *\" ${w%%=*} \"* && $w != *=* ]] && ((j++))\n"
        "            continue\n"
        "        fi\n"
        "        args+=(\"$w\")\n"
        "    done\n"
        "    if [[ -z $ended && $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$options --json --help\" -- \"$cur\"))\n"
        "    elif ((${#args[@]} == 0)) && [[ -n $first ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$first\" -- \"$cur\"))\n"
        "    elif ((${#args[@]} == 1)) && [[ -n $second ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$second\" -- \"$cur\"))\n"
        "    elif [[ -n $files ]]; then\n"
        "        local verb\n"
        "        for verb in \"${args[@]:0:2}\"; do\n"
        "            [[ \" $files \" == *\" $verb \"* ]] && { _halvernctl_files; return; }\n"
        "        done\n"
        "    fi\n"
        "}\n"
        "complete -F _halvernctl halvernctl\n";
    return text;
}

}  // namespace halvern::cli
