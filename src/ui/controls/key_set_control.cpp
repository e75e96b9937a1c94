#include "ui/controls/key_set_control.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <span>

#include "input/evdev_keys.h"
#include "input/key_tables.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

/// Item data role holding an item's text id.
constexpr int kTextIdRole = Qt::UserRole + 1;

/// "keyset_macro_over_combo": repeat modes 0..3, then "a number of times".
constexpr std::array<std::string_view, 5> kMacroOverNames{"keyset_macro_over_0", "keyset_macro_over_1",
                                                          "keyset_macro_over_2", "keyset_macro_over_3",
                                                          "keyset_macro_over_count"};

using IndexField = int& (*)(KeyEditorState&);
using TextField = std::string& (*)(KeyEditorState&);

/// A drop-down list of the editor, where its selection lives in the state and what it lists.
struct ListBinding {
    const char* name;
    IndexField index;
    std::span<const ChoiceRow> choices;     ///< listed by their names, or
    std::span<const std::string_view> ids;  ///< these text ids
    bool translated;
};

// clang-format off
constexpr std::array<ListBinding, 9> kLists{{
    {"keyset_mousekey_combo", [](KeyEditorState& s) -> int& { return s.mouseKeyIndex; }, kMouseButtonChoices, {}, true},
    {"keyset_mousedpi_combo", [](KeyEditorState& s) -> int& { return s.dpiIndex; }, kDpiChoices, {}, true},
    {"keyset_media_combo", [](KeyEditorState& s) -> int& { return s.mediaIndex; }, kMediaChoices, {}, true},
    {"keyset_system_combo", [](KeyEditorState& s) -> int& { return s.systemIndex; }, kSystemChoices, {}, true},
    {"keyset_combokey_combo", [](KeyEditorState& s) -> int& { return s.shortcutIndex; }, kShortcutChoices, {}, false},
    {"keyset_gunkey_combo", [](KeyEditorState& s) -> int& { return s.gunIndex; }, {}, kRecoilNames, true},
    {"keyset_macro_over_combo", [](KeyEditorState& s) -> int& { return s.macroOverIndex; }, {}, kMacroOverNames, true},
    {"keyset_mouseswing_combo", [](KeyEditorState& s) -> int& { return s.swing.direction; }, {}, kSwingDirectionNames, true},
    {"keyset_mousewheel_combo", [](KeyEditorState& s) -> int& { return s.wheel.direction; }, {}, kWheelDirectionNames, true},
}};

constexpr std::array<std::pair<const char*, TextField>, 9> kEdits{{
    {"keyset_mouseswing_num_edit", [](KeyEditorState& s) -> std::string& { return s.swing.count; }},
    {"keyset_mouseswing_delay_edit", [](KeyEditorState& s) -> std::string& { return s.swing.delay; }},
    {"keyset_mouseswing_speed_edit", [](KeyEditorState& s) -> std::string& { return s.swing.speed; }},
    {"keyset_mousewheel_num_edit", [](KeyEditorState& s) -> std::string& { return s.wheel.count; }},
    {"keyset_mousewheel_delay_edit", [](KeyEditorState& s) -> std::string& { return s.wheel.delay; }},
    {"keyset_mousewheel_speed_edit", [](KeyEditorState& s) -> std::string& { return s.wheel.speed; }},
    {"keyset_mousefire_interval_edit", [](KeyEditorState& s) -> std::string& { return s.fireInterval; }},
    {"keyset_mousefire_num_edit", [](KeyEditorState& s) -> std::string& { return s.fireCount; }},
    {"keyset_macro_cycle_edit", [](KeyEditorState& s) -> std::string& { return s.macroCycleText; }},
}};
// clang-format on

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(const LayoutLoader* loader, QWidget* parent) : QWidget(parent) {
    QWidget* content = loadFilling(loader, kLayout, this);
    if (!content) return;
    bindControls(content);
    fillLists();
}

CKeySetControlUI::~CKeySetControlUI() = default;

