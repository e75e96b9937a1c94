#include "devices/linux_audio/linux_audio_library.h"

#include <pulse/volume.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "device/debug_sink.h"
#include "devices/linux_audio/filter_routing.h"
#include "devices/linux_audio/headset_equaliser.h"
#include "devices/linux_audio/headset_monitor.h"
#include "devices/linux_audio/headset_noise.h"
#include "devices/linux_audio/headset_surround.h"
#include "devices/linux_audio/headset_voice.h"
#include "devices/linux_audio/pulse_client.h"
#include "devices/linux_audio/pulse_device_watch.h"

namespace halvern::audio {
namespace {

using Deadline = PulseClient::Deadline;

constexpr auto kCallTime = std::chrono::milliseconds(1000);
constexpr uint32_t kVendor = 0x0C76;
constexpr uint32_t kProduct = 0x1630;
constexpr int32_t kPlaybackType = 1;
constexpr int32_t kRecordingType = 2;
constexpr int32_t kPresent = 1;
constexpr int kFailed = -1;
// The microphone's level in dB as the page shows it: software volume from -60 dB (silence) to 0 dB.
constexpr double kMicMinDb = -60.0;
constexpr double kMicMaxDb = 0.0;
constexpr double kMicStepDb = 1.0;

enum class Side { Playback, Recording, Either };
enum class Act {
    Features,
    MicVolumeDb,
    MicLevel,
    MicMute,
    MicMaxDb,
    MicMinDb,
    MicStepDb,
    MonitorVolumeDb,
    MonitorLevel,
    MonitorMute,
    MonitorMaxDb,
    MonitorMinDb,
    MonitorStepDb,
    EqOn,
    EqBand,
    SurroundOn,
    NoiseOn,
    VoiceOn,
    VoiceType,
    MicEcho,      ///< the microphone echo effect: there is none, so it is always off
    Unavailable,  ///< no sound processing for it on this system
};
struct Property {
    std::wstring_view name;
    Side side;
    Act act;
    int band = 0;
};

constexpr std::array<Property, 32> kProperties{{
    {L"GetSupportFeature", Side::Either, Act::Features},
    {L"GetMaxVol", Side::Recording, Act::MicMaxDb},
    {L"GetMinVol", Side::Recording, Act::MicMinDb},
    {L"GetVolStep", Side::Recording, Act::MicStepDb},
    {L"VolumeControl", Side::Recording, Act::MicVolumeDb},
    {L"VolumeScalarControl", Side::Recording, Act::MicLevel},
    {L"MuteControl", Side::Recording, Act::MicMute},
    {L"GetAAMaxVol", Side::Recording, Act::MonitorMaxDb},
    {L"GetAAMinVol", Side::Recording, Act::MonitorMinDb},
    {L"GetAAVolStep", Side::Recording, Act::MonitorStepDb},
    {L"AAVolumeControl", Side::Recording, Act::MonitorVolumeDb},
    {L"AAVolumeScalarControl", Side::Recording, Act::MonitorLevel},
    {L"AAMuteControl", Side::Recording, Act::MonitorMute},
    {L"Enable_EQ_GFX", Side::Playback, Act::EqOn},
    {L"EQ_Slider1", Side::Playback, Act::EqBand, 0},
    {L"EQ_Slider2", Side::Playback, Act::EqBand, 1},
    {L"EQ_Slider3", Side::Playback, Act::EqBand, 2},
    {L"EQ_Slider4", Side::Playback, Act::EqBand, 3},
    {L"EQ_Slider5", Side::Playback, Act::EqBand, 4},
    {L"EQ_Slider6", Side::Playback, Act::EqBand, 5},
    {L"EQ_Slider7", Side::Playback, Act::EqBand, 6},
    {L"EQ_Slider8", Side::Playback, Act::EqBand, 7},
    {L"EQ_Slider9", Side::Playback, Act::EqBand, 8},
    {L"EQ_Slider10", Side::Playback, Act::EqBand, 9},
    {L"VirtualSurroundEffectControl", Side::Playback, Act::SurroundOn},
    {L"Enable_RFX_GFX", Side::Playback, Act::Unavailable},
    {L"RFX_ENVIRONMENT", Side::Playback, Act::Unavailable},
    {L"RFX_ROOMSIZE", Side::Playback, Act::Unavailable},
    {L"Enable_ENC_LFX", Side::Recording, Act::NoiseOn},
    {L"Enable_MAGICVOICE", Side::Recording, Act::VoiceOn},
    {L"MagicVoice_Selection", Side::Recording, Act::VoiceType},
    {L"Enable_MICECHO", Side::Recording, Act::MicEcho},
}};

const Property* findProperty(std::wstring_view name) {
    const auto it = std::find_if(kProperties.begin(), kProperties.end(),
                                 [name](const Property& p) { return p.name == name; });
    return it == kProperties.end() ? nullptr : &*it;
}

// A USB identity as the server's properties give it: "0c76", "0x0C76".
std::optional<uint32_t> hexNumber(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view property(const PulseClient::Node& node, const std::string& key) {
    const auto it = node.properties.find(key);
    return it == node.properties.end() ? std::string_view() : std::string_view(it->second);
}

// The ALSA card of a sink or source (PulseAudio: "alsa.card", PipeWire: "api.alsa.card"); -1 when none.
int cardOf(const PulseClient::Node& node) {
    for (const char* key : {"alsa.card", "api.alsa.card"}) {
        const std::string_view text = property(node, key);
        int card = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), card);
        constexpr int kMostCards = 64;
        if (error == std::errc() && end == text.data() + text.size() && card >= 0 && card < kMostCards)
            return card;
    }
    return -1;
}

// The USB identity of an ALSA card from sysfs (its interface's parent is the USB device), for a server
// that does not copy it into the sink's properties.
std::optional<uint32_t> sysfsNumber(int card, const char* file) {
    std::ifstream in("/sys/class/sound/card" + std::to_string(card) + "/device/../" + file);
    std::array<char, 16> text{};
    if (!in.getline(text.data(), static_cast<std::streamsize>(text.size()))) return std::nullopt;
    return hexNumber(std::string_view(text.data()));
}

// A sink or source with the headset's identity (from its properties, else from its ALSA card); not a
// monitor, nor one of our own filters.
bool isHeadset(const PulseClient::Node& node) {
    if (node.monitorOf != PulseClient::kNoIndex || property(node, "device.class") == "monitor" ||
        node.properties.contains("halvern.role"))
        return false;
    const std::string_view vendor = property(node, "device.vendor.id");
    const std::string_view product = property(node, "device.product.id");
    if (!vendor.empty() || !product.empty())
        return hexNumber(vendor) == kVendor && hexNumber(product) == kProduct;
    const int card = cardOf(node);
    return card >= 0 && sysfsNumber(card, "idVendor") == kVendor &&
           sysfsNumber(card, "idProduct") == kProduct;
}

std::string decimal(double value) {
    std::array<char, 48> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 2);
    return error == std::errc() ? std::string(text.data(), end) : std::string("0.00");
}

