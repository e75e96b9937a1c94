// The mouse pad and the headset on the command line: opening them, and `show mousepad|headset`.

#include "cli/light_record_session.h"

#include <json/json.h>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/json_output.h"
#include "cli/option_words.h"

namespace halvern::cli {
namespace {

template <class Device>
std::optional<LightRecordSession> open(const CommandContext& context, std::string_view kind) {
    auto session = openPageSession<Device>(context, kind);
    if (!session) return std::nullopt;
    LightRecordSession opened{
        std::move(session->owned), session->device, std::move(session->found), session->activation, {}};
    CMerivexLightRecordDevice& device = *opened.device;
    opened.refreshed = device.Await([&device](CMerivexUSBDevice::Done done) { device.RefreshPage(done); });
    return opened;
}

std::string recordHex(const light_record::Record& record) {
    std::string text;
    for (const uint8_t byte : record) {
        constexpr std::string_view kDigits = "0123456789abcdef";
        if (!text.empty()) text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

int show(const CommandContext& context, const CommandArgs& args, std::string_view kind) {
    if (!args.empty()) {
        return usageError(context, "show", "show " + std::string(kind) + " takes no more words");
    }
    auto session = openLightRecordDevice(context, kind);
    if (!session) return kExitDeviceError;
    const CMerivexLightRecordDevice& device = *session->device;
    if (!session->refreshed) {
        context.err << "halvernctl: show " << kind << ": the " << kindDisplayText(kind)
                    << "'s record could not be read: " << describe(session->refreshed) << '\n';
        return kExitDeviceError;
    }
    const EnglishTexts texts;
    const LightSetting& light = device.settings().light;
    const std::string mode = lightModeName(device.lightLists(), light.mode, lightRecordModes(kind), texts);
    const light_record::Record& record = device.storedRecord();
    if (context.json) {
        Json::Value root;
        root["device"] = std::string(kind);
        root["receiver"] = session->found.viaReceiver;
        root["path"] = session->found.command.path;
        root["light"] = lightJson(light, mode, false);
        root["activeRecord"] = record[0];
        root["deviceMode"] = record[1];
        root["deviceDirection"] = record[4];
        root["record"] = recordHex(record);
        printJson(context.out, root);
        return kExitOk;
    }
    context.out << kindDisplayText(kind) << " at " << session->found.command.path << '\n'
                << "light (profile): " << lightLine(light, mode, false) << '\n'
                << "record " << static_cast<int>(record[0]) << " on the device: " << recordHex(record)
                << '\n';
    return kExitOk;
}

}  // namespace

LightModeRange lightRecordModes(std::string_view kind) {
    return {kindDisplayText(kind), 8, true};
}

std::optional<LightRecordSession> openLightRecordDevice(const CommandContext& context,
                                                        std::string_view kind) {
    return kind == "mousepad" ? open<CMerivexMousePadDevice>(context, kind)
                              : open<CMerivexHS6533Device>(context, kind);
}

int runShowMousePad(const CommandContext& context, const CommandArgs& args) {
    return show(context, args, "mousepad");
}

int runShowHeadset(const CommandContext& context, const CommandArgs& args) {
    return show(context, args, "headset");
}

}  // namespace halvern::cli
