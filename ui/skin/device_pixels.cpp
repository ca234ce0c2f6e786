#include "ui/skin/device_pixels.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lanzhou::skin::device_pixels {

qreal ratioOf(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    return device != nullptr ? device->devicePixelRatioF() : 1.0;
}

int lineWidth(qreal logical, qreal ratio) {
    return std::max(1, int(std::lround(logical * ratio)));
}

qreal snapped(qreal value, qreal ratio) {
    return std::round(value * ratio) / ratio;
}

QRectF outline(const QRectF& rect, int devicePen, qreal ratio, int inset) {
    const qreal margin = (inset * devicePen + devicePen / 2.0) / ratio;
    const QRectF whole(QPointF(snapped(rect.left(), ratio), snapped(rect.top(), ratio)),
                       QPointF(snapped(rect.right(), ratio), snapped(rect.bottom(), ratio)));
    return whole.adjusted(margin, margin, -margin, -margin);
}

QPen hairline(const QPainter& painter, const QColor& colour) {
    const qreal ratio = ratioOf(painter);
    return QPen(colour, lineWidth(1, ratio) / ratio);
}

QRectF hairlineOutline(const QPainter& painter, const QRect& rect, int inset) {
    const qreal ratio = ratioOf(painter);
    return outline(QRectF(rect), lineWidth(1, ratio), ratio, inset);
}

QPainterPath alignedPath(const QPainterPath& path, int devicePen, qreal ratio) {
    const qreal offset = devicePen % 2 == 1 ? 0.5 : 0.0;
    const auto align = [ratio, offset](qreal value) {
        return (std::round(value * ratio - offset) + offset) / ratio;
    };
    QPainterPath aligned = path;
    for (int i = 0; i < aligned.elementCount(); ++i) {
        const QPainterPath::Element element = aligned.elementAt(i);
        aligned.setElementPositionAt(i, align(element.x), align(element.y));
    }
    return aligned;
}

}  // namespace lanzhou::skin::device_pixels
