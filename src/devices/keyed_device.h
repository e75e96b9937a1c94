#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "devices/device_jobs.h"
#include "devices/device_lighting.h"
#include "devices/key_table.h"
#include "devices/notification_reader.h"
#include "devices/usb_device.h"
#include "profile/basic_profiledata.h"
#include "profile/light_mode_lists.h"

namespace halvern {

/// What the mouse and the keyboard have in common: a key table mapped onto logical keys, a macro memory, an
/// onboard settings record whose active index the device reports, light effects run by a lighting thread
/// (with the frames of software-driven modes built by the device's queue when the link is free), two
/// notification readers (cable and receiver) and power polling. The device classes add their records and
/// settings.
///
/// Operations that reach the device return at once and report through their Done on the owner's thread.
/// A refused write leaves the page, the profile and its file as they were; a write the device took is
/// followed by saving the profile file, and a file that cannot be written is reported as such.
class CMerivexKeyedDevice : public CMerivexUSBDevice {
public:
    /// What tells the two devices apart for the shared code.
    struct Kind {
        DeviceKind lighting;                        ///< the lighting engine's device kind
        int kindId;                                 ///< the light mode lists' kind (keyboard 0, mouse 1)
        std::span<const key_table::Code> keyCodes;  ///< the default code of each logical key
        const char* readerExitText;                 ///< written when a notification reader ends
        const char* factoryFilePrefix;              ///< the remembered factory table's file name start
        /// Behind the receiver, ask its link before every read and write and before each step of a settings
        /// write (the mouse); the keyboard's reads and writes go without (readiness and power ask all the
        /// same).
        bool linkChecks;
        /// A device with lights only (mouse pad, headset): no key table or macros; its page opens with the
        /// information block alone, and of its notifications only 0x0401 counts (a resync after 500 ms).
        bool lightOnly = false;
    };

    CMerivexKeyedDevice(HidBackend& backend, const Kind& kind);
    ~CMerivexKeyedDevice() override;

    // ---- Hooks of the base shared by the keyed devices. ----
    int LoadLightSettings() override;
    /// Reads the device's state again (ReadDeviceState) and shows the settings.
    void RefreshPage(Done done = {}) override;
    void SyncWithDevice(Done done = {}) override;
    [[nodiscard]] bool LoadProfile() override;
    void ShowSettings() override;
    /// Loads the shipped defaults and writes settings, key table and macros; the remembered factory key
    /// table is forgotten and read again. On refusal the profile comes back from its file.
    void RestoreDefaults(Done done = {}) override;
    void LoadDefaultLists() override;
    void OpenProfileFile() override;
    [[nodiscard]] std::string GetProfileName() const override;
    [[nodiscard]] bool SaveProfile() override;
    [[nodiscard]] bool ProfileChangedElsewhere() override;
    void SetLightSettings(const BaseLightSettings& settings) override;
    void SetColours(uint32_t a, uint32_t b, uint32_t c) override;
    void AudioLevels(std::span<const int32_t> levels) override;
    void SwitchProfile(std::string profileId, Done done) override;
    void SetLightControl(bool on) override;
    void SetExternalFrame(bool on) override;
    /// Copies the engine's frame into the preview frame only: the queue builds the streamed frames itself.
    void SendLightFrame() override;
    [[nodiscard]] bool StreamsOnLightTick() const override { return false; }
    /// Sets a preview colour; while the device takes part in synchronised lighting or a program outside
    /// paints its frame, also the colour its streamed frames carry.
    void SetLedColour(int index, uint32_t value) override;
    void SetLedColours(std::span<const int> indexes, std::span<const uint32_t> values) override;
    void WriteSettings(int slot, int firstByte, int byte68, int width, int height, Done done) override;

    /// Reads the active onboard record into the page and the profile (saved).
    virtual void ReadDeviceState(Done done = {});

    // ---- Key table and macros. ----
    /// Resets keys assigned to macros that no longer exist; stores and saves the list when anything
    /// changed. True when it changed something (the key table then needs writing).
    bool CheckMacroAssignments();
    /// The macros used by present keys, in first-use order: the order of the device's macro memory.
    [[nodiscard]] std::vector<uint8_t> ListUsedMacros() const;
    /// Stores one key's assignment and writes the key table, and the macro image whenever the set or order
    /// of the macros the keys play changed. When the device refuses (or the macros would not fit: the
    /// result then says how many events to remove), the key keeps its old assignment and the profile file
    /// is not touched. A key the device does not keep is refused at once.
    void SetKeyAssignment(size_t key, const KeyListEntry& entry, Done done);
    /// Writes the key table and then the macro image (the page's "write to device").
    void WriteKeysAndMacros(Done done);
    /// Writes the macro image of the macros the keys use.
    void WriteMacros(Done done);
    /// Writes the settings record, the key table and the macros: the device takes the whole profile.
    void WriteAll(int width, int height, Done done);

    [[nodiscard]] const std::vector<KeyListEntry>& keyList() const { return m_keys; }
    [[nodiscard]] bool keyPresent(size_t key) const;
    [[nodiscard]] const std::vector<uint8_t>& factoryTable() const { return m_factoryTable; }
    [[nodiscard]] const LightModeLists& lightLists() const { return m_lists; }
    [[nodiscard]] const std::vector<std::string>& macroNames() const { return m_macroNames; }
    [[nodiscard]] int activeRecord() const { return m_activeRecord.load(); }

