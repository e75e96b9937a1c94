#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "devices/linux_audio/hrir_files.h"

namespace halvern::audio {

/// Virtual surround on PipeWire: a filter chain run by `pipewire -c <file>` as a client of the user's
/// PipeWire. Its capture side is a 7.1 sink; each speaker is copied to two of the builtin convolvers, one
/// per ear, each reading its speaker's channel of the ear's impulse-response file (HrirFiles); a mixer per
/// ear adds the eight up, and the chain's playback stream (two channels, passive) goes to the headset's
/// sink. Both nodes carry halvern.role ("surround", "surround-ears"), the sink also the headset sink it
/// plays to (halvern.master) and the file it was made from (halvern.chain), so a later start can find it
/// and its process.
struct SurroundChain {
    std::string sink;         ///< the sink's node name
    std::string description;  ///< shown to users
    std::string master;       ///< the headset's sink
    HrirFiles responses;
    std::string file;  ///< where the configuration is written
};

/// The configuration text `pipewire -c` runs. The names and paths must hold no quotes or backslashes
/// (`quotableInChain`).
[[nodiscard]] std::string surroundChainConfig(const SurroundChain& chain);

/// Whether a text can stand in quotes in the configuration.
[[nodiscard]] bool quotableInChain(const std::string& text);

/// Writes the configuration into a new file in `folder` (surround-XXXXXX.conf); its path, or nothing.
[[nodiscard]] std::optional<std::string> writeSurroundChain(SurroundChain chain, const std::string& folder);

/// The process of this user that runs `pipewire -c <file>`; nothing when there is none.
[[nodiscard]] std::optional<pid_t> surroundChainProcess(const std::string& file);

}  // namespace halvern::audio
