#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "devices/linux_audio/child_process.h"
#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// Virtual surround for the headset: a 7.1 sink "halvern_headset_surround" in front of the headset's sink
/// that renders each speaker for both ears with a measured HRTF (HrirFiles). Loading and unloading only:
/// which programs play through it is the caller's (the equaliser may sit in front of it).
///
/// On PulseAudio it is the server's module-virtual-surround-sink, which stays when the program ends (the
/// next start takes it over). PipeWire's pulse server has no such module; there it is a filter chain
/// (SurroundChain) run as a `pipewire -c` process of ours, which ends with this object or this process;
/// a start that finds one of another run takes it over (its process is found by its file), and ends
/// any second one.
class HeadsetSurround {
public:
    static constexpr std::string_view kSink = "halvern_headset_surround";
    using Deadline = PulseClient::Deadline;
    enum class Kind { ServerModule, FilterChain };

    /// `master`: the headset's sink; `rate`: its sample rate.
    HeadsetSurround(PulseClient& client, Kind kind, std::string master, uint32_t rate);
    ~HeadsetSurround();
    HeadsetSurround(const HeadsetSurround&) = delete;
    HeadsetSurround& operator=(const HeadsetSurround&) = delete;

    void adopt(Deadline deadline);
    /// Forgets a surround that went behind our back (unloaded, its process ended, the server restarted).
    void refresh(Deadline deadline);
    /// Whether it can be made here: a measured set installed, and on PipeWire the pipewire program.
    [[nodiscard]] static bool available(Kind kind);

    [[nodiscard]] bool on() const { return m_module.has_value() || m_chain || m_takenOver.has_value(); }
    /// Whether it goes when the program ends (the caller moves the programs back first).
    [[nodiscard]] bool endsWithProgram() const { return m_kind == Kind::FilterChain; }
    [[nodiscard]] const std::string& master() const { return m_master; }

    [[nodiscard]] bool load(Deadline deadline);
    [[nodiscard]] bool unload(Deadline deadline);

private:
    [[nodiscard]] uint32_t sinkRate(Deadline deadline);
    [[nodiscard]] bool loadModule(Deadline deadline);
    [[nodiscard]] bool startChain(Deadline deadline);
    void adoptChain(Deadline deadline);
    /// Ends the chain process (ours or taken over) and waits for its sink to go.
    [[nodiscard]] bool stopChain(Deadline deadline);

    PulseClient& m_client;
    Kind m_kind;
    std::string m_master;
    uint32_t m_rate;
    std::optional<uint32_t> m_module;
    std::unique_ptr<ChildProcess> m_chain;  ///< the chain process we started
    std::optional<pid_t> m_takenOver;       ///< or the one another run started
    std::string m_chainFile;                ///< the file the chain runs
};

}  // namespace halvern::audio
