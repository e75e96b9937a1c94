// The sound companion's colour: the style window, the colour sliders, and the list of supported devices for
// programs that light along with the music.

#include <QByteArray>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <array>

#include "app/main_window.h"
#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "sound/audio_style_set.h"
#include "sound/device_inventory.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/windows/music_window.h"

namespace halvern::app {
namespace {

constexpr std::array<const char*, 3> kSliderNames{"R_light_slider", "G_light_slider", "B_light_slider"};
constexpr std::array<const char*, 3> kLabelNames{"R_light_label", "G_light_label", "B_light_label"};
constexpr std::array<const char*, 3> kLabelFormats{"R %1", "G %1", "B %1"};
constexpr int kHighestStep = 9;

AudioFile audioFile() {
    return {GetAppDataFolder() / AudioFile::kFileName, GetDefaultDataFolder() / AudioFile::kFileName};
}

}  // namespace

void MainWindow::onAudioLightSettings(const Route&, const ui::Notification&) {
    openMusicWindow();
}

void MainWindow::openMusicWindow() {
    if (m_musicWindow) return;
    AudioFile file = audioFile();
    if (!file.open()) {
        (void)showMessage(QStringLiteral("music_file_failed_text"));
        return;
    }
    ui::MusicWnd window(m_loader, m_texts, LoadAudioStyleSet(file.device()), this);
    window.setDpi(logicalDpiX());
    window.move(frameGeometry().center() - window.rect().center());
    m_musicWindow = &window;
    const int result = window.exec();
    m_musicWindow = nullptr;
    if (result != 1) return;
    const AudioStyleSet set = window.styleSet();
    sendStyleColour(set);
    StoreAudioStyleSet(set, file.device());
    if (!file.save()) (void)showMessage(QStringLiteral("music_file_failed_text"));
}

void MainWindow::sendStyleColour(const AudioStyleSet& set) {
    const std::size_t at = 3 * std::min<std::size_t>(set.currentStyle, AudioStyleSet::kStyles - 1);
    // The colour sliders show the colour the companion now uses.
    for (std::size_t c = 0; c < kSliderNames.size(); ++c) showColourStep(c, set.colours[at + c]);
    if (m_sound) m_sound->sendStyleColour(set.colours[at], set.colours[at + 1], set.colours[at + 2]);
}

void MainWindow::sendStoredStyleColour() {
    AudioFile file = audioFile();
    if (!file.open()) {
        debugLog("audio file unreadable; the sound companion keeps its own colour");
        return;
    }
    sendStyleColour(LoadAudioStyleSet(file.device()));
}

void MainWindow::resetSoundStyles() {
    // The companion keeps its colour until the styles are confirmed again.
    AudioFile file = audioFile();
    if (!file.reset()) (void)showMessage(QStringLiteral("music_file_failed_text"));
}

void MainWindow::onMusicColourSlider(const Route& route, const ui::Notification& n) {
    const auto channel = static_cast<std::size_t>(route.variant);
    if (channel >= kSliderNames.size()) return;
    const int step = static_cast<int>(std::clamp<qintptr>(n.wParam, 0, kHighestStep));
    if (m_sound) m_sound->sendColourSlider(static_cast<int>(channel), step);
    showColourStep(channel, step);
}

void MainWindow::showColourStep(std::size_t channel, int step) {
    // Every page's copy of the slider shows the same step.
    const QString label = QString::fromLatin1(kLabelFormats[channel]).arg(step);
    for (QSlider* slider : m_root->findChildren<QSlider*>(QString::fromLatin1(kSliderNames[channel]))) {
        const QSignalBlocker quiet(slider);
        slider->setRange(0, kHighestStep);
        slider->setValue(step);
    }
    for (QLabel* text : m_root->findChildren<QLabel*>(QString::fromLatin1(kLabelNames[channel])))
        text->setText(label);
}

void MainWindow::answerInventoryRequest() {
    const auto block = DeviceInventory();
    const QByteArray inventory(reinterpret_cast<const char*>(block.data()),
                               static_cast<qsizetype>(block.size()));
    if (!m_cooperation.sendToInventoryListener(kInventoryDataKind, inventory))
        debugLog("device list asked for, but no program listens for it");
}

}  // namespace halvern::app
