#include "ui/controls/key_set_control.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <memory>

#include "input/key_tables.h"
#include "ui/controls/control_registry.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {
namespace {

constexpr KeyAssignment kDefault{3, 0x10, 0x04, 0x00};

KeyAssignment code(uint8_t type, uint8_t c1, uint8_t c2) {
    return {3, type, c1, c2};
}

class KeySetControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_loader.setSkinFolder(QStringLiteral(HALVERN_SOURCE_RESOURCES "/skin"));
        registerCustomControls(m_loader);
        m_editor = std::make_unique<CKeySetControlUI>(&m_loader);
        ASSERT_NE(m_editor->control(QStringLiteral("keyset_layout")), nullptr);
    }

    template <typename T = QWidget>
    T* find(const char* name) const {
        return qobject_cast<T*>(m_editor->control(QString::fromLatin1(name)));
    }
    void setText(const char* name, const char* text) const {
        find<QLineEdit>(name)->setText(QString::fromLatin1(text));
    }
    void selectCategory(int category) const {
        find<QComboBox>("keyset_function_combo")->setCurrentIndex(category);
        m_editor->OnFunctionSelected();
    }
    [[nodiscard]] int page() const {
        return find<QStackedWidget>("function_switch_tablayout")->currentIndex();
    }

    LayoutLoader m_loader;
    std::unique_ptr<CKeySetControlUI> m_editor;
};

TEST_F(KeySetControlTest, LayoutHoldsEveryControl) {
    for (const char* name : {"keyset_layout",
                             "keyset_function_combo",
                             "function_switch_tablayout",
                             "keyset_mousekey_combo",
                             "keyset_mouseswing_combo",
                             "keyset_mouseswing_num_edit",
                             "keyset_mouseswing_delay_edit",
                             "keyset_mouseswing_speed_edit",
                             "keyset_mousewheel_combo",
                             "keyset_mousewheel_num_edit",
                             "keyset_mousewheel_delay_edit",
                             "keyset_mousewheel_speed_edit",
                             "keyset_mousedpi_combo",
                             "keyset_mousefire_interval_edit",
                             "keyset_mousefire_num_edit",
                             "keyset_keyboard_text_edit",
                             "keyset_media_combo",
                             "keyset_system_combo",
                             "keyset_macro_combo",
                             "keyset_macro_over_combo",
                             "keyset_macro_cycle_layout",
                             "keyset_macro_cycle_edit",
                             "keyset_gunkey_combo",
                             "keyset_combokey_combo",
                             "key_butt_keydefalut",
                             "key_butt_keysave",
                             "key_butt_keycancel",
                             "key_butt_prosave"}) {
        EXPECT_NE(find(name), nullptr) << name;
    }
    EXPECT_EQ(find<QStackedWidget>("function_switch_tablayout")->count(), key_category::kCount);
    EXPECT_EQ(find<QComboBox>("keyset_function_combo")->count(), key_category::kCount);
    EXPECT_EQ(find<QComboBox>("keyset_media_combo")->count(), static_cast<int>(kMediaChoices.size()));
    EXPECT_EQ(find<QComboBox>("keyset_macro_over_combo")->count(), 5);
    for (int k = 0; k < CKeySetControlUI::kModifierBoxes; ++k) {
        auto* box = find<QAbstractButton>(("key_ComBox_check_" + std::to_string(k)).c_str());
        ASSERT_NE(box, nullptr) << k;
        EXPECT_TRUE(box->isCheckable());
        EXPECT_TRUE(box->autoExclusive());
    }
    // The registry builds the editor from a layout tag.
    EXPECT_TRUE(m_loader.knows(QString::fromLatin1(CKeySetControlUI::kClassName)));
}

