// The settings window: the update check against the reference server, marking updates, the window
// without a server, Alt+F4, the interface language switched at run time on every page and window, and the
// boxes that show and change how the program starts and ends.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "local_server.h"
#include "profile/autostart_entry.h"
#include "profile/close_choice.h"
#include "profile/json_file.h"
#include "profile/language_choice.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/controls/device_option.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/message_box.h"
#include "update/update_settings.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(answers);
        ui::registerCustomControls(loader);
        ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json")));
    }
    void TearDown() override { window.reset(); }

    void openWindow(const std::string& serverUrl) {
        serverEnv.emplace("HALVERN_UPDATE_URL", serverUrl);
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
        window->applyLanguage(0);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    }
    ui::SettingsWindow* openSettings() {
        window->openSettings(true);
        ui::SettingsWindow* settings = window->settingsWindow();
        EXPECT_TRUE(settings && waitUntil([&] { return settings->checkFinished(); }, 10000));
        return settings;
    }
    void answer(const std::string& key, const std::string& json) {
        std::ofstream(answers / (key + ".json")) << json;
    }
    template <typename T = QWidget>
    static T* control(QWidget* root, const char* name) {
        return ui::findControl<T>(root, QString::fromLatin1(name));
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    std::optional<test::ScopedEnv> serverEnv;
    std::filesystem::path answers = folder.path() / "answers";
    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
    int exits = 0;
};

TEST_F(SettingsWindowTest, ListsTheAnswersAndMarksTheChosenUpdates) {
    ASSERT_TRUE(emulator.attach(emu::Product::Mouse));  // firmware 0x0105
    answer("ZANTOR_1_QD44M2_MS_1", R"({"name":"MS","version":"0106","path":"https://d.example/ms.bin"})");
    test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.string(), "--port", "0"});
    openWindow(server.url());
    ASSERT_TRUE(waitUntil(
        [&] { return window->deviceList().pages().front()->device()->commandChannel().connected(); }));
    ASSERT_TRUE(waitUntil([&] { return window->deviceList().pages().front()->device()->info()[3] == 0x05; }));

    ui::SettingsWindow* settings = openSettings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->status(), CheckStatus::UpdatesFound);
    EXPECT_EQ(settings->statusText(), texts.text(QStringLiteral("HaveUpdateInfoText")));
    ASSERT_EQ(settings->items().size(), 2U);  // the mouse and the application
    QWidget* mouse = settings->itemWidget(0);
    // Listed under the names the window uses elsewhere, and with the version the system reports (bcdDevice).
    EXPECT_EQ(control<QAbstractButton>(mouse, "check_name_select")->text(),
              texts.text(ui::KindDisplayTextId("mouse")));
    EXPECT_EQ(control<QAbstractButton>(settings->itemWidget(1), "check_name_select")->text(),
              QStringLiteral("Halvern"));
    EXPECT_EQ(control<QLabel>(mouse, "OldRev")->text(), QStringLiteral("V0105"));
    EXPECT_EQ(control<QLabel>(mouse, "updateRev")->text(), QStringLiteral("V0106"));
    EXPECT_EQ(control<QLabel>(mouse, "update_status_text")->text(),
              texts.text(QStringLiteral("NeedUpdateText")));
    EXPECT_EQ(settings->items()[1].state, UpdateState::UpToDate);
    EXPECT_EQ(ReadJsonFile(LastCheckFile())["updatelasttime"]["value"].asString(), TodayText());

    auto* update = control<QAbstractButton>(settings, "update_fw_and_ap");
    EXPECT_TRUE(update->isVisibleTo(settings));
    control<QAbstractButton>(mouse, "check_name_select")->click();  // unchosen: nothing to update
    EXPECT_FALSE(update->isVisibleTo(settings));
    control<QAbstractButton>(mouse, "check_name_select")->click();
    update->click();
    control<QAbstractButton>(settings, "update_OK_btn")->click();
    EXPECT_EQ(settings->items()[0].state, UpdateState::DownloadWait);
    EXPECT_TRUE(control(mouse, "update_download_link")->isVisibleTo(settings));
    EXPECT_FALSE(update->isEnabled());

    control<QAbstractButton>(settings, "closebtn")->click();  // marked items do not hold it open
    EXPECT_TRUE(waitUntil([&] { return !window->settingsWindow(); }));
    EXPECT_EQ(exits, 0);
}

