#include "app/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "profile/language_choice.h"
#include "sound/audio_style_set.h"
#include "ui/controls/light_control.h"
#include "ui/controls/macro_control.h"
#include "ui/pages/light_panel.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/message_box.h"

namespace halvern::app {
namespace {

template <typename T>
T* required(QWidget* root, const char* name) {
    T* control = ui::findControl<T>(root, QString::fromLatin1(name));
    if (!control) debugLog(std::string("main window layout lacks ") + name);
    return control;
}

}  // namespace

const std::array<MainWindow::Handler, kOperationCount>& MainWindow::handlers() {
    static const std::array<Handler, kOperationCount> table = [] {
        std::array<Handler, kOperationCount> t{};
        t.fill(&MainWindow::routeToPage);  // a page's operation unless the window has it
        auto set = [&t](Operation op, Handler h) { t[static_cast<size_t>(op)] = h; };
        set(Operation::CloseWindow, &MainWindow::onCloseWindow);
        set(Operation::HideWindow, &MainWindow::onHideWindow);
        set(Operation::ToggleLightControl, &MainWindow::onToggleLightControl);
        set(Operation::Minimise, &MainWindow::onMinimise);
        set(Operation::Maximise, &MainWindow::onMaximise);
        set(Operation::Restore, &MainWindow::onRestore);
        set(Operation::SelectPreviousDevice, &MainWindow::onSelectPrevious);
        set(Operation::SelectNextDevice, &MainWindow::onSelectNext);
        set(Operation::DeviceSelected, &MainWindow::onDeviceSelected);
        set(Operation::RestoreDefaults, &MainWindow::onRestoreDefaults);
        set(Operation::OpenWebSite, &MainWindow::onOpenWebSite);
        set(Operation::OpenSettingsWindow, &MainWindow::onOpenSettingsWindow);
        set(Operation::OpenSkinWindow, &MainWindow::onOpenSkinWindow);
        set(Operation::OpenSystemDeviceSettings, &MainWindow::onOpenSystemDeviceSettings);
        set(Operation::FunctionTab, &MainWindow::onFunctionTab);
        set(Operation::ProfileAdd, &MainWindow::onProfileAdd);
        set(Operation::ProfileDelete, &MainWindow::onProfileDelete);
        set(Operation::ProfileCopy, &MainWindow::onProfileCopy);
        set(Operation::ProfileImport, &MainWindow::onProfileImport);
        set(Operation::ProfileExport, &MainWindow::onProfileExport);
        set(Operation::ProfileReset, &MainWindow::onProfileReset);
        set(Operation::ProfileRename, &MainWindow::onProfileRename);
        set(Operation::ProfileSelected, &MainWindow::onProfileSelected);
        set(Operation::ProfilePanelToggle, &MainWindow::onProfilePanelToggle);
        set(Operation::SameLightForAll, &MainWindow::onSameMode);
        set(Operation::SynchroSelected, &MainWindow::onSynchroSelected);
        set(Operation::AudioLightSettings, &MainWindow::onAudioLightSettings);
        set(Operation::MusicColourSlider, &MainWindow::onMusicColourSlider);
        return t;
    }();
    return table;
}

MainWindow::MainWindow(HidBackend& backend, ui::LayoutLoader& loader, ui::LanguageTexts& texts,
                       QWidget* parent)
    : QWidget(parent), m_backend(backend), m_loader(loader), m_texts(texts) {
    setObjectName(QStringLiteral("MainWnd"));
    setWindowTitle(QStringLiteral("Halvern"));
    setWindowIcon(QIcon(QDir(m_loader.skinFolder()).filePath(QStringLiteral("halvern.svg"))));
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    m_root = m_loader.load(QStringLiteral("main_window.ui"), this);
    if (!m_root) m_root = new QWidget(this);  // a window without its layout still runs, empty
    layout->addWidget(m_root);
    resize(kDefaultSize);  // refitToScreen bounds it

    DeviceListControls controls;
    if (QWidget* strip = required<QWidget>(m_root, "device_select_layout")) {
        if (!strip->layout()) new QHBoxLayout(strip);
        controls.entries = strip->layout();
    }
    controls.pages = required<QStackedWidget>(m_root, "device_switch");
    controls.powers = required<QStackedWidget>(m_root, "device_power_switch");
    controls.noDeviceNotice = required<QWidget>(m_root, "No_device_Link");
    controls.owner = m_root;
    controls.texts = &m_texts;
    controls.host = this;
    m_list = std::make_unique<DeviceList>(m_backend, m_slots, m_loader, m_hub, controls, m_uiTasks);
    createSynchronisedLighting();

    m_hub.attachTree(m_root);
    connect(&m_hub, &ui::NotifyHub::notified, this, &MainWindow::onNotification);
    m_list->pageMade = [this](DeviceSlotPage& page) {
        m_dataFolders.watch(QString::fromStdString(page.device()->UserFolder().string()));
        showSoundServerState(page);
        scheduleHeapTrim();
    };
    connect(&m_dataFolders, &DataFolderWatcher::folderChanged, this, &MainWindow::dataFolderChanged);
    m_list->createInitialPages();
    // Native window decorations move, resize, maximise and restore the window as the desktop does: the
    // layout's own copies of those buttons would only duplicate them.
    for (const char* name : {"minbtn", "maxbtn", "restorebtn", "closebtn", "title_separator"}) {
        if (QWidget* button = ui::findControl(m_root, QString::fromLatin1(name))) button->hide();
    }
    m_texts.apply(this);
    m_languages = ReadLanguageList(LanguageListFile());
    m_skinObserver.AddReceiver(this);
    applyStoredSkin();
    buildTray();
    buildHeaderMenu();

    connect(&m_cooperation, &Cooperation::messageReceived, this,
            [this](const QString& name, qlonglong wParam, qlonglong lParam) {
                if (name == QLatin1String(message_name::kLightControlRequest)) {
                    lightControlRequest(wParam, lParam);
                } else if (IsLightModeRequest(name.toStdString())) {
                    lightModeRequest(wParam, lParam);
                } else if (name == QLatin1String(message_name::kAudioLight)) {
                    answerInventoryRequest();
                } else if (name == QLatin1String(message_name::kSettings)) {
                    if (m_settings) m_settings->installerMessage(wParam, lParam);
                }
            });
    connect(&m_cooperation, &Cooperation::sleeping, this, &MainWindow::systemSleep);
    // A monitor that changes size, or a move to another one, re-fits the window.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this,
            [this] { QTimer::singleShot(0, this, &MainWindow::refitToScreen); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QWindow* handle = windowHandle(); handle && !m_screenWatched) {
        m_screenWatched = true;
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* s) {
            if (s)
                connect(s, &QScreen::availableGeometryChanged, this, &MainWindow::refitToScreen,
                        Qt::UniqueConnection);
            refitToScreen();
        });
        if (QScreen* s = handle->screen()) {
            connect(s, &QScreen::availableGeometryChanged, this, &MainWindow::refitToScreen,
                    Qt::UniqueConnection);
        }
    }
}

