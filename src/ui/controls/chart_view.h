#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

namespace halvern::ui {

/// One labelled value of a chart.
struct ChartEntry {
    QString label;
    double value = 0.0;
};

/// A pie chart with a legend, or a histogram of pillar images over a shadow image with labels below.
/// Values that are negative or not finite count as 0. Attribute names are exact.
class ChartView final : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("AttributeNames", "exact")
    Q_PROPERTY(QString view READ viewName WRITE setViewName)
    Q_PROPERTY(QString shadowimage READ shadowImage WRITE setShadowImage)
    Q_PROPERTY(int shadowimageheight READ shadowImageHeight WRITE setShadowImageHeight)
    Q_PROPERTY(QString pillarimage READ pillarImage WRITE setPillarImage)
    Q_PROPERTY(int pillarimagewidth READ pillarImageWidth WRITE setPillarImageWidth)
    Q_PROPERTY(bool showhtml READ showHtml WRITE setShowHtml)
    Q_PROPERTY(bool showtext READ showText WRITE setShowText)
public:
    enum class Mode { Pie, Histogram };

    explicit ChartView(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "ChartView";

    struct Rgb {
        uint8_t red, green, blue;
    };
    /// Slice colours, used in turn.
    static constexpr std::array<Rgb, 18> kPalette{{
        {63, 150, 245},
        {255, 90, 1},
        {106, 244, 192},
        {245, 234, 106},
        {252, 123, 151},
        {162, 245, 63},
        {157, 144, 252},
        {210, 144, 252},
        {127, 176, 203},
        {244, 196, 113},
        {162, 194, 133},
        {189, 23, 23},
        {189, 23, 179},
        {97, 23, 189},
        {23, 43, 189},
        {18, 136, 76},
        {136, 121, 18},
        {136, 38, 18},
    }};
    [[nodiscard]] static QColor paletteColour(size_t index);

    static constexpr int kLegendWidth = 100;
    static constexpr int kLegendSquare = 18;
    static constexpr int kLegendRowStep = 22;
    static constexpr int kLabelBand = 25;

    void setEntries(std::vector<ChartEntry> entries);
    void addEntry(const QString& label, double value);
    void clearEntries();
    [[nodiscard]] const std::vector<ChartEntry>& entries() const { return m_entries; }

    [[nodiscard]] Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    /// "histogram" (also the older spelling "histpgram") selects the histogram, any other name the pie.
    [[nodiscard]] QString viewName() const;
    void setViewName(const QString& name);

    [[nodiscard]] QString shadowImage() const { return m_shadowImage; }
    void setShadowImage(const QString& image);
    [[nodiscard]] int shadowImageHeight() const { return m_shadowImageHeight; }
    /// Negative heights count as 0.
    void setShadowImageHeight(int height);
    [[nodiscard]] QString pillarImage() const { return m_pillarImage; }
    void setPillarImage(const QString& image);
    [[nodiscard]] int pillarImageWidth() const { return m_pillarImageWidth; }
    /// Negative widths count as 0; with width 0 the histogram draws no pillars and no labels.
    void setPillarImageWidth(int width);
    [[nodiscard]] bool showHtml() const { return m_showHtml; }
    void setShowHtml(bool html);
    [[nodiscard]] bool showText() const { return m_showText; }
    void setShowText(bool show);

    /// Where the histogram puts its pillars: one rectangle per entry, empty without a pillar width.
    [[nodiscard]] std::vector<QRect> pillarRects() const;
    /// The pie's disc, in control coordinates (empty when the control is too small for one).
    [[nodiscard]] QRect pieRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPie(QPainter& painter);
    void paintHistogram(QPainter& painter);
    void drawLabel(QPainter& painter, const QRect& box, const QString& label, Qt::Alignment align) const;
    [[nodiscard]] double valueOf(size_t index) const;

    std::vector<ChartEntry> m_entries;
    Mode m_mode = Mode::Pie;
    QString m_shadowImage;
    int m_shadowImageHeight = 0;
    QString m_pillarImage;
    int m_pillarImageWidth = 0;
    bool m_showHtml = false;
    bool m_showText = true;
};

}  // namespace halvern::ui
