// The frame drawn at 100 %, 150 % and 200 %: caption glyphs, the border and
// tab icons fall on whole device pixels, with no colours blended in between.

#include "ui/skin/element_painter.h"
#include "ui/skin/frame_look.h"
#include "ui/skin/frame_painter.h"
#include "ui/skin/image_loading.h"
#include "ui/skin/skin_frame.h"
#include "ui/skin/tab_icon.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSet>

#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

// An image of `logical` pixels at `ratio`, filled with `colour`.
QImage canvas(QSize logical, qreal ratio, const QColor& colour) {
    QImage image(QSize(int(std::lround(logical.width() * ratio)),
                       int(std::lround(logical.height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(colour);
    return image;
}

QSet<QRgb> coloursOf(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    return colours;
}

const FramePalette kPalette = FramePalette::from(QColor(178, 0, 0));

struct GlyphCase {
    CaptionButton button;
    qreal ratio;
};

void PrintTo(const GlyphCase& glyph, std::ostream* out) {
    *out << "button " << int(glyph.button) << " at " << glyph.ratio;
}

class CrispGlyph : public ::testing::TestWithParam<GlyphCase> {};

// Level and upright strokes leave only the background, the halo over it and
// the glyph colour: no greys from a stroke straddling device pixels.
TEST_P(CrispGlyph, HasOnlyBackgroundHaloAndGlyphColours) {
    const auto [button, ratio] = GetParam();
    QImage image = canvas({27, 19}, ratio, kPalette.frame);
    {
        QPainter painter(&image);
        paintCaptionButton(painter, QRect(0, 0, 27, 19), button, ElementState::Normal, kPalette);
    }
    const QSet<QRgb> colours = coloursOf(image);
    EXPECT_TRUE(colours.contains(kPalette.text.rgb()));
    EXPECT_LE(colours.size(), 3) << "at " << ratio;
}

INSTANTIATE_TEST_SUITE_P(Scales, CrispGlyph,
                         ::testing::Values(GlyphCase{CaptionButton::Minimize, 1},
                                           GlyphCase{CaptionButton::Minimize, 1.5},
                                           GlyphCase{CaptionButton::Minimize, 2},
                                           GlyphCase{CaptionButton::Maximize, 1},
                                           GlyphCase{CaptionButton::Maximize, 1.5},
                                           GlyphCase{CaptionButton::Maximize, 2},
                                           GlyphCase{CaptionButton::Restore, 1.5},
                                           GlyphCase{CaptionButton::Restore, 2}));

// The device pixels of the glyph colour in the column through the middle of
// the minimize glyph: the stroke's width, which grows with the scale.
TEST(CrispGlyphWidth, MinimizeStrokeIsWholeDevicePixels) {
    for (const auto& [ratio, width] : {std::pair{1.0, 2}, {1.5, 2}, {2.0, 3}, {3.0, 5}}) {
        QImage image = canvas({27, 19}, ratio, kPalette.frame);
        {
            QPainter painter(&image);
            paintCaptionButton(painter, QRect(0, 0, 27, 19), CaptionButton::Minimize,
                               ElementState::Normal, kPalette);
        }
        int run = 0;
        const int x = image.width() / 2;
        for (int y = 0; y < image.height(); ++y) {
            run += image.pixel(x, y) == kPalette.text.rgb() ? 1 : 0;
        }
        EXPECT_EQ(run, width) << "at " << ratio;
    }
}

// The one-pixel border is exactly round(ratio) device pixels of the dark
// colour, on the left and at the top, and the light line inside it is as
// wide and even.
TEST(CrispBorder, OnePixelLineCoversWholeDevicePixels) {
    for (const auto& [ratio, width] : {std::pair{1.0, 1}, {1.5, 2}, {2.0, 2}}) {
        FrameLook look;
        const FramePalette palette = FramePalette::from(look.colour);
        FrameScene scene;
        scene.size = QSize(201, 151);
        scene.bannerHeight = 40;
        scene.statusHeight = 26;
        QImage image = canvas(scene.size, ratio, Qt::transparent);
        {
            QPainter painter(&image);
            paintFrameBackground(painter, scene, look);
        }
        const int midY = image.height() / 2;
        const int midX = image.width() / 2;
        for (int i = 0; i < width; ++i) {
            EXPECT_EQ(image.pixel(i, midY), palette.dark.rgb()) << ratio << " left " << i;
            EXPECT_EQ(image.pixel(midX, i), palette.dark.rgb()) << ratio << " top " << i;
            EXPECT_EQ(image.pixel(image.width() - 1 - i, midY), palette.dark.rgb())
                << ratio << " right " << i;
            EXPECT_EQ(image.pixel(width + i, midY), image.pixel(width, midY))
                << ratio << " inner " << i;
        }
        EXPECT_NE(image.pixel(width, midY), palette.dark.rgb()) << ratio;
        EXPECT_NE(image.pixel(width, midY), image.pixel(2 * width, midY)) << ratio;
        EXPECT_EQ(image.pixel(2 * width, midY), palette.frame.rgb()) << ratio;
    }
}

// A 16 x 16 image in two colours, a checkerboard of 4 x 4 squares.
QPixmap checkerboard(const QColor& a, const QColor& b) {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.setPixelColor(x, y, (x / 4 + y / 4) % 2 == 0 ? a : b);
        }
    }
    return QPixmap::fromImage(image);
}

QPixmap filled(int side, const QColor& colour) {
    QPixmap pixmap(side, side);
    pixmap.fill(colour);
    return pixmap;
}

// The size drawn comes from the smallest image at least as large, else the
// largest, and always covers 32 x 32 logical pixels one device pixel each.
TEST(TabIcon, PicksTheImageForTheScale) {
    QIcon icon;
    const QList<std::pair<int, QColor>> images = {
        {16, Qt::red}, {48, Qt::green}, {64, Qt::blue}, {128, Qt::yellow}};
    for (const auto& [side, colour] : images) {
        icon.addPixmap(filled(side, colour));
    }
    for (const auto& [ratio, colour] : {std::pair{1.0, QColor(Qt::green)},
                                        {1.5, QColor(Qt::green)},
                                        {2.0, QColor(Qt::blue)},
                                        {3.0, QColor(Qt::yellow)}}) {
        const QPixmap pixmap = tabIconPixmap(icon, ratio);
        EXPECT_EQ(pixmap.size(), QSize(32, 32) * ratio) << ratio;
        EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(32, 32)) << ratio;
        EXPECT_EQ(pixmap.toImage().pixelColor(10, 10), colour) << ratio;
    }
    QIcon small;
    small.addPixmap(filled(8, Qt::red));
    small.addPixmap(filled(16, Qt::green));
    EXPECT_EQ(tabIconPixmap(small, 2).toImage().pixelColor(1, 1), QColor(Qt::green));
    EXPECT_TRUE(tabIconPixmap(QIcon(), 2).isNull());
}

// A small image is enlarged pixel by pixel: its two colours and nothing in
// between, at every scale.
TEST(TabIcon, EnlargesWithoutBlur) {
    QIcon icon(checkerboard(Qt::white, QColor(0, 80, 200)));
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QImage image = tabIconPixmap(icon, ratio).toImage();
        EXPECT_EQ(coloursOf(image.convertToFormat(QImage::Format_RGB32)).size(), 2) << ratio;
    }
}