    /// Handles one notification code from a reader (public for tests; called on the reader's thread).
    void HandleNotification(uint16_t code, bool cable);

    [[nodiscard]] DeviceQueue::Stats streamStats() { return queue().stats(); }

protected:
    // ---- What the device classes provide. ----
    [[nodiscard]] virtual CBasicProfiledata& basicProfile() = 0;
    /// Takes the page's settings from the profile's working record.
    virtual void takeSettingsFromProfile() = 0;
    /// The page's light settings (part of the device's settings).
    [[nodiscard]] virtual LightSetting& pageLight() = 0;
    /// Codes the shared handling leaves alone (after the shared handling has run).
    virtual void onNotification(uint16_t code, bool cable) { (void)code, (void)cable; }
    /// Whether frames are to be streamed now, and the least period between them (the queue's thread).
    [[nodiscard]] virtual bool streamWanted(std::chrono::milliseconds& minPeriod) = 0;
    /// The frame to stream, from the engine's current frame; returns the bytes to write (the queue's thread).
    virtual size_t buildStreamFrame(const LedFrame& frame, DeviceQueue::FrameBuffer& buffer) const = 0;
    /// Sends a frame buildStreamFrame built (the queue's thread): the channel's light stream, unless the
    /// device takes its frames another way.
    [[nodiscard]] virtual int sendStreamFrame(CommandChannel& channel, std::span<const uint8_t> frame) {
        return channel.StreamLightFrame(frame);
    }
    /// The onboard record the profile describes, and where it goes.
    struct Record {
        std::vector<uint8_t> bytes;
        uint16_t offset = 0;
    };
    [[nodiscard]] virtual std::optional<Record> settingsRecord(int slot, int firstByte, int byte68, int width,
                                                               int height) = 0;
    /// The size and stride of the onboard record read back, and how a read record enters page and profile.
    [[nodiscard]] virtual size_t stateRecordSize() const = 0;
    [[nodiscard]] virtual uint16_t stateRecordStride() const = 0;
    virtual void takeStateRecord(std::span<const uint8_t> record) = 0;
    /// Whether ActivatePage reads the device's state (the mouse) or leaves it to RefreshPage (the keyboard).
    [[nodiscard]] virtual bool readsStateOnActivation() const = 0;
    /// The tables read when the page opened (the keyboard builds its LED map).
    virtual void tablesRead(const jobs::Tables& tables) { (void)tables; }
    /// Whether ActivatePage reads the LED table.
    [[nodiscard]] virtual bool readsLedTable() const { return false; }

    // ---- Shared steps. ----
    /// Reads the tables (and the state), maps the keys, loads the profile, shows it and starts the threads.
    void activate(Done done);
    /// Applies light settings to the base's record and the engine; from the profile also the light list and
    /// the user's effect.
    void applyLight(const LightSetting& light, bool fromProfile);
    /// Starts the lighting thread and the notification readers, and sets the queue's frame source.
    void startThreads();
    /// Stops every thread; the device classes call it first thing in their destructors, since the threads
    /// call into them.
    void stopThreads();
    /// Sends the settings record the profile describes (slot 0, the screen size given last).
    void sendSettingsRecord(Done done);
    void wakeStreamer() { queue().wakeFrames(); }
    /// Whether the LED frame is painted from outside the device's own effect: by synchronised lighting or
    /// by a program that drives the LEDs.
    [[nodiscard]] bool framePaintedOutside() { return externalFrame() || commandChannel().lightSync(); }
    void setScreen(int width, int height) { m_screenWidth = width, m_screenHeight = height; }

    [[nodiscard]] std::filesystem::path lightConfigPath() const;
    [[nodiscard]] size_t macroCount();
    [[nodiscard]] const std::vector<int>& keyMap() const { return m_keyMap; }
    [[nodiscard]] std::vector<KeyListEntry>& keys() { return m_keys; }
    [[nodiscard]] DeviceLighting& lighting() { return m_lighting; }
    [[nodiscard]] bool linkChecks() const { return m_kind.linkChecks; }

private:
    [[nodiscard]] std::filesystem::path factoryTableFile() const;
    void takeTables(const jobs::Tables& tables);
    /// The key table (and, with `macros`, the macro image) the page's assignments make.
    [[nodiscard]] jobs::KeyWrite keyWrite(bool withTable, bool withMacros);
    void submitKeyWrite(jobs::KeyWrite write, Done done);
    [[nodiscard]] size_t streamFrame(DeviceQueue::FrameBuffer& buffer,
                                     DeviceQueue::Clock::time_point& nextChange);

    Kind m_kind;
    LightModeLists m_lists;
    std::vector<std::string> m_macroNames;
    std::vector<uint8_t> m_factoryTable;
    std::vector<int> m_keyMap;
    std::vector<KeyListEntry> m_keys;
    std::atomic<int> m_activeRecord{0};
    int m_screenWidth = 1920;
    int m_screenHeight = 1080;
    DeviceLighting m_lighting;
    LedFrame m_streamFrame;  ///< the queue thread's copy of the engine frame
    NotificationReader m_cableReader;
    NotificationReader m_receiverReader;
};

}  // namespace halvern