TEST_F(KeySetControlTest, ShowsAndReadsBackEachKindOfAssignment) {
    for (const KeyAssignment& a : {code(0x11, 0x23, 0x85), code(0x12, 0x23, 0xFB), code(0x14, 0x20, 0x05),
                                   code(0x30, 0x8A, 0x01), code(0x40, 0x02, 0x00), code(0x13, 0x03, 0x00),
                                   code(0x20, 0x01, 0x06), code(0x20, 0x04, 0x29), code(0x72, 0x02, 0x00)}) {
        m_editor->LoadEntry({a, kDefault});
        EXPECT_EQ(m_editor->ReadAssignment().current, a)
            << int(a.type) << " " << int(a.code1) << " " << int(a.code2);
        EXPECT_EQ(m_editor->entry().defaults, kDefault);
    }
    // The boxes stand for both hands; a saved key takes the left-hand modifier.
    m_editor->LoadEntry({code(0x20, 0x40, 0x29), kDefault});
    EXPECT_EQ(m_editor->GetModifierBox(), 3);
    EXPECT_EQ(m_editor->ReadAssignment().current, code(0x20, 0x04, 0x29));

    m_editor->LoadEntry({code(0x12, 0x23, 0xFB), kDefault});
    EXPECT_EQ(page(), key_category::kWheel);
    EXPECT_EQ(find<QLineEdit>("keyset_mousewheel_num_edit")->text(), QStringLiteral("5"));
    EXPECT_EQ(find<QComboBox>("keyset_mousewheel_combo")->currentIndex(), 1);

    // Ctrl+C from the shortcut list reopens as the keyboard page with Ctrl and C.
    selectCategory(key_category::kShortcut);
    find<QComboBox>("keyset_combokey_combo")->setCurrentIndex(4);
    const KeyAssignment ctrlC = m_editor->ReadAssignment().current;
    EXPECT_EQ(ctrlC, code(0x20, 0x01, 0x06));
    m_editor->LoadEntry({ctrlC, kDefault});
    EXPECT_EQ(find<QComboBox>("keyset_function_combo")->currentData().toInt(), key_category::kKeyboard);
    EXPECT_EQ(m_editor->GetModifierBox(), 1);
    EXPECT_EQ(find<QLineEdit>("keyset_keyboard_text_edit")->text(), QStringLiteral("keyboard_key_C"));

    // The default shows category 0, and the default button's handler shows it again after an edit.
    m_editor->LoadEntry({kDefault, kDefault});
    EXPECT_EQ(page(), key_category::kDefault);
    selectCategory(key_category::kDpi);
    find<QComboBox>("keyset_mousedpi_combo")->setCurrentIndex(0);
    EXPECT_EQ(m_editor->ReadAssignment().current, code(0x13, 0x01, 0x00));
    m_editor->ShowDefault();
    EXPECT_EQ(page(), key_category::kDefault);
    EXPECT_EQ(m_editor->ReadAssignment().current, kDefault);
}

TEST_F(KeySetControlTest, MacrosAndTheRepeatCount) {
    selectCategory(key_category::kMacro);
    const KeyAssignment before = m_editor->entry().current;
    EXPECT_EQ(m_editor->ReadAssignment().current, before);  // no macros: nothing changes

    m_editor->SetMacroNames({"macro_1", "Jump"});
    auto* over = find<QComboBox>("keyset_macro_over_combo");
    find<QComboBox>("keyset_macro_combo")->setCurrentIndex(1);
    over->setCurrentIndex(4);
    m_editor->OnMacroOverSelected();
    EXPECT_FALSE(find("keyset_macro_cycle_layout")->isHidden());
    setText("keyset_macro_cycle_edit", "7");
    EXPECT_EQ(m_editor->ReadAssignment().current, (KeyAssignment{0, 0x71, 1, 7}));
    over->setCurrentIndex(2);
    m_editor->OnMacroOverSelected();
    EXPECT_TRUE(find("keyset_macro_cycle_layout")->isHidden());
    EXPECT_EQ(m_editor->ReadAssignment().current, (KeyAssignment{0, 0x70, 1, 2}));
}

