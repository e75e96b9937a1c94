#include "devices/linux_audio/headset_sound_choice.h"

#include <cstdlib>
#include <string_view>

#include "device/debug_sink.h"
#include "devices/emulated_audio_library.h"
#include "devices/linux_audio/linux_audio_library.h"
#include "emulator/emulator.h"
#include "emulator/traffic_capture.h"

namespace halvern::audio {

SoundChoice SoundChoiceFromEnvironment() {
    const char* value = std::getenv("HALVERN_SOUND");
    if (value == nullptr || *value == '\0') return SoundChoice::Automatic;
    if (std::string_view(value) == "server") return SoundChoice::Server;
    debugLog("HALVERN_SOUND is neither unset nor \"server\": the usual sound library is taken");
    return SoundChoice::Automatic;
}

std::unique_ptr<AudioConfigLibrary> MakeHeadsetAudioLibrary(const HidBackend& backend, SoundChoice choice) {
    const auto* emulator = dynamic_cast<const emu::Emulator*>(&backend);
    if (emulator == nullptr || choice == SoundChoice::Server) return std::make_unique<LinuxAudioLibrary>();
    EmulatedAudioLibrary::LineSink sink;
    if (auto capture = emulator->capture())
        sink = [capture](std::string_view line) { capture->recordLine(line); };
    return EmulatedAudioLibrary::Headset(std::move(sink));
}

}  // namespace halvern::audio
