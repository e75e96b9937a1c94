#include "ui/controls/device_key_button.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QSvgRenderer>
#include <algorithm>
#include <cstdlib>

#include "ui/controls/contrast.h"
#include "ui/controls/image_cache.h"
#include "ui/controls/key_picture_layer.h"
#include "ui/controls/select_panel.h"

namespace halvern::ui {

DeviceKeyButton::DeviceKeyButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void DeviceKeyButton::requestRepaint() {
    ++m_repaints;
    // A key of a picture panel is painted by the picture layer that lies over it: Qt drops a paint of the
    // key itself, as an opaque sibling covers it, so the layer is asked.
    if (KeyPictureLayer* layer = SelectPanel::pictureLayerOf(*this)) {
        layer->keyChanged(*this);
    } else {
        update();
    }
}

void DeviceKeyButton::setLightImage(const QString& image) {
    m_lightImage = image;
    requestRepaint();
}

void DeviceKeyButton::setKeysetImage(const QString& image) {
    m_keysetImage = image;
    requestRepaint();
}

void DeviceKeyButton::setLightColour(uint32_t colour, int alpha, bool lit) {
    m_lightColour = colour;
    m_alpha = std::clamp(alpha, 0, 255);
    m_lit = lit;
}

void DeviceKeyButton::setKeysetImageHidden(bool hidden) {
    if (hidden == m_keysetHidden) return;
    m_keysetHidden = hidden;
    requestRepaint();
}

void DeviceKeyButton::setEditing(bool editing) {
    if (editing == m_editing) return;
    m_editing = editing;
    requestRepaint();
}

void DeviceKeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!isEnabled() || !rect().contains(event->position().toPoint())) return;
    setDown(true);
    emit notify(QStringLiteral("dbclick"), 0, 0);
    setDown(false);
    requestRepaint();
}

namespace {

// Where a two-line legend is split: at a space, else before a capital that follows a small letter, the one
// nearest the middle; empty when there is no such place.
QString twoLineLegend(const QString& text) {
    qsizetype best = -1;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const bool space = text[i] == QLatin1Char(' ');
        const bool capital = text[i].isUpper() && text[i - 1].isLower();
        if (!space && !capital) continue;
        if (best < 0 || std::abs(2 * i - text.size()) < std::abs(2 * best - text.size())) best = i;
    }
    if (best < 0) return {};
    const qsizetype rest = text[best] == QLatin1Char(' ') ? best + 1 : best;
    return text.left(best) + QLatin1Char('\n') + text.mid(rest);
}

int widestLine(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

}  // namespace

DeviceKeyButton::Legend DeviceKeyButton::legend() const {
    const QFont style = font();
    const int room = width() - 2 * kLegendMargin;
    if (text().isEmpty() || room <= 0) return {style, QString()};
    const int base = style.pixelSize() > 0 ? style.pixelSize() : QFontInfo(style).pixelSize();
    // The largest size, from the style's down, at which every line of `t` fits the room.
    const auto fitted = [&](const QString& t, QFont font) {
        int pixels = base;
        font.setPixelSize(pixels);
        while (pixels > kMinLegendPixels && widestLine(font, t) > room) font.setPixelSize(--pixels);
        return Legend{font, t};
    };
    Legend best = fitted(text(), style);
    if (best.font.pixelSize() >= base - 1) return best;  // a pixel smaller on one line reads best
    const QString split = twoLineLegend(text());
    if (!split.isEmpty()) {
        const Legend two = fitted(split, style);
        const bool tallEnough = 2 * QFontMetrics(two.font).height() <= height() - 2 * kLegendMargin + 2;
        if (tallEnough && two.font.pixelSize() > best.font.pixelSize()) best = two;
    }
    // Then narrower and lighter faces of the same family, for single words like "Pause".
    QFont narrowBold = style;
    narrowBold.setStretch(QFont::Condensed);
    QFont lighter = style;
    lighter.setWeight(QFont::Normal);
    QFont narrower = lighter;
    narrower.setStretch(QFont::Condensed);
    for (const QFont& face : {narrowBold, lighter, narrower}) {
        const Legend other = fitted(text(), face);
        const bool fits = widestLine(other.font, other.text) <= room;
        const bool bestFits = widestLine(best.font, best.text) <= room;
        if ((fits && !bestFits) || (fits == bestFits && other.font.pixelSize() > best.font.pixelSize()))
            best = other;
    }
    // A key drawn too small for its legend (the picture of a short window) shows none rather than a cut
    // one: its tooltip still names it.
    const QFontMetrics metrics(best.font);
    const bool fits = widestLine(best.font, best.text) <= room &&
                      metrics.height() * (best.text.count(QLatin1Char('\n')) + 1) <= height();
    return fits ? best : Legend{style, QString()};
}

