#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <Qt>

// Where the parts of the frame sit: pure functions of a window's size and a
// few measures, so that hit-testing, sizing and layout can be checked
// without a window.
namespace lanzhou::skin::geometry {

inline constexpr int kBorder = 3;          // frame border, and the edge grab width
inline constexpr int kCornerGrab = 10;     // corner grab square
inline constexpr int kSizeGrip = 14;       // size grip square at the bottom-right corner
inline constexpr int kCornerRadius = 3;    // rounded corners of a window that is not maximized
inline constexpr int kMinimumBanner = 26;  // banners are never lower
inline constexpr int kDefaultBanner = 80;  // banner when the caller leaves it out
inline constexpr int kDefaultStatus = 26;  // status bar when the caller leaves it out
inline constexpr int kTabBanner = 80;      // banner of a window with tabs
inline constexpr int kFirstButtonGap =
    45;  // the first caption button starts this far from the right
inline constexpr int kButtonTop = 1;
inline constexpr QSize kCloseButton{40, 19};
inline constexpr QSize kCaptionButton{27, 19};
inline constexpr int kTabLeft = 5;
inline constexpr int kTabTop = 27;
inline constexpr int kTabStep = 62;
inline constexpr QSize kTabSize{60, 52};
inline constexpr QPoint kIconPos{6, 6};
inline constexpr int kIconSize = 16;
inline constexpr int kTitleGap = 20;  // the title starts this far right of the icon

// The border edges (or a corner: two edges) under `pos` in a window of
// `size`: within `corner` pixels of a corner in both directions gives that
// corner, within `border` pixels of an edge that edge. Nothing while
// maximized or outside the window.
Qt::Edges edgesAt(QPoint pos, QSize size, int border, int corner, bool maximized);

// `start` sized by dragging `edges` by `delta`; the dragged edges stop where
// the window would become smaller than `minimum` (never below 1 x 1), and
// the opposite edges stay put.
QRect resizedGeometry(const QRect& start, QPoint delta, Qt::Edges edges, QSize minimum);

// Caption buttons laid out right to left at top 1: the first starts 45 pixels
// from the right edge, each further one directly to the left of the previous.
QList<QRect> captionButtonLayout(int width, const QList<QSize>& buttons);

// The window region with rounded corners of `radius` pixels (the whole
// window when the radius is 0 or the window too small to round).
QRegion roundedMask(QSize size, int radius);

// Inside the border, between the banner and the status bar.
QRect contentRect(QSize size, int bannerHeight, int statusHeight);
// The status bar: 3 pixels from the bottom, 2 from the sides; empty without one.
QRect statusBarRect(QSize size, int statusHeight);
// The status text inside the status bar: from left 5, as wide as the window minus 10.
QRect statusTextRect(QSize size, int statusHeight);
// The size grip square at the bottom-right corner.
QRect sizeGripRect(QSize size);
// The n-th tab (from 0).
QRect tabRect(int index);

// The cursor that shows sizing in the direction of `edges` (the arrow for none).
Qt::CursorShape cursorForEdges(Qt::Edges edges);

}  // namespace lanzhou::skin::geometry
