#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

#include "gui_support.h"
#include "profile/json_file.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/profile_actions.h"
#include "ui/toolkit/notify_hub.h"

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
        control->SetPaths(folder(), std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData" / "mouse.Json");
        control->SetTabRoot(&m_page);
        control->Init();
        return *control;
    }

    [[nodiscard]] std::filesystem::path folder() const { return std::filesystem::path(m_folder.path().toStdString()); }
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

TEST_F(ProfileControlTest, AddKeepsTheShownProfileButOpensTheNewOneNextTime) {
    CDeviceProfileUI& control = start(2);
    const QString firstId = control.GetCurrentProfileId();
    ASSERT_TRUE(control.AddProfile());
    EXPECT_EQ(names(control), (QStringList{QStringLiteral("profile1"), QStringLiteral("profile2")}));
    EXPECT_EQ(control.GetSelectedIndex(), 0);
    EXPECT_EQ(control.GetCurrentProfileId(), firstId);
    EXPECT_EQ(list()["profileselect"].asInt(), 1);

    CDeviceProfileUI& next = start(2);  // the next start of the program
    EXPECT_EQ(next.GetSelectedIndex(), 1);
    EXPECT_EQ(next.GetNameText(), QStringLiteral("profile2"));
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
        if (n.type != QLatin1String("itemselect") || n.sender != QLatin1String("device_profile_combo")) return;
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
                                           QStringLiteral("Game(1)"), QStringLiteral("profile1 copy")}));

    const QString other = m_folder.filePath(QStringLiteral("other.json"));
    ASSERT_TRUE(WriteJsonFile(std::filesystem::path(other.toStdString()), Json::Value("not a profile")));
    EXPECT_FALSE(control.ImportProfile(other));
    EXPECT_FALSE(control.ImportProfile(QString()));
    EXPECT_FALSE(control.ExportProfile(QString()));
    EXPECT_EQ(control.combo()->count(), 4);
    EXPECT_EQ(list()["profilelist"].size(), 4u);
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
