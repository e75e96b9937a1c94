#pragma once

#include <QColor>
#include <QProgressBar>

namespace halvern::ui {

/// A ring that fills clockwise from the bottom as the value goes from minimum to maximum. The background
/// colour fills the whole disc, the filled part is drawn in the foreground colour, and a disc inset by 10
/// pixels turns the pie into a ring: white on a light panel, the panel's own colour on a dark one, so the
/// ring sits on the page instead of in a white hole. The bar's text is not drawn.
class CircleProgress final : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QString bkcolor READ backgroundColourText WRITE setBackgroundColourText)
    Q_PROPERTY(QString forecolor READ foregroundColourText WRITE setForegroundColourText)
public:
    explicit CircleProgress(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "CircleProgress";
    static constexpr int kRingInset = 10;

    /// The filled part in whole degrees, 0..360. Zero when the range is empty (minimum = maximum).
    [[nodiscard]] int sweepDegrees() const;

    /// Colours as "#RRGGBB" or "#AARRGGBB"; other text is ignored. Empty text returns to the palette's.
    [[nodiscard]] QString backgroundColourText() const;
    void setBackgroundColourText(const QString& text);
    [[nodiscard]] QString foregroundColourText() const;
    void setForegroundColourText(const QString& text);

    [[nodiscard]] QColor backgroundColour() const;
    [[nodiscard]] QColor foregroundColour() const;
    /// The colour of the inner disc: white, or the panel colour when the palette is dark.
    [[nodiscard]] QColor innerColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_background;  // invalid: from the palette
    QColor m_foreground;
};

}  // namespace halvern::ui
