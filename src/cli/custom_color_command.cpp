// `custom-color`: the keyboard's per-key colours of the custom colour mode, as the page's colour buttons
// set them.

#include <array>
#include <vector>

#include "cli/cli_support.h"
#include "cli/keyboard_command.h"
#include "cli/keyboard_session.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage = "halvernctl custom-color (--all RRGGBB | --key KEY RRGGBB | --off)";
constexpr long kLastKey = static_cast<long>(CMerivexKeyboardDevice::kKeyCount) - 1;

/// What a command line asks for: every key one colour, one key a colour, or every key dark.
struct ColourRequest {
    enum class Reach : uint8_t { All, Key, Off } reach = Reach::All;
    size_t key = 0;
    Rgb colour{};
};

struct RequestForm {
    std::string_view option;
    size_t words;  ///< words after the option
    ColourRequest::Reach reach;
};
constexpr std::array<RequestForm, 3> kForms{{
    {"--all", 1, ColourRequest::Reach::All},
    {"--key", 2, ColourRequest::Reach::Key},
    {"--off", 0, ColourRequest::Reach::Off},
}};

std::optional<ColourRequest> readRequest(const CommandArgs& args, std::string& problem) {
    const RequestForm* form = nullptr;
    for (const RequestForm& f : kForms) {
        if (!args.empty() && args[0] == f.option) form = &f;
    }
    if (!form || args.size() != form->words + 1) {
        problem = form ? std::string(form->option) + " takes " + std::to_string(form->words) + " word(s)"
                       : "one of --all, --key or --off is needed";
        return std::nullopt;
    }
    ColourRequest request{form->reach, 0, {}};
    if (form->reach == ColourRequest::Reach::Off) return request;
    if (form->reach == ColourRequest::Reach::Key) {
        const auto key = integerWord(args[1], "KEY", 0, kLastKey, problem);
        if (!key) return std::nullopt;
        request.key = static_cast<size_t>(*key);
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
        if (device.keyPresent(j)) keys.push_back(static_cast<int>(j));
    }
    return keys;
}

int applyRequest(const CommandContext& context, CMerivexKeyboardDevice& device,
                 const ColourRequest& request) {
    if (request.reach == ColourRequest::Reach::Off) {
        return reportRefusal(context, "keyboard", "custom colours", device.Await([&](CMerivexUSBDevice::Done done) {
                                 device.SetAllKeys(false, std::move(done));
                             }));
    }
    const std::vector<int> keys = targetKeys(device, request);
    if (keys.empty()) {
        context.err << "halvernctl: the keyboard reported no keys to colour\n";
        return kExitDeviceError;
    }
    return reportRefusal(context, "keyboard", "custom colours", device.Await([&](CMerivexUSBDevice::Done done) {
                             device.SetKeysColour(keys, request.colour, std::move(done));
                         }));
}

}  // namespace

int runCustomColorCommand(const CommandContext& context, const CommandArgs& args) {
    std::string problem;
    const auto request = readRequest(args, problem);
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
        return usageError(context, "custom-color",
                          "key " + std::to_string(request->key) + " is not on this keyboard or has no LED",
                          kUsage);
    }
    // As the page's colour buttons: the custom colours show only in their mode, so switch to it first.
    if (device.settings().light.mode != CMerivexKeyboardDevice::kCustomColourMode) {
        const int switched = changeKeyboardSettings(context, device, [](KeyboardSettings& s) {
            s.light.mode = CMerivexKeyboardDevice::kCustomColourMode;
        });
        if (switched != kExitOk) return switched;
        context.out << "light mode switched to " << int{CMerivexKeyboardDevice::kCustomColourMode}
                    << " (custom colours)\n";
    }
    return applyRequest(context, device, *request);
}

}  // namespace halvern::cli
