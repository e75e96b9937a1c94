#include "ui/controls/macro_control.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <optional>

#include "hook/evdev_input_hook.h"
#include "hook/x11_input_hook.h"
#include "input/key_tables.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/save_file.h"

namespace halvern::ui {
namespace {

constexpr int kDelayDigits = 6;

/// The message of a refused macro import.
QString importRefusalTextId(ImportResult result) {
    if (result == ImportResult::NotEvents) return QStringLiteral("macro_import_wrong_text");
    if (result == ImportResult::ListFull) return QStringLiteral("macro_import_full_text");
    return QStringLiteral("macro_import_failed_text");
}
constexpr int kMaxDelay = 65535;
constexpr int kRowHeight = 30;

/// The delay cells edit digits only, at most six of them, 0-65535.
class DelayDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);  // owned by the view
        edit->setObjectName(QStringLiteral("macro_delay"));
        edit->setMaxLength(kDelayDigits);
        edit->setValidator(new QIntValidator(0, kMaxDelay, edit));  // owned by the edit
        return edit;
    }
};

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPushButton* button(const char* name, const char* textId, QWidget* parent) {
    auto* b = new QPushButton(parent);  // owned by the parent
    b->setObjectName(QLatin1String(name));
    b->setProperty("textId", QLatin1String(textId));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

struct MovementControl {
    const char* button;
    const char* edit;
    const char* textId;
    Movement movement;
};
constexpr std::array<MovementControl, 4> kMovementControls{{
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", "mouse_move_to_left_text", Movement::Left},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", "mouse_move_to_right_text", Movement::Right},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", "mouse_move_to_up_text", Movement::Up},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", "mouse_move_to_down_text", Movement::Down},
}};

struct RowMoveControl {
    const char* button;
    const char* textId;
    RowMove move;
};
constexpr std::array<RowMoveControl, 4> kRowMoveControls{{
    {"macro_btn_up", "macro_btn_up_text", RowMove::Up},
    {"macro_btn_down", "macro_btn_down_text", RowMove::Down},
    {"macro_btn_uptop", "macro_btn_uptop_text", RowMove::Top},
    {"macro_btn_downbottom", "macro_btn_downbottom_text", RowMove::Bottom},
}};

/// The action menu: one submenu per mouse button, each with press, release and click.
struct MenuButton {
    const char* prefix;
    const char* textId;
};
constexpr std::array<MenuButton, 5> kMenuButtons{{
    {"left", "mouse_key_left"},
    {"middle", "mouse_key_middle"},
    {"right", "mouse_key_right"},
    {"forward", "mouse_key_forward"},
    {"back", "mouse_key_back"},
}};
constexpr std::array<std::pair<const char*, const char*>, 3> kMenuActions{{
    {"_down", "macro_menu_press_text"},
    {"_up", "macro_menu_release_text"},
    {"_click", "macro_menu_click_text"},
}};

/// The action menu's recording commands: where the events go and how their delays are measured (record
/// time follows the "macro_check_time" option: constant when it is checked).
struct RecordCommand {
    const char* item;
    const char* textId;
    std::optional<TimingMode> timing;  ///< none: recorded time, or constant with "macro_check_time"
    HookMode hook;
};
constexpr std::array<RecordCommand, 7> kRecordCommands{{
    {"redio_previous_record_time", "macro_timing_record_text", std::nullopt, HookMode::Before},
    {"redio_previous_constant_time", "macro_timing_constant_text", TimingMode::Constant, HookMode::Before},
    {"redio_previous_ignore_time", "macro_timing_ignore_text", TimingMode::Ignore, HookMode::Before},
    {"redio_later_record_time", "macro_timing_record_text", std::nullopt, HookMode::After},
    {"redio_later_constant_time", "macro_timing_constant_text", TimingMode::Constant, HookMode::After},
    {"redio_later_ignore_time", "macro_timing_ignore_text", TimingMode::Ignore, HookMode::After},
    {"macro_action_edit", "macro_action_edit_text", TimingMode::Ignore, HookMode::Replace},
}};

