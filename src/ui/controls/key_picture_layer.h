#pragma once

#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <vector>

#include "ui/controls/device_key_button.h"

namespace halvern::ui {

/// The device picture as the user sees it, painted by one widget that lies over the key buttons of a
/// picture panel. The buttons stay where they are for the mouse (this layer lets every mouse event
/// through), but they are never painted one by one: a preview frame of 170 lights is one paint event
/// that copies the still part of the picture and fills the lights, not 170 paint events with their
/// clipping, painters and flushes.
///
/// The still part is kept in two pixmaps: the backdrop (the panel with the children that are not keys,
/// such as the device image) and the scene (the backdrop with the caps of the keys that overlap no
/// other key). Both are rendered again when the panel's size, style or children change; a key whose look
/// changes (hover, press, selection, text) has only its own place in the scene drawn again. Keys that
/// overlap another are drawn cap and light, in their stacking order, on every paint.
///
/// The panel's children that are not keys are seen only through the backdrop: they are rendered again
/// when they move, resize, show, hide or change style.
class KeyPictureLayer final : public QWidget {
    Q_OBJECT
public:
    explicit KeyPictureLayer(QWidget* panel);

    /// Something under the keys, or the keys' places, changed: render again before the next paint, and
    /// decide again which keys stand alone.
    void invalidate();

    /// The light of `key` changed: its place is painted once showChangedLights() asks for it. The places
    /// of one frame are gathered into one region, so the frame is one paint and one copy to the screen.
    void lightChanged(const DeviceKeyButton& key);
    /// Asks for one paint of the lights that changed since the last call.
    void showChangedLights();

    /// Something of `key` other than its light changed (its remap mark, its edit mark): its place is
    /// painted again from the scene up, in a paint that is not one of the lights alone.
    void keyChanged(const DeviceKeyButton& key);

    /// Something was drawn over the layer (the panel's rubber band): the next paint copies the scene under
    /// all of its region.
    void overlaid();

    /// How many times the backdrop was rendered (tests check it is not once per frame).
    [[nodiscard]] int renders() const { return m_renders; }
    /// Whether lights were asked to be shown and are not painted yet.
    [[nodiscard]] bool paintPending() const { return !m_requestedLights.isEmpty(); }
    /// How many paints painted the lights alone over what the screen already showed.
    [[nodiscard]] int lightsOnlyPaints() const { return m_lightsOnlyPaints; }
    /// Whether `key` overlaps no other visible key (its cap is then part of the scene).
    [[nodiscard]] bool standsAlone(const DeviceKeyButton* key) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Key {
        QPointer<DeviceKeyButton> button;
        bool alone = false;
        bool lightChanged = false;    ///< since the last showChangedLights()
        bool lightRequested = false;  ///< asked to be shown since the last paint to the screen
        int sceneLook = -1;           ///< the key's layers version its place in the scene shows
    };

    /// Whether a paint of `region` (bounded by `area`) paints `key`: on a paint of the lights alone, the
    /// keys whose light changed and the overlapping keys under them, without testing every key against
    /// every light's place.
    [[nodiscard]] static bool paints(const Key& key, const QRect& area, const QRegion& region,
                                     bool lightsOnly);

    void collectKeys();
    void renderScene();
    /// Draws the scene again under the alone keys in `area` whose look changed; returns their places.
    QRect refreshScene(const QRect& area);

    QWidget* m_panel;
    std::vector<Key> m_keys;
    size_t m_lastChangedKey = 0;  ///< where the search for the next changed light starts
    QPixmap m_backdrop;
    QPixmap m_scene;
    /// The places of the lights changed since the last showChangedLights(), the rectangle around them and
    /// the sum of their areas.
    std::vector<QRect> m_changedPlaces;
    QRect m_changedBounds;
    qint64 m_changedArea = 0;
    QRegion m_requestedLights;  ///< the lights' places asked for since the last paint
    QRegion m_changedKeys;      ///< the places of keys changed otherwise, asked for since the last paint
    /// Whether the window's backing store shows the whole scene as it stands (but for the lights).
    bool m_screenCurrent = false;
    bool m_valid = false;
    bool m_collectPending = false;
    int m_renders = 0;
    int m_lightsOnlyPaints = 0;
};

}  // namespace halvern::ui
