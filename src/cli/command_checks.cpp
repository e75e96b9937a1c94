#include "cli/command_checks.h"

#include <ostream>

#include "cli/cli_support.h"
#include "cli/command_table.h"
#include "cli/device_session.h"

namespace halvern::cli {

int usageError(const CommandContext& context, std::string_view command, std::string_view problem) {
    context.err << "halvernctl: " << command << ": " << problem << "; " << helpHint(command) << '\n';
    return kExitUsage;
}

int usageError(const CommandContext& context, std::string_view command, std::string_view problem,
               std::string_view /*usage*/) {
    return usageError(context, command, problem);
}

int refusal(const CommandContext& context, std::string_view problem) {
    context.err << "halvernctl: " << problem << '\n';
    return kExitDeviceError;
}

std::string rangeProblem(std::string_view what, long min, long max, std::string_view text) {
    return std::string(what) + " takes " + std::to_string(min) + "-" + std::to_string(max) + ", not '" +
           std::string(text) + "'";
}

std::optional<SettingsWords> splitSettingsWords(const CommandArgs& args,
                                                std::span<const std::string_view> known,
                                                size_t positionalCount, std::string& problem) {
    auto words = splitOptionWords(args, known, problem);
    if (!words) return std::nullopt;
    if (words->positional.size() != positionalCount) {
        problem = positionalCount == 0 ? "takes no words besides its options"
                                       : "expects " + std::to_string(positionalCount) + " argument(s)";
        return std::nullopt;
    }
    SettingsWords result{std::move(*words), {}};
    if (const std::string* screen = result.words.find("--screen")) {
        const auto size = parseScreenSize(*screen);
        if (!size) {
            problem = "--screen takes WxH with positive numbers, not '" + *screen + "'";
            return std::nullopt;
        }
        result.screen = *size;
    }
    return result;
}

std::optional<long> integerOption(const OptionWords& words, std::string_view name, long min, long max,
                                  std::string& problem) {
    const std::string* text = words.find(name);
    if (!text) return std::nullopt;
    return integerWord(*text, name, min, max, problem);
}

std::optional<std::array<uint8_t, 3>> colourOption(const OptionWords& words, std::string_view name,
                                                   std::string& problem) {
    const std::string* text = words.find(name);
    if (!text) return std::nullopt;
    const auto colour = parseHexTriple(*text);
    if (!colour) problem = std::string(name) + " takes six hex digits RRGGBB, not '" + *text + "'";
    return colour;
}

std::optional<long> integerWord(const std::string& text, std::string_view what, long min, long max,
                                std::string& problem) {
    const auto value = parseInteger(text, min, max);
    if (!value) problem = rangeProblem(what, min, max, text);
    return value;
}

int reportRefusal(const CommandContext& context, std::string_view device, std::string_view what, int result) {
    if (result == 1) return kExitOk;
    context.err << "halvernctl: the " << device << " refused the " << what << " (" << describeResult(result)
                << ")\n";
    return kExitDeviceError;
}

int reportRefusal(const CommandContext& context, std::string_view device, std::string_view what,
                  const DeviceResult& result) {
    if (result.ok()) return kExitOk;
    if (result.isOverflow()) return reportMacroWrite(context, result.overflowEvents(), device);
    if (result.step() == DeviceStep::ProfileFile) {
        context.err << "halvernctl: the " << device << " took the " << what
                    << ", but the profile file could not be written (is the disk full or read-only?)\n";
        return kExitDeviceError;
    }
    if (result.code() == DeviceResult::kRefused) {
        context.err << "halvernctl: the " << device << " cannot take the " << what << " (" << describe(result)
                    << ")\n";
        return kExitDeviceError;
    }
    return reportRefusal(context, device, what, result.code());
}

int reportMacroWrite(const CommandContext& context, int result, std::string_view device) {
    if (result == 0) return kExitOk;
    if (result > 0) {
        context.err << "halvernctl: the macros do not fit the " << device << "'s memory: remove " << result
                    << (result == 1 ? " event\n" : " events\n");
    } else {
        context.err << "halvernctl: the macros could not be written to the " << device << " ("
                    << describeResult(result) << ")\n";
    }
    return kExitDeviceError;
}

}  // namespace halvern::cli
