#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

#include "app/device_kinds.h"
#include "app/device_manager.h"
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

/// One device page with its list entry and power widget, over the manager's record of its device.
struct DeviceSlotPage {
    ManagedDevice* managed = nullptr;  ///< the device manager's record of this page's device
    const DeviceKindEntry* kind = nullptr;
    QPointer<ui::DevicePage> page;
    QPointer<ui::DeviceOption> entry;
    QPointer<ui::DevicePower> power;

    /// The record's device object and kind, read from the record itself.
    [[nodiscard]] CMerivexUSBDevice* device() const { return managed ? managed->device.get() : nullptr; }
    [[nodiscard]] int kindIndex() const { return managed ? managed->kindIndex : -1; }
};

/// The window's list of devices: a view over the device manager. Makes a page, list entry and power widget
/// for every device the manager makes, shows an entry while its device answers, keeps the selection and the
/// "no device" notice, and paces each page's light tick (preview painting, and the frames of devices whose
/// light is streamed from here). Runs on the UI thread and never talks to a device itself.
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

    void Arrival(int slot) { m_manager.Arrival(slot); }
    void Removal(int slot) { m_manager.Removal(slot); }
    [[nodiscard]] DeviceManager& manager() { return m_manager; }

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

    /// Routes a "timer" notification of an entry (its light tick); false when the sender is no entry.
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

    /// The entry timer of a page's light tick.
    static constexpr int kLightTick = 1000;
    /// Light tick periods when no frame is streamed: preview changing, preview still, not on screen.
    /// 20 frames a second: the effects change colours gradually, and each frame costs mostly the same
    /// repaint, flush and round trip to the display server whatever it shows, so the pace is the cost.
    static constexpr int kPreviewTickMs = 50;
    static constexpr int kQuietTickMs = 100;
    static constexpr int kIdleTickMs = 500;

private:
    void pageFor(ManagedDevice& device);
    /// The device answers or stopped: its entry is shown or hidden.
    void answeringChanged(ManagedDevice& device);
    [[nodiscard]] DeviceSlotPage* pageOf(const ManagedDevice& device);
    [[nodiscard]] int entryIndex(const DeviceSlotPage& page) const;
    [[nodiscard]] DeviceSlotPage* pageOfEntry(QWidget* entry);
    void onLightTick(DeviceSlotPage& page);

    const ui::LayoutLoader& m_loader;
    ui::NotifyHub& m_hub;
    DeviceListControls m_controls;
    std::vector<std::unique_ptr<DeviceSlotPage>> m_pages;  ///< in list order
    bool m_lightControl = true;
    bool m_windowActive = true;
    bool m_windowHidden = false;
    int m_screenWidth = 1920;
    int m_screenHeight = 1080;
    /// False once the list went: a page's part built after that (the pages are the window's) is not joined.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    /// Declared last: the devices go first, before the pages' records that point at them.
    DeviceManager m_manager;
};

}  // namespace halvern::app
