#pragma once

#include <optional>
#include <string>

#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// Noise suppression of the headset's microphone: the sound server's echo canceller (module-echo-cancel)
/// with WebRTC's audio processing, noise suppression on, gain controls off (the microphone level stays the
/// user's). It offers the cleaned microphone as the source "halvern_headset_clean", and a sink for the
/// canceller's reference ("halvern_headset_clean_ref", in front of the headset's sink) that nothing needs to
/// play to. The module stays when the program ends; the next start takes it over.
class HeadsetNoise {
public:
    static constexpr std::string_view kSource = "halvern_headset_clean";
    using Deadline = PulseClient::Deadline;

    /// `microphone`: the headset's source; `sink`: the headset's sink (may be empty).
    HeadsetNoise(PulseClient& client, std::string microphone, std::string sink);

    /// Takes over the canceller an earlier run left on this microphone; removes any other of ours.
    void adopt(Deadline deadline);
    /// Forgets the module when it went.
    void refresh(Deadline deadline);

    [[nodiscard]] bool on() const { return m_module.has_value(); }
    [[nodiscard]] const std::string& microphone() const { return m_microphone; }
    [[nodiscard]] const std::string& sink() const { return m_sink; }

    /// Loads or unloads the module; moving programs is the caller's (the voice changer may come after it).
    [[nodiscard]] bool load(Deadline deadline);
    [[nodiscard]] bool unload(Deadline deadline);

private:
    PulseClient& m_client;
    std::string m_microphone;
    std::string m_sink;
    std::optional<uint32_t> m_module;
};

}  // namespace halvern::audio
