#pragma once

#include <array>
#include <complex>
#include <memory>
#include <optional>
#include <string>

namespace halvern::audio {

/// The 10-band equaliser plugin that the headset's filter sink runs in the sound server (the LADSPA plugin
/// "Eq10X2" of the "caps" collection: bands at 31.25 Hz × 2^i, controls in dB from −48 to +24).
///
/// Its bands are wide and overlap, so a control value is not the gain heard at its band's centre. The
/// plugin is therefore also loaded here and run on an impulse, to find the control values whose response
/// at the ten centres is closest to the wanted gains. Not thread-safe (it keeps what it worked out).
class EqualiserPlugin {
public:
    static constexpr int kBands = 10;
    static constexpr double kLowestCentre = 31.25;  ///< Hz; each further band doubles it
    static constexpr float kMinControl = -48.0f;
    static constexpr float kMaxControl = 24.0f;
    using Gains = std::array<double, kBands>;    ///< dB per band
    using Controls = std::array<float, kBands>;  ///< the plugin's control values

    /// The plugin, when its library can be found (LADSPA_PATH, else the usual folders).
    [[nodiscard]] static std::optional<EqualiserPlugin> load();
    ~EqualiserPlugin();
    EqualiserPlugin(EqualiserPlugin&&) noexcept;
    EqualiserPlugin& operator=(EqualiserPlugin&&) noexcept;

    /// The control values that come closest to `gains` at the band centres, at `rate` samples a second.
    [[nodiscard]] Controls controlsFor(const Gains& gains, double rate) const;
    /// The response in dB at the band centres with `controls`.
    [[nodiscard]] Gains response(const Controls& controls, double rate) const;

    struct Library;

private:
    using Spectrum = std::array<std::complex<double>, kBands>;
    /// Each band's own response at the centres (bands[band][centre]), at one rate.
    struct BandModel {
        double rate;
        std::array<Spectrum, kBands> bands;
    };

    explicit EqualiserPlugin(std::unique_ptr<Library> library);
    /// The impulse response's spectrum at the band centres.
    [[nodiscard]] Spectrum spectrum(const Controls& controls, double rate) const;
    [[nodiscard]] const BandModel& modelFor(double rate) const;

    std::unique_ptr<Library> m_library;
    mutable std::optional<BandModel> m_model;  ///< made on first use for a rate
};

}  // namespace halvern::audio
