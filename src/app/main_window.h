#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <array>
#include <memory>

#include "app/cooperation.h"
#include "app/data_folder_watcher.h"
#include "app/device_list.h"
#include "app/discovery.h"
#include "app/light_mode_requests.h"
#include "app/routing.h"
#include "app/sound_link.h"
#include "app/synchronised_lighting.h"
#include "app/ui_task_queue.h"
#include "app/ui_thread_call.h"
#include "profile/close_choice.h"
#include "ui/pages/page_host.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/toolkit/notify_hub.h"
#include "ui/windows/about_window.h"
#include "ui/windows/colour_picker.h"
#include "ui/windows/music_window.h"
#include "ui/windows/settings_window.h"
#include "ui/windows/skin_frame.h"

class QMenu;
class QTimer;

namespace halvern::app {

/// What giving every device the selected page's effect did.
enum class SharedEffectResult : uint8_t {
    Started,       ///< every connected device with a Lighting tab runs the effect in step
    NoEquivalent,  ///< the page's mode has no shared equivalent: nothing changed
    NoLight,       ///< the page has no Lighting tab
};

/// How the program starts: with its window, or in the background (devices and lights run, the window stays
/// hidden until a second start or the tray opens it).
enum class StartMode : uint8_t { Window, Background };

/// The application's window: the device strip, the pages, the tray icon. Every notification of every
/// control arrives here and is routed by the sender's name to the operation it asks for: the window's own
/// operations here, a page's operations to the page that sent it (through its kind's entry). Closing the
/// window hides it to the tray (without a tray, it does what the user chose: keep running in the
/// background, or quit); the tray's "exit" ends the program. The window is the pages' host: message
/// boxes, the one message that says what failed, the colour picker.
class MainWindow final : public QWidget, public ui::PageHost, public ui::SkinReceiver {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)
public:
    MainWindow(HidBackend& backend, ui::LayoutLoader& loader, ui::LanguageTexts& texts,
               QWidget* parent = nullptr);
    /// The size the window opens at (bounded by the screen), with room for the keyboard picture and its
    /// editors below it, and the smallest it can be made: the root layout's minimum, which no page raises.
    static constexpr QSize kDefaultSize{1100, 780};
    static constexpr QSize kMinimumSize{1000, 640};
    ~MainWindow() override;

    /// Starts discovery. With `StartMode::Window` the window shows itself after the first scan; in the
    /// background it stays hidden (and its devices are not asked for what only a shown window needs) until
    /// the user opens it: a second start of the program, or the tray.
    void start(StartMode mode = StartMode::Window);
    /// Stops every thread within its bound; the window can then be destroyed.
    void shutdown();
    /// Keeps the sound companion `program` running and feeds its levels to the music modes of the selected
    /// keyboard or mouse; `arguments` are for tests and demos (a WAV file instead of what plays).
    void startSoundCompanion(const QString& program, const QStringList& arguments = {});
    [[nodiscard]] SoundLink* soundLink() const { return m_sound.get(); }
    /// Opens the sound colour styles modally (unless they are open); confirmed, they are sent and stored.
    void openMusicWindow();
    [[nodiscard]] ui::MusicWnd* musicWindow() const { return m_musicWindow; }
    /// A cooperating program asked for the list of supported devices: it goes to the program listening for
    /// it, or nowhere.
    void answerInventoryRequest();

    /// The instance message: from a second start (lParam 1) or from discovery's first scan (lParam 0).
    void instanceMessage(qintptr wParam, qintptr lParam);
    /// Light control from a cooperating program (wParam must be 1): lParam 0 releases, 1 takes the lights.
    void lightControlRequest(qintptr wParam, qintptr lParam);
    /// A light-mode request of another program ("Game_Start", ...): kind `wParam`, mode `lParam`; ignored
    /// while the system sleeps. Five seconds after the last one the selected page returns to its mode.
    void lightModeRequest(qintptr wParam, qintptr lParam);
    /// The return after light-mode requests, as if the clock showed `now` (steady milliseconds).
    void returnToPreviousLightMode(int64_t now);
    [[nodiscard]] const QTimer* lightModeReturnTimer() const { return m_lightReturn; }
    /// The system goes to sleep (true) or has resumed (false): pages run without light control meanwhile.
    void systemSleep(bool before);
    /// A supported device that the user may not open: says once, without holding anything up, what is
    /// wrong and how to mend it.
    void accessDenied(const QString& path);
    [[nodiscard]] bool systemAwake() const { return m_systemAwake; }

