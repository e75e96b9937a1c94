// The keyboard page in the running main window, against the emulated keyboard.

#include "ui/pages/keyboard_page.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <set>

#include "page_fixture.h"
#include "profile/data_folders.h"
#include "profile/language_choice.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/key_picture_layer.h"
#include "ui/controls/select_panel.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

class KeyboardPageTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(Product::Keyboard, [&] { return page() && !page()->keyboard().factoryTable().empty(); });
        keyboard = plugged;
        ASSERT_TRUE(waitUntil([&] { return page()->isVisible(); }));
    }

    ui::KeyboardPage* page() { return pageOf<ui::KeyboardPage>(1); }
    template <typename T = QWidget>
    T* control(const char* name) {
        return ui::findControl<T>(page(), QString::fromLatin1(name));
    }
    uint8_t recordByte(size_t i) { return keyboard->firmware().region(emu::Region::Settings).at(i); }

    // Drags a rubber band over the picture from the centre of one key to the centre of another.
    void dragOver(int fromKey, int toKey) {
        ui::SelectPanel* panel = page()->selectionPanel();
        const QPoint from = page()->keyButton(fromKey)->geometry().center();
        const QPoint to = page()->keyButton(toKey)->geometry().center();
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }

    std::shared_ptr<emu::VirtualDevice> keyboard;
};

TEST_F(KeyboardPageTest, RubberBandSelectionGetsTheCustomColourAtTheKeysLeds) {
    auto& device = page()->keyboard();
    ASSERT_TRUE(await([&](auto done) {
        device.ChangeSettings([](auto& s) { s.light.mode = CMerivexKeyboardDevice::kCustomColourMode; },
                              done);
    }));
    ui::SelectPanel* panel = page()->selectionPanel();
    ASSERT_TRUE(panel && panel->isVisible());
    auto* apply = control<QAbstractButton>("custom_colour_keys_btn");
    ASSERT_TRUE(apply && apply->isVisible());
    EXPECT_FALSE(apply->isEnabled()) << "nothing selected yet";

    // Keys 64, 65, 66 (A, S, D) lie in one row: a band from A's centre to D's covers just those three.
    dragOver(64, 66);
    ASSERT_TRUE(waitUntil([&] { return !page()->selectedKeys().empty(); }));
    EXPECT_EQ(page()->selectedKeys(), (std::vector<int>{64, 65, 66}));
    EXPECT_TRUE(apply->isEnabled());
    EXPECT_EQ(control<QLabel>("custom_colour_selection_label")->text(), QStringLiteral("3 keys selected"));
    // The count follows a language chosen while the page shows.
    ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/zh_CN.json")));
    texts.apply(window.get());
    EXPECT_EQ(control<QLabel>("custom_colour_selection_label")->text(),
              texts.text(QStringLiteral("custom_colour_selected_text")).arg(3));
    ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json")));
    texts.apply(window.get());

    page()->SetCustomColour(0x12C07F);
    QTest::mouseClick(apply, Qt::LeftButton);
    const auto memory = [&] { return keyboard->firmware().region(emu::Region::CustomColour); };
    const size_t group = size_t{device.settings().light.customGroup} * 512u;
    for (int key : {64, 65, 66}) {
        const uint8_t led = device.keyLed(static_cast<size_t>(key));
        ASSERT_NE(led, CMerivexKeyboardDevice::kAbsentMarker) << key;
        const size_t at = group + size_t{led} * 3u;
        ASSERT_TRUE(waitUntil([&] { return memory().size() > at + 2 && memory()[at] == 0x12; })) << key;
        EXPECT_EQ(memory()[at + 1], 0xC0) << key;
        EXPECT_EQ(memory()[at + 2], 0x7F) << key;
    }
    // A key outside the band keeps its colour.
    const size_t outside = group + size_t{device.keyLed(67)} * 3u;
    EXPECT_FALSE(memory()[outside] == 0x12 && memory()[outside + 1] == 0xC0) << "key 67 was not selected";

    // A new band replaces the selection.
    dragOver(43, 44);
    ASSERT_TRUE(waitUntil([&] { return page()->selectedKeys() == std::vector<int>{43, 44}; }));

    if (const char* shots = std::getenv("HALVERN_SHOTS_DIR")) {
        EXPECT_TRUE(window->grab().save(QDir(QString::fromLocal8Bit(shots)).filePath("keyboard_page.png")));
    }
}

