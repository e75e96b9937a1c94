// The macro and recoil editors of the mouse page in the running main window, against the emulated mouse.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QValidator>
#include <fstream>

#include "input/event_image.h"
#include "page_fixture.h"
#include "ui/pages/mouse_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using emu::Product;

/// Input the test hands to the recording editor.
class FakeHook final : public InputHook {
public:
    explicit FakeHook(Sink* sink) : m_sink(sink) {}
    bool Start(Sink sink, bool) override { return *m_sink = std::move(sink), true; }
    void Stop() override { *m_sink = nullptr; }
    [[nodiscard]] bool keyboardGrabbed() const override { return true; }

private:
    Sink* m_sink;
};

class MacroEditorTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(Product::Mouse, [&] { return page() && !page()->mouse().factoryTable().empty(); });
        page()->BuildAllSections();  // the tests work the macro and recoil tabs
        editor = page()->macroEditor();
        ASSERT_TRUE(editor);
    }
    ui::MousePage* page() { return pageOf<ui::MousePage>(0); }
    std::vector<MacroEvent> saved(int position) {
        MacroStore store(page()->mouse().UserFolder());
        return store.LoadMacro(store.LoadMacroList().at(static_cast<size_t>(position)).guid);
    }
    /// Button `key` plays macro `macro`, written to the mouse.
    void assignMacro(size_t key, uint8_t macro) {
        KeyListEntry entry = page()->mouse().keyList()[key];
        entry.current = {entry.current.keyIndex, 0x70, macro, 0};
        ASSERT_TRUE(
            await([&](CMerivexUSBDevice::Done d) { page()->mouse().SetKeyAssignment(key, entry, d); }));
    }

    ui::CMacroControlUI* editor = nullptr;
};

TEST_F(MacroEditorTest, RowCommandsChangeTheRowsAndSaveAtOnce) {
    editor->AddMacro();
    ASSERT_EQ(editor->selectedMacro(), 0);
    editor->InsertMenuItem("left_click");
    const std::vector<MacroEvent> click{{true, 1, 1, 50}, {false, 1, 1, 50}};
    EXPECT_EQ(saved(0), click);
    EXPECT_EQ(editor->actionList()->rowCount(), 2);
    EXPECT_EQ(editor->actionList()->item(0, 0)->text(), texts.text(QStringLiteral("mouse_key_left")));

    ui::findControl<QLineEdit>(editor, QStringLiteral("mouse_x_left_edit"))->setText(QStringLiteral("300"));
    editor->SelectRow(1);
    ui::findControl<QPushButton>(editor, QStringLiteral("macro_inset_moveleftkey_btn"))->click();
    EXPECT_EQ(saved(0).back(), (MacroEvent{true, 44, 4, 50}));
    EXPECT_EQ(editor->actionList()->item(2, 1)->text(), QStringLiteral("44"));

    // The first row does not move up; the last goes to the top.
    editor->SelectRow(0);
    editor->MoveRow(RowMove::Up);
    EXPECT_EQ(saved(0)[0], click[0]);
    editor->SelectRow(2);
    editor->MoveRow(RowMove::Top);
    EXPECT_EQ(saved(0)[0].type, 4);

    // Delays: an empty edit saves 0; the edit itself takes six digits at most, up to 65535.
    editor->actionList()->item(1, 2)->setText(QString());
    EXPECT_EQ(saved(0)[1].delay, 0);
    editor->actionList()->item(1, 2)->setText(QStringLiteral("1234"));
    EXPECT_EQ(saved(0)[1].delay, 1234);
    std::unique_ptr<QWidget> edit(editor->actionList()->itemDelegateForColumn(2)->createEditor(
        nullptr, QStyleOptionViewItem(), editor->actionList()->model()->index(1, 2)));
    auto* delayEdit = qobject_cast<QLineEdit*>(edit.get());
    ASSERT_TRUE(delayEdit);
    EXPECT_EQ(delayEdit->maxLength(), 6);
    QString text = QStringLiteral("65536");
    int caret = 0;
    EXPECT_NE(delayEdit->validator()->validate(text, caret), QValidator::Acceptable);

    // An export named without ".mac" gets it, so the import dialog lists it; importing it adds a macro.
    test::TempDir outside;
    editor->ExportTo(QString::fromStdString((outside / "mine").string()));
    ASSERT_TRUE(std::filesystem::exists(outside / "mine.mac"));
    EXPECT_FALSE(std::filesystem::exists(outside / "mine"));
    editor->ImportFrom(QString::fromStdString((outside / "mine.mac").string()));
    EXPECT_EQ(editor->nameList()->count(), 2);
    EXPECT_EQ(saved(1), saved(0));
    // A file that is not a macro adds nothing and says so.
    answerMessages(true);
    { std::ofstream(outside / "notes.mac") << "shopping list\n"; }
    editor->ImportFrom(QString::fromStdString((outside / "notes.mac").string()));
    EXPECT_EQ(editor->nameList()->count(), 2);
    EXPECT_EQ(messages, (std::vector<QString>{texts.text(QStringLiteral("macro_import_wrong_text"))}));
    editor->SelectMacro(0);

    // Another macro shows its own rows; deleting every row is saved too.
    editor->AddMacro();
    EXPECT_EQ(editor->actionList()->rowCount(), 0);
    editor->SelectMacro(0);
    EXPECT_EQ(editor->actionList()->rowCount(), 3);
    editor->DeleteAllRows();
    EXPECT_TRUE(saved(0).empty());
}

