#include "app/device_list.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStackedWidget>
#include <algorithm>
#include <array>
#include <string>

#include "device/debug_sink.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::app {
namespace {

using namespace entry_timer;

/// Every timer an entry runs for its page.
constexpr std::array<int, 8> kEntryTimers{kLightTick, kActivate, kRefresh,   kHook1003,
                                          kHook1004,  kSync,     kLinkWatch, kLinkProbe};

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

DeviceList::DeviceList(HidBackend& backend, SlotTable& slotTable, const ui::LayoutLoader& loader,
                       ui::NotifyHub& hub, DeviceListControls controls, Executor& uiTasks, QObject* parent)
    : QObject(parent),
      m_backend(backend),
      m_slots(slotTable),
      m_loader(loader),
      m_hub(hub),
      m_controls(controls),
      m_uiTasks(uiTasks) {}

DeviceList::~DeviceList() {
    *m_alive = false;  // tasks still waiting on the interface thread find the list and its pages gone
    // Pages' widgets belong to the window; the device objects go first, closing their channels.
    for (auto& p : m_pages) p->device.reset();
}

void DeviceList::createInitialPages() {
    for (const DeviceKindEntry& kind : deviceKinds()) {
        if (!kind.pageAtStart || kind.kindIndex < 0 || kind.kindIndex >= static_cast<int>(kDeviceKindCount))
            continue;
        const DeviceKindRow& k = kDeviceKindTable[static_cast<size_t>(kind.kindIndex)];
        const int row = findInterfaceRow(k.vid, k.pid, k.typeCode, interface_role::kCommand);
        if (row >= 0) CreatePage(kind.kindIndex, kInterfaceTable[static_cast<size_t>(row)]);
    }
    updateNoDeviceNotice();
}

DeviceSlotPage* DeviceList::pageForKind(int kindIndex) {
    for (auto& p : m_pages) {
        if (p->kindIndex == kindIndex) return p.get();
    }
    return nullptr;
}

DeviceSlotPage* DeviceList::pageWithIdentity(const InterfaceRow& row) {
    for (auto& p : m_pages) {
        if (p->device && rowsEqual(p->device->identity(), row)) return p.get();
    }
    return nullptr;
}

// The row that names a slot's page: the command row of its product, or of the cable twin for a receiver.
InterfaceRow DeviceList::pageRowFor(int slot, const DeviceSlot& s) const {
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

int DeviceList::entryIndex(const DeviceSlotPage& page) const {
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].get() == &page) return static_cast<int>(i);
    }
    return -1;
}

DeviceSlotPage* DeviceList::pageOfEntry(QWidget* entry) {
    for (auto& p : m_pages) {
        if (p->entry && (p->entry == entry || p->entry->isAncestorOf(entry))) return p.get();
    }
    return nullptr;
}

