#pragma once

#include "ui/skin/window_dragger.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <Qt>

namespace lanzhou::skin {

struct FrameSettings;

// What the frame does to its window as a whole: the hit tests of banner,
// status bar and border, moving and sizing by them (with the sizing cursor),
// maximizing and restoring, and the rounded-corner mask.
class WindowHelper final {
public:
    explicit WindowHelper(QWidget* window);
    ~WindowHelper();
    WindowHelper(const WindowHelper&) = delete;
    WindowHelper& operator=(const WindowHelper&) = delete;

    // Whether `pos` is on the banner or the status bar, which move the window.
    bool inDragArea(QPoint pos, const FrameSettings& settings) const;
    // The smallest size the window may be dragged to.
    QSize minimumSize(const FrameSettings& settings) const;

    // The pointer moved over the window, not over an element when
    // `onElement` is false: shows the sizing cursor on a sizing border.
    void hover(QPoint pos, bool onElement, const FrameSettings& settings);
    void clearCursor();

    // A left press off the elements: starts sizing on a sizing border,
    // moving on the banner or status bar; nothing while maximized.
    void press(QPoint pos, QPoint globalPos, const FrameSettings& settings);
    // True while a press is followed (the pointer's moves belong to it).
    bool dragging() const { return m_dragger.active(); }
    void follow(QPoint globalPos) { m_dragger.follow(globalPos); }
    void release() { m_dragger.release(); }

    void toggleMaximized();
    // Rounded corners unless maximized or full screen.
    void updateMask();

private:
    QPointer<QWidget> m_window;
    WindowDragger m_dragger;
    QRect m_normalGeometry;
    bool m_cursorSet = false;
};

}  // namespace lanzhou::skin
