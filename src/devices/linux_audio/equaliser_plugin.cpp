#include "devices/linux_audio/equaliser_plugin.h"

#include <dlfcn.h>
#include <ladspa.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string_view>
#include <vector>

namespace halvern::audio {
namespace {

constexpr std::string_view kFile = "caps.so";
constexpr std::string_view kLabel = "Eq10X2";
constexpr std::array<std::string_view, 3> kFolders{"/usr/lib/ladspa", "/usr/local/lib/ladspa",
                                                   "/usr/lib/x86_64-linux-gnu/ladspa"};
// Long enough for the lowest band's ringing to die away at any usual rate.
constexpr size_t kImpulseLength = 8192;

std::vector<std::string> searchFolders() {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("LADSPA_PATH"); path != nullptr) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (colon != 0) folders.emplace_back(rest.substr(0, colon));
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const std::string_view folder : kFolders) folders.emplace_back(folder);
    return folders;
}

double decibels(std::complex<double> value) {
    return 20 * std::log10(std::max(std::abs(value), 1e-9));
}

double centre(int band) {
    return EqualiserPlugin::kLowestCentre * std::pow(2.0, band);
}

// Solves the n × n system `a` · x = b in place (Gaussian elimination with pivoting); false when singular.
template <size_t N>
bool solve(std::array<std::array<double, N>, N>& a, std::array<double, N>& b) {
    for (size_t p = 0; p < N; ++p) {
        size_t best = p;
        for (size_t r = p + 1; r < N; ++r)
            if (std::abs(a[r][p]) > std::abs(a[best][p])) best = r;
        if (std::abs(a[best][p]) < 1e-12) return false;
        std::swap(a[p], a[best]);
        std::swap(b[p], b[best]);
        for (size_t r = 0; r < N; ++r) {
            if (r == p) continue;
            const double factor = a[r][p] / a[p][p];
            for (size_t c = p; c < N; ++c) a[r][c] -= factor * a[p][c];
            b[r] -= factor * b[p];
        }
    }
    for (size_t p = 0; p < N; ++p) b[p] /= a[p][p];
    return true;
}

}  // namespace

struct EqualiserPlugin::Library {
    struct Closer {
        void operator()(void* library) const { dlclose(library); }
    };
    std::unique_ptr<void, Closer> handle;
    const LADSPA_Descriptor* descriptor = nullptr;
    std::vector<unsigned long> controlPorts, inputPorts, outputPorts, otherPorts;
};

std::optional<EqualiserPlugin> EqualiserPlugin::load() {
    for (const std::string& folder : searchFolders()) {
        const std::string path = folder + "/" + std::string(kFile);
        auto library = std::make_unique<Library>();
        library->handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!library->handle) continue;
        auto* list =
            reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(library->handle.get(), "ladspa_descriptor"));
        if (list == nullptr) continue;
        constexpr unsigned long kMostDescriptors = 1024;
        for (unsigned long i = 0; i < kMostDescriptors; ++i) {
            const LADSPA_Descriptor* d = list(i);
            if (d == nullptr) break;
            if (d->Label != nullptr && kLabel == d->Label) library->descriptor = d;
        }
        const LADSPA_Descriptor* d = library->descriptor;
        if (d == nullptr) continue;
        for (unsigned long port = 0; port < d->PortCount; ++port) {
            const LADSPA_PortDescriptor kind = d->PortDescriptors[port];
            if (LADSPA_IS_PORT_CONTROL(kind) && LADSPA_IS_PORT_INPUT(kind))
                library->controlPorts.push_back(port);
            else if (LADSPA_IS_PORT_AUDIO(kind) && LADSPA_IS_PORT_INPUT(kind))
                library->inputPorts.push_back(port);
            else if (LADSPA_IS_PORT_AUDIO(kind))
                library->outputPorts.push_back(port);
            else
                library->otherPorts.push_back(port);
        }
        if (library->controlPorts.size() != kBands || library->inputPorts.empty() ||
            library->outputPorts.empty())
            continue;
        return EqualiserPlugin(std::move(library));
    }
    return std::nullopt;
}

