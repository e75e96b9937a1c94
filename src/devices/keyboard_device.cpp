#include "devices/keyboard_device.h"

namespace halvern {

const std::array<key_table::Code, CMerivexKeyboardDevice::kKeyCount> CMerivexKeyboardDevice::kKeyCodes{};

CMerivexKeyboardDevice::CMerivexKeyboardDevice(HidBackend& backend) : CMerivexUSBDevice(backend) {}
CMerivexKeyboardDevice::~CMerivexKeyboardDevice() = default;

int CMerivexKeyboardDevice::LoadLightSettings() { return 0; }
void CMerivexKeyboardDevice::SendLightFrame() {}
void CMerivexKeyboardDevice::ActivatePage() {}
void CMerivexKeyboardDevice::RefreshPage() {}
void CMerivexKeyboardDevice::SyncWithDevice() {}
bool CMerivexKeyboardDevice::IsReady() { return false; }
int CMerivexKeyboardDevice::LoadProfile() { return 0; }
void CMerivexKeyboardDevice::ShowSettings() {}
void CMerivexKeyboardDevice::RestoreDefaults() {}
int CMerivexKeyboardDevice::WriteSettings(int, int, int, int, int) { return 0; }
void CMerivexKeyboardDevice::LoadDefaultLists() {}
void CMerivexKeyboardDevice::OpenProfileFile() {}
std::string CMerivexKeyboardDevice::GetProfileName() const { return {}; }
void CMerivexKeyboardDevice::SaveProfile() {}
void CMerivexKeyboardDevice::SetLightSettings(const BaseLightSettings& settings) { CMerivexUSBDevice::SetLightSettings(settings); }
void CMerivexKeyboardDevice::SetColours(uint32_t a, uint32_t b, uint32_t c) { CMerivexUSBDevice::SetColours(a, b, c); }
void CMerivexKeyboardDevice::AudioLevels(std::span<const int32_t>) {}
void CMerivexKeyboardDevice::AudioColour(std::span<const int32_t>) {}
void CMerivexKeyboardDevice::ProfileSwitched() {}
int CMerivexKeyboardDevice::ReadDeviceState() { return 0; }
void CMerivexKeyboardDevice::CheckMacroAssignments() {}
std::vector<uint8_t> CMerivexKeyboardDevice::ListUsedMacros() const { return {}; }
int CMerivexKeyboardDevice::WriteKeyTable(int, const std::vector<KeyListEntry>&) { return 0; }
int CMerivexKeyboardDevice::WriteKeysFromPage() { return 0; }
int CMerivexKeyboardDevice::WriteMacros(const std::vector<uint8_t>&) { return -1; }
int CMerivexKeyboardDevice::WriteKeysAndMacros() { return 0; }
int CMerivexKeyboardDevice::SetKeyAssignment(size_t, const KeyListEntry&) { return 0; }
const KeyboardSettings& CMerivexKeyboardDevice::settings() const { return m_settings; }
int CMerivexKeyboardDevice::ChangeSettings(const std::function<void(KeyboardSettings&)>&) { return 0; }
void CMerivexKeyboardDevice::SetCustomGroup(int) {}
int CMerivexKeyboardDevice::LoadCustomColours() { return 0; }
int CMerivexKeyboardDevice::SetAllKeys(bool) { return 0; }
int CMerivexKeyboardDevice::SetKeyColour(int) { return 0; }
int CMerivexKeyboardDevice::SetKeysColour(std::span<const int>, Rgb) { return 0; }
std::vector<LightColor> CMerivexKeyboardDevice::customColours() const { return {}; }
const std::vector<KeyListEntry>& CMerivexKeyboardDevice::keyList() const { return m_keys; }
bool CMerivexKeyboardDevice::keyPresent(size_t) const { return false; }
uint8_t CMerivexKeyboardDevice::keyLed(size_t) const { return kAbsentMarker; }
std::array<uint8_t, CMerivexKeyboardDevice::kKeyCount> CMerivexKeyboardDevice::keySlots() const {
    std::array<uint8_t, kKeyCount> slots{};
    slots.fill(kAbsentMarker);
    return slots;
}
const std::vector<uint8_t>& CMerivexKeyboardDevice::factoryTable() const { return m_factoryTable; }
const std::vector<uint8_t>& CMerivexKeyboardDevice::ledTable() const { return m_ledTable; }
const LightModeLists& CMerivexKeyboardDevice::lightLists() const { return m_lists; }
const std::vector<std::string>& CMerivexKeyboardDevice::macroNames() const { return m_macroNames; }
int CMerivexKeyboardDevice::activeRecord() const { return m_activeRecord.load(); }
CKeyboardProfiledata& CMerivexKeyboardDevice::profile() { return m_profile; }
void CMerivexKeyboardDevice::HandleNotification(uint16_t, bool) {}
CMerivexKeyboardDevice::StreamStats CMerivexKeyboardDevice::streamStats() const { return {}; }

}  // namespace halvern