/// Controls that work on the selected macro only.
constexpr std::array<const char*, 5> kMacroControls{"macro_action_layout", "mouse_move_layout",
                                                    "macro_btn_export", "macro_btn_name_sub",
                                                    "macro_btn_name_edit"};

bool isLeftPress(const InputEvent& event) {
    constexpr uint8_t kLeftButton = 1;
    return event.kind == InputEvent::Kind::Button && event.button == kLeftButton && event.down;
}

}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent) {
    build();
    setMacroControlsEnabled(false);
    // Recording reads the X display's input, or in a Wayland session the kernel's input devices; with
    // neither (offscreen) there is nothing to record.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        SetHookFactory([] { return MakeX11InputHook(); });
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        SetHookFactory([] { return MakeEvdevInputHook(); });
        m_failureTextId = QStringLiteral("macro_record_input_group_text");
    } else {
        SetHookFactory({});
    }
}

CMacroControlUI::~CMacroControlUI() {
    if (m_hook) m_hook->Stop();  // no event is on its way here once it returns
}

void CMacroControlUI::build() {
    auto* box = new QHBoxLayout(this);  // every widget below is owned by this control's tree
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(12);

    auto* nameArea = new QWidget(this);
    nameArea->setObjectName(QStringLiteral("macro_name_tab"));
    nameArea->setFixedWidth(200);
    box->addWidget(nameArea, 0);
    auto* left = new QVBoxLayout(nameArea);
    left->setContentsMargins(0, 0, 0, 0);
    m_names = new QListWidget(nameArea);
    m_names->setObjectName(QStringLiteral("macro_name_list"));
    left->addWidget(m_names, 1);
    m_newName = new QLineEdit(nameArea);
    m_newName->setObjectName(QStringLiteral("macro_edit_macroname"));
    left->addWidget(m_newName);
    auto* nameButtons = new QHBoxLayout;
    left->addLayout(nameButtons);
    auto* add = button("macro_btn_name_add", "macro_btn_name_add_text", nameArea);
    auto* sub = button("macro_btn_name_sub", "macro_btn_name_sub_text", nameArea);
    auto* rename = button("macro_btn_name_edit", "macro_btn_name_edit_text", nameArea);
    for (QPushButton* b : {add, sub, rename}) nameButtons->addWidget(b);
    auto* fileButtons = new QHBoxLayout;
    left->addLayout(fileButtons);
    auto* import = button("macro_btn_import", "macro_btn_import_text", nameArea);
    auto* exportButton = button("macro_btn_export", "macro_btn_export_text", nameArea);
    fileButtons->addWidget(import);
    fileButtons->addWidget(exportButton);

    auto* actionArea = new QWidget(this);
    actionArea->setObjectName(QStringLiteral("macro_action_layout"));
    box->addWidget(actionArea, 1);
    auto* right = new QVBoxLayout(actionArea);
    right->setContentsMargins(0, 0, 0, 0);
    buildRecordControls(right, actionArea);
    // Named before it has columns: sizing the header's sections reads the style sheet's rules for them,
    // which name the list, and a list made under a window already styled keeps the rules read then.
    m_actions = new QTableWidget(actionArea);
    m_actions->setObjectName(QStringLiteral("macro_action_list"));
    m_actions->setColumnCount(3);
    m_actions->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_actions->setSelectionMode(QAbstractItemView::SingleSelection);
    m_actions->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    m_actions->setItemDelegateForColumn(kDelayColumn, new DelayDelegate(m_actions));
    m_actions->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_actions->verticalHeader()->setVisible(false);
    m_actions->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_actions->setContextMenuPolicy(Qt::CustomContextMenu);
    // The list takes the height; its commands stand in a column beside it, so the list shows its rows
    // even where the editor is short.
    auto* listRow = new QHBoxLayout;
    right->addLayout(listRow, 1);
    listRow->addWidget(m_actions, 1);
    auto* commands = new QVBoxLayout;
    listRow->addLayout(commands, 0);

    // Row commands two by two: moves, then deletes and save or undo.
    auto* rowButtons = new QGridLayout;
    commands->addLayout(rowButtons);
    int place = 0;
    for (const RowMoveControl& c : kRowMoveControls) {
        QPushButton* b = button(c.button, c.textId, actionArea);
        rowButtons->addWidget(b, place / 2, place % 2);
        ++place;
        connect(b, &QPushButton::clicked, this, [this, move = c.move] { MoveRow(move); });
    }
    auto* deleteRow = button("macro_btn_delete", "macro_btn_delete_text", actionArea);
    auto* deleteAll = button("macro_btn_deleteall", "macro_btn_deleteall_text", actionArea);
    auto* save = button("macro_btn_save", "macro_btn_save_text", actionArea);
    auto* cancel = button("macro_btn_cancel", "macro_btn_cancel_text", actionArea);
    for (QPushButton* b : {deleteRow, deleteAll, save, cancel}) {
        rowButtons->addWidget(b, place / 2, place % 2);
        ++place;
    }

    // Then the mouse movements, one distance and its button a line.
    auto* moveArea = new QWidget(actionArea);
    moveArea->setObjectName(QStringLiteral("mouse_move_layout"));
    commands->addWidget(moveArea);
    commands->addStretch(1);
    auto* moves = new QGridLayout(moveArea);
    moves->setContentsMargins(0, 0, 0, 0);
    place = 0;
    for (const MovementControl& c : kMovementControls) {
        auto* edit = new QLineEdit(QStringLiteral("10"), moveArea);
        edit->setObjectName(QLatin1String(c.edit));
        edit->setMaxLength(3);
        edit->setValidator(new QIntValidator(0, 999, edit));  // owned by the edit
        edit->setFixedWidth(48);
        QPushButton* b = button(c.button, c.textId, moveArea);
        moves->addWidget(edit, place, 0);
        moves->addWidget(b, place, 1);
        ++place;
        connect(b, &QPushButton::clicked, this, [this, movement = c.movement] { InsertMovement(movement); });
    }

    m_menu = std::make_unique<QMenu>();
    m_menu->setObjectName(QStringLiteral("macro_action_menu"));
    for (const MenuButton& mb : kMenuButtons) {
        QMenu* buttonMenu = m_menu->addMenu(QLatin1String(mb.textId));
        buttonMenu->setProperty("textId", QLatin1String(mb.textId));
        for (const auto& [suffix, textId] : kMenuActions) {
            QAction* action = buttonMenu->addAction(QLatin1String(textId));
            action->setObjectName(QLatin1String(mb.prefix) + QLatin1String(suffix));
            action->setProperty("textId", QLatin1String(textId));
            connect(action, &QAction::triggered, this,
                    [this, name = action->objectName().toStdString()] { InsertMenuItem(name); });
        }
    }

    m_menu->addSeparator()->setObjectName(QStringLiteral("macro_record_separator"));
    QMenu* before = m_menu->addMenu(QStringLiteral("macro_record_before_text"));
    before->setObjectName(QStringLiteral("macro_record_before_menu"));
    before->setProperty("textId", QStringLiteral("macro_record_before_text"));
    QMenu* after = m_menu->addMenu(QStringLiteral("macro_record_after_text"));
    after->setObjectName(QStringLiteral("macro_record_after_menu"));
    after->setProperty("textId", QStringLiteral("macro_record_after_text"));
    for (const RecordCommand& c : kRecordCommands) {
        QMenu* into = c.hook == HookMode::Before ? before : c.hook == HookMode::After ? after : m_menu.get();
        QAction* action = into->addAction(QLatin1String(c.textId));
        action->setObjectName(QLatin1String(c.item));
        action->setProperty("textId", QLatin1String(c.textId));
        connect(action, &QAction::triggered, this, [this, item = c.item] { startRecordingCommand(item); });
    }

    connect(add, &QPushButton::clicked, this, &CMacroControlUI::AddMacro);
    connect(sub, &QPushButton::clicked, this, &CMacroControlUI::DeleteMacro);
    connect(rename, &QPushButton::clicked, this, &CMacroControlUI::RenameMacro);
    connect(save, &QPushButton::clicked, this, &CMacroControlUI::SaveMacro);
    connect(cancel, &QPushButton::clicked, this, &CMacroControlUI::CancelEdits);
    connect(deleteRow, &QPushButton::clicked, this, &CMacroControlUI::DeleteRow);
    connect(deleteAll, &QPushButton::clicked, this, &CMacroControlUI::DeleteAllRows);
    connect(import, &QPushButton::clicked, this, [this] {
        ImportFrom(QFileDialog::getOpenFileName(this, QString(), QString(), QLatin1String(kFileFilter)));
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (selectedMacro() < 0) return;
        ExportTo(chooseSaveFile(this, QLatin1String(kFileFilter), QLatin1String(kFileExtension)));
    });
    connect(m_names, &QListWidget::currentRowChanged, this, [this] { ShowMacro(); });
    connect(m_actions, &QTableWidget::itemSelectionChanged, this, [this] {
        if (m_showing) return;
        const QList<QTableWidgetItem*> selected = m_actions->selectedItems();
        m_rows.selected = selected.isEmpty() ? -1 : selected.front()->row();
    });
    connect(m_actions, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_showing && item->column() == kDelayColumn) SetRowDelay(item->row(), item->text());
    });
    connect(m_actions, &QWidget::customContextMenuRequested, this, &CMacroControlUI::openActionMenu);
}

