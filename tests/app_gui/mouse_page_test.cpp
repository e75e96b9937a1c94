// The mouse page in the running main window, against the emulated mouse.

#include "ui/pages/mouse_page.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "device/command_channel.h"
#include "page_fixture.h"
#include "ui/controls/device_key_button.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/notification.h"

namespace halvern::app {
namespace {

using emu::Attachment;
using emu::Product;
using test::waitUntil;

// The command codes of the output reports captured since line `mark`, without link queries.
std::vector<uint8_t> commandsSince(const std::filesystem::path& capture, size_t mark) {
    std::ifstream in(capture);
    std::vector<uint8_t> codes;
    std::string line;
    for (size_t n = 0; std::getline(in, line); ++n) {
        if (n < mark || line.rfind("OUT ", 0) != 0) continue;
        std::istringstream words(line);
        std::string direction, name, hex;
        words >> direction >> name;
        std::vector<uint8_t> bytes;
        while (words >> hex) bytes.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
        // Link queries and the entry timers' status reads (ReadOnce) may fall between any two writes.
        if (bytes.size() > 3 && bytes[3] != 0xAA && bytes[3] != command::kReadOnce) codes.push_back(bytes[3]);
    }
    return codes;
}

size_t lineCount(const std::filesystem::path& capture) {
    std::ifstream in(capture);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

class MousePageTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(Product::Mouse, [&] { return page() && !page()->mouse().factoryTable().empty(); });
        mouse = plugged;
        // These tests work the controls of every tab: each tab is built as if it had been shown.
        page()->BuildAllSections();
    }

    ui::MousePage* page() { return pageOf<ui::MousePage>(0); }

    std::shared_ptr<emu::VirtualDevice> mouse;
};

TEST_F(MousePageTest, DraggingAStageSliderWritesTheRecordAndShowsTheDpi) {
    auto* slider = ui::findControl<QSlider>(page(), QStringLiteral("DPI_slider_2"));
    auto* edit = ui::findControl<QLineEdit>(page(), QStringLiteral("DPI_edit_2"));
    ASSERT_TRUE(slider && edit);
    EXPECT_EQ(slider->maximum(), 148);  // from the mouse's information block
    // Show the system tab so the slider has its real size on screen.
    page()->ShowFunctionTab(3);
    ASSERT_TRUE(waitUntil([&] { return slider->isVisible() && slider->width() > 50; }));

    QStyleOptionSlider option;
    option.initFrom(slider);
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->value();
    option.orientation = Qt::Horizontal;
    const QRect handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const int before = slider->value();
    const size_t mark = lineCount(capture);
    QTest::mousePress(slider, Qt::LeftButton, {}, handle.center());
    QTest::mouseMove(slider, handle.center() + QPoint(slider->width() / 3, 0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, handle.center() + QPoint(slider->width() / 3, 0));
    ASSERT_TRUE(waitUntil([&] { return commandsSince(capture, mark).size() >= 4; }));

    const int position = slider->value();
    EXPECT_GT(position, before);
    EXPECT_EQ(commandsSince(capture, mark), (std::vector<uint8_t>{0x01, 0x06, 0x06, 0x02}));
    const auto record = mouse->firmware().region(emu::Region::Settings);
    EXPECT_EQ(record[14 + 9 * 2 + 2] | record[14 + 9 * 2 + 3] << 8, position);
    EXPECT_EQ(edit->text().toInt(), page()->mouse().dpiScale().dpi(position));
    EXPECT_EQ(page()->mouse().settings().stages.at(2).dpiX, position);

    if (const char* shots = std::getenv("HALVERN_SHOTS_DIR")) {
        EXPECT_TRUE(window->grab().save(QDir(QString::fromLocal8Bit(shots)).filePath("mouse_page.png")));
    }
}

TEST_F(MousePageTest, ADpiTypedPastTheHighestShowsWhatTheStageGot) {
    auto* edit = ui::findControl<QLineEdit>(page(), QStringLiteral("DPI_edit_3"));
    auto* slider = ui::findControl<QSlider>(page(), QStringLiteral("DPI_slider_3"));
    ASSERT_TRUE(edit && slider);
    page()->ShowFunctionTab(3);
    ASSERT_TRUE(waitUntil([&] { return edit->isVisible(); }));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("99999"));
    QTest::keyClick(edit, Qt::Key_Tab);  // leaving the field ends the edit
    ASSERT_TRUE(waitUntil([&] { return edit->text() != QStringLiteral("99999"); })) << "the field kept 99999";
    ASSERT_TRUE(settled(page()));
    const int stored = page()->mouse().settings().stages.at(3).dpiX;
    const DpiScale scale = page()->mouse().dpiScale();
    EXPECT_EQ(edit->text().toInt(), scale.dpi(stored));
    EXPECT_EQ(stored, scale.highest);
    EXPECT_EQ(slider->value(), stored);

    // Every DPI the slider reaches can be typed, past 10000 too.
    ASSERT_GT(scale.dpi(scale.highest - 1), 10000);
    const QString reachable = QString::number(scale.dpi(scale.highest - 1));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, reachable);
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_TRUE(waitUntil([&] { return page()->mouse().settings().stages.at(3).dpiX == scale.highest - 1; }));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(edit->text(), reachable);
}