uint32_t volumeOfShare(double share) {
    return static_cast<uint32_t>(std::lround(std::clamp(share, 0.0, 1.0) * PA_VOLUME_NORM));
}

double decibelsOf(uint32_t volume) {
    return std::clamp(pa_sw_volume_to_dB(volume), kMicMinDb, kMicMaxDb);
}

}  // namespace

struct LinuxAudioLibrary::State {
    struct Device {
        int32_t handle;
        Direction direction;
        std::string name;
        int card;
        uint32_t rate;
    };

    PulseClient client;
    std::vector<Device> devices;  ///< every device seen, so a handle keeps meaning the same device
    std::array<std::vector<int32_t>, 2> listed;  ///< the handles present now, by direction
    std::optional<HeadsetEqualiser> equaliser;
    std::string equaliserHeadset;  ///< the headset sink the equaliser (and surround) belong to
    std::optional<HeadsetMonitor> monitor;
    std::optional<HeadsetSurround> surround;
    std::optional<HeadsetNoise> noise;
    std::optional<HeadsetVoice> voice;
    bool pipewire = false;  ///< PipeWire's pulse server: virtual surround is a filter chain of ours there

    std::vector<int32_t>& list(Direction d) { return listed[d == Direction::Playback ? 0 : 1]; }

    [[nodiscard]] const Device* device(const DeviceRecord& record) const {
        const auto it = std::find_if(devices.begin(), devices.end(),
                                     [&record](const Device& d) { return d.handle == record.handle; });
        return it == devices.end() ? nullptr : &*it;
    }