QString CMacroControlUI::textOf(std::string_view id) const {
    return m_texts ? m_texts->text(fromView(id)) : fromView(id);
}

void CMacroControlUI::SetTexts(const LanguageTexts* texts) {
    m_texts = texts;
    if (!m_texts) return;
    m_texts->apply(this);
    m_actions->setHorizontalHeaderLabels({m_texts->text(QStringLiteral("macro_column_action")),
                                          m_texts->text(QStringLiteral("macro_column_state")),
                                          m_texts->text(QStringLiteral("macro_column_delay"))});
    m_newName->setPlaceholderText(m_texts->text(QStringLiteral("macro_edit_macroname_hint")));
    const auto translate = [this](QObject* o, auto set) {
        const QString id = o->property("textId").toString();
        if (!id.isEmpty()) set(m_texts->text(id));
    };
    for (QAction* action : m_menu->findChildren<QAction*>())
        translate(action, [action](const QString& t) { action->setText(t); });
    for (QMenu* sub : m_menu->findChildren<QMenu*>())
        translate(sub, [sub](const QString& t) { sub->setTitle(t); });
    showRows();
}

void CMacroControlUI::SetFolder(const std::filesystem::path& folder) {
    m_store = MacroStore(folder);
    fillNames(-1);
}

int CMacroControlUI::selectedMacro() const {
    const int row = m_names ? m_names->currentRow() : -1;
    return row >= 0 && row < m_names->count() ? row : -1;
}

