// The headset's two sound editors on their own: option groups select exactly one choice (or none), values
// set by the program notify nothing, and what cannot be found reads as nothing.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <array>
#include <memory>

#include "ui/controls/control_registry.h"
#include "ui/controls/magic_control.h"
#include "ui/controls/voice6533_control.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {
namespace {

class HeadsetControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_loader.setSkinFolder(QStringLiteral(HALVERN_SOURCE_RESOURCES "/skin"));
        registerCustomControls(m_loader);
    }
    LayoutLoader m_loader;
};

TEST_F(HeadsetControlsTest, EqChoicesBandsAndSavedNames) {
    CVoice6533ControlUI voice(&m_loader);
    auto* band = findControl<QSlider>(&voice, QStringLiteral("6533_eq_hz_slider_"), 9);
    ASSERT_NE(band, nullptr);
    QSignalSpy moved(band, &QSlider::sliderReleased);

    voice.SetEqType(13);
    EXPECT_EQ(voice.GetEqType(), 13);
    voice.SetEqType(4);
    EXPECT_EQ(voice.GetEqType(), 4) << "the others are cleared";
    voice.SetEqType(14);
    EXPECT_EQ(voice.GetEqType(), 0) << "past 13: none";

    const std::array<int32_t, 10> bands{7, 14, -13, -6, -1, 8, 13, 7, 2, 99};
    voice.SetBands(bands);
    EXPECT_EQ(voice.GetBand(2), -13);
    EXPECT_EQ(voice.GetBand(9), band->maximum()) << "held to the slider's range";
    EXPECT_EQ(findControl<QLabel>(&voice, QStringLiteral("eq_band_value_2"))->text(), QStringLiteral("-13"));
    EXPECT_EQ(voice.GetBand(10), -1);
    EXPECT_EQ(voice.GetBand(-1), -1);
    EXPECT_EQ(moved.count(), 0);

    voice.SetCustomEqNames({"Cinema", "Games"}, 1);
    EXPECT_EQ(voice.GetChosenCustomEq(), 1);
    voice.SetCustomEqNames({"Cinema"}, 5);
    EXPECT_EQ(voice.GetChosenCustomEq(), -1) << "an entry that is not there is not chosen";
}

TEST_F(HeadsetControlsTest, VoiceChangerChoosesOneVoiceOnlyWhileOn) {
    CMagicControlUI magic(&m_loader);
    QWidget* voices = magic.part(QStringLiteral("magic_option_layout"));
    ASSERT_NE(voices, nullptr);
    magic.SetMagicVoice(true, 3);
    EXPECT_TRUE(magic.GetEnabled());
    EXPECT_EQ(magic.GetType(), 3);
    EXPECT_TRUE(voices->isEnabled());
    magic.SetMagicVoice(false, 5);
    EXPECT_FALSE(magic.GetEnabled());
    EXPECT_EQ(magic.GetType(), 0) << "past 4: none";
    EXPECT_FALSE(voices->isEnabled());
}

}  // namespace
}  // namespace halvern::ui::test
