#pragma once

#include <QLabel>
#include <array>
#include <cstdint>
#include <span>

namespace halvern::ui {

/// A strip of recorded sound levels: one black vertical line every second pixel on white, as high as its
/// level (kFullLevel fills the whole height). The first 256 slots start as a ramp 0..255, the rest at 0.
class AudioRecord final : public QLabel {
    Q_OBJECT
public:
    explicit AudioRecord(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "AudioRecord";
    static constexpr int kSlotCount = 500;
    static constexpr int kFullLevel = 8192;

    [[nodiscard]] int32_t level(int slot) const;
    /// Sets one slot; levels outside 0..kFullLevel are drawn as the nearest of the two. Other slots and
    /// out-of-range slot numbers are ignored. Repaints.
    void setLevel(int slot, int32_t level);
    /// Sets the slots from the first on, as many as given (at most kSlotCount). Repaints once.
    void setLevels(std::span<const int32_t> levels);

    /// Height in pixels of the line drawn for `level` in a strip `height` pixels high.
    [[nodiscard]] static int lineHeight(int32_t level, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<int32_t, kSlotCount> m_levels{};
};

}  // namespace halvern::ui