TEST_F(KeySetControlTest, KeyCaptureAndCategorySwitch) {
    m_editor->LoadEntry({code(0x10, 0x01, 0x00), kDefault});
    EXPECT_FALSE(m_editor->OnKeyCaptured(0x1E, false));  // not on the keyboard page
    selectCategory(key_category::kKeyboard);
    EXPECT_EQ(page(), key_category::kKeyboard);
    EXPECT_EQ(m_editor->GetModifierBox(), 0);
    EXPECT_TRUE(find<QLineEdit>("keyset_keyboard_text_edit")->text().isEmpty());

    auto captured = m_editor->OnKeyCaptured(0x1D, true);  // right Ctrl alone
    ASSERT_TRUE(captured);
    EXPECT_EQ(*captured, code(0x20, 0x01, 0x00));
    EXPECT_EQ(m_editor->entry().current, code(0x10, 0x01, 0x00)) << "only saving makes it current";
    EXPECT_EQ(m_editor->GetModifierBox(), 1);
    captured = m_editor->OnKeyCaptured(0x1E, false);  // then A
    ASSERT_TRUE(captured);
    EXPECT_EQ(*captured, code(0x20, 0x01, 0x04));
    EXPECT_EQ(m_editor->ReadAssignment().current, code(0x20, 0x01, 0x04));

    m_editor->SetModifierBox(-1);
    EXPECT_EQ(m_editor->GetModifierBox(), -1);
    m_editor->SetModifierBox(3);
    EXPECT_EQ(m_editor->GetModifierBox(), 3);
}

// Saving with the keyboard function chosen but no key typed would leave the button with no function: the
// editor reports the assignment incomplete and keeps the working one.
TEST_F(KeySetControlTest, IncompleteAssignmentIsRefusedAndChangesNothing) {
    const KeyAssignment middle = code(0x10, 0x04, 0x00);
    m_editor->LoadEntry({middle, kDefault});
    EXPECT_TRUE(m_editor->IsComplete());

    selectCategory(key_category::kKeyboard);  // empty key field, no modifier
    EXPECT_FALSE(m_editor->IsComplete());
    EXPECT_EQ(m_editor->ReadAssignment().current, middle);
    EXPECT_EQ(m_editor->entry().current, middle);

    m_editor->SetModifierBox(2);  // Shift alone is a whole assignment
    EXPECT_TRUE(m_editor->IsComplete());
    m_editor->SetModifierBox(0);
    find<QLineEdit>("keyset_keyboard_text_edit")->clear();
    EXPECT_FALSE(m_editor->IsComplete());

    // A list without a choice is incomplete too.
    selectCategory(key_category::kMedia);
    find<QComboBox>("keyset_media_combo")->setCurrentIndex(-1);
    EXPECT_FALSE(m_editor->IsComplete());
    EXPECT_EQ(m_editor->ReadAssignment().current, middle);
    find<QComboBox>("keyset_media_combo")->setCurrentIndex(0);
    EXPECT_TRUE(m_editor->IsComplete());
    EXPECT_NE(m_editor->ReadAssignment().current, middle);
}

TEST_F(KeySetControlTest, TextsComeFromTheLanguage) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("en.json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"keyboard_key_A": "A", "media_text": "Media player", "keyset_category_media": "Media",
                   "keyset_save_btn_text": "Save"})");
    file.close();
    LanguageTexts texts;
    ASSERT_TRUE(texts.load(file.fileName()));
    m_editor->SetTexts(&texts);
    EXPECT_EQ(find<QComboBox>("keyset_media_combo")->itemText(0), QStringLiteral("Media player"));
    EXPECT_EQ(find<QComboBox>("keyset_function_combo")->itemText(key_category::kMedia),
              QStringLiteral("Media"));
    EXPECT_EQ(find<QComboBox>("keyset_combokey_combo")->itemText(4), QStringLiteral("Ctrl+C"));
    EXPECT_EQ(find<QAbstractButton>("key_butt_keysave")->text(), QStringLiteral("Save"));
    m_editor->LoadEntry({code(0x20, 0x00, 0x04), kDefault});
    EXPECT_EQ(find<QLineEdit>("keyset_keyboard_text_edit")->text(), QStringLiteral("A"));
    EXPECT_EQ(m_editor->ReadAssignment().current, code(0x20, 0x00, 0x04));
    m_editor->SetTexts(nullptr);
}

}  // namespace
}  // namespace halvern::ui::test
