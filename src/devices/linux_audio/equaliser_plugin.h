#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace halvern::audio {

/// The equaliser plugin that the headset's filter sink runs in the sound server: the LADSPA parametric
/// equaliser of Debian's LSP plugins (lsp-plugins-ladspa, "para_equalizer_x16_stereo"), ten of its
/// filters used as bells at the band centres 31.25 Hz × 2^i, one octave wide, in series, with no latency
/// (its IIR mode).
///
/// Neighbouring bells overlap, so a bell's own gain is not the gain heard at its centre. The plugin is
/// therefore also loaded here and run on impulses, and the bells' gains are fitted until the response at
/// the ten centres is the one asked for. Not thread-safe (it keeps a plugin instance and what it learnt).
class EqualiserPlugin {
public:
    static constexpr int kBands = 10;
    static constexpr double kLowestCentre = 31.25;  ///< Hz; each further band doubles it
    static constexpr float kMinControl = -36.0f;    ///< dB, the plugin's own gain range
    static constexpr float kMaxControl = 36.0f;
    static constexpr float kQuality = 1.41f;     ///< one octave between the -3 dB points
    using Gains = std::array<double, kBands>;    ///< dB per band
    using Controls = std::array<float, kBands>;  ///< the bells' gains in dB

    /// The plugin, when its library can be found (LADSPA_PATH, else the usual folders).
    [[nodiscard]] static std::optional<EqualiserPlugin> load();
    ~EqualiserPlugin();
    EqualiserPlugin(EqualiserPlugin&&) noexcept;
    EqualiserPlugin& operator=(EqualiserPlugin&&) noexcept;

    /// The bell gains whose response at the band centres is `gains` (as close as the plugin's range
    /// allows), at `rate` samples a second.
    [[nodiscard]] Controls controlsFor(const Gains& gains, double rate) const;
    /// The response in dB at the band centres with `controls`.
    [[nodiscard]] Gains response(const Controls& controls, double rate) const;

    /// The module arguments naming the plugin for module-ladspa-sink: "plugin=... label=... control=..."
    /// with a value for every control input of the plugin.
    [[nodiscard]] std::string moduleArguments(const Controls& controls) const;

    struct Library;

private:
    explicit EqualiserPlugin(std::unique_ptr<Library> library);
    /// The response's slopes (dB heard per dB of each bell) at the centres, learnt once per rate.
    [[nodiscard]] const std::array<Gains, kBands>& slopesFor(double rate) const;
    /// The response of one bell at `control` dB, the others flat.
    [[nodiscard]] Gains alone(int band, float control, double rate) const;

    std::unique_ptr<Library> m_library;
};

}  // namespace halvern::audio