void CKeySetControlUI::bindControls(QWidget* content) {
    m_content = content;
    m_layout = findControl(content, QStringLiteral("keyset_layout"));
    if (m_layout) m_layout->installEventFilter(this);
    m_functionCombo = findControl<QComboBox>(content, QStringLiteral("keyset_function_combo"));
    m_pages = findControl<QStackedWidget>(content, QStringLiteral("function_switch_tablayout"));
    m_keyEdit = findControl<QLineEdit>(content, QStringLiteral("keyset_keyboard_text_edit"));
    m_title = findControl<QLabel>(content, QStringLiteral("keyset_title_label"));
    if (m_title) {
        m_title->setTextFormat(Qt::PlainText);
        // The title never widens the editor: placeTitle gives it a row of its own where the function's
        // row has no room for it.
        m_title->setMinimumWidth(1);
    }
    if (m_keyEdit) m_keyEdit->installEventFilter(this);
    m_macroCycleLayout = findControl(content, QStringLiteral("keyset_macro_cycle_layout"));
    for (int k = 0; k < kModifierBoxes; ++k) {
        QAbstractButton* box =
            findControl<QAbstractButton>(content, QString::fromLatin1(kModifierBoxPrefix), k);
        m_boxes[static_cast<size_t>(k)] = box;
        // A box the user chooses stands for the modifiers from then on: those kept aside go.
        if (box)
            connect(box, &QAbstractButton::clicked, this, [this] {
                m_keptModifiers = 0;
                showKeyText();
            });
    }
}

QWidget* CKeySetControlUI::control(const QString& name) const {
    return findControl(m_content, name);
}

QString CKeySetControlUI::textOf(std::string_view id) const {
    return m_texts ? m_texts->text(fromView(id)) : fromView(id);
}

void CKeySetControlUI::fillLists() {
    // The category items come from the layout with their text ids as texts; item n is category n.
    if (m_functionCombo) {
        for (int i = 0; i < m_functionCombo->count(); ++i) {
            m_functionCombo->setItemData(i, m_functionCombo->itemText(i), kTextIdRole);
            m_functionCombo->setItemData(i, i, Qt::UserRole);
        }
    }
    for (const ListBinding& list : kLists) {
        auto* combo = findControl<QComboBox>(m_content, QString::fromLatin1(list.name));
        if (!combo) continue;
        const QSignalBlocker quiet(combo);
        combo->clear();
        auto add = [&](std::string_view id) {
            combo->addItem(fromView(id));
            if (list.translated) combo->setItemData(combo->count() - 1, fromView(id), kTextIdRole);
        };
        for (const ChoiceRow& row : list.choices) add(row.name);
        for (std::string_view id : list.ids) add(id);
    }
    retranslate();
}

void CKeySetControlUI::SetTexts(const LanguageTexts* texts) {
    m_texts = texts;
    if (m_texts && m_content) m_texts->apply(m_content);
    retranslate();
}

void CKeySetControlUI::retranslate() {
    if (!m_content) return;
    for (QComboBox* combo : m_content->findChildren<QComboBox*>()) {
        for (int i = 0; i < combo->count(); ++i) {
            const QVariant id = combo->itemData(i, kTextIdRole);
            if (id.isValid()) combo->setItemText(i, m_texts ? m_texts->text(id.toString()) : id.toString());
        }
    }
    showKeyText();
    showTitle();
}

void CKeySetControlUI::SetEditedKey(const QString& nameId) {
    m_editedKeyId = nameId;
    showTitle();
}

void CKeySetControlUI::showTitle() {
    if (!m_title) return;
    m_title->setVisible(!m_editedKeyId.isEmpty());
    if (m_editedKeyId.isEmpty()) return;
    const QString name = m_texts ? m_texts->text(m_editedKeyId) : m_editedKeyId;
    const QString format = m_texts ? m_texts->text(QString::fromLatin1(kTitleTextId)) : QString();
    // Without a language (or with one that lacks the line) the name stands alone.
    m_title->setText(format.contains(QStringLiteral("%1")) ? format.arg(name) : name);
    placeTitle();
}

