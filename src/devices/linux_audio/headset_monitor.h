#pragma once

#include <optional>
#include <string>

#include "devices/linux_audio/card_sidetone.h"
#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// The microphone heard in the headset (monitor, sidetone): the card's own mixer control when it has one,
/// otherwise a loopback from the headset's source to its sink in the sound server (module-loopback,
/// loaded while the monitor is on). The loopback's level is its stream volume; the level set while it is
/// off is given to it when it is loaded. A loopback left by an earlier run is taken over with its level.
/// Without a loopback nothing in the server holds the level: until one is set (the user's, from the
/// profile) the level reads as unknown, and the monitor is not turned on at a level nobody chose.
class HeadsetMonitor {
public:
    static constexpr std::string_view kRole = "halvern.role=monitor";
    using Deadline = PulseClient::Deadline;
    struct Range {
        double minDb, maxDb, stepDb;
    };

    /// `sink` may be empty when the headset has no sink (then only a card control can act).
    HeadsetMonitor(PulseClient& client, std::string source, std::string sink,
                   std::optional<CardSidetone> card);

    void adopt(Deadline deadline);
    /// Forgets the loopback when it went (the server restarted, or its source or sink went).
    void refresh(Deadline deadline);
    [[nodiscard]] bool available() const { return m_card.has_value() || !m_sink.empty(); }
    [[nodiscard]] const std::string& source() const { return m_source; }
    [[nodiscard]] const std::string& sink() const { return m_sink; }
    [[nodiscard]] bool usesCard() const { return m_card.has_value(); }

    [[nodiscard]] std::optional<Range> range() const;
    [[nodiscard]] std::optional<bool> muted(Deadline deadline);
    [[nodiscard]] bool setMuted(bool muted, Deadline deadline);
    /// 0 … 1; nothing when it cannot be read or, on the loopback, none was set or taken over yet.
    [[nodiscard]] std::optional<double> level(Deadline deadline);
    [[nodiscard]] bool setLevel(double share, Deadline deadline);
    [[nodiscard]] std::optional<double> levelDb(Deadline deadline);

private:
    [[nodiscard]] std::optional<PulseClient::Stream> loopbackStream(Deadline deadline);
    /// The stream of a loopback just loaded, once the server shows it (within `deadline`).
    [[nodiscard]] std::optional<PulseClient::Stream> newLoopbackStream(Deadline deadline);

    PulseClient& m_client;
    std::string m_source;
    std::string m_sink;
    std::optional<CardSidetone> m_card;
    std::optional<uint32_t> m_loopback;
    std::optional<double> m_level;  ///< the loopback's level while none is loaded
};

}  // namespace halvern::audio