DeviceSlotPage* DeviceList::CreatePage(int kindIndex, const InterfaceRow& row) {
    const DeviceKindEntry* entryKind = deviceKind(kindIndex);
    if (!entryKind || kindIndex < 0 || kindIndex >= static_cast<int>(kDeviceKindCount)) return nullptr;
    const DeviceKindRow& kind = kDeviceKindTable[static_cast<size_t>(kindIndex)];

    auto slotPage = std::make_unique<DeviceSlotPage>();
    slotPage->kind = entryKind;
    slotPage->kindIndex = kindIndex;
    slotPage->device = entryKind->makeDevice(m_backend);
    CMerivexUSBDevice& device = *slotPage->device;
    device.ConfigureFromTables(kindIndex, row);
    device.SetExecutor(m_uiTasks);
    // A page made while the window is hidden (a first arrival in the background) starts as hidden.
    device.SetWindowActive(m_windowActive);
    device.SetWindowHidden(m_windowHidden);

    // Made as children of their containers (of the owner where one is missing): moving a built page to
    // another parent would resolve its fonts and style sheet again for every widget in it.
    const auto parentFor = [this](QWidget* container) { return container ? container : m_controls.owner; };
    QWidget* entryParent = m_controls.entries ? m_controls.entries->parentWidget() : nullptr;
    slotPage->power = new ui::DevicePower(m_loader, parentFor(m_controls.powers));
    slotPage->page = entryKind->makePage(device, {m_loader, m_controls.texts, parentFor(m_controls.pages)});
    slotPage->page->setHost(m_controls.host);
    // A part of the page built when first shown joins the window as the page did when it was made.
    slotPage->page->setSectionHook([this, alive = m_alive](QWidget& section) {
        if (!*alive) return;
        m_hub.attachTree(&section);
        if (m_controls.texts) m_controls.texts->apply(&section);
    });
    slotPage->entry = new ui::DeviceOption(m_loader, parentFor(entryParent));
    slotPage->power->hide();
    slotPage->page->hide();
    slotPage->page->BindPageControls();
    slotPage->page->HidePendingSections();  // a section not built yet is not shown with a promise

    DeviceSlotPage* raw = slotPage.get();
    device.SetEvents(DeviceEvents{
        [this, raw](int id, int delayMs) {
            m_uiTasks.post([this, alive = m_alive, raw, id, delayMs] {
                // An answer that comes back after the device went starts nothing for its page.
                if (*alive && raw->entry && raw->device->commandChannel().connected())
                    m_hub.setTimer(raw->entry, id, delayMs);
            });
        },
        {},
        [this, raw](std::span<const uint8_t> report) {
            std::vector<uint8_t> copy(report.begin(), report.end());
            m_uiTasks.post([alive = m_alive, raw, copy] {
                if (*alive && raw->power) raw->power->ShowStatus(copy);
            });
        },
        [raw] {
            if (raw->page) raw->page->ShowSettings();
        },
    });

    const uint16_t shownType = cableTwin(kind.typeCode);
    if (m_controls.powers) m_controls.powers->addWidget(slotPage->power);
    slotPage->power->SetType(shownType, 0);
    slotPage->power->ShowPowerLayout(device.powerFlag());
    if (m_controls.pages) m_controls.pages->addWidget(slotPage->page);

    ui::DeviceOption& entry = *slotPage->entry;
    entry.setObjectName(QStringLiteral("device_option_%1").arg(m_pages.size()));
    if (m_controls.entries) m_controls.entries->addWidget(&entry);
    entry.SetSynchro(false);
    // Offered once two devices are visible (enableSync).
    if (QAbstractButton* synchro = entry.synchroButton()) synchro->hide();
    entry.BindTab(QStringLiteral("device_switch"),
                  m_controls.pages ? m_controls.pages->indexOf(slotPage->page) : -1);
    entry.SetPowerSwitch(QStringLiteral("device_power_switch"),
                         m_controls.powers ? m_controls.powers->indexOf(slotPage->power) : -1);
    entry.SetKind(shownType, 0);
    entry.SetEntryVisible(false);
    entry.SetNameTextId(ui::KindDisplayTextId(kind.kindName), m_controls.texts);
    entry.SetPage(slotPage->page);
    entry.SetPicture(slotPage->page->selectionPanel());
    m_hub.attachTree(&entry);
    m_hub.attachTree(slotPage->page);
    // A page made after the window's own texts were set (a mouse pad's, on its first arrival) takes them now.
    if (m_controls.texts) {
        for (QWidget* made : {static_cast<QWidget*>(slotPage->page), static_cast<QWidget*>(&entry),
                              static_cast<QWidget*>(slotPage->power)}) {
            m_controls.texts->apply(made);
        }
    }

    m_pages.push_back(std::move(slotPage));
    if (pageMade) pageMade(*raw);
    return raw;
}

void DeviceList::Arrival(int slot) {
    const DeviceSlot s = m_slots.slot(slot);
    if (s.row.inUse == 0) return;
    debugLog(arrivalText(s.row.typeCode));
    const InterfaceRow pageRow = pageRowFor(slot, s);
    if (!pageWithIdentity(pageRow)) {
        const int command = findInterfaceRow(s.row.vid, s.row.pid, s.row.typeCode, interface_role::kCommand);
        if (command >= 0) {
            const InterfaceRow& commandRow = kInterfaceTable[static_cast<size_t>(command)];
            CreatePage(kindIndexFor(s.row.typeCode, commandRow), pageRow);
        }
    }
    Attach(slot, s);
    updateNoDeviceNotice();
}

