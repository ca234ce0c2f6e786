#include "client/account/picture_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace lanzhou::account {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);  // Space presses it, as any button
}

void PictureButton::setPicture(const QPixmap& picture) {
    m_picture = picture;
    updateGeometry();
    update();
}

QSize PictureButton::sizeHint() const {
    return m_picture.isNull() ? QSize(16, 16) : m_picture.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Pressed: the picture moves one pixel down and right, as a button does.
    const QRect target = isDown() ? rect().translated(1, 1) : rect();
    painter.drawPixmap(target, m_picture);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace lanzhou::account
