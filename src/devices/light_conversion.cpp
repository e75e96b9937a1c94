#include "devices/light_conversion.h"

#include <algorithm>

namespace halvern {

BaseLightSettings WithLight(BaseLightSettings base, const LightSetting& light) {
    base.mode = light.mode;
    base.brightness = light.brightness;
    base.speed = light.speed;
    base.direction = light.direction;
    base.colourful = light.multiColor;
    base.red = light.red;
    base.green = light.green;
    base.blue = light.blue;
    return base;
}

LightSetting WithLight(LightSetting light, const BaseLightSettings& base) {
    light.mode = base.mode;
    light.brightness = base.brightness;
    light.speed = base.speed;
    light.direction = base.direction;
    light.multiColor = base.colourful;
    light.red = base.red;
    light.green = base.green;
    light.blue = base.blue;
    return light;
}

LightSettings ToEngineSettings(const LightSetting& light, const AudioLightInfo& audio) {
    LightSettings s;
    s.mode = light.mode;
    s.brightnessLevel = light.brightness;
    s.speedLevel = light.speed;
    s.direction = light.direction;
    s.colourful = light.multiColor;
    s.colour = {light.red, light.green, light.blue};
    s.zzccLedMode = light.audioLightMode;  // the profile's "ZZCCLedMode" (the keyboard's game-colour choice)
    s.music =
        MusicSettings::make(audio.audioMode, {audio.bkColorR, audio.bkColorG, audio.bkColorB},
                            {audio.fgColorR, audio.fgColorG, audio.fgColorB}, audio.sevenColorFlag != 0);
    return s;
}

std::vector<LedLightEntry> ToLedLightList(const std::vector<LightSetting>& list) {
    std::vector<LedLightEntry> entries;
    entries.reserve(list.size());
    for (const LightSetting& l : list) {
        entries.push_back({l.mode,
                           l.brightness,
                           l.speed,
                           l.direction,
                           l.multiColor,
                           {l.red, l.green, l.blue},
                           l.enabled != 0});
    }
    return entries;
}

std::vector<SequenceStep> ToSequence(const std::vector<EffectFrame>& frames) {
    std::vector<SequenceStep> steps;
    steps.reserve(frames.size());
    for (const EffectFrame& f : frames) {
        const LightSetting& l = f.light;
        steps.push_back({l.mode,
                         l.brightness,
                         l.speed,
                         l.direction,
                         l.multiColor,
                         {l.red, l.green, l.blue},
                         static_cast<uint32_t>(std::max(f.time, 0))});
    }
    return steps;
}

}  // namespace halvern
