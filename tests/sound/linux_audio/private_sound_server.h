#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvern::test {

/// The two sound servers the headset's sound runs on.
enum class SoundServerKind { PulseAudio, PipeWire };

/// Both kinds, for INSTANTIATE_TEST_SUITE_P(Servers, Fixture, ::testing::ValuesIn(kSoundServerKinds),
/// soundServerTestName).
inline constexpr SoundServerKind kSoundServerKinds[] = {SoundServerKind::PulseAudio,
                                                        SoundServerKind::PipeWire};

/// "PulseAudio" or "PipeWire".
[[nodiscard]] std::string_view soundServerName(SoundServerKind kind);

/// A sound server of the test's own, in a runtime folder of its own: PulseAudio, or PipeWire with its pulse
/// server (pipewire-pulse), WirePlumber and a private session bus (WirePlumber will not run without one),
/// WirePlumber's hardware monitors off so that no real sound card is touched. Either kind answers the
/// pulse protocol and carries the same devices: a null sink "speakers", the headset's sink "headset" and
/// its source "headset_mic", both with the headset's USB identity (device.vendor.id 0c76,
/// device.product.id 1630).
///
/// Both kinds can run at once; `select()` points this process (PULSE_SERVER, XDG_RUNTIME_DIR,
/// PULSE_RUNTIME_PATH) and the programs it starts (pactl) at one of them. Use `shared()` in tests.
class PrivateSoundServer {
public:
    static constexpr const char* kHeadsetSink = "headset";
    static constexpr const char* kHeadsetSource = "headset_mic";

    explicit PrivateSoundServer(SoundServerKind kind);
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    /// The server of this kind for the whole test program, started on first use (and selected).
    [[nodiscard]] static PrivateSoundServer& shared(SoundServerKind kind);
    /// Stops the shared servers (a test suite's TearDownTestSuite may call it; they stop at exit anyway).
    static void stopShared();

    [[nodiscard]] SoundServerKind kind() const { return m_kind; }
    [[nodiscard]] bool running() const { return m_running; }
    /// Why the server is not running: one line for a skipped test.
    [[nodiscard]] const std::string& whyNot() const { return m_whyNot; }
    /// Points this process and its children at this server.
    void select() const;
    /// Stops or resumes the process that answers the pulse protocol (a server that hangs).
    void pause(bool paused) const;

    /// Takes the headset's sink away, as unplugging the headset does; false when it was not there.
    [[nodiscard]] bool removeHeadsetSink() const;
    /// Brings the headset's sink (back); false when the server refused it.
    [[nodiscard]] bool addHeadsetSink() const;
    /// The CPU seconds (user and system) the server's processes have used so far.
    [[nodiscard]] double cpuSeconds() const;

private:
    [[nodiscard]] bool startPulseAudio();
    [[nodiscard]] bool startPipeWire();
    /// Loads the null sinks and the headset's source; false (with m_whyNot) when the server refused one.
    [[nodiscard]] bool addDevices();
    /// Starts `arguments` with this server's environment; its pid, or nothing (with m_whyNot).
    [[nodiscard]] std::optional<pid_t> spawn(std::vector<std::string> arguments, const std::string& log = "");
    [[nodiscard]] std::vector<std::string> environment() const;
    void stop();

    SoundServerKind m_kind;
    std::string m_folder;
    std::vector<pid_t> m_processes;  ///< in the order started; stopped in reverse
    pid_t m_pulseProcess = -1;       ///< the one that answers the pulse protocol
    bool m_running = false;
    std::string m_whyNot;
};

/// The test-name suffix of a parameter ("PulseAudio", "PipeWire").
struct SoundServerTestName {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& info) const {
        return std::string(soundServerName(info.param));
    }
};

/// What `command` (run by the shell, against the selected server) writes on its standard output.
std::string commandOutput(const std::string& command);

}  // namespace halvern::test
