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

/// The mouse, on its cable or through its receiver: keeps the mouse's onboard settings, key table, macro
/// and recoil memory in step with the user's profile, runs the mouse's light effects, and listens for
/// changes made on the mouse itself. Every operation runs on the interface thread except the lighting
/// thread, the frame streamer and the notification readers, which only record what they saw and ask for a
/// refresh. What it shares with the keyboard is in CMerivexKeyedDevice.
///
/// Results: 1 success, 0 failure, as the hooks of the base; WriteMacros has its own (see there).
class CMerivexMouseDevice : public CMerivexKeyedDevice {
public:
    static constexpr size_t kButtonCount = 11;
    static constexpr size_t kStageCount = mouse_record::kStageCount;
    static constexpr uint8_t kAbsentMarker = 170;  ///< shown for a button the factory table lacks
    /// The factory code of each logical button; a button sits at the first slot holding its code.
    static constexpr std::array<key_table::Code, kButtonCount> kButtonCodes{{
        {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00}, {0x10, 0x08, 0x00},
        {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01},
        {0x14, 0x78, 0x02},
    }};

    explicit CMerivexMouseDevice(HidBackend& backend);
    ~CMerivexMouseDevice() override;

    // ---- Hooks of the base. ----
    void ActivatePage() override;
    int WriteSettings(int slot, int firstByte, int byte68, int width, int height) override;

    // ---- The mouse's own operations. ----
    /// Reads the active onboard record and takes its light settings and active stage into the page and
    /// the profile (saved). 1, or 0 when the mouse does not answer.
    int ReadDeviceState() override;
    /// Writes the four recoil patterns of the user folder. 1 or 0.
    int WriteRecoilPatterns();

    // ---- What the page and the command line show and change (interface thread). ----
    [[nodiscard]] const MouseSettings& settings() const { return m_settings; }
    /// Changes the settings, stores them in the profile, writes the onboard record with the given screen
    /// size and saves the profile file. When the mouse refuses the record, the previous settings come back,
    /// the file is left as it was and the result is 0.
    int ChangeSettings(const std::function<void(MouseSettings&)>& change, int screenWidth, int screenHeight);

    [[nodiscard]] bool buttonPresent(size_t button) const { return keyPresent(button); }
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
    size_t buildStreamFrame(const LedFrame& frame, FrameStreamer::Buffer& buffer) const override;

private:
    void storeSettingsInProfile();

    CMouseProfiledata m_profile;
    MouseSettings m_settings;
    mouse_record::Record m_lastRecord{};
    std::atomic<int> m_reportedStage{-1};
};

}  // namespace halvern
