#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "app/device_kinds.h"
#include "app/discovery.h"
#include "device/device_lock.h"
#include "device/device_lock_waiter.h"
#include "devices/usb_device.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/pages/device_page.h"
#include "ui/toolkit/notify_hub.h"

class QStackedWidget;
class QLayout;

namespace halvern::ui {
class LayoutLoader;
class LanguageTexts;
}  // namespace halvern::ui

namespace halvern::app {

/// Entry timer ids.
namespace entry_timer {
inline constexpr int kLightTick = 1000;
inline constexpr int kActivate = 1001;
inline constexpr int kRefresh = 1002;
inline constexpr int kHook1003 = 1003;
inline constexpr int kHook1004 = 1004;
inline constexpr int kSync = 1005;
inline constexpr int kLinkWatch = 1007;
inline constexpr int kLinkProbe = 1008;  ///< QueryLink tries after a move to the receiver
}  // namespace entry_timer

/// The controls of the main window that the device list works with.
struct DeviceListControls {
    QLayout* entries = nullptr;                ///< "device_select_layout"
    QStackedWidget* pages = nullptr;           ///< "device_switch"
    QStackedWidget* powers = nullptr;          ///< "device_power_switch"
    QWidget* noDeviceNotice = nullptr;         ///< "No_device_Link"
    QWidget* owner = nullptr;                  ///< parent of what has no container (a layout that lacks one)
    const ui::LanguageTexts* texts = nullptr;  ///< the interface language, for texts the pages make
    ui::PageHost* host = nullptr;              ///< what the pages ask for messages and the colour picker
};

/// One device page with its list entry and power widget.
struct DeviceSlotPage {
    const DeviceKindEntry* kind = nullptr;
    /// The device's lock while this program has the device open; while another program holds it, the
    /// wait for it (the device is opened when the lock comes). Declared before the device, so the device
    /// is closed before its lock goes.
    std::optional<DeviceLock> lock;
    std::unique_ptr<DeviceLockWaiter> lockWait;
    std::unique_ptr<CMerivexUSBDevice> device;
    QPointer<ui::DevicePage> page;
    QPointer<ui::DeviceOption> entry;
    QPointer<ui::DevicePower> power;
    int kindIndex = -1;
    int linkTries = 0;
    /// The device is connected and its page has read it (or tried to): other programs may use it now.
    bool active = false;
};

/// Device presence and the device list: binds arriving interfaces to device pages (made on first need),
/// moves a mouse or keyboard between cable and receiver, shows and hides list entries, and runs the
/// entries' timers (activation, light ticks, refresh, status, link watch). Runs on the UI thread, and never
/// talks to a device itself: the devices' queues do, and their answers come back as completions on this
/// thread (an entry's timers go on from there, while its device is still connected).
class DeviceList final : public QObject {
    Q_OBJECT
public:
    /// `uiTasks` runs on this (the interface) thread what the devices' threads hand over; it must outlive
    /// the list.
    DeviceList(HidBackend& backend, SlotTable& slotTable, const ui::LayoutLoader& loader, ui::NotifyHub& hub,
               DeviceListControls controls, Executor& uiTasks, QObject* parent = nullptr);
    ~DeviceList() override;

    /// Creates the pages of the kinds that exist even without a device (mouse and keyboard).
    void createInitialPages();

    void Arrival(int slot);
    void Removal(int slot);

    void ShowDeviceEntry(int index, bool visible, bool select);
    void HideDeviceEntry(int index);
    void SelectPrevious();
    void SelectNext();
    /// The page of the first visible, selected entry, or null.
    [[nodiscard]] DeviceSlotPage* FindSelectedPage();
    struct VisibleCount {
        int first = -1;
        int count = 0;
    };
    [[nodiscard]] VisibleCount CountVisibleEntries() const;
    /// "No_device_Link" shown exactly when no entry is visible, and then alone: the pages and the power
    /// widget are hidden with it.
    void updateNoDeviceNotice();
    /// Whether a connected device's lights are computed by this program (they stop when it ends).
    [[nodiscard]] bool LightsNeedProgram() const;