void CMacroControlUI::fillNames(int select) {
    const std::vector<MacroEntry> list = m_store.LoadMacroList();
    {
        const QSignalBlocker quiet(m_names);
        m_names->clear();
        for (const MacroEntry& entry : list) {
            auto* item =
                new QListWidgetItem(QString::fromStdString(entry.name), m_names);  // owned by the list
            item->setData(Qt::UserRole, QString::fromStdString(entry.guid));
            item->setSizeHint(QSize(0, kRowHeight));
        }
        m_names->setCurrentRow(select < m_names->count() ? select : -1);
    }
    ShowMacro();
}

void CMacroControlUI::setMacroControlsEnabled(bool enabled) {
    for (const char* name : kMacroControls) {
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(enabled);
    }
}

void CMacroControlUI::ShowMacro() {
    const int at = selectedMacro();
    const QString guid = at < 0 ? QString() : m_names->item(at)->data(Qt::UserRole).toString();
    setMacroControlsEnabled(!guid.isEmpty());
    m_rows = {};
    if (!guid.isEmpty()) m_rows.events = m_store.LoadMacro(guid.toStdString());
    showRows();
}

void CMacroControlUI::showRows() {
    m_showing = true;
    m_actions->setRowCount(static_cast<int>(m_rows.events.size()));
    for (int row = 0; row < m_actions->rowCount(); ++row) fillRow(row);
    showRowSelection();
    m_showing = false;
}

