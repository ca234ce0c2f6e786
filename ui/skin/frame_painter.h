#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

class QPainter;

namespace lanzhou::skin {

struct FrameLook;

// What the cached part of a window's frame shows: everything but the
// elements (caption buttons, tabs, status text), which change state often.
struct FrameScene {
    QSize size;
    int bannerHeight = 0;
    int statusHeight = 0;
    bool maximized = false;  // square corners, no size grip
    bool sizeGrip = false;
    QIcon icon;
    QString title;
    int titleRight = 0;  // the title ends here, left of the caption buttons
};

// Paints the frame background: frame colour or picture, the banner's
// highlight, the content area, the status bar, border, size grip, icon and
// title.
void paintFrameBackground(QPainter& painter, const FrameScene& scene, const FrameLook& look);

}  // namespace lanzhou::skin
