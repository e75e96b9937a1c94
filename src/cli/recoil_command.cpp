#include "cli/recoil_command.h"

#include <json/json.h>

#include <array>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/numbering.h"
#include "cli/standard_files.h"
#include "input/recoil_store.h"
#include "profile/data_folders.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl recoil show GUN [SHOT] | set GUN SHOT --x N --y N --delay MS | reset GUN | "
    "import GUN FILE | export GUN FILE   (GUN 1-4, SHOT 1-30)";

/// The 0-based gun or shot a 1-based word names; nothing, with the problem, when it names none.
std::optional<int> gunOf(const std::string& text, std::string& problem) {
    const auto gun = parseOrdinal(text, "GUN", RecoilStore::kGuns, problem);
    return gun ? std::optional<int>(static_cast<int>(*gun)) : std::nullopt;
}

std::optional<int> shotOf(const std::string& text, std::string& problem) {
    const auto shot = parseOrdinal(text, "SHOT", RecoilStore::kShots, problem);
    return shot ? std::optional<int>(static_cast<int>(*shot)) : std::nullopt;
}

/// "shot 5: x 3 left, y 7 up, delay 90 ms".
std::string shotLine(int shot, const RecoilShot& s) {
    return "shot " + std::to_string(shot + 1) + ": x " + std::to_string(s.x) + (s.left ? " left" : " right") +
           ", y " + std::to_string(s.y) + (s.up ? " up" : " down") + ", delay " + std::to_string(s.delay) +
           " ms";
}

Json::Value shotJson(int shot, const RecoilShot& s) {
    Json::Value v;
    v["shot"] = shot + 1;
    v["x"] = s.left ? -s.x : s.x;
    v["y"] = s.up ? -s.y : s.y;
    v["delay"] = s.delay;
    return v;
}

int show(const CommandContext& context, const RecoilStore& store, const CommandArgs& words) {
    if (words.size() > 2) return usageError(context, "recoil", "show takes GUN [SHOT]", kUsage);
    std::string problem;
    const auto gun = gunOf(words[0], problem);
    const auto shot = !gun                ? std::nullopt
                      : words.size() == 2 ? shotOf(words[1], problem)
                                          : std::optional<int>(-1);
    if (!gun || !shot) return usageError(context, "recoil", problem, kUsage);
    const int first = *shot < 0 ? 0 : *shot;
    const int last = *shot < 0 ? RecoilStore::kShots - 1 : *shot;
    Json::Value shots(Json::arrayValue);
    for (int b = first; b <= last; ++b) {
        const RecoilShot s = store.ReadShot(*gun, b);
        if (context.json) {
            shots.append(shotJson(b, s));
        } else {
            context.out << shotLine(b, s) << '\n';
        }
    }
    if (context.json) {
        Json::Value root(Json::objectValue);
        root["device"] = "mouse";
        root["gun"] = *gun + 1;
        root["shots"] = shots;
        printJson(context.out, root);
    }
    return kExitOk;
}

/// The value after `--name` among the words; nothing when it is not there or not a number in range.
std::optional<long> option(const CommandArgs& words, std::string_view name, long min, long max) {
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == name) return parseInteger(words[i + 1], min, max);
    }
    return std::nullopt;
}

