#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>

class QAbstractButton;
class QWidget;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The files the start section shows and changes.
struct StartFiles {
    std::filesystem::path autostartEntry;  ///< the desktop's autostart entry of the program
    std::filesystem::path settings;        ///< the settings file that keeps the close choice
    bool offerCloseChoice = false;         ///< no tray: closing the window may leave the program running
};

/// The start part of the settings window. "start_with_desktop_box" shows whether the desktop starts the
/// program in the background with the session (the autostart entry is there) and writes or removes the
/// entry; "keep_running_box", offered only on a desktop without a tray, shows and stores whether closing
/// the window keeps the program running. Each box shows its file, read again after every change: a change
/// that fails says so in one message over `owner` and leaves the box as the file is.
class StartSection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StartSection)
public:
    StartSection(QWidget* content, const LayoutLoader& loader, const LanguageTexts& texts, StartFiles files,
                 QWidget* owner);
    ~StartSection() override;

    /// Shows what the files say now.
    void refresh();

private:
    void startWithDesktop(bool on);
    void keepRunning(bool on);
    void tell(const QString& text) const;

    const LayoutLoader& m_loader;
    const LanguageTexts& m_texts;
    StartFiles m_files;
    QPointer<QWidget> m_owner;
    QPointer<QAbstractButton> m_autostart;
    QPointer<QAbstractButton> m_keepRunning;
};

}  // namespace halvern::ui
