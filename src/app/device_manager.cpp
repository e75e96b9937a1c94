#include "app/device_manager.h"

#include <string>

#include "app/device_kinds.h"
#include "device/debug_sink.h"

namespace halvern::app {
namespace {

/// The timer a device object asks for to have its page read again.
constexpr int kDeviceRefreshTimer = 1002;

bool isReceiverType(uint16_t typeCode) {
    return typeCode == type_code::kMouseReceiver || typeCode == type_code::kKeyboardReceiver;
}

// The interface row of the slot's partner when the partner points back to it.
const InterfaceRow* partnerRow(int slot) {
    const InterfaceRow& row = kInterfaceTable[static_cast<size_t>(slot)];
    if (!row.partnerFlag || row.partnerSlot >= kInterfaceTable.size()) return nullptr;
    const InterfaceRow& partner = kInterfaceTable[row.partnerSlot];
    return partner.partnerSlot == slot ? &partner : nullptr;
}

// A channel's interface for one way of attachment.
HidInterface& interfaceFor(CommandChannel& channel, bool receiver) {
    return receiver ? channel.receiverInterface() : channel.cableInterface();
}

const char* arrivalText(uint16_t typeCode) {
    switch (cableTwin(typeCode)) {
        case type_code::kKeyboard:
            return "添加一个键盘设备";
        case type_code::kMouse:
            return "添加一个鼠标设备";
        case type_code::kMousePad:
            return "添加一个鼠标垫设备";
        default:
            return "添加一个设备";
    }
}

int kindIndexFor(uint16_t typeCode, const InterfaceRow& row) {
    // A receiver product takes the kind row of its cable twin, found by the twin's VID and PID.
    uint16_t vid = row.vid, pid = row.pid;
    if (isReceiverType(typeCode) && row.partnerFlag && row.partnerSlot < kInterfaceTable.size()) {
        vid = kInterfaceTable[row.partnerSlot].vid;
        pid = kInterfaceTable[row.partnerSlot].pid;
    }
    return findKind(vid, pid, cableTwin(typeCode), interface_role::kCommand);
}

}  // namespace

DeviceManager::DeviceManager(HidBackend& backend, SlotTable& slotTable, Executor& uiTasks, QObject* parent)
    : QObject(parent), m_backend(backend), m_slots(slotTable), m_uiTasks(uiTasks) {}

DeviceManager::~DeviceManager() {
    *m_alive = false;  // tasks still waiting on the interface thread find the manager and its devices gone
    // The device objects go first, closing their channels, then their locks.
    for (auto& d : m_devices) {
        stopSteps(*d);
        d->device.reset();
    }
}

void DeviceManager::createInitialDevices() {
    for (const DeviceKindEntry& kind : deviceKinds()) {
        if (!kind.pageAtStart || kind.kindIndex < 0 || kind.kindIndex >= static_cast<int>(kDeviceKindCount))
            continue;
        const DeviceKindRow& k = kDeviceKindTable[static_cast<size_t>(kind.kindIndex)];
        const int row = findInterfaceRow(k.vid, k.pid, k.typeCode, interface_role::kCommand);
        if (row >= 0) make(kind.kindIndex, kInterfaceTable[static_cast<size_t>(row)]);
    }
}

ManagedDevice* DeviceManager::deviceForKind(int kindIndex) {
    for (auto& d : m_devices) {
        if (d->kindIndex == kindIndex) return d.get();
    }
    return nullptr;
}

ManagedDevice* DeviceManager::activeDevice(uint16_t cableType) {
    for (auto& d : m_devices) {
        if (!d->device || d->kindIndex < 0 || static_cast<size_t>(d->kindIndex) >= kDeviceKindTable.size() ||
            kDeviceKindTable[static_cast<size_t>(d->kindIndex)].typeCode != cableType)
            continue;
        return d->active && d->device->commandChannel().connected() ? d.get() : nullptr;
    }
    return nullptr;
}

ManagedDevice* DeviceManager::deviceWithIdentity(const InterfaceRow& row) {
    for (auto& d : m_devices) {
        if (d->device && rowsEqual(d->device->identity(), row)) return d.get();
    }
    return nullptr;
}

// The row that names a slot's device: the command row of its product, or of the cable twin for a receiver.
InterfaceRow DeviceManager::pageRowFor(int slot, const DeviceSlot& s) const {
    InterfaceRow row = s.row;
    if (row.role == interface_role::kNotification) {
        const int command = findInterfaceRow(row.vid, row.pid, row.typeCode, interface_role::kCommand);
        if (command >= 0) row = kInterfaceTable[static_cast<size_t>(command)];
        slot = command;
    }
    if (isReceiverType(row.typeCode) && slot >= 0) {
        if (const InterfaceRow* partner = partnerRow(slot)) row = *partner;
    }
    return row;
}

ManagedDevice* DeviceManager::make(int kindIndex, const InterfaceRow& row) {
    const DeviceKindEntry* kind = deviceKind(kindIndex);
    if (!kind || kindIndex < 0 || kindIndex >= static_cast<int>(kDeviceKindCount)) return nullptr;

    auto made = std::make_unique<ManagedDevice>();
    made->kindIndex = kindIndex;
    made->device = kind->makeDevice(m_backend);
    CMerivexUSBDevice& device = *made->device;
    device.ConfigureFromTables(kindIndex, row);
    device.SetExecutor(m_uiTasks);

    ManagedDevice* raw = made.get();
    for (size_t step = 0; step < ManagedDevice::StepCount; ++step) {
        QTimer& timer = raw->steps[step];
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [this, raw, step] {
            switch (static_cast<ManagedDevice::Step>(step)) {
                case ManagedDevice::Activate:
                    return onActivate(*raw);
                case ManagedDevice::Refresh:
                    raw->device->RefreshPage();
                    return;
                case ManagedDevice::Sync:
                    return onSync(*raw);
                case ManagedDevice::LinkWatch:
                    return onLinkWatch(*raw);
                case ManagedDevice::LinkProbe:
                    return onLinkProbe(*raw);
                case ManagedDevice::StepCount:
                    return;
            }
        });
    }
    device.SetEvents(DeviceEvents{
        [this, raw](int id, int delayMs) {
            if (id != kDeviceRefreshTimer) return;
            m_uiTasks.post([this, alive = m_alive, raw, delayMs] {
                // An answer that comes back after the device went starts nothing for it.
                if (*alive && raw->device->commandChannel().connected())
                    startStep(*raw, ManagedDevice::Refresh, delayMs);
            });
        },
        {},
        [this, raw](std::span<const uint8_t> report) {
            std::vector<uint8_t> copy(report.begin(), report.end());
            m_uiTasks.post([this, alive = m_alive, raw, copy] {
                if (*alive && m_events.status) m_events.status(*raw, copy);
            });
        },
        [this, raw] {
            if (m_events.settingsChanged) m_events.settingsChanged(*raw);
        },
    });
    m_devices.push_back(std::move(made));
    if (m_events.made) m_events.made(*raw);
    return raw;
}

