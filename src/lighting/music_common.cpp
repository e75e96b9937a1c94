#include "lighting/music_common.h"

#include <algorithm>

#include "lighting/step.h"
#include "lighting/tables.h"

namespace halvern::music {

int64_t rawQuietness(int64_t level) {
    return 600 - level * 600 / 2000;
}

int64_t quietness(int64_t level) {
    const int64_t v = rawQuietness(level);
    return v < 0 ? 500 : v;
}

int64_t meanQuietness(std::span<const int32_t> levels) {
    if (levels.empty()) return 600;
    int64_t sum = 0;
    for (int32_t level : levels) sum += quietness(level);
    return sum / static_cast<int64_t>(levels.size());
}

void storeLevels(MusicState& music, std::span<const int32_t> delivered, std::size_t bandCount) {
    music.levels = {};
    const std::size_t count = std::min({delivered.size(), bandCount, kMaxBands});
    for (std::size_t i = 0; i < count; ++i) music.levels[i] = std::max(delivered[i], 0);
}

std::array<int32_t, kMaxBands> takeLevels(MusicState& music) {
    const auto levels = music.levels;
    music.levels = {};
    return levels;
}

Rgb foreground(const LightSettings& settings, uint8_t index) {
    return settings.music.rainbow() ? tables::wheel(index) : settings.music.foreground();
}

void showByLevel(EffectContext& ctx, std::size_t led, Rgb fore) {
    const uint8_t level = ctx.state.level[led];
    if (level >= 10) {
        ctx.frame.set(led, fore, scaleLevel(level, ctx.settings.brightness()));
    } else {
        ctx.frame.set(led, ctx.settings.music.background(), ctx.settings.brightness());
    }
}

}  // namespace halvern::music
