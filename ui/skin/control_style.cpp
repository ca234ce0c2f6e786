#include "ui/skin/control_style.h"

#include "ui/skin/device_pixels.h"
#include "ui/skin/frame_look.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace lanzhou::skin {
namespace {

enum DrawState { kNormal = 0, kHover = 1, kPressed = 2 };

int drawStateOf(const QStyleOption* option, const QWidget* widget) {
    if (widget) {
        const QVariant stored = widget->property("Vuziz_DrawState");
        if (stored.isValid()) {
            return stored.toInt();
        }
    }
    if (option->state & QStyle::State_Sunken) {
        return kPressed;
    }
    return option->state & QStyle::State_MouseOver ? kHover : kNormal;
}

// The outline of the largest square centred in `rect`.
QRectF centredSquare(const QPainter& painter, const QRect& rect) {
    const int side = std::min(rect.width(), rect.height());
    return device_pixels::hairlineOutline(
        painter, QRect(rect.left() + (rect.width() - side) / 2,
                       rect.top() + (rect.height() - side) / 2, side, side));
}

}  // namespace

ControlStyle::ControlStyle(const FrameLook& look)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_look(look) {}

void ControlStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    widget->setAttribute(Qt::WA_Hover);
}

int ControlStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const {
    switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return 13;
        case PM_DefaultFrameWidth:
            if (qobject_cast<const QTextEdit*>(widget)) {
                return 1;
            }
            break;
        default:
            break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void ControlStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case PE_PanelButtonCommand:
            drawButtonPanel(option, painter, widget);
            return;
        case PE_FrameDefaultButton:
            return;  // the panel marks a default button itself
        case PE_IndicatorCheckBox:
            drawCheckIndicator(option, painter, widget, false);
            return;
        case PE_IndicatorRadioButton:
            drawCheckIndicator(option, painter, widget, true);
            return;
        case PE_PanelLineEdit:
            drawEditFrame(option, painter, widget, true);
            return;
        case PE_FrameLineEdit:
            drawEditFrame(option, painter, widget, false);
            return;
        default:
            QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void ControlStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case CE_PushButtonBevel:
            drawButtonPanel(option, painter, widget);
            return;
        case CE_PushButtonLabel:
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                QStyleOptionButton copy(*button);
                const bool enabled = option->state & State_Enabled;
                const QColor text = !enabled                          ? QColor(140, 140, 140)
                                    : lightness(m_look.colour) > 0.62 ? QColor(30, 30, 30)
                                                                      : QColor(Qt::white);
                copy.palette.setColor(QPalette::ButtonText, text);
                QProxyStyle::drawControl(element, &copy, painter, widget);
                return;
            }
            break;
        case CE_CheckBox:
        case CE_RadioButton:
            painter->fillRect(option->rect, resolvedBaseColour(m_look));
            break;
        case CE_ShapedFrame:
            if (qobject_cast<const QTextEdit*>(widget)) {
                drawEditFrame(option, painter, widget, false);
                return;
            }
            break;
        default:
            break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ControlStyle::drawButtonPanel(const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    const QColor frame = FramePalette::from(m_look.colour).frame;
    const bool enabled = option->state & State_Enabled;
    const int state = enabled ? drawStateOf(option, widget) : kNormal;
    // Glass: a light upper half over a deeper lower half.
    QColor top = mixColours(frame, Qt::white, 0.55);
    QColor upper = mixColours(frame, Qt::white, 0.28);
    QColor lower = mixColours(frame, Qt::black, 0.06);
    QColor bottom = mixColours(frame, Qt::white, 0.18);
    QColor border = mixColours(frame, Qt::black, 0.45);
    if (!enabled) {
        top = QColor(242, 242, 242);
        upper = QColor(232, 232, 232);
        lower = QColor(222, 222, 222);
        bottom = QColor(230, 230, 230);
        border = QColor(178, 178, 178);
    } else if (state == kHover) {
        top = mixColours(frame, Qt::white, 0.68);
        upper = mixColours(frame, Qt::white, 0.40);
        lower = mixColours(frame, Qt::white, 0.06);
        bottom = mixColours(frame, Qt::white, 0.30);
    } else if (state == kPressed) {
        top = mixColours(frame, Qt::black, 0.25);
        upper = mixColours(frame, Qt::black, 0.12);
        lower = mixColours(frame, Qt::black, 0.05);
        bottom = mixColours(frame, Qt::white, 0.10);
    }
    const QRectF box = device_pixels::hairlineOutline(*painter, option->rect);
    const double radius = std::min(4.0, box.height() / 3.0);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, top);
    fill.setColorAt(0.48, upper);
    fill.setColorAt(0.52, lower);
    fill.setColorAt(1.0, bottom);
    painter->setPen(device_pixels::hairline(*painter, border));
    painter->setBrush(fill);
    painter->drawRoundedRect(box, radius, radius);
    if (enabled && state != kPressed) {
        // A bright line just inside the edge.
        painter->setPen(device_pixels::hairline(*painter, QColor(255, 255, 255, 110)));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(device_pixels::hairlineOutline(*painter, option->rect, 1),
                                 radius - 1, radius - 1);
    }
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
    if (enabled && ((option->state & State_HasFocus) || isDefault)) {
        painter->setPen(device_pixels::hairline(*painter, QColor(255, 255, 255, 170)));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(device_pixels::hairlineOutline(*painter, option->rect, 2),
                                 radius - 1.5, radius - 1.5);
    }
    painter->restore();
}