    int32_t handleFor(Direction direction, const PulseClient::Node& node) {
        for (Device& d : devices) {
            if (d.direction == direction && d.name == node.name) {
                d.card = cardOf(node);
                d.rate = node.rate;
                return d.handle;
            }
        }
        const auto handle = static_cast<int32_t>(devices.size() + 1);
        devices.push_back({handle, direction, node.name, cardOf(node), node.rate});
        return handle;
    }

    const Device* first(Direction direction) {
        const auto& handles = list(direction);
        return handles.empty() ? nullptr : device(DeviceRecord{handles.front(), 0, 0, 0});
    }

    // The filters follow the headset's first sink and source. In front of the sink: programs → equaliser
    // → virtual surround → headset; behind the source: headset → noise suppression → voice changer →
    // programs.
    void bindProcessing(Deadline deadline) {
        const Device* sink = first(Direction::Playback);
        const Device* source = first(Direction::Recording);
        pipewire = client.serverName(deadline).value_or("").find("PipeWire") != std::string::npos;
        if (!sink) {
            equaliser.reset();
            surround.reset();
            equaliserHeadset.clear();
        } else if (!equaliser || equaliserHeadset != sink->name) {
            surround.emplace(client, surroundKind(), sink->name, sink->rate);
            surround->adopt(deadline);
            equaliser.emplace(client, surround->on() ? std::string(HeadsetSurround::kSink) : sink->name,
                              sink->rate);
            equaliser->adopt(deadline);
            equaliserHeadset = sink->name;
        }
        if (!source) {
            monitor.reset();
        } else if (!monitor || monitor->source() != source->name ||
                   monitor->sink() != (sink ? sink->name : "")) {
            const int card = source->card >= 0 ? source->card : (sink ? sink->card : -1);
            monitor.emplace(client, source->name, sink ? sink->name : "", CardSidetone::find(card));
            monitor->adopt(deadline);
        }
        if (!source) {
            noise.reset();
            voice.reset();
        } else if (!noise || noise->microphone() != source->name ||
                   noise->sink() != (sink ? sink->name : "")) {
            noise.emplace(client, source->name, sink ? sink->name : "");
            noise->adopt(deadline);
            voice.emplace(client, microphoneOutlet());
            voice->adopt(deadline);
            if (!voice->setInput(microphoneOutlet(), deadline)) debugLog("the voice changer lost its input");
        }
    }

    [[nodiscard]] HeadsetSurround::Kind surroundKind() const {
        return pipewire ? HeadsetSurround::Kind::FilterChain : HeadsetSurround::Kind::ServerModule;
    }

    // A surround that ends with the program takes the programs (and the equaliser) back to the headset.
    void end() {
        if (!surround || !equaliser || !surround->endsWithProgram() || !surround->on()) return;
        if (!setSurround(false, PulseClient::Clock::now() + kCallTime))
            debugLog("the virtual surround could not hand the headset back");
    }

    // The source the voice changer listens to: the cleaned microphone while noise suppression is on.
    [[nodiscard]] std::string microphoneOutlet() const {
        return noise->on() ? std::string(HeadsetNoise::kSource) : noise->microphone();
    }

    // Catches up with modules that went behind our back (a server restart, a source that went).
    void refreshFilters(Deadline deadline) {
        if (surround && equaliser) {
            surround->refresh(deadline);
            equaliser->refresh(deadline);
            const std::string master =
                surround->on() ? std::string(HeadsetSurround::kSink) : equaliserHeadset;
            if (!equaliser->retarget(master, deadline))
                debugLog("the equaliser could not follow the surround");
        }
        if (noise && voice) {
            noise->refresh(deadline);
            voice->refresh(deadline);
            if (!voice->setInput(microphoneOutlet(), deadline)) debugLog("the voice changer lost its input");
        }
    }

    // Noise suppression on or off; the voice changer (or, without it, the recording programs and the
    // default input) follow its source.
    bool setNoise(bool on, Deadline deadline) {
        if (on == noise->on()) return true;
        const std::string before = microphoneOutlet();
        if (on && !noise->load(deadline)) return false;
        const std::string after = on ? std::string(HeadsetNoise::kSource) : noise->microphone();
        if (!voice->setInput(after, deadline)) {
            if (on && !noise->unload(deadline)) debugLog("a noise suppression nobody records stays loaded");
            return false;
        }
        if (!voice->on()) moveRecording(client, before, after, deadline);
        return on || noise->unload(deadline);
    }

