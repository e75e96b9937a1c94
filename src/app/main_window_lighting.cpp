// The main window's part in lighting: the same effect on every device, synchronised lighting and who takes
// part in it.

#include <QAbstractButton>
#include <QTimer>
#include <array>

#include "app/main_window.h"
#include "device/debug_sink.h"
#include "lighting/steady_clock.h"
#include "ui/pages/light_panel.h"

namespace halvern::app {
namespace {

// Kind indices in the order the same effect is given (keyboards, mice, mouse pads, headsets) and in the
// order the shared colour is written (mice, keyboards, mouse pads, headsets).
constexpr std::array<int, 4> kSameModeOrder{1, 0, 2, 3};
constexpr std::array<int, 4> kPaintOrder{0, 1, 2, 3};

bool connected(const DeviceSlotPage& page) {
    return page.device() && page.entry && page.entry->IsEntryVisible() &&
           page.device()->commandChannel().connected();
}

ui::LightPanel* panelOf(const DeviceSlotPage& page) {
    ui::LightPanel* panel = page.page ? page.page->lightPanel() : nullptr;
    return panel && panel->available() ? panel : nullptr;
}

}  // namespace

void MainWindow::createSynchronisedLighting() {
    m_sync = std::make_unique<SynchronisedLighting>(
        [this] {
            std::vector<CMerivexUSBDevice*> devices;
            for (const int kind : kPaintOrder) {
                if (DeviceSlotPage* page = m_list->pageForKind(kind); page && connected(*page))
                    devices.push_back(page->device());
            }
            return devices;
        },
        [this](const CMerivexUSBDevice& device) {
            // The headset's LEDs always show the program's frames; other kinds in their software-driven mode.
            for (const auto& page : m_list->pages()) {
                if (page->device() == &device)
                    return (page->kind && page->kind->lightsFromProgram) || device.StreamsOnLightTick();
            }
            return false;
        });
    m_list->enableSync = [this](bool possible) { enableSync(possible); };
    m_lightReturn = new QTimer(this);  // owned by the window
    m_lightReturn->setSingleShot(true);
    m_lightReturn->setTimerType(Qt::PreciseTimer);
    connect(m_lightReturn, &QTimer::timeout, this, [this] { returnToPreviousLightMode(steadyMillis()); });
}

void MainWindow::applyWindowLight(DeviceSlotPage& page, const LightSetting& light) {
    ui::LightPanel* panel = panelOf(page);
    if (!panel) return;
    page.device()->commandChannel().setLightSync(false);
    panel->target()->changeLight(light, page.page->track());
    panel->show();
    m_sync->wake();
    showSynchro();
}

void MainWindow::lightModeRequest(qintptr wParam, qintptr lParam) {
    if (!m_systemAwake) return;
    DeviceSlotPage* page = m_list->FindSelectedPage();
    ui::LightPanel* panel = page ? panelOf(*page) : nullptr;
    const auto current = panel ? std::optional(panel->target()->light()) : std::nullopt;
    const size_t modes = panel ? panel->target()->lightModes().names.size() : 0;
    if (const auto next = m_lightRequests.request(wParam, lParam, current, modes, steadyMillis()))
        applyWindowLight(*page, *next);
    m_lightReturn->start(static_cast<int>(LightModeRequests::kReturnAfterMs));
}

void MainWindow::returnToPreviousLightMode(int64_t now) {
    DeviceSlotPage* page = m_list->FindSelectedPage();
    ui::LightPanel* panel = page ? panelOf(*page) : nullptr;
    const auto current = panel ? std::optional(panel->target()->light()) : std::nullopt;
    const size_t modes = panel ? panel->target()->lightModes().names.size() : 0;
    if (const auto previous = m_lightRequests.returnAt(now, current, modes))
        applyWindowLight(*page, *previous);
}

SharedEffectResult MainWindow::sameMode(DeviceSlotPage& source) {
    ui::LightPanel* sourcePanel = panelOf(source);
    if (!sourcePanel) return SharedEffectResult::NoLight;
    const LightTarget& sourceTarget = *sourcePanel->target();
    const auto shared =
        SharedEffectOf(source.device()->typeCode(), sourceTarget.light(), sourceTarget.lightModes());
    if (!shared) return SharedEffectResult::NoEquivalent;
    for (const int kind : kSameModeOrder) {
        DeviceSlotPage* page = m_list->pageForKind(kind);
        ui::LightPanel* panel = page && connected(*page) ? panelOf(*page) : nullptr;
        if (!panel) continue;
        const auto next = WithSharedEffect(page->device()->typeCode(), panel->target()->light(), *shared);
        if (!next) continue;
        page->device()->commandChannel().setLightSync(true);
        panel->target()->changeLight(*next, page->page->track());
        panel->show();
    }
    m_sync->start(*shared);
    showSynchro();
    return SharedEffectResult::Started;
}

void MainWindow::onSameMode(const Route&, const ui::Notification&) {
    DeviceSlotPage* page = m_list->FindSelectedPage();
    if (!page) return;
    // A mode without a shared equivalent leaves every device as it is.
    if (sameMode(*page) == SharedEffectResult::NoEquivalent)
        debugLog("same effect: the mode has no shared equivalent");
}

// A device joins the shared animation only once there is one (a same effect was given); before that its
// preview would stop with nothing to follow. The option then shows whether the device takes part.
void MainWindow::onSynchroSelected(const Route&, const ui::Notification& n) {
    const bool joinable = m_sync->animation().running();
    for (const auto& page : m_list->pages()) {
        if (!page->entry || !page->device() || !n.control || !page->entry->isAncestorOf(n.control)) continue;
        page->device()->commandChannel().setLightSync(n.wParam != 0 && joinable && panelOf(*page) &&
                                                      connected(*page));
    }
    m_sync->wake();
    showSynchro();
}

// Called whenever the list changed. Synchronised lighting takes two: with fewer than two visible devices,
// or fewer than two visible ones taking part, every device leaves it (the hidden ones too).
void MainWindow::enableSync(bool possible) {
    int takingPart = 0;
    for (const auto& page : m_list->pages()) {
        takingPart += page->device() && page->entry && page->entry->IsEntryVisible() &&
                      page->device()->commandChannel().lightSync();
    }
    for (const auto& page : m_list->pages()) {
        if (ui::LightPanel* panel = panelOf(*page)) panel->editor()->SetAllowSameMode(possible);
        if ((!possible || takingPart < 2) && page->device())
            page->device()->commandChannel().setLightSync(false);
        if (QAbstractButton* synchro = page->entry ? page->entry->synchroButton() : nullptr)
            synchro->setVisible(possible && panelOf(*page));
    }
    showSynchro();
    if (m_sync) m_sync->wake();
}

void MainWindow::showSynchro() {
    for (const auto& page : m_list->pages()) {
        if (page->entry && page->device())
            page->entry->SetSynchro(page->device()->commandChannel().lightSync());
    }
}

}  // namespace halvern::app
