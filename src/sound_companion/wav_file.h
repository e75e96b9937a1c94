#pragma once

#include <string>
#include <vector>

namespace halvern::sound {

/// Sound read from a WAV file, mixed down to one channel, samples from -1 to 1.
struct WavSound {
    int sampleRate = 0;
    std::vector<float> samples;
};

/// Reads a PCM WAV file of 8, 16, 24 or 32-bit integer or 32-bit float samples and any number of channels.
/// False with `error` set when the file cannot be read or is not such a file; chunk sizes are checked
/// against the file, never trusted.
[[nodiscard]] bool readWav(const std::string& path, WavSound& sound, std::string& error);

}  // namespace halvern::sound
