#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::audio {

/// A connection to the sound server (PulseAudio, or PipeWire's pulse server) whose every call waits for
/// its answer at most until a deadline: a server that is gone or hangs makes the call fail, never block.
/// The connection is made on first use and again after it broke. Not thread-safe: the owner serialises.
class PulseClient {
public:
    using Clock = std::chrono::steady_clock;
    using Deadline = Clock::time_point;
    static constexpr uint32_t kNoIndex = UINT32_MAX;

    /// A sink or a source.
    struct Node {
        uint32_t index = kNoIndex;
        std::string name;
        std::map<std::string, std::string> properties;
        uint32_t ownerModule = kNoIndex;
        uint32_t monitorOf = kNoIndex;  ///< sources only: the sink it monitors
        uint8_t channels = 0;
        uint32_t rate = 0;    ///< samples a second
        uint32_t volume = 0;  ///< the channels' average, 0 … 65536 (100 %)
        bool mute = false;
    };
    struct Module {
        uint32_t index = kNoIndex;
        std::string name;
        std::string argument;
    };
    struct Stream {  ///< a sink input
        uint32_t index = kNoIndex;
        uint32_t sink = kNoIndex;
        uint32_t ownerModule = kNoIndex;
        uint8_t channels = 0;
        uint32_t volume = 0;
        bool filter = false;  ///< one of our own filters' streams (it carries halvern.role)
    };
    struct Recording {  ///< a source output: a program (or a module) recording from a source
        uint32_t index = kNoIndex;
        uint32_t source = kNoIndex;
        uint32_t ownerModule = kNoIndex;
    };

    PulseClient();
    ~PulseClient();
    PulseClient(const PulseClient&) = delete;
    PulseClient& operator=(const PulseClient&) = delete;

    /// How long calls fail at once after the server left one unanswered: a server that hangs costs one
    /// wait, not one per call.
    static constexpr std::chrono::seconds kRest{3};

    /// Connects unless connected; false when no server answered before the deadline, and during kRest
    /// after an unanswered request.
    [[nodiscard]] bool connect(Deadline deadline);

    [[nodiscard]] std::optional<std::vector<Node>> sinks(Deadline deadline);
    [[nodiscard]] std::optional<std::vector<Node>> sources(Deadline deadline);
    [[nodiscard]] std::optional<Node> source(std::string_view name, Deadline deadline);
    [[nodiscard]] std::optional<std::vector<Module>> modules(Deadline deadline);
    [[nodiscard]] std::optional<std::vector<Stream>> streams(Deadline deadline);
    [[nodiscard]] std::optional<std::vector<Recording>> recordings(Deadline deadline);
    [[nodiscard]] std::optional<std::string> defaultSink(Deadline deadline);
    [[nodiscard]] std::optional<std::string> defaultSource(Deadline deadline);
    /// The server's name ("pulseaudio", "PulseAudio (on PipeWire 0.3.65)").
    [[nodiscard]] std::optional<std::string> serverName(Deadline deadline);
    /// What a wait watches the server's events of.
    enum class Watched { Sinks, Sources, Streams, Server };
    /// Waits until `reached` holds, asking it first and again after each event of the server's about
    /// `watched`; false when the deadline passed first or the server did not answer (`reached` answers
    /// nothing). No look without an event in between.
    [[nodiscard]] bool awaitChange(Watched watched, const std::function<std::optional<bool>()>& reached,
                                   Deadline deadline);
    /// Waits until the sink `name` is there (`present`) or gone (awaitChange).
    [[nodiscard]] bool awaitSink(std::string_view name, bool present, Deadline deadline);
    /// Waits until the source `name` is there (awaitChange).
    [[nodiscard]] bool awaitSource(std::string_view name, Deadline deadline);
    /// Makes `name` the default output or input and waits until the server names it so: PipeWire's session
    /// manager takes the request over a moment later, and refuses a device it does not list yet, so the
    /// device is waited for first. False when either wait ran out or the server refused.
    [[nodiscard]] bool makeDefaultSink(std::string_view name, Deadline deadline);
    [[nodiscard]] bool makeDefaultSource(std::string_view name, Deadline deadline);
    /// Whether the module `index` is loaded; nothing when the server did not answer.
    [[nodiscard]] std::optional<bool> moduleLoaded(uint32_t index, Deadline deadline);

    /// The loaded module's index; nothing when the server refused it.
    [[nodiscard]] std::optional<uint32_t> loadModule(std::string_view name, std::string_view argument,
                                                     Deadline deadline);
    [[nodiscard]] bool unloadModule(uint32_t index, Deadline deadline);
    [[nodiscard]] bool setSourceVolume(std::string_view name, uint8_t channels, uint32_t volume,
                                       Deadline deadline);
    [[nodiscard]] bool setSourceMute(std::string_view name, bool mute, Deadline deadline);
    [[nodiscard]] bool setStreamVolume(uint32_t index, uint8_t channels, uint32_t volume, Deadline deadline);
    [[nodiscard]] bool moveStream(uint32_t index, std::string_view sink, Deadline deadline);
    [[nodiscard]] bool setDefaultSink(std::string_view name, Deadline deadline);
    [[nodiscard]] bool moveRecording(uint32_t index, std::string_view source, Deadline deadline);
    [[nodiscard]] bool setDefaultSource(std::string_view name, Deadline deadline);

    /// Drops the connection after a request failed on it; rests (kRest) when the deadline passed.
    void drop(Deadline deadline);

    struct Connection;
    /// The connection (null when there is none); for the request helper.
    [[nodiscard]] Connection* connection() const { return m_connection.get(); }

private:
    struct NodeCalls;
    static const NodeCalls kSinkCalls;
    static const NodeCalls kSourceCalls;
    [[nodiscard]] bool awaitNode(const NodeCalls& calls, std::string_view name, bool present,
                                 Deadline deadline);
    [[nodiscard]] bool makeDefault(const NodeCalls& calls, std::string_view name, Deadline deadline);

    std::unique_ptr<Connection> m_connection;
    Clock::time_point m_restUntil{};
};

}  // namespace halvern::audio