QColor DeviceKeyButton::capColour() const {
    const QColor cap(0x2A, 0x2E, 0x36);
    if (isDown()) return cap.lighter(130);
    if (underMouse()) return cap.lighter(115);
    return cap;
}

QColor DeviceKeyButton::lightAsColour() const {
    return {static_cast<int>(m_lightColour & 0xFF), static_cast<int>((m_lightColour >> 8) & 0xFF),
            static_cast<int>((m_lightColour >> 16) & 0xFF), m_alpha};
}

QColor DeviceKeyButton::legendColour() const {
    const QColor under = m_lit ? blendOver(capColour(), lightAsColour()) : capColour();
    // Pure white and pure black: one of the two has a contrast of at least 4.58 with any colour.
    return whiteOrBlackOn(under);
}

DeviceKeyButton::LayersLook DeviceKeyButton::currentLook(qreal ratio) const {
    return {size(), ratio, isDown(), underMouse(), m_selected, m_editing, text()};
}

void DeviceKeyButton::updateLight() {
    if (KeyPictureLayer* layer = SelectPanel::pictureLayerOf(*this)) {
        layer->lightChanged(*this);
        layer->showChangedLights();
    } else {
        update();
    }
}

void DeviceKeyButton::prepareLayers(qreal ratio) {
    LayersLook look = currentLook(ratio);
    if (look == m_look && !m_cap.isNull()) return;
    m_look = std::move(look);
    const auto layer = [ratio](QSize size) {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        return pixmap;
    };
    ++m_layersVersion;
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = std::min(r.width(), r.height()) * 0.18;
    m_cap = layer(size());
    QPainter p(&m_cap);
    p.setRenderHint(QPainter::Antialiasing);
    // Status: a key cap that shows hover, press, selection and the key being edited.
    const QColor cap = capColour();
    QColor edge(0x44, 0x4A, 0x55);
    qreal edgeWidth = 1.0;
    if (m_editing) {
        edge = QColor(0xFF, 0xFF, 0xFF);
        edgeWidth = 3.0;
    } else if (m_selected) {
        edge = QColor(0x3D, 0xA9, 0xFC);
        edgeWidth = 2.0;
    }
    // The wide edge lies inside the cap's outline, where the other edges draw theirs.
    const qreal inset = m_editing ? 1.0 : 0.0;
    const QRectF edgeRect = r.adjusted(inset, inset, -inset, -inset);
    p.setPen(QPen(edge, edgeWidth));
    p.setBrush(cap);
    p.drawRoundedRect(edgeRect, radius, radius);
    p.end();
    // The glow inside the cap, as the few rectangles that make up its pixels: filling them every frame
    // costs a handful of row fills, where an anti-aliased path is rasterised again each time.
    QPainterPath glow;
    glow.addRoundedRect(r.adjusted(3, 3, -3, -3), radius * 0.7, radius * 0.7);
    const QRegion glowRegion(glow.toFillPolygon().toPolygon());
    m_glowRects.assign(glowRegion.begin(), glowRegion.end());

    m_label = QPixmap();
    m_labelDark = QPixmap();
    m_legendInsideGlow = true;
    if (text().isEmpty()) return;
    const Legend legend = this->legend();
    // Only the text's own bounds are kept: drawing the legend then blends those pixels, not the key's.
    const QRect bounds = QFontMetrics(legend.font)
                             .boundingRect(r.toAlignedRect(), Qt::AlignCenter, legend.text)
                             .intersected(rect());
    if (bounds.isEmpty()) return;
    m_legendInsideGlow = glowRegion.intersected(bounds) == QRegion(bounds);
    m_labelOrigin = bounds.topLeft();
    for (auto [pixmap, colour] :
         {std::pair{&m_label, QColor(Qt::white)}, std::pair{&m_labelDark, QColor(Qt::black)}}) {
        *pixmap = layer(bounds.size());
        QPainter label(pixmap);
        label.translate(-m_labelOrigin);
        label.setFont(legend.font);
        label.setPen(colour);
        label.drawText(r, Qt::AlignCenter, legend.text);
    }
}