void DeviceList::Attach(int slot, const DeviceSlot& s) {
    const InterfaceRow pageRow = pageRowFor(slot, s);
    if (s.row.role == interface_role::kNotification) {
        DeviceSlotPage* page = pageWithIdentity(pageRow);
        if (!page) return;
        CommandChannel& notify = page->device->notificationChannel();
        if (interfaceFor(notify, isReceiverType(s.row.typeCode)).Open(s.path, true, false, true, false)) {
            notify.setConnected(true);
        }
        return;
    }
    DeviceSlotPage* page = pageWithIdentity(pageRow);
    // Another program has the device: it is opened when the lock comes (lockArrived).
    if (page && !holdDevice(*page, s.row.typeCode)) return;
    // Already attached the other way: a cable takes over from the receiver; a receiver waits. A cable whose
    // device is open on it already (the lock's arrival opened the present way first) stays as it is.
    if (partnerRow(slot) && m_slots.slot(static_cast<int>(s.row.partnerSlot)).row.inUse) {
        const CommandChannel* channel = page ? &page->device->commandChannel() : nullptr;
        const bool onCable = channel && channel->connected() && !channel->receiverMode();
        if (!isReceiverType(s.row.typeCode) && !onCable) SwitchAttachment(slot);
        return;
    }
    if (page) openCommand(*page, pageRow, s);
}

void DeviceList::openCommand(DeviceSlotPage& page, const InterfaceRow& pageRow, const DeviceSlot& s) {
    CommandChannel& channel = page.device->commandChannel();
    if (channel.connected()) return;
    const bool receiver = isReceiverType(s.row.typeCode);
    bool opened = false;
    // No exchange may be half-way on the channel while its interface and mode change.
    page.device->queue().whileIdle([&] {
        opened = interfaceFor(channel, receiver).Open(s.path, true, true, true, false);
        if (!opened) return;
        channel.SetMode(receiver ? 2 : 1);
        channel.setConnected(true);
    });
    if (!opened) return;
    page.device->SetIdentity(pageRow);
    if (!receiver) {
        ShowDeviceEntry(entryIndex(page), true, CountVisibleEntries().count == 0);
    }
    startActivation(page);
}

