#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "devices/device_lighting.h"
#include "devices/frame_streamer.h"
#include "devices/key_table.h"
#include "devices/notification_reader.h"
#include "devices/usb_device.h"
#include "profile/basic_profiledata.h"
#include "profile/light_mode_lists.h"

namespace halvern {

/// What the mouse and the keyboard have in common: a key table mapped onto logical keys, a macro memory, an
/// onboard settings record whose active index the device reports, light effects run by a lighting thread
/// (with the frames of software-driven modes streamed by a worker of their own), two notification readers
/// (cable and receiver) and power polling. The device classes add their records and settings.
///
/// Results: 1 success, 0 failure, as the hooks of the base; WriteMacros has its own (see there).
class CMerivexKeyedDevice : public CMerivexUSBDevice {
public:
    /// What tells the two devices apart for the shared code.
    struct Kind {
        DeviceKind lighting;              ///< the lighting engine's device kind
        int kindId;                       ///< the light mode lists' kind (keyboard 0, mouse 1)
        std::span<const key_table::Code> keyCodes;  ///< the default code of each logical key
        const char* readerExitText;       ///< written when a notification reader ends
        const char* factoryFilePrefix;    ///< the remembered factory table's file name start
    };

    CMerivexKeyedDevice(HidBackend& backend, const Kind& kind);
    ~CMerivexKeyedDevice() override;

    // ---- Hooks of the base shared by the keyed devices. ----
    int LoadLightSettings() override;
    void RefreshPage() override;
    void SyncWithDevice() override;
    [[nodiscard]] bool IsReady() override;
    int LoadProfile() override;
    void ShowSettings() override;
    void RestoreDefaults() override;
    void LoadDefaultLists() override;
    void OpenProfileFile() override;
    [[nodiscard]] std::string GetProfileName() const override;
    void SaveProfile() override;
    void SetLightSettings(const BaseLightSettings& settings) override;
    void SetColours(uint32_t a, uint32_t b, uint32_t c) override;
    void AudioLevels(std::span<const int32_t> levels) override;
    void ProfileSwitched() override;
    void SetLightControl(bool on) override;
    /// Copies the engine's frame into the preview frame only: the stream has a worker of its own.
    void SendLightFrame() override;
    [[nodiscard]] bool StreamsOnLightTick() const override { return false; }

    /// Reads the active onboard record into the page and the profile. 1, or 0.
    virtual int ReadDeviceState() = 0;

    // ---- Key table and macros. ----
    /// Resets keys assigned to macros that no longer exist; stores the list when anything changed.
    void CheckMacroAssignments();
    /// The macros used by present keys, in first-use order: the order of the device's macro memory.
    [[nodiscard]] std::vector<uint8_t> ListUsedMacros() const;
    /// Writes the key table (profile index must be 0: any other gives -201).
    int WriteKeyTable(int profileIndex, const std::vector<KeyListEntry>& entries);
    int WriteKeysFromPage() { return WriteKeyTable(0, m_keys); }
    /// Writes the macro image of the given macros (numbers in the macro list). 0 on success or when there
    /// are no macros, -1 when the device does not answer, else the number of events to remove to make the
    /// image fit the device's macro memory (nothing is written then).
    int WriteMacros(const std::vector<uint8_t>& macros);
    /// Stores one key's assignment in the profile and writes the key table (and the macros, when the key
    /// now plays one). The key-table result; the entry is kept in the profile either way.
    int SetKeyAssignment(size_t key, const KeyListEntry& entry);
    /// The result of writing the key table and then the macros, as the "save to device" button reports it.
    int WriteKeysAndMacros();

    [[nodiscard]] const std::vector<KeyListEntry>& keyList() const { return m_keys; }
    [[nodiscard]] bool keyPresent(size_t key) const;
    [[nodiscard]] const std::vector<uint8_t>& factoryTable() const { return m_factoryTable; }
    [[nodiscard]] const LightModeLists& lightLists() const { return m_lists; }
    [[nodiscard]] const std::vector<std::string>& macroNames() const { return m_macroNames; }
    [[nodiscard]] int activeRecord() const { return m_activeRecord.load(); }

