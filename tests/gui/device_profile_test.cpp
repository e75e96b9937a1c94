#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <memory>

#include "gui_support.h"
#include "profile/json_file.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/profile_actions.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/notify_hub.h"
#include "ui/toolkit/save_file.h"

namespace halvern::ui::test {
namespace {

/// A device page with the eight option tabs and the profile control, over a fresh data folder.
class ProfileControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    CDeviceProfileUI& start(int typeCode) {
        for (const char* name : CDeviceProfileUI::kTabNames) {
            auto* tab = new QPushButton(&m_page);
            tab->setObjectName(QLatin1String(name));
            tab->setCheckable(true);
            tab->setAutoExclusive(true);
        }
        auto* control = new CDeviceProfileUI(&m_loader, &m_page);
        control->setObjectName(QStringLiteral("DeviceProfileItem"));
        control->SetDeviceType(typeCode);
        control->SetPaths(folder(),
                          std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData" / "mouse.Json");
        control->SetTabRoot(&m_page);
        control->Init();
        return *control;
    }

    [[nodiscard]] std::filesystem::path folder() const {
        return std::filesystem::path(m_folder.path().toStdString());
    }
    [[nodiscard]] Json::Value list() const { return ReadJsonFile(folder() / "ProfileList.ini"); }
    [[nodiscard]] static QStringList names(const CDeviceProfileUI& control) {
        QStringList out;
        for (int i = 0; i < control.combo()->count(); ++i) out << control.combo()->itemText(i);
        return out;
    }

    LayoutLoader m_loader = makeLoader();
    QTemporaryDir m_folder;
    QWidget m_page;
};

TEST_F(ProfileControlTest, FirstStartCreatesProfileOneAndShowsIt) {
    CDeviceProfileUI& control = start(2);
    ASSERT_NE(control.combo(), nullptr);
    EXPECT_EQ(names(control), QStringList{QStringLiteral("profile1")});
    EXPECT_EQ(control.GetSelectedIndex(), 0);
    EXPECT_EQ(control.GetNameText(), QStringLiteral("profile1"));
    EXPECT_EQ(control.combo()->itemData(0).toString(), QStringLiteral("profile1"));
    const Json::Value stored = list();
    EXPECT_EQ(stored["profileselect"].asInt(), 0);
    const std::string id = stored["profilelist"][0]["profileUUID"].asString();
    EXPECT_EQ(control.GetCurrentProfileId().toStdString(), id);
    const Json::Value profile = ReadJsonFile(folder() / (id + ".Json"));
    EXPECT_EQ(profile.getMemberNames(), (std::vector<std::string>{"profileUUID", "profilename"}));
    EXPECT_FALSE(control.IsMenuVisible()) << "the menu is folded in until asked for";
    control.ShowMenu(true);
    EXPECT_TRUE(control.IsMenuVisible());
}

// What was just added is what the user sees next: the list selects it and the window switches to it.
TEST_F(ProfileControlTest, AddCopyAndImportSelectWhatWasAdded) {
    CDeviceProfileUI& control = start(2);
    NotifyHub hub;
    hub.attachTree(&control);
    QList<qintptr> chosen;
    QObject::connect(&hub, &NotifyHub::notified, &hub, [&](const Notification& n) {
        if (n.type == QLatin1String("itemselect") && n.sender == QLatin1String("device_profile_combo")) {
            chosen << n.wParam;
            control.SelectProfile(control.GetSelectedIndex(), false);  // the window's switch
        }
    });
    ASSERT_TRUE(control.AddProfile());
    EXPECT_EQ(names(control), (QStringList{QStringLiteral("profile1"), QStringLiteral("profile2")}));
    EXPECT_EQ(control.GetSelectedIndex(), 1);
    EXPECT_EQ(control.GetNameText(), QStringLiteral("profile2"));
    EXPECT_EQ(chosen, QList<qintptr>{1});
    EXPECT_EQ(list()["profileselect"].asInt(), 1);
    EXPECT_EQ(control.GetCurrentProfileId().toStdString(),
              list()["profilelist"][1]["profileUUID"].asString());

    ASSERT_TRUE(control.CopyProfile());
    EXPECT_EQ(control.GetNameText(), QStringLiteral("profile2 copy"));
    const QString exported = m_folder.filePath(QStringLiteral("Game.json"));
    ASSERT_TRUE(control.ExportProfile(exported));
    ASSERT_TRUE(control.ImportProfile(exported));
    EXPECT_EQ(control.GetNameText(), QStringLiteral("Game"));
    EXPECT_EQ(chosen, (QList<qintptr>{1, 2, 3}));
    EXPECT_EQ(list()["profileselect"].asInt(), 3);

    CDeviceProfileUI& next = start(2);  // the next start of the program
    EXPECT_EQ(next.GetNameText(), QStringLiteral("Game"));
}

// The menu button opens a real menu whose entries read in full and click the buttons the window routes.
TEST_F(ProfileControlTest, MenuIsARealMenuWithWholeTexts) {
    LanguageTexts english;
    ASSERT_TRUE(english.load(languageFile(QStringLiteral("en.json"))));
    CDeviceProfileUI& control = start(2);
    english.apply(&m_page);
    m_page.show();
    control.ShowMenu(true);
    ASSERT_TRUE(control.IsMenuVisible());
    QMenu* menu = control.menu();
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) texts << action->text();
    }
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("New"), QStringLiteral("Copy"), QStringLiteral("Import"),
                           QStringLiteral("Export"), QStringLiteral("Reset"), QStringLiteral("Delete")}));
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const QRect item = menu->actionGeometry(action);
        EXPECT_GE(item.width(), menu->fontMetrics().horizontalAdvance(action->text()) + 12)
            << action->text().toStdString() << " is clipped";
        EXPECT_GE(item.height(), menu->fontMetrics().height()) << action->text().toStdString();
    }
    EXPECT_FALSE(menu->actions().back()->isEnabled()) << "the only profile cannot be deleted";
    control.ShowMenu(false);
    EXPECT_FALSE(control.IsMenuVisible());

    // Choosing an entry is a click on its button, which the main window routes by name.
    NotifyHub hub;
    hub.attachTree(&control);
    QStringList clicked;
    QObject::connect(&hub, &NotifyHub::notified, &hub, [&](const Notification& n) {
        if (n.type == QLatin1String("click")) clicked << n.sender;
    });
    control.ShowMenu(true);
    for (QAction* action : control.menu()->actions()) {
        if (action->text() == QLatin1String("Copy")) action->trigger();
    }
    EXPECT_EQ(clicked, QStringList{QStringLiteral("device_copy_btn")});
    control.ShowMenu(false);
}

