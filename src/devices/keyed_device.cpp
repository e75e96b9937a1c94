#include "devices/keyed_device.h"

#include <algorithm>
#include <cstdio>

#include "devices/factory_table_store.h"
#include "devices/light_conversion.h"
#include "input/event_image.h"
#include "input/macro_event.h"
#include "input/macro_store.h"
#include "profile/data_folders.h"
#include "profile/file_names.h"
#include "profile/profile_list.h"

namespace halvern {
namespace {

constexpr const char* kLightConfigFile = "zantor_light.config";
constexpr int kRefreshTimer = 1002;

}  // namespace

CMerivexKeyedDevice::CMerivexKeyedDevice(HidBackend& backend, const Kind& kind)
    : CMerivexUSBDevice(backend),
      m_kind(kind),
      m_keyMap(kind.keyCodes.size(), key_table::kAbsent),
      m_lighting(kind.lighting),
      m_streamFrame(kMaxLeds),
      m_streamer(commandChannel(),
                 {[this](std::chrono::milliseconds& minPeriod) { return streamWanted(minPeriod); },
                  [this](FrameStreamer::Buffer& buffer, Millis& nextChange) {
                      return streamFrame(buffer, nextChange);
                  }}),
      m_cableReader(notificationChannel().cableInterface(),
                    [this](uint16_t code) { HandleNotification(code, true); }, kind.readerExitText),
      m_receiverReader(notificationChannel().receiverInterface(),
                       [this](uint16_t code) { HandleNotification(code, false); }, kind.readerExitText) {}

CMerivexKeyedDevice::~CMerivexKeyedDevice() { stopThreads(); }

// The threads use the members (and the device classes' overrides): they stop before anything goes. Closing
// the notification interfaces wakes a reader that waits for a report; the device is going away, so nothing
// else reads them.
void CMerivexKeyedDevice::stopThreads() {
    notificationChannel().cableInterface().Close();
    notificationChannel().receiverInterface().Close();
    m_cableReader.stop();
    m_receiverReader.stop();
    m_streamer.stop();
    m_lighting.stop();
}

void CMerivexKeyedDevice::startThreads() {
    m_lighting.start();
    m_streamer.start();
    m_streamer.wake();
    if (!m_cableReader.running()) m_cableReader.start();
    if (!m_receiverReader.running()) m_receiverReader.start();
}

// ---- Link and device information ----

bool CMerivexKeyedDevice::linkAnswers() {
    CommandChannel& channel = commandChannel();
    if (!channel.connected()) return false;
    return !channel.receiverMode() || channel.QueryLink() == result::kSuccess;
}

bool CMerivexKeyedDevice::IsReady() { return linkAnswers(); }

bool CMerivexKeyedDevice::readInfoAndTables(std::vector<uint8_t>* ledTable) {
    CommandChannel& channel = commandChannel();
    if (!linkAnswers()) return false;
    if (channel.Begin() != result::kSuccess) return false;
    if (channel.ReadInfo(info()) != result::kSuccess) return false;
    const uint16_t tableSize = static_cast<uint16_t>(info()[5] * key_table::kEntrySize);
    if (channel.SetBlockSize(tableSize) != 1) return false;
    std::vector<uint8_t> table(tableSize);
    if (channel.ReadBlock(table) != result::kSuccess) return false;
    std::vector<uint8_t> leds(info()[5], 0xFF);
    if (ledTable && channel.ReadThirdBlock(leds) != result::kSuccess) return false;
    if (channel.End() != result::kSuccess) return false;
    m_factoryTable = RememberFactoryTable(factoryTableFile(), std::move(table));
    m_keyMap = key_table::BuildKeyMap(m_factoryTable, m_kind.keyCodes);
    if (ledTable) *ledTable = std::move(leds);
    return true;
}

std::filesystem::path CMerivexKeyedDevice::factoryTableFile() const {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%04x_%04x.json", m_kind.factoryFilePrefix, identity().vid, identity().pid);
    return UserFolder() / name;
}

bool CMerivexKeyedDevice::keyPresent(size_t key) const {
    return key < m_keyMap.size() && m_keyMap[key] != key_table::kAbsent;
}

// ---- Page life ----

void CMerivexKeyedDevice::RefreshPage() {
    (void)ReadDeviceState();
    ShowSettings();
}

void CMerivexKeyedDevice::ProfileSwitched() {
    LoadProfile();
    ShowSettings();
}

void CMerivexKeyedDevice::ShowSettings() {
    LoadDefaultLists();
    if (events().settingsShown) events().settingsShown();
}

std::filesystem::path CMerivexKeyedDevice::lightConfigPath() const { return UserFolder() / kLightConfigFile; }

void CMerivexKeyedDevice::LoadDefaultLists() {
    m_macroNames.clear();
    for (const MacroEntry& entry : MacroStore(UserFolder()).LoadMacroList()) m_macroNames.push_back(entry.name);
    LoadLightModeLists(m_kind.kindId, GetDefaultDataFolder(), lightConfigPath(), m_lists);
}

size_t CMerivexKeyedDevice::macroCount() { return MacroStore(UserFolder()).LoadMacroList().size(); }

// ---- Profile ----

// The profile id comes from the page's profile list; without one (a first start, the command line) the
// device takes the list's selected profile itself, creating the list when there is none.
void CMerivexKeyedDevice::OpenProfileFile() {
    if (!IsSafeFileStem(profileName())) {
        ProfileList list;
        list.SetDeviceType(typeCode());
        list.SetPaths(UserFolder(), DefaultDataFile());
        list.Init();
        SetProfileName(list.GetCurrentProfileId());
    }
    CBasicProfiledata& profile = basicProfile();
    profile.SetDefaultPath(DefaultDataFile());
    profile.SetLightConfigPath(lightConfigPath());
    if (IsSafeFileStem(profileName())) profile.SetProfilePath(UserFolder() / (profileName() + ".Json"));
}

std::string CMerivexKeyedDevice::GetProfileName() const { return profileName(); }

int CMerivexKeyedDevice::LoadProfile() {
    OpenProfileFile();
    CBasicProfiledata& profile = basicProfile();
    if (profile.GetProfilePath().empty()) return 0;
    (void)profile.LoadDeviceRecord(profile.GetProfilePath());
    (void)profile.LoadLightConfig(lightConfigPath());
    takeSettingsFromProfile();
    m_keys = profile.GetKeyList();
    LoadLightSettings();
    return 1;
}

void CMerivexKeyedDevice::SaveProfile() { (void)basicProfile().Save(); }

void CMerivexKeyedDevice::RestoreDefaults() {
    (void)basicProfile().LoadDeviceRecord(DefaultDataFile());
    takeSettingsFromProfile();
    m_keys = basicProfile().GetKeyList();
    LoadLightSettings();
    SaveProfile();
    ShowSettings();
}

int CMerivexKeyedDevice::commitChange(const std::function<int()>& write, const std::function<void()>& revert) {
    if (write() != 1) {
        revert();
        return 0;
    }
    SaveProfile();
    return 1;
}

int CMerivexKeyedDevice::readActiveRecord(std::span<uint8_t> record, uint16_t stride) {
    CommandChannel& channel = commandChannel();
    if (!linkAnswers()) return -1;
    uint8_t active = 0;
    if (channel.ReadAt(std::span(&active, 1), 0) != result::kSuccess) return -1;
    if (channel.ReadAt(record, static_cast<uint16_t>(active * stride)) != result::kSuccess) return -1;
    if (!record.empty()) record[0] = active;
    m_activeRecord = active;
    return active;
}

int CMerivexKeyedDevice::writeRecord(std::span<const uint8_t> record, uint16_t offset) {
    CommandChannel& channel = commandChannel();
    if (!writeLinkAnswers() || channel.Begin() != result::kSuccess) return 0;
    if (!writeLinkAnswers() || channel.WriteAt(record, offset) != result::kSuccess) return 0;
    if (!writeLinkAnswers() || channel.End() != result::kSuccess) return 0;
    return 1;
}

// ---- Lighting ----

void CMerivexKeyedDevice::applyLight(const LightSetting& light, bool fromProfile) {
    pageLight() = light;
    CMerivexUSBDevice::SetLightSettings(WithLight(lightSettings(), light));
    const LightSettings engine = ToEngineSettings(light, basicProfile().GetAudioLightInfo());
    if (!fromProfile) {
        m_lighting.update([&](LightingEngine& e) { e.applySettings(engine); });
    } else {
        auto ledList = ToLedLightList(basicProfile().GetLightList());
        auto sequence = ToSequence(basicProfile().GetLightEffectFrames());
        m_lighting.update([&](LightingEngine& e) {
            e.applySettings(engine);
            e.loadLightList(std::move(ledList), steadyMillis());
            e.loadSequence(std::move(sequence));
        });
    }
    m_streamer.wake();
}

int CMerivexKeyedDevice::LoadLightSettings() {
    applyLight(basicProfile().GetLightInfo(), true);
    return 1;
}

void CMerivexKeyedDevice::SetLightSettings(const BaseLightSettings& settings) {
    const LightSetting light = WithLight(pageLight(), settings);
    basicProfile().SetLightInfo(light);
    applyLight(light, false);
}

void CMerivexKeyedDevice::SetColours(uint32_t a, uint32_t b, uint32_t c) {
    CMerivexUSBDevice::SetColours(a, b, c);
    AudioLightInfo audio = basicProfile().GetAudioLightInfo();
    audio.audioMode = static_cast<uint8_t>(c);
    audio.bkColorR = static_cast<uint8_t>(a);
    audio.bkColorG = static_cast<uint8_t>(a >> 8);
    audio.bkColorB = static_cast<uint8_t>(a >> 16);
    audio.fgColorR = static_cast<uint8_t>(b);
    audio.fgColorG = static_cast<uint8_t>(b >> 8);
    audio.fgColorB = static_cast<uint8_t>(b >> 16);
    basicProfile().SetAudioLightInfo(audio);
    applyLight(pageLight(), false);
}

void CMerivexKeyedDevice::AudioLevels(std::span<const int32_t> levels) {
    m_lighting.update([levels](LightingEngine& e) { e.deliverAudioLevels(levels); });
}

void CMerivexKeyedDevice::SendLightFrame() { m_lighting.copyFrameTo(*this); }

void CMerivexKeyedDevice::SetLightControl(bool on) {
    CMerivexUSBDevice::SetLightControl(on);
    m_streamer.wake();
}

size_t CMerivexKeyedDevice::streamFrame(FrameStreamer::Buffer& buffer, Millis& nextChange) {
    nextChange = m_lighting.snapshot(m_streamFrame);
    return buildStreamFrame(m_streamFrame, buffer);
}

// ---- Key table and macros ----

std::vector<uint8_t> CMerivexKeyedDevice::ListUsedMacros() const {
    return key_table::UsedMacros(m_keys, m_keyMap, m_macroNames.size());
}

void CMerivexKeyedDevice::CheckMacroAssignments() {
    if (!key_table::ResetMissingMacros(m_keys, macroCount())) return;
    basicProfile().SetKeyList(m_keys);
    SaveProfile();
    ShowSettings();
}

int CMerivexKeyedDevice::WriteKeyTable(int profileIndex, const std::vector<KeyListEntry>& entries) {
    CommandChannel& channel = commandChannel();
    if (!channel.connected() || !writeLinkAnswers()) return 0;
    if (channel.ReadInfo(info()) != result::kSuccess) return 0;
    if (m_factoryTable.empty()) return 0;  // the page never read the device's own table
    const std::vector<uint8_t> table = key_table::Build(m_factoryTable, m_keyMap, entries, macroCount());
    if (channel.Begin() != result::kSuccess) return 0;
    const int written = channel.WriteBlock(table, profileIndex);
    if (written != result::kSuccess) return written;
    return channel.End() == result::kSuccess ? 1 : 0;
}

int CMerivexKeyedDevice::WriteMacros(const std::vector<uint8_t>& macros) {
    constexpr size_t kMacroMemoryUnit = 128;
    CommandChannel& channel = commandChannel();
    if (!channel.connected() || !writeLinkAnswers()) return -1;
    if (channel.ReadInfo(info()) != result::kSuccess) return -1;
    MacroStore store(UserFolder());
    const auto list = store.LoadMacroList();
    if (list.empty()) return 0;

    std::vector<std::vector<MacroEvent>> blocks;
    for (const uint8_t number : macros) {
        if (number >= list.size()) continue;
        blocks.push_back(store.LoadMacro(list[number].guid));
    }
    std::vector<size_t> counts;
    for (const auto& block : blocks) counts.push_back(block.size());
    const size_t size = EventImageSize(counts);
    const size_t limit = static_cast<size_t>(info()[6]) * kMacroMemoryUnit;
    if (const int overflow = MacroOverflowCount(size, limit); overflow > 0) return overflow;

    const std::vector<uint8_t> image = BuildEventImage(blocks);
    if (image.empty()) return -1;
    if (!writeLinkAnswers() || channel.Begin() != result::kSuccess) return -1;
    if (!writeLinkAnswers() || channel.WriteData15(image) != result::kSuccess) return -1;
    if (!writeLinkAnswers() || channel.End() != result::kSuccess) return -1;
    return 0;
}

int CMerivexKeyedDevice::SetKeyAssignment(size_t key, const KeyListEntry& entry) {
    if (key >= m_keys.size()) return 0;
    m_keys[key].current = entry.current;
    m_keys[key].current.keyIndex = static_cast<uint16_t>(key);
    basicProfile().SetKeyList(m_keys);
    SaveProfile();
    const int written = WriteKeysFromPage();
    if (written == 1 && key_table::IsMacroType(entry.current.type)) return WriteMacros(ListUsedMacros()) == 0 ? 1 : 0;
    return written;
}

int CMerivexKeyedDevice::WriteKeysAndMacros() {
    if (WriteKeysFromPage() != 1) return -1;
    return WriteMacros(ListUsedMacros());
}

// ---- Power and notifications ----

void CMerivexKeyedDevice::SyncWithDevice() {
    CommandChannel& channel = commandChannel();
    if (!powerFlag() || !channel.connected() || windowHidden() || !linkAnswers()) return;
    std::array<uint8_t, 6> status{};
    if (channel.ReadOnce(status, 0) != result::kSuccess) return;
    status[3] = channel.receiverMode() ? 1 : 0;
    if (events().showPower) events().showPower(status);
    if (events().postMessage) events().postMessage(0x0D01, status[4], 0);
}

void CMerivexKeyedDevice::HandleNotification(uint16_t code, bool cable) {
    const auto refresh = [this](int delayMs) {
        if (events().entryTimer) events().entryTimer(kRefreshTimer, delayMs);
    };
    const int high = code >> 8;
    if (code == 0x0401) {
        refresh(50);
    } else if (high == 0x10 || high == 0x11) {
        m_activeRecord = code & 0x0F;
        onNotification(code, cable);
        refresh(0);
        return;
    }
    onNotification(code, cable);
}

}  // namespace halvern
