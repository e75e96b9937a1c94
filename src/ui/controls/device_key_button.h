#pragma once

#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <vector>

#include "ui/controls/tinted_image.h"

class QPainter;

namespace halvern::ui {

/// One key or LED on a device picture. Draws its own status (hover, pressed), then, when lit, its light
/// image tinted in its light colour at its alpha, then its legend in white or black, whichever contrasts
/// more with the light under it, then the keyset image (marking a remapped key) unless hidden. The
/// selection panel sets its selected flag; a double click sends "dbclick".
class DeviceKeyButton final : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString lightimage READ lightImage WRITE setLightImage)
    Q_PROPERTY(QString keysetimage READ keysetImage WRITE setKeysetImage)
    Q_PROPERTY(QString gmnametextcolor READ nameTextColour WRITE setNameTextColour)
public:
    explicit DeviceKeyButton(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "DeviceKeyButton";

    [[nodiscard]] QString lightImage() const { return m_lightImage; }
    void setLightImage(const QString& image);
    [[nodiscard]] QString keysetImage() const { return m_keysetImage; }
    void setKeysetImage(const QString& image);
    /// Accepted for layouts that set it; it changes nothing.
    [[nodiscard]] QString nameTextColour() const { return m_nameTextColour; }
    void setNameTextColour(const QString& colour) { m_nameTextColour = colour; }

    /// Colour as 0x00BBGGRR like the device frame's bytes (red lowest), alpha 0-255, lit flag. Does not
    /// repaint by itself: the light tick repaints the picture once for all its keys.
    void setLightColour(uint32_t colour, int alpha, bool lit);
    [[nodiscard]] uint32_t lightColour() const { return m_lightColour; }
    [[nodiscard]] int lightAlpha() const { return m_alpha; }
    [[nodiscard]] bool isLit() const { return m_lit; }

    /// Repaints only when the flag changes.
    void setKeysetImageHidden(bool hidden);
    [[nodiscard]] bool keysetImageHidden() const { return m_keysetHidden; }

    void setSelectedKey(bool selected) { m_selected = selected; }
    [[nodiscard]] bool isSelectedKey() const { return m_selected; }

    /// Marks the key whose assignment the page's key editor has open (a wide bright edge, apart from the
    /// selection's); repaints only when the flag changes.
    void setEditing(bool editing);
    [[nodiscard]] bool isEditing() const { return m_editing; }

    /// The colour the legend is drawn in now: white or black, whichever reads better on the key cap with
    /// its light (WCAG contrast of at least 4.5 for any light colour).
    [[nodiscard]] QColor legendColour() const;

    /// How the legend (the button's text) is drawn: in the style's font on one line when it fits the lit
    /// face of the key (its width less kLegendMargin on each side); else on two lines, split where a
    /// word or a capital begins ("Prt" over "Sc"), or in a lighter weight, whichever keeps the larger
    /// size; made smaller (down to kMinLegendPixels) only as far as it must. A legend that does not fit
    /// even then (a key of a picture drawn small) is empty: the key shows none rather than part of one.
    struct Legend {
        QFont font;
        QString text;  ///< with a line break where it is split
    };
    [[nodiscard]] Legend legend() const;
    [[nodiscard]] QFont legendFont() const { return legend().font; }
    /// The cap's edge and the rim of the light take 4 pixels each side; one more keeps the text off them.
    static constexpr int kLegendMargin = 5;
    static constexpr int kMinLegendPixels = 7;

    /// How many times the button asked to be repainted (lets tests check that a no-op repaints nothing).
    [[nodiscard]] int repaintRequests() const { return m_repaints; }

    /// The light changed: shows it with the picture's next paint (one paint for all keys of a frame when
    /// the key lies in a picture panel).
    void updateLight();

    /// Draws the key cap with its edge (below the light) and the key's text (above it) once per look and
    /// size into the cap and label pixmaps, and shapes the glow: a preview frame then only paints the
    /// light between them, so animating 170 keys does not lay out 170 texts or build 170 paths every frame.
    /// `ratio` is the device pixel ratio the key is shown at (its picture's, asked once per paint).
    void prepareLayers(qreal ratio);
    /// Counts the times the layers were drawn anew: the picture draws a key's cap again when it changed.
    [[nodiscard]] int layersVersion() const { return m_layersVersion; }
    /// The key cap with its edge, as prepared (transparent around the rounded cap).
    [[nodiscard]] const QPixmap& cap() const { return m_cap; }
    /// Draws what lies above the cap, with the key's top left corner at `origin`: the light, the legend and
    /// the keyset image. Leaves the painter's pen and brush changed.
    void paintLight(QPainter& painter, QPoint origin = {});
    /// Whether paintLight() fills every pixel it paints with an opaque colour first (a lit glow with the
    /// legend inside it, no light image, no keyset image): it can then be painted again over itself.
    [[nodiscard]] bool lightCoversWhatItPaints() const;

signals:
    void notify(const QString& type, qintptr wParam, qintptr lParam);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void requestRepaint();
    /// The key cap's colour in its current state (hover, pressed), under the light.
    [[nodiscard]] QColor capColour() const;
    /// The light colour and alpha as a colour.
    [[nodiscard]] QColor lightAsColour() const;

    QString m_lightImage;
    QString m_keysetImage;
    QString m_nameTextColour;
    uint32_t m_lightColour = 255;
    int m_alpha = 200;
    bool m_lit = false;
    bool m_keysetHidden = true;
    bool m_selected = false;
    bool m_editing = false;
    int m_repaints = 0;
    /// What the prepared layers were drawn for; they are drawn again when any of it changes.
    struct LayersLook {
        QSize size;
        qreal ratio = 0;
        bool down = false;
        bool hovered = false;
        bool selected = false;
        bool editing = false;
        QString text;
        bool operator==(const LayersLook&) const = default;
    };
    [[nodiscard]] LayersLook currentLook(qreal ratio) const;

    QPixmap m_cap;         ///< the cap and its edge on a transparent ground
    QPixmap m_label;       ///< the legend in white, as large as the text's bounds
    QPixmap m_labelDark;   ///< the legend in black
    QPoint m_labelOrigin;  ///< where the legend's pixmaps sit in the key
    void updateLightColours();
    /// Draws the light image in the light's colour; false when the key has no such image.
    bool paintTintedImage(QPainter& p, QPoint origin);
    /// What the glow's and the legend's colours were worked out for, and the colours.
    struct LightInputs {
        bool lit = false;
        uint32_t light = 0;
        int alpha = -1;
        QRgb cap = 0;
        bool operator==(const LightInputs&) const = default;
    };
    LightInputs m_lightInputs;
    QColor m_glowColour;  ///< the light over the cap's colour
    bool m_legendDark = false;
    bool m_legendInsideGlow = true;
    TintedImage m_tinted;              ///< the light image in the light's colour
    std::vector<QRect> m_glowRects;    ///< the light's shape when the key has no light image
    std::vector<QRect> m_glowRectsAt;  ///< the shape where it is painted, kept from frame to frame
    LayersLook m_look;
    int m_layersVersion = 0;
};

}  // namespace halvern::ui