MainWindow::~MainWindow() {
    shutdown();
}

void MainWindow::buildTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (auto* ok = ui::findControl<QWidget>(m_root, QStringLiteral("nodevice_ok_btn"))) ok->hide();
        return;
    }
    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->setObjectName(QStringLiteral("tray_menu"));
    m_trayMenu->addAction(m_texts.text(QStringLiteral("tray_show")), this, [this] { bringToFront(); })
        ->setProperty("textId", QStringLiteral("tray_show"));
    m_trayMenu
        ->addAction(m_texts.text(QStringLiteral("settings_menu")), this,
                    [this] {
                        bringToFront();
                        openSettings(false);
                    })
        ->setProperty("textId", QStringLiteral("settings_menu"));
    QAction* about =
        m_trayMenu->addAction(m_texts.text(QStringLiteral("tray_about")), this, [this] { openAbout(); });
    about->setObjectName(QStringLiteral("about_menu"));
    about->setProperty("textId", QStringLiteral("tray_about"));
    QAction* exitAction = m_trayMenu->addAction(m_texts.text(QStringLiteral("tray_exit")));
    exitAction->setProperty("textId", QStringLiteral("tray_exit"));
    exitAction->setObjectName(QStringLiteral("exit"));
    connect(exitAction, &QAction::triggered, this, &MainWindow::exitRequested);
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setToolTip(QStringLiteral("Halvern"));
    m_tray->setContextMenu(m_trayMenu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) toggleFromTray();
    });
    m_tray->show();
}

