// `headset eq|band|custom-eq|frame` and `info headset`: the headset's equaliser as its page edits it, one
// light frame sent by hand, and what the headset and its sound library report.

#include <json/json.h>

#include <array>
#include <cstdio>
#include <functional>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/headset_session.h"
#include "cli/json_output.h"
#include "cli/numbering.h"
#include "devices/headset_eq.h"
#include "devices/headset_led_reports.h"
#include "profile/name_rule.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kUsage =
    "halvernctl headset eq PRESET|custom | headset band INDEX VALUE | "
    "headset custom-eq save [NAME]|select INDEX|delete INDEX|list | headset frame";

using Feature = HeadsetAudio::Feature;
constexpr std::array<std::pair<Feature, std::string_view>, HeadsetAudio::kFeatureCount> kFeatureNames{{
    {Feature::Equaliser, "equaliser"},
    {Feature::Microphone, "microphone on/off"},
    {Feature::MicrophoneLevel, "microphone level"},
    {Feature::Monitor, "monitor on/off"},
    {Feature::MonitorLevel, "monitor level"},
    {Feature::MagicVoice, "voice changer"},
    {Feature::MagicVoiceType, "voice changer's voices"},
    {Feature::Surround, "virtual surround"},
}};

int refused(const CommandContext& context, std::string_view why) {
    context.err << "halvernctl: headset: " << why << '\n';
    return kExitDeviceError;
}

/// The equaliser as --json prints it: type, preset or customEq (1-based, or null), bands, customEqs.
Json::Value eqJson(CMerivexHS6533Device& headset) {
    const HeadsetSystem system = headset.audioSettings();
    const std::vector<std::string> names = headset.customEqNames();
    const int chosen = headset.chosenCustomEq().value_or(-1);
    const bool custom = system.eqType == headset_eq::kCustomType;
    Json::Value eq(Json::objectValue);
    eq["type"] = custom ? "custom" : "preset";
    eq["preset"] = custom ? Json::Value() : Json::Value(system.eqType);
    eq["customEq"] = custom && chosen >= 0 ? Json::Value(chosen + 1) : Json::Value();
    eq["bands"] = Json::Value(Json::arrayValue);
    for (const int32_t band : headset.eqBands()) eq["bands"].append(band);
    eq["customEqs"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < names.size(); ++i) {
        Json::Value row(Json::objectValue);
        row["index"] = static_cast<int>(i) + 1;
        row["name"] = names[i];
        row["chosen"] = static_cast<int>(i) == chosen;
        eq["customEqs"].append(row);
    }
    return eq;
}

/// Prints the equaliser after `action` changed it ("preset", "custom", "band", "saved", "selected",
/// "deleted"), or as it is when `action` is empty.
int printEq(const CommandContext& context, CMerivexHS6533Device& headset, std::string_view action = {}) {
    const HeadsetSystem system = headset.audioSettings();
    const std::vector<std::string> names = headset.customEqNames();
    const int chosen = headset.chosenCustomEq().value_or(-1);
    const auto& bands = headset.eqBands();
    if (context.json) {
        Json::Value root =
            action.empty() ? Json::Value(Json::objectValue) : changeResult("headset", "equaliser", action);
        if (action.empty()) root["device"] = "headset";
        root["equaliser"] = eqJson(headset);
        printJson(context.out, root);
        return kExitOk;
    }
    context.out << "equaliser: ";
    if (system.eqType == headset_eq::kCustomType) {
        context.out << "custom ("
                    << (chosen >= 0 ? PrintableName(names[static_cast<size_t>(chosen)])
                                    : "no saved one chosen")
                    << ")";
    } else {
        context.out << "preset " << system.eqType;
    }
    context.out << ", bands";
    for (const int32_t band : bands) context.out << ' ' << band;
    context.out << '\n';
    return kExitOk;
}

int listCustom(const CommandContext& context, CMerivexHS6533Device& headset) {
    if (context.json) return printEq(context, headset);
    const std::vector<std::string> names = headset.customEqNames();
    const int chosen = headset.chosenCustomEq().value_or(-1);
    if (names.empty()) context.out << "no custom equalisers saved\n";
    for (size_t i = 0; i < names.size(); ++i)
        context.out << (static_cast<int>(i) == chosen ? "* " : "  ") << i + 1 << ' '
                    << PrintableName(names[i]) << '\n';
    return kExitOk;
}

