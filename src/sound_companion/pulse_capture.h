#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace halvern::sound {

/// Records what the default output plays (its monitor) through the PulseAudio server, which PipeWire's
/// pulse server also provides: one channel of float samples, handed over as they arrive by an event loop
/// that also watches one more file (the link to the application).
///
/// While no program plays anything (no playback stream, or only paused ones) and the consumer has said it
/// can rest, the recording is paused on the server, so nothing arrives and the process sleeps; a program
/// that starts playing resumes it.
class PulseCapture {
public:
    static constexpr int kSampleRate = 44100;

    /// What the consumer wants after a stretch of samples.
    enum class Next : uint8_t {
        More,  ///< keep recording
        Rest,  ///< the sound has settled into silence: recording may pause while nothing plays
        Stop,  ///< end the loop
    };
    using SamplesHandler = std::function<Next(std::span<const float>)>;

    /// Connects; `fragmentFrames` is how many samples the server hands over at once (sets the latency).
    /// Null with `error` set when there is no server or no monitor.
    [[nodiscard]] static std::unique_ptr<PulseCapture> open(std::size_t fragmentFrames, std::string& error);
    ~PulseCapture();
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    /// Also watches `fd`: when it becomes readable or closes, `readable` runs; false from it ends the loop.
    void watch(int fd, std::function<bool()> readable);

    /// Runs until a handler ends the loop (true) or the server goes away (false, with `error` set).
    [[nodiscard]] bool run(SamplesHandler samples, std::string& error);

    /// Whether the recording is paused now (for tests and measurements).
    [[nodiscard]] bool resting() const;

    struct Loop;
    class Key {
        friend class PulseCapture;
        Key() = default;
    };
    PulseCapture(Key, std::unique_ptr<Loop> loop);

private:
    std::unique_ptr<Loop> m_loop;
};

}  // namespace halvern::sound
