#include "devices/keyed_device.h"

#include <algorithm>
#include <cstdio>

#include "device/debug_sink.h"
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

// What ActivatePage reads in one job.
struct ActivationRead {
    jobs::Tables tables;
    std::vector<uint8_t> record;
    DeviceResult state = DeviceResult::Cancelled(DeviceStep::State);
};

}  // namespace

CMerivexKeyedDevice::CMerivexKeyedDevice(HidBackend& backend, const Kind& kind)
    : CMerivexUSBDevice(backend),
      m_kind(kind),
      m_keyMap(kind.keyCodes.size(), key_table::kAbsent),
      m_lighting(kind.lighting),
      m_streamFrame(kMaxLeds),
      m_cableReader(
          notificationChannel().cableInterface(), [this](uint16_t code) { HandleNotification(code, true); },
          kind.readerExitText),
      m_receiverReader(
          notificationChannel().receiverInterface(),
          [this](uint16_t code) { HandleNotification(code, false); }, kind.readerExitText) {}

CMerivexKeyedDevice::~CMerivexKeyedDevice() {
    stopThreads();
}

// The threads use the members (and the device classes' overrides): they stop before anything goes. The
// readers are woken by their stop request; the queue's running exchange is cut short by closing the
// command interfaces.
void CMerivexKeyedDevice::stopThreads() {
    m_cableReader.stop();
    m_receiverReader.stop();
    stopQueue();
    m_lighting.stop();
}

void CMerivexKeyedDevice::startThreads() {
    m_lighting.start();
    queue().setFrameSource(
        {[this](std::chrono::milliseconds& minPeriod) { return streamWanted(minPeriod); },
         [this](DeviceQueue::FrameBuffer& buffer, DeviceQueue::Clock::time_point& nextChange) {
             return streamFrame(buffer, nextChange);
         },
         [this](CommandChannel& channel, std::span<const uint8_t> frame) {
             return sendStreamFrame(channel, frame);
         }});
    queue().wakeFrames();
    if (!m_cableReader.running()) m_cableReader.start();
    if (!m_receiverReader.running()) m_receiverReader.start();
}

// ---- Opening the page ----

std::filesystem::path CMerivexKeyedDevice::factoryTableFile() const {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%04x_%04x.json", m_kind.factoryFilePrefix, identity().vid,
                  identity().pid);
    return UserFolder() / name;
}

bool CMerivexKeyedDevice::keyPresent(size_t key) const {
    return key < m_keyMap.size() && m_keyMap[key] != key_table::kAbsent;
}

void CMerivexKeyedDevice::takeTables(const jobs::Tables& tables) {
    info() = tables.info;
    if (m_kind.lightOnly) return;
    m_factoryTable = RememberFactoryTable(factoryTableFile(), tables.keyTable, tables.info);
    m_keyMap = key_table::BuildKeyMap(m_factoryTable, m_kind.keyCodes);
    tablesRead(tables);
}

void CMerivexKeyedDevice::activate(Done done) {
    auto read = std::make_shared<ActivationRead>();
    const bool withLeds = readsLedTable();
    const bool withState = readsStateOnActivation();
    const size_t recordSize = stateRecordSize();
    const uint16_t stride = stateRecordStride();
    const bool lightOnly = m_kind.lightOnly;
    const bool askLink = linkChecks();
    queue().submit(
        [read, withLeds, withState, recordSize, stride, lightOnly, askLink](CommandChannel& channel) {
            const DeviceResult tables = lightOnly
                                            ? jobs::ReadInformation(channel, read->tables.info)
                                            : jobs::ReadTables(channel, withLeds, read->tables, askLink);
            if (withState) {
                read->record.assign(recordSize, 0);
                read->state = jobs::ReadActiveRecord(channel, read->record, stride, askLink);
            }
            return tables;
        },
        [this, read, withState, done](DeviceResult result) {
            // A device that does not answer still gets its page, from the profile.
            if (result) takeTables(read->tables);
            // Without its profile file the page still opens, with what it has; the caller hears why.
            const bool loaded = LoadProfile();
            if (CheckMacroAssignments() && result) WriteKeysAndMacros({});
            if (withState && read->state) {
                m_activeRecord = read->record.empty() ? 0 : read->record[0];
                takeStateRecord(read->record);
                if (!SaveProfile()) debugLog("profile file could not be written after reading the device");
            }
            ShowSettings();
            startThreads();
            if (done) done(result && !loaded ? DeviceResult::FileError() : result);
        });
}