// The keys, macro and system tabs are built the first time they are shown. A change made while the system
// tab did not exist (through the device, as halvernctl does) is what the tab shows once built, and its
// controls then reach the keyboard through the window's routing.
TEST_F(KeyboardPageTest, ATabIsBuiltWhenFirstShownWithTheCurrentValues) {
    for (const char* name :
         {"winlockflag_option", "repeat_rate_slider", "KeySetControlItem", "MacroControlItem"})
        EXPECT_EQ(control(name), nullptr) << name << " exists before its tab was shown";
    auto& device = page()->keyboard();
    ASSERT_TRUE(await([&](auto done) {
        device.ChangeSettings(
            [](KeyboardSettings& s) {
                s.system.repeat = 7;
                s.system.key6Flag = 1;
                s.system.repeatDelay = 2;
            },
            done);
    }));

    page()->ShowFunctionTab(3);
    auto* slider = control<QSlider>("repeat_rate_slider");
    ASSERT_TRUE(slider);
    EXPECT_TRUE(slider->isVisible());
    EXPECT_EQ(slider->value(), 7);
    EXPECT_TRUE(control<QAbstractButton>("6flag_option")->isChecked());
    EXPECT_TRUE(control<QAbstractButton>("repeat_delay_check_2")->isChecked());
    EXPECT_EQ(control<QLabel>("repeat_delay_time_label1")->text(),
              ui::KeyboardPage::delayText(texts.text(QStringLiteral("Repeat_Delay_Time")), 2));
    EXPECT_EQ(control<QAbstractButton>("winlockflag_option")->text(),
              texts.text(QStringLiteral("winlockflag_option_text")));
    EXPECT_EQ(control("KeySetControlItem"), nullptr) << "the keys tab was not shown";

    QTest::mouseClick(control<QAbstractButton>("winlockflag_option"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return recordByte(22) == 1; }));
    EXPECT_EQ(device.settings().system.winFlag, 1);

    // Shown again later, the tab is the same one, not built twice.
    page()->ShowFunctionTab(0);
    page()->ShowFunctionTab(3);
    EXPECT_EQ(control<QSlider>("repeat_rate_slider"), slider);
}

// A language chosen before a tab was built is the one the tab shows; one chosen after reaches it too.
TEST_F(KeyboardPageTest, ATabBuiltLaterFollowsTheLanguage) {
    const std::vector<LanguageEntry> languages = ReadLanguageList(LanguageListFile());
    const auto language = [&](const char* file) {
        const auto it = std::find_if(languages.begin(), languages.end(),
                                     [file](const LanguageEntry& l) { return l.file == file; });
        return it == languages.end() ? -1 : static_cast<int>(it - languages.begin());
    };
    const int chinese = language("zh_CN.json");
    const int english = language("en.json");
    ASSERT_GE(chinese, 0);
    ASSERT_GE(english, 0);
    // Switching languages sets the application's font; the tests after this one keep theirs.
    struct FontBack {
        QFont font = QApplication::font();
        ~FontBack() { QApplication::setFont(font); }
    } fontBack;
    window->applyLanguage(chinese);
    page()->ShowFunctionTab(3);
    auto* title = control<QLabel>("keyboard_repeat_title");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), texts.text(QStringLiteral("repeat_title")));
    EXPECT_NE(title->text(), QStringLiteral("repeat_title"));
    const QString chineseTitle = title->text();
    window->applyLanguage(english);
    EXPECT_NE(title->text(), chineseTitle);
    EXPECT_EQ(title->text(), texts.text(QStringLiteral("repeat_title")));
}