    /// Handles one notification code from a reader (public for tests; called on the reader's thread).
    void HandleNotification(uint16_t code, bool cable);

    [[nodiscard]] FrameStreamer::Stats streamStats() const { return m_streamer.stats(); }

protected:
    // ---- What the device classes provide. ----
    [[nodiscard]] virtual CBasicProfiledata& basicProfile() = 0;
    /// Takes the page's settings from the profile's working record.
    virtual void takeSettingsFromProfile() = 0;
    /// The page's light settings (part of the device's settings).
    [[nodiscard]] virtual LightSetting& pageLight() = 0;
    /// Link check before a write: the mouse asks the receiver each time, the keyboard does not.
    [[nodiscard]] virtual bool writeLinkAnswers() { return linkAnswers(); }
    /// Codes the shared handling leaves alone (after the shared handling has run).
    virtual void onNotification(uint16_t code, bool cable) { (void)code, (void)cable; }
    /// Whether frames are to be streamed now, and the least period between them.
    [[nodiscard]] virtual bool streamWanted(std::chrono::milliseconds& minPeriod) = 0;
    /// The frame to stream, from the engine's current frame; returns the bytes to write.
    virtual size_t buildStreamFrame(const LedFrame& frame, FrameStreamer::Buffer& buffer) const = 0;

    // ---- Shared steps. ----
    [[nodiscard]] bool linkAnswers();
    /// Reads the information block and the key table (and, with `ledTable`, the LED table) between Begin
    /// and End, and maps the logical keys. False when the device does not answer.
    [[nodiscard]] bool readInfoAndTables(std::vector<uint8_t>* ledTable);
    /// Applies light settings to the base's record and the engine; from the profile also the light list and
    /// the user's effect.
    void applyLight(const LightSetting& light, bool fromProfile);
    /// Starts the lighting thread, the frame streamer and the notification readers.
    void startThreads();
    /// Stops every thread; the device classes call it first thing in their destructors, since the threads
    /// call into them.
    void stopThreads();
    /// Reads the index of the active onboard record (settings offset 0), then that record from offset
    /// index × `stride` into `record`, and keeps the index as the active record. The index, or -1 when the
    /// device does not answer.
    [[nodiscard]] int readActiveRecord(std::span<uint8_t> record, uint16_t stride);
    /// Writes an onboard record at `offset` between Begin and End.
    [[nodiscard]] int writeRecord(std::span<const uint8_t> record, uint16_t offset);
    /// Makes a settings change take effect: `write` sends the record, which the device must take before the
    /// profile is saved; on refusal `revert` brings the previous settings back. 1 or 0.
    int commitChange(const std::function<int()>& write, const std::function<void()>& revert);
    void wakeStreamer() { m_streamer.wake(); }

    [[nodiscard]] std::filesystem::path lightConfigPath() const;
    [[nodiscard]] size_t macroCount();
    [[nodiscard]] const std::vector<int>& keyMap() const { return m_keyMap; }
    [[nodiscard]] std::vector<KeyListEntry>& keys() { return m_keys; }
    [[nodiscard]] DeviceLighting& lighting() { return m_lighting; }

private:
    [[nodiscard]] std::filesystem::path factoryTableFile() const;
    [[nodiscard]] size_t streamFrame(FrameStreamer::Buffer& buffer, Millis& nextChange);

    Kind m_kind;
    LightModeLists m_lists;
    std::vector<std::string> m_macroNames;
    std::vector<uint8_t> m_factoryTable;
    std::vector<int> m_keyMap;
    std::vector<KeyListEntry> m_keys;
    std::atomic<int> m_activeRecord{0};
    DeviceLighting m_lighting;
    LedFrame m_streamFrame;  ///< the streamer's copy of the engine frame (its thread only)
    FrameStreamer m_streamer;
    NotificationReader m_cableReader;
    NotificationReader m_receiverReader;
};

}  // namespace halvern
