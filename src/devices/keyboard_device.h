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
/// changes made on the keyboard itself. The frames of the music and external-colour modes are streamed to a
/// cable keyboard by a worker of their own, never by the interface thread; neither frames nor custom
/// colours are ever sent through the receiver. What it shares with the mouse is in CMerivexKeyedDevice
/// (key table, macros, profile file, notifications, power polling, light settings).
///
/// Results: 1 success, 0 failure, as the hooks of the base; WriteMacros has its own (see there).
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
    void ActivatePage() override;
    /// Builds the record from the profile and writes it at `slot` × 25 with `firstByte` in byte 0; the
    /// other arguments are the mouse's. 1, or 0 when the keyboard refuses it.
    int WriteSettings(int slot, int firstByte, int byte68, int width, int height) override;
    void SetLightSettings(const BaseLightSettings& settings) override;
    /// Six values for the external-colour mode: red, green, blue, then three that are not used.
    void AudioColour(std::span<const int32_t> values) override;

    // ---- The keyboard's own operations. ----
    /// Reads the active onboard record and takes its settings into the page and the profile (saved).
    /// 1, or 0 when the keyboard does not answer.
    int ReadDeviceState() override;

    // ---- What the page and the command line show and change (interface thread). ----
    [[nodiscard]] const KeyboardSettings& settings() const { return m_settings; }
    /// Changes the settings and stores them in the profile's working record, writes the onboard record,
    /// then saves the profile file. When the keyboard refuses the record, the previous settings come back,
    /// the file is left as it was and the result is 0.
    int ChangeSettings(const std::function<void(KeyboardSettings&)>& change);
    /// Selects the profile's custom colour set `group` (saved) and loads its colours (LoadCustomColours).
    /// A group outside the profile's lists changes nothing.
    void SetCustomGroup(int group);
    /// Takes the colours of the profile's current set into the effects (and so the preview) and, in the
    /// custom colour mode, writes them to the keyboard's custom colour memory at the block of the light
    /// settings' "CustomGroup". 1; 0 when that write was due but failed or could not be made (receiver).
    int LoadCustomColours();
    /// Every key's custom colour becomes the light colour (on) or black (off), in the current set (saved),
    /// and in the custom colour mode in the keyboard's memory. 1, or 0 when the write failed.
    int SetAllKeys(bool on);
    /// Only in the custom colour mode: key `key`'s custom colour becomes the light colour, stored and
    /// written. 0 (nothing done) in any other mode.
    int SetKeyColour(int key);
    /// Only in the custom colour mode: several keys take `colour` with one store and one write (a
    /// rubber-band selection). 0 (nothing done) in any other mode.
    int SetKeysColour(std::span<const int> keys, Rgb colour);
    /// The colours of the current set, per logical key.
    [[nodiscard]] std::vector<LightColor> customColours() const { return m_customColours; }

    /// The LED position of a logical key, or kAbsentMarker.
    [[nodiscard]] uint8_t keyLed(size_t key) const;
    /// The slot of each logical key in the key table, or kAbsentMarker.
    [[nodiscard]] std::array<uint8_t, kKeyCount> keySlots() const;
    [[nodiscard]] const std::vector<uint8_t>& ledTable() const { return m_ledTable; }
    [[nodiscard]] CKeyboardProfiledata& profile() { return m_profile; }

    using StreamStats = FrameStreamer::Stats;

protected:
    [[nodiscard]] CBasicProfiledata& basicProfile() override { return m_profile; }
    void takeSettingsFromProfile() override;
    [[nodiscard]] LightSetting& pageLight() override { return m_settings.light; }
    [[nodiscard]] bool writeLinkAnswers() override { return commandChannel().connected(); }
    [[nodiscard]] bool streamWanted(std::chrono::milliseconds& minPeriod) override;
    size_t buildStreamFrame(const LedFrame& frame, FrameStreamer::Buffer& buffer) const override;

private:
    void storeSettingsInProfile();
    /// After the light mode changed from `previousMode`: entering the custom colour mode loads its colours.
    void modeChanged(uint8_t previousMode);
    /// Stores the current set in the profile (saved) and hands it to the effects.
    void storeCustomColours();
    void pushCustomColoursToEngine();
    /// Writes the current set to the custom colour memory; `scaled` multiplies each colour by its level.
    [[nodiscard]] int writeCustomColours(bool scaled);
    [[nodiscard]] int customSet();

    CKeyboardProfiledata m_profile;
    KeyboardSettings m_settings;
    std::vector<uint8_t> m_ledTable;
    std::vector<LightColor> m_customColours;
    mutable std::mutex m_ledMutex;  ///< the LED map and slot count are read by the frame streamer
    std::array<uint8_t, kKeyCount> m_keyLeds{};
    size_t m_slotCount = 0;
};

}  // namespace halvern