// The profile row lays its parts side by side: the list, its arrow, the name, Rename and the menu button
// never overlap, also while the menu is open, and Rename shows its whole word.
TEST_F(ProfileControlTest, RowPartsDoNotOverlap) {
    QFile sheet(QDir(skinFolder()).filePath(QStringLiteral("halvern.qss")));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    LanguageTexts english;
    ASSERT_TRUE(english.load(languageFile(QStringLiteral("en.json"))));
    CDeviceProfileUI& control = start(2);
    english.apply(&m_page);
    control.resize(600, 40);
    m_page.resize(620, 60);
    m_page.show();
    QApplication::processEvents();
    QList<QWidget*> parts;
    for (const char* name : {"device_profile_label", "device_profile_combo", "device_profile_name_edit",
                             "device_profile_edit_save_btn", "profile_fun_spread_btn"}) {
        QWidget* part = control.findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(part, nullptr) << name;
        EXPECT_TRUE(part->isVisible()) << name;
        parts << part;
    }
    const auto geometries = [&parts, &control] {
        QList<QRect> rects;
        for (QWidget* part : parts) rects << QRect(part->mapTo(&control, QPoint()), part->size());
        return rects;
    };
    const QList<QRect> closed = geometries();
    for (int i = 0; i < parts.size(); ++i) {
        for (int j = i + 1; j < parts.size(); ++j) {
            EXPECT_FALSE(closed[i].intersects(closed[j]))
                << parts[i]->objectName().toStdString() << " and " << parts[j]->objectName().toStdString();
        }
    }
    // Opening the menu does not squeeze the row: the menu is a window of its own.
    control.ShowMenu(true);
    QApplication::processEvents();
    EXPECT_EQ(geometries(), closed);
    control.ShowMenu(false);
    // The drop-down arrow is drawn inside the list's own frame.
    QStyleOptionComboBox option;
    option.initFrom(control.combo());
    const QRect arrow = control.combo()->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                                 QStyle::SC_ComboBoxArrow, control.combo());
    EXPECT_TRUE(control.combo()->rect().contains(arrow)) << "arrow outside the list";
    auto* rename = control.findChild<QPushButton*>(QStringLiteral("device_profile_edit_save_btn"));
    EXPECT_GE(rename->width(), rename->fontMetrics().horizontalAdvance(rename->text()) + 16);
    EXPECT_TRUE(control.findChild<QWidget*>(QStringLiteral("profile_menu_layout"))->isHidden())
        << "the buttons live in the menu, not in the row";
    qApp->setStyleSheet(QString());
}

