#include "ui/controls/shoot_control.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <array>
#include <cmath>

#include "device/debug_sink.h"
#include "input/key_tables.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/save_file.h"

namespace halvern::ui {
namespace {

constexpr int kBulletColumns = 6;

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
    edit->setMaxLength(static_cast<int>(QString::number(max).size()));
    edit->setFixedWidth(72);
    return edit;
}

/// A gun's picture: the path the pattern pulls the aim along, shot by shot from the top, with the shot
/// being edited marked. It reads the pattern when it is painted, so it always shows the file.
class RecoilPathView final : public QWidget {
public:
    RecoilPathView(const RecoilStore& store, int gun, QWidget* parent)
        : QWidget(parent), m_store(store), m_gun(gun) {}
    void setCurrent(int shot) {
        m_current = shot;
        update();
    }
    /// Reads the pattern again (after it was saved, reset or imported).
    void reload() {
        if (!m_store.PatternPath(m_gun).parent_path().empty()) m_shots = m_store.ReadPattern(m_gun);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), QColor(0x12, 0x15, 0x1B));
        // Cumulative offsets: right and down are positive, as on the screen.
        std::array<QPointF, RecoilStore::kShots + 1> points{};
        double minX = 0, maxX = 0, maxY = 1;
        for (int b = 0; b < RecoilStore::kShots; ++b) {
            const RecoilShot& s = m_shots[static_cast<size_t>(b)];
            const QPointF step(s.left ? -s.x : s.x, s.up ? -s.y : s.y);
            points[static_cast<size_t>(b) + 1] = points[static_cast<size_t>(b)] + step;
            minX = std::min(minX, points[static_cast<size_t>(b) + 1].x());
            maxX = std::max(maxX, points[static_cast<size_t>(b) + 1].x());
            maxY = std::max(maxY, std::abs(points[static_cast<size_t>(b) + 1].y()));
        }
        const double margin = 14;
        const double spanX = std::max(maxX - minX, maxY / 4);
        const double scale = std::min((width() - 2 * margin) / spanX, (height() - 2 * margin) / maxY);
        const double originX = width() / 2.0 - (minX + maxX) / 2 * scale;
        const auto at = [&](const QPointF& p) {
            return QPointF(originX + p.x() * scale, margin + std::abs(p.y()) * scale);
        };
        painter.setPen(QPen(QColor(0x3D, 0xA9, 0xFC), 1.5));
        for (size_t i = 1; i < points.size(); ++i) painter.drawLine(at(points[i - 1]), at(points[i]));
        for (int b = 0; b < RecoilStore::kShots; ++b) {
            const bool current = b == m_current;
            painter.setBrush(current ? QColor(0xFF, 0xB0, 0x20) : QColor(0xE7, 0xEA, 0xF0));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(at(points[static_cast<size_t>(b) + 1]), current ? 4.5 : 2.5,
                                current ? 4.5 : 2.5);
        }
    }

