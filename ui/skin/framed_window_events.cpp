// The event side of FramedWindow: painting the frame behind the window's
// children, and the mouse on elements, banner, status bar and border.

#include "ui/skin/framed_window.h"

#include <QEvent>
#include <QMouseEvent>

namespace lanzhou::skin {

bool FramedWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window.data()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Paint:
            m_canvas.paint(*m_window, m_settings, m_controls, m_statusText);
            return false;  // the window paints itself on top
        case QEvent::Resize:
            // Sizing a maximized window ends that state without an event.
            if (m_maximized != m_window->isMaximized()) {
                syncWindowState();
            }
            layOutButtons();
            fitPage();
            m_helper.updateMask();
            return false;
        case QEvent::Show:
            m_helper.updateMask();
            return false;
        case QEvent::WindowStateChange:
            refreshWindowState();
            return false;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::FontChange:
            m_canvas.invalidate();
            m_window->update();
            return false;
        case QEvent::ActivationChange:
            m_window->update();
            return false;
        case QEvent::Leave:
            setHover(-1);
            m_helper.clearCursor();
            return false;
        case QEvent::MouseMove:
            onMouseMove(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonPress:
            onMousePress(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonRelease:
            onMouseRelease(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonDblClick:
            onDoubleClick(static_cast<QMouseEvent*>(event));
            return true;
        default:
            return false;
    }
}

void FramedWindow::onMouseMove(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_helper.dragging()) {
        m_helper.follow(event->globalPosition().toPoint());
        return;
    }
    const qsizetype element = m_controls.at(pos);
    setHover(element);
    if (m_controls.pressed >= 0) {
        m_window->update(m_controls[m_controls.pressed].rect);
        return;
    }
    m_helper.hover(pos, element >= 0, m_settings);
}

void FramedWindow::onMousePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    const qsizetype element = m_controls.at(pos);
    if (element >= 0) {
        m_controls.pressed = element;
        m_controls.hover = element;
        m_window->update(m_controls[element].rect);
        return;
    }
    m_helper.press(pos, event->globalPosition().toPoint(), m_settings);
}

void FramedWindow::onMouseRelease(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_helper.release();
    const qsizetype pressed = m_controls.pressed;
    if (pressed < 0) {
        return;
    }
    m_controls.pressed = -1;
    m_window->update(m_controls[pressed].rect);
    if (m_controls.at(event->position().toPoint()) == pressed) {
        act(pressed);  // last: it may close the window
    }
}

void FramedWindow::onDoubleClick(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (m_controls.at(pos) >= 0) {
        onMousePress(event);  // a quick second click on a button is a click
        return;
    }
    if (m_helper.inDragArea(pos, m_settings) && m_settings.maximizeButton) {
        toggleMaximized();
    }
}

}  // namespace lanzhou::skin
