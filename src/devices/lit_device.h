#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "devices/device_jobs.h"
#include "devices/device_lighting.h"
#include "devices/notification_reader.h"
#include "devices/usb_device.h"
#include "profile/basic_profiledata.h"
#include "profile/light_mode_lists.h"

namespace halvern {

/// What every device with lights has in common (the mouse, the keyboard, the mouse pad, the headset): an
/// onboard settings record whose active index the device reports, the user's profile file behind the page,
/// light effects run by a lighting thread (with the frames of software-driven modes built by the device's
/// queue when the link is free), two notification readers (cable and receiver) and power polling. The mouse
/// and the keyboard add their key table and macros (CMerivexKeyedDevice); the device classes add their
/// records and settings.
///
/// Operations that reach the device return at once and report through their Done on the owner's thread.
/// A refused write leaves the page, the profile and its file as they were; a write the device took is
/// followed by saving the profile file, and a file that cannot be written is reported as such.
class CMerivexLitDevice : public CMerivexUSBDevice {
public:
    /// What tells the devices apart for the shared code.
    struct Kind {
        DeviceKind lighting;         ///< the lighting engine's device kind
        int kindId;                  ///< the light mode lists' kind (keyboard 0, mouse 1, pad 2, headset 3)
        const char* readerExitText;  ///< written when a notification reader ends
        /// Behind the receiver, ask its link before every read and write and before each step of a settings
        /// write (the mouse); the keyboard's reads and writes go without (readiness and power ask all the
        /// same).
        bool linkChecks;
    };

    CMerivexLitDevice(HidBackend& backend, const Kind& kind);
    ~CMerivexLitDevice() override;

    // ---- Hooks of the base shared by the lit devices. ----
    int LoadLightSettings() override;
    /// Reads the device's state again (ReadDeviceState) and shows the settings.
    void RefreshPage(Done done = {}) override;
    void SyncWithDevice(Done done = {}) override;
    [[nodiscard]] bool LoadProfile() override;
    void ShowSettings() override;
    /// Loads the shipped defaults and writes them to the device (WriteAll). On refusal the profile comes
    /// back from its file.
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
    /// Writes everything the profile holds that the device keeps: here the settings record; the keyed
    /// devices add their key table and macros.
    virtual void WriteAll(int width, int height, Done done);

    [[nodiscard]] const LightModeLists& lightLists() const { return m_lists; }
    [[nodiscard]] int activeRecord() const { return m_activeRecord.load(); }

    /// Handles one notification code from a reader (public for tests; called on the reader's thread). Of a
    /// device with lights only 0x0401 counts: the page reads the device again after 500 ms.
    virtual void HandleNotification(uint16_t code, bool cable);

    [[nodiscard]] DeviceQueue::Stats streamStats() { return queue().stats(); }

protected:
    // ---- What the device classes provide. ----
    [[nodiscard]] virtual CBasicProfiledata& basicProfile() = 0;
    /// Takes the page's settings from the profile's working record.
    virtual void takeSettingsFromProfile() = 0;
    /// The page's light settings (part of the device's settings).
    [[nodiscard]] virtual LightSetting& pageLight() = 0;
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
    /// Whether ActivatePage reads the device's state (the mouse and keyboard: the page shows what the device
    /// holds) or leaves it to RefreshPage (the light-record devices, whose pages show the profile's light).
    [[nodiscard]] virtual bool readsStateOnActivation() const = 0;

    // ---- What the keyed devices add to the shared steps. ----
    /// The reads that open the page, as a job for the queue's thread: here the information block.
    using TablesJob = std::function<DeviceResult(CommandChannel&, jobs::Tables&)>;
    [[nodiscard]] virtual TablesJob tablesJob() const;
    /// Takes what the page's opening read (here the information block).
    virtual void takeTables(const jobs::Tables& tables);
    /// The profile was loaded into the page; `writeNow` when the device answered and may be written to.
    virtual void profileLoaded(bool writeNow) { (void)writeNow; }
    /// Takes the key assignments out of the profile (the keyed devices).
    virtual void takeKeysFromProfile() {}
    /// The device took the shipped defaults.
    virtual void defaultsRestored() {}
    /// Codes the shared handling leaves alone (after the shared handling has run).
    virtual void onNotification(uint16_t code, bool cable) { (void)code, (void)cable; }

    // ---- Shared steps. ----
    /// Reads the tables (and the state), loads the profile, shows it and starts the threads.
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
    /// Asks the window to read the device again after `delayMs` (its refresh timer).
    void askRefresh(int delayMs) const;
    void setActiveRecord(int record) { m_activeRecord = record; }
    /// Whether the LED frame is painted from outside the device's own effect: by synchronised lighting or
    /// by a program that drives the LEDs.
    [[nodiscard]] bool framePaintedOutside() { return externalFrame() || commandChannel().lightSync(); }
    void setScreen(int width, int height) { m_screenWidth = width, m_screenHeight = height; }
    [[nodiscard]] int screenWidth() const { return m_screenWidth; }
    [[nodiscard]] int screenHeight() const { return m_screenHeight; }

    [[nodiscard]] std::filesystem::path lightConfigPath() const;
    [[nodiscard]] DeviceLighting& lighting() { return m_lighting; }
    [[nodiscard]] bool linkChecks() const { return m_kind.linkChecks; }

private:
    [[nodiscard]] size_t streamFrame(DeviceQueue::FrameBuffer& buffer,
                                     DeviceQueue::Clock::time_point& nextChange);

    Kind m_kind;
    LightModeLists m_lists;
    std::atomic<int> m_activeRecord{0};
    int m_screenWidth = 1920;
    int m_screenHeight = 1080;
    DeviceLighting m_lighting;
    LedFrame m_streamFrame;  ///< the queue thread's copy of the engine frame
    NotificationReader m_cableReader;
    NotificationReader m_receiverReader;
};

}  // namespace halvern
