#pragma once

#include <memory>
#include <span>
#include <string>

namespace halvern::sound {

/// Records what the default output plays (its monitor) through the PulseAudio server, which PipeWire's
/// pulse server also provides: one channel of float samples. Reading blocks until the samples are there.
class PulseCapture {
public:
    static constexpr int kSampleRate = 44100;

    /// Connects; `fragmentFrames` is how many samples the server hands over at once (sets the latency).
    /// Null with `error` set when there is no server or no monitor.
    [[nodiscard]] static std::unique_ptr<PulseCapture> open(std::size_t fragmentFrames, std::string& error);
    ~PulseCapture();
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    /// Fills `samples` completely. False with `error` set when the server went away.
    [[nodiscard]] bool read(std::span<float> samples, std::string& error);

    struct Stream;
    class Key {
        friend class PulseCapture;
        Key() = default;
    };
    PulseCapture(Key, std::unique_ptr<Stream> stream);

private:
    std::unique_ptr<Stream> m_stream;
};

}  // namespace halvern::sound
