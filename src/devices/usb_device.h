#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/command_channel.h"
#include "device/device_queue.h"
#include "device/device_result.h"
#include "device/executor.h"
#include "device/supported_devices.h"

namespace halvern {

/// What a device object asks of whoever runs it (the application's device manager). Each may be empty.
/// They are called from the device's own threads too, so the work must be handed to the owner's thread.
struct DeviceEvents {
    /// Run the lifecycle timer `id` after `delayMs` (1002: read the device again, RefreshPage).
    std::function<void(int id, int delayMs)> entryTimer;
    /// A message to the main window (0x0D00, 0x0D01, ...).
    std::function<void(unsigned message, intptr_t wParam, intptr_t lParam)> postMessage;
    /// Status bytes for the page's power widget.
    std::function<void(std::span<const uint8_t> report)> showPower;
    /// The device's settings changed (ShowSettings): the page shows them again. Called on the interface
    /// thread.
    std::function<void()> settingsShown;
};

/// The light settings record the base keeps: mode, brightness, speed, direction, colourful flag, colour,
/// then two words that the device classes use.
struct BaseLightSettings {
    uint8_t mode = 0, brightness = 0, speed = 0, direction = 0, colourful = 0, red = 0, green = 0, blue = 0;
    uint32_t extra1 = 0, extra2 = 0;
};

/// The common base of the device objects (mouse, keyboard, mouse pad, headset): the device's command
/// channels, its identity and counts, the LED colour frame and light settings, the flags the main window
/// sets, its file locations, and the hooks through which the main window drives every device. The page
/// that shows a device is a widget of its own that refers to this object (the core knows no widgets).
///
/// Device I/O. Every exchange with the device runs on the device's one DeviceQueue (its own worker thread);
/// the object's state (settings, profile, key list) belongs to the thread that owns the object — the
/// window's interface thread, or the command line's main thread — and is only touched there. Operations
/// that talk to the device return at once and report through a `Done` on the owner's thread, through the
/// Executor given to SetExecutor (by default the object's own CompletionQueue, which Await() runs).
class CMerivexUSBDevice {
public:
    static constexpr size_t kFrameBufferSize = 512;
    static constexpr uint8_t kSoftwareLightMode = 11;
    using Done = DeviceQueue::Done;

    explicit CMerivexUSBDevice(HidBackend& backend);
    virtual ~CMerivexUSBDevice();
    CMerivexUSBDevice(const CMerivexUSBDevice&) = delete;
    CMerivexUSBDevice& operator=(const CMerivexUSBDevice&) = delete;

    // ---- Setters, in the order the main window calls them when it creates the page. ----
    void SetPageLayout(std::string layout) { m_pageLayout = std::move(layout); }
    void SetEvents(DeviceEvents events) { m_events = std::move(events); }
    /// Where completions run from now on (the window's event loop); it must outlive this object.
    void SetExecutor(Executor& executor) { m_queue.setExecutor(executor); }
    void SetKeyCount(int count);
    void SetLedCount(int count);
    void SetKindIndex(int index) { m_kindIndex = index; }
    void SetPowerFlag(bool show) { m_powerFlag = show; }
    void SetReservedValue(int value) { m_reserved = value; }
    void SetProfileName(std::string name) { m_profileName = std::move(name); }
    void SetKindName(std::string name) { m_kindName = std::move(name); }
    void SetIdentity(const InterfaceRow& row);
    virtual void SetKindId(int id) { m_kindId = id; }
    void SetLightConfigName(std::string name) { m_lightConfigName = std::move(name); }

    /// Sets everything above from the supported-device tables for kind `kindIndex` (page layout, counts,
    /// power flag, names, kind id) and the interface row that names the page, in the order the main
    /// window calls them. A kind outside the tables changes nothing and returns false.
    bool ConfigureFromTables(int kindIndex, const InterfaceRow& row);

    // ---- Flags set by the main window (read by the device's threads on every pass). ----
    /// Stores the flag; a cable keyboard is told when the application takes the lights.
    virtual void SetLightControl(bool on);
    void SetWindowActive(bool active) { m_windowActive = active; }
    /// While a program outside drives the LEDs one by one (an RGB program), it paints the LED colour frame
    /// with SetLedColour, and the device shows and streams that frame instead of its own effect's.
    virtual void SetExternalFrame(bool on) { m_externalFrame = on; }
    [[nodiscard]] bool externalFrame() const { return m_externalFrame; }
    /// Stored only for pages that show power: they skip their status poll while the window is hidden.
    void SetWindowHidden(bool hidden);