void MainWindow::start(StartMode mode) {
    m_background = mode == StartMode::Background;
    if (m_background) {
        // As for a window hidden to the tray: no preview, and the devices are not asked for their state.
        m_list->setWindowHidden(true);
        if (m_sync) m_sync->setWindowHidden(true);
        m_list->setWindowActive(false);
    }
    DiscoveryEvents events{
        [this](int slot) {
            m_uiCall.run([this, slot] {
                m_list->Arrival(slot);
                if (!m_background) bringToFront();
            });
        },
        [this](int slot) { m_uiCall.run([this, slot] { m_list->Removal(slot); }); },
        [this] { m_uiTasks.post([this] { instanceMessage(0, 0); }); },
    };
    m_discovery = std::make_unique<Discovery>(m_backend, m_slots, std::move(events));
    m_discovery->setAccessDeniedHandler([this](const std::string& path) {
        m_uiTasks.post([this, path = QString::fromStdString(path)] { accessDenied(path); });
    });
    m_discovery->start();
    // Tell cooperating programs that this application drives the lights.
    m_cooperation.broadcast(QString::fromLatin1(message_name::kLightControlAnnouncement), 1, 1);
}

void MainWindow::startSoundCompanion(const QString& program, const QStringList& arguments) {
    const auto typeCodeOf = [](const DeviceSlotPage& p) -> uint16_t {
        const auto index = static_cast<std::size_t>(p.kindIndex());
        return index < kDeviceKindTable.size() ? kDeviceKindTable[index].typeCode : 0;
    };
    const auto firstPageOf = [this, typeCodeOf](uint16_t typeCode) -> CMerivexUSBDevice* {
        if (!m_list) return nullptr;
        for (const auto& p : m_list->pages())
            if (p->device() && typeCodeOf(*p) == typeCode) return p->device();
        return nullptr;
    };
    SoundLinkHooks hooks;
    hooks.selectedTypeCode = [this, typeCodeOf]() -> uint16_t {
        const DeviceSlotPage* selected = m_list ? m_list->FindSelectedPage() : nullptr;
        return selected != nullptr ? typeCodeOf(*selected) : 0;
    };
    hooks.levels = [firstPageOf](AudioLevelTarget target, std::span<const int32_t> levels) {
        const uint16_t code = target == AudioLevelTarget::Keyboard ? type_code::kKeyboard : type_code::kMouse;
        if (CMerivexUSBDevice* device = firstPageOf(code)) device->AudioLevels(levels);
    };
    hooks.sixValues = [firstPageOf](std::span<const int32_t> values) {
        if (CMerivexUSBDevice* device = firstPageOf(type_code::kKeyboard)) device->AudioColour(values);
    };
    hooks.launchFailed = [this] { showMessage(QStringLiteral("Record open failed!"), false); };
    // The companion shows the current style's colour from the start, not only after the style window.
    hooks.greeted = [this] { sendStoredStyleColour(); };
    hooks.soundServerFound = [this](bool found) {
        m_soundServerMissing = !found;
        if (!m_list) return;
        for (const auto& p : m_list->pages()) showSoundServerState(*p);
    };
    m_sound = std::make_unique<SoundLink>(program, std::move(hooks), arguments);
    m_sound->start();
}

