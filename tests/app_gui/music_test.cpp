// The sound companion's colour in the running window (the style window and the colour sliders, against a
// stand-in companion on the companion's socket), and the keyboard's music mode fed by the real companion
// reading a WAV file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "page_fixture.h"
#include "profile/data_folders.h"
#include "profile/language_choice.h"
#include "sound/companion_protocol.h"
#include "thread_sanitizer.h"
#include "tone_wav.h"
#include "ui/pages/keyboard_page.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/music_window.h"

namespace halvern::app {
namespace {

using test::waitUntil;

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MusicTest : public PageFixture {
protected:
    void SetUp() override {
        startWith(emu::Product::Keyboard,
                  [&] { return keyboardPage() && !keyboardPage()->keyboard().factoryTable().empty(); });
    }
    ui::KeyboardPage* keyboardPage() { return pageOf<ui::KeyboardPage>(1); }

    /// Listens where the companion would; the window's sound link connects here instead of starting one.
    void standInForTheCompanion() {
        listener.reset(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = companion::socketPath();
        ASSERT_LT(path.size(), sizeof(address.sun_path));
        std::copy(path.begin(), path.end(), address.sun_path);
        ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener.get(), 1), 0);
        window->startSoundCompanion(QStringLiteral("/nonexistent/halvern-sound"));
        companionSide.reset(::accept(listener.get(), nullptr, nullptr));
        ASSERT_TRUE(companionSide.valid());
    }

