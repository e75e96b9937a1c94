#pragma once

#include <span>
#include <string>
#include <string_view>

namespace halvern::cli {

// The commands of halvernctl as data: their words, options and texts. The general usage, each command's
// help, the manual page's command section and the shell completion are all written from this table, so
// they name the same commands and options the parsers take.

/// One option a command takes.
struct OptionRow {
    std::string_view name;     ///< "--brightness"
    std::string_view value;    ///< what it takes, as help shows it ("0-4", "RRGGBB", "FILE"); empty: nothing
    std::string_view choices;  ///< the words it takes, space-separated, for completion; empty: any
    std::string_view verbs;    ///< the verbs (first words) it goes with, space-separated; empty: every form
    std::string_view example;  ///< a value the parser takes; empty when it takes none
    std::string_view needs{};  ///< the words it goes with on the line ("--device keyboard"); empty: none
};

/// One command.
struct CommandRow {
    std::string_view name;
    std::string_view summary;  ///< one line, no full stop
    /// The forms of the command line after the program name, one per line, the command word first.
    std::string_view synopsis;
    /// What follows the synopsis in the command's help and the manual page: lines of plain text.
    std::string_view details;
    std::string_view firstWords;   ///< the words that may come first (verbs or kinds), space-separated
    std::string_view secondWords;  ///< the words that may come second, space-separated
    std::string_view fileVerbs;    ///< the verbs whose last word is a FILE ("-": standard input/output)
    std::span<const OptionRow> options;
    bool needsDevices = true;  ///< false: works on files, the network or the system's lists only
};

/// Every command, in the order the usage lists them.
[[nodiscard]] std::span<const CommandRow> commandTable();

/// The command named `name`; null when there is none.
[[nodiscard]] const CommandRow* findCommandRow(std::string_view name);

/// The option of `command` named `name`; null when it takes none of that name.
[[nodiscard]] const OptionRow* findOptionRow(const CommandRow& command, std::string_view name);

/// The global options, as the table of a command without a name.
[[nodiscard]] std::span<const OptionRow> globalOptionTable();

/// The words of a space-separated list, one after another.
class WordList {
public:
    explicit WordList(std::string_view text) : m_text(text) {}
    /// The next word, or empty at the end.
    [[nodiscard]] std::string_view next();
    /// Whether `word` is one of the list's words.
    [[nodiscard]] static bool contains(std::string_view list, std::string_view word);

private:
    std::string_view m_text;
};

/// `halvernctl --help`: the synopsis of every command with its summary, the global options, the numbering
/// and the exit codes.
[[nodiscard]] std::string generalUsage();

/// `halvernctl help CMD`: the command's synopsis, summary, options and details.
[[nodiscard]] std::string commandHelp(const CommandRow& command);

/// The text that ends a usage mistake's line: "see 'halvernctl help CMD'" (or "see 'halvernctl --help'").
[[nodiscard]] std::string helpHint(std::string_view command);

}  // namespace halvern::cli
