#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/discovery.h"
#include "device/device_lock.h"
#include "device/device_lock_waiter.h"
#include "device/executor.h"
#include "devices/usb_device.h"

namespace halvern::app {

/// One device this program knows of (from its kind's first arrival, or from the start for the kinds that
/// always have a page): the device object and how it is attached.
struct ManagedDevice {
    int kindIndex = -1;
    /// The device's lock while this program has the device open; while another program holds it, the
    /// wait for it (the device is opened when the lock comes). Declared before the device, so the device
    /// is closed before its lock goes.
    std::optional<DeviceLock> lock;
    std::unique_ptr<DeviceLockWaiter> lockWait;
    std::unique_ptr<CMerivexUSBDevice> device;
    /// QueryLink tries left after a move to the receiver.
    int linkTries = 0;
    /// Connected, and its settings were read (or tried): other programs may use it now.
    bool active = false;
    /// Present and answering (through a receiver, the device behind it answers): the window lists it.
    bool answering = false;

    /// The lifecycle steps, each run once after its delay (started again to run again).
    enum Step : size_t { Activate, Refresh, Sync, LinkWatch, LinkProbe, StepCount };
    std::array<QTimer, StepCount> steps;
};

/// What the device manager tells whoever shows its devices. Each may be empty; all run on the interface
/// thread.
struct DeviceManagerEvents {
    /// A device object was made (at the start, or on its kind's first arrival), at `index` in list order.
    std::function<void(ManagedDevice&)> made;
    /// The device is present and answering, or not (any more); called on every report, changed or not.
    std::function<void(ManagedDevice&)> answering;
    /// The device was connected and read: what the window runs for a connected device starts now.
    std::function<void(ManagedDevice&)> activated;
    /// The device went (its interface was removed): what the window ran for it stops.
    std::function<void(ManagedDevice&)> gone;
    /// Status bytes the device reported (battery, charging, link).
    std::function<void(ManagedDevice&, std::span<const uint8_t>)> status;
    /// The device's settings changed: whatever shows them reads them again.
    std::function<void(ManagedDevice&)> settingsChanged;
};

/// The devices of the session, without any widget: binds arriving interfaces to device objects (made on
/// first need), takes each device's lock, moves a mouse or keyboard between cable and receiver, and runs
/// each device's lifecycle (activation, refresh, status sync, link watch). It never talks to a device
/// itself: the devices' queues do, and their answers come back as completions on this (the interface)
/// thread. The window's device list is a view over it; the device service serves its devices.
class DeviceManager final : public QObject {
    Q_OBJECT
public:
    /// `uiTasks` runs on this thread what the devices' threads hand over; it must outlive the manager.
    DeviceManager(HidBackend& backend, SlotTable& slotTable, Executor& uiTasks, QObject* parent = nullptr);
    ~DeviceManager() override;

    void setEvents(DeviceManagerEvents events) { m_events = std::move(events); }

    /// Makes the devices of the kinds that exist even without a device (mouse and keyboard).
    void createInitialDevices();
    void Arrival(int slot);
    void Removal(int slot);
    /// A link report: the device behind the receiver answers, or stopped answering.
    void LinkReport(ManagedDevice& device, bool answering);

    [[nodiscard]] const std::vector<std::unique_ptr<ManagedDevice>>& devices() const { return m_devices; }
    [[nodiscard]] ManagedDevice* deviceForKind(int kindIndex);
    /// The connected device of the kind whose type code is `cableType`, once it has been read; null
    /// otherwise.
    [[nodiscard]] ManagedDevice* activeDevice(uint16_t cableType);

    /// The number of QueryLink tries after a switch to the receiver and the wait between them.
    static constexpr int kLinkTries = 26;
    static constexpr int kLinkRetryMs = 50;
    /// The wait before a connected device's settings are read (the device settles first).
    static constexpr int kActivateDelayMs = 500;

private:
    ManagedDevice* make(int kindIndex, const InterfaceRow& row);
    void Attach(int slot, const DeviceSlot& s);
    /// Opens the device's command interface on the slot `s` (nothing when it is connected already).
    void openCommand(ManagedDevice& device, const InterfaceRow& pageRow, const DeviceSlot& s);
    /// Whether the device may be opened now: its lock is held (taken now if free) or it needs none. False
    /// while another program holds it: a wait starts, and lockArrived opens the device.
    [[nodiscard]] bool holdDevice(ManagedDevice& device, uint16_t typeCode);
    void lockArrived(ManagedDevice& device);
    /// The slot of the device's command interface to open: the cable's when present, else the receiver's;
    /// -1 when neither is present.
    [[nodiscard]] int presentCommandSlot(const ManagedDevice& device) const;
    void SwitchAttachment(int slot);
    [[nodiscard]] ManagedDevice* deviceWithIdentity(const InterfaceRow& row);
    [[nodiscard]] InterfaceRow pageRowFor(int slot, const DeviceSlot& s) const;

    void startStep(ManagedDevice& device, ManagedDevice::Step step, int ms);
    void stopSteps(ManagedDevice& device);
    void startActivation(ManagedDevice& device);
    void startLinkWatch(ManagedDevice& device, int ms);
    void onActivate(ManagedDevice& device);
    void activated(ManagedDevice& device);
    void onSync(ManagedDevice& device);
    void onLinkWatch(ManagedDevice& device);
    void onLinkProbe(ManagedDevice& device);

    HidBackend& m_backend;
    SlotTable& m_slots;
    Executor& m_uiTasks;  ///< where the devices' completions and reports run
    DeviceManagerEvents m_events;
    std::vector<std::unique_ptr<ManagedDevice>> m_devices;  ///< in list order
    /// False once the manager went: what the devices' threads handed to m_uiTasks for it is dropped then.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace halvern::app