    // ---- Hooks the main window and the list entry call. ----
    virtual int LoadLightSettings() { return 0; }
    /// Hands the frame to the device's queue in the software-driven light mode; see the .cpp.
    virtual void SendLightFrame();
    /// Whether SendLightFrame writes to the device now, so the light tick must run at the link's pace.
    /// Devices whose queue builds the frames itself answer false.
    [[nodiscard]] virtual bool StreamsOnLightTick() const;
    virtual void SetLedColour(int index, uint32_t value);
    /// Sets several colours at once, `values[i]` at `indexes[i]` (the shorter list bounds them), so a
    /// streamed frame never carries half of them.
    virtual void SetLedColours(std::span<const int> indexes, std::span<const uint32_t> values);
    [[nodiscard]] virtual uint32_t GetLedColour(int index) const;
    /// Reads what the page needs from the device, loads the profile, shows it and starts the threads.
    /// `done` gets the result of the reads (the page opens from the profile either way).
    virtual void ActivatePage(Done done = {}) { m_queue.completeLater(done, {}); }
    /// Reads the device's state again and shows it.
    virtual void RefreshPage(Done done = {}) { m_queue.completeLater(done, {}); }
    /// Reads the power status for the page's power widget (through DeviceEvents::showPower).
    virtual void SyncWithDevice(Done done = {}) { m_queue.completeLater(done, {}); }
    /// Whether the device answers: connected and, behind a receiver, the link answers. Reported on the
    /// owner's thread.
    virtual void IsReady(std::function<void(bool)> ready);
    /// Reads the page's profile file into the page. False when there is no profile file to read (the data
    /// folder could not be opened): the page then keeps what it showed.
    [[nodiscard]] virtual bool LoadProfile() { return true; }
    virtual void ShowSettings() {}
    /// The page's profile became `profileId`: load it, show it, and write it to the device. When the
    /// device does not take it, the previous profile comes back and `done` says what failed.
    virtual void SwitchProfile(std::string profileId, Done done);
    /// Loads the shipped defaults into the profile and writes them to the device; on failure the profile
    /// and page stay as they were.
    virtual void RestoreDefaults(Done done = {}) { m_queue.completeLater(done, {}); }
    /// Writes the settings record built from the profile (slot, byte 0, byte 68, screen size).
    virtual void WriteSettings(int slot, int firstByte, int byte68, int width, int height, Done done);
    virtual void LoadDefaultLists() {}
    void SetNameMap(std::map<std::string, std::string> map) { m_nameMaps[2] = std::move(map); }
    virtual void SetFunctionMode(int mode) { m_functionMode = mode; }
    [[nodiscard]] int GetFunctionMode() const { return m_functionMode; }
    virtual void OpenProfileFile() {}
    [[nodiscard]] virtual std::string GetProfileName() const { return {}; }
    /// Writes the profile file; false when it could not be written (the working record is kept).
    [[nodiscard]] virtual bool SaveProfile() { return true; }
    /// Whether another program changed the profile file since this object last read or wrote it.
    [[nodiscard]] virtual bool ProfileChangedElsewhere() { return false; }
    [[nodiscard]] int GetKindId() const { return m_kindId; }
    virtual void SetLightSettings(const BaseLightSettings& settings);
    virtual void SetColours(uint32_t a, uint32_t b, uint32_t c);
    [[nodiscard]] virtual std::array<uint32_t, 3> GetColours() const { return m_colours; }
    virtual void SetListTag(int tag) { m_listTag = tag; }
    virtual void AudioLevels(std::span<const int32_t> levels) { (void)levels; }
    virtual void AudioColour(std::span<const int32_t> values) { (void)values; }

    /// Runs an operation that reports through a Done to its end on the calling thread, running the
    /// completions as they arrive: for the command line and tests, which own the object and keep the
    /// default executor. `start` receives the Done to pass on. Gives up (Cancelled) after `bound`; the
    /// operation's late answer then runs with a later call and is dropped.
    [[nodiscard]] DeviceResult Await(const std::function<void(Done)>& start,
                                     std::chrono::milliseconds bound = std::chrono::seconds(60));
    /// Runs the completions that have arrived (the command line between operations).
    void RunCompletions() { (void)m_completions.runPending(); }

