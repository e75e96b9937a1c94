#pragma once

#include <QDialog>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/worker_thread.h"
#include "profile/language_choice.h"
#include "ui/windows/rgb_section.h"
#include "ui/windows/start_section.h"
#include "update/update_check.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QListWidget;
class QStackedWidget;

namespace halvern {
class Executor;
}

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// What the settings window is opened with.
struct SettingsWindowSetup {
    std::vector<CheckEntry> entries;  ///< the version table with the installed versions (0: not checked)
    std::string serverAddress;        ///< the update server; empty when none is configured
    std::vector<LanguageEntry> languages;
    int languageIndex = 0;
    std::filesystem::path lastCheckFile;
    StartFiles start;      ///< "Start with the desktop" and what closing the window does
    RgbServerControl rgb;  ///< whether RGB programs may control the lights
};

/// The settings window ("setwnd.ui"): the interface language ("Language_combox_info"), how the program
/// starts and ends (StartSection) and, every time it
/// opens, an update check of the entries on a worker thread, listed one item a row ("update_list", each
/// built from "device_update_list_item.ui") with its state, and the overall status ("Update_Status_text").
/// Items offering an update can be chosen and marked for update ("update_fw_and_ap", then
/// "update_OK_btn"); a marked item links to its download. With no server configured the window says so
/// and contacts nobody. "closebtn" and "laterbtn" close the window; closing it through the window manager
/// ends the program (programEndRequested).
class SettingsWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)
public:
    static constexpr QSize kSize{630, 560};
    /// How long closing waits for the check to end.
    static constexpr std::chrono::milliseconds kStopBound{500};

    SettingsWindow(const LayoutLoader& loader, const LanguageTexts& texts, Executor& uiThread,
                   SettingsWindowSetup setup, QWidget* owner = nullptr);
    ~SettingsWindow() override;

    /// Sets every text again from the texts (after a language change), the status line's date included.
    void retranslate();
    /// A message of the installer of the item being downloaded or installed: 1 it finished, 2 or 3 it
    /// failed, 4 its progress is `lParam` percent. Nothing happens when no item is under way (this program
    /// downloads nothing itself, so only an installer that takes over an item gets there) or for any other
    /// value.
    void installerMessage(qlonglong wParam, qlonglong lParam);
    /// The language list shows `index` as chosen, without announcing it.
    void showLanguage(int index);

    [[nodiscard]] CheckStatus status() const { return m_status; }
    [[nodiscard]] bool checkFinished() const { return m_finished; }
    [[nodiscard]] const std::vector<CheckItem>& items() const { return m_items; }
    [[nodiscard]] QWidget* itemWidget(size_t index) const;
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] const QString& lastCheckDate() const { return m_lastDate; }

signals:
    /// The user chose the language at this index of the list.
    void languageChosen(int index);
    /// The check found every entry up to date.
    void allCurrent();
    /// The window was closed otherwise than by its own buttons (the window manager's close, Alt+F4): the
    /// program should end.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fillLanguages();
    void startCheck();
    void stopCheck();
    void addItem(size_t index, const CheckItem& item);
    void showItem(size_t index);
    void checkFinishedWith(CheckStatus status);
    void showStatus(CheckStatus status);
    void choiceChanged();
    void markChosen();
    void closeFromButton();
    [[nodiscard]] bool busy() const;

    const LanguageTexts& m_texts;
    const LayoutLoader& m_loader;
    Executor& m_uiThread;
    SettingsWindowSetup m_setup;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);  ///< read on the window's thread only
    WorkerThread m_worker;

    QPointer<QWidget> m_content;
    QPointer<QComboBox> m_languages;
    QPointer<QListWidget> m_list;
    QPointer<QLabel> m_statusText;
    QPointer<QWidget> m_statusRing;
    QPointer<QWidget> m_statusImage;
    QPointer<QAbstractButton> m_update;
    QPointer<QStackedWidget> m_pages;
    std::vector<QPointer<QWidget>> m_itemWidgets;
    std::vector<CheckItem> m_items;
    CheckStatus m_status = CheckStatus::Checking;
    bool m_finished = false;
    bool m_noServer = false;
    bool m_closingByButton = false;
    QString m_lastDate;
    std::unique_ptr<StartSection> m_start;
    std::unique_ptr<RgbSection> m_rgb;
};

}  // namespace halvern::ui
