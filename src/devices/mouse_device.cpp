#include "devices/mouse_device.h"

#include <algorithm>
#include <cstdio>

#include "devices/factory_table_store.h"
#include "devices/light_conversion.h"
#include "input/macro_store.h"
#include "profile/data_folders.h"
#include "profile/file_names.h"
#include "profile/profile_list.h"

namespace halvern {
namespace {

constexpr int kMouseKindId = 1;
constexpr const char* kLightConfigFile = "zantor_light.config";

}  // namespace

CMerivexMouseDevice::CMerivexMouseDevice(HidBackend& backend)
    : CMerivexUSBDevice(backend),
      m_keyMap(kButtonCount, key_table::kAbsent),
      m_lighting(DeviceKind::Mouse),
      m_cableReader(notificationChannel().cableInterface(),
                    [this](uint16_t code) { HandleNotification(code, true); }, "MS 设备同步线程设定退出"),
      m_receiverReader(notificationChannel().receiverInterface(),
                       [this](uint16_t code) { HandleNotification(code, false); }, "MS 设备同步线程设定退出") {
    m_profile.SetDeviceIndex(0);
}

CMerivexMouseDevice::~CMerivexMouseDevice() {
    // The threads use the members: they stop before any member goes. Closing the notification interfaces
    // wakes a reader that waits for a report; the device is going away, so nothing else reads them.
    notificationChannel().cableInterface().Close();
    notificationChannel().receiverInterface().Close();
    m_cableReader.stop();
    m_receiverReader.stop();
    m_lighting.stop();
}

// ---- Link and device information ----

bool CMerivexMouseDevice::linkAnswers() {
    CommandChannel& channel = commandChannel();
    if (!channel.connected()) return false;
    return !channel.receiverMode() || channel.QueryLink() == result::kSuccess;
}

bool CMerivexMouseDevice::IsReady() { return linkAnswers(); }

bool CMerivexMouseDevice::readInfoAndKeyTable() {
    CommandChannel& channel = commandChannel();
    if (!linkAnswers()) return false;
    if (channel.Begin() != result::kSuccess) return false;
    if (channel.ReadInfo(info()) != result::kSuccess) return false;
    const uint16_t tableSize = static_cast<uint16_t>(info()[5] * key_table::kEntrySize);
    if (channel.SetBlockSize(tableSize) != 1) return false;
    std::vector<uint8_t> table(tableSize);
    if (channel.ReadBlock(table) != result::kSuccess) return false;
    if (channel.End() != result::kSuccess) return false;
    m_factoryTable = RememberFactoryTable(factoryTableFile(), std::move(table));
    m_keyMap = key_table::BuildKeyMap(m_factoryTable, kButtonCodes);
    return true;
}

std::filesystem::path CMerivexMouseDevice::factoryTableFile() const {
    char name[40];
    std::snprintf(name, sizeof name, "factory_keys_%04x_%04x.json", identity().vid, identity().pid);
    return UserFolder() / name;
}

bool CMerivexMouseDevice::buttonPresent(size_t button) const {
    return button < m_keyMap.size() && m_keyMap[button] != key_table::kAbsent;
}

std::array<uint8_t, CMerivexMouseDevice::kButtonCount> CMerivexMouseDevice::buttonSlots() const {
    std::array<uint8_t, kButtonCount> slots{};
    for (size_t j = 0; j < kButtonCount; ++j) {
        slots[j] = buttonPresent(j) ? static_cast<uint8_t>(m_keyMap[j]) : kAbsentMarker;
    }
    return slots;
}

// ---- Page life ----

void CMerivexMouseDevice::ActivatePage() {
    (void)readInfoAndKeyTable();  // a mouse that does not answer still gets its page from the profile
    LoadProfile();
    (void)ReadDeviceState();
    ShowSettings();
    m_lighting.start();
    startReaders();
}

void CMerivexMouseDevice::RefreshPage() {
    (void)ReadDeviceState();
    ShowSettings();
}

void CMerivexMouseDevice::ProfileSwitched() {
    LoadProfile();
    ShowSettings();
}

void CMerivexMouseDevice::startReaders() {
    if (!m_cableReader.running()) m_cableReader.start();
    if (!m_receiverReader.running()) m_receiverReader.start();
}

void CMerivexMouseDevice::ShowSettings() {
    LoadDefaultLists();
    if (events().settingsShown) events().settingsShown();
}

std::filesystem::path CMerivexMouseDevice::lightConfigPath() const { return UserFolder() / kLightConfigFile; }

void CMerivexMouseDevice::LoadDefaultLists() {
    m_macroNames.clear();
    for (const MacroEntry& entry : MacroStore(UserFolder()).LoadMacroList()) m_macroNames.push_back(entry.name);
    LoadLightModeLists(kMouseKindId, GetDefaultDataFolder(), lightConfigPath(), m_lists);
}

size_t CMerivexMouseDevice::macroCount() {
    return MacroStore(UserFolder()).LoadMacroList().size();
}

// ---- Profile ----

// The profile id comes from the page's profile list; without one (a first start, the command line) the
// device takes the list's selected profile itself, creating the list when there is none.
void CMerivexMouseDevice::OpenProfileFile() {
    if (!IsSafeFileStem(profileName())) {
        ProfileList list;
        list.SetDeviceType(typeCode());
        list.SetPaths(UserFolder(), DefaultDataFile());
        list.Init();
        SetProfileName(list.GetCurrentProfileId());
    }
    m_profile.SetDefaultPath(DefaultDataFile());
    m_profile.SetLightConfigPath(lightConfigPath());
    if (IsSafeFileStem(profileName())) m_profile.SetProfilePath(UserFolder() / (profileName() + ".Json"));
}

std::string CMerivexMouseDevice::GetProfileName() const { return profileName(); }

int CMerivexMouseDevice::LoadProfile() {
    OpenProfileFile();
    if (m_profile.GetProfilePath().empty()) return 0;
    (void)m_profile.LoadDeviceRecord(m_profile.GetProfilePath());
    (void)m_profile.LoadLightConfig(lightConfigPath());
    takeSettingsFromProfile();
    m_keys = m_profile.GetKeyList();
    LoadLightSettings();
    return 1;
}

void CMerivexMouseDevice::takeSettingsFromProfile() {
    m_settings.stages = m_profile.GetDpiStages();
    m_settings.activeStage = m_profile.GetActiveStage();
    m_settings.system = m_profile.GetMouseSystem();
    m_settings.light = m_profile.GetLightInfo();
}

void CMerivexMouseDevice::storeSettingsInProfile() {
    m_profile.SetDpiStages(m_settings.stages);
    m_profile.SetActiveStage(m_settings.activeStage);
    m_profile.SetMouseSystem(m_settings.system);
    m_profile.SetLightInfo(m_settings.light);
}

void CMerivexMouseDevice::SaveProfile() { (void)m_profile.Save(); }

void CMerivexMouseDevice::RestoreDefaults() {
    (void)m_profile.LoadDeviceRecord(DefaultDataFile());
    takeSettingsFromProfile();
    m_keys = m_profile.GetKeyList();
    LoadLightSettings();
    SaveProfile();
    ShowSettings();
}

// ---- Lighting ----

void CMerivexMouseDevice::applyLight(const LightSetting& light, bool fromProfile) {
    m_settings.light = light;
    BaseLightSettings base = lightSettings();
    base.mode = light.mode;
    base.brightness = light.brightness;
    base.speed = light.speed;
    base.direction = light.direction;
    base.colourful = light.multiColor;
    base.red = light.red;
    base.green = light.green;
    base.blue = light.blue;
    CMerivexUSBDevice::SetLightSettings(base);
    const AudioLightInfo audio = m_profile.GetAudioLightInfo();
    const LightSettings engine = ToEngineSettings(light, audio);
    if (!fromProfile) {
        m_lighting.update([&](LightingEngine& e) { e.applySettings(engine); });
        return;
    }
    auto ledList = ToLedLightList(m_profile.GetLightList());
    auto sequence = ToSequence(m_profile.GetLightEffectFrames());
    m_lighting.update([&](LightingEngine& e) {
        e.applySettings(engine);
        e.loadLightList(std::move(ledList), steadyMillis());
        e.loadSequence(std::move(sequence));
    });
}

int CMerivexMouseDevice::LoadLightSettings() {
    applyLight(m_profile.GetLightInfo(), true);
    return 1;
}

void CMerivexMouseDevice::SetLightSettings(const BaseLightSettings& settings) {
    LightSetting light = m_settings.light;
    light.mode = settings.mode;
    light.brightness = settings.brightness;
    light.speed = settings.speed;
    light.direction = settings.direction;
    light.multiColor = settings.colourful;
    light.red = settings.red;
    light.green = settings.green;
    light.blue = settings.blue;
    m_profile.SetLightInfo(light);
    applyLight(light, false);
}

void CMerivexMouseDevice::SetColours(uint32_t a, uint32_t b, uint32_t c) {
    CMerivexUSBDevice::SetColours(a, b, c);
    AudioLightInfo audio = m_profile.GetAudioLightInfo();
    audio.audioMode = static_cast<uint8_t>(c);
    audio.bkColorR = static_cast<uint8_t>(a);
    audio.bkColorG = static_cast<uint8_t>(a >> 8);
    audio.bkColorB = static_cast<uint8_t>(a >> 16);
    audio.fgColorR = static_cast<uint8_t>(b);
    audio.fgColorG = static_cast<uint8_t>(b >> 8);
    audio.fgColorB = static_cast<uint8_t>(b >> 16);
    m_profile.SetAudioLightInfo(audio);
    applyLight(m_settings.light, false);
}

void CMerivexMouseDevice::AudioLevels(std::span<const int32_t> levels) {
    m_lighting.update([levels](LightingEngine& e) { e.deliverAudioLevels(levels); });
}

void CMerivexMouseDevice::SendLightFrame() {
    m_lighting.copyFrameTo(*this);
    CMerivexUSBDevice::SendLightFrame();
}

// ---- Onboard record ----

int CMerivexMouseDevice::ReadDeviceState() {
    CommandChannel& channel = commandChannel();
    channel.setLightSync(false);
    if (!linkAnswers()) return 0;
    uint8_t active = 0;
    if (channel.ReadAt(std::span(&active, 1), 0) != result::kSuccess) return 0;
    mouse_record::Record record{};
    if (channel.ReadAt(record, static_cast<uint16_t>(active * mouse_record::kStride)) != result::kSuccess) return 0;
    record[0] = active;
    record[9] = 0;
    m_lastRecord = record;
    m_activeRecord = active;

    const mouse_record::Reading reading = mouse_record::Read(record, m_lists.values);
    LightSetting light = m_settings.light;  // the direction stays the page's
    light.mode = reading.light.mode;
    light.brightness = reading.light.brightness;
    light.speed = reading.light.speed;
    light.multiColor = reading.light.multiColor;
    light.red = reading.light.red;
    light.green = reading.light.green;
    light.blue = reading.light.blue;
    applyLight(light, false);
    m_settings.activeStage = reading.activeStage;
    m_profile.SetActiveStage(reading.activeStage);
    m_profile.SetLightInfo(light);
    SaveProfile();
    return 1;
}

int CMerivexMouseDevice::WriteSettings(int slot, int firstByte, int byte68, int width, int height) {
    const std::vector<DpiStage> stages = m_profile.GetDpiStages();
    const std::vector<CorrectEntry> corrections = m_profile.GetCorrectInfo();
    const MouseSystem system = m_profile.GetMouseSystem();
    mouse_record::Contents contents;
    contents.firstByte = static_cast<uint8_t>(firstByte);
    contents.byte68 = static_cast<uint8_t>(byte68);
    contents.screenWidth = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
    contents.screenHeight = static_cast<uint16_t>(std::clamp(height, 0, 0xFFFF));
    contents.light = m_profile.GetLightInfo();
    contents.modeValues = m_lists.values;
    contents.pollingIndex = static_cast<uint8_t>(system.reportRate);
    contents.activeStage = static_cast<uint8_t>(m_profile.GetActiveStage());
    contents.stages = stages;
    contents.corrections = corrections;
    const mouse_record::Record record = mouse_record::Build(contents);

    CommandChannel& channel = commandChannel();
    if (!channel.connected()) return 1;  // nothing to write to: the profile holds the change
    if (slot < 0 || slot * mouse_record::kStride > 0xFFFF) return 0;
    if (!linkAnswers() || channel.Begin() != result::kSuccess) return 0;
    if (!linkAnswers() ||
        channel.WriteAt(std::span(record).first(mouse_record::kWriteSize),
                        static_cast<uint16_t>(slot * mouse_record::kStride)) != result::kSuccess) {
        return 0;
    }
    if (!linkAnswers() || channel.End() != result::kSuccess) return 0;
    return 1;
}

// The record goes to the mouse before the profile file is written: a refused change then needs no second
// write to take it back, and the file never holds what the mouse does not.
int CMerivexMouseDevice::ChangeSettings(const std::function<void(MouseSettings&)>& change, int screenWidth,
                                        int screenHeight) {
    const MouseSettings before = m_settings;
    change(m_settings);
    m_settings.stages.resize(std::min(m_settings.stages.size(), kStageCount));
    storeSettingsInProfile();
    if (WriteSettings(0, 0, 1, screenWidth, screenHeight) != 1) {
        m_settings = before;
        storeSettingsInProfile();
        return 0;
    }
    SaveProfile();
    if (m_settings.light != before.light) applyLight(m_settings.light, false);
    return 1;
}

// ---- Power and notifications ----

void CMerivexMouseDevice::SyncWithDevice() {
    CommandChannel& channel = commandChannel();
    if (!powerFlag() || !channel.connected() || windowHidden() || !linkAnswers()) return;
    std::array<uint8_t, 6> status{};
    if (channel.ReadOnce(status, 0) != result::kSuccess) return;
    status[3] = channel.receiverMode() ? 1 : 0;
    if (events().showPower) events().showPower(status);
    if (events().postMessage) events().postMessage(0x0D01, status[4], 0);
}

void CMerivexMouseDevice::HandleNotification(uint16_t code, bool cable) {
    constexpr int kRefreshTimer = 1002;
    const auto refresh = [this](int delayMs) {
        if (events().entryTimer) events().entryTimer(kRefreshTimer, delayMs);
    };
    if (code == 0x0401) {
        refresh(50);
    } else if (code == 0x0403) {
        if (cable) m_lighting.update([](LightingEngine& e) { e.press(0); });
    } else if ((code >> 8) == 0x10) {
        m_activeRecord = code & 0x0F;
        refresh(0);
    } else if ((code >> 8) == 0x11) {
        m_activeRecord = code & 0x0F;
        m_reportedStage = (code >> 4) & 0x0F;
        refresh(0);
    }
}

}  // namespace halvern
