// `custom-color`: the keyboard's per-key colours of the custom colour mode, as the page's colour buttons
// set them.

#include <array>
#include <vector>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_names.h"
#include "cli/keyboard_command.h"
#include "cli/keyboard_session.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage = "halvernctl custom-color (--all RRGGBB | --key KEY RRGGBB | --off)";

/// What a command line asks for: every key one colour, one key a colour, or every key dark.
struct ColourRequest {
    enum class Reach : uint8_t { All, Key, Off } reach = Reach::All;
    size_t key = 0;
    Rgb colour{};
};

struct RequestForm {
    std::string_view option;
    size_t words;  ///< words after the option
    std::string_view takes;
    ColourRequest::Reach reach;
};
constexpr std::array<RequestForm, 3> kForms{{
    {"--all", 1, "takes a colour RRGGBB", ColourRequest::Reach::All},
    {"--key", 2, "takes a key and a colour RRGGBB", ColourRequest::Reach::Key},
    {"--off", 0, "takes no value", ColourRequest::Reach::Off},
}};

/// The one form the words name; nothing, with the reason, when they name none or more than one.
const RequestForm* formOf(const CommandArgs& args, std::string& problem) {
    std::vector<const RequestForm*> named;
    for (const std::string& word : args) {
        for (const RequestForm& f : kForms) {
            if (word == f.option) named.push_back(&f);
        }
    }
    if (named.size() == 1) return named.front();
    problem = named.empty() ? "one of --all, --key or --off is needed"
                            : std::string(named[0]->option) + " and " + std::string(named[1]->option) +
                                  " cannot be given together: give one of --all, --key or --off";
    return nullptr;
}

std::optional<ColourRequest> readRequest(const CommandArgs& args, std::span<const NamedChoice> keys,
                                         std::string& problem) {
    const RequestForm* form = formOf(args, problem);
    if (!form) return std::nullopt;
    if (args[0] != form->option || args.size() != form->words + 1) {
        problem = std::string(form->option) + " " + std::string(form->takes);
        return std::nullopt;
    }
    ColourRequest request{form->reach, 0, {}};
    if (form->reach == ColourRequest::Reach::Off) return request;
    if (form->reach == ColourRequest::Reach::Key) {
        const auto key = parseKeyboardKey(args[1], keys, problem);
        if (!key) return std::nullopt;
        request.key = *key;
    }
    const auto colour = parseHexTriple(args.back());
    if (!colour) {
        problem = "the colour takes six hex digits RRGGBB, not '" + args.back() + "'";
        return std::nullopt;
    }
    request.colour = Rgb{(*colour)[0], (*colour)[1], (*colour)[2]};
    return request;
}

/// The keys the colour goes to: the one asked for, or every key the keyboard has.
std::vector<int> targetKeys(const CMerivexKeyboardDevice& device, const ColourRequest& request) {
    if (request.reach == ColourRequest::Reach::Key) return {static_cast<int>(request.key)};
    std::vector<int> keys;
    for (size_t j = 0; j < CMerivexKeyboardDevice::kKeyCount; ++j) {
        if (device.keyPresent(j) && keyboardKeyHasSlot(j)) keys.push_back(static_cast<int>(j));
    }
    return keys;
}

/// What the command did, as its line says it: "key 64 (A): colour a0b0c0", "104 keys: colour 0000ff",
/// "every key dark".
std::string doneText(const ColourRequest& request, size_t keyCount, std::span<const NamedChoice> keys) {
    const std::string colour =
        "colour " + hexTriple(request.colour.red, request.colour.green, request.colour.blue);
    switch (request.reach) {
        case ColourRequest::Reach::Off:
            return "every key dark";
        case ColourRequest::Reach::All:
            return std::to_string(keyCount) + " keys: " + colour;
        case ColourRequest::Reach::Key:
            break;
    }
    const std::string name = itemName(request.key, keys);
    return "key " + std::to_string(request.key + 1) + (name.empty() ? "" : " (" + name + ")") + ": " + colour;
}

/// Sets the colours (the keyboard goes to its custom colour mode first); the exit code, and on success
/// how many keys took them.
int applyRequest(const CommandContext& context, CMerivexKeyboardDevice& device, const ColourRequest& request,
                 size_t& coloured) {
    if (request.reach == ColourRequest::Reach::Off) {
        return reportRefusal(
            context, "keyboard", "custom colours",
            device.Await([&](CMerivexUSBDevice::Done done) { device.PaintKeysOff(std::move(done)); }));
    }
    const std::vector<int> keys = targetKeys(device, request);
    if (keys.empty()) {
        context.err << "halvernctl: the keyboard reported no keys to colour\n";
        return kExitDeviceError;
    }
    coloured = keys.size();
    return reportRefusal(context, "keyboard", "custom colours",
                         device.Await([&](CMerivexUSBDevice::Done done) {
                             device.PaintKeys(keys, request.colour, std::move(done));
                         }));
}

}  // namespace

int runCustomColorCommand(const CommandContext& context, const CommandArgs& args) {
    const EnglishTexts texts;
    const std::vector<NamedChoice> keys =
        itemChoices(CMerivexKeyboardDevice::kKeyCodes, functionChoices(texts), texts);
    std::string problem;
    const auto request = readRequest(args, keys, problem);
    if (!request) return usageError(context, "custom-color", problem, kUsage);

    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    CMerivexKeyboardDevice& device = *session->device;
    if (session->found.viaReceiver) {
        context.err
            << "halvernctl: the keyboard takes custom colours only on its cable, not through its receiver\n";
        return kExitDeviceError;
    }
    if (!session->answered()) {
        context.err << "halvernctl: the keyboard did not report its keys (is it switched on?)\n";
        return kExitDeviceError;
    }
    if (request->reach == ColourRequest::Reach::Key &&
        device.keyLed(request->key) == CMerivexKeyboardDevice::kAbsentMarker) {
        return usageError(
            context, "custom-color",
            "key " + std::to_string(request->key + 1) + " is not on this keyboard or has no LED", kUsage);
    }
    const bool switching = device.settings().light.mode != CMerivexKeyboardDevice::kCustomColourMode;
    size_t coloured = 0;
    const int code = applyRequest(context, device, *request, coloured);
    if (code != kExitOk) return code;
    if (context.json) {
        static constexpr std::array<std::string_view, 3> kActions{"all", "key", "off"};
        Json::Value result =
            changeResult("keyboard", "customColors", kActions[static_cast<size_t>(request->reach)]);
        const bool off = request->reach == ColourRequest::Reach::Off;
        result["color"] =
            off ? Json::Value()
                : Json::Value(hexTriple(request->colour.red, request->colour.green, request->colour.blue));
        if (request->reach == ColourRequest::Reach::Key) {
            result["key"] = static_cast<int>(request->key) + 1;
            if (const std::string name = itemName(request->key, keys); !name.empty()) result["name"] = name;
        }
        result["keys"] = off ? Json::Value() : Json::Value(static_cast<Json::UInt64>(coloured));
        result["lightMode"] = device.settings().light.mode;
        result["lightModeSwitched"] = switching;
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << doneText(*request, coloured, keys) << ", written to the keyboard";
    if (switching) {
        context.out << " (light mode switched to "
                    << lightModeName(device.lightLists(), CMerivexKeyboardDevice::kCustomColourMode,
                                     kKeyboardModes, texts)
                    << ")";
    }
    context.out << '\n';
    return kExitOk;
}

}  // namespace halvern::cli