bool DeviceList::holdDevice(DeviceSlotPage& page, uint16_t typeCode) {
    if (page.lockWait) return false;
    if (page.lock) return true;
    const auto file = deviceLockFile(m_backend, typeCode);
    if (!file) return true;
    LockAttempt attempt = tryLockDevice(*file);
    switch (attempt.outcome) {
        case LockOutcome::Taken:
            page.lock = std::move(attempt.lock);
            return true;
        case LockOutcome::Busy:
            break;
        case LockOutcome::Failed:
        case LockOutcome::Cancelled:
            // A lock that cannot be used must not keep the user from the device.
            debugLog("device lock: " + attempt.problem + " The device is used without its lock.");
            return true;
    }
    const std::string kind(kDeviceKindTable[static_cast<size_t>(page.kindIndex)].kindName);
    DeviceSlotPage* raw = &page;
    page.lockWait = std::make_unique<DeviceLockWaiter>(
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

void DeviceList::lockArrived(DeviceSlotPage& page) {
    if (!page.lockWait) return;  // called off meanwhile (the device went)
    LockAttempt attempt = page.lockWait->take();
    if (attempt.outcome == LockOutcome::Cancelled) return;  // word of an earlier wait; this one goes on
    page.lockWait.reset();
    if (attempt.outcome == LockOutcome::Taken) {
        page.lock = std::move(attempt.lock);
    } else {
        debugLog("device lock: " + attempt.problem + " The device is used without its lock.");
    }
    const int slot = presentCommandSlot(page);
    if (slot < 0) {
        page.lock.reset();
        return;
    }
    const DeviceSlot s = m_slots.slot(slot);
    openCommand(page, pageRowFor(slot, s), s);
    updateNoDeviceNotice();
}

int DeviceList::presentCommandSlot(const DeviceSlotPage& page) const {
    const InterfaceRow& id = page.device->identity();
    const int cable = findInterfaceRow(id.vid, id.pid, id.typeCode, interface_role::kCommand);
    if (cable < 0) return -1;
    if (m_slots.slot(cable).row.inUse) return cable;
    const InterfaceRow* partner = partnerRow(cable);
    const int receiver =
        partner ? static_cast<int>(kInterfaceTable[static_cast<size_t>(cable)].partnerSlot) : -1;
    return receiver >= 0 && m_slots.slot(receiver).row.inUse ? receiver : -1;
}

void DeviceList::Removal(int slot) {
    // The slot is free again by now: its table row tells what it was.
    const DeviceSlot row{kInterfaceTable[static_cast<size_t>(slot)], {}};
    const InterfaceRow pageRow = pageRowFor(slot, row);
    DeviceSlotPage* page = pageWithIdentity(pageRow);
    if (row.row.role == interface_role::kNotification) {
        if (!page) return;
        CommandChannel& notify = page->device->notificationChannel();
        interfaceFor(notify, isReceiverType(row.row.typeCode)).Close();
        notify.setConnected(notify.cableInterface().isOpen() || notify.receiverInterface().isOpen());
        return;
    }
    if (partnerRow(slot) && m_slots.slot(static_cast<int>(row.row.partnerSlot)).row.inUse) {
        if (!isReceiverType(row.row.typeCode)) SwitchAttachment(slot);
        return;
    }
    if (!page) return;
    if (isReceiverType(row.row.typeCode)) debugLog("鼠标设备丢失");
    CommandChannel& channel = page->device->commandChannel();
    page->active = false;
    channel.setConnected(false);
    channel.cableInterface().Close();
    channel.receiverInterface().Close();
    if (page->entry) {
        for (int id : kEntryTimers) m_hub.killTimer(page->entry, id);
    }
    HideDeviceEntry(entryIndex(*page));
    updateNoDeviceNotice();
    // Gone whichever way it was attached: another program may have it now.
    page->lockWait.reset();
    page->lock.reset();
}

void DeviceList::SwitchAttachment(int slot) {
    const DeviceSlot s{kInterfaceTable[static_cast<size_t>(slot)], {}};
    DeviceSlotPage* page = pageWithIdentity(pageRowFor(slot, s));
    // Not open yet while it waits for its lock: then the lock's arrival opens the present way.
    if (!page || page->lockWait) return;
    CommandChannel& channel = page->device->commandChannel();
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
    page->device->queue().whileIdle([&] {
        opened = interfaceFor(channel, !toCable).Open(path, true, true, true, false);
        if (!opened) return;
        channel.SetMode(toCable ? 1 : 2);
        channel.setConnected(true);
    });
    if (!opened) return;
    page->device->queue().wakeFrames();
    if (toCable) {
        startActivation(*page);
        LinkReport(entryIndex(*page), true);
        if (page->device->powerFlag()) page->device->SyncWithDevice();
    } else {
        page->linkTries = kLinkTries;
        if (page->entry) m_hub.setTimer(page->entry, kLinkProbe, 0);
    }
}

void DeviceList::startActivation(DeviceSlotPage& page) {
    page.active = false;
    if (page.entry) m_hub.setTimer(page.entry, kActivate, 500);
}

void DeviceList::startLinkWatch(DeviceSlotPage& page, int ms) {
    if (page.entry && page.device->commandChannel().connected()) m_hub.setTimer(page.entry, kLinkWatch, ms);
}

bool DeviceList::entryTimer(QWidget* entry, int id) {
    DeviceSlotPage* page = pageOfEntry(entry);
    if (!page || !page->entry || !page->device) return false;
    m_hub.killTimer(page->entry, id);
    switch (id) {
        case kLightTick:
            onLightTick(*page);
            break;
        case kActivate:
            onActivate(*page);
            break;
        case kRefresh:
            page->device->RefreshPage();
            break;
        case kHook1003:
            page->device->EntryHook1003();
            break;
        case kHook1004:
            page->device->EntryHook1004();
            break;
        case kSync:
            onSync(*page);
            break;
        case kLinkWatch:
            onLinkWatch(*page);
            break;
        case kLinkProbe:
            onLinkProbe(*page);
            break;
        default:
            return false;
    }
    return true;
}

// The tick paces itself: at the link's pace while it streams frames to the device (devices whose frames are
// built by their queue never ask for that), at display pace while the preview is changing on screen, and
// only now and then when nothing changes or nobody looks.
void DeviceList::onLightTick(DeviceSlotPage& page) {
    page.device->SendLightFrame();
    const bool onScreen = page.entry->IsSelected() && !m_windowHidden;
    const bool changed = page.page && page.page->showFrame(onScreen && m_windowActive);
    CommandChannel& channel = page.device->commandChannel();
    if (!channel.connected()) return;
    const bool streaming = page.device->StreamsOnLightTick();
    int period = kIdleTickMs;
    if (streaming)
        period = channel.receiverMode() ? 100 : 5;
    else if (onScreen)
        period = changed ? kPreviewTickMs : kQuietTickMs;
    m_hub.setTimer(page.entry, kLightTick, period);
}

// Answers come back later; by then the device may have gone (Removal kills the timers, and what comes back
// for a device no longer connected starts nothing new).
void DeviceList::onActivate(DeviceSlotPage& page) {
    CommandChannel& channel = page.device->commandChannel();
    if (!channel.receiverMode() || !channel.connected()) {
        page.device->ActivatePage([this, p = &page](DeviceResult) { activated(*p); });
        return;
    }
    page.device->IsReady([this, p = &page](bool ready) {
        CommandChannel& ch = p->device->commandChannel();
        if (!ch.connected() || !p->entry) return;
        const int index = entryIndex(*p);
        if (!ready) {
            if (p->entry->IsEntryVisible()) LinkReport(index, false);
            m_hub.setTimer(p->entry, kActivate, 3000);
            return;
        }
        LinkReport(index, true);
        p->device->ActivatePage([this, p](DeviceResult) { activated(*p); });
    });
}

void DeviceList::activated(DeviceSlotPage& page) {
    CommandChannel& channel = page.device->commandChannel();
    if (!channel.connected() || !page.entry) return;
    page.active = true;
    m_hub.setTimer(page.entry, kLightTick, 5);
    if (page.device->powerFlag()) m_hub.setTimer(page.entry, kSync, 50);
    if (channel.receiverMode()) startLinkWatch(page, 2000);
}

void DeviceList::onSync(DeviceSlotPage& page) {
    page.device->SyncWithDevice();
    if (page.device->powerFlag() && page.device->commandChannel().connected())
        m_hub.setTimer(page.entry, kSync, 5000);
}

void DeviceList::onLinkWatch(DeviceSlotPage& page) {
    CommandChannel& channel = page.device->commandChannel();
    if (!channel.receiverMode() || !channel.connected()) return;
    page.device->IsReady([this, p = &page](bool ready) {
        CommandChannel& ch = p->device->commandChannel();
        if (!ch.receiverMode() || !ch.connected() || !p->entry) return;
        if (ready && !p->entry->IsEntryVisible()) {
            LinkReport(entryIndex(*p), true);
            if (p->device->powerFlag()) p->device->SyncWithDevice();
        } else if (!ready && p->entry->IsEntryVisible()) {
            LinkReport(entryIndex(*p), false);
        }
        startLinkWatch(*p, 3000);
    });
}

// After a move to the receiver: ask whether the device behind it answers, a few times apart, without
// holding up the window; then sync and watch the link.
void DeviceList::onLinkProbe(DeviceSlotPage& page) {
    CommandChannel& channel = page.device->commandChannel();
    if (!channel.connected() || !channel.receiverMode()) return;
    const auto settle = [this](DeviceSlotPage& p) {
        p.device->SyncWithDevice();
        startLinkWatch(p, 2000);
    };
    if (!page.device->powerFlag()) return settle(page);
    page.device->IsReady([this, p = &page, settle](bool ready) {
        CommandChannel& ch = p->device->commandChannel();
        if (!ch.connected() || !ch.receiverMode() || !p->entry) return;
        if (!ready && --p->linkTries > 0) {
            debugLog("获取2.4G模式失败");
            m_hub.setTimer(p->entry, kLinkProbe, kLinkRetryMs);
            return;
        }
        settle(*p);
    });
}

void DeviceList::LinkReport(int index, bool answering) {
    if (index < 0 || index >= static_cast<int>(m_pages.size())) return;
    if (!answering) {
        HideDeviceEntry(index);
    } else if (!m_pages[static_cast<size_t>(index)]->entry->IsEntryVisible()) {
        ShowDeviceEntry(index, true, CountVisibleEntries().count == 0);
    }
    updateNoDeviceNotice();
}

DeviceList::VisibleCount DeviceList::CountVisibleEntries() const {
    VisibleCount c;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->entry && m_pages[i]->entry->IsEntryVisible()) {
            if (c.first < 0) c.first = static_cast<int>(i);
            ++c.count;
        }
    }
    return c;
}