TEST_F(MousePageTest, ButtonListShowsEachAssignmentAndARefusedChangeIsTakenBack) {
    auto* list = ui::findControl(page(), QStringLiteral("device_setkeyinfo_list"));
    ASSERT_TRUE(list);
    auto* row0 = ui::findControl(list, QStringLiteral("device_setkeyinfo_row_0"));
    ASSERT_TRUE(row0);
    EXPECT_EQ(row0->findChild<QLabel*>(QStringLiteral("name"))->text(),
              texts.text(QStringLiteral("mouse_key_left")));
    EXPECT_EQ(row0->findChild<QAbstractButton*>(QStringLiteral("assignment"))->text(),
              texts.text(QStringLiteral("mouse_key_left")));

    // The mouse refuses: the stage keeps its value on the page and in the profile.
    answerMessages(false);
    const uint16_t before = page()->mouse().settings().stages.at(1).dpiX;
    mouse->setFaults({.replyStatus = 0xFF});
    page()->DpiSliderChanged(1, before + 5);
    ASSERT_TRUE(settled(page()));
    ASSERT_TRUE(waitUntil([&] { return messages.size() == 1; }));
    auto* slider = ui::findControl<QSlider>(page(), QStringLiteral("DPI_slider_1"));
    EXPECT_EQ(slider->value(), before);
    EXPECT_EQ(page()->mouse().settings().stages.at(1).dpiX, before);
}

TEST_F(MousePageTest, PickedButtonTakesTheEditorsAssignmentOnSave) {
    ui::CKeySetControlUI* editor = page()->keyEditor();
    ASSERT_TRUE(editor);
    page()->KeyPicked(3);  // the forward button, slot 4 of the emulated mouse
    EXPECT_TRUE(editor->isVisibleTo(page()));
    KeyEditorState state = editor->editorState();
    state.category = key_category::kMouseButton;
    state.page = key_category::kMouseButton;
    state.mouseKeyIndex = 1;  // the middle button
    editor->applyEditorState(state);
    page()->KeyEditorButton(0);  // save
    EXPECT_FALSE(editor->isVisibleTo(page()));
    ASSERT_TRUE(settled(page()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the list's old rows

    const auto table = mouse->firmware().region(emu::Region::KeyTable);
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 12, table.begin() + 15),
              (std::vector<uint8_t>{0x10, 0x04, 0x00}));
    auto* row = ui::findControl(page(), QStringLiteral("device_setkeyinfo_row_3"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->findChild<QAbstractButton*>(QStringLiteral("assignment"))->text(),
              texts.text(QStringLiteral("mouse_key_middle")));
}

TEST_F(MousePageTest, DefaultGivesThePickedButtonItsOwnFunctionBack) {
    ui::CKeySetControlUI* editor = page()->keyEditor();
    ASSERT_TRUE(editor);
    const KeyListEntry before = page()->mouse().keyList().at(3);
    page()->KeyPicked(3);
    KeyEditorState state = editor->editorState();
    state.category = key_category::kMouseButton;
    state.page = key_category::kMouseButton;
    state.mouseKeyIndex = 1;  // the middle button
    editor->applyEditorState(state);
    page()->KeyEditorButton(0);
    ASSERT_TRUE(settled(page()));
    ASSERT_NE(page()->mouse().keyList().at(3).current, before.defaults);

    page()->KeyPicked(3);
    page()->KeyEditorButton(1);  // default
    EXPECT_FALSE(editor->isVisibleTo(page()));
    ASSERT_TRUE(settled(page()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page()->mouse().keyList().at(3).current, before.defaults);
    const auto table = mouse->firmware().region(emu::Region::KeyTable);
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 12, table.begin() + 15),
              (std::vector<uint8_t>{before.defaults.type, before.defaults.code1, before.defaults.code2}));
    auto* row = ui::findControl(page(), QStringLiteral("device_setkeyinfo_row_3"));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->findChild<QAbstractButton*>(QStringLiteral("assignment"))->text(),
              texts.text(QStringLiteral("mouse_key_forward")));
    // Reopened, the editor shows the default category.
    page()->KeyPicked(3);
    EXPECT_EQ(editor->editorState().category, key_category::kDefault);
}