void CMerivexKeyedDevice::ReadDeviceState(Done done) {
    auto record = std::make_shared<std::vector<uint8_t>>(stateRecordSize(), 0);
    const uint16_t stride = stateRecordStride();
    const bool askLink = linkChecks();
    queue().submit(
        [record, stride, askLink](CommandChannel& channel) {
            return jobs::ReadActiveRecord(channel, *record, stride, askLink);
        },
        [this, record, done](DeviceResult result) {
            if (result) {
                m_activeRecord = record->empty() ? 0 : (*record)[0];
                commandChannel().setLightSync(false);  // the device's own light from now on
                takeStateRecord(*record);
                if (!SaveProfile()) result = DeviceResult::FileError();
            }
            if (done) done(result);
        });
}

void CMerivexKeyedDevice::RefreshPage(Done done) {
    ReadDeviceState([this, done](DeviceResult result) {
        ShowSettings();
        if (done) done(result);
    });
}

void CMerivexKeyedDevice::ShowSettings() {
    LoadDefaultLists();
    if (events().settingsShown) events().settingsShown();
}

std::filesystem::path CMerivexKeyedDevice::lightConfigPath() const {
    return UserFolder() / kLightConfigFile;
}

void CMerivexKeyedDevice::LoadDefaultLists() {
    m_macroNames.clear();
    for (const MacroEntry& entry : MacroStore(UserFolder()).LoadMacroList())
        m_macroNames.push_back(entry.name);
    LoadLightModeLists(m_kind.kindId, GetDefaultDataFolder(), lightConfigPath(), m_lists);
}

size_t CMerivexKeyedDevice::macroCount() {
    return MacroStore(UserFolder()).LoadMacroList().size();
}

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

std::string CMerivexKeyedDevice::GetProfileName() const {
    return profileName();
}

bool CMerivexKeyedDevice::LoadProfile() {
    OpenProfileFile();
    CBasicProfiledata& profile = basicProfile();
    if (profile.GetProfilePath().empty()) return false;
    // The user's effects follow the kind's built-in modes: the profile finds a custom mode's effect by the
    // same rule the page names it.
    LoadDefaultLists();
    profile.SetLightModes(m_kind.kindId, m_lists.names.size());
    (void)profile.LoadDeviceRecord(profile.GetProfilePath());
    (void)profile.LoadLightConfig(lightConfigPath());
    takeSettingsFromProfile();
    m_keys = profile.GetKeyList();
    LoadLightSettings();
    return true;
}

bool CMerivexKeyedDevice::SaveProfile() {
    return basicProfile().Save();
}

bool CMerivexKeyedDevice::ProfileChangedElsewhere() {
    return basicProfile().FileChangedElsewhere();
}

void CMerivexKeyedDevice::SwitchProfile(std::string profileId, Done done) {
    std::string previous = profileName();
    SetProfileName(std::move(profileId));
    if (!LoadProfile()) {
        // No profile file to read: the page stays on the profile it had.
        SetProfileName(std::move(previous));
        return queue().completeLater(done, DeviceResult::FileError());
    }
    (void)CheckMacroAssignments();  // whether it reset a key does not matter: WriteAll writes every key
    ShowSettings();
    WriteAll(m_screenWidth, m_screenHeight,
             [this, previous = std::move(previous), done](DeviceResult result) {
                 if (!result && !result.isOverflow()) {
                     // The device did not take the profile: the page goes back to the one it had.
                     SetProfileName(previous);
                     // Its file was read a moment ago; should it be gone, the device's refusal is still
                     // what the user hears first.
                     if (!LoadProfile()) debugLog("profile " + previous + " could not be read again");
                     ShowSettings();
                 }
                 if (done) done(result);
             });
}

void CMerivexKeyedDevice::RestoreDefaults(Done done) {
    (void)basicProfile().LoadDeviceRecord(DefaultDataFile());
    takeSettingsFromProfile();
    m_keys = basicProfile().GetKeyList();
    LoadLightSettings();
    ShowSettings();
    WriteAll(m_screenWidth, m_screenHeight, [this, done](DeviceResult result) {
        if (result) {
            // The device holds the factory assignments again: the table it answers next time is the one to
            // remember, so a wrong remembered table mends itself.
            ForgetFactoryTable(factoryTableFile());
            if (!SaveProfile()) result = DeviceResult::FileError();
        } else {
            // Page and profile as the file still has them; the device's refusal is what the user hears.
            if (!LoadProfile()) debugLog("profile could not be read again after a refused restore");
        }
        ShowSettings();
        if (done) done(result);
    });
}

