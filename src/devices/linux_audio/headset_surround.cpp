#include "devices/linux_audio/headset_surround.h"

#include "device/debug_sink.h"
#include "devices/linux_audio/hrir_files.h"
#include "devices/linux_audio/module_adoption.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kModule = "module-virtual-surround-sink";
constexpr uint32_t kUsualRate = 48000;

// A file path the module argument can carry in single quotes.
bool quotable(const std::string& path) {
    return !path.empty() && path.find_first_of("'\"\\") == std::string::npos;
}

}  // namespace

HeadsetSurround::HeadsetSurround(PulseClient& client, std::string master, uint32_t rate)
    : m_client(client), m_master(std::move(master)), m_rate(rate) {}

bool HeadsetSurround::available() {
    return findHrtfSet().has_value() && hrirFolder().has_value();
}

void HeadsetSurround::adopt(Deadline deadline) {
    m_module =
        adoptLeftModule(m_client, {kModule, "surround", "master", "virtual surround"}, m_master, deadline);
}

void HeadsetSurround::refresh(Deadline deadline) {
    forgetUnloadedModule(m_client, m_module, deadline);
}

bool HeadsetSurround::load(Deadline deadline) {
    if (m_module) return true;
    const auto set = findHrtfSet();
    const auto folder = hrirFolder();
    if (!set || !folder || !plainArgument(m_master)) return false;
    // The impulse responses at the rate the sink runs at, and the sink held to it: a server that has to
    // resample them itself may fail (PulseAudio 16 ends when it does).
    uint32_t rate = m_rate != 0 ? m_rate : kUsualRate;
    if (const auto sinks = m_client.sinks(deadline)) {
        for (const PulseClient::Node& sink : *sinks) {
            if (sink.name == m_master && sink.rate != 0) rate = sink.rate;
        }
    }
    const auto files = makeHrirFiles(*set, rate, *folder);
    if (!files || !quotable(files->left) || !quotable(files->right)) {
        debugLog("the virtual surround's impulse responses could not be made");
        return false;
    }
    const std::string argument = "sink_name=" + std::string(kSink) + " master=" + m_master +
                                 " rate=" + std::to_string(rate) + " hrir_left='" + files->left +
                                 "' hrir_right='" + files->right +
                                 "' sink_properties='device.description=\"Headset virtual surround\" "
                                 "halvern.role=surround'";
    const auto module = m_client.loadModule(kModule, argument, deadline);
    if (!module) return false;
    m_module = *module;
    return true;
}

bool HeadsetSurround::unload(Deadline deadline) {
    return unloadModule(m_client, m_module, deadline);
}

}  // namespace halvern::audio
