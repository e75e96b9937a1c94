#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <filesystem>

#include "profile/profile_list.h"

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The profile-management control of a device page, built from "device_profile.ui": the drop-down list of
/// the device's profiles ("device_profile_combo"), the name edit ("device_profile_name_edit"), the save
/// button of a rename ("device_profile_edit_save_btn"), the button that opens the profile menu
/// ("profile_fun_spread_btn"), and, hidden in "profile_menu_layout", the buttons "device_add_btn",
/// "device_sub_btn", "device_copy_btn", "device_import_btn", "device_export_btn" and "device_reset_btn".
///
/// The menu is a real menu (menu()): its entries carry the texts of those buttons and choosing one clicks
/// the button, so the main window routes it by the button's name as before.
///
/// The file work is the ProfileList's; this control shows its entries in the drop-down list, in the same
/// order, after every operation. The main window routes the buttons to the operations; a choice in the
/// drop-down list reaches it as the list's "itemselect" notification. Every operation does nothing (false,
/// 0) when the layout has no drop-down list.
class CDeviceProfileUI final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceProfileUI)
public:
    static constexpr char kClassName[] = "DeviceProfile";
    static constexpr char kLayout[] = "device_profile.ui";
    static constexpr int kEntryHeight = 30;
    /// The question before a profile is deleted; "%1" is the profile's name (DeleteQuestion).
    static constexpr char kDeleteQuestionTextId[] = "profile_delete_confirm_text";
    static constexpr int kTabCount = 8;
    /// The device page's option tabs, in the order SelectTab counts them.
    static constexpr std::array<const char*, kTabCount> kTabNames{
        "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
        "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

    /// Builds the control's content through `loader`; without a loader or a readable layout it stays empty.
    explicit CDeviceProfileUI(const LayoutLoader* loader, QWidget* parent = nullptr);
    ~CDeviceProfileUI() override;

    void SetDeviceType(int typeCode);
    /// The device data folder and the shipped default profile of the device kind.
    void SetPaths(const std::filesystem::path& folder, const std::filesystem::path& defaultProfile);
    /// The widget that holds the option tabs (the device page); they are looked up in it on first use.
    void SetTabRoot(QWidget* page);

    /// Reads (or creates) the profile list, fills the drop-down list, selects the stored profile without
    /// notification and hides the option tabs the device type does not have.
    void Init();

    /// Selects tab `index` (0..7) and unselects the others, without notification; other values do nothing.
    void SelectTab(int index);

    [[nodiscard]] QString GetCurrentProfileId() const;
    /// The drop-down list's selected entry; -1 when nothing is selected or the list is missing.
    [[nodiscard]] int GetSelectedIndex() const;
    /// Selects entry `index`, shows its name in the name edit and stores it as the selected profile, whose
    /// id becomes the current profile id. With `notify` the drop-down list raises "itemselect" as if the
    /// user had chosen the entry. False for an index outside the list or when the choice was not stored.
    bool SelectProfile(int index, bool notify);

    [[nodiscard]] QString GetNameText() const;
    void SetNameText(const QString& text);

    /// Opens the profile menu under the menu button (true) or closes it.
    void ShowMenu(bool visible);
    [[nodiscard]] bool IsMenuVisible() const;
    [[nodiscard]] QMenu* menu() const { return m_popup; }

    /// Appends the next free "profileN" and selects it: the drop-down list shows it and raises
    /// "itemselect", so the main window switches the device to it. False at 50 profiles or when the files
    /// could not be written.
    bool AddProfile();
    /// Whether DeleteProfile would delete: a profile is selected and it is not the only one.
    [[nodiscard]] bool CanDeleteProfile() const;
    /// The question to ask before deleting, in the given language, naming the selected profile. The main
    /// window shows it in its message box (confirm and cancel) and calls DeleteProfile only when confirmed.
    [[nodiscard]] QString DeleteQuestion(const LanguageTexts& texts) const;
    /// Removes the selected profile and its file (never the last one). The drop-down list then selects the
    /// entry that took its place (or the new last one) and raises "itemselect", so the main window
    /// switches to it.
    bool DeleteProfile();
    /// Appends "<name> copy" with the selected profile's settings, and selects it as AddProfile does.
    bool CopyProfile();
    /// Gives the selected profile the shipped default settings, keeping its name and id.
    bool ResetProfile();
    /// 1 renamed; 2 refused, the name is blank; 0 refused, another profile has that name (or no list).
    int RenameProfile(const QString& name);
    /// Adds the profile in `path` under the file's name, and selects it as AddProfile does. False when it
    /// is not a profile file.
    bool ImportProfile(const QString& path);
    /// Writes the selected profile to `path`, with ".json" added when its name lacks it.
    bool ExportProfile(const QString& path);

    [[nodiscard]] const ProfileList& profiles() const { return m_list; }
    [[nodiscard]] QComboBox* combo() const { return m_combo; }
    [[nodiscard]] QLineEdit* nameEdit() const { return m_nameEdit; }
    /// Tab `index` of the tab root, or null.
    [[nodiscard]] QAbstractButton* tab(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendEntry(const ProfileEntry& entry);
    /// Appends the list's newest entry and switches to it, as if the user had chosen it.
    void selectAdded();
    void hideTabsOfType();
    /// Fills the menu from the hidden profile buttons, with their current texts.
    void fillMenu();

    ProfileList m_list;
    int m_typeCode = 0;
    QPointer<QComboBox> m_combo;
    QPointer<QLineEdit> m_nameEdit;
    QPointer<QWidget> m_buttons;  ///< "profile_menu_layout", never shown
    QPointer<QAbstractButton> m_menuButton;
    QMenu* m_popup = nullptr;  ///< owned by the control
    QPointer<QWidget> m_tabRoot;
    std::array<QPointer<QAbstractButton>, kTabCount> m_tabs;
};

}  // namespace halvern::ui
