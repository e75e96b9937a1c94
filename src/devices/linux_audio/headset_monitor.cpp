#include "devices/linux_audio/headset_monitor.h"

#include <pulse/volume.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "device/debug_sink.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kModule = "module-loopback";
// A software level runs from silence to 100 %; below -60 dB counts as silence.
constexpr HeadsetMonitor::Range kLoopbackRange{-60.0, 0.0, 1.0};

uint32_t volumeOf(double share) {
    return static_cast<uint32_t>(std::lround(std::clamp(share, 0.0, 1.0) * PA_VOLUME_NORM));
}

double decibelsOf(uint32_t volume) {
    return std::max(pa_sw_volume_to_dB(volume), kLoopbackRange.minDb);
}

}  // namespace

HeadsetMonitor::HeadsetMonitor(PulseClient& client, std::string source, std::string sink,
                               std::optional<CardSidetone> card)
    : m_client(client), m_source(std::move(source)), m_sink(std::move(sink)), m_card(card) {}

void HeadsetMonitor::adopt(Deadline deadline) {
    if (m_card) return;
    const auto modules = m_client.modules(deadline);
    if (!modules) return;
    for (const PulseClient::Module& module : *modules) {
        if (module.name != kModule || module.argument.find(kRole) == std::string::npos ||
            argumentValue(module.argument, "source") != m_source)
            continue;
        if (m_loopback) {
            // A second one only doubles the sound.
            if (!m_client.unloadModule(module.index, deadline))
                debugLog("a second monitor could not be removed");
            continue;
        }
        m_loopback = module.index;
    }
    if (const auto stream = loopbackStream(deadline))
        m_level = static_cast<double>(stream->volume) / PA_VOLUME_NORM;
}

void HeadsetMonitor::refresh(Deadline deadline) {
    if (m_loopback && m_client.moduleLoaded(*m_loopback, deadline) == false) m_loopback.reset();
}

std::optional<HeadsetMonitor::Range> HeadsetMonitor::range() const {
    if (m_card) {
        const auto range = m_card->range();
        if (!range) return std::nullopt;
        return Range{range->minDb, range->maxDb, range->stepDb};
    }
    if (m_sink.empty()) return std::nullopt;
    return kLoopbackRange;
}

std::optional<PulseClient::Stream> HeadsetMonitor::loopbackStream(Deadline deadline) {
    if (!m_loopback) return std::nullopt;
    const auto streams = m_client.streams(deadline);
    if (!streams) return std::nullopt;
    const auto it = std::find_if(streams->begin(), streams->end(),
                                 [this](const auto& s) { return s.ownerModule == *m_loopback; });
    if (it == streams->end()) return std::nullopt;
    return *it;
}

// PipeWire's pulse server answers a module's load before the loopback's stream exists: the stream is asked
// for again, in short steps, until it is there or the call's time is up.
std::optional<PulseClient::Stream> HeadsetMonitor::newLoopbackStream(Deadline deadline) {
    std::optional<PulseClient::Stream> found;
    const bool shown = m_client.awaitChange(
        PulseClient::Watched::Streams,
        [this, &found, deadline]() -> std::optional<bool> {
            found = loopbackStream(deadline);
            return found.has_value();
        },
        deadline);
    return shown ? found : std::nullopt;
}

std::optional<bool> HeadsetMonitor::muted(Deadline deadline) {
    if (m_card) return m_card->muted();
    if (m_sink.empty() || !m_client.connect(deadline)) return std::nullopt;
    return !m_loopback.has_value();
}

bool HeadsetMonitor::setMuted(bool muted, Deadline deadline) {
    if (m_card) return m_card->setMuted(muted);
    if (m_sink.empty()) return false;
    if (muted) {
        if (!m_loopback) return true;
        if (!m_client.unloadModule(*m_loopback, deadline)) return false;
        m_loopback.reset();
        return true;
    }
    if (m_loopback) return true;
    // Louder than asked is worse than no monitor: without a level there is nothing to load it at.
    if (!m_level || !plainArgument(m_source) || !plainArgument(m_sink)) return false;
    const std::string argument = "source=" + m_source + " sink=" + m_sink +
                                 " latency_msec=20 source_dont_move=true sink_dont_move=true"
                                 " sink_input_properties='media.name=\"Headset monitor\" " +
                                 std::string(kRole) + "'";
    const auto module = m_client.loadModule(kModule, argument, deadline);
    if (!module) return false;
    m_loopback = *module;
    if (const auto stream = newLoopbackStream(deadline);
        !stream || !m_client.setStreamVolume(stream->index, stream->channels, volumeOf(*m_level), deadline)) {
        if (!m_client.unloadModule(*m_loopback, deadline))
            debugLog("a monitor without its level stays loaded");
        m_loopback.reset();
        return false;
    }
    return true;
}

std::optional<double> HeadsetMonitor::level(Deadline deadline) {
    if (m_card) return m_card->level();
    if (m_sink.empty() || !m_client.connect(deadline)) return std::nullopt;
    if (!m_loopback) return m_level;
    // Loaded, the stream's volume is the level (whoever changed it).
    const auto stream = loopbackStream(deadline);
    if (!stream) return std::nullopt;
    m_level = static_cast<double>(stream->volume) / PA_VOLUME_NORM;
    return m_level;
}

bool HeadsetMonitor::setLevel(double share, Deadline deadline) {
    share = std::clamp(share, 0.0, 1.0);
    if (m_card) return m_card->setLevel(share);
    if (m_sink.empty()) return false;
    if (m_loopback) {
        const auto stream = loopbackStream(deadline);
        if (!stream || !m_client.setStreamVolume(stream->index, stream->channels, volumeOf(share), deadline))
            return false;
    }
    m_level = share;
    return true;
}

std::optional<double> HeadsetMonitor::levelDb(Deadline deadline) {
    if (m_card) return m_card->levelDb();
    const auto share = level(deadline);
    if (!share) return std::nullopt;
    return decibelsOf(volumeOf(*share));
}

}  // namespace halvern::audio
