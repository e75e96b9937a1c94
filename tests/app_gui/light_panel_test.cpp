// The Lighting tab of the mouse and keyboard pages in the running main window, against emulated devices:
// what the editor shows for a mode, and the settings record each change leaves in the device.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListView>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "devices/keyboard_record.h"
#include "devices/mouse_record.h"
#include "lighting/shared_effect.h"
#include "page_fixture.h"
#include "ui/controls/light_control.h"
#include "ui/pages/keyboard_page.h"
#include "ui/pages/mouse_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using emu::Product;
using test::waitUntil;

class LightPanelTest : public PageFixture {
protected:
    template <typename Page>
    void open(Product product, int kind) {
        startWith(product, [&] {
            Page* p = pageOf<Page>(kind);
            return p && p->lightPanel()->available() && p->lightPanel()->editor()->modeCount() > 0 &&
                   !p->writing() && p->isVisible();
        });
        page = pageOf<Page>(kind);
        editor = page->lightPanel()->editor();
    }

    template <typename T = QWidget>
    T* control(const char* name) {
        return ui::findControl<T>(editor, QString::fromLatin1(name));
    }
    bool shown(const char* name) { return control(name)->isVisibleTo(editor); }

    // What the hub sends when the user picks an entry of one of the editor's lists.
    void choose(const char* list, int index) {
        auto* combo = control<QComboBox>(list);
        combo->setCurrentIndex(index);
        window->onNotification({QStringLiteral("itemselect"), combo->objectName(), combo, index, 0});
    }
    void click(const char* name) {
        QWidget* button = control(name);
        window->onNotification({QStringLiteral("click"), button->objectName(), button, 0, 0});
    }

    std::vector<uint8_t> settingsMemory(size_t size) {
        const auto& region = plugged->firmware().region(emu::Region::Settings);
        return {region.begin(), region.begin() + static_cast<std::ptrdiff_t>(std::min(size, region.size()))};
    }

    ui::DevicePage* page = nullptr;
    ui::CLightControlUI* editor = nullptr;
};