TEST_F(KeyboardPageTest, FlagsAndRepeatDelayReachTheRecordAndTheLabel) {
    page()->ShowFunctionTab(3);
    auto* winLock = control<QAbstractButton>("winlockflag_option");
    auto* sixKey = control<QAbstractButton>("6flag_option");
    ASSERT_TRUE(winLock && sixKey);
    ASSERT_TRUE(waitUntil([&] { return winLock->isVisible(); }));

    QTest::mouseClick(winLock, Qt::LeftButton);  // through the window's routing
    ASSERT_TRUE(waitUntil([&] { return recordByte(22) == 1; }));
    EXPECT_EQ(page()->keyboard().settings().system.winFlag, 1);
    page()->FlagChanged(2, true);
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(recordByte(21), 1);

    auto* label = control<QLabel>("repeat_delay_time_label1");
    ASSERT_TRUE(label);
    page()->RepeatDelaySelected(3);
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(label->text(), QStringLiteral("Repeat delay: 1000ms"));
    EXPECT_EQ(page()->keyboard().settings().system.repeatDelay, 3);
    // A stored choice out of range is shown as the first.
    ASSERT_TRUE(await([&](auto done) {
        page()->keyboard().ChangeSettings([](auto& s) { s.system.repeatDelay = 7; }, done);
    }));
    page()->ShowSettings();
    EXPECT_EQ(label->text(), QStringLiteral("Repeat delay: 250ms"));
    EXPECT_TRUE(control<QAbstractButton>("repeat_delay_check_0")->isChecked());
    EXPECT_EQ(control<QWidget>("repeat_input_richedit")->property("placeholderText").toString(),
              texts.text(QStringLiteral("Repeat_input_text")));

    // Reset puts the shipped rate and delay back (16 and 500 ms), on the page and in the device.
    page()->RepeatRateChanged(3);
    ASSERT_TRUE(settled(page()));
    QTest::mouseClick(control<QAbstractButton>("reset_repeat_btn"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return page()->keyboard().settings().system.repeat == 16; }));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->keyboard().settings().system.repeatDelay, 1);
    EXPECT_EQ(control<QSlider>("repeat_rate_slider")->value(), 16);
    EXPECT_TRUE(control<QAbstractButton>("repeat_delay_check_1")->isChecked());

    // The keyboard refuses: the flag goes back on the page and in the settings, and the window says so once.
    answerMessages(false);
    keyboard->setFaults({.replyStatus = 0xFF});
    page()->FlagChanged(1, true);
    EXPECT_TRUE(page()->writing());
    ASSERT_TRUE(settled(page()));
    EXPECT_FALSE(control<QAbstractButton>("wflag_option")->isChecked());
    EXPECT_EQ(page()->keyboard().settings().system.wFlag, 0);
    ASSERT_TRUE(waitUntil([&] { return messages.size() == 1; }));
    EXPECT_EQ(messages[0],
              QStringLiteral("Writing the settings failed: the device refused it. Your settings are as they "
                             "were."));
}

// The Keys tab says what to do there until a key is picked, and again once its editor has closed.
TEST_F(KeyboardPageTest, TheKeysTabSaysWhatToDoUntilAKeyIsPicked) {
    page()->ShowFunctionTab(1);
    auto* hint = control<QLabel>("device_tishi_info");
    ASSERT_TRUE(hint);
    ASSERT_TRUE(waitUntil([&] { return hint->isVisible(); }));
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(hint->width(), 200);
    EXPECT_GE(hint->height(), hint->heightForWidth(hint->width()));  // every line of it shows
    EXPECT_EQ(hint->text(), texts.text(QStringLiteral("keyboard_key_pick_hint")));
    page()->KeyPicked(64);
    EXPECT_FALSE(hint->isVisible());
    page()->KeyEditorButton(2);  // cancel
    EXPECT_TRUE(hint->isVisible());
}

