// The main window's settings: the settings window it opens and the interface language it applies.

#include <QApplication>
#include <QFontDatabase>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/main_window.h"
#include "device/debug_sink.h"
#include "device/supported_devices.h"
#include "profile/autostart_entry.h"
#include "profile/close_choice.h"
#include "profile/data_folders.h"
#include "profile/language_choice.h"
#include "ui/controls/device_option.h"
#include "ui/pages/device_page.h"
#include "update/update_settings.h"

namespace halvern::app {

std::vector<int> MainWindow::firmwareVersions() const {
    std::vector<int> versions;
    if (!m_list) return versions;
    for (const auto& page : m_list->pages()) versions.push_back(page->device()->firmwareVersion());
    return versions;
}

void MainWindow::openSettings(bool fromGear) {
    if (m_stopped) return;
    if (m_settings) {
        m_settings->raise();
        m_settings->activateWindow();
        return;
    }
    ui::SettingsWindowSetup setup;
    const std::string version(ApplicationVersionText());
    setup.entries = MakeCheckEntries(firmwareVersions(), VersionNumberOf(version), "V" + version);
    // Each row is listed under the name the device list shows, the application's under its own name.
    if (m_list) {
        const auto& pages = m_list->pages();
        for (size_t k = 0; k + 1 < setup.entries.size() && k < pages.size(); ++k) {
            const auto kindIndex = static_cast<size_t>(pages[k]->kindIndex());
            if (kindIndex < kDeviceKindTable.size())
                setup.entries[k].name =
                    m_texts.text(ui::KindDisplayTextId(kDeviceKindTable[kindIndex].kindName)).toStdString();
        }
    }
    if (!setup.entries.empty()) setup.entries.back().name = "Halvern";
    setup.serverAddress = GetUpdateServerAddress();
    setup.languages = m_languages;
    setup.languageIndex = std::max(m_languageIndex, 0);
    setup.lastCheckFile = LastCheckFile();
    setup.start = {AutostartEntryPath(), SettingsFile(), !m_tray};
    setup.rgb = {SettingsFile(), rgbServerChanged};
    m_settings = std::make_unique<ui::SettingsWindow>(m_loader, m_texts, m_uiTasks, std::move(setup));
    ui::SettingsWindow* window = m_settings.get();
    window->setWindowModality(Qt::ApplicationModal);
    connect(window, &ui::SettingsWindow::languageChosen, this, &MainWindow::applyLanguage);
    // Queued: the window that asks is still in its close handling.
    connect(window, &ui::SettingsWindow::programEndRequested, this, &MainWindow::exitRequested,
            Qt::QueuedConnection);
    connect(window, &QDialog::finished, this, [this, window] {
        QTimer::singleShot(0, this, [this, window] {
            if (m_settings.get() == window) m_settings.reset();
        });
    });
    const QRect frame = geometry();
    const QSize size = window->size();
    const QPoint at = fromGear ? QPoint(frame.right() - 30 - size.width(), frame.top() + 60)
                               : frame.center() - QPoint(size.width() / 2, size.height() / 2);
    window->move(at);  // where the desktop lets a program place its windows (X11)
    // Under Wayland the compositor places it, over the window it belongs to.
    window->winId();
    if (QWindow* handle = window->windowHandle()) handle->setTransientParent(windowHandle());
    window->show();
}

void MainWindow::applyLanguage(int index) {
    showLanguage(index, true);
}

void MainWindow::applyStartLanguage() {
    const QString forced = qEnvironmentVariable("HALVERN_LANGUAGE");
    for (size_t i = 0; i < m_languages.size() && !forced.isEmpty(); ++i) {
        if (QString::fromStdString(m_languages[i].file) == forced + QStringLiteral(".json")) {
            showLanguage(static_cast<int>(i), false);
            return;
        }
    }
    showLanguage(FindStoredLanguage(m_languages, ReadLanguageNumber(LanguageChoiceFile())), false);
}

void MainWindow::showLanguage(int index, bool remember) {
    if (index == m_languageIndex) return;
    if (LanguageChangeRebuildsFonts(m_languageIndex, index)) {
        // The desktop's own interface font, which fontconfig completes with the script's glyphs.
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPixelSize(14);
        QApplication::setFont(font);
        ++m_fontRebuilds;
    }
    m_languageIndex = index;
    const bool listed = index >= 0 && static_cast<size_t>(index) < m_languages.size();
    const LanguageEntry entry = listed ? m_languages[static_cast<size_t>(index)] : LanguageEntry{};
    const auto file = GetResourceFolder() / "lang" / entry.file;
    if (entry.file.empty() || !m_texts.load(QString::fromStdString(file.string()))) {
        debugLog("language: cannot read " + file.string() + ", the texts stay as they were");
    }
    if (remember && listed && !WriteLanguageNumber(LanguageChoiceFile(), entry.id)) {
        debugLog("language: cannot store the choice in " + LanguageChoiceFile().string());
    }

    m_texts.apply(this);
    showLightControl();  // it may name programs, which the language's texts do not hold
    retranslateMenus();
    if (m_list) {
        for (const auto& page : m_list->pages()) {
            if (page->page) page->page->ShowSettings();  // key texts come from the language
        }
    }
    if (ui::AboutWindow* about = m_about.current()) about->retranslate(m_texts);
    if (m_settings) {
        m_settings->showLanguage(index);
        m_settings->retranslate();
    }
    update();
}

void MainWindow::retranslateMenus() {
    for (QMenu* menu : {m_trayMenu.get(), m_headerMenu.get()}) {
        if (!menu) continue;
        for (QAction* action : menu->actions()) {
            const QString id = action->property("textId").toString();
            if (!id.isEmpty()) action->setText(m_texts.text(id));
        }
    }
}

}  // namespace halvern::app
