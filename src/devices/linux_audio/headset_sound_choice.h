#pragma once

#include <memory>

#include "devices/audio_config_library.h"

namespace halvern {
class HidBackend;
}

namespace halvern::audio {

/// Which sound library a headset gets.
enum class SoundChoice {
    Automatic,  ///< the sound server for a real headset, the emulated library for an emulated one
    Server,     ///< the sound server for every headset, emulated or not (the whole chain under test)
};

/// The choice the environment makes: HALVERN_SOUND=server gives Server; unset, Automatic. Another value
/// is reported on the debug sink and taken as Automatic.
[[nodiscard]] SoundChoice SoundChoiceFromEnvironment();

/// The sound library for a headset on `backend`: the emulated library (its calls written into the
/// emulator's traffic capture) for a headset of the emulator unless `choice` is Server, otherwise the
/// sound server's (LinuxAudioLibrary). The application and halvernctl both take it from here.
[[nodiscard]] std::unique_ptr<AudioConfigLibrary> MakeHeadsetAudioLibrary(const HidBackend& backend,
                                                                          SoundChoice choice);

}  // namespace halvern::audio
