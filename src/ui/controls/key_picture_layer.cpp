#include "ui/controls/key_picture_layer.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRubberBand>

namespace halvern::ui {
namespace {

// Copies the part of `pixmap` under `area` (widget coordinates) to the same place.
void copyArea(QPainter& painter, const QPixmap& pixmap, const QRect& area) {
    const qreal ratio = pixmap.devicePixelRatio();
    painter.drawPixmap(QRectF(area), pixmap,
                       QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

}  // namespace

KeyPictureLayer::KeyPictureLayer(QWidget* panel) : QWidget(panel), m_panel(panel) {
    // Every click, hover and tooltip belongs to the key buttons and the panel under this layer.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Every pixel is painted from the scene: nothing under the layer is painted for its repaints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void KeyPictureLayer::invalidate() {
    m_valid = false;
    if (m_collectPending) return;
    // Keys arrive, move and show one by one: which stand alone is decided once, when they have settled.
    m_collectPending = true;
    QMetaObject::invokeMethod(this, &KeyPictureLayer::collectKeys, Qt::QueuedConnection);
}

void KeyPictureLayer::lightChanged(const DeviceKeyButton& key) {
    const QRect place = key.geometry();
    m_changedPlaces.push_back(place);  // its capacity stays from frame to frame
    m_changedBounds |= place;
    m_changedArea += static_cast<qint64>(place.width()) * place.height();
    // A frame names its lights in the keys' order: the search goes on from the last one found.
    const size_t count = m_keys.size();
    for (size_t step = 0; step < count; ++step) {
        const size_t i = (m_lastChangedKey + 1 + step) % count;
        if (m_keys[i].button == &key) {
            m_keys[i].lightChanged = true;
            m_lastChangedKey = i;
            return;
        }
    }
}

bool KeyPictureLayer::paints(const Key& key, const QRect& area, const QRegion& region, bool lightsOnly) {
    const QRect place = key.button->geometry();
    // A key that stands alone shares no pixel with another key, so only its own light brings its place
    // into the region of a lights-only paint.
    if (lightsOnly && key.alone) return key.lightRequested;
    if (!area.intersects(place)) return false;
    return region.rectCount() == 1 || region.intersects(place);
}

void KeyPictureLayer::showChangedLights() {
    if (m_changedPlaces.empty()) return;
    // While the screen may not show the scene, one paint of the whole layer makes it current again.
    // Lights that fill most of the rectangle around them (a keyboard's) are painted as that rectangle;
    // lights spread thinly (around a mouse pad's edge) each in their own place, or the whole picture
    // would be sent to the screen every frame.
    QRegion area;
    const qint64 bounds = static_cast<qint64>(m_changedBounds.width()) * m_changedBounds.height();
    if (!m_screenCurrent) {
        area = QRegion(rect());
    } else if (2 * m_changedArea >= bounds) {
        area = QRegion(m_changedBounds);
    } else {
        for (const QRect& place : m_changedPlaces) area += place;
    }
    update(area);
    m_requestedLights += area;
    for (Key& key : m_keys) {
        key.lightRequested = key.lightRequested || key.lightChanged;
        key.lightChanged = false;
    }
    m_changedPlaces.clear();
    m_changedBounds = {};
    m_changedArea = 0;
}

void KeyPictureLayer::keyChanged(const DeviceKeyButton& key) {
    const QRect place = key.geometry();
    m_changedKeys += place;
    update(place);
}

bool KeyPictureLayer::standsAlone(const DeviceKeyButton* key) const {
    for (const Key& k : m_keys) {
        if (k.button == key) return k.alone;
    }
    return false;
}

// A key stands alone when no other visible key shares a pixel with it.
void KeyPictureLayer::collectKeys() {
    m_collectPending = false;
    m_keys.clear();
    for (QObject* object : m_panel->children()) {
        if (auto* key = qobject_cast<DeviceKeyButton*>(object)) m_keys.push_back({key, false});
    }
    m_changedPlaces.reserve(m_keys.size());
    for (Key& key : m_keys) {
        const QRect place = key.button->geometry();
        bool alone = key.button->isVisibleTo(m_panel);
        for (const Key& other : m_keys) {
            if (!alone) break;
            alone = other.button == key.button || !other.button->isVisibleTo(m_panel) ||
                    !other.button->geometry().intersects(place);
        }
        key.alone = alone;
    }
    setGeometry(m_panel->rect());
    raise();
    m_valid = false;
    update();
}

void KeyPictureLayer::renderScene() {
    const qreal ratio = devicePixelRatioF();
    QPixmap backdrop(m_panel->size() * ratio);
    backdrop.setDevicePixelRatio(ratio);
    // The panel covers every pixel: the backdrop is opaque, and copying it is a plain copy, not a blend.
    backdrop.fill(m_panel->palette().window().color());
    m_panel->render(&backdrop, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    for (QObject* object : m_panel->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child == this || child->isWindow() || !child->isVisibleTo(m_panel)) continue;
        if (qobject_cast<DeviceKeyButton*>(child) || qobject_cast<QRubberBand*>(child)) continue;
        child->render(&backdrop, child->pos(), QRegion(),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    m_backdrop = std::move(backdrop);
    m_scene = m_backdrop.copy();
    QPainter scene(&m_scene);
    for (Key& key : m_keys) {
        if (!key.alone || !key.button || !key.button->isVisibleTo(m_panel)) continue;
        key.button->prepareLayers(ratio);
        scene.drawPixmap(key.button->pos(), key.button->cap());
        key.sceneLook = key.button->layersVersion();
    }
    m_valid = true;
    ++m_renders;
}

QRect KeyPictureLayer::refreshScene(const QRect& area) {
    const qreal ratio = m_scene.devicePixelRatio();
    QRect changed;
    for (Key& key : m_keys) {
        DeviceKeyButton* button = key.button;
        if (!key.alone || !button || !button->geometry().intersects(area) || !button->isVisibleTo(m_panel))
            continue;
        button->prepareLayers(ratio);
        if (button->layersVersion() == key.sceneLook) continue;
        QPainter scene(&m_scene);
        copyArea(scene, m_backdrop, button->geometry());
        scene.drawPixmap(button->pos(), button->cap());
        key.sceneLook = button->layersVersion();
        changed |= button->geometry();
    }
    return changed;
}

void KeyPictureLayer::overlaid() {
    m_screenCurrent = false;
}

void KeyPictureLayer::paintEvent(QPaintEvent* event) {
    const bool rendered = !m_valid || m_backdrop.devicePixelRatio() != devicePixelRatioF();
    if (rendered) renderScene();
    const QRect area = event->rect();
    const QRegion& region = event->region();
    const QRect patched = refreshScene(area);
    QPainter painter(this);
    // A paint asked for by the lights alone, into the window's own backing store, which holds what the
    // last paint left: everything but the lights is still the scene there, so only the lights are
    // painted, and a light that does not cover what it paints gets its key's place from the scene first.
    // Any other paint (an exposure, a hover, a resize, a grab, something drawn over the layer) copies
    // the scene under all of it.
    const bool toScreen = painter.paintEngine() && window()->backingStore() &&
                          painter.paintEngine()->paintDevice() == window()->backingStore()->paintDevice();
    const bool lightsOnly = toScreen && m_screenCurrent && !rendered && patched.isNull() &&
                            m_changedKeys.isEmpty() && m_requestedLights != QRegion(rect()) &&
                            region == m_requestedLights;
    if (!lightsOnly) copyArea(painter, m_scene, area);
    const bool sceneKept = !rendered && (patched.isNull() || (toScreen && area.contains(patched)));
    if (toScreen) {
        m_requestedLights = {};
        m_changedKeys = {};
        // A paint of all the layer that can be seen makes the screen whole (a panel may show only part
        // of its layer: a mouse pad's picture is cut at the bottom by the frame around it).
        m_screenCurrent =
            (m_screenCurrent && sceneKept) || area == rect() || visibleRegion().subtracted(region).isEmpty();
    } else {
        m_screenCurrent = m_screenCurrent && sceneKept;  // a grab changes nothing on the screen
    }
    if (lightsOnly) {
        ++m_lightsOnlyPaints;
        // Keys that overlap others, or whose light does not cover what it paints, start from the scene;
        // all of them first, so that no key's place is cleared after its neighbour was painted into it.
        for (const Key& key : m_keys) {
            DeviceKeyButton* button = key.button;
            if (!button || !paints(key, area, region, true) || !button->isVisibleTo(m_panel)) continue;
            if (!key.alone || !button->lightCoversWhatItPaints()) {
                copyArea(painter, m_scene, button->geometry().intersected(area));
            }
        }
    }
    for (const Key& key : m_keys) {
        DeviceKeyButton* button = key.button;
        if (!button || !paints(key, area, region, lightsOnly) || !button->isVisibleTo(m_panel)) continue;
        if (!key.alone) {
            button->prepareLayers(m_scene.devicePixelRatio());
            painter.drawPixmap(button->pos(), button->cap());
        }
        button->paintLight(painter, button->pos());
    }
    if (toScreen) {
        for (Key& key : m_keys) key.lightRequested = false;
    }
}

}  // namespace halvern::ui