TEST_F(MousePageTest, AMacroToPlayABlankOrZeroNumberOfTimesIsRefused) {
    page()->macroEditor()->AddMacro();
    ui::CKeySetControlUI* editor = page()->keyEditor();
    const KeyAssignment before = page()->mouse().keyList().at(3).current;
    page()->KeyPicked(3);
    KeyEditorState state = editor->editorState();
    ASSERT_EQ(state.macroCount, 1);
    state.category = key_category::kMacro;
    state.page = key_category::kMacro;
    state.macroIndex = 0;
    state.macroOverIndex = kMacroOverCountIndex;
    answerMessages(true);
    for (const char* times : {"", "0", "256", "x"}) {
        state.macroCycleText = times;
        editor->applyEditorState(state);
        page()->KeyEditorButton(0);
        EXPECT_TRUE(editor->isVisibleTo(page())) << times;
        EXPECT_EQ(page()->mouse().keyList().at(3).current, before) << times;
    }
    EXPECT_EQ(messages, std::vector<QString>(
                            4, texts.text(QString::fromLatin1(ui::CKeySetControlUI::kMacroCountTextId))));
    state.macroCycleText = "3";
    editor->applyEditorState(state);
    page()->KeyEditorButton(0);
    EXPECT_FALSE(editor->isVisibleTo(page()));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(page()->mouse().keyList().at(3).current, (KeyAssignment{before.keyIndex, 0x71, 0, 3}));
}

