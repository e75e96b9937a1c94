#include "ui/controls/contrast.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

#include "gui_support.h"
#include "ui/controls/device_key_button.h"

namespace halvern::ui::test {
namespace {

constexpr double kText = 4.5;     // WCAG AA, normal text
constexpr double kControl = 3.0;  // WCAG AA, parts of a control

/// The program's style sheet on the application while a test runs.
class Styled : public ::testing::Test {
protected:
    void SetUp() override {
        QDir::setSearchPaths(QStringLiteral("skin"), {skinFolder()});
        QFile sheet(QDir(skinFolder()).filePath(QStringLiteral("halvern.qss")));
        ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

/// What a person sees in a part of a picture: the colour most of it has (the background) and the colour
/// that stands out from it the most (the text or mark).
struct Seen {
    QColor background;
    QColor mark;
    [[nodiscard]] double ratio() const { return contrastRatio(background, mark); }
};

Seen look(const QImage& image, const QRect& area) {
    QHash<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
    }
    QRgb mode = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.value() > most) std::tie(mode, most) = std::pair{it.key(), it.value()};
    }
    Seen seen{QColor(mode), QColor(mode)};
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (contrastRatio(QColor(it.key()), seen.background) > seen.ratio()) seen.mark = QColor(it.key());
    }
    return seen;
}

/// A widget's area inside the picture of its window.
QRect areaOf(const QWidget* w, const QWidget* window) {
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

TEST(Contrast, RatioFollowsWcag) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
    EXPECT_NEAR(contrastRatio(Qt::white, QColor(0x76, 0x76, 0x76)), 4.54, 0.01) << "order does not matter";
    EXPECT_LT(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), kText);
    EXPECT_EQ(blendOver(Qt::black, QColor(255, 255, 255, 0)), QColor(Qt::black));
    EXPECT_EQ(blendOver(Qt::black, QColor(255, 255, 255, 255)), QColor(Qt::white));
    // The one-luminance choice of white or black agrees with comparing both contrasts, on every grey and
    // on both sides of the turning point (luminance 0.179).
    for (int v = 0; v < 256; ++v) {
        for (const QColor& c : {QColor(v, v, v), QColor(v, 255 - v, 0), QColor(0, v, 128)}) {
            EXPECT_EQ(whiteOrBlackOn(c), readableOn(c, Qt::white, Qt::black)) << c.name().toStdString();
        }
    }
}

// Legends stay readable on whatever light the key shows: white on dark lights, black on white or yellow.
TEST(Contrast, KeyLegendsReadOnEveryLight) {
    QWidget window;
    auto* key = new DeviceKeyButton(&window);
    key->setGeometry(0, 0, 40, 32);
    QFont font = key->font();
    font.setPixelSize(12);
    font.setBold(true);
    key->setFont(font);
    key->setText(QStringLiteral("W"));
    window.resize(40, 32);
    window.show();
    const QRgb lights[] = {0xFFFFFF, 0x00FFFF /* yellow: red and green, blue 0 */,
                           0x00FF00, 0xFFFF00,
                           0x0000FF, 0xFF0000,
                           0xFF00FF, 0x000000,
                           0x777777, 0x0080FF,
                           0x00C0FF};
    for (const QRgb bgr : lights) {
        for (const int alpha : {255, 200, 120}) {
            key->setLightColour(bgr, alpha, true);
            const QImage picture = key->grab().toImage();
            const Seen seen = look(picture, QRect(6, 6, 28, 20));
            EXPECT_GE(seen.ratio(), kText) << std::hex << bgr << std::dec << " alpha " << alpha;
        }
    }
    key->setLightColour(0xFFFFFF, 255, false);
    EXPECT_GE(look(key->grab().toImage(), QRect(6, 6, 28, 20)).ratio(), kText) << "unlit";
}

// Every kind of text the style draws on the window's and the cards' backgrounds reaches 4.5:1.
TEST_F(Styled, TextsReachTheTextContrast) {
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    root.setAttribute(Qt::WA_StyledBackground);
    auto* rootBox = new QVBoxLayout(&root);
    auto* card = new QFrame;
    card->setProperty("role", QStringLiteral("card"));
    auto* cardBox = new QVBoxLayout(card);
    rootBox->addWidget(new QLabel(QStringLiteral("Window text on the window")));
    auto* caption = new QLabel(QStringLiteral("Caption under a device icon"));
    caption->setProperty("role", QStringLiteral("caption"));
    rootBox->addWidget(caption);
    rootBox->addWidget(card);
    const auto add = [cardBox](QWidget* w, const char* role) {
        if (role) w->setProperty("role", QString::fromLatin1(role));
        cardBox->addWidget(w);
        return w;
    };
    std::vector<QWidget*> texts{
        add(new QLabel(QStringLiteral("Plain label on a card")), nullptr),
        add(new QLabel(QStringLiteral("Muted note on a card")), "muted"),
        add(new QLabel(QStringLiteral("Section title")), "section"),
        add(new QPushButton(QStringLiteral("Button")), nullptr),
        add(new QPushButton(QStringLiteral("Secondary")), "secondary"),
        add(new QPushButton(QStringLiteral("Primary")), "primary"),
        add(new QPushButton(QStringLiteral("Tab")), "tab"),
        add(new QPushButton(QStringLiteral("Sub-tab")), "subtab"),
        add(new QLineEdit(QStringLiteral("Typed text")), nullptr),
    };
    auto* combo = new QComboBox;
    combo->addItem(QStringLiteral("profile1"));
    texts.push_back(add(combo, nullptr));
    texts.push_back(rootBox->itemAt(0)->widget());
    texts.push_back(caption);
    auto* box = static_cast<QCheckBox*>(add(new QCheckBox(QStringLiteral("Check box text")), nullptr));
    auto* radio = static_cast<QRadioButton*>(add(new QRadioButton(QStringLiteral("Radio text")), nullptr));
    root.resize(420, 560);
    root.show();
    QApplication::processEvents();
    const QImage picture = root.grab().toImage();
    for (QWidget* w : texts) {
        const Seen seen = look(picture, areaOf(w, &root).adjusted(2, 2, -2, -2));
        EXPECT_GE(seen.ratio(), kText)
            << w->metaObject()->className() << " " << w->property("role").toString().toStdString() << ": "
            << seen.mark.name().toStdString() << " on " << seen.background.name().toStdString();
    }
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{box, radio}) {
        const QRect text = areaOf(b, &root).adjusted(26, 0, 0, 0);  // the words, right of the indicator
        EXPECT_GE(look(picture, text).ratio(), kText) << b->text().toStdString();
    }
}

