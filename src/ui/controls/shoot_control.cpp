#include "ui/controls/shoot_control.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "device/debug_sink.h"
#include "input/key_tables.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

constexpr int kBulletColumns = 10;

QPushButton* button(const QString& name, const QString& textId, QWidget* parent) {
    auto* b = new QPushButton(parent);  // owned by the parent
    b->setObjectName(name);
    if (!textId.isEmpty()) b->setProperty("textId", textId);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QLineEdit* numberEdit(const char* name, int max, QWidget* parent) {
    auto* edit = new QLineEdit(parent);  // owned by the parent
    edit->setObjectName(QLatin1String(name));
    edit->setValidator(new QIntValidator(0, max, edit));  // owned by the edit
    edit->setMaxLength(QString::number(max).size());
    edit->setFixedWidth(72);
    return edit;
}

QString gunOption(int gun) {
    return QStringLiteral("shoot_gun_op_%1").arg(gun);
}

QString bulletOption(int bullet) {
    return QStringLiteral("bullet_op_%1").arg(bullet);
}

}  // namespace

CShootControlUI::CShootControlUI(QWidget* parent) : QWidget(parent) {
    build();
}

CShootControlUI::~CShootControlUI() = default;

void CShootControlUI::build() {
    auto* box = new QVBoxLayout(this);  // every widget below is owned by this control's tree
    box->setContentsMargins(0, 0, 0, 0);

    auto* guns = new QHBoxLayout;
    box->addLayout(guns);
    for (int gun = 0; gun < RecoilStore::kGuns; ++gun) {
        QPushButton* option =
            button(gunOption(gun), QString::fromUtf8(kRecoilNames[static_cast<size_t>(gun)].data()), this);
        option->setCheckable(true);
        option->setAutoExclusive(true);
        option->setProperty("role", QStringLiteral("tab"));
        guns->addWidget(option);
        connect(option, &QPushButton::clicked, this, [this, gun] {
            SelectGun(gun);
            ShowShot();
        });
    }
    guns->addStretch(1);
    for (const auto& [name, textId] : {std::pair{"shootdate_import_btn", "shootdate_import_text"},
                                       std::pair{"shootdate_export_btn", "shootdate_export_text"},
                                       std::pair{"shootdate_reset_btn", "shootdate_reset_text"},
                                       std::pair{"shootdate_save_btn", "shootdate_save_text"}}) {
        guns->addWidget(button(QLatin1String(name), QLatin1String(textId), this));
    }

    m_pictures = new QStackedWidget(this);
    m_pictures->setObjectName(QStringLiteral("shoot_image_display_switch"));
    for (int gun = 0; gun < RecoilStore::kGuns; ++gun) {
        auto* picture = new QLabel(m_pictures);
        picture->setObjectName(QStringLiteral("shoot_image_%1").arg(gun));
        picture->setProperty("textId", QString::fromUtf8(kRecoilNames[static_cast<size_t>(gun)].data()));
        picture->setProperty("role", QStringLiteral("section"));
        m_pictures->addWidget(picture);
    }
    box->addWidget(m_pictures);

    auto* editArea = new QWidget(this);
    editArea->setObjectName(QStringLiteral("bullet_edit_layout"));
    box->addWidget(editArea);
    auto* edits = new QVBoxLayout(editArea);
    edits->setContentsMargins(0, 0, 0, 0);
    auto* bullets = new QGridLayout;
    edits->addLayout(bullets);
    for (int b = 0; b < RecoilStore::kShots; ++b) {
        QPushButton* option = button(bulletOption(b), {}, editArea);
        option->setText(QString::number(b + 1));
        option->setCheckable(true);
        option->setFixedWidth(36);
        bullets->addWidget(option, b / kBulletColumns, b % kBulletColumns);
        connect(option, &QPushButton::clicked, this, [this, b] { SelectBullet(b); });
    }

    auto* shot = new QHBoxLayout;
    edits->addLayout(shot);
    QPushButton* previous = button(QStringLiteral("bullet_selected_prev"), {}, editArea);
    previous->setText(QStringLiteral("‹"));
    m_bulletIndex = new QLabel(editArea);
    m_bulletIndex->setObjectName(QStringLiteral("bullet_select_index"));
    m_bulletIndex->setMinimumWidth(28);
    m_bulletIndex->setAlignment(Qt::AlignCenter);
    QPushButton* next = button(QStringLiteral("bullet_selected_next"), {}, editArea);
    next->setText(QStringLiteral("›"));
    m_xCheck = new QCheckBox(editArea);
    m_xCheck->setObjectName(QStringLiteral("bullet_x_check"));
    m_yCheck = new QCheckBox(editArea);
    m_yCheck->setObjectName(QStringLiteral("bullet_y_check"));
    m_xEdit = numberEdit("bullet_x_eidt", RecoilStore::kMaxOffset, editArea);
    m_yEdit = numberEdit("bullet_y_eidt", RecoilStore::kMaxOffset, editArea);
    m_delayEdit = numberEdit("bullet_delay_eidt", RecoilStore::kMaxDelay, editArea);
    auto* delayLabel = new QLabel(editArea);
    delayLabel->setProperty("textId", QStringLiteral("bullet_delay_text"));
    shot->addWidget(previous);
    shot->addWidget(m_bulletIndex);
    shot->addWidget(next);
    shot->addSpacing(16);
    shot->addWidget(m_xCheck);
    shot->addWidget(m_xEdit);
    shot->addWidget(m_yCheck);
    shot->addWidget(m_yEdit);
    shot->addWidget(delayLabel);
    shot->addWidget(m_delayEdit);
    shot->addStretch(1);
    box->addStretch(1);

    connect(previous, &QPushButton::clicked, this, &CShootControlUI::PreviousBullet);
    connect(next, &QPushButton::clicked, this, &CShootControlUI::NextBullet);
    connect(m_xCheck, &QCheckBox::toggled, this, &CShootControlUI::relabel);
    connect(m_yCheck, &QCheckBox::toggled, this, &CShootControlUI::relabel);
    for (QLineEdit* edit : {m_xEdit.data(), m_yEdit.data(), m_delayEdit.data()})
        connect(edit, &QLineEdit::editingFinished, this, &CShootControlUI::SaveShot);
    connect(findChild<QPushButton*>(QStringLiteral("shootdate_reset_btn")), &QPushButton::clicked, this,
            &CShootControlUI::ResetGun);
    connect(findChild<QPushButton*>(QStringLiteral("shootdate_save_btn")), &QPushButton::clicked, this,
            &CShootControlUI::WriteToMouse);
    connect(
        findChild<QPushButton*>(QStringLiteral("shootdate_import_btn")), &QPushButton::clicked, this, [this] {
            ImportFrom(QFileDialog::getOpenFileName(this, QString(), QString(), QLatin1String(kFileFilter)));
        });
    connect(
        findChild<QPushButton*>(QStringLiteral("shootdate_export_btn")), &QPushButton::clicked, this, [this] {
            ExportTo(QFileDialog::getSaveFileName(this, QString(), QString(), QLatin1String(kFileFilter)));
        });
}

