// The event side of FramedWindow: painting the frame behind the window's
// children, and the mouse on elements, banner, status bar and border.

#include "ui/skin/framed_window.h"

#include "ui/skin/frame_geometry.h"
#include "ui/skin/frame_look.h"
#include "ui/skin/frame_painter.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lanzhou::skin {

using namespace geometry;

bool FramedWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window.data()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Paint:
            paintFrame();
            return false;  // the window paints itself on top
        case QEvent::Resize:
            // Sizing a maximized window ends that state without an event.
            if (m_window->property("Vuziz_Maximize").toInt() != (m_window->isMaximized() ? 1 : 0)) {
                syncWindowState();
            }
            layoutButtons();
            fitPage();
            updateMask();
            return false;
        case QEvent::Show:
            updateMask();
            return false;
        case QEvent::WindowStateChange:
            refreshWindowState();
            return false;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::FontChange:
            m_backgroundStale = true;
            m_window->update();
            return false;
        case QEvent::ActivationChange:
            m_window->update();
            return false;
        case QEvent::Leave:
            setHover(-1);
            if (m_cursorSet) {
                m_window->unsetCursor();
                m_cursorSet = false;
            }
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

const QPixmap& FramedWindow::background() {
    QWidget* window = m_window;
    const qreal ratio = window->devicePixelRatioF();
    const QSize pixels = window->size() * ratio;
    if (!m_backgroundStale && m_backgroundGeneration == m_look.generation &&
        m_background.size() == pixels && qFuzzyCompare(m_background.devicePixelRatio(), ratio)) {
        return m_background;
    }
    m_background = QPixmap(pixels);
    m_background.setDevicePixelRatio(ratio);
    m_background.fill(Qt::transparent);
    FrameScene scene;
    scene.size = window->size();
    scene.bannerHeight = bannerHeight();
    scene.statusHeight = statusHeight();
    scene.maximized = window->isMaximized() || window->isFullScreen();
    scene.sizeGrip = sizeBox();
    scene.icon = window->windowIcon();
    scene.title = window->windowTitle();
    scene.titleRight = window->width() - kFirstButtonGap;
    for (const Element& element : m_elements) {
        if (element.kind == Element::Kind::Button && element.visible) {
            scene.titleRight = std::min(scene.titleRight, element.rect.left());
        }
    }
    {
        QPainter painter(&m_background);
        painter.setFont(window->font());
        paintFrameBackground(painter, scene, m_look);
    }
    m_backgroundGeneration = m_look.generation;
    m_backgroundStale = false;
    window->setProperty("Vuziz_nWidth", window->width());
    window->setProperty("Vuziz_nHeight", window->height());
    return m_background;
}

void FramedWindow::paintFrame() {
    QWidget* window = m_window;
    if (!window || window->width() <= 0 || window->height() <= 0) {
        return;
    }
    QPainter painter(window);
    painter.drawPixmap(0, 0, background());
    const FramePalette palette = FramePalette::from(m_look.colour);
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        const Element& element = m_elements[i];
        if (!element.visible) {
            continue;
        }
        ElementState state = ElementState::Normal;
        if (i == m_pressed) {
            state = m_hover == i ? ElementState::Pressed : ElementState::Normal;
        } else if (i == m_hover && m_pressed < 0) {
            state = ElementState::Hover;
        }
        if (element.kind == Element::Kind::Button) {
            paintCaptionButton(painter, element.rect, element.button, state, palette);
        } else {
            paintTab(painter, element.rect, element.icon, element.title, state, i == m_selected,
                     palette);
        }
    }
    const int status = statusHeight();
    if (status > 0 && !m_statusText.isEmpty()) {
        QFont font = window->font();
        font.setPointSizeF(9);
        painter.setFont(font);
        const QRect rect = statusTextRect(window->size(), status);
        const QString elided =
            painter.fontMetrics().elidedText(m_statusText, Qt::ElideRight, rect.width() - 16);
        paintHaloText(painter, rect, Qt::AlignLeft | Qt::AlignVCenter, elided, palette);
    }
}

void FramedWindow::onMouseMove(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragger.active()) {
        m_dragger.follow(event->globalPosition().toPoint());
        return;
    }
    const qsizetype element = elementAt(pos);
    setHover(element);
    if (m_pressed >= 0) {
        m_window->update(m_elements[m_pressed].rect);
        return;
    }
    const Qt::Edges edges = sizeBox() && element < 0
                                ? edgesAt(pos, m_window->size(), kBorder, kCornerGrab, maximized())
                                : Qt::Edges();
    if (edges) {
        m_window->setCursor(cursorForEdges(edges));
        m_cursorSet = true;
    } else if (m_cursorSet) {
        m_window->unsetCursor();
        m_cursorSet = false;
    }
}

void FramedWindow::onMousePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    const qsizetype element = elementAt(pos);
    if (element >= 0) {
        m_pressed = element;
        m_hover = element;
        m_window->update(m_elements[element].rect);
        return;
    }
    if (maximized()) {
        return;
    }
    const Qt::Edges edges =
        sizeBox() ? edgesAt(pos, m_window->size(), kBorder, kCornerGrab, false) : Qt::Edges();
    if (edges) {
        m_dragger.pressToResize(global, edges, minimumSize());
    } else if (inDragArea(pos)) {
        m_dragger.pressToMove(global);
    }
}

void FramedWindow::onMouseRelease(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_dragger.release();
    const qsizetype pressed = m_pressed;
    if (pressed < 0) {
        return;
    }
    m_pressed = -1;
    m_window->update(m_elements[pressed].rect);
    if (elementAt(event->position().toPoint()) == pressed) {
        act(pressed);  // last: it may close the window
    }
}

void FramedWindow::onDoubleClick(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (elementAt(pos) >= 0) {
        onMousePress(event);  // a quick second click on a button is a click
        return;
    }
    if (inDragArea(pos) && hasMaximizeBox()) {
        toggleMaximized();
    }
}

}  // namespace lanzhou::skin