    [[nodiscard]] DeviceList& deviceList() { return *m_list; }
    /// Where the devices' threads hand their work to this thread.
    [[nodiscard]] UiTaskQueue& uiTasks() { return m_uiTasks; }
    [[nodiscard]] ui::NotifyHub& hub() { return m_hub; }
    [[nodiscard]] bool lightControl() const { return m_lightControl; }
    /// The RGB programs that drive lights of the devices now (none: an empty list); the light button
    /// names them.
    void setLightDrivers(const QStringList& programs);
    /// Starts, moves or stops the RGB server as the settings window asks (set by whoever runs it).
    std::function<bool(const RgbServerSettings& settings, QString& problem)> rgbServerChanged;
    [[nodiscard]] QSystemTrayIcon* trayIcon() const { return m_tray; }
    [[nodiscard]] QMenu* headerMenu() const { return m_headerMenu.get(); }
    [[nodiscard]] ui::AboutWindow* aboutWindow() const { return m_about.current(); }
    [[nodiscard]] SynchronisedLighting& synchronisedLighting() { return *m_sync; }
    /// Gives every connected device the light effect of `source`, mapped onto each kind's modes, stored,
    /// sent and run in step (kind by kind: keyboards, mice, mouse pads, headsets).
    SharedEffectResult sameMode(DeviceSlotPage& source);

    /// Opens the settings window (or brings the open one forward); from the gear it opens at the window's
    /// top right corner, else centred on the window.
    void openSettings(bool fromGear);
    [[nodiscard]] ui::SettingsWindow* settingsWindow() const { return m_settings.get(); }
    /// Makes the language at `index` of the language list the interface's: its texts on the window, every
    /// page and every open window, its number stored for the next start. The current index does nothing.
    void applyLanguage(int index);
    /// Applies the language the program starts in: the one HALVERN_LANGUAGE names by its file ("zh_CN")
    /// for this run only, else the stored choice. Stores nothing.
    void applyStartLanguage();
    [[nodiscard]] int languageIndex() const { return m_languageIndex; }
    /// How often the fonts were rebuilt for a language.
    [[nodiscard]] int fontRebuilds() const { return m_fontRebuilds; }

    /// Opens a skin window under the skin button.
    void openSkinWindow();
    [[nodiscard]] ui::CSkinFrame* skinWindow() const { return m_skinFrame; }
    [[nodiscard]] ui::SkinObserver& skinObserver() { return m_skinObserver; }
    /// A new background: the root control takes the colour (and loses its picture) or the picture (and
    /// loses its colour). Returns 1.
    int Receive(ui::SkinChangedParam param) override;

    /// Routes one notification (what the hub delivers; tests call it directly).
    void onNotification(const ui::Notification& notification);

    // ---- ui::PageHost ----
    int showMessage(const QString& text, bool isTextId = true, int mode = 0) override;
    void showFailure(const DeviceResult& result, const QString& textId = {}) override;
    [[nodiscard]] std::optional<uint32_t> pickColour(uint32_t argb) override;

signals:
    /// The tray's "exit" was chosen: the program should end.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    using Handler = void (MainWindow::*)(const Route&, const ui::Notification&);
    static const std::array<Handler, kOperationCount>& handlers();

    void bringToFront();
    void closeByUser();
    /// Asks once, on a desktop without a tray, what closing the window should do from now on: Ask when
    /// the question was put aside (the window stays).
    [[nodiscard]] CloseChoice askCloseChoice();
    void putAway();
    void openAbout();
    void buildHeaderMenu();
    void retranslateMenus();
    /// The background stored in the skin file, as the last start left it.
    void applyStoredSkin();
    /// The firmware version of each device list entry in order, 0 for one not connected.
    [[nodiscard]] std::vector<int> firmwareVersions() const;
    void refitToScreen();
    void hideToTray();
    void toggleFromTray();
    void setLightControl(bool on, bool announce);
    void showLightControl();
    void buildTray();

    // Operations of the window itself; device operations of later features are routed to noOperation.
    void noOperation(const Route&, const ui::Notification&) {}
    void onCloseWindow(const Route&, const ui::Notification&) { closeByUser(); }
    void onHideWindow(const Route&, const ui::Notification&) { putAway(); }
    void onOpenSettingsWindow(const Route&, const ui::Notification&);
    void onOpenSkinWindow(const Route&, const ui::Notification&) { openSkinWindow(); }
    void onToggleLightControl(const Route&, const ui::Notification&) {
        setLightControl(!m_lightControl, true);
    }
    void onMinimise(const Route&, const ui::Notification&) { showMinimized(); }
    void onMaximise(const Route&, const ui::Notification&) { showMaximized(); }
    void onRestore(const Route&, const ui::Notification&) { showNormal(); }
    void onSelectPrevious(const Route&, const ui::Notification&) { m_list->SelectPrevious(); }
    void onSelectNext(const Route&, const ui::Notification&) { m_list->SelectNext(); }
    void onDeviceSelected(const Route&, const ui::Notification& n);
    void onRestoreDefaults(const Route&, const ui::Notification&);
    void onOpenWebSite(const Route&, const ui::Notification&);
    void onOpenSystemDeviceSettings(const Route& route, const ui::Notification&);
    void onFunctionTab(const Route& route, const ui::Notification& n);

