#include "ui/skin/window_dragger.h"

#include "ui/skin/frame_geometry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

namespace lanzhou::skin {

WindowDragger::WindowDragger(QWidget* window) : m_window(window) {}

void WindowDragger::pressToMove(QPoint globalPos) {
    if (!m_window) {
        return;
    }
    m_mode = Mode::PendingMove;
    m_pressGlobal = globalPos;
    m_startGeometry = m_window->geometry();
}

void WindowDragger::pressToResize(QPoint globalPos, Qt::Edges edges, QSize minimum) {
    if (!m_window || !edges) {
        return;
    }
    m_pressGlobal = globalPos;
    m_startGeometry = m_window->geometry();
    m_edges = edges;
    m_minimum = minimum;
    m_mode = Mode::ManualResize;
    QWindow* handle = m_window->windowHandle();
    if (handle && handle->startSystemResize(edges)) {
        handOver();
    }
}

bool WindowDragger::follow(QPoint globalPos) {
    if (!m_window) {
        m_mode = Mode::Idle;
        return false;
    }
    const QPoint delta = globalPos - m_pressGlobal;
    switch (m_mode) {
        case Mode::Idle:
            return false;
        case Mode::PendingMove: {
            if (delta.manhattanLength() < QApplication::startDragDistance()) {
                return true;
            }
            QWindow* handle = m_window->windowHandle();
            if (handle && handle->startSystemMove()) {
                handOver();
                return true;
            }
            m_mode = Mode::ManualMove;
            [[fallthrough]];
        }
        case Mode::ManualMove:
            m_window->move(m_startGeometry.topLeft() + delta);
            return true;
        case Mode::ManualResize:
            m_window->setGeometry(
                geometry::resizedGeometry(m_startGeometry, delta, m_edges, m_minimum));
            return true;
    }
    return false;
}

void WindowDragger::release() {
    m_mode = Mode::Idle;
}

void WindowDragger::handOver() {
    m_mode = Mode::Idle;
    QWindow* handle = m_window ? m_window->windowHandle() : nullptr;
    if (!handle) {
        return;
    }
    // Posted, not sent: the press that started the drag is still being handled.
    const QPointF global = QCursor::pos();
    QCoreApplication::postEvent(
        handle, new QMouseEvent(QEvent::MouseButtonRelease, handle->mapFromGlobal(global), global,
                                Qt::LeftButton, Qt::NoButton, QApplication::keyboardModifiers()));
}

}  // namespace lanzhou::skin
