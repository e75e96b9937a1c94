#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

namespace halvern::ui {

/// The colour picker's palette: a square of hue (left to right) and saturation (top to bottom, full at
/// the top) at full value, and a strip beside it for the value (bright at the top). Dragging in either
/// part moves its marker and reports the colour through colourTracked; releasing the mouse raises
/// "colorchanged" (wParam = the colour as ARGB), so a drag is one change. setSelectedColour notifies nothing.
class ColourPalette final : public QWidget {
    Q_OBJECT
public:
    explicit ColourPalette(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "ColourPalette";
    static constexpr int kStripWidth = 22;
    static constexpr int kGap = 12;
    static constexpr int kInset = 8;  ///< room for the markers round the square and the strip

    /// The selected colour as ARGB; exactly the value last set when the user has not changed it since.
    [[nodiscard]] uint32_t selectedColour() const { return m_colour; }
    void setSelectedColour(uint32_t argb);

    /// The square and the strip inside the control.
    [[nodiscard]] QRect squareRect() const;
    [[nodiscard]] QRect stripRect() const;

    [[nodiscard]] QSize sizeHint() const override { return {320, 280}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {160, 120}; }

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);
    /// The colour under the mouse while the user drags (no notification: nothing is stored for it).
    void colourTracked(quint32 argb);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Part { None, Square, Strip };
    void track(QPoint point);
    void updateColourFromHsv();

    qreal m_hue = 0;         // 0..1
    qreal m_saturation = 0;  // 0..1
    qreal m_value = 1;       // 0..1
    uint32_t m_colour = 0xFFFFFFFF;
    Part m_dragging = Part::None;
    QImage m_square;  // the rendered hue/saturation square, remade when its size changes
};

}  // namespace halvern::ui
