#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "devices/headset_eq.h"
#include "devices/linux_audio/equaliser_plugin.h"
#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// The equaliser in front of the headset's sink: a filter sink of the sound server (module-ladspa-sink
/// with the plugin of EqualiserPlugin) whose master is the headset's sink. While it is on, the programs
/// that played on the headset play on it, and it is the default output when the headset was.
///
/// A change of a band loads a new filter sink beside the old one, moves the programs over and unloads the
/// old one, so nothing plays unequalised in between and no module is left behind. The filter sink stays
/// when the program ends; the next start takes it over.
class HeadsetEqualiser {
public:
    static constexpr int kBands = EqualiserPlugin::kBands;
    static constexpr int kMinGain = headset_eq::kBandMin;  ///< dB, the page's band range
    static constexpr int kMaxGain = headset_eq::kBandMax;
    static constexpr std::string_view kRole = "halvern.role=equaliser";
    using Bands = std::array<int, kBands>;
    using Deadline = PulseClient::Deadline;

    /// `master`: the headset sink's name; `rate`: its sample rate.
    HeadsetEqualiser(PulseClient& client, std::string master, uint32_t rate);

    /// Takes over the filter sink that an earlier run left in front of the master (its bands, and on).
    void adopt(Deadline deadline);
    /// Catches up with the server: unloads the filter sinks whose unloading failed before (a server that
    /// was too slow), and forgets the filter sink when it went (its master went, or the server restarted).
    void refresh(Deadline deadline);
    /// Whether the plugin is there to run (checked in this process).
    [[nodiscard]] bool available() const { return m_plugin.has_value(); }

    [[nodiscard]] const std::string& master() const { return m_master; }
    [[nodiscard]] bool on() const { return m_module.has_value(); }
    [[nodiscard]] int band(int index) const;
    /// The filter sink's name while it is on.
    [[nodiscard]] std::optional<std::string> sinkName() const;

    [[nodiscard]] bool setOn(bool on, Deadline deadline);
    /// Sets one band's gain in dB (held to kMinGain … kMaxGain); the filter is reloaded when on.
    [[nodiscard]] bool setBand(int index, int gain, Deadline deadline);
    /// Sets every band and on or off as one change: the filter is loaded at most once.
    [[nodiscard]] bool set(Bands bands, bool on, Deadline deadline);
    [[nodiscard]] const Bands& bands() const { return m_bands; }
    /// Puts the filter in front of another sink (virtual surround came or went); a filter that is on is
    /// reloaded there and the programs on it follow.
    [[nodiscard]] bool retarget(std::string master, Deadline deadline);

private:
    struct Loaded {
        uint32_t module;
        std::string sink;
    };
    [[nodiscard]] std::optional<Loaded> load(const Bands& bands, Deadline deadline);
    /// New bands (held to the range); a filter that is on is reloaded once.
    [[nodiscard]] bool setBands(Bands bands, Deadline deadline);
    void moveStreams(const std::string& from, const std::string& to, Deadline deadline);
    [[nodiscard]] std::string argumentFor(const std::string& sink, const Bands& bands) const;

    PulseClient& m_client;
    std::string m_master;
    uint32_t m_rate;
    std::optional<EqualiserPlugin> m_plugin;
    Bands m_bands{};
    std::optional<Loaded> m_module;
    std::vector<uint32_t> m_stale;
};

}  // namespace halvern::audio