TEST_F(KeyboardPageTest, KeyPicturesNameTheKeyAndMarkRemappedOnes) {
    ui::DeviceKeyButton* a = page()->keyButton(64);
    ui::DeviceKeyButton* m1 = page()->keyButton(120);
    ASSERT_TRUE(a && m1);
    EXPECT_TRUE(a->keysetImageHidden());
    EXPECT_TRUE(a->toolTip().startsWith(QStringLiteral("<b>A</b>"))) << a->toolTip().toStdString();
    EXPECT_TRUE(m1->keysetImageHidden()) << "an M key's own function is its name";

    // A becomes B: the picture is marked and tells what the key does now.
    KeyListEntry entry = page()->keyboard().keyList().at(64);
    entry.current.type = 0x20;
    entry.current.code1 = 0x00;
    entry.current.code2 = 0x05;  // B
    ASSERT_TRUE(await([&](auto done) { page()->keyboard().SetKeyAssignment(64, entry, done); }));
    page()->ShowKeyPictures();
    EXPECT_FALSE(a->keysetImageHidden());
    EXPECT_TRUE(a->toolTip().endsWith(QStringLiteral("Does: B"))) << a->toolTip().toStdString();

    // A recoil pattern, which the keyboard cannot play, reads as switched off.
    entry = page()->keyboard().keyList().at(65);
    entry.current = {entry.current.keyIndex, 0x72, 0x01, 0x00};
    ASSERT_TRUE(await([&](auto done) { page()->keyboard().SetKeyAssignment(65, entry, done); }));
    page()->ShowKeyPictures();
    EXPECT_TRUE(page()->keyButton(65)->toolTip().endsWith(QStringLiteral("Does: 关闭")));
    EXPECT_FALSE(page()->keyButton(65)->keysetImageHidden());
}

// The open editor names its key in its title line and the picture marks the key; the mark moves with the
// key picked and goes when the editor closes.
TEST_F(KeyboardPageTest, TheOpenEditorNamesAndMarksItsKey) {
    page()->ShowFunctionTab(1);
    ui::CKeySetControlUI* editor = page()->keyEditor();
    auto* title = qobject_cast<QLabel*>(editor->control(QStringLiteral("keyset_title_label")));
    ASSERT_TRUE(title);
    page()->KeyPicked(64);
    EXPECT_EQ(title->text(), QStringLiteral("Editing: A"));
    EXPECT_TRUE(page()->keyButton(64)->isEditing());
    page()->KeyPicked(120);
    EXPECT_EQ(title->text(), QStringLiteral("Editing: ") + texts.text(QStringLiteral("keyboard_key_M1")));
    EXPECT_FALSE(page()->keyButton(64)->isEditing());
    EXPECT_TRUE(page()->keyButton(120)->isEditing());
    page()->KeyEditorButton(0);  // saved as it was
    EXPECT_FALSE(editor->isVisibleTo(page()));
    EXPECT_FALSE(page()->keyButton(120)->isEditing());
    EXPECT_EQ(page()->editedKey(), -1);
}

