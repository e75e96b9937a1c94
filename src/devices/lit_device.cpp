#include "devices/lit_device.h"

#include "device/debug_sink.h"
#include "devices/light_conversion.h"
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

CMerivexLitDevice::CMerivexLitDevice(HidBackend& backend, const Kind& kind)
    : CMerivexUSBDevice(backend),
      m_kind(kind),
      m_lighting(kind.lighting),
      m_streamFrame(kMaxLeds),
      m_cableReader(
          notificationChannel().cableInterface(), [this](uint16_t code) { HandleNotification(code, true); },
          kind.readerExitText),
      m_receiverReader(
          notificationChannel().receiverInterface(),
          [this](uint16_t code) { HandleNotification(code, false); }, kind.readerExitText) {}

CMerivexLitDevice::~CMerivexLitDevice() {
    stopThreads();
}

// The threads use the members (and the device classes' overrides): they stop before anything goes. The
// readers are woken by their stop request; the queue's running exchange is cut short by closing the
// command interfaces.
void CMerivexLitDevice::stopThreads() {
    m_cableReader.stop();
    m_receiverReader.stop();
    stopQueue();
    m_lighting.stop();
}

void CMerivexLitDevice::startThreads() {
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

CMerivexLitDevice::TablesJob CMerivexLitDevice::tablesJob() const {
    return [](CommandChannel& channel, jobs::Tables& tables) {
        return jobs::ReadInformation(channel, tables.info);
    };
}

void CMerivexLitDevice::takeTables(const jobs::Tables& tables) {
    info() = tables.info;
}

void CMerivexLitDevice::activate(Done done) {
    auto read = std::make_shared<ActivationRead>();
    const bool withState = readsStateOnActivation();
    const size_t recordSize = stateRecordSize();
    const uint16_t stride = stateRecordStride();
    const bool askLink = linkChecks();
    queue().submit(
        [read, readTables = tablesJob(), withState, recordSize, stride, askLink](CommandChannel& channel) {
            const DeviceResult tables = readTables(channel, read->tables);
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
            profileLoaded(result.ok());
            if (withState && read->state) {
                m_activeRecord = read->record.empty() ? 0 : read->record[0];
                takeStateRecord(read->record);
                if (!SaveProfile()) debugLog("profile file could not be written after reading the device");
            }
            ShowSettings();
            startThreads();
            if (!done) return;
            // Whether the device answered every read, then whether the profile could be read.
            const DeviceResult answered = result && withState ? read->state : result;
            done(answered && !loaded ? DeviceResult::FileError() : answered);
        });
}

void CMerivexLitDevice::ReadDeviceState(Done done) {
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

void CMerivexLitDevice::RefreshPage(Done done) {
    ReadDeviceState([this, done](DeviceResult result) {
        ShowSettings();
        if (done) done(result);
    });
}

void CMerivexLitDevice::ShowSettings() {
    LoadDefaultLists();
    if (events().settingsShown) events().settingsShown();
}

std::filesystem::path CMerivexLitDevice::lightConfigPath() const {
    return UserFolder() / kLightConfigFile;
}

void CMerivexLitDevice::LoadDefaultLists() {
    LoadLightModeLists(m_kind.kindId, GetDefaultDataFolder(), lightConfigPath(), m_lists);
}

// The profile id comes from the page's profile list; without one (a first start, the command line) the
// device takes the list's selected profile itself, creating the list when there is none.
void CMerivexLitDevice::OpenProfileFile() {
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

std::string CMerivexLitDevice::GetProfileName() const {
    return profileName();
}

bool CMerivexLitDevice::LoadProfile() {
    OpenProfileFile();
    CBasicProfiledata& profile = basicProfile();
    if (profile.GetProfilePath().empty()) return false;
    // The user's effects follow the kind's built-in modes: the profile finds a custom mode's effect by the
    // same rule the page names it.
    LoadDefaultLists();
    profile.SetLightModes(m_kind.kindId, m_lists.names.size());
    // A profile or light configuration that cannot be read still leaves the page what could be read (the
    // shipped defaults, no effects of the user's); the caller hears that it failed.
    const bool record = profile.LoadDeviceRecord(profile.GetProfilePath());
    if (!record)
        debugLog("profile: no device record in " + profile.GetProfilePath().string() + " nor its default");
    const bool effects = profile.LoadLightConfig(lightConfigPath());
    if (!effects)
        debugLog("profile: the light configuration " + lightConfigPath().string() + " cannot be read");
    takeSettingsFromProfile();
    takeKeysFromProfile();
    LoadLightSettings();
    return record && effects;
}

bool CMerivexLitDevice::SaveProfile() {
    return basicProfile().Save();
}

bool CMerivexLitDevice::ProfileChangedElsewhere() {
    return basicProfile().FileChangedElsewhere();
}

void CMerivexLitDevice::SwitchProfile(std::string profileId, Done done) {
    std::string previous = profileName();
    SetProfileName(std::move(profileId));
    if (!LoadProfile()) {
        // A profile that cannot be read whole: the page goes back to the profile it had.
        SetProfileName(std::move(previous));
        if (!LoadProfile()) debugLog("profile " + profileName() + " could not be read again");
        ShowSettings();
        return queue().completeLater(done, DeviceResult::FileError());
    }
    profileLoaded(false);  // WriteAll below writes everything the profile holds
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

void CMerivexLitDevice::RestoreDefaults(Done done) {
    // Shipped defaults without a record of ours leave nothing to restore: page, profile and device stay.
    if (!basicProfile().LoadDeviceRecord(DefaultDataFile()))
        return queue().completeLater(done, DeviceResult::FileError());
    takeSettingsFromProfile();
    takeKeysFromProfile();
    LoadLightSettings();
    ShowSettings();
    WriteAll(m_screenWidth, m_screenHeight, [this, done](DeviceResult result) {
        if (result) {
            defaultsRestored();
            if (!SaveProfile()) result = DeviceResult::FileError();
        } else {
            // Page and profile as the file still has them; the device's refusal is what the user hears.
            if (!LoadProfile()) debugLog("profile could not be read again after a refused restore");
        }
        ShowSettings();
        if (done) done(result);
    });
}

void CMerivexLitDevice::WriteSettings(int slot, int firstByte, int byte68, int width, int height, Done done) {
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

void CMerivexLitDevice::sendSettingsRecord(Done done) {
    WriteSettings(0, 0, 1, m_screenWidth, m_screenHeight, std::move(done));
}

void CMerivexLitDevice::WriteAll(int width, int height, Done done) {
    setScreen(width, height);
    WriteSettings(0, 0, 1, width, height, std::move(done));
}

void CMerivexLitDevice::applyLight(const LightSetting& light, bool fromProfile) {
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

int CMerivexLitDevice::LoadLightSettings() {
    applyLight(basicProfile().GetLightInfo(), true);
    return 1;
}

void CMerivexLitDevice::SetLightSettings(const BaseLightSettings& settings) {
    const LightSetting light = WithLight(pageLight(), settings);
    basicProfile().SetLightInfo(light);
    applyLight(light, false);
}

void CMerivexLitDevice::SetColours(uint32_t a, uint32_t b, uint32_t c) {
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

void CMerivexLitDevice::AudioLevels(std::span<const int32_t> levels) {
    m_lighting.update([levels](LightingEngine& e) { e.deliverAudioLevels(levels); });
}

void CMerivexLitDevice::SendLightFrame() {
    if (framePaintedOutside()) return;  // the shared animation or a program owns the preview frame meanwhile
    m_lighting.copyFrameTo(*this);
}

void CMerivexLitDevice::SetLightControl(bool on) {
    CMerivexUSBDevice::SetLightControl(on);
    wakeStreamer();
}

void CMerivexLitDevice::SetExternalFrame(bool on) {
    CMerivexUSBDevice::SetExternalFrame(on);
    wakeStreamer();
}

// While synchronised, the shared animation paints the LED frame, and while a program drives the LEDs that
// program does; a device that streams sends that frame, and each painted colour wakes the stream.
void CMerivexLitDevice::SetLedColour(int index, uint32_t value) {
    CMerivexUSBDevice::SetLedColour(index, value);
    if (framePaintedOutside()) wakeStreamer();
}

void CMerivexLitDevice::SetLedColours(std::span<const int> indexes, std::span<const uint32_t> values) {
    CMerivexUSBDevice::SetLedColours(indexes, values);
    if (framePaintedOutside()) wakeStreamer();
}

size_t CMerivexLitDevice::streamFrame(DeviceQueue::FrameBuffer& buffer,
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

void CMerivexLitDevice::SyncWithDevice(Done done) {
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

void CMerivexLitDevice::askRefresh(int delayMs) const {
    if (events().entryTimer) events().entryTimer(kRefreshTimer, delayMs);
}

void CMerivexLitDevice::HandleNotification(uint16_t code, bool cable) {
    if (code == 0x0401) askRefresh(500);
    (void)cable;
}

}  // namespace halvern