// A key pressed in the key field only fills the field: the button keeps what it does until Save.
TEST_F(MousePageTest, AKeyPressedInTheKeyFieldIsShownAndSavedOnlyBySave) {
    ui::CKeySetControlUI* editor = page()->keyEditor();
    const KeyAssignment before = page()->mouse().keyList().at(3).current;
    const auto slot4 = [&] {
        const auto table = mouse->firmware().region(emu::Region::KeyTable);
        return std::vector<uint8_t>(table.begin() + 12, table.begin() + 15);
    };
    const std::vector<uint8_t> tableBefore = slot4();
    page()->KeyPicked(3);
    KeyEditorState state = editor->editorState();
    state.category = key_category::kKeyboard;
    state.page = key_category::kKeyboard;
    editor->applyEditorState(state);
    auto* field = qobject_cast<QLineEdit*>(editor->control(QStringLiteral("keyset_keyboard_text_edit")));
    ASSERT_TRUE(field);
    const auto press = [field](quint32 xkbKeycode, bool repeat = false) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, xkbKeycode, 0, 0, QString(),
                        repeat);
        QCoreApplication::sendEvent(field, &event);
    };
    press(8 + 113);  // a media key: nothing
    EXPECT_TRUE(field->text().isEmpty());
    press(8 + 30);  // A
    EXPECT_EQ(field->text(), texts.text(QStringLiteral("keyboard_key_A")));
    EXPECT_TRUE(editor->isVisibleTo(page()));
    EXPECT_FALSE(page()->writing());
    EXPECT_EQ(page()->mouse().keyList().at(3).current, before);
    EXPECT_EQ(editor->entry().current, before);

    // Cancelled, the stray key is gone: nothing was written and the editor shows the button again.
    page()->KeyEditorButton(2);
    EXPECT_EQ(page()->mouse().keyList().at(3).current, before);
    EXPECT_EQ(slot4(), tableBefore);
    page()->KeyPicked(3);
    EXPECT_NE(editor->editorState().category, key_category::kKeyboard);

    // Saved, it is the button's: a modifier chosen first, by a click the window routes, goes with it.
    editor->applyEditorState(state);
    auto* ctrl = qobject_cast<QAbstractButton*>(editor->control(QStringLiteral("key_ComBox_check_1")));
    ASSERT_TRUE(ctrl);
    ctrl->click();
    press(8 + 30);
    EXPECT_EQ(slot4(), tableBefore);
    page()->KeyEditorButton(0);
    EXPECT_FALSE(editor->isVisibleTo(page()));
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(slot4(), (std::vector<uint8_t>{0x20, 0x01, 0x04}));
}

// The blue assignment of each row is a link to the button's editor, as the button on the picture is. The
// open editor names its button, in the language shown, and the picture marks it until the editor closes.
TEST_F(MousePageTest, TheListsAssignmentOpensTheEditorThatNamesAndMarksItsButton) {
    ui::CKeySetControlUI* editor = page()->keyEditor();
    page()->ShowFunctionTab(1);
    const auto link = [&](int row) {
        auto* line = ui::findControl(page(), QStringLiteral("device_setkeyinfo_row_%1").arg(row));
        return line ? line->findChild<QAbstractButton*>(QStringLiteral("assignment")) : nullptr;
    };
    ASSERT_TRUE(link(3) && link(1));
    ASSERT_TRUE(waitUntil([&] { return link(3)->isVisible(); }));
    auto* title = qobject_cast<QLabel*>(editor->control(QStringLiteral("keyset_title_label")));
    ASSERT_TRUE(title);
    const auto marked = [&] {
        std::vector<int> keys;
        for (int j = 0; j < 11; ++j) {
            if (page()->keyButton(j) && page()->keyButton(j)->isEditing()) keys.push_back(j);
        }
        return keys;
    };
    EXPECT_EQ(marked(), std::vector<int>{});

    QTest::mouseClick(link(3), Qt::LeftButton);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->entry().current, page()->mouse().keyList().at(3).current);
    EXPECT_EQ(title->text(), QStringLiteral("Editing: Forward"));
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(marked(), std::vector<int>{3});

    // Another button: the title and the mark move with it.
    QTest::mouseClick(link(1), Qt::LeftButton);
    EXPECT_EQ(title->text(), QStringLiteral("Editing: Right button"));
    EXPECT_EQ(marked(), std::vector<int>{1});
    // The title is never cut: beside "Function" where it fits, else on a line of its own, and the
    // function list stays inside the editor.
    const auto whole = [&] {
        return title->wordWrap() || title->width() >= title->fontMetrics().horizontalAdvance(title->text()) +
                                                          title->contentsMargins().left() +
                                                          title->contentsMargins().right();
    };
    auto* list = editor->control(QStringLiteral("keyset_function_combo"));
    ASSERT_TRUE(list);
    const auto inside = [&] {
        const QRect shown = list->geometry().translated(list->parentWidget()->mapTo(editor, QPoint()));
        return editor->rect().contains(shown);
    };
    EXPECT_TRUE(waitUntil(whole));
    EXPECT_TRUE(inside());
    window->resize(window->minimumSize());
    EXPECT_TRUE(waitUntil(whole));
    EXPECT_TRUE(inside());

    // The language changes under the open editor.
    ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/zh_CN.json")));
    texts.apply(window.get());
    EXPECT_EQ(title->text(), QStringLiteral("正在编辑：右键"));
    auto* functions = qobject_cast<QComboBox*>(editor->control(QStringLiteral("keyset_function_combo")));
    ASSERT_TRUE(functions);
    EXPECT_EQ(functions->itemText(0), QStringLiteral("默认"));

    page()->KeyEditorButton(2);  // cancel
    EXPECT_FALSE(editor->isVisibleTo(page()));
    EXPECT_EQ(marked(), std::vector<int>{});
}

