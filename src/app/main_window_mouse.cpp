// The main window's handling of the mouse page: DPI stages, polling rate, pointer settings, button editor.

#include "app/main_window.h"
#include "profile/color_options.h"
#include "profile/data_folders.h"
#include "ui/pages/keyboard_page.h"
#include "ui/pages/mouse_page.h"

namespace halvern::app {

ui::MousePage* MainWindow::mousePageOf(const ui::Notification& n) const {
    DeviceSlotPage* page = slotPageOf(n);
    return page ? qobject_cast<ui::MousePage*>(page->page.data()) : nullptr;
}

void MainWindow::onDpiSlider(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->DpiSliderChanged(route.index, static_cast<int>(n.wParam));
}

void MainWindow::onDpiSliderMoving(const Route& route, const ui::Notification& n) {
    if (route.variant != 1) return;  // "zantor_DPI_slider_" belongs to another page
    if (auto* page = mousePageOf(n)) page->DpiSliderMoving(route.index, static_cast<int>(n.wParam));
}

void MainWindow::onDpiEdit(const Route& route, const ui::Notification& n) {
    if (route.variant != 1) return;
    if (auto* page = mousePageOf(n)) page->DpiEdited(route.index);
}

void MainWindow::onDpiEnable(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->DpiEnabled(route.index, n.wParam != 0);
}

void MainWindow::onDpiSelect(const Route& route, const ui::Notification& n) {
    if (n.wParam == 0) return;
    if (auto* page = mousePageOf(n)) page->DpiSelected(route.index);
}

void MainWindow::onDpiColourOption(const Route& route, const ui::Notification& n) {
    auto* page = mousePageOf(n);
    if (!page) return;
    const ColorOptionFile colours(GetAppDataFolder(), GetDefaultDataFolder());
    const std::optional<uint32_t> colour =
        m_colourPicker.PickColour(this, m_loader, m_texts, colours, page->DpiColour(route.index), logicalDpiX());
    if (colour) page->DpiColourPicked(route.index, *colour);
}

void MainWindow::onPollingRate(const Route& route, const ui::Notification& n) {
    if (n.wParam == 0) return;
    if (auto* page = mousePageOf(n)) page->PollingSelected(route.index);
    if (auto* page = keyboardPageOf(n)) page->PollingSelected(route.index);
}

void MainWindow::onPointerSlider(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->PointerSliderChanged(route.variant, static_cast<int>(n.wParam));
}

void MainWindow::onPointerOption(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->PointerOptionChanged(route.variant, n.wParam != 0);
}

void MainWindow::onMouseSettingsOption(const Route& route, const ui::Notification& n) {
    if (n.wParam == 0) return;
    if (auto* page = mousePageOf(n)) page->SettingsTabSelected(route.index);
}

void MainWindow::onKeyButton(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->KeyPicked(route.index);
    if (auto* page = keyboardPageOf(n)) page->KeyPicked(route.index);
}

void MainWindow::onKeyAssignmentButton(const Route& route, const ui::Notification& n) {
    int result = 0;
    if (auto* page = mousePageOf(n)) {
        result = page->KeyEditorButton(route.variant);
    } else if (auto* keyboard = keyboardPageOf(n)) {
        result = keyboard->KeyEditorButton(route.variant);
    } else {
        return;
    }
    if (route.variant != 3 || result == 0) return;
    if (result == -1) {
        showMessage(QStringLiteral("message_text_7"));
    } else {
        QString text = m_texts.text(QStringLiteral("message_text_16"));
        showMessage(text.replace(QStringLiteral("%d"), QString::number(result)), false);
    }
}

void MainWindow::onKeyAssignmentChoice(const Route& route, const ui::Notification& n) {
    if (auto* page = mousePageOf(n)) page->KeyEditorChoice(route.variant);
    if (auto* page = keyboardPageOf(n)) page->KeyEditorChoice(route.variant);
}

}  // namespace halvern::app
