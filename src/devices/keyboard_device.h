#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "devices/device_lighting.h"
#include "devices/key_table.h"
#include "devices/notification_reader.h"
#include "devices/usb_device.h"
#include "lighting/types.h"
#include "profile/keyboard_profiledata.h"
#include "profile/light_mode_lists.h"

namespace halvern {

/// The settings of the keyboard page that go into the onboard record.
struct KeyboardSettings {
    KeyboardSystem system;  ///< repeat and delay (kept in the profile only), rollover, polling, lock flags
    LightSetting light;
    bool operator==(const KeyboardSettings&) const = default;
};

/// The keyboard, on its cable or through its receiver: keeps its onboard record, key table, macro memory
/// and custom colour memory in step with the user's profile, runs its light effects (streaming the frames
/// of the software-driven modes from a worker of its own, never from the interface thread), and listens for
/// changes made on the keyboard itself.
///
/// Results: 1 success, 0 failure, as the hooks of the base; WriteMacros has its own (see there).
class CMerivexKeyboardDevice : public CMerivexUSBDevice {
public:
    static constexpr size_t kKeyCount = 170;
    static constexpr uint8_t kAbsentMarker = 255;  ///< slot or LED shown for a key the keyboard lacks
    static constexpr uint8_t kCustomColourMode = 20;
    static constexpr uint8_t kMusicMode = 29;
    static constexpr uint8_t kExternalColourMode = 30;
    /// The factory code of each logical key; a key sits at the first slot holding its code.
    static const std::array<key_table::Code, kKeyCount> kKeyCodes;

    explicit CMerivexKeyboardDevice(HidBackend& backend);
    ~CMerivexKeyboardDevice() override;

    // ---- Hooks of the base. ----
    int LoadLightSettings() override;
    /// Copies the engine's frame into the preview frame only; the cable stream has its own worker.
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
    /// 25 band levels for the music mode.
    void AudioLevels(std::span<const int32_t> levels) override;
    /// Six values for the external-colour mode: red, green, blue, then three the keyboard ignores.
    void AudioColour(std::span<const int32_t> values) override;
    void ProfileSwitched() override;

    // ---- The keyboard's own operations. ----
    /// Reads the active onboard record and takes its settings into the page and the profile (saved).
    /// 1, or 0 when the keyboard does not answer.
    int ReadDeviceState();
    /// Resets keys assigned to macros that no longer exist; stores the list when anything changed.
    void CheckMacroAssignments();
    /// The macros used by present keys, in first-use order: the order of the keyboard's macro memory.
    [[nodiscard]] std::vector<uint8_t> ListUsedMacros() const;
    /// Writes the key table (profile index must be 0: any other gives -201).
    int WriteKeyTable(int profileIndex, const std::vector<KeyListEntry>& entries);
    int WriteKeysFromPage();
    /// Writes the macro image of the given macros. 0 on success or when there are none, -1 when the
    /// keyboard does not answer, else the number of events to remove to make the image fit.
    int WriteMacros(const std::vector<uint8_t>& macros);
    /// The result of writing the key table and then the macros, as the "save to device" button reports it.
    int WriteKeysAndMacros();
    /// Stores one key's assignment in the profile and writes the key table (and the macros, when the key
    /// now plays one). The key-table result; the entry is kept in the profile either way.
    int SetKeyAssignment(size_t key, const KeyListEntry& entry);

    // ---- What the page and the command line show and change (interface thread). ----
    [[nodiscard]] const KeyboardSettings& settings() const;
    /// Changes the settings, writes the onboard record, then stores them in the profile and saves the file.
    /// When the keyboard refuses the record, the previous settings come back, the file is left as it was
    /// and the result is 0.
    int ChangeSettings(const std::function<void(KeyboardSettings&)>& change);
    /// Selects custom colour group `group` (0..4), loads its colours and writes the record.
    void SetCustomGroup(int group);
    /// Takes the profile's colours of the current group into the engine and the frame and writes them to
    /// the keyboard's custom colour memory. 1 or 0.
    int LoadCustomColours();
    /// Switches every key's custom colour on (white) or off (black) in the current group. 1 or 0.
    int SetAllKeys(bool on);
    /// Writes key `key`'s stored custom colour to the keyboard; only in the custom colour mode (else 0).
    int SetKeyColour(int key);
    /// Gives several keys one colour with one store and one write; only in the custom colour mode (else 0).
    int SetKeysColour(std::span<const int> keys, Rgb colour);
    /// The colours of the current group, per logical key.
    [[nodiscard]] std::vector<LightColor> customColours() const;

    [[nodiscard]] const std::vector<KeyListEntry>& keyList() const;
    [[nodiscard]] bool keyPresent(size_t key) const;
    /// The LED position of a logical key, or kAbsentMarker.
    [[nodiscard]] uint8_t keyLed(size_t key) const;
    /// The slot of each logical key in the key table, or kAbsentMarker.
    [[nodiscard]] std::array<uint8_t, kKeyCount> keySlots() const;
    [[nodiscard]] const std::vector<uint8_t>& factoryTable() const;
    [[nodiscard]] const std::vector<uint8_t>& ledTable() const;
    [[nodiscard]] const LightModeLists& lightLists() const;
    [[nodiscard]] const std::vector<std::string>& macroNames() const;
    [[nodiscard]] int activeRecord() const;
    [[nodiscard]] CKeyboardProfiledata& profile();

    /// Handles one notification code from a reader (public for tests; called on the reader's thread).
    void HandleNotification(uint16_t code, bool cable);

    /// Figures of the frame stream, for measurements and tests.
    struct StreamStats {
        uint64_t frames = 0;    ///< frames the keyboard acknowledged
        double lastAgeMs = 0;   ///< age of the last frame's colours when its last report was acknowledged
    };
    [[nodiscard]] StreamStats streamStats() const;

private:
    CKeyboardProfiledata m_profile;
    LightModeLists m_lists;
    std::vector<std::string> m_macroNames;
    std::vector<uint8_t> m_factoryTable;
    std::vector<uint8_t> m_ledTable;
    std::vector<int> m_keyMap;
    std::vector<KeyListEntry> m_keys;
    KeyboardSettings m_settings;
    std::atomic<int> m_activeRecord{0};
};

}  // namespace halvern