void ControlStyle::drawCheckIndicator(const QStyleOption* option, QPainter* painter,
                                      const QWidget* widget, bool radio) const {
    const QColor frame = FramePalette::from(m_look.colour).frame;
    const bool enabled = option->state & State_Enabled;
    const int state = enabled ? drawStateOf(option, widget) : kNormal;
    const bool on = option->state & State_On;
    const bool partial = option->state & State_NoChange;
    const QRectF box = centredSquare(*painter, option->rect);
    const QColor accent = enabled ? frame : QColor(170, 170, 170);
    QColor border = enabled ? mixColours(frame, Qt::white, state == kNormal ? 0.35 : 0.0)
                            : QColor(190, 190, 190);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    if ((on || partial) && !radio) {
        fill.setColorAt(0, mixColours(accent, Qt::white, 0.25));
        fill.setColorAt(1, state == kPressed ? mixColours(accent, Qt::black, 0.2) : accent);
        border = mixColours(accent, Qt::black, 0.25);
    } else {
        fill.setColorAt(0, state == kPressed ? QColor(222, 222, 222) : QColor(Qt::white));
        fill.setColorAt(1, state == kPressed ? QColor(236, 236, 236) : QColor(244, 244, 244));
    }
    painter->setPen(device_pixels::hairline(*painter, border));
    painter->setBrush(fill);
    if (radio) {
        painter->drawEllipse(box);
        if (on) {
            const double inset = box.width() * 0.27;
            painter->setPen(Qt::NoPen);
            painter->setBrush(accent);
            painter->drawEllipse(box.adjusted(inset, inset, -inset, -inset));
        }
    } else {
        painter->drawRoundedRect(box, 2, 2);
        const double w = box.width();
        const double h = box.height();
        const QPointF o = box.topLeft();
        painter->setPen(
            QPen(Qt::white, std::max(1.5, w / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (partial) {
            painter->drawLine(o + QPointF(w * 0.27, h * 0.5), o + QPointF(w * 0.73, h * 0.5));
        } else if (on) {
            QPainterPath tick;
            tick.moveTo(o + QPointF(w * 0.24, h * 0.52));
            tick.lineTo(o + QPointF(w * 0.43, h * 0.71));
            tick.lineTo(o + QPointF(w * 0.77, h * 0.30));
            painter->drawPath(tick);
        }
    }
    painter->restore();
}

void ControlStyle::drawEditFrame(const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget, bool fill) const {
    const QColor frame = FramePalette::from(m_look.colour).frame;
    const bool enabled = option->state & State_Enabled;
    const bool focus = (option->state & State_HasFocus) || (widget && widget->hasFocus());
    const bool hover = option->state & State_MouseOver;
    painter->save();
    if (fill) {
        painter->fillRect(option->rect,
                          enabled ? option->palette.color(QPalette::Base) : QColor(244, 244, 244));
    }
    QColor border = mixColours(frame, Qt::white, hover ? 0.2 : 0.45);
    if (!enabled) {
        border = QColor(200, 200, 200);
    } else if (focus) {
        border = frame;
    }
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(device_pixels::hairline(*painter, border));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(device_pixels::hairlineOutline(*painter, option->rect));
    if (enabled && focus) {
        // A soft inner glow marks the field with the focus.
        QColor glow = frame;
        glow.setAlpha(60);
        painter->setPen(device_pixels::hairline(*painter, glow));
        painter->drawRect(device_pixels::hairlineOutline(*painter, option->rect, 1));
    }
    painter->restore();
}

}  // namespace lanzhou::skin