EqualiserPlugin::EqualiserPlugin(std::unique_ptr<Library> library) : m_library(std::move(library)) {}
EqualiserPlugin::~EqualiserPlugin() = default;
EqualiserPlugin::EqualiserPlugin(EqualiserPlugin&&) noexcept = default;
EqualiserPlugin& EqualiserPlugin::operator=(EqualiserPlugin&&) noexcept = default;

EqualiserPlugin::Spectrum EqualiserPlugin::spectrum(const Controls& controls, double rate) const {
    const LADSPA_Descriptor& d = *m_library->descriptor;
    Spectrum result{};
    LADSPA_Handle instance = d.instantiate(&d, static_cast<unsigned long>(rate));
    if (instance == nullptr) return result;
    Controls values = controls;
    std::vector<LADSPA_Data> impulse(kImpulseLength, 0.0f);
    std::vector<LADSPA_Data> silence(kImpulseLength, 0.0f);
    std::vector<std::vector<LADSPA_Data>> outputs(m_library->outputPorts.size(),
                                                  std::vector<LADSPA_Data>(kImpulseLength));
    std::vector<LADSPA_Data> unused(m_library->otherPorts.size() + 1, 0.0f);
    impulse[0] = 1.0f;
    for (size_t i = 0; i < kBands; ++i) d.connect_port(instance, m_library->controlPorts[i], &values[i]);
    for (size_t i = 0; i < m_library->inputPorts.size(); ++i)
        d.connect_port(instance, m_library->inputPorts[i], i == 0 ? impulse.data() : silence.data());
    for (size_t i = 0; i < outputs.size(); ++i)
        d.connect_port(instance, m_library->outputPorts[i], outputs[i].data());
    for (size_t i = 0; i < m_library->otherPorts.size(); ++i)
        d.connect_port(instance, m_library->otherPorts[i], &unused[i]);
    if (d.activate != nullptr) d.activate(instance);
    d.run(instance, kImpulseLength);
    if (d.deactivate != nullptr) d.deactivate(instance);
    d.cleanup(instance);

    for (int band = 0; band < kBands; ++band) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * centre(band) / rate);
        std::complex<double> turn = 1.0;
        for (const LADSPA_Data sample : outputs.front()) {
            result[band] += static_cast<double>(sample) * turn;
            turn *= step;
        }
    }
    return result;
}

EqualiserPlugin::Gains EqualiserPlugin::response(const Controls& controls, double rate) const {
    const Spectrum s = spectrum(controls, rate);
    Gains gains{};
    for (int band = 0; band < kBands; ++band) gains[band] = decibels(s[band]);
    return gains;
}

namespace {

// Damped Gauss-Newton (Levenberg-Marquardt) on the response in dB, the controls held in their range.
// `gainsOf(controls)` gives the response, `slopesOf(controls, gains)` its slopes: [j][k] is the change of
// band k's gain per dB of control j.
template <class GainsOf, class SlopesOf>
EqualiserPlugin::Controls fit(const EqualiserPlugin::Gains& wanted, EqualiserPlugin::Controls controls,
                              GainsOf gainsOf, SlopesOf slopesOf) {
    constexpr int kBands = EqualiserPlugin::kBands;
    const auto cost = [&wanted](const EqualiserPlugin::Gains& got) {
        double sum = 0;
        for (int i = 0; i < kBands; ++i) sum += (wanted[i] - got[i]) * (wanted[i] - got[i]);
        return sum;
    };
    EqualiserPlugin::Gains current = gainsOf(controls);
    double currentCost = cost(current);
    double damping = 1.0;
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds && currentCost > 1e-4; ++round) {
        const std::array<EqualiserPlugin::Gains, kBands> slope = slopesOf(controls, current);
        std::array<std::array<double, kBands>, kBands> normal{};
        std::array<double, kBands> right{};
        for (int i = 0; i < kBands; ++i) {
            for (int j = 0; j < kBands; ++j) {
                for (int k = 0; k < kBands; ++k) normal[i][j] += slope[i][k] * slope[j][k];
            }
            normal[i][i] += damping;
            for (int k = 0; k < kBands; ++k) right[i] += slope[i][k] * (wanted[k] - current[k]);
        }
        if (!solve(normal, right)) break;
        EqualiserPlugin::Controls next = controls;
        for (int i = 0; i < kBands; ++i)
            next[i] = std::clamp(static_cast<float>(controls[i] + right[i]), EqualiserPlugin::kMinControl,
                                 EqualiserPlugin::kMaxControl);
        const EqualiserPlugin::Gains tried = gainsOf(next);
        if (const double nextCost = cost(tried); nextCost < currentCost) {
            controls = next;
            current = tried;
            currentCost = nextCost;
            damping *= 0.3;
        } else {
            damping *= 4;
        }
    }
    return controls;
}

}  // namespace