TEST_F(MacroEditorTest, DeletingAMacroRenumbersTheButtonsThatPlayMacros) {
    for (int i = 0; i < 4; ++i) editor->AddMacro();
    assignMacro(3, 1);  // the forward button plays macro 2 (position 1)
    assignMacro(4, 2);  // the back button plays macro 3
    answerMessages(true);
    editor->SelectMacro(1);
    editor->DeleteMacro();
    EXPECT_EQ(messages, (std::vector<QString>{texts.text(QStringLiteral("message_text_4")),
                                              texts.text(QStringLiteral("message_text_2"))}));
    ASSERT_TRUE(settled(page()));
    const auto& keys = page()->mouse().keyList();
    EXPECT_EQ(keys[3].current.type, keys[3].defaults.type);
    EXPECT_EQ(keys[3].current.code1, keys[3].defaults.code1);
    EXPECT_EQ(keys[4].current.type, 0x70);
    EXPECT_EQ(keys[4].current.code1, 1);
    EXPECT_EQ(editor->nameList()->count(), 3);
    EXPECT_EQ(page()->mouse().macroNames().size(), 3u);

    // Declining the first question deletes nothing.
    answerMessages(false);
    editor->DeleteMacro();
    EXPECT_EQ(editor->nameList()->count(), 3);
}

TEST_F(MacroEditorTest, RecordingLocksTheEditorAndLeavesOutTheStopClick) {
    InputHook::Sink sink;
    editor->SetHookFactory([&sink] { return std::make_unique<FakeHook>(&sink); });
    editor->AddMacro();
    auto* start = ui::findControl<QPushButton>(editor, QStringLiteral("macro_btn_starredio"));
    auto* stop = ui::findControl<QPushButton>(editor, QStringLiteral("macro_btn_stopredio"));
    start->click();
    ASSERT_TRUE(sink);
    EXPECT_TRUE(stop->isVisibleTo(editor));
    EXPECT_FALSE(start->isVisibleTo(editor));
    EXPECT_FALSE(ui::findControl(editor, QStringLiteral("macro_name_tab"))->isEnabled());
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("device_select_layout"))->isEnabled());

    const QPoint onStop = stop->mapToGlobal(stop->rect().center());
    const auto input = [&](InputEvent e) {
        sink(e);
        QCoreApplication::processEvents();
    };
    const uint32_t t = SteadyMilliseconds();
    input({InputEvent::Kind::Key, true, {0x1E, false}, 0, 0, 0, t + 10});
    input({InputEvent::Kind::Key, false, {0x1E, false}, 0, 0, 0, t + 510});
    // A right click is kept, the stop click is not.
    input({InputEvent::Kind::Button, true, {}, 2, onStop.x(), onStop.y(), t + 600, true});
    input({InputEvent::Kind::Button, true, {}, 1, onStop.x(), onStop.y(), t + 700, true});
    // The list shows the rows as they come: the new row, and the delay of the row before it.
    ASSERT_EQ(editor->actionList()->rowCount(), 3);
    EXPECT_EQ(editor->actionList()->item(0, 2)->text(), QStringLiteral("500"));
    EXPECT_EQ(editor->actionList()->item(2, 0)->text(), texts.text(QStringLiteral("mouse_key_right")));
    stop->click();
    EXPECT_FALSE(sink);
    EXPECT_TRUE(start->isVisibleTo(editor));
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("device_select_layout"))->isEnabled());
    const std::vector<MacroEvent> rows = saved(0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (MacroEvent{true, 0x04, 10, 500}));
    EXPECT_EQ(rows[1], (MacroEvent{false, 0x04, 10, 90}));
    EXPECT_EQ(rows[2], (MacroEvent{true, 2, 1, 0}));

    // Replacing the first row's key keeps its action and delay.
    editor->SelectRow(0);
    editor->actionMenu()->findChild<QAction*>(QStringLiteral("macro_action_edit"))->trigger();
    input({InputEvent::Kind::Key, true, {0x30, false}, 0, 0, 0, t + 900});
    EXPECT_EQ(editor->actionList()->item(0, 0)->text(), texts.text(QStringLiteral("keyboard_key_B")));
    editor->EndRecording();
    EXPECT_EQ(saved(0)[0], (MacroEvent{true, 0x05, 10, 500}));
}

