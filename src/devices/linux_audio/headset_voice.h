#pragma once

#include <array>
#include <optional>
#include <string>

#include "devices/linux_audio/pulse_client.h"

namespace halvern::audio {

/// The voice changer: the headset's microphone (or what a filter before it makes of it) through Rubber
/// Band's pitch shifter, offered as a source of its own that programs record from. The sound server runs
/// it as a chain of four modules:
///
///   input source → module-loopback → module-ladspa-sink (the pitch shifter) → module-null-sink (the bus)
///   → the bus's monitor → module-remap-source "halvern_headset_voice_N" (what programs record)
///
/// A change of voice or of input loads a second chain beside the first, moves the recording programs and
/// the default input over and unloads the first, so nobody is cut off. The microphone's own level and mute
/// act before the chain. The chain stays when the program ends; the next start takes it over.
class HeadsetVoice {
public:
    static constexpr int kVoices = 4;
    using Deadline = PulseClient::Deadline;

    /// `input`: the source the chain listens to.
    HeadsetVoice(PulseClient& client, std::string input);

    /// Takes over a whole chain an earlier run left (its voice and input too); removes broken or extra
    /// chains.
    void adopt(Deadline deadline);
    /// Forgets the chain when a part of it went (the server restarted, its input went).
    void refresh(Deadline deadline);
    /// Whether the pitch shifter plugin is installed.
    [[nodiscard]] static bool available();

    [[nodiscard]] bool on() const { return m_chain.has_value(); }
    /// 0 … kVoices − 1. Nothing while the chain is off and no voice was set: the server holds none then,
    /// and the user's choice is not to be replaced by a guess.
    [[nodiscard]] std::optional<int> voice() const { return m_voice; }
    [[nodiscard]] const std::string& input() const { return m_input; }
    /// The source programs record from while it is on.
    [[nodiscard]] std::optional<std::string> sourceName() const;

    /// On: the chain is loaded and the recording programs and the default input of the input source move
    /// to it; off: they move back and the chain goes.
    [[nodiscard]] bool setOn(bool on, Deadline deadline);
    /// Another voice; heard at once when on, kept for later when off. False for a voice out of range.
    [[nodiscard]] bool setVoice(int voice, Deadline deadline);
    /// Another input source (noise suppression came or went); the chain follows at once when on.
    [[nodiscard]] bool setInput(std::string input, Deadline deadline);

private:
    struct Chain {
        int slot = 1;  ///< 1 or 2: the names' suffix, alternating at each reload
        std::array<uint32_t, 4> modules{PulseClient::kNoIndex, PulseClient::kNoIndex, PulseClient::kNoIndex,
                                        PulseClient::kNoIndex};  ///< bus, pitch shifter, loopback, source
        [[nodiscard]] std::string source() const;
    };
    [[nodiscard]] std::optional<Chain> load(int voice, const std::string& input, int slot, Deadline deadline);
    void unload(const Chain& chain, Deadline deadline);
    /// Loads a chain with `voice` and `input` beside the running one, moves the programs and unloads the old.
    [[nodiscard]] bool replace(int voice, const std::string& input, Deadline deadline);

    PulseClient& m_client;
    std::string m_input;
    std::optional<int> m_voice;
    std::optional<Chain> m_chain;
};

}  // namespace halvern::audio
