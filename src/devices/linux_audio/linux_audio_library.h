#pragma once

#include <memory>
#include <mutex>

#include "devices/audio_config_library.h"

namespace halvern::audio {

class PulseDeviceWatch;

/// The headset's sound settings on Linux, through the sound server (PulseAudio, or PipeWire's pulse
/// server) and the card's ALSA mixer. The devices listed are the headset's sink (type 1) and source
/// (type 2), known by their USB identity 0C76:1630; the microphone acts on the source, the monitor on the
/// card's sidetone control or a loopback, the equaliser, virtual surround, noise suppression and voice
/// changer are filters of the server (see docs/ARCHITECTURE.md for every property). Properties without
/// sound processing here (the environment effect), or whose DSP is not installed, answer
/// kPropertyNotAvailable. A surround that ends with the program (PipeWire's) is switched off, programs
/// and default output moved back, when the library goes.
///
/// Every call waits for the server at most about a second. Safe to call from any thread.
class LinuxAudioLibrary final : public AudioConfigLibrary {
public:
    LinuxAudioLibrary();
    ~LinuxAudioLibrary() override;
    LinuxAudioLibrary(const LinuxAudioLibrary&) = delete;
    LinuxAudioLibrary& operator=(const LinuxAudioLibrary&) = delete;

    /// 0 when the sound server answers.
    [[nodiscard]] int ConfLibInit() override;
    /// Lists the headset's sink and source anew (a device keeps its handle while its name stays).
    int CreateDeviceList() override;
    [[nodiscard]] int GetDeviceCount(Direction direction, uint32_t& count) override;
    [[nodiscard]] int GetDeviceById(Direction direction, uint32_t index, DeviceRecord& device) override;
    [[nodiscard]] int PropertyControl(const DeviceRecord& device, std::wstring_view name,
                                      PropertyValue& value, std::span<const int32_t> parameters,
                                      Access access) override;
    /// A batch of the equaliser's properties (on, bands) loads its filter once; other batches are written
    /// one by one.
    [[nodiscard]] int WriteProperties(const DeviceRecord& device, std::span<PropertyWrite> writes) override;
    /// Follows the server's sink and source events (and the server coming and going) on a thread of its
    /// own connection.
    void WatchDevices(std::function<void()> changed) override;
    /// Virtual surround on PipeWire: a filter chain run by this program.
    [[nodiscard]] bool EndsWithLibrary(std::wstring_view name) override;

    struct State;

private:
    std::mutex m_mutex;
    std::unique_ptr<State> m_state;
    std::unique_ptr<PulseDeviceWatch> m_watch;  // last: stopped first
};

}  // namespace halvern::audio