TEST(StopButtonArea, LogicalRectanglesInDevicePixels) {
    EXPECT_EQ(ui::devicePixelRect(QRect(100, 50, 80, 30), QRect(0, 0, 1280, 720), 1.0),
              QRect(100, 50, 80, 30));
    EXPECT_EQ(ui::devicePixelRect(QRect(100, 50, 80, 30), QRect(0, 0, 1280, 720), 2.0),
              QRect(200, 100, 160, 60));
    // A second screen keeps its corner where it is in device pixels.
    EXPECT_EQ(ui::devicePixelRect(QRect(2000, 100, 80, 30), QRect(1920, 0, 960, 540), 2.0),
              QRect(2080, 200, 160, 60));
    EXPECT_EQ(ui::devicePixelRect(QRect(10, 10, 10, 10), QRect(0, 0, 100, 100), 1.5), QRect(15, 15, 15, 15));
}

// The click on the stop button ends the recording and is no part of the macro, whether the hook reports
// positions in device pixels at any display scale (X) or reports none (evdev), and whichever of Qt and the
// hook sees the press first. ctest also runs this with QT_SCALE_FACTOR=2.
TEST_F(MacroEditorTest, TheStopClickIsLeftOutAtAnyScaleAndWithoutAPosition) {
    InputHook::Sink sink;
    editor->SetHookFactory([&sink] { return std::make_unique<FakeHook>(&sink); });
    editor->AddMacro();
    auto* start = ui::findControl<QPushButton>(editor, QStringLiteral("macro_btn_starredio"));
    auto* stop = ui::findControl<QPushButton>(editor, QStringLiteral("macro_btn_stopredio"));
    const auto input = [&](InputEvent e) {
        ASSERT_TRUE(sink);
        sink(e);
        QCoreApplication::processEvents();
    };
    const auto button = [](bool down, uint8_t bit, uint32_t at, std::optional<QPoint> where = {}) {
        return InputEvent{
            InputEvent::Kind::Button, down, {}, bit, where ? where->x() : 0, where ? where->y() : 0, at,
            where.has_value()};
    };

    // Positions in device pixels: the screen's scale lies between Qt's coordinates and the hook's.
    start->click();
    const QScreen* screen = stop->screen();
    ASSERT_TRUE(screen);
    const QPoint onStop = ui::devicePixelRect(QRect(stop->mapToGlobal(QPoint(0, 0)), stop->size()),
                                              screen->geometry(), screen->devicePixelRatio())
                              .center();
    uint32_t t = SteadyMilliseconds();
    input(button(true, 1, t, onStop));
    input(button(false, 1, t + 80, onStop));
    stop->click();
    EXPECT_TRUE(saved(0).empty()) << "display scale " << screen->devicePixelRatio();

    // No positions, the hook first: Qt's press takes the recorded press back, and a click made before
    // stays.
    start->click();
    t = SteadyMilliseconds();
    input(button(true, 1, t - 40));
    input(button(false, 1, t - 20));
    input(button(true, 1, t));
    stop->click();
    ASSERT_FALSE(sink);
    EXPECT_EQ(saved(0), (std::vector<MacroEvent>{{true, 1, 1, 20}, {false, 1, 1, 0}}));

    // No positions, Qt first: the hook's press and release arrive while the button is down.
    start->click();
    t = SteadyMilliseconds();
    input(button(true, 2, t));
    input(button(false, 2, t + 30));
    QTest::mousePress(stop, Qt::LeftButton);
    input(button(true, 1, t + 60));
    input(button(false, 1, t + 90));
    QTest::mouseRelease(stop, Qt::LeftButton);
    EXPECT_FALSE(editor->recording());
    const std::vector<MacroEvent> rows = saved(0);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2], (MacroEvent{true, 2, 1, 30}));
    EXPECT_EQ(rows[3], (MacroEvent{false, 2, 1, 0}));
}