void DeviceManager::Arrival(int slot) {
    const DeviceSlot s = m_slots.slot(slot);
    if (s.row.inUse == 0) return;
    debugLog(arrivalText(s.row.typeCode));
    const InterfaceRow pageRow = pageRowFor(slot, s);
    if (!deviceWithIdentity(pageRow)) {
        const int command = findInterfaceRow(s.row.vid, s.row.pid, s.row.typeCode, interface_role::kCommand);
        if (command >= 0) {
            const InterfaceRow& commandRow = kInterfaceTable[static_cast<size_t>(command)];
            make(kindIndexFor(s.row.typeCode, commandRow), pageRow);
        }
    }
    Attach(slot, s);
}

void DeviceManager::Attach(int slot, const DeviceSlot& s) {
    const InterfaceRow pageRow = pageRowFor(slot, s);
    ManagedDevice* device = deviceWithIdentity(pageRow);
    if (s.row.role == interface_role::kNotification) {
        if (!device) return;
        CommandChannel& notify = device->device->notificationChannel();
        if (interfaceFor(notify, isReceiverType(s.row.typeCode)).Open(s.path, true, false, true, false)) {
            notify.setConnected(true);
        }
        return;
    }
    // Another program has the device: it is opened when the lock comes (lockArrived).
    if (device && !holdDevice(*device, s.row.typeCode)) return;
    // Already attached the other way: a cable takes over from the receiver; a receiver waits. A cable whose
    // device is open on it already (the lock's arrival opened the present way first) stays as it is.
    if (partnerRow(slot) && m_slots.slot(static_cast<int>(s.row.partnerSlot)).row.inUse) {
        const CommandChannel* channel = device ? &device->device->commandChannel() : nullptr;
        const bool onCable = channel && channel->connected() && !channel->receiverMode();
        if (!isReceiverType(s.row.typeCode) && !onCable) SwitchAttachment(slot);
        return;
    }
    if (device) openCommand(*device, pageRow, s);
}

