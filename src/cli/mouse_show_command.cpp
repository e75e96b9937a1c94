// `show mouse`: the mouse's state as its page shows it after a refresh.

#include <json/json.h>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_names.h"
#include "cli/light_options.h"
#include "cli/mouse_command.h"
#include "cli/mouse_session.h"

namespace halvern::cli {
namespace {

/// The names a show prints: English texts, the functions and the buttons by name.
struct ShowNames {
    EnglishTexts texts;
    std::vector<NamedChoice> functions = functionChoices(texts);
    std::vector<NamedChoice> buttons = itemChoices(CMerivexMouseDevice::kButtonCodes, functions, texts);
};

std::string modeName(const CMerivexMouseDevice& device, uint8_t mode, const ShowNames& names) {
    return lightModeName(device.lightLists(), mode, kMouseModes, names.texts);
}

std::string buttonCode(const KeyAssignment& a) {
    return hexTriple(a.type, a.code1, a.code2);
}

void printMouseJson(const CommandContext& context, const MouseSession& session, const ShowNames& names) {
    const CMerivexMouseDevice& device = *session.device;
    const MouseSettings& s = device.settings();
    const DpiScale scale = device.dpiScale();
    Json::Value root;
    root["device"] = "mouse";
    root["receiver"] = session.found.viaReceiver;
    root["path"] = session.found.command.path;
    root["light"] = lightJson(s.light, modeName(device, s.light.mode, names), false);
    root["pollingRate"] = pollingJson(s.system.reportRate, kMousePolling);
    root["activeStage"] = s.activeStage + 1;
    Json::Value stages(Json::arrayValue);
    for (size_t i = 0; i < s.stages.size(); ++i) stages.append(stageJson(s.stages[i], i, scale));
    root["stages"] = stages;
    Json::Value buttons(Json::arrayValue);
    for (size_t j = 0; j < device.keyList().size(); ++j) {
        Json::Value row;
        const KeyAssignment& current = device.keyList()[j].current;
        row["button"] = static_cast<int>(j) + 1;
        if (const std::string name = itemName(j, names.buttons); !name.empty()) row["name"] = name;
        row["present"] = device.buttonPresent(j);
        row["code"] = buttonCode(current);
        row["function"] = assignmentName(current, device.macroNames(), names.functions, names.texts);
        buttons.append(row);
    }
    root["buttons"] = buttons;
    printJson(context.out, root);
}

void printMouseText(const CommandContext& context, const MouseSession& session, const ShowNames& names) {
    const CMerivexMouseDevice& device = *session.device;
    const MouseSettings& s = device.settings();
    const DpiScale scale = device.dpiScale();
    std::ostream& out = context.out;
    out << "mouse " << session.found.describe() << '\n';
    out << lightLine(s.light, modeName(device, s.light.mode, names), false) << '\n';
    out << "polling rate: " << pollingRateText(s.system.reportRate, kMousePolling) << '\n';
    out << "active stage: " << s.activeStage + 1 << '\n';
    for (size_t i = 0; i < s.stages.size(); ++i)
        out << stageLine(s.stages[i], i, s.activeStage, scale) << '\n';
    for (size_t j = 0; j < device.keyList().size(); ++j) {
        const std::string name = itemName(j, names.buttons);
        out << "button " << j + 1 << (name.empty() ? "" : " (" + name + ")") << ": "
            << assignmentLine(device.keyList()[j].current, device.macroNames(), names.functions, names.texts)
            << (device.buttonPresent(j) ? "" : ", not on this mouse") << '\n';
    }
}

}  // namespace

int runShowMouse(const CommandContext& context, const CommandArgs& args) {
    if (!args.empty())
        return usageError(context, "show", "show mouse takes no more words", "halvernctl show mouse");
    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    CMerivexMouseDevice& device = *session->device;
    // As a page refresh: the mouse's state, then the lists shown with it.
    const DeviceResult read =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.ReadDeviceState(std::move(done)); });
    device.ShowSettings();
    if (!read) {
        context.err << "halvernctl: the mouse did not report its settings (" << describeResult(read.code())
                    << ")\n";
        return kExitDeviceError;
    }
    const ShowNames names;
    if (context.json) {
        printMouseJson(context, *session, names);
    } else {
        printMouseText(context, *session, names);
    }
    return kExitOk;
}

}  // namespace halvern::cli