TEST_F(SettingsWindowTest, AnUpToDateCheckShowsItsDateAndAltF4EndsTheProgram) {
    answer("ZANTOR_0_ALL_Halvern_1", R"({"name":"AP","version":")" +
                                         std::to_string(VersionNumberOf(ApplicationVersionText())) + R"("})");
    test::LocalServer server({HALVERN_UPDATE_SERVER, "--answers", answers.string(), "--port", "0"});
    openWindow(server.url());
    ui::SettingsWindow* settings = openSettings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->status(), CheckStatus::AllCurrent);
    EXPECT_EQ(settings->statusText(),
              texts.text(QStringLiteral("UpdateIsLastText")) + QString::fromStdString(TodayText()));
    const auto* tick = settings->findChild<QLabel*>(QStringLiteral("update_status_image"));
    ASSERT_TRUE(tick);
    EXPECT_FALSE(tick->isHidden());
    ASSERT_EQ(settings->items().size(), 1U);
    EXPECT_EQ(settings->items()[0].offeredText, "");

    settings->close();  // as the window manager's close (Alt+F4) asks for it
    EXPECT_TRUE(waitUntil([&] { return exits == 1; }));
}

TEST_F(SettingsWindowTest, WithoutAServerItSaysSoAndAsksNobody) {
    openWindow("");
    ui::SettingsWindow* settings = openSettings();
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->statusText(), texts.text(QStringLiteral("update_no_server_text")));
    ASSERT_EQ(settings->items().size(), 1U);
    // Nothing was checked, so no row claims to be up to date.
    const auto states = settings->findChildren<QLabel*>(QStringLiteral("update_status_text"));
    ASSERT_FALSE(states.isEmpty());
    for (const QLabel* state : states) EXPECT_TRUE(state->isHidden());
    // Nor does the window's tick, which stands for "up to date".
    const auto* tick = settings->findChild<QLabel*>(QStringLiteral("update_status_image"));
    ASSERT_TRUE(tick);
    EXPECT_TRUE(tick->isHidden());
}

// Every control that names a text shows that text of `language`, the light editor's list entries too.
QStringList otherLanguageLeft(QWidget* root, const ui::LanguageTexts& language) {
    QStringList wrong;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.push_back(root);
    for (QWidget* w : all) {
        const QString id = w->property("textId").toString();
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(w)) shown = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) shown = button->text();
        if (!id.isEmpty() && (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) &&
            !shown.startsWith(language.text(id)))
            wrong << w->objectName() + QStringLiteral(": ") + shown;
        // The light editor's lists keep each entry's text id with the entry.
        auto* list = qobject_cast<QComboBox*>(w);
        for (int i = 0;
             list && w->objectName().startsWith(QStringLiteral("light_combo_")) && i < list->count(); ++i) {
            const QString itemId = list->itemData(i, Qt::UserRole + 1).toString();
            if (!itemId.isEmpty() && list->itemText(i) != language.text(itemId))
                wrong << w->objectName() + QStringLiteral("[") + QString::number(i) + QStringLiteral("]: ") +
                             list->itemText(i);
        }
    }
    return wrong;
}

