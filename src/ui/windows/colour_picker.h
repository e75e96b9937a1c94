#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSize>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "profile/color_options.h"
#include "ui/controls/colour_palette.h"
#include "ui/toolkit/notification.h"

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;
class NotifyHub;

/// The colour picker: a modal window built from "colour_picker.ui" in which the user picks one colour from
/// the palette ("Pallet"), from twenty preset swatches ("color_option_0".."19"), from twenty slots of
/// collected colours ("collect_color_option_0".."19") or by typing red, green and blue ("color_edit_r",
/// "color_edit_g", "color_edit_b"). "color_show_btn" previews the colour. Every colour picked while a
/// collected slot is selected is collected into that slot. The swatches, the collected colours and both
/// selections persist in the colour option file.
///
/// exec() ends with 1 after "okbtn" (GetResult is then the previewed colour), 0 after "closebtn",
/// "laterbtn", Escape or the window manager's close, and 2 after "okbtn" in a skin without a palette.
/// The window handles its own controls' notifications through a hub of its own.
class CColorSelectWnd final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CColorSelectWnd)
public:
    static constexpr QSize kSize{800, 572};
    static constexpr int kResultClosed = 0;
    static constexpr int kResultOk = 1;
    static constexpr int kResultNoPalette = 2;
    static constexpr int kSwatches = static_cast<int>(ColorOptions::kSwatches);

    /// Builds the window and fills the swatches from `options` (the user's colour option file, or its
    /// shipped copy on a first run); the selected preset's colour becomes the current colour.
    CColorSelectWnd(const LayoutLoader& loader, const LanguageTexts& texts, ColorOptionFile options,
                    QWidget* owner = nullptr);
    ~CColorSelectWnd() override;

    /// Accepts 48, 72, 96, 120, 144, 168 and 192; any other value writes the debug line
    /// "SET_WND DPI SET ERROR" and gives 96. Qt scales the window for its screen itself, so the value only
    /// records what the owner uses.
    void SetDpi(int dpi);
    [[nodiscard]] int GetDpi() const { return m_dpi; }

    /// Shows `argb` in the preview, the palette and the three edits and makes it the current colour.
    /// Nothing is collected or stored.
    void SetColour(uint32_t argb);
    /// Offers the seven-colour choice ("7color" enabled, "7color_layout" shown) or not; when not, the
    /// choice is also cleared.
    void EnableSevenColour(bool enable);
    /// Sets the seven-colour flag and shows it on "7color" and the preview (no notification).
    void SetSevenColour(bool on);
    [[nodiscard]] bool IsSevenColour() const { return m_sevenColour; }
    /// The colour confirmed with "okbtn"; 0 until then.
    [[nodiscard]] uint32_t GetResult() const { return m_result; }

    [[nodiscard]] uint32_t currentColour() const { return m_colour; }
    /// The colour the preview shows.
    [[nodiscard]] uint32_t previewColour() const { return m_preview; }
    [[nodiscard]] const ColorOptions& options() const { return m_options; }

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Route;
    static const std::array<Route, 14> kRoutes;

    void findControls();
    /// Fills the swatches and slots from the option file and shows the selected preset's colour.
    void showStoredOptions();
    void route(const Notification& notification);
    void onPresetClicked(int index);
    void onCollectedClicked(int index);
    void onPaletteChanged(int);
    void onEditChanged(int);
    void onSevenColourChanged(int);
    void onOk(int);
    void onClose(int);
    void onMinimise(int);
    void onMaximise(int);
    void onRestore(int);

    /// Puts the current colour into the selected collected slot (when its option box is selected) and
    /// stores the slots; shows the colour in the preview and clears the seven-colour flag.
    void collect();
    void showInEdits(uint32_t argb);
    void showPreview(uint32_t argb);
    void paintPreview(bool sevenColour);
    void paintSwatch(QAbstractButton* swatch, uint32_t argb, bool filled);
    void showMaximisedState();

    ColorOptionFile m_file;
    ColorOptions m_options;
    QPointer<QWidget> m_content;
    NotifyHub* m_hub = nullptr;  // owned by the window
    QPointer<ColourPalette> m_palette;
    std::array<QPointer<QLineEdit>, 3> m_edits;  // red, green, blue
    QPointer<QAbstractButton> m_previewButton;
    std::array<QPointer<QAbstractButton>, ColorOptions::kSwatches> m_presets;
    std::array<QPointer<QAbstractButton>, ColorOptions::kSwatches> m_collected;
    QPointer<QAbstractButton> m_sevenColourOption;
    QPointer<QAbstractButton> m_sevenColourCollect;
    QPointer<QWidget> m_sevenColourLayout;
    QPointer<QAbstractButton> m_max;
    QPointer<QAbstractButton> m_restore;

    uint32_t m_colour = 0;
    uint32_t m_preview = 0;
    uint32_t m_result = 0;
    bool m_sevenColour = false;
    int m_dpi = 96;
};

/// Opens colour pickers for one owner, at most one at a time: the owner (the main window) keeps one
/// opener, which is the guard, so no global state is needed.
class ColourPickerOpener final {
public:
    /// Opens the picker modally (kSize, centred on `owner`) with `initialArgb` and returns the colour when
    /// the user confirms it; nothing when the picker was closed any other way, or when one is open already.
    std::optional<uint32_t> PickColour(QWidget* owner, const LayoutLoader& loader, const LanguageTexts& texts,
                                       const ColorOptionFile& colourFile, uint32_t initialArgb, int dpi);
    [[nodiscard]] bool isOpen() const { return !m_window.isNull(); }
    [[nodiscard]] CColorSelectWnd* current() const { return m_window; }

private:
    QPointer<CColorSelectWnd> m_window;
};

}  // namespace halvern::ui
