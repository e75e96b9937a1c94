#include "ui/controls/device_profile_control.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>

#include "ui/controls/profile_actions.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/toolkit/save_file.h"

namespace halvern::ui {
namespace {

constexpr uint8_t bit(int tab) {
    return static_cast<uint8_t>(1u << tab);
}

// Tab indices in the order of kTabNames.
constexpr int kKeyTab = 1, kMacroTab = 2, kSystemTab = 3, kCursorTab = 4, kVoiceTab = 5, kMagicTab = 6,
              kVirtualTab = 7;

/// The option tabs a device type hides and shows; tabs in neither set keep the layout's visibility.
struct TabVisibility {
    int typeCode;
    uint8_t hidden;
    uint8_t shown;
};

constexpr uint8_t kNoKeysOrSystem = bit(kCursorTab) | bit(kMacroTab) | bit(kSystemTab) | bit(kKeyTab);

constexpr std::array<TabVisibility, 5> kTabVisibility{{
    {1, bit(kCursorTab), 0},  // keyboard
    {3, kNoKeysOrSystem, 0},  // mouse pad
    {4, bit(kCursorTab) | bit(kMacroTab) | bit(kKeyTab), 0},
    {5, kNoKeysOrSystem, 0},
    {7, kNoKeysOrSystem,
     static_cast<uint8_t>(bit(kVoiceTab) | bit(kMagicTab) | bit(kVirtualTab))},  // headset
}};

/// The profile menu's entries, in menu order: the hidden button each one clicks, and whether a separator
/// comes before it (the two that change or remove the profile stand apart).
struct MenuEntry {
    const char* button;
    bool separatorBefore;
};

constexpr std::array<MenuEntry, 6> kMenuEntries{{
    {"device_add_btn", false},
    {"device_copy_btn", false},
    {"device_import_btn", false},
    {"device_export_btn", false},
    {"device_reset_btn", true},
    {"device_sub_btn", false},
}};

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(const LayoutLoader* loader, QWidget* parent) : QWidget(parent) {
    QWidget* content = loadFilling(loader, kLayout, this);
    if (!content) return;
    m_combo = findControl<QComboBox>(content, QStringLiteral("device_profile_combo"));
    m_nameEdit = findControl<QLineEdit>(content, QStringLiteral("device_profile_name_edit"));
    m_buttons = findControl(content, QStringLiteral("profile_menu_layout"));
    if (m_buttons) m_buttons->hide();
    m_menuButton = findControl<QAbstractButton>(content, QStringLiteral("profile_fun_spread_btn"));
    m_popup = new QMenu(this);  // owned by the control
    m_popup->setObjectName(QStringLiteral("profile_menu"));
    m_popup->installEventFilter(this);
}

CDeviceProfileUI::~CDeviceProfileUI() = default;

void CDeviceProfileUI::SetDeviceType(int typeCode) {
    m_typeCode = typeCode;
    m_list.SetDeviceType(typeCode);
}

void CDeviceProfileUI::SetPaths(const std::filesystem::path& folder,
                                const std::filesystem::path& defaultProfile) {
    m_list.SetPaths(folder, defaultProfile);
}

void CDeviceProfileUI::SetTabRoot(QWidget* page) {
    m_tabRoot = page;
    m_tabs = {};
}

QAbstractButton* CDeviceProfileUI::tab(int index) {
    if (index < 0 || index >= kTabCount) return nullptr;
    auto& cached = m_tabs[static_cast<size_t>(index)];
    if (!cached)
        cached =
            findControl<QAbstractButton>(m_tabRoot, QLatin1String(kTabNames[static_cast<size_t>(index)]));
    return cached;
}

void CDeviceProfileUI::Init() {
    if (!m_combo) return;
    m_list.Init();
    m_combo->clear();
    for (const ProfileEntry& entry : m_list.GetEntries()) appendEntry(entry);
    // Read again (at start, or after a change elsewhere) the list shows its profile without taking the
    // keyboard focus from where the user has it.
    if (const int index = m_list.GetSelectedIndex(); index >= 0 && index < m_combo->count()) {
        m_combo->setCurrentIndex(index);
        SetNameText(m_combo->itemText(index));
    }
    hideTabsOfType();
}

void CDeviceProfileUI::appendEntry(const ProfileEntry& entry) {
    const QString name = fromUtf8(entry.name);
    m_combo->addItem(name, name);
    m_combo->setItemData(m_combo->count() - 1, QSize(0, kEntryHeight), Qt::SizeHintRole);
}

void CDeviceProfileUI::hideTabsOfType() {
    for (const TabVisibility& row : kTabVisibility) {
        if (row.typeCode != m_typeCode) continue;
        for (int i = 0; i < kTabCount; ++i) {
            QAbstractButton* button = tab(i);
            if (!button) continue;
            if (row.hidden & bit(i)) button->setVisible(false);
            if (row.shown & bit(i)) button->setVisible(true);
        }
    }
}

void CDeviceProfileUI::SelectTab(int index) {
    if (index < 0 || index >= kTabCount) return;
    // Exclusive tabs uncheck each other; checking by program sends no click, so nothing is notified.
    for (int i = 0; i < kTabCount; ++i) {
        if (QAbstractButton* button = tab(i)) button->setChecked(i == index);
    }
}

QString CDeviceProfileUI::GetCurrentProfileId() const {
    return fromUtf8(m_list.GetCurrentProfileId());
}

int CDeviceProfileUI::GetSelectedIndex() const {
    return m_combo ? m_combo->currentIndex() : -1;
}

bool CDeviceProfileUI::SelectProfile(int index, bool notify) {
    if (!m_combo || index < 0 || index >= m_combo->count()) return false;
    m_combo->setCurrentIndex(index);
    m_combo->setFocus();
    SetNameText(m_combo->itemText(index));
    const bool stored = m_list.SelectProfile(index);
    if (notify) emit m_combo->activated(index);  // the hub turns it into "itemselect"
    return stored;
}

QString CDeviceProfileUI::GetNameText() const {
    return m_nameEdit ? m_nameEdit->text() : QString();
}

void CDeviceProfileUI::SetNameText(const QString& text) {
    if (m_nameEdit) m_nameEdit->setText(text);
}

void CDeviceProfileUI::fillMenu() {
    m_popup->clear();
    for (const MenuEntry& entry : kMenuEntries) {
        auto* button = findControl<QAbstractButton>(m_buttons, QLatin1String(entry.button));
        if (!button) continue;
        if (entry.separatorBefore) m_popup->addSeparator();
        QAction* action = m_popup->addAction(button->text());
        action->setObjectName(QLatin1String(entry.button));
        action->setToolTip(button->toolTip());
        action->setEnabled(button->isEnabled());
        // The button's click is what the main window routes, by the button's name.
        connect(action, &QAction::triggered, button, [button] { button->click(); });
    }
    m_popup->setToolTipsVisible(true);
    const int count = m_combo ? m_combo->count() : 0;
    for (QAction* action : m_popup->actions()) {
        if (action->objectName() == QLatin1String("device_sub_btn")) action->setEnabled(CanDeleteProfile());
        if (action->objectName() == QLatin1String("device_add_btn")) {
            action->setEnabled(static_cast<size_t>(count) < ProfileList::kMaxProfiles);
        }
    }
}

void CDeviceProfileUI::ShowMenu(bool visible) {
    if (!visible) {
        m_popup->hide();
        return;
    }
    fillMenu();
    QWidget* anchor = m_menuButton ? static_cast<QWidget*>(m_menuButton) : this;
    // Below the menu button, its right edges lined up with the button's.
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height() + 2));
    m_popup->popup(QPoint(below.x() - m_popup->sizeHint().width(), below.y()));
}