    /// A link report of a list entry: the device behind the receiver answers (1) or stopped (0).
    void LinkReport(int kindIndex, bool answering);

    /// Routes a "timer" notification of an entry; false when the sender is no entry.
    bool entryTimer(QWidget* entry, int id);

    /// Flags the main window hands to every page.
    void setLightControl(bool on);
    void setWindowActive(bool active);
    void setWindowHidden(bool hidden);
    /// Called when synchronised lighting is possible (two or more visible entries) or not.
    std::function<void(bool)> enableSync;
    /// Called for every page made (at the start and on a kind's first arrival).
    std::function<void(DeviceSlotPage&)> pageMade;

    [[nodiscard]] const std::vector<std::unique_ptr<DeviceSlotPage>>& pages() const { return m_pages; }
    [[nodiscard]] DeviceSlotPage* pageForKind(int kindIndex);

    /// Screen size for WriteSettings.
    void setScreenSize(int width, int height) { m_screenWidth = width, m_screenHeight = height; }

    /// The number of QueryLink tries after a switch to the receiver and the wait between them.
    static constexpr int kLinkTries = 26;
    static constexpr int kLinkRetryMs = 50;
    /// Light tick periods when no frame is streamed: preview changing, preview still, not on screen.
    /// 25 frames a second, the rate of broadcast video: the effects change colours gradually, and the
    /// preview looks as smooth as at 30 for a sixth less of the painting.
    static constexpr int kPreviewTickMs = 40;
    static constexpr int kQuietTickMs = 100;
    static constexpr int kIdleTickMs = 500;

private:
    DeviceSlotPage* CreatePage(int kindIndex, const InterfaceRow& row);
    void Attach(int slot, const DeviceSlot& s);
    /// Opens the page's command interface on the slot `s` (nothing when it is connected already).
    void openCommand(DeviceSlotPage& page, const InterfaceRow& pageRow, const DeviceSlot& s);
    /// Whether the page's device may be opened now: its lock is held (taken now if free) or it needs
    /// none. False while another program holds it: a wait starts, and lockArrived opens the device.
    [[nodiscard]] bool holdDevice(DeviceSlotPage& page, uint16_t typeCode);
    /// On the interface thread once the page's wait for its lock ended.
    void lockArrived(DeviceSlotPage& page);
    /// The slot of the page's command interface to open: the cable's when present, else the receiver's;
    /// -1 when neither is present.
    [[nodiscard]] int presentCommandSlot(const DeviceSlotPage& page) const;
    void SwitchAttachment(int slot);
    [[nodiscard]] DeviceSlotPage* pageWithIdentity(const InterfaceRow& row);
    [[nodiscard]] InterfaceRow pageRowFor(int slot, const DeviceSlot& s) const;
    [[nodiscard]] int entryIndex(const DeviceSlotPage& page) const;
    [[nodiscard]] DeviceSlotPage* pageOfEntry(QWidget* entry);
    void startActivation(DeviceSlotPage& page);
    void startLinkWatch(DeviceSlotPage& page, int ms);
    void onLightTick(DeviceSlotPage& page);
    void onActivate(DeviceSlotPage& page);
    void onLinkWatch(DeviceSlotPage& page);
    void onSync(DeviceSlotPage& page);
    void onLinkProbe(DeviceSlotPage& page);
    /// After the activation's reads: timers of a connected page.
    void activated(DeviceSlotPage& page);

    HidBackend& m_backend;
    SlotTable& m_slots;
    const ui::LayoutLoader& m_loader;
    ui::NotifyHub& m_hub;
    DeviceListControls m_controls;
    std::vector<std::unique_ptr<DeviceSlotPage>> m_pages;  ///< in list order
    bool m_lightControl = true;
    bool m_windowActive = true;
    bool m_windowHidden = false;
    int m_screenWidth = 1920;
    int m_screenHeight = 1080;
    Executor& m_uiTasks;  ///< where the devices' completions and reports run
    /// False once the list went: what the devices' threads handed to m_uiTasks for it is dropped then.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace halvern::app
