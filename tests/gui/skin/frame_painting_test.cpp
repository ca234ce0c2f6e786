#include "ui/skin/skin_frame.h"

#include "tests/gui/skin/image_bytes.h"
#include "tests/gui/skin/mouse_input.h"

#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

// Blue clearly dominates: the colour belongs to a blue frame's family.
bool bluish(const QColor& colour) {
    return colour.blue() > colour.red() + 30 && colour.blue() > colour.green();
}

TEST(FramePainting, FrameColourBorderAndRoundedCorners) {
    SkinFrame frame;
    frame.SetColour(QColor(0, 90, 180));
    QWidget window;
    window.resize(300, 200);
    AttachOptions options;
    options.bannerHeight = 40;
    frame.Attach(&window, options);
    window.show();

    const QImage image = window.grab().toImage();
    for (const QPoint& p : {QPoint(0, 100), QPoint(1, 100), QPoint(299, 100), QPoint(150, 199),
                            QPoint(150, 30), QPoint(150, 190)}) {
        EXPECT_TRUE(bluish(image.pixelColor(p))) << p.x() << "," << p.y();
    }
    // The content between banner and status bar is a light tint.
    const QColor content = image.pixelColor(150, 100);
    EXPECT_GT(content.lightness(), 200);
    EXPECT_GE(content.blue(), content.red());

    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(window.mask().contains(QPoint(299, 199)));
    EXPECT_TRUE(window.mask().contains(QPoint(150, 100)));
    EXPECT_TRUE(window.mask().contains(QPoint(0, 100)));
}

TEST(FramePainting, NewColourRepaintsAttachedWindows) {
    SkinFrame frame;
    frame.SetColour(QColor(0, 90, 180));
    QWidget window;
    window.resize(200, 150);
    frame.Attach(&window);
    window.show();
    EXPECT_TRUE(bluish(window.grab().toImage().pixelColor(1, 100)));
    EXPECT_EQ(window.property("Vuziz_nWidth").toInt(), 200);
    EXPECT_EQ(window.property("Vuziz_nHeight").toInt(), 150);

    frame.SetColour(QColor(200, 30, 20));
    const QColor border = window.grab().toImage().pixelColor(1, 100);
    EXPECT_GT(border.red(), border.blue() + 30);
}

TEST(FramePainting, PictureIsDrawnOverTheFrame) {
    SkinFrame frame;
    ASSERT_TRUE(
        frame.setPictureBytes(test::pngBytes(test::filledImage({40, 20}, QColor(0, 200, 0)))));
    QWidget window;
    window.resize(200, 150);
    frame.Attach(&window);
    window.show();
    const QColor banner = window.grab().toImage().pixelColor(100, 60);
    EXPECT_GT(banner.green(), banner.red() + 60);
    EXPECT_GT(banner.green(), banner.blue() + 60);
}

TEST(FramePainting, CloseButtonTurnsRedUnderThePointer) {
    SkinFrame frame;
    frame.SetColour(QColor(0, 90, 180));
    QWidget window;
    window.resize(300, 200);
    frame.Attach(&window);
    window.show();
    const QRect close = *frame.captionButtonRect(&window, CaptionButton::Close);
    const QPoint probe(close.left() + 4, close.center().y());
    EXPECT_TRUE(bluish(window.grab().toImage().pixelColor(probe)));

    test::mouse::hover(&window, close.center());
    const QColor hovered = window.grab().toImage().pixelColor(probe);
    EXPECT_GT(hovered.red(), hovered.blue() + 60);

    test::mouse::hover(&window, QPoint(150, 100));
    EXPECT_TRUE(bluish(window.grab().toImage().pixelColor(probe)));
}

TEST(FramePainting, TransparentChildrenShowTheFrame) {
    SkinFrame frame;
    frame.SetColour(QColor(0, 90, 180));
    QWidget window;
    window.resize(300, 200);
    auto* label = new QLabel(QStringLiteral(" "), &window);
    label->setGeometry(100, 20, 100, 30);  // in the banner
    frame.Attach(&window);
    window.show();
    EXPECT_TRUE(bluish(window.grab().toImage().pixelColor(150, 45)));
}

}  // namespace
}  // namespace lanzhou::skin
