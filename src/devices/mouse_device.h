#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/device_lighting.h"
#include "devices/dpi_scale.h"
#include "devices/key_table.h"
#include "devices/mouse_record.h"
#include "devices/notification_reader.h"
#include "devices/usb_device.h"
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
/// thread and the notification readers, which only record what they saw and ask for a refresh.
///
/// Results: 1 success, 0 failure, as the hooks of the base; WriteMacros has its own (see there).
class CMerivexMouseDevice : public CMerivexUSBDevice {
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
    int LoadLightSettings() override;
    void SendLightFrame() override;
    void ActivatePage() override;
    void RefreshPage() override;
    void SyncWithDevice() override;
    [[nodiscard]] bool IsReady() override;
    int LoadProfile() override;
    void ShowSettings() override;
    void RestoreDefaults() override;
    int WriteSettings(int slot, int firstByte, int byte68, int width, int height) override;
    void LoadDefaultLists() override;
    void OpenProfileFile() override;
    [[nodiscard]] std::string GetProfileName() const override;
    void SaveProfile() override;
    void SetLightSettings(const BaseLightSettings& settings) override;
    void SetColours(uint32_t a, uint32_t b, uint32_t c) override;
    void AudioLevels(std::span<const int32_t> levels) override;
    void ProfileSwitched() override;

    // ---- The mouse's own operations. ----
    /// Reads the active onboard record and takes its light settings and active stage into the page and
    /// the profile (saved). 1, or 0 when the mouse does not answer.
    int ReadDeviceState();
    /// Resets buttons assigned to macros that no longer exist; stores the list when anything changed.
    void CheckMacroAssignments();
    /// The macros used by present buttons, in first-use order: the order of the device's macro memory.
    [[nodiscard]] std::vector<uint8_t> ListUsedMacros() const;
    /// Writes the key table (profile index must be 0: any other gives -201).
    int WriteKeyTable(int profileIndex, const std::vector<KeyListEntry>& entries);
    int WriteKeysFromPage() { return WriteKeyTable(0, m_keys); }
    /// Writes the macro image of the given macros (numbers in the macro list). 0 on success or when there
    /// are no macros, -1 when the mouse does not answer, else the number of events to remove to make the
    /// image fit the mouse's macro memory (nothing is written then).
    int WriteMacros(const std::vector<uint8_t>& macros);
    /// Writes the four recoil patterns of the user folder. 1 or 0.
    int WriteRecoilPatterns();

    // ---- What the page and the command line show and change (interface thread). ----
    [[nodiscard]] const MouseSettings& settings() const { return m_settings; }
    /// Changes the settings, stores them in the profile, writes the onboard record with the given screen
    /// size and saves the profile file. When the mouse refuses the record, the previous settings come back,
    /// the file is left as it was and the result is 0.
    int ChangeSettings(const std::function<void(MouseSettings&)>& change, int screenWidth, int screenHeight);
    /// Stores one button's assignment in the profile and writes the key table (and the macros, when the
    /// button now plays one). The key-table result; the entry is kept in the profile either way.
    int SetKeyAssignment(size_t button, const KeyListEntry& entry);
    /// The result of writing the key table and then the macros, as the "save to device" button reports it.
    int WriteKeysAndMacros();

    [[nodiscard]] const std::vector<KeyListEntry>& keyList() const { return m_keys; }
    [[nodiscard]] bool buttonPresent(size_t button) const;
    /// The slot of each logical button in the key table, or kAbsentMarker.
    [[nodiscard]] std::array<uint8_t, kButtonCount> buttonSlots() const;
    [[nodiscard]] const std::vector<uint8_t>& factoryTable() const { return m_factoryTable; }
    [[nodiscard]] DpiScale dpiScale() const { return DpiScale::fromInfo(info()); }
    [[nodiscard]] const LightModeLists& lightLists() const { return m_lists; }
    [[nodiscard]] const std::vector<std::string>& macroNames() const { return m_macroNames; }
    [[nodiscard]] int activeRecord() const { return m_activeRecord.load(); }
    /// The stage the mouse reported last through a notification, or -1.
    [[nodiscard]] int reportedStage() const { return m_reportedStage.load(); }
    [[nodiscard]] CMouseProfiledata& profile() { return m_profile; }
    [[nodiscard]] const mouse_record::Record& lastRecord() const { return m_lastRecord; }

    /// Handles one notification code from a reader (public for tests; called on the reader's thread).
    void HandleNotification(uint16_t code, bool cable);

private:
    [[nodiscard]] bool linkAnswers();
    [[nodiscard]] bool readInfoAndKeyTable();
    void takeSettingsFromProfile();
    void storeSettingsInProfile();
    void applyLight(const LightSetting& light, bool fromProfile);
    void startReaders();
    [[nodiscard]] std::filesystem::path lightConfigPath() const;
    [[nodiscard]] std::filesystem::path factoryTableFile() const;
    [[nodiscard]] size_t macroCount();

    CMouseProfiledata m_profile;
    LightModeLists m_lists;
    std::vector<std::string> m_macroNames;
    std::vector<uint8_t> m_factoryTable;
    std::vector<int> m_keyMap;
    std::vector<KeyListEntry> m_keys;
    MouseSettings m_settings;
    mouse_record::Record m_lastRecord{};
    std::atomic<int> m_activeRecord{0};
    std::atomic<int> m_reportedStage{-1};
    DeviceLighting m_lighting;
    NotificationReader m_cableReader;
    NotificationReader m_receiverReader;
};

}  // namespace halvern