// The title sits beside "Function" where the editor is wide enough (the keyboard's, short of height), and
// above it where it is not (the mouse's narrow column, a long name, a large scale), wrapped if need be.
void CKeySetControlUI::placeTitle() {
    // Laid out only once shown; the show and every resize place it again.
    if (!m_title || !m_layout || !m_layout->isVisible()) return;
    auto* column = qobject_cast<QVBoxLayout*>(m_layout->layout());
    auto* row = m_layout->findChild<QHBoxLayout*>(QStringLiteral("keyset_function_row"));
    if (!column || !row) return;
    const bool inRow = row->indexOf(m_title) >= 0;
    QSpacerItem* gap = nullptr;
    for (int i = 0; i < row->count() && !gap; ++i) gap = row->itemAt(i)->spacerItem();
    constexpr int kGap = 16;
    // What the row needs beside the title (the title asks for nothing there), plus the title in one line.
    const int others = row->minimumSize().width() + (inRow ? 0 : kGap + row->spacing());
    const int title = m_title->fontMetrics().horizontalAdvance(m_title->text()) +
                      m_title->contentsMargins().left() + m_title->contentsMargins().right() + row->spacing();
    const bool fits = others + title <= column->contentsRect().width();
    if (fits == inRow) return;
    if (fits) {
        column->removeWidget(m_title);
        row->insertWidget(0, m_title);
    } else {
        row->removeWidget(m_title);
        column->insertWidget(0, m_title);
    }
    m_title->setWordWrap(!fits);
    if (gap) gap->changeSize(fits ? kGap : 0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    row->invalidate();
}

void CKeySetControlUI::showKeyText() {
    if (!m_keyEdit) return;
    if (m_keyTextId.empty() && m_keptModifiers == 0) {
        m_keyEdit->clear();
        return;
    }
    // Modifiers no single box names are shown in the field, in front of the key: "Ctrl+Shift+C".
    QStringList parts;
    for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
        if ((m_keptModifiers & bit) == 0) continue;
        if (const int row = FindModifierRow(static_cast<uint8_t>(bit)); row >= 0)
            parts << textOf(KeyCodeTable[static_cast<size_t>(row)].name);
    }
    if (!m_keyTextId.empty()) parts << textOf(m_keyTextId);
    m_keyEdit->setText(parts.join(QLatin1Char('+')));
}

int CKeySetControlUI::categoryCount() const {
    return m_functionCombo ? m_functionCombo->count() : 0;
}

KeyEditorState CKeySetControlUI::editorState() const {
    KeyEditorState s;
    if (m_functionCombo) {
        const QVariant category = m_functionCombo->currentData(Qt::UserRole);
        s.category = category.isValid() ? category.toInt() : -1;
    }
    if (m_pages) s.page = m_pages->currentIndex();
    if (m_layout) s.layoutVisible = !m_layout->isHidden();
    for (const ListBinding& list : kLists) {
        if (auto* combo = findControl<QComboBox>(m_content, QString::fromLatin1(list.name))) {
            list.index(s) = combo->currentIndex();
        }
    }
    if (auto* macros = findControl<QComboBox>(m_content, QStringLiteral("keyset_macro_combo"))) {
        s.macroIndex = macros->currentIndex();
        s.macroCount = macros->count();
    }
    for (const auto& [name, field] : kEdits) {
        if (auto* edit = findControl<QLineEdit>(m_content, QString::fromLatin1(name))) {
            field(s) = edit->text().toStdString();
        }
    }
    s.modifierBox = GetModifierBox();
    s.capturedUsage = m_capturedUsage;
    s.keptModifiers = m_keptModifiers;
    s.keyTextId = m_keyEdit && m_keyEdit->text().isEmpty() ? std::string_view{} : m_keyTextId;
    return s;
}

void CKeySetControlUI::applyEditorState(const KeyEditorState& state) {
    KeyEditorState s = state;
    for (const ListBinding& list : kLists) {
        if (auto* combo = findControl<QComboBox>(m_content, QString::fromLatin1(list.name))) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(list.index(s) < combo->count() ? list.index(s) : -1);
        }
    }
    if (auto* macros = findControl<QComboBox>(m_content, QStringLiteral("keyset_macro_combo"))) {
        const QSignalBlocker quiet(macros);
        macros->setCurrentIndex(s.macroIndex < macros->count() ? s.macroIndex : -1);
    }
    for (const auto& [name, field] : kEdits) {
        if (auto* edit = findControl<QLineEdit>(m_content, QString::fromLatin1(name))) {
            edit->setText(QString::fromStdString(field(s)));
        }
    }
    SetModifierBox(s.modifierBox);
    m_capturedUsage = s.capturedUsage;
    m_keptModifiers = s.keptModifiers;
    m_keyTextId = s.keyTextId;
    showKeyText();
    if (m_functionCombo) {
        const QSignalBlocker quiet(m_functionCombo);
        const int item = m_functionCombo->findData(s.category, Qt::UserRole);
        if (item >= 0) m_functionCombo->setCurrentIndex(item);
    }
    if (m_pages && s.page >= 0 && s.page < m_pages->count()) m_pages->setCurrentIndex(s.page);
    if (m_layout) m_layout->setVisible(s.layoutVisible);
    OnMacroOverSelected();
}

void CKeySetControlUI::LoadEntry(const KeyListEntry& entry) {
    m_entry = entry;
    ShowAssignment(m_entry.current);
}