/// The indicator square of a check box or radio button, in its window's picture.
QRect indicatorOf(QAbstractButton* b, const QWidget* window) {
    QStyleOptionButton option;
    option.initFrom(b);
    const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
    const QRect r = b->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, b);
    return r.translated(b->mapTo(window, QPoint(0, 0)));
}

// A ticked box and a chosen option show the accent, unmistakable from an empty one and from a disabled one.
TEST_F(Styled, TickedAndChosenControlsStandOut) {
    QFrame card;
    card.setProperty("role", QStringLiteral("card"));
    auto* layout = new QVBoxLayout(&card);
    auto* ticked = new QCheckBox(QStringLiteral("Ticked"));
    ticked->setChecked(true);
    auto* empty = new QCheckBox(QStringLiteral("Empty"));
    auto* tickedOff = new QCheckBox(QStringLiteral("Ticked, disabled"));
    tickedOff->setChecked(true);
    tickedOff->setEnabled(false);
    auto* chosen = new QRadioButton(QStringLiteral("Chosen"));
    chosen->setChecked(true);
    auto* other = new QRadioButton(QStringLiteral("Other"));
    for (QWidget* w : std::initializer_list<QWidget*>{ticked, empty, tickedOff, chosen, other})
        layout->addWidget(w);
    card.resize(260, 200);
    card.show();
    QApplication::processEvents();
    const QImage picture = card.grab().toImage();
    const QColor cardColour = look(picture, QRect(2, 2, 4, 4)).background;

    const Seen tick = look(picture, indicatorOf(ticked, &card));
    EXPECT_GE(contrastRatio(tick.background, cardColour), kControl) << "the ticked box's fill on the card";
    EXPECT_GE(tick.ratio(), kControl) << "the tick on its fill";
    const Seen emptyBox = look(picture, indicatorOf(empty, &card));
    EXPECT_GE(contrastRatio(tick.background, emptyBox.background), kControl) << "ticked against empty";
    const Seen disabled = look(picture, indicatorOf(tickedOff, &card));
    EXPECT_GE(contrastRatio(tick.background, disabled.background), kControl) << "ticked against disabled";

    const auto centre = [&picture](const QRect& r) { return QColor(picture.pixel(r.center())); };
    const QColor chosenDot = centre(indicatorOf(chosen, &card));
    const QColor otherDot = centre(indicatorOf(other, &card));
    EXPECT_GE(contrastRatio(chosenDot, otherDot), kControl) << "chosen against not chosen";
    EXPECT_GE(contrastRatio(chosenDot, cardColour), kControl);
}

// Qt's own file dialog (import and export) keeps its labels and file names readable in the dark style.
TEST_F(Styled, FileDialogTextsAreReadable) {
    QFileDialog dialog(nullptr, QStringLiteral("Export"), resourceFolder(),
                       QStringLiteral("Profile Files(*.json)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.resize(700, 420);
    dialog.show();
    // The dialog lists the folder in a thread of its own: wait until the list shows it.
    auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([files] { return files->model()->rowCount(files->rootIndex()) > 0; }, 5000))
        << "the folder lists something";
    QApplication::processEvents();
    const QImage picture = dialog.grab().toImage();
    int labels = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        ++labels;
        const Seen seen = look(picture, areaOf(label, &dialog));
        EXPECT_GE(seen.ratio(), kText)
            << label->objectName().toStdString() << " \"" << label->text().toStdString()
            << "\": " << seen.mark.name().toStdString() << " on " << seen.background.name().toStdString();
    }
    EXPECT_GE(labels, 2);
    const QRect firstRow = files->visualRect(files->model()->index(0, 0, files->rootIndex()));
    ASSERT_FALSE(firstRow.isEmpty());
    const QRect area(files->viewport()->mapTo(&dialog, firstRow.topLeft()), firstRow.size());
    EXPECT_GE(look(picture, area).ratio(), kText) << "a file name in the list";
}

}  // namespace
}  // namespace halvern::ui::test