int saveCustom(const CommandContext& context, CMerivexHS6533Device& headset, const std::string& name) {
    switch (headset.SaveCustomEq(name)) {
        case CMerivexHS6533Device::kEqSaved:
            return printEq(context, headset, "saved");
        case CMerivexHS6533Device::kEqNameInvalid:
            return refused(context, NameProblemText(CheckName(name)));
        case CMerivexHS6533Device::kEqNameExists:
            return refused(context, "a custom equaliser named '" + name +
                                        "' exists already (names are compared without regard to case)");
        default:
            return refused(context, name.empty()
                                        ? "no name was given and no custom equaliser is chosen to "
                                          "save over"
                                        : "20 custom equalisers are saved already; delete one first");
    }
}

int frame(const CommandContext& context) {
    auto session = openHeadset(context, false, false);
    if (!session) return kExitDeviceError;
    CMerivexHS6533Device& device = *session->device;
    const DeviceResult sent =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.SendFrameOnce(done); });
    if (!sent) return refused(context, describe(sent));
    if (context.json) {
        Json::Value result = changeResult("headset", "lights", "frameSent");
        result["reports"] = static_cast<Json::UInt64>(headset_leds::kReportCount);
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << "sent one frame: " << headset_leds::kReportCount << " LED reports\n";
    return kExitOk;
}

std::string_view soundLibraryState(const CMerivexHS6533Device& device) {
    const auto start = device.audioStart();
    return !start                                      ? "none on this system"
           : *start == HeadsetAudio::Start::Ready      ? "ready"
           : *start == HeadsetAudio::Start::InitFailed ? "could not be started"
                                                       : "no playback device";
}

/// `info headset --json`: the same facts as the text, by name.
int printHeadsetInfoJson(const CommandContext& context, const HeadsetSession& session) {
    const CMerivexHS6533Device& device = *session.device;
    Json::Value root(Json::objectValue);
    root["device"] = "headset";
    root["receiver"] = session.found.viaReceiver;
    root["path"] = session.found.command.path;
    root["firmwareVersion"] = firmwareVersionText(session.found.command.attributes.versionNumber);
    root["info"] = Json::Value(Json::arrayValue);
    for (const uint8_t b : device.info()) root["info"].append(b);
    root["soundLibrary"] = std::string(soundLibraryState(device));
    HeadsetAudio* audio = session.device->audio();
    const bool ready = audio && audio->ready();
    const auto deviceJson = [](const std::optional<audio::DeviceRecord>& d) {
        if (!d) return Json::Value();
        Json::Value v(Json::objectValue);
        v["handle"] = d->handle;
        v["type"] = d->type;
        v["state"] = d->state;
        return v;
    };
    const auto rangeJson = [](const std::optional<double>& min, const std::optional<double>& max,
                              const std::optional<double>& step) {
        if (!min || !max) return Json::Value();
        Json::Value v(Json::objectValue);
        v["minDb"] = *min;
        v["maxDb"] = *max;
        v["stepDb"] = step.value_or(0);
        return v;
    };
    root["playback"] = ready ? deviceJson(audio->devices().playback) : Json::Value();
    root["recording"] = ready ? deviceJson(audio->devices().recording) : Json::Value();
    const HeadsetAudio::Reading reading = ready ? audio->read() : HeadsetAudio::Reading{};
    root["microphoneVolume"] = rangeJson(reading.minVolume, reading.maxVolume, reading.volumeStep);
    root["monitorVolume"] = rangeJson(reading.monitorMin, reading.monitorMax, reading.monitorStep);
    root["unavailable"] = Json::Value(Json::arrayValue);
    for (const auto& [feature, name] : kFeatureNames) {
        if (ready && !audio->available(feature)) root["unavailable"].append(std::string(name));
    }
    printJson(context.out, root);
    return kExitOk;
}

}  // namespace

bool isHeadsetEqVerb(std::string_view verb) {
    return verb == "eq" || verb == "band" || verb == "custom-eq" || verb == "frame";
}

