#include "devices/linux_audio/headset_voice.h"

#include <algorithm>
#include <charconv>

#include "device/debug_sink.h"
#include "devices/linux_audio/filter_routing.h"
#include "devices/linux_audio/ladspa_folders.h"
#include "devices/linux_audio/module_arguments.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kPluginFile = "ladspa-rubberband.so";
// The module's parts, in loading order; unloaded the other way round.
enum Part : size_t { kBus, kShifter, kLoopback, kSource, kParts };
constexpr std::array<std::string_view, kParts> kModules{"module-null-sink", "module-ladspa-sink",
                                                        "module-loopback", "module-remap-source"};
constexpr std::array<std::string_view, kParts> kRoles{"voice-bus", "voice-shifter", "voice-loopback",
                                                      "voice"};

// Rubber Band's controls: cents, semitones, octaves, crispness (0-3), formant preserving (0/1), wet-dry
// mix (0: the shifted sound only).
struct Voice {
    int semitones;
    int octaves;
    bool keepFormants;
};
// The four voices, in the page's order: deep (lower, the throat grows with it), monster (an octave
// down), higher (the same speaker, higher), chipmunk (an octave up, the throat shrinks with it).
constexpr std::array<Voice, HeadsetVoice::kVoices> kVoices{{
    {-5, 0, false},
    {0, -1, false},
    {4, 0, true},
    {0, 1, false},
}};

std::string busName(int slot) {
    return "halvern_voice_bus_" + std::to_string(slot);
}
std::string shifterName(int slot) {
    return "halvern_voice_shifter_" + std::to_string(slot);
}
std::string voiceSourceName(int slot) {
    return "halvern_headset_voice_" + std::to_string(slot);
}

std::string role(Part part) {
    return "halvern.role=" + std::string(kRoles[part]);
}

std::string argumentFor(Part part, int slot, int voice, const std::string& input) {
    const std::string s = std::to_string(slot);
    switch (part) {
        case kBus:
            return "sink_name=" + busName(slot) +
                   " channels=1 sink_properties='device.description=\"Voice changer (internal)\" " +
                   role(part) + "'";
        case kShifter: {
            const Voice& v = kVoices[static_cast<size_t>(voice)];
            const std::string controls = "0," + std::to_string(v.semitones) + "," +
                                         std::to_string(v.octaves) + ",3," + (v.keepFormants ? "1" : "0") +
                                         ",0";
            return "sink_name=" + shifterName(slot) + " master=" + busName(slot) +
                   " channels=1 plugin=ladspa-rubberband label=rubberband-pitchshifter-mono control=" +
                   controls + " sink_properties='device.description=\"Voice changer (internal)\" " +
                   role(part) + " halvern.voice=" + std::to_string(voice) + "'";
        }
        case kLoopback:
            return "source=" + input + " sink=" + shifterName(slot) +
                   " latency_msec=20 source_dont_move=true sink_dont_move=true"
                   " sink_input_properties='media.name=\"Voice changer\" " +
                   role(part) + "'";
        case kSource:
            return "master=" + busName(slot) + ".monitor source_name=" + voiceSourceName(slot) +
                   " source_properties='device.description=\"Headset microphone, voice changer\" " +
                   role(part) + "'";
        case kParts:
            break;
    }
    return {};
}

// The slot (1 or 2) a name of ours ends with; 0 for anything else.
int slotOf(const std::optional<std::string>& name, const std::string& stem) {
    if (!name || !name->starts_with(stem) || name->size() != stem.size() + 1) return 0;
    const char last = name->back();
    return last == '1' || last == '2' ? last - '0' : 0;
}

}  // namespace

std::string HeadsetVoice::Chain::source() const {
    return voiceSourceName(slot);
}

HeadsetVoice::HeadsetVoice(PulseClient& client, std::string input)
    : m_client(client), m_input(std::move(input)) {}

bool HeadsetVoice::available() {
    return findLadspaLibrary(kPluginFile).has_value();
}

std::optional<std::string> HeadsetVoice::sourceName() const {
    if (!m_chain) return std::nullopt;
    return m_chain->source();
}