private:
    const RecoilStore& m_store;
    int m_gun;
    int m_current = -1;
    std::array<RecoilShot, RecoilStore::kShots> m_shots{};
};

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
        option->setProperty("role", QStringLiteral("subtab"));
        guns->addWidget(option);
        connect(option, &QPushButton::clicked, this, [this, gun] {
            SelectGun(gun);
            ShowShot();
        });
    }
    guns->addStretch(1);

    auto* middle = new QHBoxLayout;
    box->addLayout(middle);
    m_pictures = new QStackedWidget(this);
    m_pictures->setObjectName(QStringLiteral("shoot_image_display_switch"));
    for (int gun = 0; gun < RecoilStore::kGuns; ++gun) {
        auto* picture = new RecoilPathView(m_store, gun, m_pictures);
        picture->setObjectName(QStringLiteral("shoot_image_%1").arg(gun));
        m_pictures->addWidget(picture);
    }
    m_pictures->setFixedSize(180, 200);
    middle->addWidget(m_pictures);

    auto* editArea = new QWidget(this);
    editArea->setObjectName(QStringLiteral("bullet_edit_layout"));
    middle->addWidget(editArea, 1);
    auto* edits = new QVBoxLayout(editArea);
    edits->setContentsMargins(0, 0, 0, 0);
    auto* bullets = new QGridLayout;
    bullets->setSpacing(4);
    edits->addLayout(bullets);
    for (int b = 0; b < RecoilStore::kShots; ++b) {
        QPushButton* option = button(bulletOption(b), {}, editArea);
        option->setText(QString::number(b + 1));
        option->setCheckable(true);
        option->setFixedSize(38, 24);
        bullets->addWidget(option, b / kBulletColumns, b % kBulletColumns);
        connect(option, &QPushButton::clicked, this, [this, b] { SelectBullet(b); });
    }

    auto* navigation = new QHBoxLayout;
    edits->addLayout(navigation);
    QPushButton* previous = button(QStringLiteral("bullet_selected_prev"), {}, editArea);
    previous->setText(QStringLiteral("‹"));
    m_bulletIndex = new QLabel(editArea);
    m_bulletIndex->setObjectName(QStringLiteral("bullet_select_index"));
    m_bulletIndex->setMinimumWidth(28);
    m_bulletIndex->setAlignment(Qt::AlignCenter);
    QPushButton* next = button(QStringLiteral("bullet_selected_next"), {}, editArea);
    next->setText(QStringLiteral("›"));
    navigation->addWidget(previous);
    navigation->addWidget(m_bulletIndex);
    navigation->addWidget(next);
    navigation->addStretch(1);

    auto* values = new QGridLayout;
    edits->addLayout(values);
    m_xCheck = new QCheckBox(editArea);
    m_xCheck->setObjectName(QStringLiteral("bullet_x_check"));
    m_yCheck = new QCheckBox(editArea);
    m_yCheck->setObjectName(QStringLiteral("bullet_y_check"));
    m_xEdit = numberEdit("bullet_x_eidt", RecoilStore::kMaxOffset, editArea);
    m_yEdit = numberEdit("bullet_y_eidt", RecoilStore::kMaxOffset, editArea);
    m_delayEdit = numberEdit("bullet_delay_eidt", RecoilStore::kMaxDelay, editArea);
    auto* delayLabel = new QLabel(editArea);
    delayLabel->setProperty("textId", QStringLiteral("bullet_delay_text"));
    values->addWidget(m_xEdit, 0, 0);
    values->addWidget(m_xCheck, 0, 1);
    values->addWidget(m_yEdit, 1, 0);
    values->addWidget(m_yCheck, 1, 1);
    values->addWidget(m_delayEdit, 2, 0);
    values->addWidget(delayLabel, 2, 1);
    values->setColumnStretch(1, 1);
    edits->addStretch(1);

    auto* files = new QHBoxLayout;
    box->addLayout(files);
    for (const auto& [name, textId] : {std::pair{"shootdate_import_btn", "shootdate_import_text"},
                                       std::pair{"shootdate_export_btn", "shootdate_export_text"},
                                       std::pair{"shootdate_reset_btn", "shootdate_reset_text"}}) {
        files->addWidget(button(QLatin1String(name), QLatin1String(textId), this));
    }
    files->addStretch(1);
    files->addWidget(
        button(QStringLiteral("shootdate_save_btn"), QStringLiteral("shootdate_save_text"), this));
    box->addStretch(1);

    connect(previous, &QPushButton::clicked, this, &CShootControlUI::PreviousBullet);
    connect(next, &QPushButton::clicked, this, &CShootControlUI::NextBullet);
    // A direction the user ticks is the shot's at once, like a value left in an edit: the check's label
    // then names what the shot does (ShowShot sets the checks without this signal).
    for (QCheckBox* check : {m_xCheck.data(), m_yCheck.data()}) {
        connect(check, &QCheckBox::toggled, this, [this] {
            relabel();
            SaveShot();
        });
    }
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
    connect(findChild<QPushButton*>(QStringLiteral("shootdate_export_btn")), &QPushButton::clicked, this,
            [this] {
                ExportTo(chooseSaveFile(this, QLatin1String(kFileFilter), QLatin1String(kFileExtension)));
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
    for (auto* view : m_pictures->findChildren<RecoilPathView*>()) view->setCurrent(m_bullet);
    if (auto* view = static_cast<RecoilPathView*>(m_pictures->widget(m_gun))) view->reload();
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
    if (m_store.SaveShot(m_gun, m_bullet, shot)) {
        static_cast<RecoilPathView*>(m_pictures->currentWidget())->reload();
        return;
    }
    failed();
    ShowShot();  // the file keeps the shot it had
}

void CShootControlUI::ResetGun() {
    if (!m_store.Reset(m_gun)) failed();  // no shipped copy: the pattern stays as it was
    SelectBullet(m_bullet);
}

void CShootControlUI::ImportFrom(const QString& path) {
    if (path.isEmpty()) return;
    // A source that is not a pattern is refused before anything is replaced.
    const ImportResult result = m_store.Import(m_gun, path.toStdString());
    if (result == ImportResult::NotEvents && m_message)
        m_message(QStringLiteral("shoot_import_wrong_text"));
    else if (result != ImportResult::Imported)
        failed();
    SelectBullet(m_bullet);
}

void CShootControlUI::ExportTo(const QString& chosen) {
    const QString path = withExtension(chosen, QLatin1String(kFileExtension));
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
