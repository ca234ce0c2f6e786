#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <Qt>

namespace lanzhou::skin {

// Moves or sizes a frameless window while the left button is held. Moving
// starts once the pointer has travelled the application's drag distance (so
// that a double-click stays a double-click); sizing starts at the press. The
// window system does the work when it can (startSystemMove /
// startSystemResize); otherwise the window follows the pointer by hand.
class WindowDragger final {
public:
    explicit WindowDragger(QWidget* window);

    void pressToMove(QPoint globalPos);
    void pressToResize(QPoint globalPos, Qt::Edges edges, QSize minimum);
    // True while a press is followed (the pointer's moves belong to it).
    bool active() const { return m_mode != Mode::Idle; }
    // Follows the pointer; returns whether the move belonged to a drag.
    bool follow(QPoint globalPos);
    void release();

private:
    enum class Mode { Idle, PendingMove, ManualMove, ManualResize };

    // Gives the window system the drag; on success its button release is
    // never seen, so the window gets one to end its own press.
    void handOver();

    QPointer<QWidget> m_window;
    Mode m_mode = Mode::Idle;
    QPoint m_pressGlobal;
    QRect m_startGeometry;
    Qt::Edges m_edges;
    QSize m_minimum;
};

}  // namespace lanzhou::skin
