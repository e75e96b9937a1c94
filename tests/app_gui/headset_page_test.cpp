// The headset page's sound editors in the running main window, against the emulated headset and its
// emulated sound library.

#include "ui/pages/headset_page.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <fstream>
#include <sstream>

#include "devices/emulated_audio_library.h"
#include "devices/headset_eq.h"
#include "devices/light_record_device.h"
#include "page_fixture.h"
#include "ui/controls/magic_control.h"
#include "ui/controls/voice6533_control.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using test::waitUntil;

constexpr int kHeadsetKind = 3;

class HeadsetPageTest : public PageFixture {
protected:
    void SetUp() override {
        // Opening the page sets the profile's EQ (preset 1) and ends reading the voice changer's type, on
        // the headset's queue; the sound controls work once that answer reached the page.
        startWith(emu::Product::Headset, [&] {
            return page() && headset().audioReady() && captured("AUDIO P write EQ_Slider10 5") &&
                   captured("AUDIO R read MagicVoice_Selection 0");
        });
        answerMessages(true);
        // These tests work the controls of every tab: each tab is built as if it had been shown.
        page()->BuildAllSections();
    }
    ui::HeadsetPage* page() { return pageOf<ui::HeadsetPage>(kHeadsetKind); }
    CMerivexHS6533Device& headset() { return static_cast<CMerivexHS6533Device&>(page()->device()); }
    ui::CVoice6533ControlUI* voice() { return page()->voiceControl(); }
    template <typename T = QAbstractButton>
    T* control(const QString& name) {
        return findControl<T>(page(), name);
    }
    audio::EmulatedAudioLibrary& library() {
        return static_cast<audio::EmulatedAudioLibrary&>(*headset().audioLibrary());
    }
    bool captured(const std::string& line) {
        std::ifstream in(capture);
        for (std::string l; std::getline(in, l);)
            if (l == line) return true;
        return false;
    }
    bool shown(const char* textId) {
        return waitUntil([&] { return !messages.empty(); }) &&
               messages.back() == texts.text(QLatin1String(textId));
    }
};

TEST_F(HeadsetPageTest, ABandMovedUnderAPresetMakesTheEqCustomAndSaveSaysWhyItRefuses) {
    control(QStringLiteral("6533_eq_option_6"))->click();
    ASSERT_TRUE(waitUntil([&] { return headset().audioSettings().eqType == 6; }));
    EXPECT_TRUE(captured("AUDIO P write EQ_Slider2 14"));
    EXPECT_EQ(voice()->GetBand(2), -13);

    auto* band = control<QSlider>(QStringLiteral("6533_eq_hz_slider_0"));
    band->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // 7 → 8, as a key press moves it
    ASSERT_TRUE(waitUntil([&] { return voice()->GetEqType() == headset_eq::kCustomType; }));
    EXPECT_EQ(voice()->GetChosenCustomEq(), -1);
    EXPECT_TRUE(control<QWidget>(QStringLiteral("custom_eq_option_layout"))->isEnabled());
    EXPECT_TRUE(captured("AUDIO P write EQ_Slider1 8"));

    control(QStringLiteral("hs_EQ_btn_save"))->click();
    EXPECT_TRUE(shown("eq_save_unnamed_text"));
    control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->setText(QStringLiteral("Mine"));
    control(QStringLiteral("hs_EQ_btn_save"))->click();
    ASSERT_TRUE(waitUntil([&] { return voice()->GetChosenCustomEq() == 0; }));
    control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->setText(QStringLiteral("MINE"));
    control(QStringLiteral("hs_EQ_btn_save"))->click();
    EXPECT_TRUE(shown("message_text_5"));

    control(QStringLiteral("hs_EQ_btn_delete"))->click();
    ASSERT_TRUE(waitUntil([&] { return voice()->GetEqType() == 1; })) << "the last one went: preset 1";
    EXPECT_FALSE(control<QWidget>(QStringLiteral("custom_eq_option_layout"))->isEnabled());
}

