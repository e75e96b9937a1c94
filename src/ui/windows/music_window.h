#pragma once

#include <QDialog>
#include <QPointer>
#include <array>

#include "sound/audio_style_set.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QSlider;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The sound companion's style window, built from "music.ui": one option per style
/// ("audio_select_tab1" … "audio_select_tab4"), its name ("audio_edit_name1" … "audio_edit_name4") and the
/// red, green and blue steps 0-9 of the chosen style ("audio_r_slider", "audio_g_slider", "audio_b_slider").
/// It edits its own copy of the style set: "okbtn" ends it with result 1, "closebtn" (and every other way of
/// closing it) with 0, and the owner then takes styleSet() or leaves the stored set alone. A style whose name
/// is the default shows the default name of the interface's language; leaving that text (or an empty one)
/// keeps the style unnamed, so it follows the language until the user types a name of their own.
class MusicWnd final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MusicWnd)
public:
    static constexpr QSize kSize{369, 276};

    MusicWnd(const LayoutLoader& loader, const LanguageTexts& texts, AudioStyleSet set,
             QWidget* owner = nullptr);
    ~MusicWnd() override;

    [[nodiscard]] const AudioStyleSet& styleSet() const { return m_set; }

    /// Accepts the DPI values 48, 72, 96, 120, 144, 168 and 192; any other value writes "SET_WND DPI SET
    /// ERROR" and gives 96.
    void setDpi(int dpi);
    [[nodiscard]] int dpi() const { return m_dpi; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void showStyle();
    void selectStyle(std::size_t style);
    void sliderMoved(std::size_t channel, int value);
    void nameLeft(std::size_t style);
    /// The name the edit of `style` shows: the user's, or the default name in the interface's language.
    [[nodiscard]] QString shownName(std::size_t style) const;
    [[nodiscard]] QString defaultName(std::size_t style) const;
    /// The style whose option is checked (the first of them), style 0 when none is.
    [[nodiscard]] std::size_t checkedStyle() const;
    void showMaximisedState();

    const LanguageTexts& m_texts;
    AudioStyleSet m_set;
    int m_dpi = 96;
    std::array<QPointer<QAbstractButton>, AudioStyleSet::kStyles> m_options;
    std::array<QPointer<QLineEdit>, AudioStyleSet::kStyles> m_names;
    std::array<QPointer<QSlider>, 3> m_sliders;
    std::array<QPointer<QLabel>, 3> m_values;
    QPointer<QAbstractButton> m_max;
    QPointer<QAbstractButton> m_restore;
};

}  // namespace halvern::ui
