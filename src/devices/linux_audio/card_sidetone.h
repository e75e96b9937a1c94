#pragma once

#include <optional>

namespace halvern::audio {

/// The headset card's own monitor path (sidetone) in its ALSA mixer: a playback control of the microphone
/// ("Sidetone", else "Mic" with a playback volume). Each call opens the mixer and closes it again.
class CardSidetone {
public:
    /// The card's sidetone; nothing when the card has no such control.
    [[nodiscard]] static std::optional<CardSidetone> find(int card);

    struct Range {
        double minDb, maxDb, stepDb;
    };
    [[nodiscard]] std::optional<Range> range() const;
    [[nodiscard]] std::optional<bool> muted() const;
    [[nodiscard]] bool setMuted(bool muted) const;
    /// The level as a share of the control's range, 0 … 1.
    [[nodiscard]] std::optional<double> level() const;
    [[nodiscard]] bool setLevel(double share) const;
    [[nodiscard]] std::optional<double> levelDb() const;

private:
    explicit CardSidetone(int card) : m_card(card) {}
    int m_card;
};

}  // namespace halvern::audio
