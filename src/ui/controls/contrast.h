#pragma once

#include <QColor>
#include <algorithm>
#include <array>
#include <cmath>

namespace halvern::ui {

/// The linear light of an 8-bit sRGB channel value, from a table worked out once (a preview frame asks
/// for some five hundred of them).
[[nodiscard]] inline double linearChannel(int value) {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (size_t i = 0; i < t.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            t[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table[static_cast<size_t>(std::clamp(value, 0, 255))];
}

/// Relative luminance of an sRGB colour as WCAG 2 defines it, at 8 bits a channel: 0 for black, 1 for
/// white. Alpha is ignored.
[[nodiscard]] inline double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green()) +
           0.0722 * linearChannel(rgb.blue());
}

/// WCAG 2 contrast ratio of two colours, from 1 (equal) to 21 (black on white); the order does not matter.
/// Text needs 4.5, large text and the parts of a control 3.
[[nodiscard]] inline double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/// `over` painted at its alpha on the opaque `under`.
[[nodiscard]] inline QColor blendOver(const QColor& under, const QColor& over) {
    const double a = over.alphaF();
    const auto mix = [a](double top, double bottom) { return top * a + bottom * (1.0 - a); };
    return QColor::fromRgbF(static_cast<float>(mix(over.redF(), under.redF())),
                            static_cast<float>(mix(over.greenF(), under.greenF())),
                            static_cast<float>(mix(over.blueF(), under.blueF())));
}

/// Of two text colours, the one that reads better on `background`.
[[nodiscard]] inline QColor readableOn(const QColor& background, const QColor& light, const QColor& dark) {
    return contrastRatio(light, background) >= contrastRatio(dark, background) ? light : dark;
}

/// Pure white or pure black, whichever reads better on `background`: readableOn(background, white, black)
/// with one luminance instead of four. White's contrast 1.05 / (L + 0.05) is at least black's
/// (L + 0.05) / 0.05 exactly when (L + 0.05)^2 <= 0.0525.
[[nodiscard]] inline QColor whiteOrBlackOn(const QColor& background) {
    const double shifted = relativeLuminance(background) + 0.05;
    return shifted * shifted <= 0.0525 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace halvern::ui
