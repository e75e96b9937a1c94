#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/key_table.h"
#include "devices/keyed_device.h"
#include "devices/settings_commit.h"
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
/// and custom colour memory in step with the user's profile, runs its light effects, and listens for
/// changes made on the keyboard itself. The frames of the music and external-colour modes are built and
/// sent to a cable keyboard by the device's queue when the link is free, never by the interface thread;
/// neither frames nor custom colours are ever sent through the receiver. What it shares with the mouse is
/// in CMerivexKeyedDevice (key table, macros, profile file, notifications, power polling, light settings).
class CMerivexKeyboardDevice : public CMerivexKeyedDevice {
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

    // ---- Hooks of the base (the others are CMerivexKeyedDevice's). ----
    /// Reads information, key table and LED table, maps the keys, loads the profile and starts the threads.
    /// The keyboard's record is not read here (RefreshPage does that).
    void ActivatePage(Done done = {}) override { activate(std::move(done)); }
    void SetLightSettings(const BaseLightSettings& settings) override;
    /// Six values for the external-colour mode: red, green, blue, then three that are not used.
    void AudioColour(std::span<const int32_t> values) override;

    // ---- What the page and the command line show and change (owner's thread). ----
    [[nodiscard]] const KeyboardSettings& settings() const { return m_settings; }
    /// Changes the settings (the page shows them at once) and sends the onboard record; the profile file
    /// is saved once the keyboard took it. When the keyboard refuses, the settings it held last come back
    /// and `done` gets the failure. Without `persist` the profile file is not written for this change.
    void ChangeSettings(const std::function<void(KeyboardSettings&)>& change, Done done, bool persist = true);
    /// Selects the profile's custom colour set `group` (saved) and loads its colours (LoadCustomColours).
    /// A group outside the profile's lists changes nothing.
    void SetCustomGroup(int group, Done done = {});
    /// Takes the colours of the profile's current set into the effects (and so the preview) and, in the
    /// custom colour mode, writes them to the keyboard's custom colour memory at the block of the light
    /// settings' "CustomGroup". Refused through the receiver.
    void LoadCustomColours(Done done = {});
    /// Every key's custom colour becomes the light colour (on) or black (off) in the current set; in the
    /// custom colour mode also in the keyboard's memory. Stored (saved) once the keyboard took them; a
    /// refusal brings the previous colours back.
    void SetAllKeys(bool on, Done done);
    /// Only in the custom colour mode: key `key`'s custom colour becomes the light colour. Refused (nothing
    /// done) in any other mode.
    void SetKeyColour(int key, Done done);
    /// Only in the custom colour mode: several keys take `colour` with one write (a rubber-band selection).
    /// Refused (nothing done) in any other mode or without any valid key.
    void SetKeysColour(std::span<const int> keys, Rgb colour, Done done);
    /// What the colour buttons of the page and `custom-color` do. Custom colours show only in the custom
    /// colour mode, so the keyboard goes there first (a refused switch changes nothing more); then `keys`
    /// take `colour` (SetKeysColour).
    void PaintKeys(std::span<const int> keys, Rgb colour, Done done);
    /// The same for switching every key's custom colour off (SetAllKeys(false)).
    void PaintKeysOff(Done done);
    /// The colours of the current set, per logical key.
    [[nodiscard]] std::vector<LightColor> customColours() const { return m_customColours; }

    /// The LED position of a logical key, or kAbsentMarker.
    [[nodiscard]] uint8_t keyLed(size_t key) const;
    /// The slot of each logical key in the key table, or kAbsentMarker.
    [[nodiscard]] std::array<uint8_t, kKeyCount> keySlots() const;
    [[nodiscard]] const std::vector<uint8_t>& ledTable() const { return m_ledTable; }
    [[nodiscard]] CKeyboardProfiledata& profile() { return m_profile; }

protected:
    [[nodiscard]] CBasicProfiledata& basicProfile() override { return m_profile; }
    void takeSettingsFromProfile() override;
    [[nodiscard]] LightSetting& pageLight() override { return m_settings.light; }
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const override;
    [[nodiscard]] std::optional<Record> settingsRecord(int slot, int firstByte, int byte68, int width,
                                                       int height) override;
    [[nodiscard]] size_t stateRecordSize() const override;
    [[nodiscard]] uint16_t stateRecordStride() const override;
    void takeStateRecord(std::span<const uint8_t> record) override;
    [[nodiscard]] bool readsStateOnActivation() const override { return true; }
    [[nodiscard]] bool readsLedTable() const override { return true; }
    void tablesRead(const jobs::Tables& tables) override;

private:
    void storeSettingsInProfile();
    /// After the light mode changed from `previousMode`: entering the custom colour mode loads its colours.
    void modeChanged(uint8_t previousMode);
    /// Runs `then` once the keyboard is in the custom colour mode (at once when it is); a refused switch
    /// goes to `done` instead.
    void inCustomColourMode(std::function<void(Done)> then, Done done);
    void pushCustomColoursToEngine();
    /// Takes `colours` as the current set (effects and preview at once); stores them in the profile (saved)
    /// once written, or brings the previous set back when the keyboard refuses.
    void replaceCustomColours(std::vector<LightColor> colours, bool write, bool scaled, Done done);
    /// Writes the current set to the custom colour memory; `scaled` multiplies each colour by its level.
    void writeCustomColours(bool scaled, Done done);
    [[nodiscard]] int customSet();

    CKeyboardProfiledata m_profile;
    KeyboardSettings m_settings;
    SettingsCommit<KeyboardSettings> m_commit;
    std::vector<uint8_t> m_ledTable;
    std::vector<LightColor> m_customColours;
    mutable std::mutex m_ledMutex;  ///< the LED map and slot count are read by the frame streamer
    std::array<uint8_t, kKeyCount> m_keyLeds{};
    size_t m_slotCount = 0;
};

}  // namespace halvern
