#include "ui/skin/element_painter.h"

#include "ui/skin/device_pixels.h"
#include "ui/skin/frame_look.h"
#include "ui/skin/skin_frame.h"
#include "ui/skin/tab_icon.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace lanzhou::skin {
namespace {

constexpr std::array<QPoint, 6> kHaloOffsets{QPoint(-1, -1), QPoint(-1, 0), QPoint(-1, 1),
                                             QPoint(1, -1),  QPoint(1, 0),  QPoint(1, 1)};

constexpr qreal kGlyphPen = 1.6;   // logical pixels, before rounding to device pixels
constexpr qreal kGlyphHalo = 0.8;  // the halo's offset down and right

// The glyph of a caption button, centred on `c`, as strokes of about 1.6
// pixels.
QPainterPath glyphPath(CaptionButton button, QPointF c) {
    QPainterPath path;
    switch (button) {
        case CaptionButton::Close:
            path.moveTo(c + QPointF(-4, -4));
            path.lineTo(c + QPointF(4, 4));
            path.moveTo(c + QPointF(4, -4));
            path.lineTo(c + QPointF(-4, 4));
            break;
        case CaptionButton::Maximize:
            path.addRect(QRectF(c + QPointF(-4.5, -3.5), QSizeF(9, 7.5)));
            path.moveTo(c + QPointF(-4.5, -2.5));
            path.lineTo(c + QPointF(4.5, -2.5));
            break;
        case CaptionButton::Restore:
            path.addRect(QRectF(c + QPointF(-4.5, -1), QSizeF(7, 5.5)));
            path.moveTo(c + QPointF(-2, -1));
            path.lineTo(c + QPointF(-2, -3.5));
            path.lineTo(c + QPointF(4.5, -3.5));
            path.lineTo(c + QPointF(4.5, 2));
            path.lineTo(c + QPointF(2.5, 2));
            break;
        case CaptionButton::Minimize:
            path.moveTo(c + QPointF(-4.5, 3));
            path.lineTo(c + QPointF(4.5, 3));
            break;
        case CaptionButton::MainMenu:
            path.moveTo(c + QPointF(-4.5, -1.5));
            path.lineTo(c + QPointF(0, 2.5));
            path.lineTo(c + QPointF(4.5, -1.5));
            break;
        case CaptionButton::Help: {
            // A question mark: a hook of an arc, a stem and a dot.
            const QRectF arc(c + QPointF(-3.2, -5.5), QSizeF(6.4, 6));
            path.arcMoveTo(arc, 160);
            path.arcTo(arc, 160, -250);
            path.lineTo(c + QPointF(0, 1.5));
            path.moveTo(c + QPointF(0, 3.6));
            path.lineTo(c + QPointF(0, 4.2));
            break;
        }
    }
    return path;
}

// Strokes `path` with a pen of whole device pixels along device-pixel lines:
// level and upright strokes (with their square ends) cover whole pixels.
void strokeGlyph(QPainter& painter, const QPainterPath& path, const QColor& colour) {
    const qreal ratio = device_pixels::ratioOf(painter);
    const int pen = device_pixels::lineWidth(kGlyphPen, ratio);
    painter.strokePath(device_pixels::alignedPath(path, pen, ratio),
                       QPen(colour, pen / ratio, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
}

}  // namespace

void paintHaloText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                   const FramePalette& palette) {
    painter.save();
    painter.setPen(palette.halo);
    for (const QPoint& offset : kHaloOffsets) {
        painter.drawText(rect.translated(offset), flags, text);
    }
    painter.setPen(palette.text);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void paintCaptionButton(QPainter& painter, const QRect& rect, CaptionButton button,
                        ElementState state, const FramePalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect);
    const bool close = button == CaptionButton::Close;
    QColor glyph = palette.text;
    if (state != ElementState::Normal) {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        if (close) {
            const QColor red =
                state == ElementState::Pressed ? QColor(168, 22, 22) : QColor(226, 44, 44);
            fill.setColorAt(0, red.lighter(118));
            fill.setColorAt(1, red);
            glyph = Qt::white;
        } else if (state == ElementState::Hover) {
            fill.setColorAt(0, QColor(255, 255, 255, 120));
            fill.setColorAt(1, QColor(255, 255, 255, 60));
        } else {
            fill.setColorAt(0, QColor(0, 0, 0, 70));
            fill.setColorAt(1, QColor(0, 0, 0, 30));
        }
        painter.setPen(device_pixels::hairline(painter, QColor(0, 0, 0, close ? 60 : 36)));
        painter.setBrush(fill);
        painter.drawRoundedRect(device_pixels::hairlineOutline(painter, rect), 3, 3);
    }
    const QPointF centre = QRectF(rect).center() + QPointF(0, state == ElementState::Pressed);
    const QPainterPath path = glyphPath(button, centre);
    if (!(close && state != ElementState::Normal)) {
        const qreal ratio = device_pixels::ratioOf(painter);
        const qreal halo = device_pixels::lineWidth(kGlyphHalo, ratio) / ratio;
        strokeGlyph(painter, path.translated(halo, halo), palette.halo);
    }
    strokeGlyph(painter, path, glyph);
    painter.restore();
}

void paintTab(QPainter& painter, const QRect& rect, const QIcon& icon, const QString& title,
              ElementState state, bool selected, const FramePalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect);
    if (selected || state != ElementState::Normal) {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        const int strength = selected ? 110 : (state == ElementState::Hover ? 70 : 40);
        if (state == ElementState::Pressed) {
            fill.setColorAt(0, QColor(0, 0, 0, 60));
            fill.setColorAt(1, QColor(0, 0, 0, 20));
        } else {
            fill.setColorAt(0, QColor(255, 255, 255, strength));
            fill.setColorAt(1, QColor(255, 255, 255, strength / 3));
        }
        painter.setBrush(fill);
        painter.setPen(
            device_pixels::hairline(painter, QColor(255, 255, 255, selected ? 170 : 110)));
        painter.drawRoundedRect(device_pixels::hairlineOutline(painter, rect), 4, 4);
        if (selected) {
            painter.setPen(device_pixels::hairline(painter, QColor(0, 0, 0, 50)));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(
                device_pixels::hairlineOutline(painter, rect.adjusted(-1, -1, 1, 1)), 5, 5);
        }
    }
    const int shift = state == ElementState::Pressed ? 1 : 0;
    if (!icon.isNull()) {
        const qreal ratio = device_pixels::ratioOf(painter);
        const QPointF at(
            device_pixels::snapped(rect.left() + (rect.width() - kTabIconSize) / 2.0, ratio),
            device_pixels::snapped(rect.top() + 3 + shift, ratio));
        painter.drawPixmap(at, tabIconPixmap(icon, ratio));
    }
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    painter.setFont(font);
    const QRect textRect(rect.left(), rect.bottom() - 16 + shift, rect.width(), 16);
    const QString elided = painter.fontMetrics().elidedText(title, Qt::ElideRight, rect.width());
    paintHaloText(painter, textRect, Qt::AlignHCenter | Qt::AlignVCenter, elided, palette);
    painter.restore();
}

}  // namespace lanzhou::skin