int runHeadsetEqCommand(const CommandContext& context, const CommandArgs& words) {
    const std::string& verb = words[0];
    const size_t count = words.size();
    const auto argument = [&words](size_t i) { return i < words.size() ? words[i] : std::string(); };
    // Checked before the headset is opened.
    std::optional<long> preset, index, value;
    std::string problem;
    if (verb == "frame") {
        if (count != 1) problem = "frame takes no other words";
    } else if (verb == "eq") {
        if (count != 2)
            problem = "eq takes PRESET (1-12) or custom";
        else if (words[1] != "custom" && !(preset = parseInteger(words[1], 1, headset_eq::kPresetCount)))
            problem = rangeProblem("PRESET", 1, headset_eq::kPresetCount, words[1]);
    } else if (verb == "band") {
        value = parseInteger(argument(2), headset_eq::kBandMin, headset_eq::kBandMax);
        if (count != 3) {
            problem = "band takes INDEX and VALUE";
        } else if (const auto band = parseOrdinal(words[1], "INDEX", HeadsetAudio::kEqBands, problem)) {
            index = static_cast<long>(*band);
            if (!value) problem = rangeProblem("VALUE", headset_eq::kBandMin, headset_eq::kBandMax, words[2]);
        }
    } else {
        const std::string action = argument(1);
        if (action == "select" || action == "delete") {
            if (const auto at =
                    parseOrdinal(argument(2), action + " INDEX", headset_eq::kMaxCustomEqs, problem))
                index = static_cast<long>(*at);
            if (count != 3 && problem.empty()) problem = action + " takes one INDEX";
        } else if (action == "save") {
            if (count > 3)
                problem = "save takes one NAME (quote a name with spaces)";
            else if (count == 3 && CheckName(argument(2)) != NameProblem::None)
                problem = NameProblemText(CheckName(argument(2)));
        } else if (action != "list" || count != 2) {
            problem = "custom-eq takes save [NAME], select INDEX, delete INDEX or list";
        }
    }
    if (!problem.empty()) return usageError(context, "headset", problem, kUsage);
    if (verb == "frame") return frame(context);

    auto session = openHeadset(context, true);
    if (!session) return kExitDeviceError;
    CMerivexHS6533Device& headset = *session->device;
    // An edit waits for the sound library's answer, heard on this thread.
    using Done = CMerivexUSBDevice::Done;
    const auto applied = [&](const std::function<void(Done)>& edit, std::string_view action) {
        return headset.Await(edit).ok()
                   ? printEq(context, headset, action)
                   : refused(context, "the sound library did not take the equaliser setting");
    };
    if (verb == "eq") {
        return preset ? applied([&](Done done) { headset.SelectEqPreset(static_cast<int>(*preset), done); },
                                "preset")
                      : applied([&](Done done) { headset.SelectCustomEq(done); }, "custom");
    }
    if (verb == "band") {
        return applied(
            [&](Done done) { headset.MoveEqBand(static_cast<int>(*index), static_cast<int>(*value), done); },
            "band");
    }
    const std::string action = words[1];
    if (action == "list") return listCustom(context, headset);
    if (action == "save") return saveCustom(context, headset, argument(2));
    if (static_cast<size_t>(*index) >= headset.customEqNames().size()) {
        return usageError(context, "headset",
                          ordinalProblem(words[2], action + " INDEX", headset.customEqNames().size()),
                          kUsage);
    }
    const int at = static_cast<int>(*index);
    return action == "select" ? applied([&](Done done) { headset.ChooseCustomEq(at, done); }, "selected")
                              : applied([&](Done done) { headset.DeleteCustomEq(at, done); }, "deleted");
}

int runHeadsetInfo(const CommandContext& context) {
    auto session = openHeadset(context, false, false);
    if (!session) return kExitDeviceError;
    CMerivexHS6533Device& device = *session->device;
    if (!session->activation) return refused(context, describe(session->activation));
    if (context.json) return printHeadsetInfoJson(context, *session);
    const uint16_t version = session->found.command.attributes.versionNumber;
    char line[96];
    context.out << "headset " << session->found.describe() << '\n'
                << "firmware version: " << firmwareVersionText(version) << '\n'
                << "info: " << hexBytes(device.info()) << '\n';
    context.out << "sound library: " << soundLibraryState(device) << '\n';
    HeadsetAudio* audio = device.audio();
    if (!audio || !audio->ready()) return kExitOk;
    const auto deviceLine = [&context](std::string_view side, const std::optional<audio::DeviceRecord>& d) {
        context.out << side << " device: ";
        if (d)
            context.out << "handle " << d->handle << ", type " << d->type << ", state " << d->state << '\n';
        else
            context.out << "none\n";
    };
    deviceLine("playback", audio->devices().playback);
    deviceLine("recording", audio->devices().recording);
    const HeadsetAudio::Reading reading = audio->read();
    const auto range = [&context, &line](std::string_view what, const std::optional<double>& min,
                                         const std::optional<double>& max,
                                         const std::optional<double>& step) {
        if (!min || !max) return;
        std::snprintf(line, sizeof line, " volume: %.2f to %.2f dB, step %.2f\n", *min, *max,
                      step.value_or(0));
        context.out << what << line;
    };
    range("microphone", reading.minVolume, reading.maxVolume, reading.volumeStep);
    range("monitor", reading.monitorMin, reading.monitorMax, reading.monitorStep);
    std::string missing;
    for (const auto& [feature, name] : kFeatureNames) {
        if (audio->available(feature)) continue;
        missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    context.out << "not available here: " << (missing.empty() ? "nothing" : missing) << '\n';
    return kExitOk;
}

}  // namespace halvern::cli
