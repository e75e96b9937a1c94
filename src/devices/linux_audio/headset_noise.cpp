#include "devices/linux_audio/headset_noise.h"

#include "device/debug_sink.h"
#include "devices/linux_audio/module_adoption.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kModule = "module-echo-cancel";
constexpr std::string_view kRole = "halvern.role=noise";
constexpr std::string_view kReferenceSink = "halvern_headset_clean_ref";

}  // namespace

HeadsetNoise::HeadsetNoise(PulseClient& client, std::string microphone, std::string sink)
    : m_client(client), m_microphone(std::move(microphone)), m_sink(std::move(sink)) {}

void HeadsetNoise::adopt(Deadline deadline) {
    m_module = adoptLeftModule(m_client, {kModule, "noise", "source_master", "noise suppression"},
                               m_microphone, deadline);
}

void HeadsetNoise::refresh(Deadline deadline) {
    forgetUnloadedModule(m_client, m_module, deadline);
}

bool HeadsetNoise::load(Deadline deadline) {
    if (m_module) return true;
    if (!plainArgument(m_microphone) || (!m_sink.empty() && !plainArgument(m_sink))) return false;
    // WebRTC's processing: noise suppression and the high-pass filter (hum), no gain control of its own.
    std::string argument =
        "source_master=" + m_microphone + " source_name=" + std::string(kSource) +
        " sink_name=" + std::string(kReferenceSink) +
        " aec_method=webrtc aec_args='noise_suppression=1 high_pass_filter=1"
        " analog_gain_control=0 digital_gain_control=0'"
        " source_properties='device.description=\"Headset microphone, noise suppression\" " +
        std::string(kRole) +
        "' sink_properties='device.description=\"Headset, noise suppression reference\" "
        "halvern.role=noise-reference'";
    if (!m_sink.empty()) argument += " sink_master=" + m_sink;
    const auto module = m_client.loadModule(kModule, argument, deadline);
    if (!module) return false;
    m_module = *module;
    return true;
}

bool HeadsetNoise::unload(Deadline deadline) {
    return unloadModule(m_client, m_module, deadline);
}

}  // namespace halvern::audio