// What the window shows of a key changes as soon as the key does: the edit mark when its editor opens, the
// remap mark when a key captured in the field is saved, with a still light effect (nothing else repaints
// the picture) and without showing the page again.
TEST_F(KeyboardPageTest, TheKeysMarksAreDrawnAtOnce) {
    auto& device = page()->keyboard();
    ASSERT_TRUE(await([&](auto done) {
        device.ChangeSettings([](auto& s) { s.light.mode = CMerivexKeyboardDevice::kCustomColourMode; },
                              done);
    }));
    ui::DeviceKeyButton* a = page()->keyButton(64);
    ASSERT_TRUE(a && a->isVisible());
    ui::KeyPictureLayer& layer = page()->selectionPanel()->pictureLayer();
    // What the screen shows of the key.
    const auto shown = [&] {
        QWidget* top = a->window();
        const QPoint at = a->mapTo(top, QPoint(0, 0));
        return top->screen()->grabWindow(top->winId(), at.x(), at.y(), a->width(), a->height()).toImage();
    };
    const auto painted = [&] {
        QCoreApplication::sendPostedEvents();
        return !layer.paintPending() && !page()->writing();
    };
    // A still effect: once the new mode is shown, the key looks the same from one light tick to the next.
    QImage plain;
    QElapsedTimer still;
    still.start();
    ASSERT_TRUE(waitUntil([&] {
        if (const QImage now = shown(); now != plain) {
            plain = now;
            still.restart();
        }
        return painted() && still.elapsed() > 300;
    })) << "the light effect is not still";
    ASSERT_FALSE(plain.isNull());

    page()->KeyPicked(64);
    ASSERT_TRUE(waitUntil([&] { return shown() != plain; })) << "the edit mark was not drawn";
    ui::CKeySetControlUI* editor = page()->keyEditor();
    KeyEditorState state = editor->editorState();
    state.category = key_category::kKeyboard;
    state.page = key_category::kKeyboard;
    editor->applyEditorState(state);
    ASSERT_TRUE(editor->OnKeyCaptured(0x30, false));  // B
    EXPECT_TRUE(a->keysetImageHidden()) << "nothing is saved before Save";
    page()->KeyEditorButton(0);
    EXPECT_FALSE(a->keysetImageHidden());
    EXPECT_FALSE(a->isEditing());
    ASSERT_TRUE(waitUntil(painted));
    const QImage marked = shown();
    EXPECT_NE(marked, plain) << "the remap mark was not drawn";

    // Given its own function back, the key looks as it did.
    page()->KeyPicked(64);
    page()->KeyEditorButton(1);
    ASSERT_TRUE(waitUntil([&] { return painted() && shown() == plain; })) << "the mark stayed";
}

TEST_F(KeyboardPageTest, ChoosingAnotherProfileShowsAndWritesItsSettings) {
    ui::CDeviceProfileUI* profiles = page()->profileControl();
    ASSERT_TRUE(profiles);
    page()->ShowFunctionTab(3);
    auto* winLock = control<QAbstractButton>("winlockflag_option");
    ASSERT_TRUE(winLock);
    page()->FlagChanged(0, true);
    ASSERT_TRUE(settled(page()));
    ASSERT_EQ(recordByte(22), 1);

    ASSERT_TRUE(profiles->AddProfile());
    ASSERT_TRUE(profiles->SelectProfile(1, true));  // as if the user chose it: switched after the pause
    ASSERT_TRUE(waitUntil([&] { return recordByte(22) == 0; }));
    EXPECT_EQ(page()->keyboard().settings().system.winFlag, 0);
    EXPECT_FALSE(winLock->isChecked());

    ASSERT_TRUE(profiles->SelectProfile(0, true));
    ASSERT_TRUE(waitUntil([&] { return recordByte(22) == 1; }));
    EXPECT_TRUE(winLock->isChecked());
}

TEST_F(KeyboardPageTest, PageStaysResponsiveWhileTheKeyboardStreams) {
    ASSERT_TRUE(await([&](auto done) {
        page()->keyboard().ChangeSettings(
            [](auto& s) { s.light.mode = CMerivexKeyboardDevice::kExternalColourMode; }, done);
    }));
    // The UI thread's timer keeps its beat while frames go to the keyboard.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, worstGap = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        worstGap = std::max(worstGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    beat.start(5);
    const uint64_t before = page()->keyboard().streamStats().frames;
    EXPECT_TRUE(waitUntil([&] { return page()->keyboard().streamStats().frames >= before + 5; }, 5000));
    beat.stop();
    EXPECT_LT(worstGap, 100) << "the UI thread was held for " << worstGap << " ms";
}

}  // namespace
}  // namespace halvern::app
