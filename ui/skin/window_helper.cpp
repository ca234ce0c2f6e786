#include "ui/skin/window_helper.h"

#include "ui/skin/frame_geometry.h"
#include "ui/skin/frame_settings.h"

#include <QGuiApplication>
#include <QScreen>

namespace lanzhou::skin {
namespace {

using namespace geometry;

bool windowManagerMaximizes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

}  // namespace

WindowHelper::WindowHelper(QWidget* window) : m_window(window), m_dragger(window) {}

WindowHelper::~WindowHelper() {
    clearCursor();
}

bool WindowHelper::inDragArea(QPoint pos, const FrameSettings& settings) const {
    if (!m_window || !m_window->rect().contains(pos)) {
        return false;
    }
    const int status = settings.statusHeight;
    return pos.y() < settings.bannerHeight ||
           (status > 0 && pos.y() >= m_window->height() - status);
}

QSize WindowHelper::minimumSize(const FrameSettings& settings) const {
    return settings.minimumSize.expandedTo(m_window ? m_window->minimumSize() : QSize());
}

void WindowHelper::hover(QPoint pos, bool onElement, const FrameSettings& settings) {
    if (!m_window) {
        return;
    }
    const Qt::Edges edges =
        settings.sizeBox && !onElement
            ? edgesAt(pos, m_window->size(), kBorder, kCornerGrab, m_window->isMaximized())
            : Qt::Edges();
    if (edges) {
        m_window->setCursor(cursorForEdges(edges));
        m_cursorSet = true;
    } else {
        clearCursor();
    }
}

void WindowHelper::clearCursor() {
    if (m_cursorSet && m_window) {
        m_window->unsetCursor();
    }
    m_cursorSet = false;
}

void WindowHelper::press(QPoint pos, QPoint globalPos, const FrameSettings& settings) {
    if (!m_window || m_window->isMaximized()) {
        return;
    }
    const Qt::Edges edges = settings.sizeBox
                                ? edgesAt(pos, m_window->size(), kBorder, kCornerGrab, false)
                                : Qt::Edges();
    if (edges) {
        m_dragger.pressToResize(globalPos, edges, minimumSize(settings));
    } else if (inDragArea(pos, settings)) {
        m_dragger.pressToMove(globalPos);
    }
}

void WindowHelper::toggleMaximized() {
    QWidget* window = m_window;
    if (!window) {
        return;
    }
    // Setting the geometry of a maximized window ends that state: restoring
    // sets the state first, maximizing the geometry first.
    if (window->isMaximized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
        if (m_normalGeometry.isValid()) {
            window->setGeometry(m_normalGeometry);
        }
    } else {
        m_normalGeometry = window->geometry();
        // The work area, so that the task bar stays visible. X11 and Wayland
        // window managers do that themselves, and restore the geometry they
        // saw before maximizing, which must stay the normal one.
        QScreen* screen = window->screen();
        if (screen && !windowManagerMaximizes()) {
            window->setGeometry(screen->availableGeometry());
        }
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    }
}

void WindowHelper::updateMask() {
    if (!m_window) {
        return;
    }
    const bool square = m_window->isMaximized() || m_window->isFullScreen();
    const QRegion wanted = square ? QRegion() : roundedMask(m_window->size(), kCornerRadius);
    if (m_window->mask() != wanted) {
        if (wanted.isEmpty()) {
            m_window->clearMask();
        } else {
            m_window->setMask(wanted);
        }
    }
}

}  // namespace lanzhou::skin
