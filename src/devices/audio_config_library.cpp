#include "devices/audio_config_library.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace halvern::audio {

void PropertyValue::setInteger(int32_t value) {
    clear();
    std::memcpy(m_bytes.data(), &value, sizeof value);
}

void PropertyValue::setFloat(float value) {
    clear();
    std::memcpy(m_bytes.data(), &value, sizeof value);
}

int32_t PropertyValue::integer() const {
    int32_t value = 0;
    std::memcpy(&value, m_bytes.data(), sizeof value);
    return value;
}

float PropertyValue::floating() const {
    float value = 0;
    std::memcpy(&value, m_bytes.data(), sizeof value);
    return value;
}

void PropertyValue::setText(std::string_view text) {
    clear();
    const size_t length = std::min(text.size(), kSize - 1);
    std::copy_n(text.begin(), length, m_bytes.begin());
}

std::string_view PropertyValue::text() const {
    const auto end = std::find(m_bytes.begin(), m_bytes.end(), '\0');
    return {m_bytes.data(), static_cast<size_t>(end - m_bytes.begin())};
}

std::optional<double> PropertyValue::number() const {
    std::string_view t = text();
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (error != std::errc() || end == t.data()) return std::nullopt;
    return value;
}

namespace {

constexpr std::array<int32_t, 4> kPlaybackTypes{1, 12, 7, 4};
constexpr int32_t kRecordingType = 2;
constexpr int32_t kPresent = 1;

std::vector<DeviceRecord> listDevices(AudioConfigLibrary& library, Direction direction) {
    uint32_t count = 0;
    if (library.GetDeviceCount(direction, count) != 0) return {};
    constexpr uint32_t kMostDevices = 64;  // the library's answer is not trusted to be sane
    std::vector<DeviceRecord> devices;
    for (uint32_t i = 0; i < std::min(count, kMostDevices); ++i) {
        DeviceRecord device;
        if (library.GetDeviceById(direction, i, device) == 0) devices.push_back(device);
    }
    return devices;
}

}  // namespace

int AudioConfigLibrary::WriteProperties(const DeviceRecord& device, std::span<PropertyWrite> writes) {
    for (PropertyWrite& write : writes) {
        if (const int result =
                PropertyControl(device, write.name, write.value, write.parameters, Access::Write);
            result != 0)
            return result;
    }
    return 0;
}

ChosenDevices ChooseDevices(AudioConfigLibrary& library) {
    ChosenDevices chosen;
    const std::vector<DeviceRecord> playback = listDevices(library, Direction::Playback);
    for (const int32_t type : kPlaybackTypes) {
        const auto it = std::find_if(playback.begin(), playback.end(), [type](const DeviceRecord& d) {
            return d.type == type && d.state == kPresent;
        });
        if (it != playback.end()) {
            chosen.playback = *it;
            break;
        }
    }
    const std::vector<DeviceRecord> recording = listDevices(library, Direction::Recording);
    const auto it = std::find_if(recording.begin(), recording.end(),
                                 [](const DeviceRecord& d) { return d.type == kRecordingType; });
    if (it != recording.end()) chosen.recording = *it;
    return chosen;
}

std::optional<std::array<int32_t, 3>> SupportFeatures(std::string_view list) {
    std::vector<std::string_view> items;
    while (true) {
        const size_t comma = list.find(',');
        items.push_back(list.substr(0, comma));
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (items.size() < 7) return std::nullopt;
    std::array<int32_t, 3> features{};
    const std::array<size_t, 3> at{0, 4, 6};
    for (size_t i = 0; i < at.size(); ++i) {
        std::string_view item = items[at[i]];
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), features[i]);
        if (error != std::errc() || end == item.data()) return std::nullopt;
    }
    return features;
}

}  // namespace halvern::audio
