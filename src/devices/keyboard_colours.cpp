// The keyboard's per-key colours: the custom colour sets of mode 20 and the streamed frames of modes 29
// and 30. Both go to the keyboard as 3 bytes per LED position, key-slot count × 3 bytes in all, and
// neither is ever sent through the receiver.

#include <algorithm>

#include "devices/keyboard_device.h"
#include "profile/json_access.h"

namespace halvern {
namespace {

constexpr size_t kBlockSize = 512;  ///< one custom colour group, and one streamed frame
constexpr size_t kMaxLedPosition = kBlockSize / 3 - 1;

// Puts a colour at an LED position; positions whose three bytes do not fit the block are skipped.
void putColour(std::span<uint8_t, kBlockSize> block, uint8_t led, Rgb colour) {
    if (led > kMaxLedPosition) return;
    block[3 * size_t{led}] = colour.red;
    block[3 * size_t{led} + 1] = colour.green;
    block[3 * size_t{led} + 2] = colour.blue;
}

Rgb scaled(const LightColor& c) {
    const auto scale = [&c](uint8_t v) { return static_cast<uint8_t>(unsigned{v} * c.alpha / 256); };
    return {scale(c.red), scale(c.green), scale(c.blue)};
}

}  // namespace

// ---- Custom colours ----

void CMerivexKeyboardDevice::pushCustomColoursToEngine() {
    std::array<Rgb, kKeyCount> colours{};
    for (size_t i = 0; i < std::min(kKeyCount, m_customColours.size()); ++i) {
        colours[i] = {m_customColours[i].red, m_customColours[i].green, m_customColours[i].blue};
    }
    lighting().update([&colours](LightingEngine& e) { e.setCustomColours(colours); });
}

void CMerivexKeyboardDevice::writeCustomColours(bool scaledByLevel, Done done) {
    const CommandChannel& channel = commandChannel();
    if (!channel.connected() || channel.receiverMode()) {
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    }
    const size_t group = m_settings.light.customGroup;
    // Beyond the keyboard's addressable colour memory.
    if (group * kBlockSize > 0xFFFF)
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    std::array<uint8_t, kBlockSize> block{};
    size_t length = 0;
    {
        std::scoped_lock lock(m_ledMutex);
        for (size_t i = 0; i < std::min(kKeyCount, m_customColours.size()); ++i) {
            const LightColor& c = m_customColours[i];
            if (m_keyLeds[i] == kAbsentMarker) continue;
            putColour(block, m_keyLeds[i], scaledByLevel ? scaled(c) : Rgb{c.red, c.green, c.blue});
        }
        length = std::min(m_slotCount * 3, kBlockSize);
    }
    // The keyboard's tables were never read: there is nothing to place the colours by.
    if (length == 0) return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    queue().submit(
        [block, length, group](CommandChannel& ch) {
            return DeviceResult::FromCode(
                ch.WriteLight(std::span(block).first(length), static_cast<uint16_t>(group), kBlockSize),
                DeviceStep::CustomColours);
        },
        std::move(done));
}

void CMerivexKeyboardDevice::replaceCustomColours(std::vector<LightColor> colours, bool write,
                                                  bool scaledByLevel, Done done) {
    std::vector<LightColor> before = std::move(m_customColours);
    m_customColours = std::move(colours);
    pushCustomColoursToEngine();
    auto settle = [this, before = std::move(before), done](DeviceResult result) mutable {
        if (result) {
            m_profile.SetCustomLightColors(m_customColours, customSet());
            if (!SaveProfile()) result = DeviceResult::FileError();
        } else {
            m_customColours = std::move(before);
            pushCustomColoursToEngine();
        }
        if (done) done(result);
    };
    if (!write) return settle(DeviceResult{});
    writeCustomColours(scaledByLevel, std::move(settle));
}

void CMerivexKeyboardDevice::LoadCustomColours(Done done) {
    m_customColours = m_profile.GetCustomLightColors(customSet(), static_cast<int>(kKeyCount));
    pushCustomColoursToEngine();
    if (m_settings.light.mode != kCustomColourMode) return queue().completeLater(done, {});
    writeCustomColours(true, std::move(done));
}

void CMerivexKeyboardDevice::SetCustomGroup(int group, Done done) {
    if (!IsListIndex(group))
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    m_profile.SetCustomGroupIndex(group);
    if (!SaveProfile()) return queue().completeLater(done, DeviceResult::FileError());
    LoadCustomColours(std::move(done));
}

void CMerivexKeyboardDevice::SetAllKeys(bool on, Done done) {
    const LightSetting& light = m_settings.light;
    const LightColor colour =
        on ? LightColor{light.red, light.green, light.blue, 255} : LightColor{0, 0, 0, 255};
    replaceCustomColours(std::vector<LightColor>(kKeyCount, colour),
                         m_settings.light.mode == kCustomColourMode, true, std::move(done));
}

void CMerivexKeyboardDevice::SetKeyColour(int key, Done done) {
    const LightSetting& light = m_settings.light;
    const std::array<int, 1> keys{key};
    SetKeysColour(keys, {light.red, light.green, light.blue}, std::move(done));
}

void CMerivexKeyboardDevice::SetKeysColour(std::span<const int> keys, Rgb colour, Done done) {
    if (m_settings.light.mode != kCustomColourMode) {
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    }
    std::vector<LightColor> colours = m_customColours;
    colours.resize(kKeyCount);
    bool any = false;
    for (const int key : keys) {
        if (key < 0 || static_cast<size_t>(key) >= kKeyCount) continue;
        colours[static_cast<size_t>(key)] = {colour.red, colour.green, colour.blue, 255};
        any = true;
    }
    if (!any) return queue().completeLater(done, DeviceResult::Refused(DeviceStep::CustomColours));
    replaceCustomColours(std::move(colours), true, false, std::move(done));
}

void CMerivexKeyboardDevice::inCustomColourMode(std::function<void(Done)> then, Done done) {
    if (m_settings.light.mode == kCustomColourMode) return then(std::move(done));
    ChangeSettings([](KeyboardSettings& s) { s.light.mode = kCustomColourMode; },
                   [then = std::move(then), done = std::move(done)](DeviceResult switched) mutable {
                       if (switched) return then(std::move(done));
                       if (done) done(switched);
                   });
}

void CMerivexKeyboardDevice::PaintKeys(std::span<const int> keys, Rgb colour, Done done) {
    inCustomColourMode([this, keys = std::vector<int>(keys.begin(), keys.end()),
                        colour](Done painted) { SetKeysColour(keys, colour, std::move(painted)); },
                       std::move(done));
}

void CMerivexKeyboardDevice::PaintKeysOff(Done done) {
    inCustomColourMode([this](Done painted) { SetAllKeys(false, std::move(painted)); }, std::move(done));
}

// ---- Streamed frames ----

// A frame takes about 13 ms on the cable (six reports of 1 ms each way); starting one every 15 ms gives
// some 66 frames a second, smooth to the eye, and leaves the link a little room for other commands.
bool CMerivexKeyboardDevice::streamWanted(std::chrono::milliseconds& minPeriod) {
    minPeriod = std::chrono::milliseconds(15);
    const CommandChannel& channel = commandChannel();
    const uint8_t mode = lightSettings().mode;
    if (!lightControl() || !channel.connected() || channel.receiverMode()) return false;
    if (mode != kMusicMode && mode != kExternalColourMode) return false;
    std::scoped_lock lock(m_ledMutex);
    return m_slotCount > 0;  // without the LED table there is nothing to place the keys by
}

size_t CMerivexKeyboardDevice::buildStreamFrame(const LedFrame& frame,
                                                DeviceQueue::FrameBuffer& buffer) const {
    std::scoped_lock lock(m_ledMutex);
    const std::span<uint8_t, kBlockSize> block(buffer);
    for (size_t i = 0; i < std::min(kKeyCount, frame.size()); ++i) {
        if (m_keyLeds[i] != kAbsentMarker) putColour(block, m_keyLeds[i], frame.shown(i));
    }
    return std::min(m_slotCount * 3, kBlockSize);
}

}  // namespace halvern
