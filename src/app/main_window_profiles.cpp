// The main window's handling of the profile control of a device page.

#include <QTimer>

#include "app/main_window.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/profile_actions.h"
#include "ui/pages/keyboard_page.h"
#include "ui/pages/mouse_page.h"
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

// The device takes the page's selected profile: it reloads and shows it, then writes the settings, the
// key table and the macros, so the mouse holds what the profile says.
void MainWindow::switchProfile(DeviceSlotPage& page) {
    ui::CDeviceProfileUI* control = profileControlOf(&page);
    if (!control) return;
    (void)control->SelectProfile(control->GetSelectedIndex(), false);
    page.device->SetProfileName(control->GetCurrentProfileId().toStdString());
    page.device->ProfileSwitched();
    const QSize screen = ui::MousePage::screenPixels();
    (void)page.device->WriteSettings(0, 0, 1, screen.width(), screen.height());
    if (auto* mouse = qobject_cast<ui::MousePage*>(page.page.data())) (void)mouse->mouse().WriteKeysAndMacros();
    if (auto* keyboard = qobject_cast<ui::KeyboardPage*>(page.page.data())) {
        (void)keyboard->keyboard().WriteKeysAndMacros();
        keyboard->ShowSettings();
    }
}

void MainWindow::onProfileSelected(const Route&, const ui::Notification& n) {
    DeviceSlotPage* page = slotPageOf(n);
    if (!page) return;
    // Quick changes of the choice make one switch, to the last one.
    if (!m_profileSwitch) {
        m_profileSwitch = new QTimer(this);
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
    if (auto* control = profileControlOf(slotPageOf(n))) control->AddProfile();
}

void MainWindow::onProfileDelete(const Route&, const ui::Notification& n) {
    if (auto* control = profileControlOf(slotPageOf(n))) control->DeleteProfile();
}

void MainWindow::onProfileCopy(const Route&, const ui::Notification& n) {
    if (auto* control = profileControlOf(slotPageOf(n))) control->CopyProfile();
}

void MainWindow::onProfileImport(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control) return;
    const QString path = ui::ChooseImportPath(this);
    if (!path.isEmpty()) control->ImportProfile(path);
}

void MainWindow::onProfileExport(const Route&, const ui::Notification& n) {
    auto* control = profileControlOf(slotPageOf(n));
    if (!control) return;
    const QString path = ui::ChooseExportPath(this);
    if (!path.isEmpty()) control->ExportProfile(path);
}

void MainWindow::onProfileReset(const Route&, const ui::Notification& n) {
    DeviceSlotPage* page = slotPageOf(n);
    auto* control = profileControlOf(page);
    if (!control || showMessage(QStringLiteral("message_text_22"), true, 1) != 1) return;
    if (!control->ResetProfile()) return;
    page->device->ProfileSwitched();
    const QSize screen = ui::MousePage::screenPixels();
    (void)page->device->WriteSettings(0, 0, 1, screen.width(), screen.height());
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