void MainWindow::showSoundServerState(DeviceSlotPage& page) const {
    ui::LightPanel* panel = page.page ? page.page->lightPanel() : nullptr;
    if (ui::CLightControlUI* editor = panel ? panel->editor() : nullptr)
        editor->SetSoundServerMissing(m_soundServerMissing);
}

void MainWindow::shutdown() {
    if (m_stopped) return;
    m_stopped = true;
    hide();
    m_sound.reset();     // takes leave of the companion
    m_settings.reset();  // its check ends before the queue it reports to goes
    m_uiCall.close();
    if (m_discovery) m_discovery->stop(std::chrono::milliseconds(1000));
    m_discovery.reset();
    m_list.reset();  // device objects stop their threads and close their channels
    if (m_tray) m_tray->hide();
}

void MainWindow::onNotification(const ui::Notification& n) {
    if (n.type != QLatin1String("timer")) {
        debugLog((n.type + QLatin1Char(' ') + n.sender).toStdString());
    } else if (m_list && n.control && m_list->entryTimer(n.control, static_cast<int>(n.wParam))) {
        return;
    }
    const QByteArray type = n.type.toUtf8();
    const QByteArray sender = n.sender.toUtf8();
    const auto route =
        routeNotification(std::string_view(type.constData(), static_cast<size_t>(type.size())),
                          std::string_view(sender.constData(), static_cast<size_t>(sender.size())));
    if (!route) return;
    (this->*handlers()[static_cast<size_t>(route->operation)])(*route, n);
}

void MainWindow::instanceMessage(qintptr wParam, qintptr lParam) {
    debugLog("软件标示 " + std::to_string(static_cast<long long>(wParam)) + "，" +
             std::to_string(static_cast<long long>(lParam)));
    // The first scan shows the window, unless the program started in the background; a second start
    // always does.
    if (lParam == 0 && m_background) {
        if (m_list) m_list->updateNoDeviceNotice();
        return;
    }
    bringToFront();
}

void MainWindow::bringToFront() {
    if (m_stopped) return;
    m_background = false;
    m_list->updateNoDeviceNotice();
    m_list->setWindowHidden(false);
    if (m_sync) m_sync->setWindowHidden(false);
    if (!m_shownOnce) refitToScreen();
    if (!m_shownOnce) debugLog("window shown");
    m_shownOnce = true;
    scheduleHeapTrim();  // after the pages shown now were polished and filled
    showNormal();
    raise();
    activateWindow();
}

// Keeps the window on its monitor: at most the monitor's free area, centred on it. Qt scales the window for
// each screen's pixel density itself.
void MainWindow::refitToScreen() {
    QScreen* current = screen();
    if (!current) return;
    const QRect area = current->availableGeometry();
    resize(size().boundedTo(area.size()));
    move(area.center() - rect().center());
}

void MainWindow::hideToTray() {
    hide();
    m_list->setWindowHidden(true);
    if (m_sync) m_sync->setWindowHidden(true);
}

void MainWindow::toggleFromTray() {
    m_list->updateNoDeviceNotice();
    if (isVisible() && !isMinimized()) {
        hideToTray();
    } else {
        bringToFront();
    }
}

void MainWindow::setLightControl(bool on, bool announce) {
    m_lightControl = on;
    if (announce) {
        m_cooperation.broadcast(QString::fromLatin1(message_name::kLightControlAnnouncement), 1, on ? 1 : 0);
    }
    showLightControl();
    if (m_systemAwake) m_list->setLightControl(on);
}

void MainWindow::setLightDrivers(const QStringList& programs) {
    m_lightDrivers = programs;
    showLightControl();
}

