#include "ui/pages/light_panel.h"

#include <QWidget>
#include <algorithm>

#include "ui/pages/device_page.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui {
namespace {

struct Rgb8 {
    uint8_t red, green, blue;
};

Rgb8 channelsOf(uint32_t argb) {
    return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb)};
}

}  // namespace

LightPanel::LightPanel(DevicePage& page, std::unique_ptr<LightTarget> target)
    : m_page(page), m_target(std::move(target)) {}

LightPanel::~LightPanel() = default;

bool LightPanel::bind(QWidget* root, const LanguageTexts* texts) {
    m_editor = root ? root->findChild<CLightControlUI*>() : nullptr;
    if (!available()) return false;
    m_editor->SetTexts(texts);
    m_editor->SetDeviceType(m_target->device().typeCode());
    refreshModes();
    show();
    return true;
}

void LightPanel::refreshModes() {
    if (!available()) return;
    const LightModeLists& modes = m_target->lightModes();
    m_editor->SetModeList(modes.names, modes.visible, modes.values, m_target->brightnessMax(),
                          m_target->speedMax());
}

void LightPanel::show() {
    if (!available()) return;
    m_editor->SetDeviceType(m_target->device().typeCode());
    if (m_editor->GetModeIndex() < 0 || m_target->lightModes().names.size() != m_editor->modeCount())
        refreshModes();
    m_editor->ShowLightSettings(m_target->light());
    // A layout without the audio controls shows the light alone (the editor said so in the debug output).
    if (!m_editor->SetAudioLightInfo(m_target->audioLight())) return;
}

void LightPanel::change(const std::function<void(LightSetting&)>& edit) {
    if (!available()) return;
    m_target->device().commandChannel().setLightSync(false);
    LightSetting light = m_target->light();
    edit(light);
    m_target->changeLight(light, m_page.track());
}

void LightPanel::ModeSelected(int which, int index) {
    if (!available() || index < 0) return;
    switch (which) {
        case 0:
            m_editor->ApplyModeLayout(m_target->device().typeCode(), m_editor->modeValue(index));
            change([index](LightSetting& l) { l.mode = static_cast<uint8_t>(index); });
            break;
        case 1:
            m_target->device().commandChannel().setLightSync(false);
            m_target->selectCustomGroup(index, m_page.track());
            break;
        case 2:
            change([index](LightSetting& l) { l.audioLightMode = static_cast<uint8_t>(index); });
            break;
        case 3:
            changeAudio(true, [](AudioLightInfo&) {});
            break;
        default:
            break;
    }
}

void LightPanel::ValueChanged(int which, int value) {
    const auto level = static_cast<uint8_t>(std::clamp(value, 0, 255));
    if (which == 0) change([level](LightSetting& l) { l.brightness = level; });
    if (which == 1) change([level](LightSetting& l) { l.speed = level; });
}

void LightPanel::ChoiceChanged(int which, bool on) {
    if (!available()) return;
    switch (which) {
        case 0:
        case 1: {
            m_editor->DirectionPicked(which);
            const auto direction = static_cast<uint8_t>(m_editor->GetDirection());
            change([direction](LightSetting& l) { l.direction = direction; });
            break;
        }
        case 2:
            change([on](LightSetting& l) { l.multiColor = on ? 1 : 0; });
            break;
        case 3:
            changeAudio(true, [](AudioLightInfo&) {});
            break;
        case 4:
        case 5:
            m_editor->AudioColourKindPicked(which == 5 ? 1 : 0);
            changeAudio(false, [](AudioLightInfo&) {});
            break;
        default:
            break;
    }
}

void LightPanel::changeColour(uint32_t argb) {
    if (!available()) return;
    const Rgb8 c = channelsOf(argb);
    m_editor->SetColour(c.red, c.green, c.blue);
    change([c](LightSetting& l) { l.red = c.red, l.green = c.green, l.blue = c.blue; });
}

void LightPanel::ColourEdited(int which) {
    if (!available()) return;
    if (which >= 3) {
        const auto colour = m_editor->GetAudioColour();
        const auto channel = static_cast<size_t>(std::clamp(which - 3, 0, 2));
        setAudioChannel(static_cast<int>(channel), colour[channel]);
        return;
    }
    const auto [r, g, b] = m_editor->GetColour();
    changeColour(0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b);
}

void LightPanel::PaletteColour(uint32_t argb) {
    changeColour(argb);
}

void LightPanel::ColourOption(int n) {
    if (!available()) return;
    if (const uint32_t colour = m_editor->GetPresetColour(n); colour != 0) changeColour(colour);
}

void LightPanel::Button(int which) {
    if (!available()) return;
    PageHost* host = m_page.host();
    if (which == 2) {
        changeAudio(true, [](AudioLightInfo& a) { a.bkColorR = a.bkColorG = a.bkColorB = 0; });
    } else if (which == 3 && host) {
        if (const auto picked = host->pickColour(m_editor->GetButtonColour())) changeColour(*picked);
    } else if (which == 4 && host) {
        const auto audio = m_editor->GetAudioLightInfo(false);
        if (!audio) return;
        const bool foreground = audio->colorTypeFlag != 0;
        const uint32_t shown = foreground ? (0xFF000000u | uint32_t{audio->fgColorR} << 16 |
                                             uint32_t{audio->fgColorG} << 8 | audio->fgColorB)
                                          : (0xFF000000u | uint32_t{audio->bkColorR} << 16 |
                                             uint32_t{audio->bkColorG} << 8 | audio->bkColorB);
        if (const auto picked = host->pickColour(shown)) setAudioColour(*picked, true);
    }
}

void LightPanel::changeAudio(bool takeButtonColour, const std::function<void(AudioLightInfo&)>& edit) {
    if (!available()) return;
    auto audio = m_editor->GetAudioLightInfo(takeButtonColour);
    if (!audio) return;
    edit(*audio);
    const bool saved = m_target->changeAudioLight(*audio);
    if (!m_editor->SetAudioLightInfo(m_target->audioLight())) return;
    if (!saved && m_page.host()) m_page.host()->showFailure(DeviceResult::FileError());
}

void LightPanel::setAudioColour(uint32_t argb, bool clearsSevenColour) {
    const Rgb8 c = channelsOf(argb);
    changeAudio(false, [c, clearsSevenColour](AudioLightInfo& a) {
        if (a.colorTypeFlag != 0) {
            a.fgColorR = c.red, a.fgColorG = c.green, a.fgColorB = c.blue;
            if (clearsSevenColour) a.sevenColorFlag = 0;
        } else {
            a.bkColorR = c.red, a.bkColorG = c.green, a.bkColorB = c.blue;
        }
    });
}

void LightPanel::setAudioChannel(int channel, uint8_t value) {
    changeAudio(false, [channel, value](AudioLightInfo& a) {
        const bool foreground = a.colorTypeFlag != 0;
        uint8_t* target = foreground ? (channel == 0   ? &a.fgColorR
                                        : channel == 1 ? &a.fgColorG
                                                       : &a.fgColorB)
                                     : (channel == 0   ? &a.bkColorR
                                        : channel == 1 ? &a.bkColorG
                                                       : &a.bkColorB);
        *target = value;
        if (foreground) a.sevenColorFlag = 0;
    });
}

void LightPanel::AudioPaletteColour(uint32_t argb) {
    setAudioColour(argb, false);
}

void LightPanel::AudioColourOption(int n) {
    if (!available()) return;
    if (const uint32_t colour = m_editor->GetAudioPresetColour(n); colour != 0) setAudioColour(colour, true);
}

}  // namespace halvern::ui