// The tab draws that pixmap unscaled: at 200 % the drawn icon is still only
// its two colours where it lies over a flat tab.
TEST(TabIcon, TabDrawsTheIconUnscaled) {
    QIcon icon(checkerboard(Qt::white, QColor(0, 80, 200)));
    for (const qreal ratio : {1.5, 2.0}) {
        QImage image = canvas({60, 52}, ratio, kPalette.frame);
        {
            QPainter painter(&image);
            paintTab(painter, QRect(0, 0, 60, 52), icon, QString(), ElementState::Normal, false,
                     kPalette);
        }
        const QRect iconArea(int(std::lround(14 * ratio)), int(std::lround(3 * ratio)),
                             int(std::lround(32 * ratio)), int(std::lround(32 * ratio)));
        const QImage drawn = image.copy(iconArea).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(coloursOf(drawn).size(), 2) << ratio;
    }
}

// The tab icons the client ships carry their design at 100 %, 150 % and
// 200 % as images of their own, so that none is enlarged.
TEST(TabIcon, ShippedIconsHoldAnImageForEachScale) {
    const QDir icons(QStringLiteral(LANZHOU_SOURCE_DIR "/data/ico"));
    const QStringList names = icons.entryList({QStringLiteral("*.ico")});
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        QFile file(icons.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QList<QSize> sizes = readTabIcon(file.readAll()).availableSizes();
        for (const int side : {32, 48, 64}) {
            EXPECT_TRUE(sizes.contains(QSize(side, side))) << name.toStdString() << " " << side;
        }
    }
}

}  // namespace
}  // namespace lanzhou::skin