// The button says who has the lights, in the interface language: Halvern, another program it left them
// to, or the RGB programs that drive them through Halvern.
void MainWindow::showLightControl() {
    auto* button = ui::findControl<QAbstractButton>(m_root, QStringLiteral("control_light_status"));
    if (!button) return;
    button->setChecked(m_lightControl);
    button->setProperty("textId", m_lightControl ? QStringLiteral("control_light_text")
                                                 : QStringLiteral("control_light_released_text"));
    m_texts.apply(button);
    if (m_lightControl && !m_lightDrivers.isEmpty()) {
        QStringList names;
        for (const QString& program : m_lightDrivers)
            names << (program.isEmpty() ? m_texts.text(QStringLiteral("control_light_unnamed_program"))
                                        : program);
        button->setText(
            m_texts.text(QStringLiteral("control_light_rgb_text")).arg(names.join(QStringLiteral(", "))));
    }
}

void MainWindow::systemSleep(bool before) {
    m_systemAwake = !before;
    m_list->setLightControl(m_systemAwake && m_lightControl);
    // A recording takes no input while the system sleeps.
    for (auto* editor : findChildren<ui::CMacroControlUI*>()) editor->SetSystemAwake(m_systemAwake);
}

void MainWindow::accessDenied(const QString& path) {
    debugLog("no permission to open " + path.toStdString());
    if (m_accessHintShown || m_stopped) return;
    m_accessHintShown = true;
    auto* notice = new ui::MessageBox(m_loader, m_texts, this);  // deletes itself when closed
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setObjectName(QStringLiteral("access_hint"));
    notice->setMessage(m_texts.text(QStringLiteral("device_access_denied_text")).arg(path), false);
    notice->setButtonMode(ui::MessageBox::kConfirmOnly);
    notice->show();
}

void MainWindow::lightControlRequest(qintptr wParam, qintptr lParam) {
    if (wParam != 1) return;
    setLightControl(lParam != 0, false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    closeByUser();
}

// With a tray the window hides there and comes back from it. Without one, closing does what the user
// chose (kept in the settings file, changed in Settings): the program keeps running in the background,
// where a second start brings the window back, or it ends. The choice is asked for at the first close that
// matters, when the software light effects or the headset's lights are this program's work; until then
// closing ends the program.
void MainWindow::closeByUser() {
    if (m_stopped) {
        emit exitRequested();
        return;
    }
    if (m_tray) return hideToTray();
    CloseChoice choice = ReadCloseChoice(SettingsFile());
    if (choice == CloseChoice::Ask && m_list && m_list->LightsNeedProgram()) {
        choice = askCloseChoice();
        if (choice == CloseChoice::Ask) return;  // put aside: the window stays
        // Not stored, it still holds for this close; the next one asks again.
        if (!WriteCloseChoice(SettingsFile(), choice))
            debugLog("settings: cannot store the close choice in " + SettingsFile().string());
    }
    if (choice == CloseChoice::Background) return hideToTray();
    emit exitRequested();
}

CloseChoice MainWindow::askCloseChoice() {
    ui::MessageBox box(m_loader, m_texts, this);
    box.setObjectName(QStringLiteral("close_choice"));
    box.setMessage(QStringLiteral("close_choice_text"), true);
    box.setButtonMode(ui::MessageBox::kConfirmCancel);
    if (QAbstractButton* keep = box.confirmButton())
        keep->setText(m_texts.text(QStringLiteral("close_keep_running")));
    bool quit = false;
    if (QAbstractButton* end = box.cancelButton()) {
        end->setText(m_texts.text(QStringLiteral("close_quit")));
        connect(end, &QAbstractButton::clicked, &box, [&quit] { quit = true; });
    }
    if (box.exec() == 1) return CloseChoice::Background;
    return quit ? CloseChoice::Quit : CloseChoice::Ask;
}

// The no-device notice's button hides the window to the tray. Without a tray nothing could bring a hidden
// (or, on a desktop without a task bar, a minimised) window back, so the button is not offered there and
// the window stays, waiting for a device.
void MainWindow::putAway() {
    if (m_tray) hideToTray();
}

void MainWindow::openAbout() {
    if (!m_stopped) (void)m_about.open(m_loader, m_texts, this);
}

void MainWindow::buildHeaderMenu() {
    auto* gear = ui::findControl<QAbstractButton>(m_root, QStringLiteral("setbtn"));
    if (!gear) return;
    m_headerMenu = std::make_unique<QMenu>();
    m_headerMenu->setObjectName(QStringLiteral("header_menu"));
    QAction* settings = m_headerMenu->addAction(m_texts.text(QStringLiteral("settings_menu")), this,
                                                [this] { openSettings(true); });
    settings->setObjectName(QStringLiteral("settings_menu"));
    settings->setProperty("textId", QStringLiteral("settings_menu"));
    QAction* about =
        m_headerMenu->addAction(m_texts.text(QStringLiteral("tray_about")), this, [this] { openAbout(); });
    about->setObjectName(QStringLiteral("about_menu"));
    about->setProperty("textId", QStringLiteral("tray_about"));
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && m_list) m_list->setWindowActive(isActiveWindow());
    // A minimised window shows nothing: its preview stops and the devices are not asked for their state,
    // as when it is hidden to the tray.
    if (event->type() == QEvent::WindowStateChange && m_list && isVisible()) {
        m_list->setWindowHidden(isMinimized());
        if (m_sync) m_sync->setWindowHidden(isMinimized());
    }
    QWidget::changeEvent(event);
}

