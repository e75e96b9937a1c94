#include "ui/windows/colour_picker.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "device/debug_sink.h"
#include "gui_support.h"
#include "profile/json_file.h"
#include "ui/controls/colour_palette.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui::test {
namespace {

class ColourPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appData.isValid());
        m_previous = setDebugCapture([this](std::string_view line) { m_debug.emplace_back(line); });
    }
    void TearDown() override { setDebugCapture(m_previous); }

    [[nodiscard]] ColorOptionFile file() const {
        return ColorOptionFile(m_appData.path().toStdString(),
                               std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData");
    }
    [[nodiscard]] QByteArray fileBytes() const {
        QFile f(QString::fromStdString(file().UserPath().string()));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    [[nodiscard]] Json::Value stored() const { return ReadJsonFile(file().UserPath())["coloroptioninfo"]; }

    static void click(CColorSelectWnd& window, const QString& name) {
        auto* button = window.findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        button->click();
    }
    static void type(CColorSelectWnd& window, const char* edit, const char* text) {
        auto* line = window.findChild<QLineEdit*>(QLatin1String(edit));
        ASSERT_NE(line, nullptr) << edit;
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, QLatin1String(text));
    }

    LayoutLoader m_loader = makeLoader();
    LanguageTexts m_texts;
    QTemporaryDir m_appData;
    std::vector<std::string> m_debug;
    DebugCapture m_previous;
};

TEST_F(ColourPickerTest, DpiOutsideTheAcceptedSetGives96AndATrace) {
    CColorSelectWnd window(m_loader, m_texts, file());
    m_debug.clear();  // the first reading of the option file may leave its own lines
    window.SetDpi(144);
    EXPECT_EQ(window.GetDpi(), 144);
    EXPECT_TRUE(m_debug.empty());
    window.SetDpi(100);
    EXPECT_EQ(window.GetDpi(), 96);
    EXPECT_EQ(m_debug, std::vector<std::string>{"SET_WND DPI SET ERROR"});
}

TEST_F(ColourPickerTest, StartsOnTheStoredPresetAndTypedValuesClampInsteadOfWrapping) {
    CColorSelectWnd window(m_loader, m_texts, file());
    EXPECT_EQ(window.options().presetSelected, 4);
    EXPECT_EQ(window.currentColour(), 0xFF00FF00u) << "the shipped fifth preset";
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("color_edit_g"))->text(), QStringLiteral("255"));

    type(window, "color_edit_r", "200");
    EXPECT_EQ(window.previewColour(), 0xFFC8FF00u);
    type(window, "color_edit_b", "300");
    EXPECT_EQ(window.previewColour(), 0xFFC8FFFFu) << "300 is 255, not 44";
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("color_edit_b"))->text(), QStringLiteral("255"));
    type(window, "color_edit_g", "");
    EXPECT_EQ(window.previewColour(), 0xFFC800FFu) << "an empty edit is 0";
    EXPECT_EQ(window.findChild<ColourPalette*>(QStringLiteral("Pallet"))->selectedColour(), 0xFFC800FFu);
    // The selected collected slot (the first) collected the colour.
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][0]["color"].asString(), "FFC800FF");
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][0]["UserData"].asString(), "1");
}

TEST_F(ColourPickerTest, SwatchesAndCollectedSlotsPersistOnlyWhatTheyShould) {
    CColorSelectWnd window(m_loader, m_texts, file());
    const QByteArray before = fileBytes();
    ASSERT_FALSE(before.isEmpty()) << "the shipped copy is written on first use";

    click(window, QStringLiteral("collect_color_option_3"));  // empty: only the selection moves
    EXPECT_EQ(window.options().collectedSelected, 3);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(window.previewColour(), 0xFF00FF00u);

    click(window, QStringLiteral("color_option_8"));
    EXPECT_EQ(stored()["palletDialogcoloroption_selectitem"].asInt(), 8);
    EXPECT_EQ(window.previewColour(), 0xFF0000FFu);
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][3]["color"].asString(), "FF0000FF");
    EXPECT_EQ(stored()["palletDialogcollectcoloroption_selectitem"].asInt(), 3);

    click(window, QStringLiteral("collect_color_option_4"));
    click(window, QStringLiteral("color_option_0"));
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][4]["color"].asString(), "FFFF0000");
    click(window, QStringLiteral("collect_color_option_3"));  // a filled slot brings its colour back
    EXPECT_EQ(window.previewColour(), 0xFF0000FFu);
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("color_edit_b"))->text(), QStringLiteral("255"));
    EXPECT_EQ(stored()["palletDialogcollectcoloroption_selectitem"].asInt(), 3);
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][4]["color"].asString(), "FFFF0000");

    CColorSelectWnd reopened(m_loader, m_texts, file());
    EXPECT_EQ(reopened.options().presetSelected, 0);
    EXPECT_EQ(reopened.options().collectedSelected, 3);
    EXPECT_EQ(reopened.currentColour(), 0xFFFF0000u) << "the stored preset's colour";
}

TEST_F(ColourPickerTest, PaletteReleaseCollectsAndSevenColourFollowsItsOption) {
    CColorSelectWnd window(m_loader, m_texts, file());
    window.show();
    auto* palette = window.findChild<ColourPalette*>(QStringLiteral("Pallet"));
    ASSERT_NE(palette, nullptr);
    const QRect square = palette->squareRect();
    QTest::mouseClick(palette, Qt::LeftButton, {}, square.bottomLeft());
    EXPECT_EQ(window.currentColour(), palette->selectedColour());
    EXPECT_EQ(window.previewColour(), 0xFFFFFFFFu) << "no saturation at the bottom, at full value";
    EXPECT_EQ(stored()["palletDialogcollectcoloroption"][0]["color"].asString(), "FFFFFFFF");
    QTest::mouseClick(palette, Qt::LeftButton, {}, palette->stripRect().bottomLeft());
    EXPECT_EQ(window.previewColour(), 0xFF000000u) << "the strip's bottom is black";

    window.EnableSevenColour(true);
    click(window, QStringLiteral("7color"));
    EXPECT_TRUE(window.IsSevenColour());
    click(window, QStringLiteral("color_option_1"));
    EXPECT_FALSE(window.IsSevenColour()) << "picking a colour ends the seven-colour choice";
    window.SetSevenColour(true);
    window.EnableSevenColour(false);
    EXPECT_FALSE(window.IsSevenColour());
    EXPECT_TRUE(window.findChild<QWidget*>(QStringLiteral("7color_layout"))->isHidden());
}

TEST_F(ColourPickerTest, OpenerGivesTheColourOnlyOnOkAndOpensOneAtATime) {
    QWidget owner;
    owner.resize(1000, 640);
    ColourPickerOpener opener;
    bool secondRefused = false;
    QTimer::singleShot(0, qApp, [&] {
        secondRefused = !opener.PickColour(&owner, m_loader, m_texts, file(), 0, 96).has_value();
        click(*opener.current(), QStringLiteral("closebtn"));
    });
    EXPECT_FALSE(opener.PickColour(&owner, m_loader, m_texts, file(), 0xFF123456, 96).has_value());
    EXPECT_TRUE(secondRefused);
    EXPECT_FALSE(opener.isOpen());

    QTimer::singleShot(0, qApp, [&] {
        EXPECT_EQ(opener.current()->size(), CColorSelectWnd::kSize);
        click(*opener.current(), QStringLiteral("okbtn"));
    });
    EXPECT_EQ(opener.PickColour(&owner, m_loader, m_texts, file(), 0xFF123456, 96), 0xFF123456u);
}

}  // namespace
}  // namespace halvern::ui::test
