#include "devices/linux_audio/headset_equaliser.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "device/debug_sink.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kModule = "module-ladspa-sink";
constexpr std::array<std::string_view, 2> kSinkNames{"halvern_headset_eq_1", "halvern_headset_eq_2"};

// "7,11,-2,..." from a filter sink an earlier run left: ten gains, each held to the range; nothing when
// the text is not that.
std::optional<HeadsetEqualiser::Bands> parseBands(std::string_view text) {
    HeadsetEqualiser::Bands bands{};
    for (int i = 0; i < HeadsetEqualiser::kBands; ++i) {
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc()) return std::nullopt;
        bands[i] = std::clamp(value, HeadsetEqualiser::kMinGain, HeadsetEqualiser::kMaxGain);
        text.remove_prefix(static_cast<size_t>(end - text.data()));
        if (i + 1 < HeadsetEqualiser::kBands) {
            if (text.empty() || text.front() != ',') return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty()) return std::nullopt;
    return bands;
}

}  // namespace

HeadsetEqualiser::HeadsetEqualiser(PulseClient& client, std::string master, uint32_t rate)
    : m_client(client), m_master(std::move(master)), m_rate(rate), m_plugin(EqualiserPlugin::load()) {}

int HeadsetEqualiser::band(int index) const {
    return index >= 0 && index < kBands ? m_bands[static_cast<size_t>(index)] : 0;
}

std::optional<std::string> HeadsetEqualiser::sinkName() const {
    if (!m_module) return std::nullopt;
    return m_module->sink;
}

void HeadsetEqualiser::adopt(Deadline deadline) {
    const auto modules = m_client.modules(deadline);
    if (!modules) return;
    for (const PulseClient::Module& module : *modules) {
        if (module.name != kModule || module.argument.find(kRole) == std::string::npos ||
            argumentValue(module.argument, "master") != m_master)
            continue;
        const auto sink = argumentValue(module.argument, "sink_name");
        const auto bands = parseBands(argumentValue(module.argument, "halvern.bands").value_or(""));
        if (m_module || !sink || !bands) {
            // A second one (left by a run that stopped half-way) or one we cannot read: not kept.
            if (!m_client.unloadModule(module.index, deadline))
                debugLog("an old equaliser could not be removed");
            continue;
        }
        m_bands = *bands;
        m_module = Loaded{module.index, *sink};
    }
}

std::string HeadsetEqualiser::argumentFor(const std::string& sink, const Bands& bands) const {
    EqualiserPlugin::Gains gains{};
    for (int i = 0; i < kBands; ++i) gains[i] = bands[i];
    std::string bandList;
    for (int i = 0; i < kBands; ++i) {
        if (i > 0) bandList += ',';
        bandList += std::to_string(bands[i]);
    }
    return "sink_name=" + sink + " master=" + m_master + " " +
           m_plugin->moduleArguments(m_plugin->controlsFor(gains, m_rate)) +
           " sink_properties='device.description=\"Headset equaliser\" " + std::string(kRole) +
           " halvern.bands=" + bandList + "'";
}

std::optional<HeadsetEqualiser::Loaded> HeadsetEqualiser::load(const Bands& bands, Deadline deadline) {
    if (!m_plugin || !plainArgument(m_master)) return std::nullopt;
    const std::string sink(m_module && m_module->sink == kSinkNames[0] ? kSinkNames[1] : kSinkNames[0]);
    const auto module = m_client.loadModule(kModule, argumentFor(sink, bands), deadline);
    if (!module) return std::nullopt;
    return Loaded{*module, sink};
}

void HeadsetEqualiser::moveStreams(const std::string& from, const std::string& to, Deadline deadline) {
    if (m_client.defaultSink(deadline) == from && !m_client.makeDefaultSink(to, deadline))
        debugLog("the default output could not follow the equaliser");
    const auto sinks = m_client.sinks(deadline);
    const auto streams = m_client.streams(deadline);
    if (!sinks || !streams) return;
    const auto source =
        std::find_if(sinks->begin(), sinks->end(), [&from](const auto& s) { return s.name == from; });
    if (source == sinks->end()) return;
    for (const PulseClient::Stream& stream : *streams) {
        // Streams of modules (the filter's own, the monitor's loopback) stay where they are.
        if (stream.sink != source->index || stream.ownerModule != PulseClient::kNoIndex) continue;
        if (!m_client.moveStream(stream.index, to, deadline))
            debugLog("a stream could not follow the equaliser");
    }
}

void HeadsetEqualiser::refresh(Deadline deadline) {
    std::erase_if(m_stale,
                  [this, deadline](uint32_t module) { return m_client.unloadModule(module, deadline); });
    if (m_module && m_client.moduleLoaded(m_module->module, deadline) == false) m_module.reset();
}

bool HeadsetEqualiser::setOn(bool on, Deadline deadline) {
    if (on == this->on()) return true;
    if (on) {
        const auto loaded = load(m_bands, deadline);
        if (!loaded) return false;
        moveStreams(m_master, loaded->sink, deadline);
        m_module = loaded;
        return true;
    }
    moveStreams(m_module->sink, m_master, deadline);
    if (!m_client.unloadModule(m_module->module, deadline)) return false;
    m_module.reset();
    return true;
}

bool HeadsetEqualiser::setBand(int index, int gain, Deadline deadline) {
    if (index < 0 || index >= kBands) return false;
    Bands bands = m_bands;
    bands[static_cast<size_t>(index)] = gain;
    return setBands(bands, deadline);
}

bool HeadsetEqualiser::set(Bands bands, bool on, Deadline deadline) {
    if (!on) return setOn(false, deadline) && setBands(bands, deadline);
    if (this->on()) return setBands(bands, deadline);
    // Off: the bands are only kept, and switching on loads the filter with them.
    const Bands before = m_bands;
    if (!setBands(bands, deadline)) return false;
    if (setOn(true, deadline)) return true;
    m_bands = before;
    return false;
}

bool HeadsetEqualiser::setBands(Bands bands, Deadline deadline) {
    for (int& gain : bands) gain = std::clamp(gain, kMinGain, kMaxGain);
    if (bands == m_bands) return true;
    if (!m_module) {
        m_bands = bands;  // heard once the equaliser is switched on
        return true;
    }
    const auto loaded = load(bands, deadline);
    if (!loaded) return false;
    moveStreams(m_module->sink, loaded->sink, deadline);
    if (!m_client.unloadModule(m_module->module, deadline)) m_stale.push_back(m_module->module);
    m_module = loaded;
    m_bands = bands;
    return true;
}

bool HeadsetEqualiser::retarget(std::string master, Deadline deadline) {
    if (master == m_master) return true;
    if (!m_module) {
        m_master = std::move(master);
        return true;
    }
    std::string before = std::exchange(m_master, std::move(master));
    const auto loaded = load(m_bands, deadline);
    if (!loaded) {
        m_master = std::move(before);
        return false;
    }
    moveStreams(m_module->sink, loaded->sink, deadline);
    if (!m_client.unloadModule(m_module->module, deadline)) m_stale.push_back(m_module->module);
    m_module = loaded;
    return true;
}

}  // namespace halvern::audio