    // Virtual surround on or off; the equaliser (or the programs) in front of it follow.
    bool setSurround(bool on, Deadline deadline) {
        if (on == surround->on()) return true;
        if (on) {
            if (!surround->load(deadline)) return false;
            if (equaliser->on()) {
                if (equaliser->retarget(std::string(HeadsetSurround::kSink), deadline)) return true;
                if (!surround->unload(deadline)) debugLog("a virtual surround nobody plays to stays loaded");
                return false;
            }
            if (!equaliser->retarget(std::string(HeadsetSurround::kSink), deadline)) return false;
            movePlayback(client, equaliserHeadset, std::string(HeadsetSurround::kSink), deadline);
            return true;
        }
        if (!equaliser->retarget(equaliserHeadset, deadline)) return false;
        if (!equaliser->on())
            movePlayback(client, std::string(HeadsetSurround::kSink), equaliserHeadset, deadline);
        return surround->unload(deadline);
    }

    [[nodiscard]] bool acts(const Property& p) const {
        switch (p.act) {
            case Act::Unavailable:
                return false;
            case Act::SurroundOn:
                return surround && HeadsetSurround::available(surroundKind());
            case Act::NoiseOn:
            case Act::MicEcho:
                return noise.has_value();
            case Act::VoiceOn:
            case Act::VoiceType:
                return voice && HeadsetVoice::available();
            case Act::EqOn:
            case Act::EqBand:
                return equaliser && equaliser->available();
            case Act::MonitorVolumeDb:
            case Act::MonitorLevel:
            case Act::MonitorMute:
            case Act::MonitorMaxDb:
            case Act::MonitorMinDb:
            case Act::MonitorStepDb:
                return monitor && monitor->available();
            default:
                return true;
        }
    }

    // Items: 0 equaliser, 1 microphone, 2 monitor, 3 environment, 4 virtual surround, 5 noise reduction,
    // 6 voice effects; 1 where it acts.
    [[nodiscard]] std::string features() const {
        const auto flag = [this](std::wstring_view name) { return acts(*findProperty(name)) ? '1' : '0'; };
        const std::array<char, 7> items{flag(L"Enable_EQ_GFX"),
                                        '1',
                                        flag(L"AAMuteControl"),
                                        flag(L"Enable_RFX_GFX"),
                                        flag(L"VirtualSurroundEffectControl"),
                                        flag(L"Enable_ENC_LFX"),
                                        flag(L"Enable_MAGICVOICE")};
        std::string list;
        for (const char item : items) {
            if (!list.empty()) list += ',';
            list += item;
        }
        return list;
    }

    std::optional<std::string> read(const Property& p, const Device& d, Deadline deadline) {
        switch (p.act) {
            case Act::Features:
                return features();
            case Act::MicMaxDb:
                return decimal(kMicMaxDb);
            case Act::MicMinDb:
                return decimal(kMicMinDb);
            case Act::MicStepDb:
                return decimal(kMicStepDb);
            case Act::MicVolumeDb:
            case Act::MicLevel:
            case Act::MicMute: {
                const auto node = client.source(d.name, deadline);
                if (!node) return std::nullopt;
                if (p.act == Act::MicMute) return std::string(node->mute ? "1" : "0");
                if (p.act == Act::MicLevel)
                    return decimal(static_cast<double>(node->volume) / PA_VOLUME_NORM);
                return decimal(decibelsOf(node->volume));
            }
            case Act::MonitorMaxDb:
            case Act::MonitorMinDb:
            case Act::MonitorStepDb: {
                const auto range = monitor->range();
                if (!range) return std::nullopt;
                return decimal(p.act == Act::MonitorMaxDb   ? range->maxDb
                               : p.act == Act::MonitorMinDb ? range->minDb
                                                            : range->stepDb);
            }
            case Act::MonitorVolumeDb: {
                const auto db = monitor->levelDb(deadline);
                return db ? std::optional(decimal(*db)) : std::nullopt;
            }
            case Act::MonitorLevel: {
                const auto share = monitor->level(deadline);
                return share ? std::optional(decimal(*share)) : std::nullopt;
            }
            case Act::MonitorMute: {
                const auto muted = monitor->muted(deadline);
                return muted ? std::optional(std::string(*muted ? "1" : "0")) : std::nullopt;
            }
            case Act::EqOn:
                return std::string(equaliser->on() ? "1" : "0");
            case Act::EqBand:
                return std::to_string(equaliser->band(p.band));
            case Act::SurroundOn:
                return std::string(surround->on() ? "1" : "0");
            case Act::NoiseOn:
                return std::string(noise->on() ? "1" : "0");
            case Act::VoiceOn:
                return std::string(voice->on() ? "1" : "0");
            case Act::VoiceType: {
                const auto chosen = voice->voice();
                return chosen ? std::optional(std::to_string(*chosen)) : std::nullopt;
            }
            case Act::MicEcho:
                return std::string("0");
            case Act::Unavailable:
                break;
        }
        return std::nullopt;
    }