// Without a button doing left click the user could not click any more: taking away the last one asks
// first, naming what happens, and "no" keeps the button as it was, with its editor open.
TEST_F(MousePageTest, TakingAwayTheLastLeftClickAsksFirst) {
    ui::CKeySetControlUI* editor = page()->keyEditor();
    const auto choose = [&](int button, int mouseKeyIndex) {  // 0 left, 1 middle (kMouseButtonChoices)
        page()->KeyPicked(button);
        KeyEditorState state = editor->editorState();
        state.category = key_category::kMouseButton;
        state.page = key_category::kMouseButton;
        state.mouseKeyIndex = mouseKeyIndex;
        editor->applyEditorState(state);
    };
    const auto slot = [&](size_t n) {
        const auto table = mouse->firmware().region(emu::Region::KeyTable);
        return std::vector<uint8_t>(table.begin() + static_cast<std::ptrdiff_t>(n * 3),
                                    table.begin() + static_cast<std::ptrdiff_t>(n * 3 + 3));
    };
    const KeyListEntry left = page()->mouse().keyList().at(0);
    const std::vector<uint8_t> leftSlot = slot(1);  // the left button sits in slot 1
    ASSERT_EQ(leftSlot, (std::vector<uint8_t>{0x10, 0x01, 0x00}));

    answerMessages(false);
    choose(0, 1);
    page()->KeyEditorButton(0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], texts.text(QStringLiteral("mouse_left_click_lost_text")));
    EXPECT_TRUE(editor->isVisibleTo(page()));
    EXPECT_TRUE(page()->keyButton(0)->isEditing());
    EXPECT_FALSE(page()->writing());
    EXPECT_EQ(page()->mouse().keyList().at(0).current, left.current);
    EXPECT_EQ(editor->entry().current, left.current);
    page()->KeyEditorButton(2);
    EXPECT_EQ(slot(1), leftSlot);

    // With a second button clicking, the left one is free to go: nothing is asked.
    choose(3, 0);
    page()->KeyEditorButton(0);
    ASSERT_TRUE(settled(page()));
    choose(0, 1);
    page()->KeyEditorButton(0);
    ASSERT_TRUE(settled(page()));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(slot(1), (std::vector<uint8_t>{0x10, 0x04, 0x00}));

    // The forward button's own function (Default) would take the last left click away too.
    page()->KeyPicked(3);
    page()->KeyEditorButton(1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(page()->mouse().keyList().at(3).current.code1, 0x01);
    EXPECT_TRUE(editor->isVisibleTo(page()));

    // Confirmed, it is done as asked.
    answerMessages(true);
    page()->KeyEditorButton(1);
    ASSERT_EQ(messages.size(), 3u);
    ASSERT_TRUE(settled(page()));
    EXPECT_FALSE(editor->isVisibleTo(page()));
    EXPECT_EQ(page()->mouse().keyList().at(3).current, page()->mouse().keyList().at(3).defaults);
}

