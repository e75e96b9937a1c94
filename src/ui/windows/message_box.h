#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QLabel;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The application's one modal question and notice box, built from "message_box.ui" ("MessageTitle",
/// "MessageText", "confirm_btn", "cancel_btn", "closebtn"). It returns 1 when the user confirmed and 0 for
/// every other way of closing it (the cancel and close buttons, Escape, the window manager). Missing
/// controls leave the box without that text or button; it still works.
class MessageBox final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MessageBox)
public:
    /// Which buttons show: 0 only "confirm_btn", 1 both; any other mode leaves them as the layout has them.
    static constexpr int kConfirmOnly = 0;
    static constexpr int kConfirmCancel = 1;

    /// Builds the box, owned by `owner` (none: a top-level box), with the texts of `texts`.
    MessageBox(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner = nullptr);
    ~MessageBox() override;

    /// Sets the message: `text` is a text id of the language file when `isTextId`, else shown unchanged.
    /// An empty text keeps the layout's.
    void setMessage(const QString& text, bool isTextId);
    [[nodiscard]] QString message() const;

    void setButtonMode(int mode);

    /// Accepts the DPI values 48, 72, 96, 120, 144, 168 and 192; any other value writes the debug line
    /// "MSG_WND DPI SET ERROR" and gives 96. Qt scales the box for its screen by itself, so the value only
    /// records what the owner uses.
    void setDpi(int dpi);
    [[nodiscard]] int dpi() const { return m_dpi; }

    [[nodiscard]] QAbstractButton* confirmButton() const { return m_confirm; }
    [[nodiscard]] QAbstractButton* cancelButton() const { return m_cancel; }
    [[nodiscard]] QAbstractButton* closeButton() const { return m_close; }

    /// Shows a message modally over `owner` (centred on it, or on the screen without owner) and returns
    /// 1 when the user confirmed, 0 otherwise.
    static int ShowMessage(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner,
                           const QString& text, int dpi, bool isTextId, int mode);

private:
    const LanguageTexts& m_texts;
    QPointer<QLabel> m_title;
    QPointer<QLabel> m_text;
    QPointer<QAbstractButton> m_confirm;
    QPointer<QAbstractButton> m_cancel;
    QPointer<QAbstractButton> m_close;
    int m_dpi = 96;
};

}  // namespace halvern::ui
