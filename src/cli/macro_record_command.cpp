#include "cli/macro_record_command.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/numbering.h"
#include "hook/x11_input_hook.h"
#include "input/macro_recorder.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl macro record POSITION [--timing record|ignore|constant:MS] "
    "[--append | --before ROW | --after ROW | --replace ROW] --seconds N";
constexpr long kMaxSeconds = 3600;

struct RecordOptions {
    TimingMode timing = TimingMode::Record;
    uint16_t fixedDelay = kDefaultFixedDelay;
    HookMode hook = HookMode::Append;
    std::string row;  ///< ROW as typed (1-based), for --before, --after and --replace
    long seconds = -1;
};

/// The options after POSITION; nothing, with the problem in `problem`, when they do not parse.
std::optional<RecordOptions> parseOptions(const CommandArgs& words, std::string& problem) {
    RecordOptions o;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        const bool hasValue = i + 1 < words.size();
        if (w == "--append") {
            o.hook = HookMode::Append;
        } else if ((w == "--before" || w == "--after" || w == "--replace") && hasValue) {
            o.hook = w == "--before"  ? HookMode::Before
                     : w == "--after" ? HookMode::After
                                      : HookMode::Replace;
            o.row = words[++i];
        } else if (w == "--seconds" && hasValue) {
            const auto seconds = parseInteger(words[++i], 1, kMaxSeconds);
            if (!seconds) return problem = "--seconds takes 1-3600", std::nullopt;
            o.seconds = *seconds;
        } else if (w == "--timing" && hasValue) {
            const std::string& t = words[++i];
            if (t == "record") {
                o.timing = TimingMode::Record;
            } else if (t == "ignore") {
                o.timing = TimingMode::Ignore;
            } else if (t.rfind("constant:", 0) == 0) {
                const auto ms = parseInteger(std::string_view(t).substr(9), 0, 65535);
                if (!ms) return problem = "constant:MS takes 0-65535 ms", std::nullopt;
                o.timing = TimingMode::Constant;
                o.fixedDelay = static_cast<uint16_t>(*ms);
            } else {
                return problem = "--timing takes record, ignore or constant:MS", std::nullopt;
            }
        } else {
            return problem = "unknown option '" + w + "'", std::nullopt;
        }
    }
    if (o.seconds < 0)
        return problem = "--seconds is missing: record takes --seconds N (1-3600)", std::nullopt;
    // Replacing a row never measures time.
    if (o.hook == HookMode::Replace) o.timing = TimingMode::Ignore;
    return o;
}

}  // namespace

int recordMacro(const CommandContext& context, std::string_view device, MacroStore& store,
                const CommandArgs& words) {
    std::string problem;
    if (words[0].starts_with("--")) problem = "record takes the macro's position before its options";
    const auto options = problem.empty() ? parseOptions(words, problem) : std::nullopt;
    if (!options) return usageError(context, "macro", problem, kUsage);
    const std::vector<MacroEntry> list = store.LoadMacroList();
    const auto position = parseOrdinal(words[0], "POSITION", list.size(), problem);
    if (!position) return usageError(context, "macro", problem, kUsage);
    MacroRows rows{store.LoadMacro(list[*position].guid), -1};
    if (options->hook != HookMode::Append) {
        const auto row = parseOrdinal(options->row, "ROW", rows.events.size(), problem);
        if (!row) return usageError(context, "macro", problem, kUsage);
        rows.selected = static_cast<int>(*row);
    }

    std::unique_ptr<InputHook> hook = MakeX11InputHook();
    if (!hook) {
        context.err
            << "halvernctl: recording needs an X display with the RECORD extension (is DISPLAY set?)\n";
        return kExitDeviceError;
    }
    std::mutex guard;
    std::vector<InputEvent> events;
    MacroRecorder recorder;
    recorder.Begin(options->timing, options->hook, options->fixedDelay, SteadyMilliseconds());
    if (!hook->Start(
            [&](const InputEvent& e) {
                const std::lock_guard lock(guard);
                events.push_back(e);
            },
            true)) {
        context.err << "halvernctl: the X display refused to record its input\n";
        return kExitDeviceError;
    }
    if (!context.json)
        context.out << "recording for " << options->seconds << " s"
                    << (hook->keyboardGrabbed() ? "" : " (the keys also reach the other programs)") << "...\n"
                    << std::flush;
    std::this_thread::sleep_for(std::chrono::seconds(options->seconds));  // the recording's length
    hook->Stop();

    size_t recorded = 0;
    for (const InputEvent& e : events) recorded += recorder.Record(rows, e) ? 1 : 0;
    if (!store.SaveMacro(static_cast<int>(*position), rows.events)) {
        context.err << "halvernctl: the macro file cannot be written; the macro stays as it was\n";
        return kExitDeviceError;
    }
    if (context.json) {
        Json::Value result = changeResult(device, "macroRows", "recorded");
        result["position"] = static_cast<int>(*position) + 1;
        result["events"] = static_cast<Json::UInt64>(recorded);
        result["rows"] = static_cast<Json::UInt64>(rows.events.size());
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << "recorded " << recorded << (recorded == 1 ? " event" : " events") << " into macro "
                << *position + 1 << '\n';
    return kExitOk;
}

}  // namespace halvern::cli