    /// The messages that reached the stand-in so far, each as 32-bit values.
    std::vector<std::vector<int32_t>> received() {
        std::vector<std::vector<int32_t>> arrived;
        std::array<std::byte, 256> buffer{};
        for (;;) {
            const ssize_t got = ::recv(companionSide.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (got <= 0) return arrived;
            std::vector<int32_t>& m = arrived.emplace_back();
            for (ssize_t i = 0; i + 4 <= got; i += 4)
                m.push_back(static_cast<int32_t>(companion::getLe(buffer, static_cast<std::size_t>(i))));
        }
    }

    /// Opens the style window as its button does, lets `act` work on it, and returns when it has closed.
    void withStyleWindow(const std::function<void(ui::MusicWnd&)>& act) {
        bool acted = false;
        QTimer::singleShot(0, [&] {
            ui::MusicWnd* open = window->musicWindow();
            ASSERT_NE(open, nullptr);
            acted = true;
            act(*open);
        });
        window->onNotification({QStringLiteral("click"), QStringLiteral("music_setting_btn"), nullptr, 0, 0});
        EXPECT_TRUE(acted);
        EXPECT_EQ(window->musicWindow(), nullptr);
    }

    test::TempDir runtime;
    test::ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", runtime.path().string()};
    emu::UniqueFd listener;
    emu::UniqueFd companionSide;
};

template <typename T>
T* in(QWidget* root, const char* name) {
    return ui::findControl<T>(root, QString::fromLatin1(name));
}

TEST_F(MusicTest, StyleWindowSendsAndStoresOnlyWhenConfirmed) {
    standInForTheCompanion();
    const std::filesystem::path file = GetAppDataFolder() / "AudioFile.json";
    // Greeting, start, capture, then the stored style's colour (style 0 of the default: 9, 0, 0).
    const auto greeting = received();
    ASSERT_EQ(greeting.size(), 4U);
    EXPECT_EQ(greeting[3], (std::vector<int32_t>{companion::kStyleColour, 9, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    const std::string before = fileText(file);
    ASSERT_FALSE(before.empty());

    withStyleWindow([](ui::MusicWnd& w) {
        in<QSlider>(&w, "audio_r_slider")->setValue(3);
        in<QAbstractButton>(&w, "closebtn")->click();
    });
    EXPECT_TRUE(received().empty());
    EXPECT_EQ(fileText(file), before);

    withStyleWindow([](ui::MusicWnd& w) {
        EXPECT_EQ(in<QSlider>(&w, "audio_r_slider")->maximum(), 9);
        EXPECT_EQ(in<QSlider>(&w, "audio_r_slider")->value(), 9);  // the closed window changed nothing
        in<QAbstractButton>(&w, "audio_select_tab3")->click();     // style 2 of the default: 0, 0, 9
        EXPECT_EQ(in<QSlider>(&w, "audio_b_slider")->value(), 9);
        in<QSlider>(&w, "audio_r_slider")->setValue(4);
        QLineEdit* name = in<QLineEdit>(&w, "audio_edit_name3");
        name->clear();
        emit name->editingFinished();                        // as when it loses focus
        EXPECT_EQ(name->text(), QStringLiteral("Style 3"));  // the default name, in the window's language
        in<QLineEdit>(&w, "audio_edit_name1")->setText(QStringLiteral("Bass"));
        emit in<QLineEdit>(&w, "audio_edit_name1")->editingFinished();
        in<QAbstractButton>(&w, "okbtn")->click();
    });
    // Style 2's colour with its green of 0 sent as 1; the stored file has the new style and names.
    EXPECT_EQ(received(),
              (std::vector<std::vector<int32_t>>{{companion::kStyleColour, 4, 1, 9, 0, 0, 0, 0, 0, 0, 0}}));
    AudioFile stored(file, GetDefaultDataFolder() / "AudioFile.json");
    ASSERT_TRUE(stored.open());
    const AudioStyleSet set = LoadAudioStyleSet(stored.device());
    EXPECT_EQ(set.currentStyle, 2);
    EXPECT_EQ(set.names[0], "Bass");
    EXPECT_EQ(set.names[2], "第三组");
    EXPECT_EQ(set.colours[6], 4);

    // The device reset, once confirmed, brings back the shipped styles.
    answerMessages(true);
    QWidget* reset = in<QWidget>(keyboardPage(), "device_reset_btn");
    ASSERT_NE(reset, nullptr);
    window->onNotification({QStringLiteral("click"), QStringLiteral("device_reset_btn"), reset, 0, 0});
    ASSERT_TRUE(stored.open());
    EXPECT_EQ(LoadAudioStyleSet(stored.device()).names[0], "第一组");
    EXPECT_EQ(LoadAudioStyleSet(stored.device()).currentStyle, 0);
}

TEST_F(MusicTest, AStyleNameShowsAsTyped) {
    standInForTheCompanion();
    const QString name = QStringLiteral("<s>style</s>");
    withStyleWindow([&](ui::MusicWnd& w) {
        in<QLineEdit>(&w, "audio_edit_name1")->setText(name);
        emit in<QLineEdit>(&w, "audio_edit_name1")->editingFinished();
        EXPECT_EQ(markupShown(name), QStringList{});
        in<QAbstractButton>(&w, "okbtn")->click();
    });
    EXPECT_EQ(markupShown(name), QStringList{});
}

// The shipped names are shown in the interface's language until the user names a style; a live change of
// the language changes the unnamed ones and leaves the named one as typed.
TEST_F(MusicTest, DefaultStyleNamesFollowTheLanguageUntilRenamed) {
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    const auto names = [](ui::MusicWnd& w) {
        QStringList shown;
        for (const char* edit :
             {"audio_edit_name1", "audio_edit_name2", "audio_edit_name3", "audio_edit_name4"})
            shown << in<QLineEdit>(&w, edit)->text();
        return shown;
    };
    withStyleWindow([&](ui::MusicWnd& w) {
        EXPECT_EQ(names(w), (QStringList{"Style 1", "Style 2", "Style 3", "Style 4"}));
        in<QLineEdit>(&w, "audio_edit_name1")->setText(QStringLiteral("Bass"));
        emit in<QLineEdit>(&w, "audio_edit_name1")->editingFinished();
        // Leaving a default name as it is, or typing it again, keeps the style unnamed.
        in<QLineEdit>(&w, "audio_edit_name2")->setText(QStringLiteral("Style 2"));
        emit in<QLineEdit>(&w, "audio_edit_name2")->editingFinished();
        emit in<QLineEdit>(&w, "audio_edit_name4")->editingFinished();
        in<QAbstractButton>(&w, "okbtn")->click();
    });
    AudioFile stored(GetAppDataFolder() / "AudioFile.json", GetDefaultDataFolder() / "AudioFile.json");
    ASSERT_TRUE(stored.open());
    const AudioStyleSet set = LoadAudioStyleSet(stored.device());
    EXPECT_EQ(set.names[0], "Bass");
    for (std::size_t s = 1; s < AudioStyleSet::kStyles; ++s)
        EXPECT_TRUE(IsDefaultStyleName(s, set.names[s])) << "style " << s << ": " << set.names[s];

    const std::vector<LanguageEntry> languages = ReadLanguageList(LanguageListFile());
    const auto chinese = std::find_if(languages.begin(), languages.end(),
                                      [](const LanguageEntry& l) { return l.file == "zh_CN.json"; });
    ASSERT_NE(chinese, languages.end());
    window->applyLanguage(static_cast<int>(chinese - languages.begin()));
    withStyleWindow([&](ui::MusicWnd& w) {
        EXPECT_EQ(names(w), (QStringList{"Bass", "第二组", "第三组", "第四组"}));
        in<QAbstractButton>(&w, "closebtn")->click();
    });
}

TEST_F(MusicTest, ColourSlidersTellTheCompanionAndShowTheirStep) {
    standInForTheCompanion();
    (void)received();
    QWidget* page = keyboardPage();
    QSlider* green = in<QSlider>(page, "G_light_slider");
    ASSERT_NE(green, nullptr);
    EXPECT_EQ(green->value(), 0);  // the greeting's colour (9, 0, 0) is shown
    EXPECT_EQ(in<QLabel>(page, "R_light_label")->text(), QStringLiteral("R 9"));
    green->triggerAction(QAbstractSlider::SliderToMaximum);  // as the End key does
    std::vector<std::vector<int32_t>> sent;
    ASSERT_TRUE(waitUntil([&] {
        sent = received();
        return !sent.empty();
    }));
    EXPECT_EQ(sent, (std::vector<std::vector<int32_t>>{{companion::kNotice, 7, 9}}));
    EXPECT_EQ(in<QLabel>(page, "G_light_label")->text(), QStringLiteral("G 9"));
}

// A tone of half a second out of every two seconds, read by the real companion: the keyboard in its music
// mode gets frames that change while the tone plays and turn dark in the silence after it.
TEST_F(MusicTest, KeyboardFramesFollowTheSoundAndGoDarkInSilence) {
    if (test::kThreadSanitizer) GTEST_SKIP() << "starting programs is not possible under ThreadSanitizer";
    ASSERT_TRUE(await([&](auto done) {
        keyboardPage()->keyboard().ChangeSettings(
            [](auto& s) { s.light.mode = CMerivexKeyboardDevice::kMusicMode; }, done);
    }));
    const auto wav = runtime / "beats.wav";
    test::writeToneWav(wav, 200, 0.5, 2.0, 3);
    window->startSoundCompanion(QStringLiteral(HALVERN_SOUND_PROGRAM),
                                {QStringLiteral("--wav"), QString::fromStdString(wav.string())});
    const emu::Firmware& firmware = plugged->firmware();
    const auto dark = [](const std::vector<uint8_t>& frame) {
        return !frame.empty() && std::all_of(frame.begin(), frame.end(), [](uint8_t b) { return b == 0; });
    };
    std::set<std::string> lit;  // the frames' bytes
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto frame = firmware.lastFrame();
            if (!dark(frame)) lit.emplace(frame.begin(), frame.end());
            return lit.size() >= 3;
        },
        5000))
        << "fewer than three different lit frames while the tone played";
    // Dark for three frames in a row: the silence has settled (a lit tone may show a dark frame now and
    // then). A dark frame that stays the same is only sent again as the stream's steady refresh, a few
    // times a second, not at every step of the music mode.
    unsigned darkSince = firmware.frameCount();
    EXPECT_TRUE(waitUntil(
        [&] {
            const unsigned count = firmware.frameCount();
            if (!dark(firmware.lastFrame())) darkSince = count;
            return count >= darkSince + 3;
        },
        3000))
        << "the lights did not settle dark in the silence";
    EXPECT_TRUE(waitUntil([&] { return !dark(firmware.lastFrame()); }, 3000)) << "the next tone lit nothing";
}

}  // namespace
}  // namespace halvern::app