void CMacroControlUI::fillRow(int row) {
    const MacroEvent& e = m_rows.events[static_cast<size_t>(row)];
    const bool key = e.type == macro_event_type::kKey || e.type == macro_event_type::kModifier;
    const bool movement =
        e.type == macro_event_type::kMoveHorizontal || e.type == macro_event_type::kMoveVertical;
    auto* name = new QTableWidgetItem(textOf(EventTextId(e)));  // owned by the table
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    name->setData(Qt::UserRole, key ? QStringLiteral("macro_label_keyboard_style")
                                    : QStringLiteral("macro_label_mouse_style"));
    QString state;
    if (movement) {
        state = QString::number(e.button);
    } else if (e.type != 2 && e.type != 3) {
        state = textOf(e.down ? "macro_state_down" : "macro_state_up");
    }
    auto* stateItem = new QTableWidgetItem(state);  // owned by the table
    stateItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    auto* delay = new QTableWidgetItem(QString::number(e.delay));  // owned by the table
    delay->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    m_actions->setItem(row, kNameColumn, name);
    m_actions->setItem(row, kStateColumn, stateItem);
    m_actions->setItem(row, kDelayColumn, delay);
}

void CMacroControlUI::showRowSelection() {
    const bool quiet = m_showing;
    m_showing = true;
    m_actions->clearSelection();
    if (m_rows.selected >= 0 && m_rows.selected < m_actions->rowCount()) {
        m_actions->selectRow(m_rows.selected);
        m_actions->scrollToItem(m_actions->item(m_rows.selected, kNameColumn));
    }
    m_showing = quiet;
}

void CMacroControlUI::SelectMacro(int position) {
    m_names->setCurrentRow(position);
}

void CMacroControlUI::SelectRow(int row) {
    m_rows.selected = row >= 0 && row < static_cast<int>(m_rows.events.size()) ? row : -1;
    showRowSelection();
}

void CMacroControlUI::store() {
    const int at = selectedMacro();
    if (at < 0 || m_names->item(at)->data(Qt::UserRole).toString().isEmpty()) return;
    if (!m_store.SaveMacro(at, m_rows.events) && m_hooks.message)
        m_hooks.message(QStringLiteral("macro_save_failed_text"));
}

void CMacroControlUI::AddMacro() {
    const std::string name = m_store.AddMacro();
    if (name.empty()) return;  // a full list (or one that cannot be written) adds nothing
    fillNames(static_cast<int>(m_store.LoadMacroList().size()) - 1);
    if (m_hooks.namesChanged) m_hooks.namesChanged();
}

void CMacroControlUI::DeleteMacro() {
    const int at = selectedMacro();
    if (at < 0) return;
    if (m_hooks.confirm && !m_hooks.confirm(QStringLiteral("message_text_4"))) return;
    if (m_hooks.macroInUse && m_hooks.macroInUse(at) && m_hooks.confirm &&
        !m_hooks.confirm(QStringLiteral("message_text_2")))
        return;
    const bool deleted = m_hooks.deleteMacro ? m_hooks.deleteMacro(at) : m_store.DeleteMacro(at) == at;
    if (!deleted) return;
    fillNames(0);
    if (m_hooks.namesChanged) m_hooks.namesChanged();
}

void CMacroControlUI::RenameMacro() {
    const int at = selectedMacro();
    if (at < 0) return;
    switch (m_store.RenameMacro(at, m_newName->text().toStdString())) {
        case RenameResult::kDone:
            m_names->item(at)->setText(m_newName->text());
            m_newName->clear();
            if (m_hooks.namesChanged) m_hooks.namesChanged();
            return;
        case RenameResult::kDuplicate:
            if (m_hooks.message) m_hooks.message(QStringLiteral("message_text_5"));
            return;
        case RenameResult::kBlank:
            if (m_hooks.message) m_hooks.message(QStringLiteral("message_text_25"));
            return;
        case RenameResult::kInvalid:
            if (m_hooks.message) m_hooks.message(QStringLiteral("name_invalid_text"));
            return;
        case RenameResult::kFailed:
            return;
    }
}

void CMacroControlUI::SaveMacro() {
    store();
}

void CMacroControlUI::CancelEdits() {
    ShowMacro();
}