bool CDeviceProfileUI::IsMenuVisible() const {
    return m_popup->isVisible();
}

bool CDeviceProfileUI::eventFilter(QObject* watched, QEvent* event) {
    // A click on the menu button while the menu is open only closes the menu: the press must not reach
    // the button again and open it anew.
    if (watched == m_popup && event->type() == QEvent::MouseButtonPress && m_menuButton) {
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (QRect(m_menuButton->mapToGlobal(QPoint(0, 0)), m_menuButton->size()).contains(at)) {
            m_popup->setAttribute(Qt::WA_NoMouseReplay);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CDeviceProfileUI::selectAdded() {
    appendEntry(m_list.GetEntries().back());
    // As if the user had chosen the new entry: it becomes the selected profile at once (so what the list
    // shows is what a Delete or Rename acts on), and the main window switches the device to it.
    (void)SelectProfile(m_combo->count() - 1, true);
}

bool CDeviceProfileUI::AddProfile() {
    if (!m_combo || !m_list.AddProfile()) return false;
    selectAdded();
    return true;
}

bool CDeviceProfileUI::CopyProfile() {
    if (!m_combo || !m_list.CopyProfile()) return false;
    selectAdded();
    return true;
}

bool CDeviceProfileUI::ImportProfile(const QString& path) {
    if (!m_combo || path.isEmpty() || !m_list.ImportProfile(toPath(path))) return false;
    selectAdded();
    return true;
}

bool CDeviceProfileUI::CanDeleteProfile() const {
    return m_combo && m_list.GetSelectedIndex() >= 0 && m_list.GetEntries().size() > 1;
}

QString CDeviceProfileUI::DeleteQuestion(const LanguageTexts& texts) const {
    const int selected = m_list.GetSelectedIndex();
    const auto& entries = m_list.GetEntries();
    const QString name = selected >= 0 && static_cast<size_t>(selected) < entries.size()
                             ? fromUtf8(entries[static_cast<size_t>(selected)].name)
                             : QString();
    return texts.text(QLatin1String(kDeleteQuestionTextId)).arg(name);
}

bool CDeviceProfileUI::DeleteProfile() {
    const int removed = m_list.GetSelectedIndex();  // the profile in use, whatever the list shows meanwhile
    if (!m_combo || removed < 0 || !m_list.DeleteProfile()) return false;
    m_combo->removeItem(removed);
    const int next = m_list.GetSelectedIndex();
    m_combo->setCurrentIndex(next);
    // As if the user had chosen the entry that took the removed one's place: the main window switches.
    if (next >= 0) emit m_combo->activated(next);
    return true;
}

bool CDeviceProfileUI::ResetProfile() {
    return m_combo && m_list.ResetProfile();
}

bool CDeviceProfileUI::ExportProfile(const QString& path) {
    const QString file = withExtension(path, QLatin1String(kProfileFileExtension));
    return m_combo && !file.isEmpty() && m_list.ExportProfile(toPath(file));
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    if (!m_combo) return 0;
    const int result = m_list.RenameProfile(name.toStdString());
    if (result != 1) return result;
    const int selected = m_list.GetSelectedIndex();
    m_combo->setItemText(selected, name);
    m_combo->setItemData(selected, name);
    SetNameText(name);
    return result;
}

}  // namespace halvern::ui
