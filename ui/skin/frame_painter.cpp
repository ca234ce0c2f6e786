#include "ui/skin/frame_painter.h"

#include "ui/skin/device_pixels.h"
#include "ui/skin/element_painter.h"
#include "ui/skin/frame_geometry.h"
#include "ui/skin/frame_look.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace lanzhou::skin {
namespace {

using namespace geometry;

// The picture scaled to cover `target`, centred and cropped.
void drawCoveringPicture(QPainter& painter, const QRect& target, const QImage& picture) {
    const QSize scaled = picture.size().scaled(target.size(), Qt::KeepAspectRatioByExpanding);
    if (scaled.isEmpty()) {
        return;
    }
    const double sx = double(picture.width()) / scaled.width();
    const double sy = double(picture.height()) / scaled.height();
    const QRectF source((scaled.width() - target.width()) / 2.0 * sx,
                        (scaled.height() - target.height()) / 2.0 * sy, target.width() * sx,
                        target.height() * sy);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(target), picture, source);
    painter.restore();
}

void paintBanner(QPainter& painter, const FrameScene& scene) {
    const int width = scene.size.width();
    const int banner = std::min(scene.bannerHeight, scene.size.height());
    // A glassy highlight over the upper part, fading into the frame colour.
    const int glow = std::min(banner, std::max(kMinimumBanner, std::min(banner * 3 / 5, 64)));
    QLinearGradient highlight(0, 0, 0, glow);
    highlight.setColorAt(0.0, QColor(255, 255, 255, 120));
    highlight.setColorAt(0.45, QColor(255, 255, 255, 48));
    highlight.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(QRect(0, 0, width, glow), highlight);
    // A soft shade towards the bottom of the banner gives it depth.
    if (banner > glow) {
        QLinearGradient shade(0, glow, 0, banner);
        shade.setColorAt(0.0, QColor(0, 0, 0, 0));
        shade.setColorAt(1.0, QColor(0, 0, 0, 28));
        painter.fillRect(QRect(0, glow, width, banner - glow), shade);
    }
    // A fine bright line under the top edge.
    painter.fillRect(QRect(1, 1, width - 2, 1), QColor(255, 255, 255, 70));
}

void paintContent(QPainter& painter, const FrameScene& scene, const FramePalette& palette) {
    const QRect content = contentRect(scene.size, scene.bannerHeight, scene.statusHeight);
    if (content.isEmpty()) {
        return;
    }
    painter.fillRect(content, palette.content);
    // The banner's shadow falls onto the content.
    QLinearGradient shadow(0, content.top(), 0, content.top() + 4);
    shadow.setColorAt(0.0, QColor(0, 0, 0, 40));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(QRect(content.left(), content.top(), content.width(), 4), shadow);
    painter.fillRect(QRect(content.left(), content.top(), content.width(), 1), palette.dark);
}

void paintStatusBar(QPainter& painter, const FrameScene& scene) {
    const QRect bar = statusBarRect(scene.size, scene.statusHeight);
    if (bar.isEmpty()) {
        return;
    }
    QLinearGradient fill(0, bar.top(), 0, bar.bottom() + 1);
    fill.setColorAt(0.0, QColor(255, 255, 255, 60));
    fill.setColorAt(1.0, QColor(255, 255, 255, 12));
    painter.fillRect(bar, fill);
    painter.fillRect(QRect(bar.left(), bar.top(), bar.width(), 1), QColor(255, 255, 255, 90));
}

// Two lines of whole device pixels along the edges: the dark border and a
// faint light one inside it.
void paintBorder(QPainter& painter, const FrameScene& scene, const FramePalette& palette) {
    const qreal ratio = device_pixels::ratioOf(painter);
    const int pen = device_pixels::lineWidth(1, ratio);
    const QRectF whole(QPointF(0, 0), QSizeF(scene.size));
    const double radius = scene.maximized ? 0.0 : kCornerRadius;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette.dark, pen / ratio));
    painter.drawRoundedRect(device_pixels::outline(whole, pen, ratio), radius, radius);
    painter.setPen(QPen(QColor(255, 255, 255, 55), pen / ratio));
    const double inner = std::max(radius - 1, 0.0);
    painter.drawRoundedRect(device_pixels::outline(whole, pen, ratio, 1), inner, inner);
    painter.restore();
}

void paintSizeGrip(QPainter& painter, const FrameScene& scene, const FramePalette& palette) {
    const QRect grip = sizeGripRect(scene.size);
    // Six dots in a triangle against the corner, each with a light shadow.
    for (int row = 0; row < 3; ++row) {
        for (int column = 2 - row; column < 3; ++column) {
            const QPoint dot(grip.right() - 4 - (2 - column) * 3,
                             grip.bottom() - 4 - (2 - row) * 3);
            painter.fillRect(QRect(dot + QPoint(1, 1), QSize(2, 2)), QColor(255, 255, 255, 110));
            painter.fillRect(QRect(dot, QSize(2, 2)), palette.dark);
        }
    }
}

void paintCaption(QPainter& painter, const FrameScene& scene, const FramePalette& palette) {
    const QRect iconRect(kIconPos, QSize(kIconSize, kIconSize));
    QIcon icon = scene.icon.isNull() ? QApplication::windowIcon() : scene.icon;
    if (!icon.isNull()) {
        icon.paint(&painter, iconRect);
    }
    if (scene.title.isEmpty()) {
        return;
    }
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    const int left = kIconPos.x() + kTitleGap;
    const int right = scene.titleRight - 4;
    const QRect titleRect(left, kIconPos.y() - 3, std::max(right - left, 0), kIconSize + 6);
    const QString elided =
        painter.fontMetrics().elidedText(scene.title, Qt::ElideRight, titleRect.width());
    paintHaloText(painter, titleRect, Qt::AlignLeft | Qt::AlignVCenter, elided, palette);
}

}  // namespace

void paintFrameBackground(QPainter& painter, const FrameScene& scene, const FrameLook& look) {
    const FramePalette palette = FramePalette::from(look.colour);
    const QRect whole(QPoint(0, 0), scene.size);
    painter.fillRect(whole, palette.frame);
    if (!look.picture.isNull()) {
        drawCoveringPicture(painter, whole, look.picture);
    }
    paintBanner(painter, scene);
    paintContent(painter, scene, palette);
    paintStatusBar(painter, scene);
    paintBorder(painter, scene, palette);
    if (scene.sizeGrip && !scene.maximized) {
        paintSizeGrip(painter, scene, palette);
    }
    paintCaption(painter, scene, palette);
}

}  // namespace lanzhou::skin