    // A batch of equaliser properties on the equaliser's sink as one change; nothing when the batch holds
    // anything else.
    std::optional<int> writeEqualiser(const DeviceRecord& record, std::span<PropertyWrite> writes,
                                      Deadline deadline) {
        const Device* d = device(record);
        if (d == nullptr || d->direction != Direction::Playback || writes.empty()) return std::nullopt;
        for (const PropertyWrite& w : writes) {
            const Property* p = findProperty(w.name);
            if (p == nullptr || (p->act != Act::EqOn && p->act != Act::EqBand)) return std::nullopt;
        }
        if (!acts(*findProperty(L"Enable_EQ_GFX"))) return kPropertyNotAvailable;
        if (equaliserHeadset != d->name) return kFailed;
        equaliser->refresh(deadline);
        HeadsetEqualiser::Bands bands = equaliser->bands();
        bool on = equaliser->on();
        for (const PropertyWrite& w : writes) {
            const Property& p = *findProperty(w.name);
            if (p.act == Act::EqOn)
                on = w.value.integer() != 0;
            else
                bands[static_cast<size_t>(p.band)] = w.value.integer();
        }
        return equaliser->set(bands, on, deadline) ? 0 : kFailed;
    }

    bool write(const Property& p, const Device& d, const PropertyValue& value, Deadline deadline) {
        const float share = value.floating();
        switch (p.act) {
            case Act::MicVolumeDb:
            case Act::MicLevel: {
                if (p.act == Act::MicLevel && !std::isfinite(share)) return false;
                const auto node = client.source(d.name, deadline);
                const uint32_t volume =
                    p.act == Act::MicLevel
                        ? volumeOfShare(share)
                        : pa_sw_volume_from_dB(std::clamp<double>(value.integer(), kMicMinDb, kMicMaxDb));
                return node && client.setSourceVolume(d.name, node->channels, volume, deadline);
            }
            case Act::MicMute:
                return client.setSourceMute(d.name, value.integer() != 0, deadline);
            case Act::MonitorMute:
                return monitor->setMuted(value.integer() != 0, deadline);
            case Act::MonitorLevel:
                return std::isfinite(share) && monitor->setLevel(share, deadline);
            case Act::EqOn:
                return equaliser->setOn(value.integer() != 0, deadline);
            case Act::EqBand:
                return equaliser->setBand(p.band, value.integer(), deadline);
            case Act::SurroundOn:
                return setSurround(value.integer() != 0, deadline);
            case Act::NoiseOn:
                return setNoise(value.integer() != 0, deadline);
            case Act::VoiceOn:
                return voice->setOn(value.integer() != 0, deadline);
            case Act::VoiceType:
                return voice->setVoice(value.integer(), deadline);
            case Act::MicEcho:
                return value.integer() == 0;  // off is all there is
            default:
                return false;  // read-only
        }
    }
};

LinuxAudioLibrary::LinuxAudioLibrary() : m_state(std::make_unique<State>()) {}
LinuxAudioLibrary::~LinuxAudioLibrary() {
    m_watch.reset();
    std::scoped_lock lock(m_mutex);
    m_state->end();
}

void LinuxAudioLibrary::WatchDevices(std::function<void()> changed) {
    m_watch.reset();
    if (changed) m_watch = std::make_unique<PulseDeviceWatch>(std::move(changed));
}