void HeadsetVoice::adopt(Deadline deadline) {
    const auto modules = m_client.modules(deadline);
    if (!modules) return;
    // The parts an earlier run left, by slot.
    std::array<Chain, 2> found{Chain{1}, Chain{2}};
    std::array<std::optional<int>, 2> voices{};
    std::array<std::string, 2> inputs{};
    std::vector<uint32_t> strays;
    for (const PulseClient::Module& module : *modules) {
        const auto part = std::find(kModules.begin(), kModules.end(), module.name);
        const auto moduleRole = argumentValue(module.argument, "halvern.role");
        if (part == kModules.end() || !moduleRole || !moduleRole->starts_with("voice")) continue;
        const auto p = static_cast<Part>(part - kModules.begin());
        if (*moduleRole != kRoles[p]) {
            strays.push_back(module.index);
            continue;
        }
        int slot = 0;
        switch (p) {
            case kBus:
                slot = slotOf(argumentValue(module.argument, "sink_name"), "halvern_voice_bus_");
                break;
            case kShifter:
                slot = slotOf(argumentValue(module.argument, "sink_name"), "halvern_voice_shifter_");
                break;
            case kLoopback:
                slot = slotOf(argumentValue(module.argument, "sink"), "halvern_voice_shifter_");
                break;
            case kSource:
                slot = slotOf(argumentValue(module.argument, "source_name"), "halvern_headset_voice_");
                break;
            case kParts:
                break;
        }
        if (slot == 0 || found[static_cast<size_t>(slot - 1)].modules[p] != PulseClient::kNoIndex) {
            strays.push_back(module.index);
            continue;
        }
        Chain& chain = found[static_cast<size_t>(slot - 1)];
        chain.modules[p] = module.index;
        if (p == kShifter) {
            int voice = -1;
            const std::string text = argumentValue(module.argument, "halvern.voice").value_or("");
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), voice);
            if (error == std::errc() && end == text.data() + text.size() && voice >= 0 && voice < kVoices)
                voices[static_cast<size_t>(slot - 1)] = voice;
        }
        if (p == kLoopback)
            inputs[static_cast<size_t>(slot - 1)] = argumentValue(module.argument, "source").value_or("");
    }
    for (size_t i = 0; i < found.size(); ++i) {
        const Chain& chain = found[i];
        const bool whole = std::none_of(chain.modules.begin(), chain.modules.end(),
                                        [](uint32_t m) { return m == PulseClient::kNoIndex; });
        if (whole && voices[i] && !m_chain) {
            m_chain = chain;
            m_voice = *voices[i];
            m_input = inputs[i];
        } else {
            unload(chain, deadline);
        }
    }
    for (const uint32_t module : strays) {
        if (!m_client.unloadModule(module, deadline))
            debugLog("an old voice changer part could not be removed");
    }
}

void HeadsetVoice::refresh(Deadline deadline) {
    if (!m_chain) return;
    const auto modules = m_client.modules(deadline);
    if (!modules) return;
    const bool whole = std::all_of(m_chain->modules.begin(), m_chain->modules.end(), [&modules](uint32_t m) {
        return std::any_of(modules->begin(), modules->end(),
                           [m](const auto& loaded) { return loaded.index == m; });
    });
    if (whole) return;
    // A part went (its input source went, say): the rest is of no use.
    unload(*m_chain, deadline);
    m_chain.reset();
}

std::optional<HeadsetVoice::Chain> HeadsetVoice::load(int voice, const std::string& input, int slot,
                                                      Deadline deadline) {
    if (!available() || !plainArgument(input)) return std::nullopt;
    Chain chain{slot};
    for (size_t p = 0; p < kParts; ++p) {
        const auto part = static_cast<Part>(p);
        const auto module = m_client.loadModule(kModules[p], argumentFor(part, slot, voice, input), deadline);
        if (!module) {
            unload(chain, deadline);
            return std::nullopt;
        }
        chain.modules[p] = *module;
    }
    return chain;
}

void HeadsetVoice::unload(const Chain& chain, Deadline deadline) {
    for (size_t p = kParts; p-- > 0;) {
        const uint32_t module = chain.modules[p];
        // A part may have gone with the one it fed (the server unloads a filter whose master went).
        if (module == PulseClient::kNoIndex || m_client.moduleLoaded(module, deadline) == false) continue;
        if (!m_client.unloadModule(module, deadline)) debugLog("a voice changer part could not be removed");
    }
}

bool HeadsetVoice::setOn(bool on, Deadline deadline) {
    if (on == this->on()) return true;
    if (on) {
        const auto chain = load(m_voice.value_or(0), m_input, 1, deadline);
        if (!chain) return false;
        moveRecording(m_client, m_input, chain->source(), deadline);
        m_chain = chain;
        return true;
    }
    moveRecording(m_client, m_chain->source(), m_input, deadline);
    unload(*m_chain, deadline);
    m_chain.reset();
    return true;
}

bool HeadsetVoice::replace(int voice, const std::string& input, Deadline deadline) {
    const auto chain = load(voice, input, m_chain->slot == 1 ? 2 : 1, deadline);
    if (!chain) return false;
    moveRecording(m_client, m_chain->source(), chain->source(), deadline);
    unload(*m_chain, deadline);
    m_chain = chain;
    m_voice = voice;
    m_input = input;
    return true;
}

bool HeadsetVoice::setVoice(int voice, Deadline deadline) {
    if (voice < 0 || voice >= kVoices) return false;
    if (voice == m_voice) return true;
    if (!m_chain) {
        m_voice = voice;  // heard once the voice changer is switched on
        return true;
    }
    return replace(voice, m_input, deadline);
}

bool HeadsetVoice::setInput(std::string input, Deadline deadline) {
    if (input == m_input) return true;
    if (!m_chain) {
        m_input = std::move(input);
        return true;
    }
    return replace(m_voice.value_or(0), input, deadline);
}

}  // namespace halvern::audio