// A connected device whose light control is this program's, in the software-driven mode or of a kind
// whose lights always come from here.
bool DeviceList::LightsNeedProgram() const {
    return std::any_of(m_pages.begin(), m_pages.end(), [](const auto& p) {
        if (!p->device || !p->entry || !p->entry->IsEntryVisible() || !p->device->lightControl() ||
            !p->device->commandChannel().connected())
            return false;
        return (p->kind && p->kind->lightsFromProgram) ||
               p->device->lightSettings().mode == CMerivexUSBDevice::kSoftwareLightMode;
    });
}

// The notice lies over the pages in the same place: the pages and the power widget go while it shows, so
// no page (nor a skin that makes the notice see-through) shows through it.
void DeviceList::updateNoDeviceNotice() {
    const bool none = CountVisibleEntries().count == 0;
    if (m_controls.pages) m_controls.pages->setVisible(!none);
    if (m_controls.powers) m_controls.powers->setVisible(!none);
    if (m_controls.noDeviceNotice) m_controls.noDeviceNotice->setVisible(none);
}

void DeviceList::ShowDeviceEntry(int index, bool visible, bool select) {
    if (index < 0 || index >= static_cast<int>(m_pages.size())) return;
    DeviceSlotPage& page = *m_pages[static_cast<size_t>(index)];
    page.entry->SetEntryVisible(visible);
    if (select) {
        if (m_controls.pages && page.page) m_controls.pages->setCurrentWidget(page.page);
        if (m_controls.powers) {
            m_controls.powers->setVisible(page.power != nullptr);
            if (page.power) m_controls.powers->setCurrentWidget(page.power);
        }
        for (auto& other : m_pages) other->entry->Select(other.get() == &page);
    }
    const VisibleCount visibleCount = CountVisibleEntries();
    updateNoDeviceNotice();
    if (visibleCount.count == 0) {
        if (m_controls.pages && m_controls.pages->count() > 0) m_controls.pages->setCurrentIndex(0);
        if (m_controls.powers && m_controls.powers->count() > 0) m_controls.powers->setCurrentIndex(0);
    }
    // Who takes part in synchronised lighting, and what the entries' synchro options show, is the
    // window's (the devices' light-sync flags).
    if (enableSync) enableSync(visibleCount.count >= 2);
}