bool LinuxAudioLibrary::EndsWithLibrary(std::wstring_view name) {
    std::scoped_lock lock(m_mutex);
    return name == L"VirtualSurroundEffectControl" &&
           m_state->surroundKind() == HeadsetSurround::Kind::FilterChain;
}

int LinuxAudioLibrary::ConfLibInit() {
    std::scoped_lock lock(m_mutex);
    return m_state->client.connect(PulseClient::Clock::now() + kCallTime) ? 0 : kFailed;
}

int LinuxAudioLibrary::CreateDeviceList() {
    std::scoped_lock lock(m_mutex);
    State& s = *m_state;
    const Deadline deadline = PulseClient::Clock::now() + kCallTime;
    for (const Direction direction : {Direction::Playback, Direction::Recording}) {
        s.list(direction).clear();
        const auto nodes =
            direction == Direction::Playback ? s.client.sinks(deadline) : s.client.sources(deadline);
        if (!nodes) continue;
        for (const PulseClient::Node& node : *nodes) {
            if (isHeadset(node)) s.list(direction).push_back(s.handleFor(direction, node));
        }
    }
    s.bindProcessing(deadline);
    return 0;
}

int LinuxAudioLibrary::GetDeviceCount(Direction direction, uint32_t& count) {
    std::scoped_lock lock(m_mutex);
    count = static_cast<uint32_t>(m_state->list(direction).size());
    return 0;
}

int LinuxAudioLibrary::GetDeviceById(Direction direction, uint32_t index, DeviceRecord& device) {
    std::scoped_lock lock(m_mutex);
    const auto& handles = m_state->list(direction);
    if (index >= handles.size()) return kFailed;
    device = DeviceRecord{handles[index], direction == Direction::Playback ? kPlaybackType : kRecordingType,
                          0, kPresent};
    return 0;
}

int LinuxAudioLibrary::WriteProperties(const DeviceRecord& device, std::span<PropertyWrite> writes) {
    {
        std::scoped_lock lock(m_mutex);
        const Deadline deadline = PulseClient::Clock::now() + kCallTime;
        if (const auto result = m_state->writeEqualiser(device, writes, deadline)) return *result;
    }
    return AudioConfigLibrary::WriteProperties(device, writes);
}

int LinuxAudioLibrary::PropertyControl(const DeviceRecord& device, std::wstring_view name,
                                       PropertyValue& value,
                                       std::span<const int32_t> /*parameters: every channel alike*/,
                                       Access access) {
    std::scoped_lock lock(m_mutex);
    State& s = *m_state;
    const Deadline deadline = PulseClient::Clock::now() + kCallTime;
    const State::Device* d = s.device(device);
    const Property* p = findProperty(name);
    if (access == Access::Read) value.clear();
    if (d == nullptr || p == nullptr) return kFailed;
    const bool playback = d->direction == Direction::Playback;
    if ((p->side == Side::Playback && !playback) || (p->side == Side::Recording && playback)) return kFailed;
    if (!s.acts(*p)) return kPropertyNotAvailable;
    // The equaliser and the monitor belong to the headset's first sink and source.
    if ((p->act == Act::EqOn || p->act == Act::EqBand) && s.equaliserHeadset != d->name) return kFailed;
    if (p->side == Side::Recording && s.monitor && s.monitor->source() != d->name &&
        p->act >= Act::MonitorVolumeDb && p->act <= Act::MonitorStepDb)
        return kFailed;
    if (p->act == Act::EqOn || p->act == Act::EqBand || p->act >= Act::SurroundOn) s.refreshFilters(deadline);
    if (p->act == Act::MonitorMute || p->act == Act::MonitorLevel || p->act == Act::MonitorVolumeDb)
        s.monitor->refresh(deadline);
    // Only "off" can be asked of the microphone echo, which does not exist here.
    if (p->act == Act::MicEcho && access == Access::Write && value.integer() != 0)
        return kPropertyNotAvailable;
    if (access == Access::Write) return s.write(*p, *d, value, deadline) ? 0 : kFailed;
    const auto text = s.read(*p, *d, deadline);
    if (!text) return kFailed;
    value.setText(*text);
    return 0;
}

}  // namespace halvern::audio
