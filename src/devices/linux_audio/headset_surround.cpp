#include "devices/linux_audio/headset_surround.h"

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "device/debug_sink.h"
#include "devices/linux_audio/hrir_files.h"
#include "devices/linux_audio/module_adoption.h"
#include "devices/linux_audio/module_arguments.h"
#include "devices/linux_audio/surround_chain.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kModule = "module-virtual-surround-sink";
constexpr std::string_view kDescription = "Headset virtual surround";
constexpr std::string_view kProgram = "pipewire";
constexpr uint32_t kUsualRate = 48000;
// How long a chain process may take to show its sink (it reads sixteen responses first), and to end.
constexpr auto kChainStart = std::chrono::seconds(5);
constexpr auto kChainStop = std::chrono::milliseconds(2000);

// A file path the module argument can carry in single quotes.
bool quotable(const std::string& path) {
    return !path.empty() && path.find_first_of("'\"\\") == std::string::npos;
}

std::string propertyOf(const PulseClient::Node& node, const char* key) {
    const auto it = node.properties.find(key);
    return it == node.properties.end() ? std::string() : it->second;
}

void removeFile(const std::string& file) {
    std::error_code error;
    if (!file.empty()) std::filesystem::remove(file, error);
}

PulseClient::Deadline atLeast(PulseClient::Deadline deadline, std::chrono::milliseconds bound) {
    return std::max(deadline, PulseClient::Clock::now() + bound);
}

}  // namespace

HeadsetSurround::HeadsetSurround(PulseClient& client, Kind kind, std::string master, uint32_t rate)
    : m_client(client), m_kind(kind), m_master(std::move(master)), m_rate(rate) {}

HeadsetSurround::~HeadsetSurround() {
    // A chain ends with us, whether we started it or took it over.
    if (m_takenOver) ::kill(*m_takenOver, SIGTERM);
    m_chain.reset();
    removeFile(m_chainFile);
}

bool HeadsetSurround::available(Kind kind) {
    return findHrtfSet().has_value() && hrirFolder().has_value() &&
           (kind == Kind::ServerModule || findProgram(std::string(kProgram)).has_value());
}

void HeadsetSurround::adopt(Deadline deadline) {
    if (m_kind == Kind::FilterChain) {
        adoptChain(deadline);
        return;
    }
    m_module =
        adoptLeftModule(m_client, {kModule, "surround", "master", "virtual surround"}, m_master, deadline);
}

void HeadsetSurround::adoptChain(Deadline deadline) {
    const auto sinks = m_client.sinks(deadline);
    const auto folder = hrirFolder();
    if (!sinks || !folder) return;
    for (const PulseClient::Node& sink : *sinks) {
        if (propertyOf(sink, "halvern.role") != "surround") continue;
        const std::string file = propertyOf(sink, "halvern.chain");
        if (m_chain && file == m_chainFile) continue;
        // Only a process that runs one of our files in our folder is ours to take or to end.
        const auto pid = file.starts_with(*folder + "/surround-") && file.find("/..") == std::string::npos
                             ? surroundChainProcess(file)
                             : std::nullopt;
        if (!pid) {
            debugLog("a virtual surround whose process is not ours is left as it is");
            continue;
        }
        if (!on() && propertyOf(sink, "halvern.master") == m_master) {
            m_takenOver = *pid;
            m_chainFile = file;
            continue;
        }
        ::kill(*pid, SIGTERM);  // a second one only doubles the sound
        removeFile(file);
    }
}

void HeadsetSurround::refresh(Deadline deadline) {
    if (m_kind == Kind::ServerModule) {
        forgetUnloadedModule(m_client, m_module, deadline);
        return;
    }
    if (!on()) return;
    const auto sinks = m_client.sinks(deadline);
    if (!sinks) return;
    const bool there = std::any_of(sinks->begin(), sinks->end(), [this](const PulseClient::Node& sink) {
        return sink.name == kSink && propertyOf(sink, "halvern.chain") == m_chainFile;
    });
    // Gone (its process ended, the server restarted): whatever is left of it is ended too.
    if (!there && !stopChain(deadline)) debugLog("the virtual surround that went is still shown");
}

uint32_t HeadsetSurround::sinkRate(Deadline deadline) {
    // The impulse responses at the rate the headset's sink runs at: a server that has to resample them
    // itself may fail (PulseAudio 16 ends when it does).
    uint32_t rate = m_rate != 0 ? m_rate : kUsualRate;
    if (const auto sinks = m_client.sinks(deadline)) {
        for (const PulseClient::Node& sink : *sinks) {
            if (sink.name == m_master && sink.rate != 0) rate = sink.rate;
        }
    }
    return rate;
}

bool HeadsetSurround::load(Deadline deadline) {
    if (on()) return true;
    return m_kind == Kind::ServerModule ? loadModule(deadline) : startChain(deadline);
}

bool HeadsetSurround::loadModule(Deadline deadline) {
    const auto set = findHrtfSet();
    const auto folder = hrirFolder();
    if (!set || !folder || !plainArgument(m_master)) return false;
    const uint32_t rate = sinkRate(deadline);
    const auto files = makeHrirFiles(*set, rate, *folder);
    if (!files || !quotable(files->left) || !quotable(files->right)) {
        debugLog("the virtual surround's impulse responses could not be made");
        return false;
    }
    const std::string argument =
        "sink_name=" + std::string(kSink) + " master=" + m_master + " rate=" + std::to_string(rate) +
        " hrir_left='" + files->left + "' hrir_right='" + files->right +
        "' sink_properties='device.description=\"" + std::string(kDescription) + "\" halvern.role=surround'";
    const auto module = m_client.loadModule(kModule, argument, deadline);
    if (!module) return false;
    m_module = *module;
    return true;
}

bool HeadsetSurround::startChain(Deadline deadline) {
    const auto set = findHrtfSet();
    const auto folder = hrirFolder();
    const auto program = findProgram(std::string(kProgram));
    if (!set || !folder || !program || !plainArgument(m_master) || !quotableInChain(m_master)) return false;
    const auto files = makeHrirFiles(*set, sinkRate(deadline), *folder);
    if (!files || !quotableInChain(files->left) || !quotableInChain(files->right)) {
        debugLog("the virtual surround's impulse responses could not be made");
        return false;
    }
    const auto file = writeSurroundChain(
        SurroundChain{std::string(kSink), std::string(kDescription), m_master, *files, ""}, *folder);
    if (!file) {
        debugLog("the virtual surround's filter chain could not be written");
        return false;
    }
    auto chain = ChildProcess::start(*program, {"-c", *file});
    if (!chain || !m_client.awaitSink(kSink, true, atLeast(deadline, kChainStart))) {
        debugLog("the virtual surround's filter chain did not start");
        chain.reset();
        removeFile(*file);
        return false;
    }
    m_chain = std::move(chain);
    m_chainFile = *file;
    return true;
}

bool HeadsetSurround::stopChain(Deadline deadline) {
    if (m_chain) {
        m_chain->stop(kChainStop);
        m_chain.reset();
    } else if (m_takenOver) {
        ::kill(*m_takenOver, SIGTERM);
        m_takenOver.reset();
    }
    removeFile(m_chainFile);
    m_chainFile.clear();
    return m_client.awaitSink(kSink, false, atLeast(deadline, kChainStop));
}

bool HeadsetSurround::unload(Deadline deadline) {
    if (m_kind == Kind::ServerModule) return unloadModule(m_client, m_module, deadline);
    if (!on()) return true;
    if (!stopChain(deadline)) debugLog("the virtual surround's sink is still shown after its chain ended");
    return true;
}

}  // namespace halvern::audio
