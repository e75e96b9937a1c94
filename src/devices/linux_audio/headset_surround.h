#pragma once

#include <optional>
#include <string>

#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// Virtual surround for the headset: the sound server's module-virtual-surround-sink, a 7.1 sink in front
/// of the headset's sink that renders each speaker binaurally with a measured HRTF (HrirFiles). Loading
/// and unloading only: which programs play through it is the caller's (the equaliser may sit in front of
/// it). The module stays when the program ends; the next start takes it over.
class HeadsetSurround {
public:
    static constexpr std::string_view kSink = "halvern_headset_surround";
    using Deadline = PulseClient::Deadline;

    /// `master`: the headset's sink; `rate`: its sample rate.
    HeadsetSurround(PulseClient& client, std::string master, uint32_t rate);

    void adopt(Deadline deadline);
    void refresh(Deadline deadline);
    /// Whether a measured set is installed to render with.
    [[nodiscard]] static bool available();

    [[nodiscard]] bool on() const { return m_module.has_value(); }
    [[nodiscard]] const std::string& master() const { return m_master; }

    [[nodiscard]] bool load(Deadline deadline);
    [[nodiscard]] bool unload(Deadline deadline);

private:
    PulseClient& m_client;
    std::string m_master;
    uint32_t m_rate;
    std::optional<uint32_t> m_module;
};

}  // namespace halvern::audio
