#include "devices/keyboard_device.h"

#include <algorithm>

#include "device/debug_sink.h"
#include "devices/keyboard_record.h"
#include "devices/light_head.h"
#include "profile/json_access.h"

namespace halvern {
namespace {

constexpr int kKeyboardKindId = 0;

constexpr CMerivexKeyedDevice::Kind kKeyboardKind{DeviceKind::Keyboard, kKeyboardKindId,
                                                  "KB 设备同步线程设定退出", false};
constexpr CMerivexKeyedDevice::Keys kKeyboardKeys{CMerivexKeyboardDevice::kKeyCodes, "factory_keys"};

}  // namespace

CMerivexKeyboardDevice::CMerivexKeyboardDevice(HidBackend& backend)
    : CMerivexKeyedDevice(backend, kKeyboardKind, kKeyboardKeys),
      m_commit(m_settings, {[this](Done done) { sendSettingsRecord(std::move(done)); },
                            [this](const KeyboardSettings& settings) {
                                m_settings = settings;
                                storeSettingsInProfile();
                            },
                            [this] { return SaveProfile(); },
                            [this](const KeyboardSettings& before, const KeyboardSettings& after) {
                                if (after.light == before.light) return;
                                applyLight(after.light, false);
                                modeChanged(before.light.mode);
                            }}) {
    m_profile.SetDeviceIndex(0);
    m_keyLeds.fill(kAbsentMarker);
}

CMerivexKeyboardDevice::~CMerivexKeyboardDevice() {
    stopThreads();
}

// ---- Keys and LEDs ----

uint8_t CMerivexKeyboardDevice::keyLed(size_t key) const {
    std::scoped_lock lock(m_ledMutex);
    return key < kKeyCount ? m_keyLeds[key] : kAbsentMarker;
}

std::array<uint8_t, CMerivexKeyboardDevice::kKeyCount> CMerivexKeyboardDevice::keySlots() const {
    std::array<uint8_t, kKeyCount> slots{};
    for (size_t j = 0; j < kKeyCount; ++j) {
        // A slot past 254 could not be told from the marker; no keyboard has that many.
        slots[j] = keyPresent(j) ? static_cast<uint8_t>(std::min(keyMap()[j], 254)) : kAbsentMarker;
    }
    return slots;
}

// ---- Page life ----

void CMerivexKeyboardDevice::tablesRead(const jobs::Tables& tables) {
    m_ledTable = tables.leds;
    std::scoped_lock lock(m_ledMutex);
    m_keyLeds.fill(kAbsentMarker);
    for (size_t j = 0; j < kKeyCount; ++j) {
        if (!keyPresent(j)) continue;
        const auto slot = static_cast<size_t>(keyMap()[j]);
        if (slot < m_ledTable.size()) m_keyLeds[j] = m_ledTable[slot];
    }
    m_slotCount = m_ledTable.size();
}

void CMerivexKeyboardDevice::takeSettingsFromProfile() {
    m_settings.system = m_profile.GetKeyboardSystem();
    m_settings.light = m_profile.GetLightInfo();
    m_customColours = m_profile.GetCustomLightColors(customSet(), static_cast<int>(kKeyCount));
    pushCustomColoursToEngine();
    m_commit.reset();
}

void CMerivexKeyboardDevice::storeSettingsInProfile() {
    m_profile.SetKeyboardSystem(m_settings.system);
    m_profile.SetLightInfo(m_settings.light);
}

int CMerivexKeyboardDevice::customSet() {
    const int set = m_profile.GetCustomGroupIndex();
    return IsListIndex(set) ? set : 0;
}

void CMerivexKeyboardDevice::modeChanged(uint8_t previousMode) {
    if (m_settings.light.mode == kCustomColourMode && previousMode != kCustomColourMode) {
        LoadCustomColours([](DeviceResult r) {
            if (!r) debugLog("custom colours not written on entering the custom colour mode: " + describe(r));
        });
    }
    wakeStreamer();
}

// ---- Light settings ----

void CMerivexKeyboardDevice::SetLightSettings(const BaseLightSettings& settings) {
    const uint8_t previousMode = m_settings.light.mode;
    CMerivexKeyedDevice::SetLightSettings(settings);
    modeChanged(previousMode);
}

void CMerivexKeyboardDevice::AudioColour(std::span<const int32_t> values) {
    lighting().update([values](LightingEngine& e) { e.deliverExternalColour(values); });
    wakeStreamer();
}

// ---- Onboard record ----

size_t CMerivexKeyboardDevice::stateRecordSize() const {
    return keyboard_record::kSize;
}
uint16_t CMerivexKeyboardDevice::stateRecordStride() const {
    return keyboard_record::kStride;
}

void CMerivexKeyboardDevice::takeStateRecord(std::span<const uint8_t> bytes) {
    keyboard_record::Record record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    record[16] = 0;

    const keyboard_record::Reading reading = keyboard_record::Read(record, lightLists().values);
    const uint8_t previousMode = m_settings.light.mode;
    LightSetting light = m_settings.light;  // the custom group and the rest stay the page's
    light_head::TakeHead(light, reading.light, true);
    light.audioLightMode = reading.light.audioLightMode;
    applyLight(light, false);
    modeChanged(previousMode);
    // The polling rate is the page's: the keyboard's byte is not taken back.
    m_settings.system.key6Flag = reading.key6Flag;
    m_settings.system.wFlag = reading.wFlag;
    m_settings.system.winFlag = reading.winFlag;
    storeSettingsInProfile();
    m_commit.reset();
}

std::optional<CMerivexKeyedDevice::Record> CMerivexKeyboardDevice::settingsRecord(int slot, int firstByte,
                                                                                  int, int, int) {
    if (slot < 0 || static_cast<long>(slot) * keyboard_record::kStride + keyboard_record::kSize > 0xFFFF)
        return std::nullopt;
    keyboard_record::Contents contents;
    contents.firstByte = static_cast<uint8_t>(firstByte);
    contents.light = m_profile.GetLightInfo();
    contents.modeValues = lightLists().values;
    contents.system = m_profile.GetKeyboardSystem();
    const keyboard_record::Record record = keyboard_record::Build(contents);
    return Record{{record.begin(), record.end()}, static_cast<uint16_t>(slot * keyboard_record::kStride)};
}

void CMerivexKeyboardDevice::ChangeSettings(const std::function<void(KeyboardSettings&)>& change, Done done,
                                            bool persist) {
    change(m_settings);
    storeSettingsInProfile();
    m_commit.commit(std::move(done), persist);
}

}  // namespace halvern
