// Pages made while the window runs get their texts, in every shipped language, and sections that are not
// built yet are hidden instead of promising settings.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/controls/device_profile_control.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using test::waitUntil;

class WindowTextsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/") +
                               QString::fromLatin1(GetParam())));
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
    }
    void TearDown() override { window.reset(); }

    // Controls under `root` that name a text and show none (or show the id itself).
    static QStringList untranslated(QWidget* root) {
        QStringList missing;
        QList<QWidget*> all = root->findChildren<QWidget*>();
        all.push_back(root);
        for (QWidget* w : all) {
            const QString textId = w->property("textId").toString();
            if (!textId.isEmpty()) {
                QString shown;
                if (auto* label = qobject_cast<QLabel*>(w)) shown = label->text();
                if (auto* button = qobject_cast<QAbstractButton*>(w)) shown = button->text();
                if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
                    if (shown.isEmpty() || shown == textId)
                        missing << w->objectName() + QStringLiteral(" (") + textId + ')';
                }
            }
            const QString tipId = w->property("toolTipId").toString();
            if (!tipId.isEmpty() && (w->toolTip().isEmpty() || w->toolTip() == tipId)) {
                missing << w->objectName() + QStringLiteral(" tooltip (") + tipId + ')';
            }
        }
        return missing;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    emu::Emulator emulator;
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_P(WindowTextsTest, APageMadeForADeviceThatArrivesLaterHasItsTexts) {
    ASSERT_FALSE(window->deviceList().pageForKind(2));
    ASSERT_TRUE(emulator.attach(emu::Product::MousePad));
    ASSERT_TRUE(waitUntil([&] {
        const DeviceSlotPage* pad = window->deviceList().pageForKind(2);
        return pad && pad->entry && pad->entry->IsEntryVisible();
    }));
    const DeviceSlotPage* pad = window->deviceList().pageForKind(2);
    EXPECT_EQ(untranslated(pad->page), QStringList{}) << GetParam();
    EXPECT_EQ(untranslated(pad->entry), QStringList{}) << GetParam();
    EXPECT_EQ(untranslated(pad->power), QStringList{}) << GetParam();
}

TEST_P(WindowTextsTest, SectionsNotBuiltYetAreHidden) {
    ASSERT_TRUE(emulator.attach(emu::Product::Mouse));
    ASSERT_TRUE(waitUntil([&] { return window->deviceList().pageForKind(0)->entry->IsEntryVisible(); }));
    ui::DevicePage* page = window->deviceList().pageForKind(0)->page;
    auto* sections = ui::findControl<QStackedWidget>(page, QStringLiteral("device_function_switch"));
    ASSERT_TRUE(sections);
    // No section on screen promises what is not there, and the tabs of such sections are gone.
    QWidget* shown = sections->currentWidget();
    for (const QLabel* label : shown->findChildren<QLabel*>()) {
        EXPECT_NE(label->property("textId").toString(), QStringLiteral("page_pending_note"));
    }
    for (int tab = 0; tab < sections->count(); ++tab) {
        auto* button = ui::findControl<QAbstractButton>(
            page, QString::fromLatin1(ui::CDeviceProfileUI::kTabNames[static_cast<size_t>(tab)]));
        if (page->sectionPending(tab) && button) {
            EXPECT_FALSE(button->isVisible()) << tab;
        }
    }
    EXPECT_FALSE(page->sectionPending(1));  // the keys are there
    EXPECT_FALSE(page->sectionPending(3));  // and the settings
}

TEST_P(WindowTextsTest, TheKeyboardKeepsItsKeysSectionThoughSomeKeyFunctionsAreNotBuilt) {
    ASSERT_TRUE(emulator.attach(emu::Product::Keyboard));
    ASSERT_TRUE(waitUntil([&] { return window->deviceList().pageForKind(1)->entry->IsEntryVisible(); }));
    ui::DevicePage* page = window->deviceList().pageForKind(1)->page;
    EXPECT_FALSE(page->sectionPending(0));  // the custom key colours
    EXPECT_FALSE(page->sectionPending(1));  // the key editor, whose inner pages for other functions wait
    EXPECT_FALSE(page->sectionPending(2));  // macros
    EXPECT_FALSE(page->sectionPending(3));
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowTextsTest, ::testing::Values("en.json", "zh_CN.json"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param).substr(0, std::string(param.param).find('.'));
                         });

}  // namespace
}  // namespace halvern::app
