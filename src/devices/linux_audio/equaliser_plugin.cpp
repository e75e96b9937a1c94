#include "devices/linux_audio/equaliser_plugin.h"

#include <dlfcn.h>
#include <ladspa.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string_view>
#include <vector>

#include "devices/linux_audio/ladspa_folders.h"

namespace halvern::audio {
namespace {

constexpr std::string_view kFilePrefix = "lsp-plugins-ladspa";
constexpr std::string_view kLabel = "http://lsp-plug.in/plugins/ladspa/para_equalizer_x16_stereo";
// The plugin's choices (its port ranges): filter type 1 is a bell, filter mode 6 the peaking filter of
// the audio EQ cookbook (its "APO" shape: its width hardly changes with its gain, unlike the analogue
// shapes, whose boosts widen and reach far into the neighbours), equaliser mode 0 IIR filters (no
// latency).
constexpr float kBell = 1.0f;
constexpr float kCookbookShape = 6.0f;
constexpr float kIirMode = 0.0f;
// An impulse response a fifth of a second long: the lowest bell's ringing has died away by then.
constexpr double kImpulseSeconds = 0.2;
// Fitting stops when every centre is this close (dB), or after so many rounds.
constexpr double kCloseEnough = 0.05;
constexpr int kRounds = 12;
// The step that learns the linear model and the step of each round's slopes (dB).
constexpr float kProbe = 6.0f;
constexpr float kStep = 0.25f;

// The plugin libraries in `folder` ("lsp-plugins-ladspa.so" or with a version, "…-1.2.5.so").
std::vector<std::filesystem::path> librariesIn(const std::string& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with(kFilePrefix) && name.ends_with(".so")) found.push_back(entry->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

double decibels(std::complex<double> value) {
    return 20 * std::log10(std::max(std::abs(value), 1e-9));
}

double centre(int band) {
    return EqualiserPlugin::kLowestCentre * std::pow(2.0, band);
}

// A port's default as its range hints give it (LADSPA's rules); 0 without one.
LADSPA_Data defaultOf(const LADSPA_PortRangeHint& hint) {
    const LADSPA_PortRangeHintDescriptor d = hint.HintDescriptor;
    const double low = hint.LowerBound;
    const double high = hint.UpperBound;
    const bool logarithmic = LADSPA_IS_HINT_LOGARITHMIC(d) && low > 0 && high > 0;
    const auto between = [&](double share) {
        return logarithmic ? std::exp(std::log(low) * (1 - share) + std::log(high) * share)
                           : low * (1 - share) + high * share;
    };
    switch (d & LADSPA_HINT_DEFAULT_MASK) {
        case LADSPA_HINT_DEFAULT_MINIMUM:
            return static_cast<LADSPA_Data>(low);
        case LADSPA_HINT_DEFAULT_LOW:
            return static_cast<LADSPA_Data>(between(0.25));
        case LADSPA_HINT_DEFAULT_MIDDLE:
            return static_cast<LADSPA_Data>(between(0.5));
        case LADSPA_HINT_DEFAULT_HIGH:
            return static_cast<LADSPA_Data>(between(0.75));
        case LADSPA_HINT_DEFAULT_MAXIMUM:
            return static_cast<LADSPA_Data>(high);
        case LADSPA_HINT_DEFAULT_1:
            return 1.0f;
        case LADSPA_HINT_DEFAULT_100:
            return 100.0f;
        case LADSPA_HINT_DEFAULT_440:
            return 440.0f;
        default:
            return 0.0f;
    }
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
    /// The ports of one of the ten bells.
    struct Bell {
        unsigned long type, mode, frequency, gain, quality;
    };

    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { dropInstance(); }

    std::unique_ptr<void, Closer> handle;
    std::string file;  ///< the library's name without ".so", as module-ladspa-sink takes it
    const LADSPA_Descriptor* descriptor = nullptr;
    std::vector<LADSPA_Data> values;  ///< one per port: what each control port reads or writes
    std::vector<unsigned long> controlInputs, audioInputs, audioOutputs;
    std::array<Bell, kBands> bells{};
    unsigned long equaliserMode = 0;

    // One instance, made for the rate last asked for, and its buffers.
    LADSPA_Handle instance = nullptr;
    double instanceRate = 0;
    std::vector<LADSPA_Data> impulse, silence, left, right;
    double slopesRate = 0;
    std::array<Gains, kBands> slopes{};

    void dropInstance() {
        if (instance == nullptr) return;
        if (descriptor->deactivate != nullptr) descriptor->deactivate(instance);
        descriptor->cleanup(instance);
        instance = nullptr;
    }

    /// Finds the ports by name; false when the plugin is not the one expected.
    bool findPorts() {
        const LADSPA_Descriptor& d = *descriptor;
        values.assign(d.PortCount, 0.0f);
        const auto portNamed = [&d](const std::string& name) -> std::optional<unsigned long> {
            for (unsigned long port = 0; port < d.PortCount; ++port)
                if (d.PortNames[port] != nullptr && name == d.PortNames[port] &&
                    LADSPA_IS_PORT_CONTROL(d.PortDescriptors[port]) &&
                    LADSPA_IS_PORT_INPUT(d.PortDescriptors[port]))
                    return port;
            return std::nullopt;
        };
        for (unsigned long port = 0; port < d.PortCount; ++port) {
            const LADSPA_PortDescriptor kind = d.PortDescriptors[port];
            if (LADSPA_IS_PORT_CONTROL(kind) && LADSPA_IS_PORT_INPUT(kind)) {
                controlInputs.push_back(port);
                values[port] = defaultOf(d.PortRangeHints[port]);
            } else if (LADSPA_IS_PORT_AUDIO(kind)) {
                (LADSPA_IS_PORT_INPUT(kind) ? audioInputs : audioOutputs).push_back(port);
            }
        }
        const auto mode = portNamed("Equalizer mode");
        if (!mode || audioInputs.size() != 2 || audioOutputs.size() != 2) return false;
        equaliserMode = *mode;
        for (int band = 0; band < kBands; ++band) {
            const std::string n = std::to_string(band);
            const auto type = portNamed("Filter type " + n);
            const auto shape = portNamed("Filter mode " + n);
            const auto frequency = portNamed("Frequency " + n + " (Hz)");
            const auto gain = portNamed("Gain " + n + " (G)");
            const auto quality = portNamed("Quality factor " + n);
            if (!type || !shape || !frequency || !gain || !quality) return false;
            bells[static_cast<size_t>(band)] = {*type, *shape, *frequency, *gain, *quality};
        }
        return true;
    }

    /// The ten bells with `controls` (dB); the plugin's other filters stay off.
    void setBells(const Controls& controls) {
        values[equaliserMode] = kIirMode;
        for (int band = 0; band < kBands; ++band) {
            const Bell& bell = bells[static_cast<size_t>(band)];
            values[bell.type] = kBell;
            values[bell.mode] = kCookbookShape;
            values[bell.frequency] = static_cast<LADSPA_Data>(centre(band));
            values[bell.gain] = static_cast<LADSPA_Data>(std::pow(
                10.0, std::clamp(controls[static_cast<size_t>(band)], kMinControl, kMaxControl) / 20.0));
            values[bell.quality] = kQuality;
        }
    }

    /// The impulse response's spectrum at the band centres with the values set.
    std::optional<std::array<std::complex<double>, kBands>> spectrum(double rate) {
        const LADSPA_Descriptor& d = *descriptor;
        const auto length = static_cast<size_t>(std::max(8192.0, rate * kImpulseSeconds));
        if (instance == nullptr || instanceRate != rate) {
            dropInstance();
            instance = d.instantiate(&d, static_cast<unsigned long>(rate));
            if (instance == nullptr) return std::nullopt;
            instanceRate = rate;
            impulse.assign(length, 0.0f);
            impulse[0] = 1.0f;
            silence.assign(length, 0.0f);
            left.assign(length, 0.0f);
            right.assign(length, 0.0f);
            for (unsigned long port = 0; port < d.PortCount; ++port)
                if (LADSPA_IS_PORT_CONTROL(d.PortDescriptors[port]))
                    d.connect_port(instance, port, &values[port]);
            d.connect_port(instance, audioInputs[0], impulse.data());
            d.connect_port(instance, audioInputs[1], silence.data());
            d.connect_port(instance, audioOutputs[0], left.data());
            d.connect_port(instance, audioOutputs[1], right.data());
            if (d.activate != nullptr) d.activate(instance);
        }
        // Each run starts from rest: silence first lets what rang before die away (the plugin's activate
        // does not clear its filters).
        d.connect_port(instance, audioInputs[0], silence.data());
        d.run(instance, static_cast<unsigned long>(length));
        d.connect_port(instance, audioInputs[0], impulse.data());
        d.run(instance, static_cast<unsigned long>(length));
        std::array<std::complex<double>, kBands> result{};
        for (int band = 0; band < kBands; ++band) {
            const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * centre(band) / rate);
            std::complex<double> turn = 1.0;
            for (const LADSPA_Data sample : left) {
                result[static_cast<size_t>(band)] += static_cast<double>(sample) * turn;
                turn *= step;
            }
        }
        return result;
    }
};

std::optional<EqualiserPlugin> EqualiserPlugin::load() {
    for (const std::string& folder : ladspaFolders()) {
        for (const std::filesystem::path& path : librariesIn(folder)) {
            auto library = std::make_unique<Library>();
            library->handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
            if (!library->handle) continue;
            auto* list = reinterpret_cast<LADSPA_Descriptor_Function>(
                dlsym(library->handle.get(), "ladspa_descriptor"));
            if (list == nullptr) continue;
            constexpr unsigned long kMostDescriptors = 4096;
            for (unsigned long i = 0; i < kMostDescriptors; ++i) {
                const LADSPA_Descriptor* d = list(i);
                if (d == nullptr) break;
                if (d->Label != nullptr && kLabel == d->Label) library->descriptor = d;
            }
            if (library->descriptor == nullptr || !library->findPorts()) continue;
            library->file = path.stem().string();
            return EqualiserPlugin(std::move(library));
        }
    }
    return std::nullopt;
}

EqualiserPlugin::EqualiserPlugin(std::unique_ptr<Library> library) : m_library(std::move(library)) {}
EqualiserPlugin::~EqualiserPlugin() = default;
EqualiserPlugin::EqualiserPlugin(EqualiserPlugin&&) noexcept = default;
EqualiserPlugin& EqualiserPlugin::operator=(EqualiserPlugin&&) noexcept = default;

EqualiserPlugin::Gains EqualiserPlugin::response(const Controls& controls, double rate) const {
    m_library->setBells(controls);
    const auto s = m_library->spectrum(rate);
    Gains gains{};
    if (s)
        for (int band = 0; band < kBands; ++band) gains[band] = decibels((*s)[band]);
    return gains;
}

// The bells are in series, so what each adds at the centres (in dB) sums up; each bell's share is nearly
// in proportion to its gain. The slopes of one bell at a time, from a step of kProbe dB, serve the whole
// fit.
const std::array<EqualiserPlugin::Gains, EqualiserPlugin::kBands>& EqualiserPlugin::slopesFor(
    double rate) const {
    if (m_library->slopesRate == rate) return m_library->slopes;
    for (int band = 0; band < kBands; ++band) {
        Controls alone{};
        alone[static_cast<size_t>(band)] = kProbe;
        const Gains heard = response(alone, rate);
        for (int k = 0; k < kBands; ++k) m_library->slopes[band][k] = heard[k] / kProbe;
    }
    m_library->slopesRate = rate;
    return m_library->slopes;
}

EqualiserPlugin::Gains EqualiserPlugin::alone(int band, float control, double rate) const {
    if (control == 0.0f) return Gains{};
    Controls controls{};
    controls[static_cast<size_t>(band)] = control;
    return response(controls, rate);
}

// Since what the bells add sums up exactly, the response for any gains is the sum of each bell's own, and
// Newton's method runs on one bell at a time: each round learns every bell's slope at its present gain
// and moves all gains at once, by half as much again while that would not bring the response closer (a
// boosting bell widens with its gain, a cutting one narrows, so a full step can overshoot). The linear
// model from slopesFor() gives the start.
EqualiserPlugin::Controls EqualiserPlugin::controlsFor(const Gains& wanted, double rate) const {
    const auto& slopes = slopesFor(rate);
    std::array<std::array<double, kBands>, kBands> model{};
    for (int k = 0; k < kBands; ++k)
        for (int j = 0; j < kBands; ++j) model[k][j] = slopes[j][k];
    Gains start = wanted;
    Controls controls{};
    if (solve(model, start))
        for (int j = 0; j < kBands; ++j)
            controls[j] = std::clamp(static_cast<float>(start[j]), kMinControl, kMaxControl);

    struct Point {
        std::array<Gains, kBands> shares;  ///< each bell's own response
        Gains miss;                        ///< wanted − heard
        double cost = 0;                   ///< the misses' squares summed
        double worst = 0;
    };
    const auto at = [&](const Controls& c) {
        Point p;
        p.miss = wanted;
        for (int j = 0; j < kBands; ++j) {
            p.shares[j] = alone(j, c[j], rate);
            for (int k = 0; k < kBands; ++k) p.miss[k] -= p.shares[j][k];
        }
        for (const double m : p.miss) {
            p.cost += m * m;
            p.worst = std::max(p.worst, std::abs(m));
        }
        return p;
    };
    Point here = at(controls);
    for (int round = 0; round < kRounds && here.worst >= kCloseEnough; ++round) {
        std::array<std::array<double, kBands>, kBands> slope{};  // [centre][bell]
        for (int j = 0; j < kBands; ++j) {
            // Probed towards the middle of the range, so the probe stays inside it.
            const float probe = controls[j] > 0 ? -kStep : kStep;
            const Gains moved = alone(j, controls[j] + probe, rate);
            for (int k = 0; k < kBands; ++k) slope[k][j] = (moved[k] - here.shares[j][k]) / probe;
        }
        Gains step = here.miss;
        if (!solve(slope, step)) break;
        bool closer = false;
        for (double share = 1.0; share > 0.05 && !closer; share /= 2) {
            Controls next = controls;
            for (int j = 0; j < kBands; ++j)
                next[j] =
                    std::clamp(static_cast<float>(controls[j] + share * step[j]), kMinControl, kMaxControl);
            Point there = at(next);
            if (there.cost < here.cost) {
                controls = next;
                here = there;
                closer = true;
            }
        }
        if (!closer) break;
    }
    return controls;
}

std::string EqualiserPlugin::moduleArguments(const Controls& controls) const {
    m_library->setBells(controls);
    std::string list;
    for (const unsigned long port : m_library->controlInputs) {
        if (!list.empty()) list += ',';
        std::array<char, 32> text{};
        const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(),
                                                m_library->values[port], std::chars_format::fixed, 5);
        list += error == std::errc() ? std::string_view(text.data(), static_cast<size_t>(end - text.data()))
                                     : std::string_view("0");
    }
    return "plugin=" + m_library->file + " label=" + std::string(kLabel) + " control=" + list;
}

}  // namespace halvern::audio