void CMacroControlUI::ImportFrom(const QString& path) {
    if (path.isEmpty()) return;
    const MacroStore::Imported imported = m_store.ImportMacro(path.toStdString());
    if (imported.result != ImportResult::Imported) {
        if (m_hooks.message) m_hooks.message(importRefusalTextId(imported.result));
        return;
    }
    fillNames(static_cast<int>(m_store.LoadMacroList().size()) - 1);
    if (m_hooks.namesChanged) m_hooks.namesChanged();
}

void CMacroControlUI::ExportTo(const QString& chosen) {
    const int at = selectedMacro();
    const QString path = withExtension(chosen, QLatin1String(kFileExtension));
    if (at < 0 || path.isEmpty()) return;
    if (!m_store.ExportMacro(at, path.toStdString()) && m_hooks.message)
        m_hooks.message(QStringLiteral("macro_export_failed_text"));
}

void CMacroControlUI::MoveRow(RowMove move) {
    if (!MoveSelectedRow(m_rows, move)) return;
    showRows();
    store();
}

void CMacroControlUI::DeleteRow() {
    if (!DeleteSelectedRow(m_rows)) return;
    showRows();
    store();
}

void CMacroControlUI::DeleteAllRows() {
    if (selectedMacro() < 0) return;
    m_rows = {};
    showRows();
    store();
}

void CMacroControlUI::InsertMenuItem(std::string_view item) {
    const auto events = MenuItemEvents(item, m_fixedDelay);
    if (selectedMacro() < 0 || !events || !InsertAfterSelection(m_rows, *events)) return;
    showRows();
    store();
}

void CMacroControlUI::InsertMovement(Movement movement) {
    const auto& control = kMovementControls[static_cast<size_t>(movement)];
    const auto* edit = findChild<QLineEdit*>(QLatin1String(control.edit));
    const long distance = edit ? edit->text().toLong() : 0;
    if (selectedMacro() < 0 ||
        !InsertAfterSelection(m_rows, {MovementEvent(movement, distance, m_fixedDelay)}))
        return;
    showRows();
    store();
}

void CMacroControlUI::SetRowDelay(int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(m_rows.events.size())) return;
    const uint16_t delay = DelayFromText(text.trimmed().toStdString());
    m_rows.events[static_cast<size_t>(row)].delay = delay;
    if (QTableWidgetItem* item = m_actions->item(row, kDelayColumn);
        item && item->text() != QString::number(delay)) {
        m_showing = true;
        item->setText(QString::number(delay));
        m_showing = false;
    }
    store();
}

void CMacroControlUI::buildRecordControls(QLayout* box, QWidget* parent) {
    auto* row = new QHBoxLayout;
    static_cast<QBoxLayout*>(box)->addLayout(row);
    QPushButton* start = button("macro_btn_starredio", "macro_btn_starredio_text", parent);
    QPushButton* stop = button("macro_btn_stopredio", "macro_btn_stopredio_text", parent);
    stop->hide();
    auto* constant = new QCheckBox(parent);  // owned by the parent
    constant->setObjectName(QStringLiteral("macro_check_time"));
    constant->setProperty("textId", QStringLiteral("macro_check_time_text"));
    auto* fixed = new QLineEdit(QString::number(m_fixedDelay), parent);  // owned by the parent
    fixed->setObjectName(QStringLiteral("macro_fixed_time_edit"));
    fixed->setMaxLength(5);
    fixed->setValidator(new QIntValidator(0, kMaxDelay, fixed));  // owned by the edit
    fixed->setFixedWidth(64);
    row->addWidget(start);
    row->addWidget(stop);
    row->addStretch(1);
    row->addWidget(constant);
    row->addWidget(fixed);
    connect(start, &QPushButton::clicked, this, [this] {
        const auto* check = findChild<QCheckBox*>(QStringLiteral("macro_check_time"));
        BeginRecording(check && check->isChecked() ? TimingMode::Constant : TimingMode::Record,
                       HookMode::Append);
    });
    connect(stop, &QPushButton::pressed, this, &CMacroControlUI::stopPressed);
    connect(stop, &QPushButton::clicked, this, &CMacroControlUI::EndRecording);
}