int set(const CommandContext& context, const RecoilStore& store, const CommandArgs& words) {
    constexpr long kOffset = RecoilStore::kMaxOffset;
    const auto x = option(words, "--x", -kOffset, kOffset);
    const auto y = option(words, "--y", -kOffset, kOffset);
    const auto delay = option(words, "--delay", 0, RecoilStore::kMaxDelay);
    std::string problem;
    const auto gun = gunOf(words[0], problem);
    const auto shot = gun ? shotOf(words.size() >= 2 ? words[1] : std::string(), problem) : std::nullopt;
    if (words.size() != 8 || !gun || !shot || !x || !y || !delay) {
        if (words.size() == 8 && !problem.empty()) return usageError(context, "recoil", problem, kUsage);
        return usageError(context, "recoil",
                          "set takes GUN (1-4) SHOT (1-30) --x N --y N (-255 to 255) --delay MS (0-65535)",
                          kUsage);
    }
    const RecoilShot value{static_cast<int>(*x < 0 ? -*x : *x), *x < 0, static_cast<int>(*y < 0 ? -*y : *y),
                           *y < 0, static_cast<int>(*delay)};
    if (!store.SaveShot(*gun, *shot, value)) {
        context.err << "halvernctl: " << store.PatternPath(*gun).string() << " cannot be written\n";
        return kExitDeviceError;
    }
    if (context.json) {
        Json::Value result = changeResult("mouse", "recoilPattern", "set");
        result["gun"] = *gun + 1;
        result["shot"] = shotJson(*shot, value);
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << "gun " << *gun + 1 << ' ' << shotLine(*shot, value) << '\n';
    return kExitOk;
}

int copyVerb(const CommandContext& context, const RecoilStore& store, const CommandArgs& words,
             std::string_view verb) {
    std::string problem;
    const auto gun = gunOf(words[0], problem);
    const size_t wanted = verb == "reset" ? 1 : 2;
    if (words.size() != wanted)
        problem = std::string(verb) + " takes GUN (1-4)" + (wanted == 2 ? " FILE" : "");
    if (!gun || !problem.empty()) return usageError(context, "recoil", problem, kUsage);
    const int shown = *gun + 1;
    const auto confirm = [&](std::string_view action) {
        if (!context.json) return false;
        Json::Value result = changeResult("mouse", "recoilPattern", action);
        result["gun"] = shown;
        result["file"] = wanted == 2 ? Json::Value(words[1]) : Json::Value();
        printJson(context.out, result);
        return true;
    };
    if (verb == "import") {
        if (const ImportResult result = store.Import(*gun, words[1]); result != ImportResult::Imported) {
            context.err << "halvernctl: cannot import " << words[1] << " as the pattern of gun " << shown
                        << ": " << ImportProblem(result, "recoil pattern") << " (the pattern is unchanged)\n";
            return kExitDeviceError;
        }
        if (!confirm("imported")) context.out << "imported gun " << shown << '\n';
        return kExitOk;
    }
    bool done = false;
    if (verb == "reset") done = store.Reset(*gun);
    if (verb == "export") {
        done = exportToFile(words[1], context.out,
                            [&](const std::filesystem::path& target) { return store.Export(*gun, target); });
        if (done && words[1] == kStandardStream) return kExitOk;  // standard output carries the pattern
    }
    if (!done) {
        context.err << "halvernctl: cannot " << verb << " the pattern of gun " << shown
                    << " (a file is missing or unreadable, or the target cannot be written)\n";
        return kExitDeviceError;
    }
    const std::string action = std::string(verb) + (verb == "reset" ? "" : "ed");
    if (!confirm(action)) context.out << action << " gun " << shown << '\n';
    return kExitOk;
}

}  // namespace

int runRecoilCommand(const CommandContext& context, const CommandArgs& args) {
    if (args.size() < 2) return usageError(context, "recoil", "a verb and a gun are needed", kUsage);
    const RecoilStore store(GetDeviceDataFolder("mouse"), GetDefaultDataFolder());
    if (!store.RestoreMissing())
        context.err << "halvernctl: a missing pattern could not be restored from the shipped copies\n";
    const std::string& verb = args[0];
    // Only set takes options: the others' words after "--" are words.
    const CommandArgs words = verb == "set" ? CommandArgs(args.begin() + 1, args.end())
                                            : withoutEndOfOptions(CommandArgs(args.begin() + 1, args.end()));
    if (verb == "show") return show(context, store, words);
    if (verb == "set") return set(context, store, words);
    if (verb == "reset" || verb == "import" || verb == "export") return copyVerb(context, store, words, verb);
    return usageError(context, "recoil", "unknown verb '" + verb + "'", kUsage);
}

}  // namespace halvern::cli
