#include "ui/controls/light_control.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QStackedWidget>
#include <memory>

#include "ui/controls/control_registry.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {
namespace {

class LightControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_loader.setSkinFolder(QStringLiteral(HALVERN_SOURCE_RESOURCES "/skin"));
        registerCustomControls(m_loader);
        m_editor = std::make_unique<CLightControlUI>(&m_loader);
        ASSERT_NE(find("light_combo_modeSelect"), nullptr);
    }

    template <typename T = QWidget>
    T* find(const char* name) const {
        return findControl<T>(m_editor.get(), QString::fromLatin1(name));
    }
    bool shown(const char* name) const { return find(name)->isVisibleTo(m_editor.get()); }
    bool enabled(const char* name) const { return find(name)->isEnabledTo(m_editor.get()); }

    LayoutLoader m_loader;
    std::unique_ptr<CLightControlUI> m_editor;
};

// A mouse pad whose list shows modes by value 0..8: value 8 (off) leaves only the list and, where allowed,
// the same-mode button.
TEST_F(LightControlTest, OffModeOnAMousePadLeavesTheListAndTheSameButton) {
    m_editor->SetDeviceType(3);
    m_editor->SetModeList({"a", "b", "c", "d", "e", "f", "g", "h", "i"}, std::vector<bool>(9, true),
                          {0, 1, 2, 3, 4, 5, 6, 7, 8}, 4, 4);
    m_editor->SetAllowSameMode(true);
    m_editor->SetModeIndex(8);
    EXPECT_TRUE(enabled("lighteffect_layout"));
    for (const char* name : {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                             "deng_light_layout", "deng_speed_layout", "deng_fx_layout"})
        EXPECT_FALSE(enabled(name)) << name;
    EXPECT_TRUE(shown("deng_same_mode"));
    m_editor->SetAllowSameMode(false);  // fewer than two devices
    EXPECT_FALSE(shown("deng_same_mode"));

    m_editor->SetModeIndex(0);  // the static colour mode: everything back
    EXPECT_TRUE(enabled("deng_color_layout"));
    EXPECT_TRUE(enabled("deng_fx_layout"));
    EXPECT_FALSE(shown("deng_same_mode"));
}

TEST_F(LightControlTest, AudioColourAreaFollowsTheAudioModeAndTheEditedColour) {
    AudioLightInfo info{};
    info.fgColorR = 10, info.fgColorG = 20, info.fgColorB = 30;
    info.bkColorR = 200;
    info.colorTypeFlag = 1;
    ASSERT_TRUE(m_editor->SetAudioLightInfo(info));
    EXPECT_FALSE(enabled("light_audiocolor_layout"));
    EXPECT_FALSE(enabled("audiocolorpallet_layout"));
    EXPECT_EQ(find<QLineEdit>("deng_audioedit_G")->text(), QStringLiteral("20"));

    info.audioMode = 2;
    info.colorTypeFlag = 0;  // the background is edited
    ASSERT_TRUE(m_editor->SetAudioLightInfo(info));
    EXPECT_TRUE(enabled("light_audiocolor_layout"));
    EXPECT_EQ(find<QLineEdit>("deng_audioedit_R")->text(), QStringLiteral("200"));

    m_editor->SetAudioColour(1, 2, 3);  // as the picker leaves it on the colour button
    const auto read = m_editor->GetAudioLightInfo(true);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->audioMode, 2);
    EXPECT_EQ(read->colorTypeFlag, 0);
    EXPECT_EQ((std::array{read->bkColorR, read->bkColorG, read->bkColorB}),
              (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(read->fgColorR, 10);  // the other colour is kept
}

TEST_F(LightControlTest, ValuesComeBackAsTheyWereSetAndBadTextReadsSafely) {
    m_editor->SetDirection(1);
    m_editor->DirectionPicked(1);  // the second box: the first is cleared
    EXPECT_EQ(m_editor->GetDirection(), 0);
    EXPECT_FALSE(find<QAbstractButton>("deng_FXL_check")->isChecked());
    EXPECT_TRUE(find<QAbstractButton>("deng_FXR_check")->isChecked());

    m_editor->SetColour(1, 2, 3);
    EXPECT_EQ(m_editor->GetButtonColour(), 0xFF010203u);
    find<QLineEdit>("deng_edit_R")->setText(QStringLiteral("999"));
    find<QLineEdit>("deng_edit_G")->setText(QStringLiteral("x"));
    EXPECT_EQ(m_editor->GetColour(), (std::array<uint8_t, 3>{255, 0, 3}));

    EXPECT_EQ(m_editor->GetPresetColour(0), 0xFFFF0000u);
    EXPECT_EQ(m_editor->GetPresetColour(99), 0u);
    EXPECT_EQ(m_editor->modeValue(-1), -1);
}

}  // namespace
}  // namespace halvern::ui::test
