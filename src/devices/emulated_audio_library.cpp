#include "devices/emulated_audio_library.h"

#include <algorithm>
#include <charconv>
#include <memory>

namespace halvern::audio {
namespace {

constexpr int kFailed = -1;
constexpr std::array<std::string_view, 2> kScalarVolumes{"VolumeScalarControl", "AAVolumeScalarControl"};

// Property names are plain ASCII; anything else is shown as '?' and never matches a stored name.
std::string narrow(std::wstring_view name) {
    std::string out;
    out.reserve(name.size());
    for (const wchar_t c : name) out.push_back(c > 0 && c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::string decimal(float value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? std::string(text.data(), end) : std::string("0");
}

}  // namespace

EmulatedAudioLibrary::EmulatedAudioLibrary(LineSink capture) : m_capture(std::move(capture)) {}

std::unique_ptr<EmulatedAudioLibrary> EmulatedAudioLibrary::Headset(LineSink capture) {
    auto library = std::make_unique<EmulatedAudioLibrary>(std::move(capture));
    const DeviceRecord speaker = library->addDevice(Direction::Playback, 1);
    const DeviceRecord microphone = library->addDevice(Direction::Recording, 2);
    library->store(speaker, "GetSupportFeature", std::nullopt, "1,0,0,0,1,0,1");
    library->store(microphone, "GetSupportFeature", std::nullopt, "1,0,0,0,1,0,1");
    for (const auto& [name, value] : {std::pair{"GetMaxVol", "30.00"}, std::pair{"GetMinVol", "-12.00"},
                                      std::pair{"GetVolStep", "0.50"}, std::pair{"GetAAMaxVol", "12.00"},
                                      std::pair{"GetAAMinVol", "-34.50"}, std::pair{"GetAAVolStep", "1.50"}})
        library->store(microphone, name, std::nullopt, value);
    return library;
}

DeviceRecord EmulatedAudioLibrary::addDevice(Direction direction, int32_t type, int32_t state) {
    std::scoped_lock lock(m_mutex);
    const DeviceRecord device{m_nextHandle++, type, 0, state};
    (direction == Direction::Playback ? m_playback : m_recording).push_back(device);
    return device;
}

void EmulatedAudioLibrary::setFaults(Faults faults) {
    bool devicesChanged = false;
    {
        std::scoped_lock lock(m_mutex);
        devicesChanged = faults.noPlayback != m_faults.noPlayback;
        m_faults = std::move(faults);
    }
    std::scoped_lock lock(m_watchMutex);
    if (devicesChanged && m_changed) m_changed();
}

void EmulatedAudioLibrary::WatchDevices(std::function<void()> changed) {
    std::scoped_lock lock(m_watchMutex);
    m_changed = std::move(changed);
}

void EmulatedAudioLibrary::store(const DeviceRecord& device, std::string_view name,
                                 std::optional<int32_t> channel, std::string text) {
    std::scoped_lock lock(m_mutex);
    m_properties[Key{device.handle, std::string(name), channel}] = std::move(text);
}

std::optional<std::string> EmulatedAudioLibrary::stored(const DeviceRecord& device, std::string_view name,
                                                        std::optional<int32_t> channel) const {
    std::scoped_lock lock(m_mutex);
    const auto it = m_properties.find(Key{device.handle, std::string(name), channel});
    if (it == m_properties.end()) return std::nullopt;
    return it->second;
}

const std::vector<DeviceRecord>& EmulatedAudioLibrary::listLocked(Direction direction) const {
    static const std::vector<DeviceRecord> kNone;
    if (direction == Direction::Playback) return m_faults.noPlayback ? kNone : m_playback;
    return m_recording;
}

std::optional<Direction> EmulatedAudioLibrary::directionOfLocked(const DeviceRecord& device) const {
    for (const Direction direction : {Direction::Playback, Direction::Recording}) {
        const auto& list = listLocked(direction);
        if (std::find(list.begin(), list.end(), device) != list.end()) return direction;
    }
    return std::nullopt;
}

int EmulatedAudioLibrary::ConfLibInit() {
    std::scoped_lock lock(m_mutex);
    return m_faults.initFails ? kFailed : 0;
}

int EmulatedAudioLibrary::CreateDeviceList() {
    return 0;
}

int EmulatedAudioLibrary::GetDeviceCount(Direction direction, uint32_t& count) {
    std::scoped_lock lock(m_mutex);
    count = static_cast<uint32_t>(listLocked(direction).size());
    return 0;
}

int EmulatedAudioLibrary::GetDeviceById(Direction direction, uint32_t index, DeviceRecord& device) {
    std::scoped_lock lock(m_mutex);
    const auto& list = listLocked(direction);
    if (index >= list.size()) return kFailed;
    device = list[index];
    return 0;
}

void EmulatedAudioLibrary::holdCalls(bool hold) {
    {
        std::scoped_lock lock(m_mutex);
        m_holding = hold;
    }
    if (!hold) m_released.notify_all();
}

int EmulatedAudioLibrary::heldCalls() const {
    std::scoped_lock lock(m_mutex);
    return m_held;
}

int EmulatedAudioLibrary::PropertyControl(const DeviceRecord& device, std::wstring_view wideName,
                                          PropertyValue& value, std::span<const int32_t> parameters,
                                          Access access) {
    const std::string name = narrow(wideName);
    const std::optional<int32_t> channel =
        parameters.empty() ? std::nullopt : std::optional<int32_t>(parameters.front());
    const bool scalar = std::find(kScalarVolumes.begin(), kScalarVolumes.end(), name) != kScalarVolumes.end();
    std::string shown;
    std::string line;
    int result = kFailed;
    {
        std::unique_lock lock(m_mutex);
        if (m_holding) {
            ++m_held;
            m_released.wait(lock, [this] { return !m_holding; });
            --m_held;
        }
        const std::optional<Direction> direction = directionOfLocked(device);
        const Key key{device.handle, name, channel};
        if (m_faults.unavailable.contains(name)) {
            value.clear();
            result = kPropertyNotAvailable;
        } else if (access == Access::Write) {
            shown = scalar ? decimal(value.floating()) : std::to_string(value.integer());
            if (direction && !m_faults.failingWrites.contains(name)) {
                m_properties[key] = shown;
                result = 0;
            }
        } else {
            const auto it = m_properties.find(key);
            value.clear();
            if (direction && it != m_properties.end() && !m_faults.failingReads.contains(name)) {
                value.setText(it->second);
                shown = it->second;
                result = 0;
            }
        }
        if (!m_capture) return result;
        line = "AUDIO ";
        line += direction == Direction::Recording ? "R " : "P ";
        line += access == Access::Write ? "write " : "read ";
        line += name;
        if (channel) line += " " + std::to_string(*channel);
        line += " " + (result == 0                       ? shown
                       : result == kPropertyNotAvailable ? std::string("unavailable")
                                                         : std::string("failed"));
    }
    m_capture(line);  // outside the lock: the sink may call back
    return result;
}

}  // namespace halvern::audio