TEST_F(HeadsetPageTest, ACustomEqNameShowsAsTyped) {
    const QString name = QStringLiteral("<u>eq</u>");
    control(QStringLiteral("6533_eq_option_6"))->click();
    ASSERT_TRUE(waitUntil([&] { return headset().audioSettings().eqType == 6; }));
    control<QSlider>(QStringLiteral("6533_eq_hz_slider_0"))
        ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_TRUE(waitUntil([&] { return voice()->GetEqType() == headset_eq::kCustomType; }));
    control<QLineEdit>(QStringLiteral("custom_eq_name_edit"))->setText(name);
    control(QStringLiteral("hs_EQ_btn_save"))->click();
    ASSERT_TRUE(waitUntil([&] { return voice()->GetChosenCustomEq() == 0; }));
    EXPECT_EQ(markupShown(name), QStringList{});
}

TEST_F(HeadsetPageTest, ARefusedWriteLeavesPageAndProfileAndAnUnavailableControlSaysWhy) {
    library().setFaults({.failingWrites = {"MuteControl"}, .unavailable = {"Enable_MAGICVOICE"}});
    const HeadsetSystem before = headset().audioSettings();
    auto* microphone = control(QStringLiteral("6533_MicIn_option"));
    ASSERT_TRUE(microphone->isChecked());
    microphone->click();
    EXPECT_TRUE(shown("audio_write_failed_text"));
    EXPECT_TRUE(microphone->isChecked()) << "shown as the headset keeps it";
    EXPECT_EQ(headset().audioSettings(), before);

    auto* magic = control(QStringLiteral("magic_enable_option"));
    magic->click();
    ASSERT_TRUE(waitUntil([&] { return !magic->isEnabled(); }));
    EXPECT_FALSE(magic->isChecked());
    EXPECT_EQ(magic->toolTip(), texts.text(QStringLiteral("audio_unavailable_tip")));
    EXPECT_EQ(headset().audioSettings(), before);
}

// The sound server may hang for its whole deadline: an equaliser edit returns at once, the page shows the
// result when the library answers, and a refused one leaves page, bands and profile as they were.
TEST_F(HeadsetPageTest, AnEqEditDoesNotWaitForTheSoundServerAndARefusalChangesNothing) {
    struct Released {
        audio::EmulatedAudioLibrary& library;
        ~Released() { library.holdCalls(false); }
    } released{library()};
    const HeadsetAudio::Bands presetOne = headset().eqBands();
    ASSERT_EQ(voice()->GetEqType(), 1);

    library().holdCalls(true);
    control(QStringLiteral("6533_eq_option_6"))->click();  // would not return with the call on this thread
    ASSERT_TRUE(waitUntil([&] { return library().heldCalls() == 1; }));
    EXPECT_TRUE(page()->writing());
    EXPECT_EQ(headset().audioSettings().eqType, 1) << "nothing taken before the library answers";
    EXPECT_EQ(headset().eqBands(), presetOne);

    library().holdCalls(false);
    ASSERT_TRUE(waitUntil([&] { return !page()->writing(); }));
    EXPECT_EQ(voice()->GetEqType(), 6);
    EXPECT_EQ(voice()->GetBand(2), headset_eq::PresetBands(6)[2]);
    EXPECT_EQ(headset().audioSettings().eqType, 6);

    library().setFaults({.failingWrites = {"EQ_Slider4"}});
    const HeadsetSystem before = headset().audioSettings();
    const HeadsetAudio::Bands bands = headset().eqBands();
    control(QStringLiteral("6533_eq_option_2"))->click();
    EXPECT_TRUE(shown("audio_write_failed_text"));
    EXPECT_EQ(voice()->GetEqType(), 6) << "shown as the headset keeps it";
    EXPECT_EQ(voice()->GetBand(2), bands[2]);
    EXPECT_EQ(headset().eqBands(), bands);
    EXPECT_EQ(headset().audioSettings(), before);
    const auto playback = audio::ChooseDevices(library()).playback;
    ASSERT_TRUE(playback);
    EXPECT_EQ(library().stored(*playback, "EQ_Slider3"), std::to_string(bands[2])) << "the library set back";
}

}  // namespace
}  // namespace halvern::app
