// `headset mic|monitor|voice|noise|surround`: the headset's microphone, monitor, voice effect, noise
// suppression and virtual surround, through the sound library (the sound server for a real headset, the
// emulated library for an emulated one unless HALVERN_SOUND=server); the equaliser's commands are in
// headset_eq_command.

#include <array>
#include <functional>
#include <memory>

#include "cli/cli_support.h"
#include "cli/command_checks.h"
#include "cli/headset_session.h"
#include "cli/json_output.h"
#include "cli/names.h"
#include "cli/option_words.h"
#include "cli/page_session.h"
#include "cli/shared_commands.h"
#include "devices/light_record_device.h"
#include "devices/linux_audio/headset_sound_choice.h"

namespace halvern::cli {
namespace {

constexpr std::string_view kNoSoundLine =
    "halvernctl: headset: the headset's sound settings cannot be reached on this system";

constexpr std::string_view kUsage =
    "halvernctl headset mic [--on 0|1] [--level 0-100] | headset monitor [--on 0|1] [--level 0-100] | "
    "headset voice [--on 0|1] [--type 1-4] | headset noise|surround [--on 0|1] | "
    "headset eq PRESET|custom | headset band INDEX VALUE | "
    "headset custom-eq save [NAME]|select INDEX|delete INDEX|list | headset frame";

struct AudioControl {
    std::string_view word;
    std::string_view shown;
    std::string_view key;     ///< its name in JSON
    std::string_view second;  ///< "--level" or "--type"
    long secondMin, secondMax;
    void (CMerivexHS6533Device::*setOn)(bool, CMerivexUSBDevice::Done);
    void (CMerivexHS6533Device::*setSecond)(int, CMerivexUSBDevice::Done);
    int32_t HeadsetSystem::*on;
    int32_t HeadsetSystem::*value;
    std::string_view
        valueTexts;  ///< the text ids of the values' names ("magic_type_" + N + "_text"), if named
};

constexpr std::array<AudioControl, 3> kControls{{
    {"mic", "microphone", "microphone", "--level", 0, 100, &CMerivexHS6533Device::SetMicrophone,
     &CMerivexHS6533Device::SetMicrophoneLevel, &HeadsetSystem::micInSelect, &HeadsetSystem::micInValue, ""},
    {"monitor", "monitor", "monitor", "--level", 0, 100, &CMerivexHS6533Device::SetMonitor,
     &CMerivexHS6533Device::SetMonitorLevel, &HeadsetSystem::micMonitorSelect,
     &HeadsetSystem::micMonitorValue, ""},
    {"voice", "voice effect", "voiceEffect", "--type", 1, CMerivexHS6533Device::kMagicVoiceTypes,
     &CMerivexHS6533Device::SetMagicVoice, &CMerivexHS6533Device::SetMagicVoiceType,
     &HeadsetSystem::magicEnable, &HeadsetSystem::magicType, "magic_type_"},
}};

// The switches whose state the sound server holds (not the profile).
struct SoundSwitch {
    std::string_view word;
    std::string_view shown;
    std::string_view key;  ///< its name in JSON
    HeadsetAudio::Feature feature;
    void (CMerivexHS6533Device::*set)(bool, CMerivexUSBDevice::Done);
    std::optional<bool> (CMerivexHS6533Device::*state)() const;
};

constexpr std::array<SoundSwitch, 2> kSwitches{{
    {"noise", "noise suppression", "noiseSuppression", HeadsetAudio::Feature::NoiseSuppression,
     &CMerivexHS6533Device::SetNoiseSuppression, &CMerivexHS6533Device::noiseSuppression},
    {"surround", "virtual surround", "surround", HeadsetAudio::Feature::Surround,
     &CMerivexHS6533Device::SetSurround, &CMerivexHS6533Device::surround},
}};

int runSoundSwitch(const CommandContext& context, const CommandArgs& args, const SoundSwitch& control) {
    std::string problem;
    const std::array<std::string_view, 1> known{"--on"};
    const auto words = splitOptionWords(CommandArgs(args.begin() + 1, args.end()), known, problem);
    if (words && !words->positional.empty()) problem = "unexpected word '" + words->positional[0] + "'";
    const auto on = words ? integerOption(*words, "--on", 0, 1, problem) : std::nullopt;
    if (!problem.empty()) return usageError(context, "headset", problem, kUsage);

    auto session = openHeadset(context, true);
    if (!session) return kExitDeviceError;
    CMerivexHS6533Device& headset = *session->device;
    if (!headset.audioAvailable(control.feature)) {
        context.err << "halvernctl: headset: the sound server here has no " << control.shown
                    << " to offer (see halvernctl info headset)\n";
        return kExitDeviceError;
    }
    // Alone, halvernctl ends as soon as it has answered: a switch that lasts only while its program runs
    // would be off again before anyone heard it.
    if (on && *on != 0 && !context.attached && headset.audioEndsWithProgram(control.feature)) {
        context.err
            << "halvernctl: headset: " << control.shown
            << " on this sound server lasts only while the program that switched it on runs; switch it "
               "on in halvern, or with halvernctl while halvern runs\n";
        return kExitDeviceError;
    }
    if (on &&
        !headset.Await([&](CMerivexUSBDevice::Done done) { (headset.*(control.set))(*on != 0, done); })) {
        context.err << "halvernctl: headset: the sound server did not take the " << control.shown
                    << " setting\n";
        return kExitDeviceError;
    }
    const std::optional<bool> state = (headset.*(control.state))();
    if (!state) {
        context.err << "halvernctl: headset: the sound server did not tell whether " << control.shown
                    << " is on\n";
        return kExitDeviceError;
    }
    if (context.json) {
        Json::Value result =
            on ? changeResult("headset", control.key, "set") : Json::Value(Json::objectValue);
        if (!on) {
            result["device"] = "headset";
            result["control"] = std::string(control.key);
        }
        result["on"] = *state;
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << control.shown << ": " << (*state ? "on" : "off") << '\n';
    return kExitOk;
}

}  // namespace

int runHeadsetCommand(const CommandContext& context, const CommandArgs& args) {
    const AudioControl* control = nullptr;
    for (const AudioControl& c : kControls) {
        if (!args.empty() && args[0] == c.word) control = &c;
    }
    for (const SoundSwitch& s : kSwitches) {
        if (!args.empty() && args[0] == s.word) return runSoundSwitch(context, args, s);
    }
    if (!control && !args.empty() && isHeadsetEqVerb(args[0]))
        return runHeadsetEqCommand(context, withoutEndOfOptions(args));
    if (!control) {
        return usageError(context, "headset",
                          "mic, monitor, voice, noise, surround, eq, band, custom-eq or frame is needed",
                          kUsage);
    }
    std::string problem;
    const std::array<std::string_view, 2> known{"--on", control->second};
    const auto words = splitOptionWords(CommandArgs(args.begin() + 1, args.end()), known, problem);
    if (words && !words->positional.empty()) problem = "unexpected word '" + words->positional[0] + "'";
    const auto on = words ? integerOption(*words, "--on", 0, 1, problem) : std::nullopt;
    const auto second =
        words ? integerOption(*words, control->second, control->secondMin, control->secondMax, problem)
              : std::nullopt;
    if (!problem.empty()) return usageError(context, "headset", problem, kUsage);

    auto session = openHeadset(context, true);
    if (!session) return kExitDeviceError;
    CMerivexHS6533Device* headset = session->device;
    // Each change waits for the sound library's answer, heard on this thread.
    const auto taken = [headset](const std::function<void(CMerivexUSBDevice::Done)>& change) {
        return headset->Await(change).ok();
    };
    if ((on && !taken([&](CMerivexUSBDevice::Done done) { (headset->*(control->setOn))(*on != 0, done); })) ||
        (second && !taken([&](CMerivexUSBDevice::Done done) {
             (headset->*(control->setSecond))(static_cast<int>(*second), done);
         }))) {
        context.err << "halvernctl: headset: the sound library did not take the " << control->shown
                    << " setting\n";
        return kExitDeviceError;
    }
    const HeadsetSystem system = headset->audioSettings();
    const int32_t value = system.*(control->value);
    // A named value (the voices) is shown by the name the window gives it.
    const std::string name =
        control->valueTexts.empty()
            ? std::string()
            : EnglishTexts().shown(std::string(control->valueTexts) + std::to_string(value) + "_text",
                                   control->valueTexts);
    if (context.json) {
        // Without options the command shows the control; with them it changed it.
        const bool changed = on || second;
        Json::Value result =
            changed ? changeResult("headset", control->key, "set") : Json::Value(Json::objectValue);
        if (!changed) {
            result["device"] = "headset";
            result["control"] = std::string(control->key);
        }
        result["on"] = system.*(control->on) != 0;
        result[std::string(control->second.substr(2))] = value;
        if (!name.empty()) result["name"] = name;
        printJson(context.out, result);
        return kExitOk;
    }
    context.out << control->shown << ": " << (system.*(control->on) != 0 ? "on" : "off") << ", ";
    if (name.empty())
        context.out << control->second.substr(2) << ' ' << value << '\n';
    else
        context.out << name << " (" << control->second.substr(2) << ' ' << value << ")\n";
    return kExitOk;
}

std::optional<HeadsetSession> openHeadset(const CommandContext& context, bool needsSound, bool streaming) {
    HeadsetSession session;
    if (context.attached) {
        // The application's headset, with the sound library and lights it already runs.
        session.device =
            dynamic_cast<CMerivexHS6533Device*>(lendPageDevice(context, "headset", session.found));
        if (!session.device) return std::nullopt;
        if (needsSound && !session.device->audioReady()) {
            context.err << kNoSoundLine << '\n';
            return std::nullopt;
        }
        return session;
    }
    session.owned = std::make_unique<CMerivexHS6533Device>(context.backend);
    session.device = session.owned.get();
    CMerivexHS6533Device& device = *session.device;
    device.SetAudioLibrary(
        audio::MakeHeadsetAudioLibrary(context.backend, audio::SoundChoiceFromEnvironment()));
    auto found = openPageDevice(context, "headset", device);
    if (!found) return std::nullopt;
    session.found = std::move(*found);
    if (!streaming) device.SetLightControl(false);
    session.activation =
        device.Await([&device](CMerivexUSBDevice::Done done) { device.ActivatePage(std::move(done)); });
    if (needsSound && !device.audioReady()) {
        context.err << kNoSoundLine << '\n';
        return std::nullopt;
    }
    return session;
}

}  // namespace halvern::cli