TEST_F(MacroEditorTest, RecoilShotsAreEditedAndReachTheMouse) {
    ui::CShootControlUI* recoil = page()->recoilEditor();
    ASSERT_TRUE(recoil);
    EXPECT_EQ(recoil->bullet(), 0);
    recoil->PreviousBullet();
    EXPECT_EQ(recoil->bullet(), 0);
    recoil->SelectBullet(29);
    recoil->NextBullet();
    EXPECT_EQ(recoil->bullet(), 29);
    EXPECT_EQ(ui::findControl<QLabel>(recoil, QStringLiteral("bullet_select_index"))->text(),
              QStringLiteral("30"));

    recoil->SelectGun(2);
    EXPECT_EQ(
        ui::findControl<QStackedWidget>(recoil, QStringLiteral("shoot_image_display_switch"))->currentIndex(),
        2);
    recoil->SelectBullet(4);
    auto* xCheck = ui::findControl<QCheckBox>(recoil, QStringLiteral("bullet_x_check"));
    auto* yCheck = ui::findControl<QCheckBox>(recoil, QStringLiteral("bullet_y_check"));
    // A direction ticked alone is the shot's: it is saved, survives a switch to another shot, and the
    // check's label names the direction the shot now moves.
    RecoilShot changed = recoil->store().ReadShot(2, 4);
    changed.up = !changed.up;
    yCheck->click();
    EXPECT_EQ(recoil->store().ReadShot(2, 4), changed);
    EXPECT_EQ(yCheck->text(), texts.text(changed.up ? QStringLiteral("mouse_move_to_up_text")
                                                    : QStringLiteral("mouse_move_to_down_text")));
    recoil->SelectBullet(5);
    recoil->SelectBullet(4);
    EXPECT_EQ(yCheck->isChecked(), changed.up);
    changed.left = !changed.left;
    xCheck->click();
    EXPECT_EQ(recoil->store().ReadShot(2, 4), changed);
    EXPECT_EQ(xCheck->text(), texts.text(changed.left ? QStringLiteral("mouse_move_to_left_text")
                                                      : QStringLiteral("mouse_move_to_right_text")));

    recoil->SelectBullet(4);
    xCheck->setChecked(true);
    yCheck->setChecked(true);
    ui::findControl<QLineEdit>(recoil, QStringLiteral("bullet_x_eidt"))->setText(QStringLiteral("3"));
    ui::findControl<QLineEdit>(recoil, QStringLiteral("bullet_y_eidt"))->setText(QStringLiteral("7"));
    ui::findControl<QLineEdit>(recoil, QStringLiteral("bullet_delay_eidt"))->setText(QStringLiteral("90"));
    recoil->SaveShot();
    EXPECT_EQ(recoil->store().ReadShot(2, 4), (RecoilShot{3, true, 7, true, 90}));

    test::TempDir outside;
    recoil->ExportTo(QString::fromStdString((outside / "gun").string()));
    EXPECT_EQ(test::readBytes(outside / "gun.shoot"), test::readBytes(recoil->store().PatternPath(2)));

    ui::findControl<QPushButton>(recoil, QStringLiteral("shootdate_save_btn"))->click();
    ASSERT_TRUE(test::waitUntil([&] { return !page()->writing(); }));
    std::vector<std::vector<MacroEvent>> patterns;
    patterns.reserve(RecoilStore::kGuns);
    for (int gun = 0; gun < RecoilStore::kGuns; ++gun)
        patterns.push_back(LoadEventsFile(recoil->store().PatternPath(gun)));
    const std::vector<uint8_t> image = BuildEventImage(patterns);
    const auto region = plugged->firmware().region(emu::Region::Recoil);
    ASSERT_GE(region.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), region.begin()));
    EXPECT_EQ(patterns[2][27], (MacroEvent{true, 7, 5, 90}));
}

}  // namespace
}  // namespace halvern::app
