#include "ui/windows/start_section.h"

#include <QAbstractButton>
#include <QSignalBlocker>

#include "profile/autostart_entry.h"
#include "profile/close_choice.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/windows/message_box.h"

namespace halvern::ui {
namespace {

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

StartSection::StartSection(QWidget* content, const LayoutLoader& loader, const LanguageTexts& texts,
                           StartFiles files, QWidget* owner)
    : m_loader(loader), m_texts(texts), m_files(std::move(files)), m_owner(owner) {
    m_autostart = findControl<QAbstractButton>(content, QStringLiteral("start_with_desktop_box"));
    m_keepRunning = findControl<QAbstractButton>(content, QStringLiteral("keep_running_box"));
    // Clicks only: what the program shows itself changes no file.
    if (m_autostart) connect(m_autostart, &QAbstractButton::clicked, this, &StartSection::startWithDesktop);
    if (m_keepRunning) {
        m_keepRunning->setVisible(m_files.offerCloseChoice);
        connect(m_keepRunning, &QAbstractButton::clicked, this, &StartSection::keepRunning);
    }
    refresh();
}

StartSection::~StartSection() = default;

void StartSection::refresh() {
    if (m_autostart) {
        const QSignalBlocker quiet(m_autostart);
        m_autostart->setChecked(AutostartEntryEnabled(m_files.autostartEntry));
    }
    if (m_keepRunning) {
        const QSignalBlocker quiet(m_keepRunning);
        m_keepRunning->setChecked(ReadCloseChoice(m_files.settings) == CloseChoice::Background);
    }
}

void StartSection::startWithDesktop(bool on) {
    const AutostartChange change = on ? WriteAutostartEntry(m_files.autostartEntry, kInstalledProgramName)
                                      : RemoveAutostartEntry(m_files.autostartEntry);
    refresh();
    if (change.ok()) return;
    const QString id =
        on ? QStringLiteral("autostart_write_failed_text") : QStringLiteral("autostart_remove_failed_text");
    tell(m_texts.text(id).arg(pathText(m_files.autostartEntry), QString::fromStdString(change.error)));
}

void StartSection::keepRunning(bool on) {
    const bool stored = WriteCloseChoice(m_files.settings, on ? CloseChoice::Background : CloseChoice::Quit);
    refresh();
    if (!stored)
        tell(m_texts.text(QStringLiteral("close_choice_store_failed_text")).arg(pathText(m_files.settings)));
}

void StartSection::tell(const QString& text) const {
    (void)MessageBox::ShowMessage(m_loader, m_texts, m_owner, text, m_owner ? m_owner->logicalDpiX() : 96,
                                  false, MessageBox::kConfirmOnly);
}

}  // namespace halvern::ui
