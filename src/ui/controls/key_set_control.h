#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/key_editor.h"
#include "profile/profile_records.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QAbstractButton;
class QStackedWidget;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The key-assignment editor of a device page, built from "key_set_control.ui": the category list
/// "keyset_function_combo" (item n holds category n as its user data), one page per category in
/// "function_switch_tablayout", and the buttons "key_butt_keydefalut", "key_butt_keysave",
/// "key_butt_keycancel" and "key_butt_prosave", whose clicks the main window routes.
///
/// It holds the current and the default assignment of the key being edited. Turning the controls into an
/// assignment and back is the input library's (ReadAssignment, ShowAssignment, CaptureKey); this class
/// moves the controls' state to and from a KeyEditorState. Setting controls from an assignment raises no
/// selection signals, so a page shown from a key is never reset by the category handler.
class CKeySetControlUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CKeySetControlUI)
public:
    static constexpr char kClassName[] = "KeySetControl";
    static constexpr char kLayout[] = "key_set_control.ui";
    static constexpr char kModifierBoxPrefix[] = "key_ComBox_check_";
    static constexpr int kModifierBoxes = 5;
    /// The message shown when the user saves an incomplete assignment.
    static constexpr char kIncompleteTextId[] = "key_editor_incomplete_text";
    /// The message shown when the number of times a macro plays is blank or out of range.
    static constexpr char kMacroCountTextId[] = "key_editor_macro_count_text";
    /// The title line naming the key being edited ("%1" stands for the key's name).
    static constexpr char kTitleTextId[] = "key_editor_title_text";

    /// Builds the editor through `loader`; without a loader or a readable layout it stays empty and every
    /// operation works on the stored assignments only.
    explicit CKeySetControlUI(const LayoutLoader* loader, QWidget* parent = nullptr);
    ~CKeySetControlUI() override;

    /// Language of the drop-down lists, the key name and the layout's texts; null shows the text ids.
    /// The texts must outlive the control or be replaced first.
    void SetTexts(const LanguageTexts* texts);

    /// Stores the key's current and default assignments and shows the current one.
    void LoadEntry(const KeyListEntry& entry);
    /// Sets the controls from an assignment (the stored ones stay as they are).
    void ShowAssignment(const KeyAssignment& assignment);
    /// Whether the controls describe a whole assignment (IsCompleteAssignment): false for the keyboard
    /// function with an empty key field and no modifier, or a list without a choice. The save handler asks
    /// this first and, when false, shows kIncompleteTextId and keeps the editor open.
    [[nodiscard]] bool IsComplete() const;
    /// The text id of the message that explains why the controls are incomplete (kMacroCountTextId or
    /// kIncompleteTextId); empty when they are complete.
    [[nodiscard]] QString IncompleteTextId() const;
    /// Builds the current assignment from the controls, stores it and returns current and default. An
    /// incomplete assignment is refused: the stored assignment and the result stay as they were.
    KeyListEntry ReadAssignment();
    /// Replaces the current assignment without touching the controls.
    void SetCurrent(const KeyAssignment& assignment);
    void ShowDefault();
    void ShowCurrent();
    /// Makes the key's default assignment its current one (for "key_butt_keydefalut"), shows it and
    /// returns current and default for the page to store.
    KeyListEntry RestoreDefault();
    /// Fills "keyset_macro_combo" with the device's macro names in list order.
    void SetMacroNames(const std::vector<std::string>& names);

    /// The first checked box among "key_ComBox_check_0".."4", or -1.
    [[nodiscard]] int GetModifierBox() const;
    /// Unchecks the five boxes and checks box `k` (none for a value outside 0..4).
    void SetModifierBox(int k);

    /// A choice in "keyset_function_combo": shows that category's page; the keyboard category also
    /// starts empty (no key, box 0).
    void OnFunctionSelected();
    /// A choice in "keyset_macro_over_combo": the repeat count is shown only for "a number of times".
    void OnMacroOverSelected();
    /// A key pressed while capturing: when the keyboard page is shown and the key is known, the key field
    /// and the modifier boxes show it and the assignment they now make is returned; else nothing. Only
    /// filling the controls: the key keeps its assignment until the save button stores it.
    std::optional<KeyAssignment> OnKeyCaptured(uint8_t scan, bool extended);

    /// Names the key the editor edits in its title line ("key_editor_title_text" with the key's name);
    /// `nameId` is the language text id of the key's name, empty for no title.
    void SetEditedKey(const QString& nameId);

    [[nodiscard]] const KeyListEntry& entry() const { return m_entry; }
    /// What the controls hold now.
    [[nodiscard]] KeyEditorState editorState() const;
    /// Sets the controls to a state, without selection signals.
    void applyEditorState(const KeyEditorState& state);
    /// A control of the layout by name, or null.
    [[nodiscard]] QWidget* control(const QString& name) const;

protected:
    /// Key presses in the key field are captured (by their key code) instead of typed; the editor's
    /// resizes place the title.
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// A language applied to the window: the lists, the key field and the title follow it.
    bool event(QEvent* event) override;

private:
    void bindControls(QWidget* content);
    void fillLists();
    void retranslate();
    void showKeyText();
    void showTitle();
    void placeTitle();
    [[nodiscard]] QString textOf(std::string_view id) const;
    [[nodiscard]] int categoryCount() const;

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_layout;
    QPointer<QComboBox> m_functionCombo;
    QPointer<QStackedWidget> m_pages;
    QPointer<QLineEdit> m_keyEdit;
    QPointer<QLabel> m_title;
    QPointer<QWidget> m_macroCycleLayout;
    std::array<QPointer<QAbstractButton>, kModifierBoxes> m_boxes;

    const LanguageTexts* m_texts = nullptr;
    KeyListEntry m_entry;
    uint8_t m_capturedUsage = 0;
    uint8_t m_keptModifiers = 0;  ///< KeyEditorState::keptModifiers
    std::string_view m_keyTextId;
    QString m_editedKeyId;
};

}  // namespace halvern::ui
