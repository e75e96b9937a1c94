#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "input/macro_rows.h"
#include "input/macro_store.h"

class QAbstractButton;
class QLineEdit;
#include <QListWidget>
class QMenu;
#include <QTableWidget>

namespace halvern::ui {

class LanguageTexts;

/// What the macro editor needs of its page.
struct MacroEditorHooks {
    /// A confirmation box with a text id; true when the user confirmed.
    std::function<bool(const QString& textId)> confirm;
    /// A message box with a text id.
    std::function<void(const QString& textId)> message;
    /// Whether a key of the page plays macro `position`.
    std::function<bool(int position)> macroInUse;
    /// Deletes macro `position`, with the keys that play it back on their default and the keys of later
    /// macros following their macro's new number. False when nothing was deleted.
    std::function<bool(int position)> deleteMacro;
    /// The list of macro names changed (the key editor's choices and the page's texts follow).
    std::function<void()> namesChanged;
};

/// The macro tab of the mouse and keyboard pages: the device's macros ("macro_name_list") with add,
/// delete, rename, import and export, and the rows of the selected macro ("macro_action_list": action,
/// down/up or distance, delay) with moves, deletes, inserted mouse actions (the context menu of the list,
/// items named "left_down" ... "back_click") and movements, and delay edits. Every change of the rows is
/// written to the macro's file at once.
class CMacroControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMacroControlUI)
public:
    static constexpr char kClassName[] = "MacroControl";
    static constexpr char kFileFilter[] = "Macro Files(*.mac)";
    static constexpr int kNameColumn = 0, kStateColumn = 1, kDelayColumn = 2;

    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;

    /// The device's data folder: the list is read and shown, nothing selected.
    void SetFolder(const std::filesystem::path& folder);
    void SetHooks(MacroEditorHooks hooks) { m_hooks = std::move(hooks); }
    /// Language of the rows; null shows text ids.
    void SetTexts(const LanguageTexts* texts);

    // ---- Commands (the buttons call them; tests too). Those that need a selection do nothing without. ----
    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    /// Shows the macro of the selected list row (none: an empty action list).
    void ShowMacro();
    void SaveMacro();
    /// Shows the selected macro again from its file.
    void CancelEdits();
    void ImportFrom(const QString& path);
    void ExportTo(const QString& path);
    void MoveRow(RowMove move);
    void DeleteRow();
    void DeleteAllRows();
    /// An item of the action menu ("left_click", ...). Unknown names do nothing.
    void InsertMenuItem(std::string_view item);
    /// A movement button: the distance comes from its edit.
    void InsertMovement(Movement movement);
    /// The delay of row `row` as typed; saved at once.
    void SetRowDelay(int row, const QString& text);

    void SelectMacro(int position);
    void SelectRow(int row);

    [[nodiscard]] const MacroRows& rows() const { return m_rows; }
    [[nodiscard]] int selectedMacro() const;
    [[nodiscard]] uint16_t fixedDelay() const { return m_fixedDelay; }
    [[nodiscard]] QTableWidget* actionList() const { return m_actions; }
    [[nodiscard]] QListWidget* nameList() const { return m_names; }
    [[nodiscard]] QMenu* actionMenu() const { return m_menu.get(); }

private:
    void build();
    void fillNames(int select);
    void showRows();
    void showRowSelection();
    /// Writes the rows to the selected macro's file.
    void store();
    void setMacroControlsEnabled(bool enabled);
    void openActionMenu(const QPoint& at);
    [[nodiscard]] QString textOf(std::string_view id) const;

    MacroStore m_store{std::filesystem::path()};
    MacroRows m_rows;
    MacroEditorHooks m_hooks;
    const LanguageTexts* m_texts = nullptr;
    uint16_t m_fixedDelay = 50;
    bool m_showing = false;  ///< the table is being filled: its change signals are ours

    QPointer<QListWidget> m_names;
    QPointer<QTableWidget> m_actions;
    QPointer<QLineEdit> m_newName;
    std::unique_ptr<QMenu> m_menu;
};

}  // namespace halvern::ui
