#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QLabel;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The about window, built from "about.ui": the program's name, its version ("software_ver_label": the
/// text of "software_rev_text" followed by the application's version) and its own title-bar buttons
/// ("closebtn", "minbtn", "maxbtn", "restorebtn"; "menubtn" and "homepage_btn" are hidden). "maxbtn"
/// shows while the window is not maximised, "restorebtn" while it is. Closing it in any way, the window
/// manager's close included, ends only this window.
class AboutWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)
public:
    static constexpr QSize kSize{800, 572};

    AboutWindow(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner = nullptr);
    ~AboutWindow() override;

    /// Sets every text again from `texts` (after a language change).
    void retranslate(const LanguageTexts& texts);
    [[nodiscard]] QString versionText() const;

    /// The application's version, as `halvern --version` prints it ("1.0.0").
    [[nodiscard]] static QString applicationVersion();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showMaximisedState();

    QPointer<QWidget> m_content;
    QPointer<QLabel> m_version;
    QPointer<QAbstractButton> m_close;
    QPointer<QAbstractButton> m_min;
    QPointer<QAbstractButton> m_max;
    QPointer<QAbstractButton> m_restore;
};

/// Opens the about window modally over `owner`, unless one opened through this opener is open already:
/// then it does nothing and returns false.
class AboutOpener final {
public:
    bool open(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner);
    [[nodiscard]] AboutWindow* current() const { return m_window; }

private:
    QPointer<AboutWindow> m_window;
};

}  // namespace halvern::ui
