#include "ui/skin/frame_geometry.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace lanzhou::skin::geometry {

Qt::Edges edgesAt(QPoint pos, QSize size, int border, int corner, bool maximized) {
    const int w = size.width();
    const int h = size.height();
    if (maximized || pos.x() < 0 || pos.y() < 0 || pos.x() >= w || pos.y() >= h) {
        return {};
    }
    const bool nearLeft = pos.x() < corner;
    const bool nearRight = pos.x() >= w - corner;
    const bool nearTop = pos.y() < corner;
    const bool nearBottom = pos.y() >= h - corner;
    if ((nearLeft || nearRight) && (nearTop || nearBottom)) {
        return Qt::Edges{nearLeft ? Qt::LeftEdge : Qt::RightEdge} |
               (nearTop ? Qt::TopEdge : Qt::BottomEdge);
    }
    Qt::Edges edges;
    if (pos.x() < border) {
        edges |= Qt::LeftEdge;
    } else if (pos.x() >= w - border) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < border) {
        edges |= Qt::TopEdge;
    } else if (pos.y() >= h - border) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

QRect resizedGeometry(const QRect& start, QPoint delta, Qt::Edges edges, QSize minimum) {
    const int minWidth = std::max(minimum.width(), 1);
    const int minHeight = std::max(minimum.height(), 1);
    int left = start.x();
    int top = start.y();
    int right = start.x() + start.width();  // one past the last column
    int bottom = start.y() + start.height();
    if (edges & Qt::LeftEdge) {
        left = std::min(left + delta.x(), right - minWidth);
    } else if (edges & Qt::RightEdge) {
        right = std::max(right + delta.x(), left + minWidth);
    }
    if (edges & Qt::TopEdge) {
        top = std::min(top + delta.y(), bottom - minHeight);
    } else if (edges & Qt::BottomEdge) {
        bottom = std::max(bottom + delta.y(), top + minHeight);
    }
    return QRect(left, top, right - left, bottom - top);
}

QList<QRect> captionButtonLayout(int width, const QList<QSize>& buttons) {
    QList<QRect> rects;
    rects.reserve(buttons.size());
    int left = width - kFirstButtonGap;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        if (i > 0) {
            left -= buttons[i].width();
        }
        rects.append(QRect(QPoint(left, kButtonTop), buttons[i]));
    }
    return rects;
}

QRegion roundedMask(QSize size, int radius) {
    const int w = size.width();
    const int h = size.height();
    if (w <= 0 || h <= 0) {
        return {};
    }
    if (radius <= 0 || w < 2 * radius || h < 2 * radius) {
        return QRegion(0, 0, w, h);
    }
    QRegion region(0, radius, w, h - 2 * radius);
    for (int row = 0; row < radius; ++row) {
        // How far the quarter circle reaches into this row, from the corner.
        const int dy = radius - row;
        const int reach =
            static_cast<int>(std::lround(std::sqrt(double(radius * radius - dy * dy))));
        const int inset = radius - reach;
        region += QRegion(inset, row, w - 2 * inset, 1);
        region += QRegion(inset, h - 1 - row, w - 2 * inset, 1);
    }
    return region;
}

QRect contentRect(QSize size, int bannerHeight, int statusHeight) {
    const int left = kBorder;
    const int right = size.width() - kBorder;
    const int top = std::max(bannerHeight, kBorder);
    const int bottom = size.height() - (statusHeight > 0 ? statusHeight : kBorder);
    return QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

QRect statusBarRect(QSize size, int statusHeight) {
    if (statusHeight <= 0) {
        return {};
    }
    const int height = std::max(statusHeight - kBorder, 0);
    return QRect(2, size.height() - kBorder - height, std::max(size.width() - 4, 0), height);
}

QRect statusTextRect(QSize size, int statusHeight) {
    const QRect bar = statusBarRect(size, statusHeight);
    if (bar.isNull()) {
        return {};
    }
    return QRect(5, bar.top(), std::max(size.width() - 10, 0), bar.height());
}

QRect sizeGripRect(QSize size) {
    return QRect(size.width() - kSizeGrip, size.height() - kSizeGrip, kSizeGrip, kSizeGrip);
}

QRect tabRect(int index) {
    return QRect(QPoint(kTabLeft + index * kTabStep, kTabTop), kTabSize);
}

Qt::CursorShape cursorForEdges(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling =
            (edges & Qt::LeftEdge) ? bool(edges & Qt::TopEdge) : bool(edges & Qt::BottomEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal) {
        return Qt::SizeHorCursor;
    }
    if (vertical) {
        return Qt::SizeVerCursor;
    }
    return Qt::ArrowCursor;
}

}  // namespace lanzhou::skin::geometry