QString CShootControlUI::textOf(const char* id) const {
    return m_texts ? m_texts->text(QLatin1String(id)) : QLatin1String(id);
}

void CShootControlUI::SetTexts(const LanguageTexts* texts) {
    m_texts = texts;
    if (m_texts) m_texts->apply(this);
    relabel();
}

void CShootControlUI::SetFolders(const std::filesystem::path& folder,
                                 const std::filesystem::path& defaultFolder) {
    m_store = RecoilStore(folder, defaultFolder);
    // A pattern that cannot be restored shows zeros; the mouse then takes what the file holds.
    if (!m_store.RestoreMissing()) debugLog("a recoil pattern could not be restored from the shipped copy");
    SelectGun(0);
    SelectBullet(0);
}

void CShootControlUI::SelectGun(int gun) {
    m_gun = std::clamp(gun, 0, RecoilStore::kGuns - 1);
    for (int g = 0; g < RecoilStore::kGuns; ++g) {
        if (auto* option = findChild<QPushButton*>(gunOption(g))) option->setChecked(g == m_gun);
    }
    m_pictures->setCurrentIndex(m_gun);
}

void CShootControlUI::SelectBullet(int bullet) {
    m_bullet = std::clamp(bullet, 0, RecoilStore::kShots - 1);
    for (int b = 0; b < RecoilStore::kShots; ++b) {
        if (auto* option = findChild<QPushButton*>(bulletOption(b))) option->setChecked(b == m_bullet);
    }
    m_bulletIndex->setText(QString::number(m_bullet + 1));
    ShowShot();
}

void CShootControlUI::ShowShot() {
    if (m_bullet < 0) return;
    const RecoilShot shot = m_store.ReadShot(m_gun, m_bullet);
    {
        const QSignalBlocker quietX(m_xCheck);
        const QSignalBlocker quietY(m_yCheck);
        m_xCheck->setChecked(shot.left);
        m_yCheck->setChecked(shot.up);
    }
    relabel();
    m_xEdit->setText(QString::number(shot.x));
    m_yEdit->setText(QString::number(shot.y));
    m_delayEdit->setText(QString::number(shot.delay));
}

void CShootControlUI::relabel() {
    m_xCheck->setText(textOf(m_xCheck->isChecked() ? "mouse_move_to_left_text" : "mouse_move_to_right_text"));
    m_yCheck->setText(textOf(m_yCheck->isChecked() ? "mouse_move_to_up_text" : "mouse_move_to_down_text"));
}

void CShootControlUI::SaveShot() {
    if (m_bullet < 0) return;
    const RecoilShot shot{m_xEdit->text().toInt(), m_xCheck->isChecked(), m_yEdit->text().toInt(),
                          m_yCheck->isChecked(), m_delayEdit->text().toInt()};
    if (m_store.SaveShot(m_gun, m_bullet, shot)) return;
    failed();
    ShowShot();  // the file keeps the shot it had
}

void CShootControlUI::ResetGun() {
    if (!m_store.Reset(m_gun)) failed();  // no shipped copy: the pattern stays as it was
    SelectBullet(m_bullet);
}

void CShootControlUI::ImportFrom(const QString& path) {
    if (path.isEmpty()) return;
    if (!m_store.Import(m_gun, path.toStdString())) failed();  // an unreadable source changes nothing
    SelectBullet(m_bullet);
}

void CShootControlUI::ExportTo(const QString& path) {
    if (path.isEmpty()) return;
    if (!m_store.Export(m_gun, path.toStdString())) failed();
}

void CShootControlUI::failed() {
    if (m_message) m_message(QStringLiteral("shoot_file_failed_text"));
}

void CShootControlUI::WriteToMouse() {
    if (m_writeToMouse) m_writeToMouse();
}

}  // namespace halvern::ui