// Deleting asks first, in the window's message box, naming the profile; the control says what to ask.
TEST_F(ProfileControlTest, DeleteQuestionNamesTheProfile) {
    LanguageTexts english;
    LanguageTexts chinese;
    ASSERT_TRUE(english.load(languageFile(QStringLiteral("en.json"))));
    ASSERT_TRUE(chinese.load(languageFile(QStringLiteral("zh_CN.json"))));
    CDeviceProfileUI& control = start(2);
    EXPECT_FALSE(control.CanDeleteProfile()) << "the last profile stays";
    ASSERT_TRUE(control.AddProfile());
    EXPECT_TRUE(control.CanDeleteProfile());
    const QString question = control.DeleteQuestion(english);
    EXPECT_TRUE(question.contains(QStringLiteral("\u201Cprofile2\u201D"))) << question.toStdString();
    EXPECT_FALSE(question.contains(QStringLiteral("%1")));
    EXPECT_TRUE(control.DeleteQuestion(chinese).contains(QStringLiteral("profile2")));
}

TEST_F(ProfileControlTest, DeletingTheSelectedThirdOfFiveSwitchesToTheEntryInItsPlace) {
    CDeviceProfileUI& control = start(2);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(control.AddProfile());
    ASSERT_TRUE(control.SelectProfile(2, false));
    const std::string deletedId = control.GetCurrentProfileId().toStdString();

    // The main window's switch: on "itemselect" from the list it selects the list's entry.
    NotifyHub hub;
    hub.attachTree(&control);
    int storedAtSwitch = -1;
    int switches = 0;
    QObject::connect(&hub, &NotifyHub::notified, &hub, [&](const Notification& n) {
        if (n.type != QLatin1String("itemselect") || n.sender != QLatin1String("device_profile_combo"))
            return;
        ++switches;
        storedAtSwitch = list()["profileselect"].asInt();
        control.SelectProfile(control.GetSelectedIndex(), false);
    });
    ASSERT_TRUE(control.DeleteProfile());
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(storedAtSwitch, 1) << "the delete stores the entry before the removed one";
    EXPECT_EQ(list()["profileselect"].asInt(), 2) << "the switch stores the entry now third";
    EXPECT_EQ(names(control), (QStringList{QStringLiteral("profile1"), QStringLiteral("profile2"),
                                           QStringLiteral("profile4"), QStringLiteral("profile5")}));
    EXPECT_EQ(control.GetNameText(), QStringLiteral("profile4"));
    EXPECT_FALSE(std::filesystem::exists(folder() / (deletedId + ".Json")));
    EXPECT_EQ(list()["profilelist"].size(), 4u);

    // Down to one profile: the last one stays.
    while (control.combo()->count() > 1) ASSERT_TRUE(control.DeleteProfile());
    EXPECT_FALSE(control.DeleteProfile());
    EXPECT_EQ(control.combo()->count(), 1);
}

TEST_F(ProfileControlTest, RenameRefusesBlankAndTakenNamesAndFollowsInTheList) {
    CDeviceProfileUI& control = start(2);
    ASSERT_TRUE(control.AddProfile());
    ASSERT_TRUE(control.SelectProfile(0, false));
    EXPECT_EQ(control.RenameProfile(QStringLiteral("   ")), 2);
    EXPECT_EQ(control.RenameProfile(QStringLiteral("PROFILE2")), 0) << "names compare without case";
    EXPECT_EQ(RenameRefusalTextId(0), QStringLiteral("message_text_5"));
    EXPECT_EQ(RenameRefusalTextId(2), QStringLiteral("message_text_25"));
    EXPECT_TRUE(RenameRefusalTextId(1).isEmpty());
    EXPECT_EQ(names(control).first(), QStringLiteral("profile1"));

    EXPECT_EQ(control.RenameProfile(QStringLiteral("Profile1")), 1) << "its own name is not taken";
    EXPECT_EQ(control.RenameProfile(QStringLiteral("Spiel \u00FC")), 1);
    EXPECT_EQ(names(control).first(), QStringLiteral("Spiel \u00FC"));
    EXPECT_EQ(control.combo()->itemData(0).toString(), QStringLiteral("Spiel \u00FC"));
    EXPECT_EQ(control.GetNameText(), QStringLiteral("Spiel \u00FC"));
    EXPECT_EQ(list()["profilelist"][0]["profilename"].asString(), "Spiel \u00FC");
}

