#include "devices/linux_audio/card_sidetone.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

namespace halvern::audio {
namespace {

// The names a USB headset's mixer gives its microphone-to-headphone path, in the order they are tried.
constexpr std::array<std::string_view, 2> kControlNames{"Sidetone", "Mic"};

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using Mixer = std::unique_ptr<snd_mixer_t, MixerCloser>;

// The open mixer and its sidetone element (valid while the mixer is).
struct Control {
    Mixer mixer;
    snd_mixer_elem_t* element = nullptr;
};

std::optional<Control> openControl(int card) {
    snd_mixer_t* raw = nullptr;
    if (card < 0 || snd_mixer_open(&raw, 0) < 0) return std::nullopt;
    Control control{Mixer(raw), nullptr};
    const std::string device = "hw:" + std::to_string(card);
    if (snd_mixer_attach(raw, device.c_str()) < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0 ||
        snd_mixer_load(raw) < 0)
        return std::nullopt;
    for (const std::string_view name : kControlNames) {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(raw); e != nullptr; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) != 0 && name == snd_mixer_selem_get_name(e) &&
                snd_mixer_selem_has_playback_volume(e) != 0) {
                control.element = e;
                return control;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<CardSidetone> CardSidetone::find(int card) {
    if (!openControl(card)) return std::nullopt;
    return CardSidetone(card);
}

std::optional<CardSidetone::Range> CardSidetone::range() const {
    auto control = openControl(m_card);
    long low = 0;
    long high = 0;
    if (!control || snd_mixer_selem_get_playback_dB_range(control->element, &low, &high) < 0)
        return std::nullopt;
    long rawLow = 0;
    long rawHigh = 0;
    if (snd_mixer_selem_get_playback_volume_range(control->element, &rawLow, &rawHigh) < 0)
        return std::nullopt;
    const auto steps = static_cast<double>(std::max(1L, rawHigh - rawLow));
    const auto fromCentiDb = [](long centiDb) { return static_cast<double>(centiDb) / 100.0; };
    return Range{fromCentiDb(low), fromCentiDb(high), fromCentiDb(high - low) / steps};
}

std::optional<bool> CardSidetone::muted() const {
    auto control = openControl(m_card);
    if (!control) return std::nullopt;
    if (snd_mixer_selem_has_playback_switch(control->element) == 0) return false;
    int on = 0;
    if (snd_mixer_selem_get_playback_switch(control->element, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
        return std::nullopt;
    return on == 0;
}

bool CardSidetone::setMuted(bool muted) const {
    auto control = openControl(m_card);
    if (!control) return false;
    if (snd_mixer_selem_has_playback_switch(control->element) == 0) return !muted;
    return snd_mixer_selem_set_playback_switch_all(control->element, muted ? 0 : 1) >= 0;
}

std::optional<double> CardSidetone::level() const {
    auto control = openControl(m_card);
    long low = 0;
    long high = 0;
    long value = 0;
    if (!control || snd_mixer_selem_get_playback_volume_range(control->element, &low, &high) < 0 ||
        snd_mixer_selem_get_playback_volume(control->element, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0 ||
        high <= low)
        return std::nullopt;
    return std::clamp(static_cast<double>(value - low) / static_cast<double>(high - low), 0.0, 1.0);
}

bool CardSidetone::setLevel(double share) const {
    auto control = openControl(m_card);
    long low = 0;
    long high = 0;
    if (!control || snd_mixer_selem_get_playback_volume_range(control->element, &low, &high) < 0)
        return false;
    const long value = low + std::lround(std::clamp(share, 0.0, 1.0) * static_cast<double>(high - low));
    return snd_mixer_selem_set_playback_volume_all(control->element, value) >= 0;
}

std::optional<double> CardSidetone::levelDb() const {
    auto control = openControl(m_card);
    long centiDb = 0;
    if (!control ||
        snd_mixer_selem_get_playback_dB(control->element, SND_MIXER_SCHN_FRONT_LEFT, &centiDb) < 0)
        return std::nullopt;
    return static_cast<double>(centiDb) / 100.0;
}

}  // namespace halvern::audio