void DeviceManager::openCommand(ManagedDevice& device, const InterfaceRow& pageRow, const DeviceSlot& s) {
    CommandChannel& channel = device.device->commandChannel();
    if (channel.connected()) return;
    const bool receiver = isReceiverType(s.row.typeCode);
    bool opened = false;
    // No exchange may be half-way on the channel while its interface and mode change.
    device.device->queue().whileIdle([&] {
        opened = interfaceFor(channel, receiver).Open(s.path, true, true, true, false);
        if (!opened) return;
        channel.SetMode(receiver ? 2 : 1);
        channel.setConnected(true);
    });
    if (!opened) return;
    device.device->SetIdentity(pageRow);
    // Through a receiver the device is listed once it answers (the activation asks).
    if (!receiver) LinkReport(device, true);
    startActivation(device);
}

bool DeviceManager::holdDevice(ManagedDevice& device, uint16_t typeCode) {
    if (device.lockWait) return false;
    if (device.lock) return true;
    const auto file = deviceLockFile(m_backend, typeCode);
    if (!file) return true;
    LockAttempt attempt = tryLockDevice(*file);
    switch (attempt.outcome) {
        case LockOutcome::Taken:
            device.lock = std::move(attempt.lock);
            return true;
        case LockOutcome::Busy:
            break;
        case LockOutcome::Failed:
        case LockOutcome::Cancelled:
            // A lock that cannot be used must not keep the user from the device.
            debugLog("device lock: " + attempt.problem + " The device is used without its lock.");
            return true;
    }
    const std::string kind(kDeviceKindTable[static_cast<size_t>(device.kindIndex)].kindName);
    ManagedDevice* raw = &device;
    device.lockWait = std::make_unique<DeviceLockWaiter>(
        *file,
        [kind](pid_t holder) {
            const std::string who = holder > 0 ? " (pid " + std::to_string(holder) + ")" : "";
            debugLog("device lock: waiting for another program" + who + " that uses the " + kind);
        },
        [this, alive = m_alive, raw] {
            m_uiTasks.post([this, alive, raw] {
                if (*alive) lockArrived(*raw);
            });
        });
    return false;
}

void DeviceManager::lockArrived(ManagedDevice& device) {
    if (!device.lockWait) return;  // called off meanwhile (the device went)
    LockAttempt attempt = device.lockWait->take();
    if (attempt.outcome == LockOutcome::Cancelled) return;  // word of an earlier wait; this one goes on
    device.lockWait.reset();
    if (attempt.outcome == LockOutcome::Taken) {
        device.lock = std::move(attempt.lock);
    } else {
        debugLog("device lock: " + attempt.problem + " The device is used without its lock.");
    }
    const int slot = presentCommandSlot(device);
    if (slot < 0) {
        device.lock.reset();
        return;
    }
    const DeviceSlot s = m_slots.slot(slot);
    openCommand(device, pageRowFor(slot, s), s);
}

