#include "cli/effect_command.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/command_table.h"
#include "cli/option_words.h"
#include "lighting/lighting_engine.h"

namespace halvern::cli {

namespace {

// A machine that has been up a while: time-based effects (blink) see their period as passed at once.
constexpr Millis kStartTime = 1'000'000;
constexpr long kMaxFrames = 100'000;

struct EffectRequest {
    const DeviceModel* model = nullptr;
    LightSettings settings;
    long frames = 1;
    uint32_t seed = 1;
    bool json = false;
};

/// An integer option: its name, range and where it goes.
struct IntegerOption {
    std::string_view name;
    long min;
    long max;
    void (*store)(EffectRequest&, long);
};

constexpr std::array<IntegerOption, 7> kIntegerOptions{{
    {"--brightness", 0, 4,
     [](EffectRequest& r, long v) { r.settings.brightnessLevel = static_cast<uint8_t>(v); }},
    {"--speed", 0, 4, [](EffectRequest& r, long v) { r.settings.speedLevel = static_cast<uint8_t>(v); }},
    {"--direction", 0, 1, [](EffectRequest& r, long v) { r.settings.direction = static_cast<uint8_t>(v); }},
    {"--multicolor", 0, 1, [](EffectRequest& r, long v) { r.settings.colourful = static_cast<uint8_t>(v); }},
    {"--zzcc", 0, 255, [](EffectRequest& r, long v) { r.settings.zzccLedMode = static_cast<uint8_t>(v); }},
    {"--frames", 1, kMaxFrames, [](EffectRequest& r, long v) { r.frames = v; }},
    {"--seed", 0, 0xFFFFFFFFL, [](EffectRequest& r, long v) { r.seed = static_cast<uint32_t>(v); }},
}};

std::optional<Rgb> parseColour(std::string_view text) {
    const auto colour = parseHexTriple(text);
    if (!colour) return std::nullopt;
    return Rgb{(*colour)[0], (*colour)[1], (*colour)[2]};
}

/// Parses the words after "effect"; on failure returns the reason.
std::optional<std::string> parse(const std::vector<std::string>& args, EffectRequest& request) {
    std::vector<std::string_view> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        if (word == "--json") {
            request.json = true;
            continue;
        }
        if (!word.starts_with("--")) {
            positional.push_back(word);
            continue;
        }
        if (i + 1 >= args.size()) return std::string(word) + " needs a value";
        const std::string_view value = args[++i];
        if (word == "--color") {
            const auto colour = parseColour(value);
            if (!colour) return "--color takes six hex digits RRGGBB, not '" + std::string(value) + "'";
            request.settings.colour = *colour;
            continue;
        }
        const IntegerOption* option = nullptr;
        for (const IntegerOption& candidate : kIntegerOptions) {
            if (candidate.name == word) option = &candidate;
        }
        if (!option) return "unknown option " + std::string(word);
        const auto number = parseInteger(value, option->min, option->max);
        if (!number) {
            return std::string(word) + " takes " + std::to_string(option->min) + "-" +
                   std::to_string(option->max) + ", not '" + std::string(value) + "'";
        }
        option->store(request, *number);
    }
    if (positional.size() != 2) return std::string("expects a device and a mode");
    request.model = findDeviceModel(positional[0]);
    if (!request.model) return "unknown device '" + std::string(positional[0]) + "'";
    const auto mode = parseInteger(positional[1], 0, 255);
    if (!mode) return "MODE takes 0-255, not '" + std::string(positional[1]) + "'";
    request.settings.mode = static_cast<uint8_t>(*mode);
    return std::nullopt;
}

/// Milliseconds between two steps of the mode at the chosen speed, as its lighting thread would run them.
Millis stepInterval(const DeviceModel& model, const LightSettings& settings) {
    const ModeEntry& mode = model.mode(settings.mode);
    if (mode.cadence != Cadence::Threshold) return 1;
    const Millis ticks = std::max<Millis>(1, tables::threshold(*mode.row, settings.speed()));
    return model.tickRule == TickRule::CountedMillis ? 2 * ticks : ticks;
}

void appendLed(std::string& line, const LedEntry& e) {
    std::array<char, 9> text{};
    std::snprintf(text.data(), text.size(), "%02x%02x%02x%02x", e.red, e.green, e.blue, e.level);
    line.append(text.data(), 8);
}

/// One frame: LEDs separated by spaces, or in JSON one array a line, indented as the program's JSON is
/// (the frames are streamed, so a long run never has to be held whole).
void printFrame(std::ostream& out, const LedFrame& frame, bool json, bool first) {
    std::string line;
    line.reserve(frame.size() * 12 + 12);
    if (json) line += first ? "      [ " : ",\n      [ ";
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (i > 0) line += json ? ", " : " ";
        if (json) line += '"';
        appendLed(line, frame.entries()[i]);
        if (json) line += '"';
    }
    line += json ? " ]" : "\n";
    out << line;
}

}  // namespace

int runEffectCommand(const std::vector<std::string>& args, bool json, std::ostream& out, std::ostream& err) {
    EffectRequest request;
    request.json = json;
    if (const auto problem = parse(args, request)) {
        err << "halvernctl: effect: " << *problem << "; " << helpHint("effect") << '\n';
        return kExitUsage;
    }
    LightingEngine engine(request.model->kind, request.seed);
    const bool sameMode = request.settings.mode == engine.settings().mode;
    engine.applySettings(request.settings);
    if (sameMode) engine.restartMode();

    if (request.json) {
        out << "{\n   \"device\" : \"" << request.model->name << "\",\n   \"frames\" : [\n";
    }
    const Millis interval = stepInterval(*request.model, request.settings);
    for (long n = 0; n < request.frames; ++n) {
        engine.runEffect(kStartTime + n * interval);
        printFrame(out, engine.frame(), request.json, n == 0);
    }
    if (request.json) out << "\n   ],\n   \"mode\" : " << int{request.settings.mode} << "\n}\n";
    return kExitOk;
}

}  // namespace halvern::cli
