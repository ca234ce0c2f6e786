#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QRectF>

class QPainter;

// Lines on whole device pixels. The frame is laid out in logical pixels; at
// 150 % a one-pixel line is 1.5 device pixels wide and, drawn where it falls,
// smeared over three rows. These give the widths and places that cover whole
// device pixels at any scale, so that lines stay crisp.
namespace lanzhou::skin::device_pixels {

// The device pixel ratio `painter` draws at.
qreal ratioOf(const QPainter& painter);

// Device pixels of a line `logical` pixels wide: rounded, never below 1.
int lineWidth(qreal logical, qreal ratio);

// `value` (logical) moved to the nearest device-pixel boundary.
qreal snapped(qreal value, qreal ratio);

// The path to stroke with a pen `devicePen` device pixels wide
// (devicePen / ratio logical) so that the line covers the outermost device
// pixels of `rect` after `inset` such lines; the rectangle's edges are first
// moved to device-pixel boundaries.
QRectF outline(const QRectF& rect, int devicePen, qreal ratio, int inset = 0);

// A one-pixel line for `painter`: whole device pixels wide, in `colour`.
QPen hairline(const QPainter& painter, const QColor& colour);
// The path of a hairline along the inside of `rect`, `inset` lines in.
QRectF hairlineOutline(const QPainter& painter, const QRect& rect, int inset = 0);

// `path` with every point moved so that a pen `devicePen` device pixels wide
// along it covers whole device pixels: onto a device-pixel boundary for an
// even width, onto a device-pixel centre for an odd one.
QPainterPath alignedPath(const QPainterPath& path, int devicePen, qreal ratio);

}  // namespace lanzhou::skin::device_pixels