    // ---- Getters. ----
    /// The firmware version the update check asks about: the USB version number (bcdDevice) of the cable
    /// command interface, as `halvernctl update-check` reads it from the system; 0 while the device is not
    /// connected by cable.
    [[nodiscard]] int firmwareVersion() {
        return m_command.connected() && !m_command.receiverMode()
                   ? m_command.cableInterface().attributes().versionNumber
                   : 0;
    }
    [[nodiscard]] CommandChannel& commandChannel() { return m_command; }
    [[nodiscard]] DeviceQueue& queue() { return m_queue; }
    [[nodiscard]] CommandChannel& notificationChannel() { return m_notification; }
    [[nodiscard]] std::array<uint8_t, CommandChannel::kInfoSize>& info() { return m_info; }
    [[nodiscard]] const std::array<uint8_t, CommandChannel::kInfoSize>& info() const { return m_info; }
    [[nodiscard]] const std::string& pageLayout() const { return m_pageLayout; }
    [[nodiscard]] const std::string& profileName() const { return m_profileName; }
    [[nodiscard]] const std::string& kindName() const { return m_kindName; }
    [[nodiscard]] const std::string& lightConfigName() const { return m_lightConfigName; }
    [[nodiscard]] uint16_t typeCode() const { return m_identity.typeCode; }
    [[nodiscard]] uint16_t role() const { return m_identity.role; }
    [[nodiscard]] const InterfaceRow& identity() const { return m_identity; }
    [[nodiscard]] int keyCount() const { return m_keyCount; }
    [[nodiscard]] int ledCount() const { return m_ledCount; }
    [[nodiscard]] int kindIndex() const { return m_kindIndex; }
    [[nodiscard]] int listTag() const { return m_listTag; }
    [[nodiscard]] int reservedValue() const { return m_reserved; }
    [[nodiscard]] const std::map<std::string, std::string>& nameMap(size_t which) const {
        return m_nameMaps.at(which);
    }
    [[nodiscard]] bool powerFlag() const { return m_powerFlag; }
    [[nodiscard]] bool lightControl() const { return m_lightControl; }
    [[nodiscard]] bool windowActive() const { return m_windowActive; }
    [[nodiscard]] bool windowHidden() const { return m_windowHidden; }
    [[nodiscard]] BaseLightSettings lightSettings() const;
    /// Copies the LED colour frame (red, green, blue, alpha bytes per LED) into `into`, reusing its
    /// storage: a preview that reads it every frame allocates nothing.
    void copyFrame(std::vector<uint32_t>& into) const;

    /// The shipped default data of this kind: <resource folder>/DefaultData/<kind name>.Json.
    [[nodiscard]] std::filesystem::path DefaultDataFile() const;
    /// The user's folder of this kind (created when missing): <data folder>/Halvern/<kind name>/.
    [[nodiscard]] std::filesystem::path UserFolder() const;

    /// The frame as the device takes it: 3 bytes per LED, each channel × alpha ÷ 256.
    [[nodiscard]] std::array<uint8_t, kFrameBufferSize> frameBuffer() const;

protected:
    [[nodiscard]] const DeviceEvents& events() const { return m_events; }
    /// Stops the queue (and with it every exchange) after cutting short the one in progress. Device classes
    /// call it first thing in their destructors, since the queue's frame source calls into them.
    void stopQueue();

private:
    CommandChannel m_command;
    CommandChannel m_notification;
    CompletionQueue m_completions;
    DeviceQueue m_queue{m_command, m_completions};
    std::array<uint8_t, CommandChannel::kInfoSize> m_info{};
    std::string m_pageLayout;
    DeviceEvents m_events;
    std::string m_profileName;
    std::string m_lightConfigName;
    std::string m_kindName;
    InterfaceRow m_identity{};
    int m_keyCount = 0;
    int m_ledCount = 0;
    int m_kindIndex = -1;
    int m_listTag = -1;
    int m_functionMode = 1;
    int m_reserved = -1;
    int m_kindId = 0;
    std::array<std::map<std::string, std::string>, 3> m_nameMaps;
    mutable std::mutex m_frameMutex;  ///< the frame and light settings are shared with the light thread
    std::vector<uint32_t> m_frame;
    BaseLightSettings m_light;
    std::atomic<bool> m_lightControl{true};
    std::atomic<bool> m_windowActive{true};
    std::atomic<bool> m_externalFrame{false};
    std::atomic<bool> m_windowHidden{false};
    std::atomic<bool> m_powerFlag{false};
    std::array<uint32_t, 3> m_colours{};
};

}  // namespace halvern