int DeviceManager::presentCommandSlot(const ManagedDevice& device) const {
    const InterfaceRow& id = device.device->identity();
    const int cable = findInterfaceRow(id.vid, id.pid, id.typeCode, interface_role::kCommand);
    if (cable < 0) return -1;
    if (m_slots.slot(cable).row.inUse) return cable;
    const InterfaceRow* partner = partnerRow(cable);
    const int receiver =
        partner ? static_cast<int>(kInterfaceTable[static_cast<size_t>(cable)].partnerSlot) : -1;
    return receiver >= 0 && m_slots.slot(receiver).row.inUse ? receiver : -1;
}

void DeviceManager::Removal(int slot) {
    // The slot is free again by now: its table row tells what it was.
    const DeviceSlot row{kInterfaceTable[static_cast<size_t>(slot)], {}};
    const InterfaceRow pageRow = pageRowFor(slot, row);
    ManagedDevice* device = deviceWithIdentity(pageRow);
    if (row.row.role == interface_role::kNotification) {
        if (!device) return;
        CommandChannel& notify = device->device->notificationChannel();
        interfaceFor(notify, isReceiverType(row.row.typeCode)).Close();
        notify.setConnected(notify.cableInterface().isOpen() || notify.receiverInterface().isOpen());
        return;
    }
    if (partnerRow(slot) && m_slots.slot(static_cast<int>(row.row.partnerSlot)).row.inUse) {
        if (!isReceiverType(row.row.typeCode)) SwitchAttachment(slot);
        return;
    }
    if (!device) return;
    if (isReceiverType(row.row.typeCode)) debugLog("鼠标设备丢失");
    CommandChannel& channel = device->device->commandChannel();
    device->active = false;
    channel.setConnected(false);
    channel.cableInterface().Close();
    channel.receiverInterface().Close();
    stopSteps(*device);
    if (m_events.gone) m_events.gone(*device);
    LinkReport(*device, false);
    // Gone whichever way it was attached: another program may have it now.
    device->lockWait.reset();
    device->lock.reset();
}

void DeviceManager::SwitchAttachment(int slot) {
    const DeviceSlot s{kInterfaceTable[static_cast<size_t>(slot)], {}};
    ManagedDevice* device = deviceWithIdentity(pageRowFor(slot, s));
    // Not open yet while it waits for its lock: then the lock's arrival opens the present way.
    if (!device || device->lockWait) return;
    CommandChannel& channel = device->device->commandChannel();
    const bool toCable = channel.receiverMode();
    // The cable slot's path when moving to the cable, else the receiver (partner) slot's.
    const int cableSlot = isReceiverType(s.row.typeCode) ? static_cast<int>(s.row.partnerSlot) : slot;
    const int receiverSlot = isReceiverType(s.row.typeCode) ? slot : static_cast<int>(s.row.partnerSlot);
    const std::string path = m_slots.slot(toCable ? cableSlot : receiverSlot).path;

    // Whatever runs on the old interface ends at once (its exchange fails); then the channel changes over
    // while no exchange is on it, so no frame or sequence is split between the two links.
    channel.setConnected(false);
    interfaceFor(channel, toCable).Close();
    bool opened = false;
    device->device->queue().whileIdle([&] {
        opened = interfaceFor(channel, !toCable).Open(path, true, true, true, false);
        if (!opened) return;
        channel.SetMode(toCable ? 1 : 2);
        channel.setConnected(true);
    });
    if (!opened) return;
    device->device->queue().wakeFrames();
    if (toCable) {
        startActivation(*device);
        LinkReport(*device, true);
        if (device->device->powerFlag()) device->device->SyncWithDevice();
    } else {
        device->linkTries = kLinkTries;
        startStep(*device, ManagedDevice::LinkProbe, 0);
    }
}

