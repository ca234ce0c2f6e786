#include "ui/skin/frame_look.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace lanzhou::skin {

QColor resolvedBaseColour(const FrameLook& look) {
    return look.baseColour.isValid() ? look.baseColour
                                     : QGuiApplication::palette().color(QPalette::Button);
}

QColor mixColours(const QColor& a, const QColor& b, double amount) {
    const double t = std::clamp(amount, 0.0, 1.0);
    const auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return QColor::fromRgbF(float(mix(a.redF(), b.redF())), float(mix(a.greenF(), b.greenF())),
                            float(mix(a.blueF(), b.blueF())), float(mix(a.alphaF(), b.alphaF())));
}

double lightness(const QColor& colour) {
    return 0.299 * colour.redF() + 0.587 * colour.greenF() + 0.114 * colour.blueF();
}

FramePalette FramePalette::from(const QColor& frameColour) {
    const QColor frame = frameColour.isValid() ? frameColour.toRgb() : QColor(178, 0, 0);
    const bool bright = lightness(frame) > 0.62;
    FramePalette palette;
    palette.frame = frame;
    palette.light = mixColours(frame, Qt::white, 0.35);
    palette.dark = mixColours(frame, Qt::black, bright ? 0.45 : 0.35);
    palette.text = bright ? QColor(28, 28, 28) : QColor(Qt::white);
    palette.halo = bright ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 110);
    palette.content = mixColours(frame, Qt::white, 0.93);
    palette.contentLine = mixColours(frame, Qt::white, 0.55);
    return palette;
}

}  // namespace lanzhou::skin
