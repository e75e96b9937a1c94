#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/command_context.h"
#include "cli/option_words.h"
#include "device/device_result.h"

namespace halvern::cli {

// Argument checks and result messages shared by the commands. Every message is one line on standard
// error starting "halvernctl: ". A usage mistake (unknown option, missing or extra word, a number that is
// not one or out of its range, an unknown name) is "halvernctl: COMMAND: PROBLEM; see 'halvernctl help
// COMMAND'" and exit code 2; a refusal or failure (device, file, the state of things) is one line and
// exit code 1.

/// One usage line on `err`; returns kExitUsage.
int usageError(const CommandContext& context, std::string_view command, std::string_view problem);
/// The same; the usage text of the command is in its help, from the command table, and not repeated.
int usageError(const CommandContext& context, std::string_view command, std::string_view problem,
               std::string_view usage);

/// "halvernctl: PROBLEM" on `err`; returns kExitDeviceError.
int refusal(const CommandContext& context, std::string_view problem);

/// "WHAT takes MIN-MAX, not 'TEXT'".
[[nodiscard]] std::string rangeProblem(std::string_view what, long min, long max, std::string_view text);

/// The words of a settings command: positional words and the known options, with --screen read when it
/// is one of them.
struct SettingsWords {
    OptionWords words;
    ScreenSize screen;
};

/// Splits the words; nothing, with the reason in `problem`, when an option is unknown or repeated or the
/// number of positional words is not `positionalCount`.
[[nodiscard]] std::optional<SettingsWords> splitSettingsWords(const CommandArgs& args,
                                                              std::span<const std::string_view> known,
                                                              size_t positionalCount, std::string& problem);

/// An integer option within [min, max]: nothing when absent; `problem` set when present but bad.
[[nodiscard]] std::optional<long> integerOption(const OptionWords& words, std::string_view name, long min,
                                                long max, std::string& problem);

/// A colour option RRGGBB: nothing when absent; `problem` set when present but bad.
[[nodiscard]] std::optional<std::array<uint8_t, 3>> colourOption(const OptionWords& words,
                                                                 std::string_view name, std::string& problem);

/// A positional word within [min, max]; `problem` set (naming it `what`) when it is not.
[[nodiscard]] std::optional<long> integerWord(const std::string& text, std::string_view what, long min,
                                              long max, std::string& problem);

/// kExitOk when `result` is 1; otherwise one line "the DEVICE refused the WHAT (result ...)" and
/// kExitDeviceError.
[[nodiscard]] int reportRefusal(const CommandContext& context, std::string_view device, std::string_view what,
                                int result);
/// The same for a device operation's result: a macro image that does not fit says how many events to
/// remove, a profile file that could not be written says so.
[[nodiscard]] int reportRefusal(const CommandContext& context, std::string_view device, std::string_view what,
                                const DeviceResult& result);

/// Reports a WriteMacros result for `device` ("mouse", "keyboard"): 0 nothing; a positive number is the
/// count of events to remove; -1 the write failed. The exit code.
[[nodiscard]] int reportMacroWrite(const CommandContext& context, int result, std::string_view device);

}  // namespace halvern::cli
