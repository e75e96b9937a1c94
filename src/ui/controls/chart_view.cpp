#include "ui/controls/chart_view.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyleOption>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "ui/controls/image_cache.h"

namespace halvern::ui {
namespace {

constexpr int kMargin = 5;  // around the pie, inside the control

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
}

QColor ChartView::paletteColour(size_t index) {
    const Rgb& rgb = kPalette[index % kPalette.size()];
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void ChartView::setEntries(std::vector<ChartEntry> entries) {
    m_entries = std::move(entries);
    update();
}

void ChartView::addEntry(const QString& label, double value) {
    m_entries.push_back({label, value});
    update();
}

void ChartView::clearEntries() {
    m_entries.clear();
    update();
}

void ChartView::setMode(Mode mode) {
    m_mode = mode;
    update();
}

QString ChartView::viewName() const {
    return m_mode == Mode::Histogram ? QStringLiteral("histogram") : QStringLiteral("pie");
}

void ChartView::setViewName(const QString& name) {
    const bool histogram = name == QLatin1String("histpgram") || name == QLatin1String("histogram");
    setMode(histogram ? Mode::Histogram : Mode::Pie);
}

void ChartView::setShadowImage(const QString& image) {
    m_shadowImage = image;
    update();
}

void ChartView::setShadowImageHeight(int height) {
    m_shadowImageHeight = std::max(0, height);
    update();
}

void ChartView::setPillarImage(const QString& image) {
    m_pillarImage = image;
    update();
}

void ChartView::setPillarImageWidth(int width) {
    m_pillarImageWidth = std::max(0, width);
    update();
}

void ChartView::setShowHtml(bool html) {
    m_showHtml = html;
    update();
}

void ChartView::setShowText(bool show) {
    m_showText = show;
    update();
}

double ChartView::valueOf(size_t index) const {
    const double value = m_entries[index].value;
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
    if (m_mode == Mode::Histogram)
        paintHistogram(p);
    else
        paintPie(p);
}

void ChartView::drawLabel(QPainter& painter, const QRect& box, const QString& label,
                          Qt::Alignment align) const {
    painter.setPen(palette().color(QPalette::WindowText));
    if (!m_showHtml) {
        const QString line = painter.fontMetrics().elidedText(label, Qt::ElideRight, box.width());
        painter.drawText(box, static_cast<int>(align | Qt::TextSingleLine), line);
        return;
    }
    QTextDocument document;
    document.setDefaultFont(painter.font());
    document.setDocumentMargin(0);
    document.setHtml(label);
    const QSizeF size = document.size();
    const qreal x = (align & Qt::AlignHCenter) ? box.left() + (box.width() - size.width()) / 2 : box.left();
    const qreal y = box.top() + (box.height() - size.height()) / 2;
    painter.save();
    painter.setClipRect(box);
    painter.translate(x, y);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

QRect ChartView::pieRect() const {
    const int legend = m_showText ? kLegendWidth : 0;
    const int d = std::min(width() - legend - 2 * kMargin, height() - 2 * kMargin);
    if (d <= 0) return {};
    const int x0 = (width() - legend - 2 * kMargin - d) / 2 + kMargin;
    const int y0 = (height() - 2 * kMargin - d) / 2 + kMargin;
    return {x0, y0, d, d};
}

void ChartView::paintPie(QPainter& p) {
    const size_t n = m_entries.size();
    const QRect disc = pieRect();
    if (n == 0 || disc.isEmpty()) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30, 30));
    p.drawEllipse(disc.adjusted(-4, -4, 4, 4));
    p.setBrush(QColor(100, 100, 100, 100));
    p.drawEllipse(disc.adjusted(-1, -1, 1, 1));

    double total = 0.0;
    for (size_t j = 0; j < n; ++j) total += valueOf(j);
    if (total > 0.0) {
        // Clockwise from three o'clock; Qt counts sixteenths of a degree counter-clockwise.
        double start = 0.0;
        for (size_t j = 0; j < n; ++j) {
            const double sweep = valueOf(j) / total * 360.0;
            p.setBrush(paletteColour(j));
            p.drawPie(disc, static_cast<int>(std::lround(-start * 16)),
                      static_cast<int>(std::lround(-sweep * 16)));
            start += sweep;
        }
    }
    if (!m_showText) return;

    const qint64 rows = static_cast<qint64>(n);
    int y = static_cast<int>(
        std::max<qint64>((height() - 2 * kMargin - rows * (kLegendSquare + 4)) / 2, kMargin));
    const int x = disc.right() + 1 + 10;
    for (size_t j = 0; j < n; ++j, y += kLegendRowStep) {
        const QRect row(x, y, width() - x, kLegendSquare);
        if (!row.intersects(rect())) continue;
        p.setPen(Qt::NoPen);
        p.setBrush(paletteColour(j));
        p.drawRect(QRect(x, y, kLegendSquare, kLegendSquare));
        const QRect text(x + kLegendSquare + 5, y, width() - (x + kLegendSquare + 5), kLegendSquare);
        if (text.width() > 0) drawLabel(p, text, m_entries[j].label, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

std::vector<QRect> ChartView::pillarRects() const {
    std::vector<QRect> rects;
    const int pillar = m_pillarImageWidth;
    if (pillar <= 0 || m_entries.empty()) return rects;
    const int band = m_showText ? kLabelBand : 0;
    const int room = std::max(0, height() - band);
    double largest = 0.0;
    for (size_t i = 0; i < m_entries.size(); ++i) largest = std::max(largest, valueOf(i));
    const int gap = 2 * (width() / pillar);
    int x = gap;
    for (size_t i = 0; i < m_entries.size(); ++i, x += gap + pillar) {
        const int h = largest > 0.0 ? static_cast<int>(std::trunc(room * (valueOf(i) / largest))) : 0;
        rects.emplace_back(x, room - h, pillar, h);
        if (x > width()) break;  // the rest are off the control too
    }
    return rects;
}

void ChartView::paintHistogram(QPainter& p) {
    const int band = m_showText ? kLabelBand : 0;
    const QRect shadow(0, height() - band - m_shadowImageHeight, width(), m_shadowImageHeight);
    if (!m_shadowImage.isEmpty() && !shadow.isEmpty()) {
        const QPixmap image = cachedImage(m_shadowImage, shadow.size());
        if (image.isNull())
            m_shadowImage.clear();  // not tried again on every paint
        else
            p.drawPixmap(shadow, image);
    }
    const std::vector<QRect> pillars = pillarRects();
    const int gap = m_pillarImageWidth > 0 ? 2 * (width() / m_pillarImageWidth) : 0;
    for (size_t i = 0; i < pillars.size(); ++i) {
        const QRect& pillar = pillars[i];
        if (!m_pillarImage.isEmpty() && !pillar.isEmpty()) {
            const QPixmap image = cachedImage(m_pillarImage, pillar.size());
            if (image.isNull())
                m_pillarImage.clear();
            else
                p.drawPixmap(pillar, image);
        }
        if (m_showText) {
            const QRect box(pillar.left() - gap, height() - band, pillar.width() + 2 * gap, band);
            drawLabel(p, box, m_entries[i].label, Qt::AlignCenter);
        }
    }
}

}  // namespace halvern::ui
