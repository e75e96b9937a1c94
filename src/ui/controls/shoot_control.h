#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "input/recoil_store.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace halvern::ui {

class LanguageTexts;

/// The mouse's recoil tab: four patterns (guns "shoot_gun_op_0".."3") of 30 shots ("bullet_op_0".."29"),
/// each shot a horizontal and vertical pull ("bullet_x_check"/"bullet_x_eidt", "bullet_y_check"/
/// "bullet_y_eidt") and a delay ("bullet_delay_eidt"). A shot is written to its pattern file when one of
/// its edits is left or one of its direction checks is toggled; a check's label names the direction the
/// shot moves. "shootdate_save_btn" has the mouse take its macros and the four patterns.
class CShootControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CShootControlUI)
public:
    static constexpr char kClassName[] = "ShootControl";
    static constexpr char kFileFilter[] = "Shoot Files(*.shoot)";
    /// What an exported pattern's file name ends with, so that the import dialog lists it.
    static constexpr char kFileExtension[] = ".shoot";

    explicit CShootControlUI(QWidget* parent = nullptr);
    ~CShootControlUI() override;

    /// The device data folder and the shipped patterns' folder: missing or unreadable patterns are
    /// restored, gun 0 and shot 0 shown.
    void SetFolders(const std::filesystem::path& folder, const std::filesystem::path& defaultFolder);
    void SetTexts(const LanguageTexts* texts);
    /// What "shootdate_save_btn" does: the mouse writes its macros and the patterns.
    void SetWriteToMouse(std::function<void()> write) { m_writeToMouse = std::move(write); }
    /// How a file that could not be read or written is reported (a message box with a text id).
    void SetMessage(std::function<void(const QString&)> message) { m_message = std::move(message); }

    void SelectGun(int gun);
    void SelectBullet(int bullet);
    void PreviousBullet() { SelectBullet(m_bullet - 1); }
    void NextBullet() { SelectBullet(m_bullet + 1); }
    /// Shows the current shot from its file.
    void ShowShot();
    /// Writes the current shot as the controls hold it.
    void SaveShot();
    void ResetGun();
    void ImportFrom(const QString& path);
    void ExportTo(const QString& path);
    void WriteToMouse();

    [[nodiscard]] int gun() const { return m_gun; }
    [[nodiscard]] int bullet() const { return m_bullet; }
    [[nodiscard]] const RecoilStore& store() const { return m_store; }

private:
    void build();
    void relabel();
    void failed();
    [[nodiscard]] QString textOf(const char* id) const;

    RecoilStore m_store{{}, {}};
    const LanguageTexts* m_texts = nullptr;
    std::function<void()> m_writeToMouse;
    std::function<void(const QString&)> m_message;
    int m_gun = 0;
    int m_bullet = -1;

    QPointer<QStackedWidget> m_pictures;
    QPointer<QLabel> m_bulletIndex;
    QPointer<QCheckBox> m_xCheck;
    QPointer<QCheckBox> m_yCheck;
    QPointer<QLineEdit> m_xEdit;
    QPointer<QLineEdit> m_yEdit;
    QPointer<QLineEdit> m_delayEdit;
};

}  // namespace halvern::ui