void MainWindow::onDeviceSelected(const Route&, const ui::Notification& n) {
    // "device_select" of some entry: show that entry's page.
    const auto& pages = m_list->pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        if (pages[i]->entry && n.control && pages[i]->entry->isAncestorOf(n.control)) {
            m_list->ShowDeviceEntry(static_cast<int>(i), true, true);
            return;
        }
    }
}

void MainWindow::onFunctionTab(const Route& route, const ui::Notification& n) {
    if (n.wParam == 0) return;  // the tab that was left
    if (DeviceSlotPage* page = slotPageOf(n); page && page->page) page->page->ShowFunctionTab(route.variant);
}

void MainWindow::routeToPage(const Route& route, const ui::Notification& n) {
    DeviceSlotPage* page = slotPageOf(n);
    if (!page || !page->kind || !page->page) return;
    if (const PageHandler handle = findPageHandler(*page->kind, route.operation)) {
        handle(*page->page, route, n);
        m_sync->wake();  // a page's own light change takes it out of synchronised lighting
        showSynchro();
    }
}

// Asks first; then page, profile and device take the defaults together (the device refusing them leaves all
// three as they were).
void MainWindow::onRestoreDefaults(const Route&, const ui::Notification&) {
    DeviceSlotPage* page = m_list->FindSelectedPage();
    if (!page || !page->page || showMessage(QStringLiteral("message_text_22"), true, 1) != 1) return;
    page->device()->RestoreDefaults(page->page->track());
}

// The address is the user's setting (GetWebSiteAddress); with none set the logo opens nothing.
// The gear: its menu (settings, about), under the button.
void MainWindow::onOpenSettingsWindow(const Route&, const ui::Notification& n) {
    if (!m_headerMenu || !n.control) return;
    // Right-aligned under the button, so it opens inside the window's corner.
    const int width = m_headerMenu->sizeHint().width();
    m_headerMenu->popup(n.control->mapToGlobal(QPoint(n.control->width() - width, n.control->height())));
}

void MainWindow::onOpenWebSite(const Route&, const ui::Notification&) {
    const std::string address = GetWebSiteAddress();
    if (!address.empty()) QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::StrictMode));
}

void MainWindow::onOpenSystemDeviceSettings(const Route& route, const ui::Notification&) {
    // The desktop's own keyboard (0) or mouse (1) settings, started without a shell.
    static constexpr std::array<const char*, 2> kPanels{"keyboard", "mouse"};
    if (route.index < 0 || route.index > 1) return;
    QProcess::startDetached(QStringLiteral("gnome-control-center"),
                            {QString::fromLatin1(kPanels[static_cast<size_t>(route.index)])});
}

}  // namespace halvern::app
