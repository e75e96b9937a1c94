// The main window's handling of the profile control of a device page.

#include <QTimer>

#include "app/main_window.h"
#include "profile/color_options.h"
#include "profile/data_folders.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/profile_actions.h"
#include "ui/pages/device_failure_text.h"
#include "ui/windows/message_box.h"

namespace halvern::app {
namespace {

constexpr int kProfileSwitchDelayMs = 400;

ui::CDeviceProfileUI* profileControlOf(DeviceSlotPage* page) {
    return page && page->page ? page->page->findChild<ui::CDeviceProfileUI*>() : nullptr;
}

}  // namespace

DeviceSlotPage* MainWindow::slotPageOf(const ui::Notification& n) const {
    if (!m_list) return nullptr;
    for (const auto& page : m_list->pages()) {
        if (page->page && page->page->ownsSender(n)) return page.get();
    }
    return nullptr;
}

int MainWindow::showMessage(const QString& text, bool isTextId, int mode) {
    return ui::MessageBox::ShowMessage(m_loader, m_texts, this, text, logicalDpiX(), isTextId, mode);
}

void MainWindow::showFailure(const DeviceResult& result, const QString& textId) {
    if (result.ok() || result.code() == DeviceResult::kCancelled)
        return;  // cut short on purpose: nothing to say
    if (result.isOverflow()) {
        QString text = m_texts.text(QStringLiteral("message_text_16"));
        (void)showMessage(text.replace(QStringLiteral("%d"), QString::number(result.overflowEvents())),
                          false);
        return;
    }
    if (!textId.isEmpty()) {
        (void)showMessage(textId);
        return;
    }
    (void)showMessage(ui::deviceFailureText(result, m_texts), false);
}

std::optional<uint32_t> MainWindow::pickColour(uint32_t argb) {
    const ColorOptionFile colours(GetAppDataFolder(), GetDefaultDataFolder());
    return m_colourPicker.PickColour(this, m_loader, m_texts, colours, argb, logicalDpiX());
}

namespace {

// The entry of the control's list that holds `id`, or -1.
int entryOf(const ui::CDeviceProfileUI& control, const QString& id) {
    const auto& entries = control.profiles().GetEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (QString::fromStdString(entries[i].id) == id) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

// The device takes the page's selected profile: it reloads and shows it, then writes the settings, the
// key table and the macros, so the device holds what the profile says. Choosing the profile that is already
// current does nothing. When the device does not take it, the control goes back to the profile it had.
void MainWindow::switchProfile(DeviceSlotPage& page) {
    ui::CDeviceProfileUI* control = profileControlOf(&page);
    if (!control || !page.page) return;
    const QString previous = QString::fromStdString(page.device()->GetProfileName());
    const int chosen = control->GetSelectedIndex();
    if (chosen < 0 || chosen == entryOf(*control, previous)) return;
    if (!control->SelectProfile(chosen, false)) return;
    page.device()->SwitchProfile(
        control->GetCurrentProfileId().toStdString(),
        page.page->track([control = QPointer(control), previous](DeviceResult result) {
            if (result || !control) return;
            if (const int back = entryOf(*control, previous); back >= 0) {
                (void)control->SelectProfile(back, false);
            }
        }));
}

// What halvernctl (or another copy of the files) changed: the list is read again; a profile selected or
// deleted elsewhere becomes the page's (and the device's) profile; a profile file written elsewhere is read
// again, so the window never saves its older copy over it. The window's own writes change nothing here.
void MainWindow::dataFolderChanged(const QString& folder) {
    if (!m_list) return;
    const std::filesystem::path changed = folder.toStdString();
    for (const auto& page : m_list->pages()) {
        if (!page->device() || !page->page || page->device()->UserFolder() != changed) continue;
        ui::CDeviceProfileUI* control = profileControlOf(page.get());
        if (!control) continue;
        control->Init();
        const std::string current = control->GetCurrentProfileId().toStdString();
        if (!current.empty() && current != page->device()->GetProfileName()) {
            page->device()->SwitchProfile(current, page->page->track());
        } else if (page->device()->ProfileChangedElsewhere()) {
            // Written elsewhere: show what the file holds now; when it cannot be read, say so.
            if (!page->device()->LoadProfile()) showFailure(DeviceResult::FileError());
            page->device()->ShowSettings();
        }
    }
}

void MainWindow::onProfileSelected(const Route&, const ui::Notification& n) {
    DeviceSlotPage* page = slotPageOf(n);
    if (!page) return;
    // Quick changes of the choice make one switch, to the last one.
    if (!m_profileSwitch) {
        m_profileSwitch = new QTimer(this);
        m_profileSwitch->setObjectName(QStringLiteral("profile_switch_timer"));
        m_profileSwitch->setSingleShot(true);
        connect(m_profileSwitch, &QTimer::timeout, this, [this] {
            if (!m_list || !m_profileSwitchPage) return;
            for (const auto& p : m_list->pages()) {
                if (p->page == m_profileSwitchPage) switchProfile(*p);
            }
        });
    }
    m_profileSwitchPage = page->page;
    m_profileSwitch->start(kProfileSwitchDelayMs);
}

void MainWindow::onProfileAdd(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (control && !control->AddProfile()) (void)showMessage(QStringLiteral("profile_change_failed_text"));
}

void MainWindow::onProfileDelete(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control || !control->CanDeleteProfile()) return;
    if (showMessage(control->DeleteQuestion(m_texts), false, 1) != 1) return;
    if (!control->DeleteProfile()) (void)showMessage(QStringLiteral("profile_change_failed_text"));
}

void MainWindow::onProfileCopy(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (control && !control->CopyProfile()) (void)showMessage(QStringLiteral("profile_change_failed_text"));
}

void MainWindow::onProfileImport(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control) return;
    const QString path = ui::ChooseImportPath(this);
    if (!path.isEmpty() && !control->ImportProfile(path))
        (void)showMessage(QStringLiteral("profile_import_failed_text"));
}

void MainWindow::onProfileExport(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control) return;
    const QString path = ui::ChooseExportPath(this);
    if (!path.isEmpty() && !control->ExportProfile(path))
        (void)showMessage(QStringLiteral("profile_export_failed_text"));
}

void MainWindow::onProfileReset(const Route&, const ui::Notification& n) {
    DeviceSlotPage* page = slotPageOf(n);
    auto* control = profileControlOf(page);
    if (!control || !page->page || showMessage(QStringLiteral("message_text_22"), true, 1) != 1) return;
    if (!control->ResetProfile()) {
        (void)showMessage(QStringLiteral("profile_change_failed_text"));
        return;
    }
    // The profile file holds the defaults now: the page reloads it and the device takes all of it.
    page->device()->SwitchProfile(control->GetCurrentProfileId().toStdString(), page->page->track());
    resetSoundStyles();
}

void MainWindow::onProfileRename(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control) return;
    const QString name = control->GetNameText();
    if (name.isEmpty()) return;
    const QString refusal = ui::RenameRefusalTextId(control->RenameProfile(name));
    if (!refusal.isEmpty()) showMessage(refusal);
}

void MainWindow::onProfilePanelToggle(const Route&, const ui::Notification& n) {
    if (auto* control = profileControlOf(slotPageOf(n))) control->ShowMenu(!control->IsMenuVisible());
}

}  // namespace halvern::app