void DeviceList::HideDeviceEntry(int index) {
    if (index < 0 || index >= static_cast<int>(m_pages.size())) return;
    ui::DeviceOption& entry = *m_pages[static_cast<size_t>(index)]->entry;
    int other = -1;
    if (entry.IsEntryVisible() && entry.IsSelected()) {
        for (size_t i = 0; i < m_pages.size() && other < 0; ++i) {
            if (static_cast<int>(i) != index && m_pages[i]->entry->IsEntryVisible())
                other = static_cast<int>(i);
        }
    }
    ShowDeviceEntry(index, false, false);
    if (other >= 0) ShowDeviceEntry(other, true, true);
}

void DeviceList::SelectPrevious() {
    int last = -1;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        ui::DeviceOption& entry = *m_pages[i]->entry;
        if (entry.IsEntryVisible() && entry.IsSelected()) {
            if (last >= 0) ShowDeviceEntry(last, true, true);
            return;
        }
        if (entry.IsEntryVisible()) last = static_cast<int>(i);
    }
}

void DeviceList::SelectNext() {
    bool afterSelected = false;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        ui::DeviceOption& entry = *m_pages[i]->entry;
        if (afterSelected && entry.IsEntryVisible()) {
            ShowDeviceEntry(static_cast<int>(i), true, true);
            return;
        }
        if (entry.IsEntryVisible() && entry.IsSelected()) afterSelected = true;
    }
}

DeviceSlotPage* DeviceList::FindSelectedPage() {
    for (auto& p : m_pages) {
        if (p->entry->IsEntryVisible() && p->entry->IsSelected()) return p.get();
    }
    return nullptr;
}

void DeviceList::setLightControl(bool on) {
    m_lightControl = on;
    for (auto& p : m_pages) p->device->SetLightControl(on);
}

void DeviceList::setWindowActive(bool active) {
    m_windowActive = active;
    for (auto& p : m_pages) p->device->SetWindowActive(active);
}

void DeviceList::setWindowHidden(bool hidden) {
    m_windowHidden = hidden;
    for (auto& p : m_pages) p->device->SetWindowHidden(hidden);
}

}  // namespace halvern::app
