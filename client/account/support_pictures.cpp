#include "client/account/support_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace lanzhou::account {
namespace {

constexpr qreal kScale = 2.0;

QPixmap blank(QSize size) {
    QPixmap picture(size * kScale);
    picture.setDevicePixelRatio(kScale);
    picture.fill(Qt::transparent);
    return picture;
}

QFont captionFont(int pixelSize) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

}  // namespace

QPixmap supportQqPicture(QSize size) {
    QPixmap picture = blank(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    // Round body with a small tail at the lower left: a speech bubble.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 4), 5, 5);
    QPainterPath tail;
    tail.moveTo(6, h - 4.5);
    tail.lineTo(5, h - 0.5);
    tail.lineTo(11, h - 4.5);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(0x4F, 0xB4, 0xF0));
    fill.setColorAt(1, QColor(0x16, 0x7C, 0xC8));
    painter.setPen(QPen(QColor(0x10, 0x5E, 0x9C), 1));
    painter.setBrush(fill);
    painter.drawPath(bubble);

    // Three dots of a typing bubble, then the caption.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const qreal dotsY = (h - 4) / 2;
    for (int i = 0; i < 3; ++i) {
        painter.drawEllipse(QPointF(6 + i * 4.0, dotsY), 1.3, 1.3);
    }
    painter.setPen(Qt::white);
    painter.setFont(captionFont(qMax(9, size.height() - 10)));
    painter.drawText(QRectF(17, 0, w - 19, h - 4), Qt::AlignCenter, QStringLiteral("QQ客服"));
    return picture;
}

QPixmap supportShopChatPicture(QSize size) {
    QPixmap picture = blank(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    // An orange pill with a white round face on the left.
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(0xFF, 0xA0, 0x3A));
    fill.setColorAt(1, QColor(0xF0, 0x6A, 0x0C));
    painter.setPen(QPen(QColor(0xC0, 0x50, 0x00), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), h / 2, h / 2);

    const qreal radius = h / 2 - 2.5;
    const QPointF face(h / 2, h / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(face, radius, radius);
    painter.setBrush(QColor(0xF0, 0x6A, 0x0C));
    painter.drawEllipse(face + QPointF(-radius / 2.5, -radius / 4), 1.2, 1.2);
    painter.drawEllipse(face + QPointF(radius / 2.5, -radius / 4), 1.2, 1.2);
    painter.setPen(QPen(QColor(0xF0, 0x6A, 0x0C), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(face.x() - radius / 2, face.y() - radius / 3, radius, radius * 0.9),
                    -20 * 16, -140 * 16);

    painter.setPen(Qt::white);
    painter.setFont(captionFont(qMax(9, size.height() - 6)));
    painter.drawText(QRectF(h, 0, w - h - 2, h), Qt::AlignCenter, QStringLiteral("在线客服"));
    return picture;
}

}  // namespace lanzhou::account