TEST_F(LightPanelTest, KeyboardSoundModesChangeTheEditorAndReachTheRecord) {
    open<ui::KeyboardPage>(Product::Keyboard, 1);
    auto& keyboard = static_cast<ui::KeyboardPage*>(page)->keyboard();
    ASSERT_EQ(editor->modeValue(17), 17);
    ASSERT_EQ(editor->modeValue(29), 29);

    const auto expectRecord = [&](uint8_t mode) {
        LightSetting light = keyboard.settings().light;
        EXPECT_EQ(light.mode, mode);
        light.mode = mode;
        const keyboard_record::Record record =
            keyboard_record::Build({0, light, keyboard.lightLists().values, keyboard.settings().system});
        const std::vector<uint8_t> expected(record.begin(), record.end());
        EXPECT_TRUE(waitUntil([&] { return settingsMemory(record.size()) == expected; })) << int{mode};
    };

    choose("light_combo_modeSelect", 17);
    EXPECT_TRUE(shown("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_FALSE(shown("deng_speed_layout"));
    expectRecord(17);

    choose("light_combo_modeSelect", 29);
    EXPECT_EQ(control<QStackedWidget>("light_color_tablayout")->currentIndex(), 1);
    EXPECT_TRUE(shown("light_combo_AudiomodeSelectLayout"));
    EXPECT_FALSE(shown("light_combo_ZZCCmodeSelectLayout"));
    expectRecord(29);
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(keyboard.profile().GetLightInfo().mode, 29);  // saved with the record
}

// The keyboard's mode list hides rows it does not offer (the custom effect); no key on the closed list
// reaches one.
TEST_F(LightPanelTest, KeysOnTheModeListNeverChooseAHiddenMode) {
    open<ui::KeyboardPage>(Product::Keyboard, 1);
    auto* modes = control<QComboBox>("light_combo_modeSelect");
    auto* view = qobject_cast<QListView*>(modes->view());
    ASSERT_TRUE(modes && view);
    int hidden = 0;
    for (int row = 0; row < modes->count(); ++row) hidden += view->isRowHidden(row) ? 1 : 0;
    ASSERT_GT(hidden, 0);
    const QSignalBlocker quiet(modes);  // only where the keys lead matters, not the writes they would make
    for (const int key :
         {Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown}) {
        for (int start = 0; start < modes->count(); ++start) {
            if (view->isRowHidden(start)) continue;
            modes->setCurrentIndex(start);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(modes, &press);
            EXPECT_FALSE(view->isRowHidden(modes->currentIndex())) << "key " << key << " from row " << start;
        }
    }
}

// Without a sound server the music mode says why its lights stay dark, under its colour row.
TEST_F(LightPanelTest, AMusicModeWithoutASoundServerSaysWhy) {
    open<ui::MousePage>(Product::Mouse, 0);
    int music = -1;
    for (size_t i = 0; i < editor->modeCount(); ++i) {
        if (editor->modeValue(static_cast<int>(i)) == 11) music = static_cast<int>(i);
    }
    ASSERT_GE(music, 0);
    editor->SetSoundServerMissing(true);
    auto* note = control("music_no_sound_server_note");
    ASSERT_TRUE(note);
    EXPECT_FALSE(shown("music_no_sound_server_note"));  // not a music mode
    choose("light_combo_modeSelect", music);
    ASSERT_TRUE(shown("music_no_sound_server_note"));
    QWidget* row = control("music_colour_layout");
    QCoreApplication::sendPostedEvents();
    EXPECT_GE(note->geometry().top(), row->geometry().bottom());  // below the row, not beside it
    EXPECT_EQ(note->geometry().left(), row->geometry().left());
    editor->SetSoundServerMissing(false);
    EXPECT_FALSE(shown("music_no_sound_server_note"));
}

TEST_F(LightPanelTest, MouseColourFromASwatchReachesTheRecordAndLeavesSynchronisedLighting) {
    open<ui::MousePage>(Product::Mouse, 0);
    auto& mouse = static_cast<ui::MousePage*>(page)->mouse();
    mouse.commandChannel().setLightSync(true);
    const int staticMode = 3;  // the mouse's static colour mode takes a colour
    ASSERT_EQ(editor->modeValue(staticMode), 3);
    choose("light_combo_modeSelect", staticMode);
    click("color_option_5");  // blue
    EXPECT_FALSE(mouse.commandChannel().lightSync());
    EXPECT_EQ(editor->GetColour(), (std::array<uint8_t, 3>{0, 0, 255}));

    ASSERT_TRUE(waitUntil([&] {
        mouse_record::Record record{};
        const auto bytes = settingsMemory(record.size());
        std::copy(bytes.begin(), bytes.end(), record.begin());
        const LightSetting read = mouse_record::Read(record, mouse.lightLists().values).light;
        return read.mode == staticMode && read.red == 0 && read.green == 0 && read.blue == 255;
    }));
    ASSERT_TRUE(settled(page));
    EXPECT_EQ(mouse.profile().GetLightInfo().blue, 255);
}

// Keyboard and mouse both attached: the same effect goes to both and runs in step until each leaves.
class SynchronisedLightTest : public LightPanelTest {
protected:
    void SetUp() override {
        open<ui::KeyboardPage>(Product::Keyboard, 1);
        keyboardPage = static_cast<ui::KeyboardPage*>(page);
        mouseDevice = emulator.attach(Product::Mouse, emu::Attachment::Cable);
        ASSERT_TRUE(waitUntil(
            [&] {
                auto* m = pageOf<ui::MousePage>(0);
                return m && m->lightPanel()->editor()->modeCount() > 0 && !m->writing() &&
                       !m->mouse().factoryTable().empty();
            },
            5000));
        mousePage = pageOf<ui::MousePage>(0);
    }
    DeviceSlotPage& slot(int kind) { return *window->deviceList().pageForKind(kind); }
    bool inSync(ui::DevicePage* p) { return p->device().commandChannel().lightSync(); }

    ui::KeyboardPage* keyboardPage = nullptr;
    ui::MousePage* mousePage = nullptr;
    std::shared_ptr<emu::VirtualDevice> mouseDevice;
};

TEST_F(SynchronisedLightTest, KeyboardBlinkGoesToTheMouseAndPagesLeaveOneByOne) {
    choose("light_combo_modeSelect", 23);  // the keyboard's blink
    ASSERT_TRUE(settled(keyboardPage));
    EXPECT_TRUE(control("deng_same_mode")->isVisibleTo(editor));  // two devices, a mode with a shared effect
    window->deviceList().ShowDeviceEntry(1, true, true);
    click("deng_same_mode");

    EXPECT_EQ(mousePage->mouse().settings().light.mode, 4);  // the mouse's blink
    EXPECT_EQ(mousePage->lightPanel()->editor()->GetModeIndex(), 4);
    EXPECT_TRUE(inSync(keyboardPage));
    EXPECT_TRUE(inSync(mousePage));
    EXPECT_EQ(window->synchronisedLighting().animation().settings().effect, SharedEffect::Blink);
    EXPECT_TRUE(window->synchronisedLighting().active());
    ASSERT_TRUE(waitUntil([&] {
        mouse_record::Record record{};
        const auto& region = mouseDevice->firmware().region(emu::Region::Settings);
        std::copy_n(region.begin(), std::min(record.size(), region.size()), record.begin());
        return mouse_record::Read(record, mousePage->mouse().lightLists().values).light.mode == 4;
    }));
    // Both previews show the same shared colour.
    ASSERT_TRUE(waitUntil([&] {
        return keyboardPage->device().GetLedColour(0) ==
                   window->synchronisedLighting().animation().packed() &&
               mousePage->device().GetLedColour(0) == window->synchronisedLighting().animation().packed();
    }));

    // A colour chosen on the mouse page takes only the mouse out.
    ui::CLightControlUI* keyboardEditor = editor;
    editor = mousePage->lightPanel()->editor();
    click("color_option_1");
    EXPECT_FALSE(inSync(mousePage));
    EXPECT_TRUE(inSync(keyboardPage));
    ASSERT_TRUE(settled(mousePage));

    // The mouse in a mode without a shared effect: the same effect from there changes nothing.
    choose("light_combo_modeSelect", 5);
    ASSERT_TRUE(settled(mousePage));
    EXPECT_EQ(window->sameMode(slot(0)), SharedEffectResult::NoEquivalent);
    EXPECT_EQ(keyboardPage->keyboard().settings().light.mode, 23);
    EXPECT_EQ(mousePage->mouse().settings().light.mode, 5);

    // Unplugging the second-to-last device ends synchronised lighting everywhere.
    ASSERT_TRUE(emulator.detach(Product::Mouse, emu::Attachment::Cable));
    ASSERT_TRUE(waitUntil([&] { return !inSync(keyboardPage); }));
    EXPECT_FALSE(window->synchronisedLighting().active());
    EXPECT_FALSE(
        ui::findControl(keyboardEditor, QStringLiteral("deng_same_mode"))->isVisibleTo(keyboardEditor));
}

// The keyboard and the mouse show their own effects and the shared colour only in the window's previews:
// with the window off the screen the animation rests, and back on it catches up at once.
TEST_F(SynchronisedLightTest, TheSharedAnimationRestsWhileNobodySeesIt) {
    choose("light_combo_modeSelect", 23);  // the keyboard's blink
    ASSERT_TRUE(settled(keyboardPage));
    window->deviceList().ShowDeviceEntry(1, true, true);
    ASSERT_EQ(window->sameMode(slot(1)), SharedEffectResult::Started);
    SynchronisedLighting& sync = window->synchronisedLighting();
    EXPECT_TRUE(sync.active());

    sync.setWindowHidden(true);
    EXPECT_FALSE(sync.active());
    EXPECT_TRUE(inSync(keyboardPage) && inSync(mousePage));  // resting, not leaving

    sync.setWindowHidden(false);
    EXPECT_TRUE(sync.active());
    ASSERT_TRUE(waitUntil([&] {
        return mousePage->device().GetLedColour(0) == sync.animation().packed() &&
               keyboardPage->device().GetLedColour(0) == sync.animation().packed();
    }));
}

// The synchro option is the light-sync flag shown: before any same effect there is nothing to follow, so
// choosing it leaves the device (and its preview) on its own effect; after one, the device joins.
TEST_F(SynchronisedLightTest, TheSynchroOptionJoinsOnlyAnAnimationThatRuns) {
    QAbstractButton* option = slot(0).entry->synchroButton();
    ASSERT_TRUE(option);
    ASSERT_TRUE(waitUntil([&] { return option->isVisibleTo(window.get()); }));
    option->click();
    EXPECT_FALSE(inSync(mousePage));
    EXPECT_FALSE(option->isChecked()) << "shown as it is";

    choose("light_combo_modeSelect", 6);  // the keyboard's static light
    ASSERT_TRUE(settled(keyboardPage));
    window->deviceList().ShowDeviceEntry(1, true, true);
    ASSERT_EQ(window->sameMode(slot(1)), SharedEffectResult::Started);
    EXPECT_TRUE(option->isChecked());
    option->click();
    EXPECT_FALSE(inSync(mousePage));
    EXPECT_FALSE(option->isChecked());
    option->click();
    EXPECT_TRUE(inSync(mousePage));
    EXPECT_TRUE(option->isChecked());
    ASSERT_TRUE(settled(mousePage));
}

}  // namespace
}  // namespace halvern::app