// ---- Settings record ----

void CMerivexKeyedDevice::WriteSettings(int slot, int firstByte, int byte68, int width, int height,
                                        Done done) {
    std::optional<Record> record = settingsRecord(slot, firstByte, byte68, width, height);
    if (!record) return queue().completeLater(done, DeviceResult::Refused(DeviceStep::Settings));
    // Without a device the profile alone holds the change, as it always did.
    if (!commandChannel().connected()) return queue().completeLater(done, {});
    const bool linkEach = linkChecks();
    queue().submit(
        [record = std::move(*record), linkEach](CommandChannel& channel) {
            return jobs::WriteRecord(channel, record.bytes, record.offset, linkEach);
        },
        std::move(done));
}

void CMerivexKeyedDevice::sendSettingsRecord(Done done) {
    WriteSettings(0, 0, 1, m_screenWidth, m_screenHeight, std::move(done));
}

void CMerivexKeyedDevice::WriteAll(int width, int height, Done done) {
    setScreen(width, height);
    if (m_kind.lightOnly) return WriteSettings(0, 0, 1, width, height, std::move(done));
    std::optional<Record> record = settingsRecord(0, 0, 1, width, height);
    jobs::KeyWrite keys = keyWrite(true, true);
    if (!record || keys.table.empty())
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::Settings));
    const bool linkEach = linkChecks();
    queue().submit(
        [record = std::move(*record), keys = std::move(keys), linkEach](CommandChannel& channel) {
            if (const DeviceResult r = jobs::WriteRecord(channel, record.bytes, record.offset, linkEach); !r)
                return r;
            jobs::Info info{};
            return jobs::WriteKeys(channel, keys, info);
        },
        std::move(done));
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
    wakeStreamer();
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

void CMerivexKeyedDevice::SendLightFrame() {
    if (framePaintedOutside()) return;  // the shared animation or a program owns the preview frame meanwhile
    m_lighting.copyFrameTo(*this);
}

void CMerivexKeyedDevice::SetLightControl(bool on) {
    CMerivexUSBDevice::SetLightControl(on);
    wakeStreamer();
}

void CMerivexKeyedDevice::SetExternalFrame(bool on) {
    CMerivexUSBDevice::SetExternalFrame(on);
    wakeStreamer();
}

// While synchronised, the shared animation paints the LED frame, and while a program drives the LEDs that
// program does; a device that streams sends that frame, and each painted colour wakes the stream.
void CMerivexKeyedDevice::SetLedColour(int index, uint32_t value) {
    CMerivexUSBDevice::SetLedColour(index, value);
    if (framePaintedOutside()) wakeStreamer();
}

void CMerivexKeyedDevice::SetLedColours(std::span<const int> indexes, std::span<const uint32_t> values) {
    CMerivexUSBDevice::SetLedColours(indexes, values);
    if (framePaintedOutside()) wakeStreamer();
}

size_t CMerivexKeyedDevice::streamFrame(DeviceQueue::FrameBuffer& buffer,
                                        DeviceQueue::Clock::time_point& nextChange) {
    if (framePaintedOutside()) {
        for (size_t i = 0; i < m_streamFrame.size(); ++i)
            m_streamFrame.setWord(i, GetLedColour(static_cast<int>(i)));
        nextChange = DeviceQueue::Clock::time_point::max();
        return buildStreamFrame(m_streamFrame, buffer);
    }
    const Millis next = m_lighting.snapshot(m_streamFrame);
    nextChange = next == LightingEngine::kNever
                     ? DeviceQueue::Clock::time_point::max()
                     : DeviceQueue::Clock::time_point{std::chrono::milliseconds(next)};
    return buildStreamFrame(m_streamFrame, buffer);
}

// ---- Key table and macros ----

std::vector<uint8_t> CMerivexKeyedDevice::ListUsedMacros() const {
    return key_table::UsedMacros(m_keys, m_keyMap, m_macroNames.size());
}

bool CMerivexKeyedDevice::CheckMacroAssignments() {
    if (!key_table::ResetMissingMacros(m_keys, macroCount())) return false;
    basicProfile().SetKeyList(m_keys);
    if (!SaveProfile()) debugLog("profile file could not be written after resetting missing macros");
    return true;
}