void CMacroControlUI::SetHookFactory(std::function<std::unique_ptr<InputHook>()> factory) {
    m_hookFactory = std::move(factory);
    const bool available = static_cast<bool>(m_hookFactory);
    for (const char* name : {"macro_btn_starredio", "macro_check_time", "macro_fixed_time_edit"}) {
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setVisible(available);
    }
    for (const char* name : {"macro_record_before_menu", "macro_record_after_menu"}) {
        if (auto* menu = m_menu->findChild<QMenu*>(QLatin1String(name)))
            menu->menuAction()->setVisible(available);
    }
    for (const char* name : {"macro_action_edit", "macro_record_separator"}) {
        if (auto* action = m_menu->findChild<QAction*>(QLatin1String(name))) action->setVisible(available);
    }
}

void CMacroControlUI::startRecordingCommand(std::string_view item) {
    for (const RecordCommand& c : kRecordCommands) {
        if (c.item != item) continue;
        const auto* check = findChild<QCheckBox*>(QStringLiteral("macro_check_time"));
        const TimingMode recorded = check && check->isChecked() ? TimingMode::Constant : TimingMode::Record;
        BeginRecording(c.timing.value_or(recorded), c.hook);
    }
}

void CMacroControlUI::setLocked(bool locked) {
    for (const char* name : {"macro_name_tab", "mouse_move_layout"}) {
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(!locked);
    }
    for (QPushButton* b :
         findChild<QWidget*>(QStringLiteral("macro_action_layout"))->findChildren<QPushButton*>()) {
        const QString name = b->objectName();
        if (name != QLatin1String("macro_btn_stopredio") && name != QLatin1String("macro_btn_starredio"))
            b->setEnabled(!locked);
    }
    m_actions->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents, locked);
    m_actions->setContextMenuPolicy(locked ? Qt::NoContextMenu : Qt::CustomContextMenu);
    if (auto* w = findChild<QWidget*>(QStringLiteral("macro_fixed_time_edit"))) w->setEnabled(!locked);
    if (auto* w = findChild<QWidget*>(QStringLiteral("macro_check_time"))) w->setEnabled(!locked);
    findChild<QWidget*>(QStringLiteral("macro_btn_starredio"))->setVisible(!locked);
    findChild<QWidget*>(QStringLiteral("macro_btn_stopredio"))->setVisible(locked);
}

void CMacroControlUI::BeginRecording(TimingMode timing, HookMode hook) {
    if (m_hook || selectedMacro() < 0 || !m_hookFactory) return;
    if (timing == TimingMode::Constant) {
        auto* fixed = findChild<QLineEdit*>(QStringLiteral("macro_fixed_time_edit"));
        const unsigned long typed = fixed ? fixed->text().toULong() : m_fixedDelay;
        if (typed != m_fixedDelay) {
            m_fixedDelay = static_cast<uint16_t>(std::min<unsigned long>(typed, kMaxDelay));
            fixed->setText(QString::number(m_fixedDelay));
            fixed->setCursorPosition(static_cast<int>(fixed->text().size()));
        }
    }
    m_recorder.Begin(timing, hook, m_fixedDelay, SteadyMilliseconds());
    m_lastLeftPress.reset();
    setLocked(true);
    m_hook = m_hookFactory();
    // The hook calls from its own thread; the event is handled here, on this control's thread. Once the
    // hook is stopped no call is running, and calls already queued die with this control.
    const bool started = m_hook && m_hook->Start(
                                       [this, session = ++m_session](const InputEvent& e) {
                                           QMetaObject::invokeMethod(
                                               this,
                                               [this, e, session] {
                                                   // Events still queued from an earlier recording are not
                                                   // this one's.
                                                   if (session == m_session) OnHookEvent(e);
                                               },
                                               Qt::QueuedConnection);
                                       },
                                       true);
    if (!started) {
        m_hook.reset();
        setLocked(false);
        if (m_hooks.message) m_hooks.message(m_failureTextId);
        return;
    }
    if (m_hooks.recordingChanged) m_hooks.recordingChanged(true);
}

