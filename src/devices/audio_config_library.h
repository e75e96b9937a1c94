#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace halvern::audio {

/// Which side of the sound card a device is on.
enum class Direction : int32_t { Playback = 0, Recording = 1 };

/// A device as the library lists it: its handle, type, a third word and its state (1: present).
struct DeviceRecord {
    int32_t handle = 0;
    int32_t type = 0;
    int32_t third = 0;
    int32_t state = 0;
    bool operator==(const DeviceRecord&) const = default;
};
static_assert(sizeof(DeviceRecord) == 16);

/// The value buffer of a property call (1024 bytes, zeroed before each call). A write puts the value into
/// its first 4 bytes (a 32-bit integer, or a 32-bit float for the scalar volumes); a read leaves the value
/// as decimal text.
class PropertyValue {
public:
    static constexpr size_t kSize = 1024;

    void clear() { m_bytes.fill(0); }
    void setInteger(int32_t value);
    void setFloat(float value);
    [[nodiscard]] int32_t integer() const;
    [[nodiscard]] float floating() const;
    /// Stores `text` as the read value, cut to fit with its terminating zero.
    void setText(std::string_view text);
    /// The read value's text (up to the first zero byte, never past the buffer).
    [[nodiscard]] std::string_view text() const;
    /// The read value as a number; nothing when the text is not one.
    [[nodiscard]] std::optional<double> number() const;

private:
    std::array<char, kSize> m_bytes{};
};

/// What a property call does.
enum class Access : int32_t { Read = 0, Write = 1 };

/// PropertyControl's answer for a property this system has nothing to act on (no sound processing for it):
/// the page shows the property's control disabled and says why, instead of treating it as a failed write.
inline constexpr int kPropertyNotAvailable = 2;

/// One write of a batch (AudioConfigLibrary::WriteProperties).
struct PropertyWrite {
    std::wstring_view name;
    PropertyValue value;
    std::span<const int32_t> parameters;
};

/// The sound card's configuration library: the five calls the headset's page makes, and a batch of writes.
/// Results are 0 for success unless a call says otherwise.
class AudioConfigLibrary {
public:
    virtual ~AudioConfigLibrary() = default;

    /// 0 when the library is ready.
    [[nodiscard]] virtual int ConfLibInit() = 0;
    /// Builds the device lists; the result means nothing.
    virtual int CreateDeviceList() = 0;
    /// The number of devices on one side.
    [[nodiscard]] virtual int GetDeviceCount(Direction direction, uint32_t& count) = 0;
    [[nodiscard]] virtual int GetDeviceById(Direction direction, uint32_t index, DeviceRecord& device) = 0;
    /// Reads or writes the property `name` of `device`; `parameters` (may be empty) select the channel
    /// (its first integer) or, for the surround control, carry three integers.
    [[nodiscard]] virtual int PropertyControl(const DeviceRecord& device, std::wstring_view name,
                                              PropertyValue& value, std::span<const int32_t> parameters,
                                              Access access) = 0;
    /// Writes `writes` to `device` as one change: 0 when every write was taken, otherwise the result of
    /// the first one refused. A library that can apply them together does (the Linux library loads the
    /// equaliser's filter once for all its bands); by default each is written in turn with PropertyControl
    /// and the first refusal ends the batch, the writes before it staying.
    [[nodiscard]] virtual int WriteProperties(const DeviceRecord& device, std::span<PropertyWrite> writes);
    /// Calls `changed`, on a thread of the library's, whenever the devices it lists may have changed (a
    /// sound device came or went, the sound server started or stopped); `changed` must only hand the news
    /// on. An empty function ends the calls: once this returns, the one before is not called any more. A
    /// library without such news never calls.
    virtual void WatchDevices(std::function<void()> changed) { (void)changed; }
    /// Whether what a write of the property `name` switched on lasts only while this library does (a filter
    /// run as a process of its own program): a program that reads it after this one ended finds it off.
    [[nodiscard]] virtual bool EndsWithLibrary(std::wstring_view name) {
        (void)name;
        return false;
    }
};

/// The headset's two devices, as chosen from the library's lists.
struct ChosenDevices {
    std::optional<DeviceRecord> playback;
    std::optional<DeviceRecord> recording;
};

/// The playback device: the first present one (state 1) of type 1, else of type 12, else 7, else 4. The
/// recording device: the first recording device of type 2. Devices the library will not give are skipped.
[[nodiscard]] ChosenDevices ChooseDevices(AudioConfigLibrary& library);

/// The integers a device's "GetSupportFeature" list gives at items 0, 4 and 6; nothing when the list has
/// fewer than 7 items or one of them is not a number.
[[nodiscard]] std::optional<std::array<int32_t, 3>> SupportFeatures(std::string_view list);

}  // namespace halvern::audio
