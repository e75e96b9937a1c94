#include "devices/mouse_device.h"

#include <algorithm>

#include "devices/light_head.h"
#include "input/key_tables.h"

namespace halvern {
namespace {

constexpr int kMouseKindId = 1;

constexpr CMerivexKeyedDevice::Kind kMouseKind{DeviceKind::Mouse, kMouseKindId, "MS 设备同步线程设定退出",
                                               true};
constexpr CMerivexKeyedDevice::Keys kMouseKeys{CMerivexMouseDevice::kButtonCodes, "factory_keys"};

constexpr uint8_t kLeftButtonMask = 0x01;

bool clicksLeft(const KeyAssignment& a, const KeyAssignment& defaults) {
    const KeyAssignment& does = a.type == assign_type::kDefault ? defaults : a;
    return does.type == assign_type::kMouseButton && does.code1 == kLeftButtonMask;
}

}  // namespace

CMerivexMouseDevice::CMerivexMouseDevice(HidBackend& backend)
    : CMerivexKeyedDevice(backend, kMouseKind, kMouseKeys),
      m_commit(m_settings, {[this](Done done) { sendSettingsRecord(std::move(done)); },
                            [this](const MouseSettings& settings) {
                                m_settings = settings;
                                storeSettingsInProfile();
                            },
                            [this] { return SaveProfile(); },
                            [this](const MouseSettings& before, const MouseSettings& after) {
                                if (after.light != before.light) applyLight(after.light, false);
                            }}) {
    m_profile.SetDeviceIndex(0);
}

CMerivexMouseDevice::~CMerivexMouseDevice() {
    stopThreads();
}

std::array<uint8_t, CMerivexMouseDevice::kButtonCount> CMerivexMouseDevice::buttonSlots() const {
    std::array<uint8_t, kButtonCount> slots{};
    for (size_t j = 0; j < kButtonCount; ++j) {
        slots[j] = buttonPresent(j) ? static_cast<uint8_t>(keyMap()[j]) : kAbsentMarker;
    }
    return slots;
}

bool CMerivexMouseDevice::TakesLastLeftClick(size_t button, const KeyAssignment& next) const {
    const std::vector<KeyListEntry>& keys = keyList();
    if (button >= keys.size()) return false;
    bool clicksNow = false;
    bool clicksAfter = false;
    for (size_t j = 0; j < keys.size(); ++j) {
        if (!buttonPresent(j)) continue;
        const KeyListEntry& key = keys[j];
        clicksNow = clicksNow || clicksLeft(key.current, key.defaults);
        clicksAfter = clicksAfter || clicksLeft(j == button ? next : key.current, key.defaults);
    }
    return clicksNow && !clicksAfter;
}

// ---- Page life ----

void CMerivexMouseDevice::takeSettingsFromProfile() {
    m_settings.stages = m_profile.GetDpiStages();
    m_settings.activeStage = m_profile.GetActiveStage();
    m_settings.system = m_profile.GetMouseSystem();
    m_settings.light = m_profile.GetLightInfo();
    m_commit.reset();
}

void CMerivexMouseDevice::storeSettingsInProfile() {
    m_profile.SetDpiStages(m_settings.stages);
    m_profile.SetActiveStage(m_settings.activeStage);
    m_profile.SetMouseSystem(m_settings.system);
    m_profile.SetLightInfo(m_settings.light);
}

// ---- Streaming: the music mode's frames, 3 bytes per LED ----

bool CMerivexMouseDevice::streamWanted(std::chrono::milliseconds& minPeriod) {
    const CommandChannel& channel = commandChannel();
    minPeriod = std::chrono::milliseconds(channel.receiverMode() ? 100 : 10);
    return lightControl() && channel.connected() && lightSettings().mode == kSoftwareLightMode;
}

size_t CMerivexMouseDevice::buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const {
    const size_t leds = std::min(static_cast<size_t>(ledCount()), frame.size());
    return frame.writeShownBytes(std::span(buffer).first(std::min(3 * leds, buffer.size())));
}

// ---- Onboard record ----

void CMerivexMouseDevice::ReadDeviceState(Done done) {
    commandChannel().setLightSync(false);
    CMerivexKeyedDevice::ReadDeviceState(std::move(done));
}

void CMerivexMouseDevice::takeStateRecord(std::span<const uint8_t> bytes) {
    mouse_record::Record record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    record[9] = 0;
    m_lastRecord = record;

    const mouse_record::Reading reading = mouse_record::Read(record, lightLists().values);
    LightSetting light = m_settings.light;  // the direction stays the page's
    light_head::TakeHead(light, reading.light, false);
    applyLight(light, false);
    // A stage the mouse reported on its own (a DPI button) is newer than the record it answered with.
    const int reported = m_reportedStage.exchange(-1);
    m_settings.activeStage =
        reported >= 0 && static_cast<size_t>(reported) < kStageCount ? reported : reading.activeStage;
    m_profile.SetActiveStage(m_settings.activeStage);
    m_profile.SetLightInfo(light);
    m_commit.reset();
}

std::optional<CMerivexKeyedDevice::Record> CMerivexMouseDevice::settingsRecord(int slot, int firstByte,
                                                                               int byte68, int width,
                                                                               int height) {
    if (slot < 0 || slot * mouse_record::kStride > 0xFFFF) return std::nullopt;
    const MouseSystem system = m_profile.GetMouseSystem();
    const std::vector<DpiStage> stages = m_profile.GetDpiStages();  // the contents only refer to them
    const std::vector<CorrectEntry> corrections = m_profile.GetCorrectInfo();
    mouse_record::Contents contents;
    contents.firstByte = static_cast<uint8_t>(firstByte);
    contents.byte68 = static_cast<uint8_t>(byte68);
    contents.screenWidth = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
    contents.screenHeight = static_cast<uint16_t>(std::clamp(height, 0, 0xFFFF));
    contents.light = m_profile.GetLightInfo();
    contents.modeValues = lightLists().values;
    contents.pollingIndex = static_cast<uint8_t>(system.reportRate);
    contents.activeStage = static_cast<uint8_t>(m_profile.GetActiveStage());
    contents.stages = stages;
    contents.corrections = corrections;
    const mouse_record::Record record = mouse_record::Build(contents);
    return Record{{record.begin(), record.begin() + mouse_record::kWriteSize},
                  static_cast<uint16_t>(slot * mouse_record::kStride)};
}

StageOffBar stageOffBar(const MouseSettings& settings, size_t stage) {
    if (static_cast<int>(stage) == settings.activeStage) return StageOffBar::ActiveStage;
    const bool on = stage < settings.stages.size() && settings.stages[stage].active != 0;
    const auto enabled =
        std::ranges::count_if(settings.stages, [](const DpiStage& s) { return s.active != 0; });
    return on && enabled <= 1 ? StageOffBar::LastStage : StageOffBar::None;
}

bool stageSelectable(const MouseSettings& settings, size_t stage) {
    return stage < settings.stages.size() && settings.stages[stage].active != 0;
}

void CMerivexMouseDevice::ChangeSettings(const std::function<void(MouseSettings&)>& change, int screenWidth,
                                         int screenHeight, Done done, bool persist) {
    const MouseSettings before = m_settings;
    change(m_settings);
    m_settings.stages.resize(std::min(m_settings.stages.size(), kStageCount));
    const auto inStage = [](const MouseSettings& s) {
        return s.activeStage >= 0 && stageSelectable(s, static_cast<size_t>(s.activeStage));
    };
    if (inStage(before) && !inStage(m_settings)) {
        m_settings = before;
        return queue().completeLater(done, DeviceResult::Refused(DeviceStep::Settings));
    }
    setScreen(screenWidth, screenHeight);
    storeSettingsInProfile();
    m_commit.commit(std::move(done), persist);
}

// ---- Notifications: the mouse adds its stage and the press that drives its reactive effect ----

void CMerivexMouseDevice::onNotification(uint16_t code, bool cable) {
    if (code == 0x0403) {
        if (cable) lighting().update([](LightingEngine& e) { e.press(0); });
    } else if ((code >> 8) == 0x11) {
        m_reportedStage = (code >> 4) & 0x0F;
    }
}

}  // namespace halvern
