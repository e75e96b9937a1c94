// The main window's handling of the keyboard page: lock and rollover flags, key repeat, and the custom
// colours of the keys selected on the picture.

#include "app/main_window.h"
#include "profile/color_options.h"
#include "profile/data_folders.h"
#include "ui/pages/keyboard_page.h"

namespace halvern::app {

ui::KeyboardPage* MainWindow::keyboardPageOf(const ui::Notification& n) const {
    DeviceSlotPage* page = slotPageOf(n);
    return page ? qobject_cast<ui::KeyboardPage*>(page->page.data()) : nullptr;
}

void MainWindow::onKeyboardFlag(const Route& route, const ui::Notification& n) {
    if (auto* page = keyboardPageOf(n)) page->FlagChanged(route.variant, n.wParam != 0);
}

void MainWindow::onRepeatRate(const Route&, const ui::Notification& n) {
    if (auto* page = keyboardPageOf(n)) page->RepeatRateChanged(static_cast<int>(n.wParam));
}

void MainWindow::onRepeatDelay(const Route& route, const ui::Notification& n) {
    if (n.wParam == 0) return;  // the choice that was left
    if (auto* page = keyboardPageOf(n)) page->RepeatDelaySelected(route.index);
}

void MainWindow::onKeySelectionEnded(const Route&, const ui::Notification& n) {
    if (auto* page = keyboardPageOf(n)) page->SelectionEnded();
}

// 0 picks the strip's colour; 1 colours the selected keys, 2 every key, 3 switches every key off.
void MainWindow::onCustomColourButton(const Route& route, const ui::Notification& n) {
    auto* page = keyboardPageOf(n);
    if (!page) return;
    if (route.variant == 0) {
        const ColorOptionFile colours(GetAppDataFolder(), GetDefaultDataFolder());
        const std::optional<uint32_t> colour = m_colourPicker.PickColour(
            this, m_loader, m_texts, colours, 0xFF000000u | page->customColour(), logicalDpiX());
        if (colour) page->SetCustomColour(*colour);
        return;
    }
    if (page->ApplyCustomColour(route.variant - 1) != 1) showMessage(QStringLiteral("custom_colour_failed_text"));
}

}  // namespace halvern::app
