#include "app/device_list.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStackedWidget>
#include <algorithm>

#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::app {

DeviceList::DeviceList(HidBackend& backend, SlotTable& slotTable, const ui::LayoutLoader& loader,
                       ui::NotifyHub& hub, DeviceListControls controls, Executor& uiTasks, QObject* parent)
    : QObject(parent),
      m_loader(loader),
      m_hub(hub),
      m_controls(controls),
      m_manager(backend, slotTable, uiTasks) {
    m_manager.setEvents({
        .made = [this](ManagedDevice& device) { pageFor(device); },
        .answering = [this](ManagedDevice& device) { answeringChanged(device); },
        .activated =
            [this](ManagedDevice& device) {
                if (DeviceSlotPage* page = pageOf(device); page && page->entry)
                    m_hub.setTimer(page->entry, kLightTick, 5);
            },
        .gone =
            [this](ManagedDevice& device) {
                if (DeviceSlotPage* page = pageOf(device); page && page->entry)
                    m_hub.killTimer(page->entry, kLightTick);
            },
        .status =
            [this](ManagedDevice& device, std::span<const uint8_t> report) {
                if (DeviceSlotPage* page = pageOf(device); page && page->power)
                    page->power->ShowStatus(report);
            },
        .settingsChanged =
            [this](ManagedDevice& device) {
                if (DeviceSlotPage* page = pageOf(device); page && page->page) page->page->ShowSettings();
            },
    });
}

DeviceList::~DeviceList() {
    *m_alive = false;
}

void DeviceList::createInitialPages() {
    m_manager.createInitialDevices();
    updateNoDeviceNotice();
}

DeviceSlotPage* DeviceList::pageForKind(int kindIndex) {
    for (auto& p : m_pages) {
        if (p->kindIndex() == kindIndex) return p.get();
    }
    return nullptr;
}

DeviceSlotPage* DeviceList::pageOf(const ManagedDevice& device) {
    for (auto& p : m_pages) {
        if (p->managed == &device) return p.get();
    }
    return nullptr;
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

void DeviceList::pageFor(ManagedDevice& managed) {
    const DeviceKindEntry* entryKind = deviceKind(managed.kindIndex);
    if (!entryKind) return;
    const DeviceKindRow& kind = kDeviceKindTable[static_cast<size_t>(managed.kindIndex)];

    auto slotPage = std::make_unique<DeviceSlotPage>();
    slotPage->managed = &managed;
    slotPage->kind = entryKind;
    CMerivexUSBDevice& device = *managed.device;
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

    DeviceSlotPage* raw = slotPage.get();
    m_pages.push_back(std::move(slotPage));
    if (pageMade) pageMade(*raw);
}

bool DeviceList::entryTimer(QWidget* entry, int id) {
    DeviceSlotPage* page = pageOfEntry(entry);
    if (!page || !page->entry || !page->device() || id != kLightTick) return false;
    m_hub.killTimer(page->entry, id);
    onLightTick(*page);
    return true;
}

// The tick paces itself: at the link's pace while it streams frames to the device (devices whose frames are
// built by their queue never ask for that), at display pace while the preview is changing on screen, and
// only now and then when nothing changes or nobody looks.
void DeviceList::onLightTick(DeviceSlotPage& page) {
    page.device()->SendLightFrame();
    const bool onScreen = page.entry->IsSelected() && !m_windowHidden;
    const bool changed = page.page && page.page->showFrame(onScreen && m_windowActive);
    CommandChannel& channel = page.device()->commandChannel();
    if (!channel.connected()) return;
    const bool streaming = page.device()->StreamsOnLightTick();
    int period = kIdleTickMs;
    if (streaming)
        period = channel.receiverMode() ? 100 : 5;
    else if (onScreen)
        period = changed ? kPreviewTickMs : kQuietTickMs;
    m_hub.setTimer(page.entry, kLightTick, period);
}

void DeviceList::answeringChanged(ManagedDevice& device) {
    DeviceSlotPage* page = pageOf(device);
    if (!page || !page->entry) return;
    const int index = entryIndex(*page);
    if (!device.answering) {
        HideDeviceEntry(index);
    } else if (!page->entry->IsEntryVisible()) {
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
        if (!p->device() || !p->entry || !p->entry->IsEntryVisible() || !p->device()->lightControl() ||
            !p->device()->commandChannel().connected())
            return false;
        return (p->kind && p->kind->lightsFromProgram) ||
               p->device()->lightSettings().mode == CMerivexUSBDevice::kSoftwareLightMode;
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
    for (auto& p : m_pages) p->device()->SetLightControl(on);
}

void DeviceList::setWindowActive(bool active) {
    m_windowActive = active;
    for (auto& p : m_pages) p->device()->SetWindowActive(active);
}

void DeviceList::setWindowHidden(bool hidden) {
    m_windowHidden = hidden;
    for (auto& p : m_pages) p->device()->SetWindowHidden(hidden);
}

}  // namespace halvern::app