    // Synchronised lighting and light-mode requests (main_window_lighting.cpp).
    /// Stores a light record the window chose for a page (a request or its return): the page leaves
    /// synchronised lighting, its editor shows the record, and the device stores, applies and sends it.
    void applyWindowLight(DeviceSlotPage& page, const LightSetting& light);
    void createSynchronisedLighting();
    void onSameMode(const Route&, const ui::Notification&);
    void onSynchroSelected(const Route&, const ui::Notification& n);
    /// Two or more devices are visible (true) or not: the same-effect button and the synchro options are
    /// offered; without them every device leaves synchronised lighting.
    void enableSync(bool possible);
    /// The list entries show which devices take part.
    void showSynchro();

    // The sound companion's colour (main_window_music.cpp).
    void onAudioLightSettings(const Route&, const ui::Notification&);
    void onMusicColourSlider(const Route& route, const ui::Notification& n);
    /// Sends the current style's colour to the companion and shows it on the colour sliders.
    void sendStyleColour(const AudioStyleSet& set);
    void sendStoredStyleColour();
    /// The device reset: the sound colour styles become the shipped ones again.
    void resetSoundStyles();
    void showColourStep(std::size_t channel, int step);

    // Profiles of the page that sent the notification (main_window_profiles.cpp).
    [[nodiscard]] DeviceSlotPage* slotPageOf(const ui::Notification& n) const;
    void onProfileAdd(const Route&, const ui::Notification& n);
    void onProfileDelete(const Route&, const ui::Notification& n);
    void onProfileCopy(const Route&, const ui::Notification& n);
    void onProfileImport(const Route&, const ui::Notification& n);
    void onProfileExport(const Route&, const ui::Notification& n);
    void onProfileReset(const Route&, const ui::Notification& n);
    void onProfileRename(const Route&, const ui::Notification& n);
    void onProfileSelected(const Route&, const ui::Notification& n);
    void onProfilePanelToggle(const Route&, const ui::Notification& n);
    /// Makes the page's selected profile current: the device reloads it, shows it and writes it. When the
    /// device does not take it, the control goes back to the profile it had.
    void switchProfile(DeviceSlotPage& page);
    /// Another program changed files of a device kind: the page's profile list and profile follow.
    void dataFolderChanged(const QString& folder);
    /// Routes a page's operation to the page that sent it, through its kind's entry.
    void routeToPage(const Route& route, const ui::Notification& n);

    HidBackend& m_backend;
    ui::LayoutLoader& m_loader;
    ui::LanguageTexts& m_texts;
    ui::NotifyHub m_hub;
    SlotTable m_slots;
    UiTaskQueue m_uiTasks;  ///< what other threads hand to this one (before whatever posts to it)
    std::unique_ptr<DeviceList> m_list;
    UiThreadCall m_uiCall{m_uiTasks};
    std::unique_ptr<Discovery> m_discovery;
    QPointer<QWidget> m_root;
    QPointer<QSystemTrayIcon> m_tray;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QMenu> m_headerMenu;  ///< the gear's menu
    ui::AboutOpener m_about;
    DataFolderWatcher m_dataFolders;
    bool m_lightControl = true;
    QStringList m_lightDrivers;  ///< the RGB programs driving lights now
    bool m_systemAwake = true;
    Cooperation m_cooperation;
    bool m_shownOnce = false;
    bool m_screenWatched = false;
    bool m_stopped = false;
    bool m_accessHintShown = false;
    bool m_background = false;          ///< started in the background and not opened since
    QTimer* m_profileSwitch = nullptr;  ///< 400 ms debounce of profile choices (owned by the window)
    QPointer<ui::DevicePage> m_profileSwitchPage;
    ui::ColourPickerOpener m_colourPicker;  ///< at most one colour picker at a time
    std::unique_ptr<SynchronisedLighting> m_sync;
    std::unique_ptr<SoundLink> m_sound;
    QPointer<ui::MusicWnd> m_musicWindow;  ///< while the style window is open
    LightModeRequests m_lightRequests;
    QTimer* m_lightReturn =
        nullptr;  ///< one-shot: the return after light-mode requests (owned by the window)
    /// Gives the heap's free pages back to the system a while after pages were built.
    void scheduleHeapTrim();
    static constexpr int kHeapTrimDelayMs = 2000;
    QTimer* m_heapTrim = nullptr;                    ///< one-shot, made on first use (owned by the window)
    std::unique_ptr<ui::SettingsWindow> m_settings;  ///< while open; a window of its own
    std::vector<LanguageEntry> m_languages;
    int m_languageIndex = -1;           ///< none applied yet
    bool m_soundServerMissing = false;  ///< the sound companion found no sound server to record from
    void showSoundServerState(DeviceSlotPage& page) const;
    void showLanguage(int index, bool remember);
    int m_fontRebuilds = 0;
    ui::SkinObserver m_skinObserver;
    QPointer<ui::CSkinFrame> m_skinFrame;  ///< deletes itself when it closes
};

}  // namespace halvern::app
