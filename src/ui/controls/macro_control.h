#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "input/input_hook.h"
#include "input/macro_recorder.h"
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
    /// A recording started (true) or ended (false): the page locks or unlocks what must not change meanwhile.
    std::function<void(bool recording)> recordingChanged;
};

/// A rectangle in Qt's global coordinates (logical pixels) in device pixels, as the input hook reports
/// positions: Qt keeps the top-left corner of each screen (geometry `screen`, logical) in device pixels
/// and scales by `ratio` from there.
[[nodiscard]] QRect devicePixelRect(const QRect& logical, const QRect& screen, qreal ratio);

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
    /// What an exported macro's file name ends with, so that the import dialog lists it.
    static constexpr char kFileExtension[] = ".mac";
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

    // ---- Recording ("macro_btn_starredio", "macro_btn_stopredio" and the action menu's record items). ----
    /// Makes the input hook of a recording; without one (or when it gives none) nothing can be recorded and
    /// the record controls are hidden.
    void SetHookFactory(std::function<std::unique_ptr<InputHook>()> factory);
    /// Starts recording into the selected macro: the editor is locked, the hook runs. Nothing without a
    /// selected macro. In constant timing the fixed delay is taken from "macro_fixed_time_edit" first.
    void BeginRecording(TimingMode timing, HookMode hook);
    /// Stops the hook, unlocks the editor and saves the macro. Nothing when no recording runs.
    void EndRecording();
    /// One event of the hook (on this thread): a row as the recording's modes say.
    void OnHookEvent(const InputEvent& event);
    /// While the system sleeps the hook's events are dropped.
    void SetSystemAwake(bool awake) { m_awake = awake; }
    [[nodiscard]] bool recording() const { return m_hook != nullptr; }

    void SelectMacro(int position);
    void SelectRow(int row);

    [[nodiscard]] const MacroRows& rows() const { return m_rows; }
    [[nodiscard]] int selectedMacro() const;
    [[nodiscard]] uint16_t fixedDelay() const { return m_fixedDelay; }
    [[nodiscard]] QTableWidget* actionList() const { return m_actions; }
    [[nodiscard]] QListWidget* nameList() const { return m_names; }
    [[nodiscard]] QMenu* actionMenu() const { return m_menu.get(); }

    /// The rows the event list always has room for: the editor asks its page for that height.
    static constexpr int kShownRows = 8;

protected:
    /// A page that goes out of sight (another device shown) ends its recording.
    void hideEvent(QHideEvent* event) override;
    /// Sizes the event list for kShownRows rows under its header, in the style it is shown in.
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void buildRecordControls(QLayout* box, QWidget* parent);
    void startRecordingCommand(std::string_view item);
    void setLocked(bool locked);
    [[nodiscard]] bool onStopButton(const InputEvent& event) const;
    /// Qt saw a press on "macro_btn_stopredio": a press of the hook's that came first is that click.
    void stopPressed();
    void fillNames(int select);
    void showRows();
    /// The three cells of a row from its event.
    void fillRow(int row);
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
    uint16_t m_fixedDelay = kDefaultFixedDelay;
    MacroRecorder m_recorder;
    std::function<std::unique_ptr<InputHook>()> m_hookFactory;
    /// What the window says when recording cannot start: under Wayland, that the kernel's input devices
    /// need the "input" group.
    QString m_failureTextId = QStringLiteral("macro_record_failed_text");
    std::unique_ptr<InputHook> m_hook;
    bool m_awake = true;
    uint64_t m_session = 0;  ///< counts the recordings (the hook's thread reads the value it was given)
    bool m_showing = false;  ///< the table is being filled: its change signals are ours
    /// The rows as they were before the last recorded left press, while that press is the last event
    /// recorded: if it turns out to be the press on the stop button, the rows go back to these.
    struct LeftPress {
        MacroRows before;
        uint32_t timeMs = 0;
    };
    std::optional<LeftPress> m_lastLeftPress;

    QPointer<QListWidget> m_names;
    QPointer<QTableWidget> m_actions;
    QPointer<QLineEdit> m_newName;
    std::unique_ptr<QMenu> m_menu;
};

}  // namespace halvern::ui
