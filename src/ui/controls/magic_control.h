#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

class QAbstractButton;

namespace halvern::ui {

class LayoutLoader;

/// The headset's voice changer, built from "magic_control.ui": "magic_enable_option" turns it on or off,
/// "magic_option_" 1-4 choose the voice, in "magic_option_layout" (usable while the voice changer is on).
/// It only shows and reads values; values set here notify nothing.
class CMagicControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMagicControlUI)
public:
    static constexpr char kClassName[] = "MagicControl";
    static constexpr char kLayout[] = "magic_control.ui";
    static constexpr int kVoices = 4;

    explicit CMagicControlUI(const LayoutLoader* loader, QWidget* parent = nullptr);
    ~CMagicControlUI() override;

    /// Shows the voice changer on or off and voice `type` (1-4) selected; another type selects none.
    void SetMagicVoice(bool enabled, int type);
    [[nodiscard]] bool GetEnabled() const;
    /// The selected voice (1-4); 0 when none is.
    [[nodiscard]] int GetType() const;
    /// The control of the layout named `name` (null when the layout lacks it).
    [[nodiscard]] QWidget* part(const QString& name) const;

private:
    QPointer<QWidget> m_content;
    QPointer<QAbstractButton> m_enable;
    QPointer<QWidget> m_voiceArea;
    std::array<QPointer<QAbstractButton>, kVoices> m_voices{};
};

}  // namespace halvern::ui