void CMacroControlUI::EndRecording() {
    if (!m_hook) return;
    m_hook->Stop();
    m_hook.reset();
    setLocked(false);
    if (m_hooks.recordingChanged) m_hooks.recordingChanged(false);
    store();
}

QRect devicePixelRect(const QRect& logical, const QRect& screen, qreal ratio) {
    const QPointF origin = screen.topLeft();
    const QPointF topLeft = origin + (QPointF(logical.topLeft()) - origin) * ratio;
    return QRectF(topLeft, QSizeF(logical.size()) * ratio).toAlignedRect();
}

bool CMacroControlUI::onStopButton(const InputEvent& event) const {
    const auto* stop = findChild<QPushButton*>(QStringLiteral("macro_btn_stopredio"));
    if (!stop || event.kind != InputEvent::Kind::Button) return false;
    // Qt has taken the press on the button already: this is the same click, seen later by the hook.
    if (stop->isDown()) return true;
    if (!event.positioned) return false;
    const QScreen* screen = stop->screen();
    const QRect logical(stop->mapToGlobal(QPoint(0, 0)), stop->size());
    const QRect area =
        screen ? devicePixelRect(logical, screen->geometry(), screen->devicePixelRatio()) : logical;
    return area.contains(event.x, event.y);
}

void CMacroControlUI::stopPressed() {
    // Without a position the hook cannot tell the stop click from another one. Its press usually arrives
    // before Qt's (the hook reads the devices directly): a left press recorded just now and not released
    // yet is this click and is taken back. A press that comes later is dropped on arrival (onStopButton),
    // and so is the release while the button is down; after the click the recording has ended.
    constexpr uint32_t kSameClickMs = 500;
    if (!m_hook || !m_lastLeftPress || SteadyMilliseconds() - m_lastLeftPress->timeMs > kSameClickMs) return;
    m_rows = std::move(m_lastLeftPress->before);
    m_lastLeftPress.reset();
    showRows();
}

void CMacroControlUI::OnHookEvent(const InputEvent& event) {
    if (!m_hook || !m_awake) return;
    const bool onStop = onStopButton(event);
    const size_t count = m_rows.events.size();
    const int selected = m_rows.selected;
    std::optional<MacroRows> before;
    if (isLeftPress(event) && !onStop) before = m_rows;
    if (!m_recorder.Record(m_rows, event, onStop)) return;
    if (before) {
        m_lastLeftPress = LeftPress{std::move(*before), event.timeMs};
    } else {
        m_lastLeftPress.reset();
    }
    // One row is new (with the delay of the row before it changed) or one row changed: only those are
    // shown again, so a long macro records as fast as a short one.
    m_showing = true;
    if (m_rows.events.size() == count) {
        fillRow(m_rows.selected);
    } else {
        const HookMode hook = m_recorder.hook();
        const int at = hook == HookMode::Append   ? static_cast<int>(count)
                       : hook == HookMode::Before ? selected
                                                  : selected + 1;
        m_actions->insertRow(at);
        fillRow(at);
        if (at > 0) fillRow(at - 1);
    }
    showRowSelection();
    m_showing = false;
    // The list scrolls to the new row once it has laid out the rows.
    QTimer::singleShot(50, this, [this] {
        if (m_rows.selected >= 0 && m_rows.selected < m_actions->rowCount())
            m_actions->scrollToItem(m_actions->item(m_rows.selected, kNameColumn));
    });
}

void CMacroControlUI::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) EndRecording();
    QWidget::hideEvent(event);
}

void CMacroControlUI::showEvent(QShowEvent* event) {
    const int header = m_actions->horizontalHeader()->sizeHint().height();
    m_actions->setMinimumHeight(header + kShownRows * kRowHeight + 2 * m_actions->frameWidth());
    QWidget::showEvent(event);
}

void CMacroControlUI::openActionMenu(const QPoint& at) {
    if (selectedMacro() < 0) return;
    const QModelIndex index = m_actions->indexAt(at);
    if (index.isValid()) SelectRow(index.row());
    m_menu->close();
    m_menu->popup(m_actions->viewport()->mapToGlobal(at));
}

}  // namespace halvern::ui
