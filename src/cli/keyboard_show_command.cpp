// `show keyboard`: the keyboard's state as its page shows it after a refresh.

#include <json/json.h>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_names.h"
#include "cli/keyboard_command.h"
#include "cli/keyboard_session.h"
#include "cli/polling_rates.h"

namespace halvern::cli {
namespace {

constexpr int kDelayChoices = 4;
constexpr int kDelayStepMs = 250;

/// The repeat delay in milliseconds as the page shows it: choices 0-3 are 250-1000 ms, any other counts as 0.
int repeatDelayMs(uint16_t choice) {
    const int n = choice < kDelayChoices ? choice : 0;
    return n * kDelayStepMs + kDelayStepMs;
}

/// The names a show prints: English texts, the functions and the keys by name.
struct ShowNames {
    EnglishTexts texts;
    std::vector<NamedChoice> functions = functionChoices(texts);
    std::vector<NamedChoice> keys = itemChoices(CMerivexKeyboardDevice::kKeyCodes, functions, texts);
};

std::string keyCode(const KeyAssignment& a) {
    return hexTriple(a.type, a.code1, a.code2);
}

std::string colourText(const std::vector<LightColor>& colours, size_t j) {
    return j < colours.size() ? hexTriple(colours[j].red, colours[j].green, colours[j].blue) : std::string();
}

Json::Value keyboardLightJson(const CMerivexKeyboardDevice& device, const ShowNames& names) {
    const LightSetting& l = device.settings().light;
    return lightJson(l, lightModeName(device.lightLists(), l.mode, kKeyboardModes, names.texts), true);
}

void printKeyboardJson(const CommandContext& context, const KeyboardSession& session,
                       const ShowNames& names) {
    const CMerivexKeyboardDevice& device = *session.device;
    const KeyboardSystem& system = device.settings().system;
    Json::Value root;
    root["device"] = "keyboard";
    root["receiver"] = session.found.viaReceiver;
    root["path"] = session.found.command.path;
    root["light"] = keyboardLightJson(device, names);
    root["winLock"] = system.winFlag;
    root["wFlag"] = system.wFlag;
    root["key6"] = system.key6Flag;
    root["pollingRate"] = pollingJson(system.pollingRate, kKeyboardPolling);
    root["repeatRate"] = system.repeat;
    root["repeatDelay"] = system.repeatDelay;
    root["repeatDelayMs"] = repeatDelayMs(system.repeatDelay);
    const std::vector<LightColor> colours = device.customColours();
    Json::Value keys(Json::arrayValue);
    for (size_t j = 0; j < device.keyList().size(); ++j) {
        if (!keyboardKeyHasSlot(j)) continue;
        Json::Value row;
        const KeyAssignment& current = device.keyList()[j].current;
        row["key"] = static_cast<int>(j) + 1;
        if (const std::string name = itemName(j, names.keys); !name.empty()) row["name"] = name;
        row["present"] = device.keyPresent(j);
        row["code"] = keyCode(current);
        row["function"] = assignmentName(current, device.macroNames(), names.functions, names.texts);
        if (device.keyLed(j) != CMerivexKeyboardDevice::kAbsentMarker) row["led"] = device.keyLed(j);
        if (j < colours.size()) row["customColor"] = colourText(colours, j);
        keys.append(row);
    }
    root["keys"] = keys;
    printJson(context.out, root);
}

void printKeyboardText(const CommandContext& context, const KeyboardSession& session,
                       const ShowNames& names) {
    const CMerivexKeyboardDevice& device = *session.device;
    const KeyboardSystem& system = device.settings().system;
    const LightSetting& l = device.settings().light;
    std::ostream& out = context.out;
    out << "keyboard " << session.found.describe() << '\n';
    out << lightLine(l, lightModeName(device.lightLists(), l.mode, kKeyboardModes, names.texts), true)
        << '\n';
    out << "flags: win-lock " << system.winFlag << ", w " << system.wFlag << ", key6 " << system.key6Flag
        << '\n';
    out << "polling rate: " << pollingRateText(system.pollingRate, kKeyboardPolling) << '\n';
    out << "repeat: rate " << system.repeat << ", delay " << system.repeatDelay << " ("
        << repeatDelayMs(system.repeatDelay) << " ms)\n";
    const std::vector<LightColor> colours = device.customColours();
    size_t absent = 0, keys = 0;
    for (size_t j = 0; j < device.keyList().size(); ++j) {
        if (!keyboardKeyHasSlot(j)) continue;
        ++keys;
        if (!device.keyPresent(j)) {
            ++absent;
            continue;
        }
        const std::string name = itemName(j, names.keys);
        out << "key " << j + 1 << (name.empty() ? "" : " (" + name + ")") << ": "
            << assignmentLine(device.keyList()[j].current, device.macroNames(), names.functions, names.texts);
        if (device.keyLed(j) != CMerivexKeyboardDevice::kAbsentMarker)
            out << ", LED " << int{device.keyLed(j)};
        if (j < colours.size()) out << ", custom colour " << colourText(colours, j);
        out << '\n';
    }
    out << absent << " of " << keys << " keys are not on this keyboard\n";
}

}  // namespace

int runShowKeyboard(const CommandContext& context, const CommandArgs& args) {
    if (!args.empty())
        return usageError(context, "show", "show keyboard takes no more words", "halvernctl show keyboard");
    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    // Opening read the keyboard's record: that read tells whether the keyboard answered.
    const DeviceResult read = session->activation;
    if (!read) {
        context.err << "halvernctl: the keyboard did not report its settings (" << describeResult(read.code())
                    << ")\n";
        return kExitDeviceError;
    }
    const ShowNames names;
    if (context.json) {
        printKeyboardJson(context, *session, names);
    } else {
        printKeyboardText(context, *session, names);
    }
    return kExitOk;
}

}  // namespace halvern::cli
