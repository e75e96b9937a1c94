#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLabel;
class QLineEdit;

namespace halvern::ui {

class LayoutLoader;

/// The headset's sound editor, built from "voice6533_control.ui": the equaliser's 13 choices
/// ("6533_eq_option_" 1-12 the presets, 13 the custom EQ), its ten band sliders ("6533_eq_hz_slider_" 0-9),
/// the custom EQ row
/// ("custom_eq_option_layout": saved EQs, a name for a new one, save and delete), the microphone and the
/// monitor (each on/off and a level), noise suppression and virtual surround ("6533_noise_option",
/// "6533_surround_option"). It only shows and reads values; the headset page carries out each
/// change. Values set here notify nothing.
class CVoice6533ControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CVoice6533ControlUI)
public:
    static constexpr char kClassName[] = "Voice6533Control";
    static constexpr char kLayout[] = "voice6533_control.ui";
    static constexpr int kEqChoices = 13;
    static constexpr int kBands = 10;

    explicit CVoice6533ControlUI(const LayoutLoader* loader, QWidget* parent = nullptr);
    ~CVoice6533ControlUI() override;

    /// Selects EQ choice `type` (1-13) and clears the others; 0 or a type past 13 clears them all.
    void SetEqType(int type);
    /// The selected EQ choice; 0 when none is.
    [[nodiscard]] int GetEqType() const;
    /// Sets the band sliders (and their value labels) from the first ten values.
    void SetBands(std::span<const int32_t> bands);
    /// Band `band`'s slider value; -1 when there is no such slider.
    [[nodiscard]] int GetBand(int band) const;
    /// Fills the saved EQs (entries of height 30) and selects entry `chosen` (-1: none).
    void SetCustomEqNames(const std::vector<std::string>& names, int chosen);
    /// The selected saved EQ; -1 when none is.
    [[nodiscard]] int GetChosenCustomEq() const;
    /// The name typed for a new custom EQ.
    [[nodiscard]] QString GetNewName() const;
    void ClearNewName();
    void SetMicrophone(bool on, int level);
    void SetMonitor(bool on, int level);
    /// Checks the noise suppression and virtual surround switches.
    void SetSoundSwitches(bool noiseSuppression, bool surround);

    /// The control of the layout named `name` (null when the layout lacks it).
    [[nodiscard]] QWidget* part(const QString& name) const;

private:
    void showLevel(QAbstractSlider* slider, QLabel* label, bool on, int level, QAbstractButton* option);

    QPointer<QWidget> m_content;
    std::array<QPointer<QAbstractButton>, kEqChoices> m_choices{};
    std::array<QPointer<QAbstractSlider>, kBands> m_bands{};
    std::array<QPointer<QLabel>, kBands> m_bandValues{};
    QPointer<QComboBox> m_names;
    QPointer<QLineEdit> m_newName;
    QPointer<QAbstractButton> m_micOption, m_monitorOption, m_noiseOption, m_surroundOption;
    QPointer<QAbstractSlider> m_micLevel, m_monitorLevel;
    QPointer<QLabel> m_micValue, m_monitorValue;
};

}  // namespace halvern::ui
