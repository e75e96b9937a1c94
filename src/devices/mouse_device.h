#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/dpi_scale.h"
#include "devices/key_table.h"
#include "devices/keyed_device.h"
#include "devices/mouse_record.h"
#include "devices/settings_commit.h"
#include "profile/light_mode_lists.h"
#include "profile/mouse_profiledata.h"

namespace halvern {

/// The settings of the mouse page that go into the onboard record.
struct MouseSettings {
    std::vector<DpiStage> stages;
    int activeStage = 0;
    MouseSystem system;  ///< pointer settings and the polling-rate index (reportRate)
    LightSetting light;
    bool operator==(const MouseSettings&) const = default;
};

/// What keeps a DPI stage from being switched off: the active stage and the last switched-on stage stay on,
/// so the mouse always has a stage to be in.
enum class StageOffBar : uint8_t { None, ActiveStage, LastStage };
[[nodiscard]] StageOffBar stageOffBar(const MouseSettings& settings, size_t stage);
/// Whether `stage` can become the active one: it exists and is switched on.
[[nodiscard]] bool stageSelectable(const MouseSettings& settings, size_t stage);

/// The mouse, on its cable or through its receiver: keeps the mouse's onboard settings, key table, macro
/// and recoil memory in step with the user's profile, runs the mouse's light effects, and listens for
/// changes made on the mouse itself. Its state belongs to the owner's thread; the device's queue does the
/// talking, the lighting thread the effects, and the notification readers only record what they saw and
/// ask for a refresh. What it shares with the keyboard is in CMerivexKeyedDevice.
class CMerivexMouseDevice : public CMerivexKeyedDevice {
public:
    static constexpr size_t kButtonCount = 11;
    static constexpr size_t kStageCount = mouse_record::kStageCount;
    static constexpr uint8_t kAbsentMarker = 170;  ///< shown for a button the factory table lacks
    /// The factory code of each logical button; a button sits at the first slot holding its code.
    static constexpr std::array<key_table::Code, kButtonCount> kButtonCodes{{
        {0x10, 0x01, 0x00},
        {0x10, 0x02, 0x00},
        {0x10, 0x04, 0x00},
        {0x10, 0x10, 0x00},
        {0x10, 0x08, 0x00},
        {0x13, 0x01, 0x00},
        {0x13, 0x02, 0x00},
        {0x13, 0x03, 0x00},
        {0xA0, 0x1B, 0x00},
        {0x16, 0x90, 0x01},
        {0x14, 0x78, 0x02},
    }};

    explicit CMerivexMouseDevice(HidBackend& backend);
    ~CMerivexMouseDevice() override;

    // ---- Hooks of the base. ----
    /// Reads information and key table, then the active record; loads the profile, shows it, starts the
    /// threads. `done` gets the result of the table read.
    void ActivatePage(Done done = {}) override { activate(std::move(done)); }

    // ---- The mouse's own operations. ----
    /// Reads the active onboard record and takes its light settings and active stage into the page and
    /// the profile (saved).
    void ReadDeviceState(Done done = {}) override;
    /// Writes the four recoil patterns of the user folder.
    void WriteRecoilPatterns(Done done);

    // ---- What the page and the command line show and change (owner's thread). ----
    [[nodiscard]] const MouseSettings& settings() const { return m_settings; }
    /// Changes the settings (the page shows them at once) and sends the onboard record with the given
    /// screen size; the profile file is saved once the mouse took it. When the mouse refuses the record,
    /// the settings it held last come back (page and profile) and `done` gets the failure. Without
    /// `persist` the profile file is not written for this change. A change that would leave the mouse in a
    /// switched-off stage is refused before anything is sent (stageOffBar, stageSelectable).
    void ChangeSettings(const std::function<void(MouseSettings&)>& change, int screenWidth, int screenHeight,
                        Done done, bool persist = true);

    [[nodiscard]] bool buttonPresent(size_t button) const { return keyPresent(button); }
    /// Whether `button` doing `next` would leave none of the mouse's buttons doing left click while one
    /// does now: the user could no longer click with it. Absent buttons do not count; a button whose
    /// assignment is its own function (type 0) does what its default does. The page asks before such a
    /// change and the command line refuses it; SetKeyAssignment itself does not decide.
    [[nodiscard]] bool TakesLastLeftClick(size_t button, const KeyAssignment& next) const;
    /// The slot of each logical button in the key table, or kAbsentMarker.
    [[nodiscard]] std::array<uint8_t, kButtonCount> buttonSlots() const;
    [[nodiscard]] DpiScale dpiScale() const { return DpiScale::fromInfo(info()); }
    /// The stage the mouse reported last through a notification, or -1.
    [[nodiscard]] int reportedStage() const { return m_reportedStage.load(); }
    [[nodiscard]] CMouseProfiledata& profile() { return m_profile; }
    [[nodiscard]] const mouse_record::Record& lastRecord() const { return m_lastRecord; }

protected:
    [[nodiscard]] CBasicProfiledata& basicProfile() override { return m_profile; }
    void takeSettingsFromProfile() override;
    [[nodiscard]] LightSetting& pageLight() override { return m_settings.light; }
    void onNotification(uint16_t code, bool cable) override;
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    [[nodiscard]] std::optional<Record> settingsRecord(int slot, int firstByte, int byte68, int width,
                                                       int height) override;
    [[nodiscard]] size_t stateRecordSize() const override { return mouse_record::kReadSize; }
    [[nodiscard]] uint16_t stateRecordStride() const override { return mouse_record::kStride; }
    void takeStateRecord(std::span<const uint8_t> record) override;
    [[nodiscard]] bool readsStateOnActivation() const override { return true; }

private:
    void storeSettingsInProfile();

    CMouseProfiledata m_profile;
    MouseSettings m_settings;
    SettingsCommit<MouseSettings> m_commit;
    mouse_record::Record m_lastRecord{};
    std::atomic<int> m_reportedStage{-1};
};

}  // namespace halvern