// Names are the user's text: one that looks like markup reads as typed wherever the windows show it.
TEST_F(MousePageTest, MacroAndProfileNamesShowAsTyped) {
    const QString macroName = QStringLiteral("<b>bold</b>");
    ui::CMacroControlUI* macros = page()->macroEditor();
    macros->AddMacro();
    ui::findControl<QLineEdit>(macros, QStringLiteral("macro_edit_macroname"))->setText(macroName);
    macros->RenameMacro();
    KeyListEntry entry = page()->mouse().keyList()[3];
    entry.current = {entry.current.keyIndex, 0x70, 0, 0};  // the forward button plays it
    ASSERT_TRUE(await([&](CMerivexUSBDevice::Done d) { page()->mouse().SetKeyAssignment(3, entry, d); }));
    page()->ShowSettings();
    ASSERT_TRUE(waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the list's old rows
        auto* row = ui::findControl(page(), QStringLiteral("device_setkeyinfo_row_3"));
        auto* link = row ? row->findChild<QAbstractButton*>(QStringLiteral("assignment")) : nullptr;
        return link && link->text() == macroName;  // a button's text is never markup
    }));
    EXPECT_EQ(markupShown(macroName), QStringList{});

    const QString profileName = QStringLiteral("<i>mine</i>");
    ui::CDeviceProfileUI* profiles = page()->profileControl();
    ASSERT_TRUE(profiles->AddProfile());
    ASSERT_EQ(profiles->RenameProfile(profileName), 1);
    // The question before deleting it names it.
    bool asked = false;
    QStringList inQuestion;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<ui::MessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        asked = labelShows(profileName);
        inQuestion = markupShown(profileName);
        box->done(0);
    });
    answer.start(10);
    auto* deleteButton = ui::findControl<QWidget>(page(), QStringLiteral("device_sub_btn"));
    ASSERT_TRUE(deleteButton);
    window->onNotification({QStringLiteral("click"), QStringLiteral("device_sub_btn"), deleteButton, 0, 0});
    ASSERT_TRUE(waitUntil([&] { return asked; }));
    EXPECT_EQ(inQuestion, QStringList{});
    EXPECT_EQ(markupShown(profileName), QStringList{});
}

TEST_F(MousePageTest, ChoosingAnotherProfileSwitchesOnceAfterThePause) {
    ui::CDeviceProfileUI* profiles = page()->profileControl();
    ASSERT_TRUE(profiles && profiles->combo());
    const std::string first = page()->mouse().profileName();
    ASSERT_TRUE(profiles->AddProfile());
    QComboBox* combo = profiles->combo();
    // Two quick choices make one switch, to the last one.
    combo->setCurrentIndex(0);
    window->onNotification({QStringLiteral("itemselect"), combo->objectName(), combo, 0, 0});
    combo->setCurrentIndex(1);
    window->onNotification({QStringLiteral("itemselect"), combo->objectName(), combo, 1, 0});
    EXPECT_EQ(page()->mouse().profileName(), first);  // nothing yet: the choice waits 400 ms
    ASSERT_TRUE(waitUntil([&] { return page()->mouse().profileName() != first; }, 2000));
    EXPECT_EQ(QString::fromStdString(page()->mouse().profileName()), profiles->GetCurrentProfileId());
    EXPECT_EQ(profiles->profiles().GetSelectedIndex(), 1);
}

TEST_F(MousePageTest, StageEnableRuleKeepsOneStageOn) {
    for (int n = 0; n < 6; ++n) page()->DpiEnabled(n, true);
    page()->DpiSelected(0);
    for (int n = 1; n < 5; ++n) page()->DpiEnabled(n, false);
    ASSERT_TRUE(settled(page()));
    auto check = [&](int n) {
        return ui::findControl<QAbstractButton>(page(), QStringLiteral("DPI_enable_check_"), n);
    };
    auto row = [&](int n) { return ui::findControl(page(), QStringLiteral("DPI_layout_"), n); };
    EXPECT_FALSE(row(3)->isEnabled());
    EXPECT_TRUE(check(5)->isEnabled());  // two stages on: either may go
    page()->DpiEnabled(5, false);
    EXPECT_FALSE(check(0)->isEnabled());  // the last one cannot be switched off
    page()->DpiEnabled(3, true);
    ASSERT_TRUE(settled(page()));
    EXPECT_TRUE(check(3)->isEnabled());
    EXPECT_TRUE(check(5)->isEnabled());
    EXPECT_FALSE(check(0)->isEnabled());  // the active stage stays on
}

}  // namespace
}  // namespace halvern::app