TEST_F(ProfileControlTest, ImportNamesTheProfileAfterItsFileAndRefusesOtherFiles) {
    CDeviceProfileUI& control = start(2);
    const QString game = m_folder.filePath(QStringLiteral("Game.json"));
    ASSERT_TRUE(control.ExportProfile(game));
    ASSERT_TRUE(control.ImportProfile(game));
    ASSERT_TRUE(control.ImportProfile(game));
    ASSERT_TRUE(control.CopyProfile());
    EXPECT_EQ(names(control), (QStringList{QStringLiteral("profile1"), QStringLiteral("Game"),
                                           QStringLiteral("Game(1)"), QStringLiteral("Game(1) copy")}))
        << "each import is selected, so the copy is of the last one";

    const QString other = m_folder.filePath(QStringLiteral("other.json"));
    ASSERT_TRUE(WriteJsonFile(std::filesystem::path(other.toStdString()), Json::Value("not a profile")));
    EXPECT_FALSE(control.ImportProfile(other));
    EXPECT_FALSE(control.ImportProfile(QString()));
    EXPECT_FALSE(control.ExportProfile(QString()));
    EXPECT_EQ(control.combo()->count(), 4);
    EXPECT_EQ(list()["profilelist"].size(), 4u);
}

// A name typed without the extension gets it, so the import dialog, which lists "*.json", finds the file.
TEST_F(ProfileControlTest, ExportAddsTheExtensionTheImportDialogLists) {
    CDeviceProfileUI& control = start(2);
    ASSERT_TRUE(control.ExportProfile(m_folder.filePath(QStringLiteral("Race"))));
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("Race.json"))));
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("Race"))));
    ASSERT_TRUE(control.ExportProfile(m_folder.filePath(QStringLiteral("Race.v2"))));
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("Race.v2.json"))));
    ASSERT_TRUE(control.ExportProfile(m_folder.filePath(QStringLiteral("Loud.JSON"))));
    EXPECT_TRUE(QFile::exists(m_folder.filePath(QStringLiteral("Loud.JSON"))));
    ASSERT_TRUE(control.ImportProfile(m_folder.filePath(QStringLiteral("Race.json"))));
    EXPECT_EQ(names(control).last(), QStringLiteral("Race"));
    EXPECT_EQ(withExtension(QString(), QStringLiteral(".json")), QString());
    EXPECT_EQ(withExtension(QStringLiteral("/a.json/b"), QStringLiteral(".json")),
              QStringLiteral("/a.json/b.json"));
}

TEST_F(ProfileControlTest, TabsHiddenByDeviceTypeAndSelectedOneAtATime) {
    const auto visible = [this](const char* name) {
        return !m_page.findChild<QWidget*>(QLatin1String(name))->isHidden();
    };
    CDeviceProfileUI& mousePad = start(3);
    EXPECT_TRUE(visible("deng_Op_tab"));
    for (const char* name : {"key_Op_tab", "macro_Op_tab", "system_Op_tab", "cursor_Op_tab"}) {
        EXPECT_FALSE(visible(name)) << name;
    }
    mousePad.SelectTab(3);
    EXPECT_TRUE(mousePad.tab(3)->isChecked());
    mousePad.SelectTab(0);
    EXPECT_TRUE(mousePad.tab(0)->isChecked());
    EXPECT_FALSE(mousePad.tab(3)->isChecked());
    mousePad.SelectTab(8);
    EXPECT_TRUE(mousePad.tab(0)->isChecked()) << "an index past the tabs changes nothing";

    const QObjectList tabsAndControl = m_page.children();
    qDeleteAll(tabsAndControl);
    (void)start(9);  // a keyboard through its receiver
    for (const char* name : CDeviceProfileUI::kTabNames) EXPECT_TRUE(visible(name)) << name;
}

}  // namespace
}  // namespace halvern::ui::test