void CKeySetControlUI::ShowAssignment(const KeyAssignment& assignment) {
    KeyEditorState s = editorState();
    halvern::ShowAssignment(s, assignment, m_entry.defaults, categoryCount());
    applyEditorState(s);
}

bool CKeySetControlUI::IsComplete() const {
    return IsCompleteAssignment(editorState());
}

QString CKeySetControlUI::IncompleteTextId() const {
    const KeyEditorState s = editorState();
    if (IsCompleteAssignment(s)) return {};
    return QLatin1String(HasInvalidMacroCount(s) ? kMacroCountTextId : kIncompleteTextId);
}

KeyListEntry CKeySetControlUI::ReadAssignment() {
    m_entry.current = halvern::ReadAssignment(editorState(), m_entry.current, m_entry.defaults);
    return m_entry;
}

void CKeySetControlUI::SetCurrent(const KeyAssignment& assignment) {
    m_entry.current = assignment;
}

void CKeySetControlUI::ShowDefault() {
    ShowAssignment(m_entry.defaults);
}

void CKeySetControlUI::ShowCurrent() {
    ShowAssignment(m_entry.current);
}

KeyListEntry CKeySetControlUI::RestoreDefault() {
    const uint16_t key = m_entry.current.keyIndex;
    m_entry.current = m_entry.defaults;
    m_entry.current.keyIndex = key;
    ShowAssignment(m_entry.current);
    return m_entry;
}

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
    auto* macros = findControl<QComboBox>(m_content, QStringLiteral("keyset_macro_combo"));
    if (!macros) return;
    const QSignalBlocker quiet(macros);
    macros->clear();
    for (const std::string& name : names) macros->addItem(QString::fromStdString(name));
}

int CKeySetControlUI::GetModifierBox() const {
    for (int k = 0; k < kModifierBoxes; ++k) {
        const QAbstractButton* box = m_boxes[static_cast<size_t>(k)];
        if (box && box->isChecked()) return k;
    }
    return -1;
}

void CKeySetControlUI::SetModifierBox(int k) {
    for (int i = 0; i < kModifierBoxes; ++i) {
        QAbstractButton* box = m_boxes[static_cast<size_t>(i)];
        if (!box) continue;
        // An exclusive box cannot be unchecked while it is the checked one; lift that for the moment.
        const bool exclusive = box->autoExclusive();
        box->setAutoExclusive(false);
        box->setChecked(i == k);
        box->setAutoExclusive(exclusive);
    }
}

void CKeySetControlUI::OnFunctionSelected() {
    if (!m_functionCombo) return;
    const int category = m_functionCombo->currentData(Qt::UserRole).toInt();
    if (m_pages && category >= 0 && category < m_pages->count()) m_pages->setCurrentIndex(category);
    if (category == key_category::kKeyboard) {
        m_keyTextId = {};
        m_capturedUsage = 0;
        m_keptModifiers = 0;
        showKeyText();
        SetModifierBox(0);
    }
}

void CKeySetControlUI::OnMacroOverSelected() {
    auto* over = findControl<QComboBox>(m_content, QStringLiteral("keyset_macro_over_combo"));
    if (over && m_macroCycleLayout)
        m_macroCycleLayout->setVisible(over->currentIndex() == kMacroOverCountIndex);
}

bool CKeySetControlUI::event(QEvent* event) {
    if (event->type() == LanguageTexts::AppliedEvent::type()) retranslate();
    return QWidget::event(event);
}

bool CKeySetControlUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_layout && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        placeTitle();
        return QWidget::eventFilter(watched, event);
    }
    if (watched != m_keyEdit ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QWidget::eventFilter(watched, event);
    // Every key belongs to the capture while the field has the focus: none types, none is a shortcut.
    event->accept();
    if (event->type() == QEvent::ShortcutOverride) return true;
    const auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<ScanCode> scan = ScanFromXkbKeycode(key->nativeScanCode());
    if (!key->isAutoRepeat() && scan) (void)OnKeyCaptured(scan->scan, scan->extended);
    return true;
}

std::optional<KeyAssignment> CKeySetControlUI::OnKeyCaptured(uint8_t scan, bool extended) {
    KeyEditorState s = editorState();
    const std::optional<KeyAssignment> captured = CaptureKey(s, m_entry.current, scan, extended);
    if (!captured) return std::nullopt;
    applyEditorState(s);
    return captured;
}

}  // namespace halvern::ui