void DeviceManager::LinkReport(ManagedDevice& device, bool answering) {
    device.answering = answering;
    if (m_events.answering) m_events.answering(device);
}

void DeviceManager::startStep(ManagedDevice& device, ManagedDevice::Step step, int ms) {
    device.steps[step].start(ms);
}

void DeviceManager::stopSteps(ManagedDevice& device) {
    for (QTimer& timer : device.steps) timer.stop();
}

void DeviceManager::startActivation(ManagedDevice& device) {
    device.active = false;
    startStep(device, ManagedDevice::Activate, kActivateDelayMs);
}

void DeviceManager::startLinkWatch(ManagedDevice& device, int ms) {
    if (device.device->commandChannel().connected()) startStep(device, ManagedDevice::LinkWatch, ms);
}

// Answers come back later; by then the device may have gone (Removal stops the steps, and what comes back
// for a device no longer connected starts nothing new).
void DeviceManager::onActivate(ManagedDevice& device) {
    CommandChannel& channel = device.device->commandChannel();
    if (!channel.receiverMode() || !channel.connected()) {
        device.device->ActivatePage([this, d = &device](DeviceResult) { activated(*d); });
        return;
    }
    device.device->IsReady([this, d = &device](bool ready) {
        if (!d->device->commandChannel().connected()) return;
        if (!ready) {
            if (d->answering) LinkReport(*d, false);
            startStep(*d, ManagedDevice::Activate, 3000);
            return;
        }
        LinkReport(*d, true);
        d->device->ActivatePage([this, d](DeviceResult) { activated(*d); });
    });
}

void DeviceManager::activated(ManagedDevice& device) {
    CommandChannel& channel = device.device->commandChannel();
    if (!channel.connected()) return;
    device.active = true;
    if (m_events.activated) m_events.activated(device);
    if (device.device->powerFlag()) startStep(device, ManagedDevice::Sync, 50);
    if (channel.receiverMode()) startLinkWatch(device, 2000);
}

void DeviceManager::onSync(ManagedDevice& device) {
    device.device->SyncWithDevice();
    if (device.device->powerFlag() && device.device->commandChannel().connected())
        startStep(device, ManagedDevice::Sync, 5000);
}

void DeviceManager::onLinkWatch(ManagedDevice& device) {
    CommandChannel& channel = device.device->commandChannel();
    if (!channel.receiverMode() || !channel.connected()) return;
    device.device->IsReady([this, d = &device](bool ready) {
        CommandChannel& ch = d->device->commandChannel();
        if (!ch.receiverMode() || !ch.connected()) return;
        if (ready && !d->answering) {
            LinkReport(*d, true);
            if (d->device->powerFlag()) d->device->SyncWithDevice();
        } else if (!ready && d->answering) {
            LinkReport(*d, false);
        }
        startLinkWatch(*d, 3000);
    });
}

// After a move to the receiver: ask whether the device behind it answers, a few times apart, without
// holding up the window; then sync and watch the link.
void DeviceManager::onLinkProbe(ManagedDevice& device) {
    CommandChannel& channel = device.device->commandChannel();
    if (!channel.connected() || !channel.receiverMode()) return;
    const auto settle = [this](ManagedDevice& d) {
        d.device->SyncWithDevice();
        startLinkWatch(d, 2000);
    };
    if (!device.device->powerFlag()) return settle(device);
    device.device->IsReady([this, d = &device, settle](bool ready) {
        CommandChannel& ch = d->device->commandChannel();
        if (!ch.connected() || !ch.receiverMode()) return;
        if (!ready && --d->linkTries > 0) {
            debugLog("获取2.4G模式失败");
            startStep(*d, ManagedDevice::LinkProbe, kLinkRetryMs);
            return;
        }
        settle(*d);
    });
}

}  // namespace halvern::app
