#include "ui/controls/audio_record.h"

#include <QPainter>
#include <algorithm>

namespace halvern::ui {

AudioRecord::AudioRecord(QWidget* parent) : QLabel(parent) {
    for (int i = 0; i < 256; ++i) m_levels[static_cast<size_t>(i)] = i;
}

int32_t AudioRecord::level(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return 0;
    return m_levels[static_cast<size_t>(slot)];
}

void AudioRecord::setLevel(int slot, int32_t value) {
    if (slot < 0 || slot >= kSlotCount) return;
    m_levels[static_cast<size_t>(slot)] = value;
    update();
}

void AudioRecord::setLevels(std::span<const int32_t> levels) {
    const size_t count = std::min(levels.size(), m_levels.size());
    std::copy_n(levels.begin(), count, m_levels.begin());
    update();
}

int AudioRecord::lineHeight(int32_t value, int height) {
    if (height <= 0) return 0;
    const int64_t clamped = std::clamp<int64_t>(value, 0, kFullLevel);
    return static_cast<int>(clamped * height / kFullLevel);
}

void AudioRecord::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    for (int pos = 0; pos < kSlotCount && 2 * pos < area.width(); ++pos) {
        const int h = lineHeight(m_levels[static_cast<size_t>(pos)], area.height());
        if (h <= 0) continue;
        const int x = area.left() + 2 * pos;
        p.drawLine(x, area.bottom() + 1 - h, x, area.bottom());
    }
}

}  // namespace halvern::ui
