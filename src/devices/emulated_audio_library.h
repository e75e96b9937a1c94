#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "devices/audio_config_library.h"

namespace halvern::audio {

/// A stand-in for the sound card's configuration library (tests, and the emulated headset): a property
/// store per device, faults to inject, and a capture line for every property call,
/// "AUDIO P|R read|write NAME [CHANNEL] VALUE" (VALUE "failed" when the call failed). A property that was
/// never written cannot be read. Safe to call from any thread.
class EmulatedAudioLibrary final : public AudioConfigLibrary {
public:
    struct Faults {
        bool initFails = false;
        bool noPlayback = false;                ///< no playback device is listed
        std::set<std::string> failingReads{};   ///< property names whose reads fail
        std::set<std::string> failingWrites{};  ///< property names whose writes fail
        std::set<std::string> unavailable{};    ///< property names answered with kPropertyNotAvailable
    };
    using LineSink = std::function<void(std::string_view line)>;

    explicit EmulatedAudioLibrary(LineSink capture = {});
    /// The headset as the library shows it: a playback device of type 1 and a recording device of type
    /// 2, both present, with their volume ranges and feature lists.
    [[nodiscard]] static std::unique_ptr<EmulatedAudioLibrary> Headset(LineSink capture = {});

    DeviceRecord addDevice(Direction direction, int32_t type, int32_t state = 1);
    /// New faults; a change of `noPlayback` is announced as the devices changing (WatchDevices), on the
    /// caller's thread.
    void setFaults(Faults faults);
    /// Holds every property call until released with holdCalls(false): a sound server that does not
    /// answer, for tests of what must not wait for it.
    void holdCalls(bool hold);
    /// How many property calls wait in the hold now.
    [[nodiscard]] int heldCalls() const;
    /// Sets a property's stored text (a channel of std::nullopt: the call without parameters).
    void store(const DeviceRecord& device, std::string_view name, std::optional<int32_t> channel,
               std::string text);
    /// The stored text of a property; nothing when it was never written.
    [[nodiscard]] std::optional<std::string> stored(const DeviceRecord& device, std::string_view name,
                                                    std::optional<int32_t> channel = std::nullopt) const;

    [[nodiscard]] int ConfLibInit() override;
    int CreateDeviceList() override;
    [[nodiscard]] int GetDeviceCount(Direction direction, uint32_t& count) override;
    [[nodiscard]] int GetDeviceById(Direction direction, uint32_t index, DeviceRecord& device) override;
    [[nodiscard]] int PropertyControl(const DeviceRecord& device, std::wstring_view name,
                                      PropertyValue& value, std::span<const int32_t> parameters,
                                      Access access) override;
    void WatchDevices(std::function<void()> changed) override;

private:
    using Key = std::tuple<int32_t, std::string, std::optional<int32_t>>;
    [[nodiscard]] const std::vector<DeviceRecord>& listLocked(Direction direction) const;
    [[nodiscard]] std::optional<Direction> directionOfLocked(const DeviceRecord& device) const;

    LineSink m_capture;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_holding = false;
    int m_held = 0;
    Faults m_faults;
    std::vector<DeviceRecord> m_playback;
    std::vector<DeviceRecord> m_recording;
    std::map<Key, std::string> m_properties;
    int32_t m_nextHandle = 1;
    std::mutex m_watchMutex;  ///< held while the watcher is called, so WatchDevices({}) ends the calls
    std::function<void()> m_changed;
};

}  // namespace halvern::audio
