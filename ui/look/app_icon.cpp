#include "ui/look/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lanzhou::look {

namespace {

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // The tile.
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0.0, QColor(0x2B, 0x7C, 0xD3));
    tile.setColorAt(1.0, QColor(0x0B, 0x3D, 0x7A));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    const qreal margin = s * 0.04;
    painter.drawRoundedRect(QRectF(margin, margin, s - 2 * margin, s - 2 * margin), s * 0.2,
                            s * 0.2);

    // The wave along the bottom.
    QPainterPath wave;
    wave.moveTo(s * 0.12, s * 0.78);
    wave.cubicTo(s * 0.3, s * 0.66, s * 0.45, s * 0.9, s * 0.62, s * 0.78);
    wave.cubicTo(s * 0.74, s * 0.7, s * 0.82, s * 0.74, s * 0.88, s * 0.78);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QColor(0x7F, 0xD3, 0xFF), qMax(1.0, s * 0.06), Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(wave);

    // The rising line with its arrow head.
    QPainterPath line;
    line.moveTo(s * 0.16, s * 0.6);
    line.lineTo(s * 0.38, s * 0.4);
    line.lineTo(s * 0.52, s * 0.5);
    line.lineTo(s * 0.8, s * 0.22);
    painter.setPen(
        QPen(Qt::white, qMax(1.2, s * 0.08), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(line);
    QPainterPath head;
    head.moveTo(s * 0.86, s * 0.16);
    head.lineTo(s * 0.62, s * 0.2);
    head.lineTo(s * 0.82, s * 0.4);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(head);
    return pixmap;
}

}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(drawIcon(size));
    }
    return icon;
}

}  // namespace lanzhou::look