TEST_F(SettingsWindowTest, TheLanguageChangesAtRunTimeEverywhere) {
    ASSERT_TRUE(emulator.attach(emu::Product::Keyboard));
    openWindow("");
    EXPECT_EQ(window->fontRebuilds(), 1);  // the first language always builds them
    ui::SettingsWindow* settings = openSettings();
    ASSERT_TRUE(settings);
    auto* combo = control<QComboBox>(settings, "Language_combox_info");
    ASSERT_EQ(combo->count(), 2);
    combo->setCurrentIndex(1);
    emit combo->activated(1);

    ui::LanguageTexts chinese;
    ASSERT_TRUE(chinese.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/zh_CN.json")));
    EXPECT_EQ(window->languageIndex(), 1);
    EXPECT_EQ(window->fontRebuilds(), 2);
    EXPECT_EQ(ReadLanguageNumber(LanguageChoiceFile()), 2052);
    EXPECT_EQ(otherLanguageLeft(window.get(), chinese), QStringList());
    EXPECT_EQ(otherLanguageLeft(settings, chinese), QStringList());
    EXPECT_EQ(settings->statusText(), chinese.text(QStringLiteral("update_no_server_text")));
    // A page made after the change speaks the new language too.
    ASSERT_TRUE(emulator.attach(emu::Product::MousePad));
    ASSERT_TRUE(waitUntil([&] { return window->deviceList().pages().size() >= 3; }));
    EXPECT_EQ(otherLanguageLeft(window.get(), chinese), QStringList());

    // Choosing the language that is current writes nothing.
    std::filesystem::remove(LanguageChoiceFile());
    window->applyLanguage(1);
    EXPECT_FALSE(std::filesystem::exists(LanguageChoiceFile()));
    EXPECT_EQ(window->fontRebuilds(), 2);
}

// HALVERN_LANGUAGE picks the language of one run: the user's stored choice stays as it was.
TEST_F(SettingsWindowTest, ALanguageForOneRunIsNotStored) {
    const std::vector<LanguageEntry> languages = ReadLanguageList(LanguageListFile());
    const auto chinese = std::find_if(languages.begin(), languages.end(),
                                      [](const LanguageEntry& l) { return l.file == "zh_CN.json"; });
    ASSERT_NE(chinese, languages.end());
    const int chineseIndex = static_cast<int>(chinese - languages.begin());
    {
        test::ScopedEnv forced{"HALVERN_LANGUAGE", "zh_CN"};
        MainWindow first(emulator, loader, texts);
        first.applyStartLanguage();
        EXPECT_EQ(first.languageIndex(), chineseIndex);
        EXPECT_FALSE(std::filesystem::exists(LanguageChoiceFile()));
    }
    MainWindow next(emulator, loader, texts);
    next.applyStartLanguage();
    EXPECT_NE(next.languageIndex(), chineseIndex);  // the next run is in the stored (default) language
    next.applyLanguage(chineseIndex);               // a choice in the window is stored
    EXPECT_EQ(FindStoredLanguage(languages, ReadLanguageNumber(LanguageChoiceFile())), chineseIndex);
}

// Each box shows its file: "Start with the desktop" the autostart entry, "keep running" the close choice.
class StartBoxesTest : public SettingsWindowTest {
protected:
    void SetUp() override {
        SettingsWindowTest::SetUp();
        openWindow("");
    }
    QCheckBox* box(const char* name) {
        ui::SettingsWindow* settings = openSettings();
        return settings ? control<QCheckBox>(settings, name) : nullptr;
    }
    void closeSettings() {
        control<QAbstractButton>(window->settingsWindow(), "closebtn")->click();
        ASSERT_TRUE(waitUntil([&] { return !window->settingsWindow(); }));
    }
    /// Message boxes shown from now on: their texts, each confirmed as soon as it opens.
    void answerMessages() {
        answerer = std::make_unique<QTimer>();
        QObject::connect(answerer.get(), &QTimer::timeout, [this] {
            if (auto* shown = qobject_cast<ui::MessageBox*>(QApplication::activeModalWidget())) {
                messages.push_back(shown->message());
                shown->done(1);
            }
        });
        answerer->start(10);
    }
    std::filesystem::path entry = folder.path() / "config" / "autostart" / "org.halvern.Halvern.desktop";
    std::unique_ptr<QTimer> answerer;
    QStringList messages;
};

TEST_F(StartBoxesTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry) {
    ASSERT_EQ(AutostartEntryPath(), entry);
    QCheckBox* start = box("start_with_desktop_box");
    ASSERT_TRUE(start);
    EXPECT_TRUE(start->isVisible());
    EXPECT_FALSE(start->isChecked());
    start->click();
    EXPECT_TRUE(start->isChecked());
    ASSERT_TRUE(AutostartEntryEnabled(entry));
    EXPECT_NE(ReadFileText(entry).find("\nExec=halvern --background\n"), std::string::npos);
    start->click();
    EXPECT_FALSE(start->isChecked());
    EXPECT_FALSE(std::filesystem::exists(entry));

    // The file is the truth: an entry written elsewhere shows when the window opens.
    closeSettings();
    ASSERT_TRUE(WriteAutostartEntry(entry, "halvern").ok());
    EXPECT_TRUE(box("start_with_desktop_box")->isChecked());
    EXPECT_EQ(exits, 0);
}

TEST_F(StartBoxesTest, AnEntryThatCannotBeWrittenSaysSoOnceAndTheBoxStaysAsItWas) {
    std::filesystem::create_directories(entry.parent_path().parent_path());
    std::ofstream(entry.parent_path()) << "a file where the autostart folder belongs";
    QCheckBox* start = box("start_with_desktop_box");
    ASSERT_TRUE(start);
    answerMessages();
    start->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QString::fromStdString(entry.string())))
        << messages.front().toStdString();
    EXPECT_FALSE(start->isChecked());
    EXPECT_FALSE(AutostartEntryEnabled(entry));
}

TEST_F(StartBoxesTest, KeepRunningShowsAndStoresTheCloseChoice) {
    QCheckBox* keep = box("keep_running_box");
    ASSERT_TRUE(keep);
    ASSERT_FALSE(window->trayIcon());  // offered only where closing could end the program
    EXPECT_TRUE(keep->isVisible());
    EXPECT_FALSE(keep->isChecked());
    keep->click();
    EXPECT_TRUE(keep->isChecked());
    EXPECT_EQ(ReadCloseChoice(SettingsFile()), CloseChoice::Background);
    keep->click();
    EXPECT_FALSE(keep->isChecked());
    EXPECT_EQ(ReadCloseChoice(SettingsFile()), CloseChoice::Quit);

    // A settings file the program cannot read is left alone, and the box shows what holds.
    std::ofstream(SettingsFile()) << R"({"CloseWindow": "background", )";
    answerMessages();
    keep->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(keep->isChecked());
    EXPECT_EQ(ReadFileText(SettingsFile()), R"({"CloseWindow": "background", )");
}

}  // namespace
}  // namespace halvern::app