jobs::KeyWrite CMerivexKeyedDevice::keyWrite(bool withTable, bool withMacros) {
    jobs::KeyWrite write;
    write.linkChecks = linkChecks();
    MacroStore store(UserFolder());
    const auto list = store.LoadMacroList();
    if (withTable && !m_factoryTable.empty()) {
        write.table = key_table::Build(m_factoryTable, m_keyMap, m_keys, list.size());
    }
    write.macroStep = withMacros;
    if (withMacros && !list.empty()) {
        std::vector<std::vector<MacroEvent>> blocks;
        for (const uint8_t number : key_table::UsedMacros(m_keys, m_keyMap, list.size())) {
            blocks.push_back(store.LoadMacro(list[number].guid));
        }
        std::vector<size_t> counts;
        counts.reserve(blocks.size());
        for (const auto& block : blocks) counts.push_back(block.size());
        write.macros = jobs::MacroImage{BuildEventImage(blocks), EventImageSize(counts)};
    }
    return write;
}

void CMerivexKeyedDevice::submitKeyWrite(jobs::KeyWrite write, Done done) {
    queue().submit(
        [write = std::move(write)](CommandChannel& channel) {
            jobs::Info info{};
            return jobs::WriteKeys(channel, write, info);
        },
        std::move(done));
}

void CMerivexKeyedDevice::SetKeyAssignment(size_t key, const KeyListEntry& entry, Done done) {
    // A key the device keeps has a slot of its own: keys that share one (several "none" keys share the
    // first such slot) could not be told apart by the device.
    const auto sharesSlot = [this](size_t k) {
        for (size_t j = 0; j < m_keyMap.size(); ++j) {
            if (j != k && m_keyMap[j] == m_keyMap[k]) return true;
        }
        return false;
    };
    if (key >= m_keys.size() || !keyPresent(key) || sharesSlot(key)) {
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    }
    const std::vector<KeyListEntry> before = m_keys;
    const std::vector<uint8_t> macrosBefore = ListUsedMacros();
    m_keys[key].current = entry.current;
    m_keys[key].current.keyIndex = static_cast<uint16_t>(key);
    // The macro memory follows whenever the macros the keys play, or their order, changed.
    const bool macros = ListUsedMacros() != macrosBefore || key_table::IsMacroType(entry.current.type);
    jobs::KeyWrite write = keyWrite(true, macros);
    if (write.table.empty()) {
        m_keys = before;
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    }
    submitKeyWrite(std::move(write), [this, before, done](DeviceResult result) {
        if (result) {
            basicProfile().SetKeyList(m_keys);
            if (!SaveProfile()) result = DeviceResult::FileError();
        } else {
            m_keys = before;
        }
        if (done) done(result);
    });
}

void CMerivexKeyedDevice::WriteKeysAndMacros(Done done) {
    jobs::KeyWrite write = keyWrite(true, true);
    if (write.table.empty()) return queue().completeLater(done, DeviceResult::Refused(DeviceStep::KeyTable));
    submitKeyWrite(std::move(write), std::move(done));
}

void CMerivexKeyedDevice::WriteMacros(Done done) {
    submitKeyWrite(keyWrite(false, true), std::move(done));
}

// ---- Power and notifications ----

void CMerivexKeyedDevice::SyncWithDevice(Done done) {
    if (!powerFlag() || !commandChannel().connected() || windowHidden())
        return queue().completeLater(done, {});
    auto status = std::make_shared<std::array<uint8_t, 6>>();
    queue().submit([status](CommandChannel& channel) { return jobs::ReadPower(channel, *status); },
                   [this, status, done](DeviceResult result) {
                       if (result) {
                           (*status)[3] = commandChannel().receiverMode() ? 1 : 0;
                           if (events().showPower) events().showPower(*status);
                           if (events().postMessage) events().postMessage(0x0D01, (*status)[4], 0);
                       }
                       if (done) done(result);
                   });
}

void CMerivexKeyedDevice::HandleNotification(uint16_t code, bool cable) {
    const auto refresh = [this](int delayMs) {
        if (events().entryTimer) events().entryTimer(kRefreshTimer, delayMs);
    };
    const int high = code >> 8;
    if (m_kind.lightOnly) {
        if (code == 0x0401) refresh(500);
        return;
    }
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
