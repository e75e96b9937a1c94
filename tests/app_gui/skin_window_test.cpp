// The skin window: colours and pictures replace each other on the window's background, the choice is
// stored and read back at the next start, cancelling the picture dialog changes nothing, and a click
// elsewhere closes the window.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "profile/json_file.h"
#include "profile/skin_file.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json")));
        startWindow();
    }
    void TearDown() override { window.reset(); }

    void startWindow() {
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    }
    ui::CSkinFrame* openSkins() {
        window->openSkinWindow();
        ui::CSkinFrame* frame = window->skinWindow();
        EXPECT_TRUE(frame && frame->isVisible());
        return frame;
    }
    void click(QWidget* frame, const char* name) {
        auto* button = ui::findControl<QAbstractButton>(frame, QString::fromLatin1(name));
        ASSERT_TRUE(button) << name;
        button->click();
    }
    [[nodiscard]] QWidget* root() const { return ui::findControl(window.get(), QStringLiteral("root")); }
    [[nodiscard]] QString image() const { return root()->property("skinImage").toString(); }
    [[nodiscard]] uint colour() const { return root()->property("skinColour").toUInt(); }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_F(SkinWindowTest, ColoursAndPicturesReplaceEachOtherAndSurviveARestart) {
    ui::CSkinFrame* frame = openSkins();
    click(frame, "skin_image_btn1");
    EXPECT_EQ(image(), QStringLiteral("skins/ember.svg"));
    EXPECT_EQ(colour(), 0U);
    click(frame, "skin_color_btn1");
    EXPECT_EQ(image(), QString());
    EXPECT_EQ(colour(), 0xFF101828U);
    EXPECT_EQ(ReadSkinFile(SkinFile()), (SkinChoice{SkinKind::Colour, "", 0xFF101828}));

    window.reset();
    startWindow();
    EXPECT_EQ(colour(), 0xFF101828U);

    frame = openSkins();
    click(frame, "skin_reset");
    EXPECT_EQ(image(), QString::fromStdString(std::string(kDefaultSkinImage)));
    EXPECT_EQ(colour(), 0U);
    EXPECT_NE(ReadFileText(SkinFile()).find("FLAGS=0\nIMAGE=common/background.png"), std::string::npos);
}

TEST_F(SkinWindowTest, APictureOfTheUsersOwnOrNone) {
    ui::CSkinFrame* frame = openSkins();
    click(frame, "skin_color_btn2");
    const SkinChoice before = ReadSkinFile(SkinFile());
    frame->setFileChooser([](QWidget*) { return QString(); });  // cancelled
    click(frame, "skin_Custom");
    EXPECT_EQ(colour(), 0xFF1A1024U);
    EXPECT_EQ(ReadSkinFile(SkinFile()), before);

    QString picture = QString::fromStdString((folder.path() / "mine.png").string());
    QImage(8, 8, QImage::Format_ARGB32).save(picture);
    frame = openSkins();
    frame->setFileChooser([&picture](QWidget*) { return picture; });
    click(frame, "skin_Custom");
    EXPECT_EQ(image(), picture);
    EXPECT_EQ(ReadSkinFile(SkinFile()), (SkinChoice{SkinKind::OwnPicture, picture.toStdString(), 0}));

    // Something that is not a picture leaves the background as it was.
    QString notPicture = QString::fromStdString((folder.path() / "notes.png").string());
    QFile notes(notPicture);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not an image");
    notes.close();
    frame = openSkins();
    frame->setFileChooser([&notPicture](QWidget*) { return notPicture; });
    click(frame, "skin_Custom");
    EXPECT_EQ(image(), picture);
}

TEST_F(SkinWindowTest, AClickElsewhereClosesIt) {
    const QPointer<ui::CSkinFrame> frame = openSkins();
    ASSERT_TRUE(frame);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(20, window->height() - 20));
    EXPECT_TRUE(waitUntil([&] { return !frame; }));
}

}  // namespace
}  // namespace halvern::app
