#include "ui/skin/frame_geometry.h"

#include <gtest/gtest.h>

namespace lanzhou::skin::geometry {
namespace {

struct EdgeCase {
    QPoint pos;
    bool maximized;
    Qt::Edges expected;
};

TEST(FrameGeometry, EdgesAtBordersAndCorners) {
    const QSize size(200, 100);
    const Qt::Edges none;
    const EdgeCase cases[] = {
        {{0, 50}, false, Qt::LeftEdge},
        {{2, 50}, false, Qt::LeftEdge},
        {{3, 50}, false, none},
        {{197, 50}, false, Qt::RightEdge},
        {{196, 50}, false, none},
        {{199, 50}, false, Qt::RightEdge},
        {{100, 0}, false, Qt::TopEdge},
        {{100, 2}, false, Qt::TopEdge},
        {{100, 97}, false, Qt::BottomEdge},
        {{100, 50}, false, none},
        // The corner squares reach 10 pixels in both directions.
        {{0, 0}, false, Qt::TopEdge | Qt::LeftEdge},
        {{9, 9}, false, Qt::TopEdge | Qt::LeftEdge},
        {{10, 2}, false, Qt::TopEdge},
        {{2, 10}, false, Qt::LeftEdge},
        {{190, 5}, false, Qt::TopEdge | Qt::RightEdge},
        {{5, 95}, false, Qt::BottomEdge | Qt::LeftEdge},
        {{199, 99}, false, Qt::BottomEdge | Qt::RightEdge},
        // Never while maximized, never outside the window.
        {{0, 50}, true, none},
        {{199, 99}, true, none},
        {{-1, 50}, false, none},
        {{200, 50}, false, none},
    };
    for (const EdgeCase& c : cases) {
        EXPECT_EQ(edgesAt(c.pos, size, 3, 10, c.maximized), c.expected)
            << "at " << c.pos.x() << "," << c.pos.y() << (c.maximized ? " maximized" : "");
    }
}

struct ResizeCase {
    const char* name;
    QPoint delta;
    Qt::Edges edges;
    QSize minimum;
    QRect expected;
};

TEST(FrameGeometry, ResizedGeometryKeepsOppositeEdgesAndMinimum) {
    const QRect start(100, 100, 300, 200);
    const QSize minimum(150, 120);
    const ResizeCase cases[] = {
        {"right wider", {50, 7}, Qt::RightEdge, minimum, {100, 100, 350, 200}},
        {"right below minimum", {-200, 0}, Qt::RightEdge, minimum, {100, 100, 150, 200}},
        {"left narrower", {20, 0}, Qt::LeftEdge, minimum, {120, 100, 280, 200}},
        {"left past minimum", {200, 0}, Qt::LeftEdge, minimum, {250, 100, 150, 200}},
        {"top higher", {0, -30}, Qt::TopEdge, minimum, {100, 70, 300, 230}},
        {"bottom-right", {10, 20}, Qt::BottomEdge | Qt::RightEdge, minimum, {100, 100, 310, 220}},
        {"top-left collapsed",
         {500, 500},
         Qt::TopEdge | Qt::LeftEdge,
         minimum,
         {250, 180, 150, 120}},
        {"no edge", {40, 40}, Qt::Edges(), minimum, start},
        {"no minimum still one pixel",
         {-400, -400},
         Qt::BottomEdge | Qt::RightEdge,
         QSize(),
         {100, 100, 1, 1}},
    };
    for (const ResizeCase& c : cases) {
        EXPECT_EQ(resizedGeometry(start, c.delta, c.edges, c.minimum), c.expected) << c.name;
    }
}

TEST(FrameGeometry, CaptionButtonsFromTheRight) {
    struct Case {
        int width;
        QList<QSize> buttons;
        QList<QRect> expected;
    };
    const Case cases[] = {
        {300, {kCloseButton}, {QRect(255, 1, 40, 19)}},
        // Close, minimize, main menu, help: the login window's set.
        {452,
         {kCloseButton, kCaptionButton, kCaptionButton, kCaptionButton},
         {QRect(407, 1, 40, 19), QRect(380, 1, 27, 19), QRect(353, 1, 27, 19),
          QRect(326, 1, 27, 19)}},
        {100, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(captionButtonLayout(c.width, c.buttons), c.expected) << "width " << c.width;
    }
}

TEST(FrameGeometry, RoundedMaskCutsOnlyTheCorners) {
    const QRegion mask = roundedMask(QSize(10, 8), 3);
    const QList<QPoint> outside{{0, 0}, {2, 0}, {0, 1}, {9, 0}, {7, 0}, {0, 7}, {9, 7}, {9, 6}};
    const QList<QPoint> inside{{3, 0}, {6, 0}, {1, 1}, {0, 2}, {9, 4}, {3, 7}, {5, 5}};
    for (const QPoint& p : outside) {
        EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
    }
    for (const QPoint& p : inside) {
        EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(roundedMask(QSize(10, 8), 0), QRegion(0, 0, 10, 8));
    EXPECT_EQ(roundedMask(QSize(4, 4), 3), QRegion(0, 0, 4, 4));  // too small to round
    EXPECT_TRUE(roundedMask(QSize(0, 5), 3).isEmpty());
}

TEST(FrameGeometry, ContentAndStatusAreas) {
    const QSize size(400, 300);
    EXPECT_EQ(contentRect(size, 80, 26), QRect(3, 80, 394, 194));
    EXPECT_EQ(contentRect(size, 26, 0), QRect(3, 26, 394, 271));
    EXPECT_EQ(statusBarRect(size, 26), QRect(2, 274, 396, 23));
    EXPECT_EQ(statusTextRect(size, 26), QRect(5, 274, 390, 23));
    EXPECT_TRUE(statusBarRect(size, 0).isNull());
    EXPECT_EQ(sizeGripRect(size), QRect(386, 286, 14, 14));
    EXPECT_EQ(tabRect(0), QRect(5, 27, 60, 52));
    EXPECT_EQ(tabRect(2), QRect(129, 27, 60, 52));
    // A window smaller than its banner has no content, not a negative one.
    EXPECT_TRUE(contentRect(QSize(100, 50), 80, 26).isEmpty());
}

TEST(FrameGeometry, SizingCursors) {
    EXPECT_EQ(cursorForEdges(Qt::LeftEdge), Qt::SizeHorCursor);
    EXPECT_EQ(cursorForEdges(Qt::BottomEdge), Qt::SizeVerCursor);
    EXPECT_EQ(cursorForEdges(Qt::TopEdge | Qt::LeftEdge), Qt::SizeFDiagCursor);
    EXPECT_EQ(cursorForEdges(Qt::BottomEdge | Qt::RightEdge), Qt::SizeFDiagCursor);
    EXPECT_EQ(cursorForEdges(Qt::TopEdge | Qt::RightEdge), Qt::SizeBDiagCursor);
    EXPECT_EQ(cursorForEdges(Qt::BottomEdge | Qt::LeftEdge), Qt::SizeBDiagCursor);
    EXPECT_EQ(cursorForEdges({}), Qt::ArrowCursor);
}

}  // namespace
}  // namespace lanzhou::skin::geometry