// The bands add up: the output is the sum of each band's filter times its gain. So each band's own
// response at the centres (taken from impulses: all bands at the lowest control, then each alone at 0 dB)
// gives the whole response for any controls without running the plugin again.
const EqualiserPlugin::BandModel& EqualiserPlugin::modelFor(double rate) const {
    if (m_model && m_model->rate == rate) return *m_model;
    BandModel model{rate, {}};
    Controls quiet{};
    quiet.fill(kMinControl);
    const Spectrum floor = spectrum(quiet, rate);
    const double quietGain = std::pow(10.0, kMinControl / 20.0);
    for (int band = 0; band < kBands; ++band) {
        Controls alone = quiet;
        alone[band] = 0.0f;
        const Spectrum s = spectrum(alone, rate);
        for (int k = 0; k < kBands; ++k) model.bands[band][k] = (s[k] - floor[k]) / (1.0 - quietGain);
    }
    m_model = model;
    return *m_model;
}

EqualiserPlugin::Controls EqualiserPlugin::controlsFor(const Gains& wanted, double rate) const {
    Controls start{};
    for (int i = 0; i < kBands; ++i)
        start[i] = std::clamp(static_cast<float>(wanted[i]), kMinControl, kMaxControl);
    const BandModel& model = modelFor(rate);
    const auto modelSpectrum = [&model](const Controls& c) {
        Spectrum s{};
        for (int band = 0; band < kBands; ++band) {
            const double gain = std::pow(10.0, c[band] / 20.0);
            for (int k = 0; k < kBands; ++k) s[k] += gain * model.bands[band][k];
        }
        return s;
    };
    const auto modelGains = [&modelSpectrum](const Controls& c) {
        const Spectrum s = modelSpectrum(c);
        Gains g{};
        for (int k = 0; k < kBands; ++k) g[k] = decibels(s[k]);
        return g;
    };
    const auto modelSlopes = [&model, &modelSpectrum](const Controls& c, const Gains&) {
        const Spectrum s = modelSpectrum(c);
        std::array<Gains, kBands> slope{};
        for (int j = 0; j < kBands; ++j) {
            const double gain = std::pow(10.0, c[j] / 20.0);
            for (int k = 0; k < kBands; ++k)
                slope[j][k] =
                    (std::conj(s[k]) * model.bands[j][k] * gain).real() / std::max(std::norm(s[k]), 1e-18);
        }
        return slope;
    };
    Controls controls = fit(wanted, start, modelGains, modelSlopes);

    // Should the plugin not add its bands up after all, the fit goes on against the plugin itself.
    const Gains predicted = modelGains(controls);
    const Gains heard = response(controls, rate);
    bool modelHolds = true;
    for (int k = 0; k < kBands; ++k) modelHolds = modelHolds && std::abs(predicted[k] - heard[k]) < 0.1;
    if (modelHolds) return controls;
    const auto probedSlopes = [this, rate](const Controls& c, const Gains& at) {
        constexpr float kProbe = 0.25f;
        std::array<Gains, kBands> slope{};
        for (int j = 0; j < kBands; ++j) {
            Controls probe = c;
            probe[j] += kProbe;
            const Gains moved = response(probe, rate);
            for (int k = 0; k < kBands; ++k) slope[j][k] = (moved[k] - at[k]) / kProbe;
        }
        return slope;
    };
    return fit(
        wanted, controls, [this, rate](const Controls& c) { return response(c, rate); }, probedSlopes);
}

}  // namespace halvern::audio