// Keys in a picture panel are painted by the panel's picture layer; a key elsewhere (or rendered on its
// own) paints itself the same way.
void DeviceKeyButton::paintEvent(QPaintEvent*) {
    prepareLayers(devicePixelRatioF());
    QPainter p(this);
    p.drawPixmap(0, 0, m_cap);
    paintLight(p);
}

// The glow and the legend's colour are worked out again only when the light or the cap changed.
void DeviceKeyButton::updateLightColours() {
    const QColor cap = capColour();
    const LightInputs inputs{m_lit, m_lightColour, m_alpha, cap.rgb()};
    if (inputs == m_lightInputs) return;
    m_lightInputs = inputs;
    m_glowColour = blendOver(cap, lightAsColour());
    // What legendColour() says, from the blend just made: the legend lies on the glow when lit.
    m_legendDark = whiteOrBlackOn(m_lit ? m_glowColour : cap) != QColor(Qt::white);
}

// The light image's shape filled with the light colour, kept from frame to frame.
bool DeviceKeyButton::paintTintedImage(QPainter& p, QPoint origin) {
    const QImage& tinted = m_tinted.image(m_lightImage, size(), lightAsColour());
    if (tinted.isNull()) return false;
    p.drawImage(rect().translated(origin), tinted);
    return true;
}

bool DeviceKeyButton::lightCoversWhatItPaints() const {
    return m_lit && m_lightImage.isEmpty() && (m_keysetHidden || m_keysetImage.isEmpty()) &&
           m_legendInsideGlow && !m_glowRects.empty();
}

void DeviceKeyButton::paintLight(QPainter& p, QPoint origin) {
    const bool tinted = m_lit && !m_lightImage.isEmpty() && paintTintedImage(p, origin);
    if (m_lit && !tinted) {
        // No image: a glow inside the cap, over the cap's flat colour, so it is filled already blended.
        // The rectangles go to the painter in one call: a preview frame fills some two thousand of them.
        updateLightColours();
        m_glowRectsAt.resize(m_glowRects.size());
        std::transform(m_glowRects.begin(), m_glowRects.end(), m_glowRectsAt.begin(),
                       [origin](const QRect& part) { return part.translated(origin); });
        p.setPen(Qt::NoPen);
        p.setBrush(m_glowColour);
        p.drawRects(m_glowRectsAt.data(), static_cast<int>(m_glowRectsAt.size()));
    }
    if (!m_label.isNull()) {
        updateLightColours();
        p.drawPixmap(m_labelOrigin + origin, m_legendDark ? m_labelDark : m_label);
    }
    if (!m_keysetHidden && !m_keysetImage.isEmpty()) {
        const QPixmap mark = cachedImage(m_keysetImage, size());
        if (!mark.isNull()) p.drawPixmap(rect().translated(origin), mark);
    }
}

}  // namespace halvern::ui
