#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

// Mouse input sent straight to a widget through the application (event
// filters included), with global positions from the widget's current place,
// as the window system would report them.
namespace lanzhou::test::mouse {

inline void send(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                 Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPoint pos) {
    send(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
}

inline void release(QWidget* widget, QPoint pos) {
    send(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

inline void drag(QWidget* widget, QPoint pos) {
    send(widget, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}

inline void hover(QWidget* widget, QPoint pos) {
    send(widget, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

inline void click(QWidget* widget, QPoint pos) {
    press(widget, pos);
    release(widget, pos);
}

// What the window system delivers for a double-click.
inline void doubleClick(QWidget* widget, QPoint pos) {
    click(widget, pos);
    send(widget, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    release(widget, pos);
}

}  // namespace lanzhou::test::mouse
