#include "ui/skin/skin_frame.h"

#include "tests/gui/skin/image_bytes.h"
#include "tests/gui/skin/mouse_input.h"

#include <QDialog>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

namespace mouse = lanzhou::test::mouse;

int prop(const QWidget& window, const char* name) {
    return window.property(name).toInt();
}

TEST(SkinFrameAttach, BannerAndStatusHeights) {
    struct Case {
        std::optional<int> banner;
        std::optional<int> status;
        int expectedBanner;
        int expectedStatus;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 80, 26},
        {24, 0, 26, 0},
        {20, 24, 26, 24},
        {279, std::nullopt, 279, 26},
    };
    for (const Case& c : cases) {
        SkinFrame frame;
        QWidget window;
        AttachOptions options;
        options.bannerHeight = c.banner;
        options.statusHeight = c.status;
        frame.Attach(&window, options);
        EXPECT_EQ(prop(window, "Vuziz_BannerHeight"), c.expectedBanner);
        EXPECT_EQ(prop(window, "Vuziz_StatusHeight"), c.expectedStatus);
    }
}

TEST(SkinFrameAttach, FramelessKeepingTheWindowType) {
    SkinFrame frame;
    QDialog dialog;
    frame.Attach(&dialog);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dialog.windowType(), Qt::Dialog);
    EXPECT_TRUE(dialog.property("ZaderEdav_WndProc").toBool());
    EXPECT_TRUE(frame.isAttached(&dialog));
}

TEST(SkinFrameAttach, ShownWindowStaysShown) {
    SkinFrame frame;
    QWidget window;
    window.resize(200, 120);
    window.show();
    frame.Attach(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(SkinFrameAttach, PropertiesFromOptions) {
    SkinFrame frame;
    QWidget window;
    AttachOptions options;
    options.maximizeButton = true;
    options.sizeBox = true;
    options.minimumWidth = 320;
    options.minimumHeight = 200;
    frame.Attach(&window, options);
    EXPECT_EQ(prop(window, "Vuziz_MaximizeBox"), 1);
    EXPECT_EQ(prop(window, "Vuziz_bSizeBox"), 1);
    EXPECT_EQ(prop(window, "Vuziz_MinWidth"), 320);
    EXPECT_EQ(prop(window, "Vuziz_MinHeight"), 200);
    EXPECT_EQ(prop(window, "Vuziz_DUIIndex"), 1);
    EXPECT_EQ(prop(window, "Vuziz_Maximize"), 0);
    EXPECT_EQ(prop(window, "Vuziz_bMinimize"), 0);
}

TEST(SkinFrameAttach, CaptionButtonsFollowOptionsAndWindowHints) {
    SkinFrame frame;
    QWidget login;
    login.resize(452, 428);
    AttachOptions loginOptions;
    loginOptions.bannerHeight = 279;
    loginOptions.minimizeButton = true;
    loginOptions.maximizeButton = false;
    loginOptions.helpButton = true;
    loginOptions.mainMenuButton = true;
    frame.Attach(&login, loginOptions);
    EXPECT_EQ(frame.captionButtonRect(&login, CaptionButton::Close), QRect(407, 1, 40, 19));
    EXPECT_EQ(frame.captionButtonRect(&login, CaptionButton::Minimize), QRect(380, 1, 27, 19));
    EXPECT_EQ(frame.captionButtonRect(&login, CaptionButton::MainMenu), QRect(353, 1, 27, 19));
    EXPECT_EQ(frame.captionButtonRect(&login, CaptionButton::Help), QRect(326, 1, 27, 19));
    EXPECT_FALSE(frame.captionButtonRect(&login, CaptionButton::Maximize));
    EXPECT_FALSE(frame.captionButtonRect(&login, CaptionButton::Restore));

    // Left out: the window's own hints decide.
    QWidget hinted(nullptr, Qt::Window | Qt::WindowMinimizeButtonHint |
                                Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    hinted.resize(300, 200);
    frame.Attach(&hinted);
    EXPECT_EQ(frame.captionButtonRect(&hinted, CaptionButton::Maximize), QRect(228, 1, 27, 19));
    EXPECT_EQ(frame.captionButtonRect(&hinted, CaptionButton::Minimize), QRect(201, 1, 27, 19));
    EXPECT_FALSE(frame.captionButtonRect(&hinted, CaptionButton::Restore));
    EXPECT_EQ(prop(hinted, "Vuziz_MaximizeBox"), 1);

    QDialog dialog;
    dialog.resize(300, 200);
    frame.Attach(&dialog);
    EXPECT_FALSE(frame.captionButtonRect(&dialog, CaptionButton::Minimize));
    EXPECT_FALSE(frame.captionButtonRect(&dialog, CaptionButton::Maximize));
    EXPECT_TRUE(frame.captionButtonRect(&dialog, CaptionButton::Close));

    // Buttons follow the width.
    login.resize(500, 428);
    EXPECT_EQ(frame.captionButtonRect(&login, CaptionButton::Close), QRect(455, 1, 40, 19));
}

TEST(SkinFrameAttach, AttachingTwiceKeepsOneFrame) {
    SkinFrame frame;
    QWidget first;
    QWidget window;
    window.resize(400, 300);
    frame.Attach(&first);
    AttachOptions options;
    options.maximizeButton = true;
    frame.Attach(&window, options);
    options.bannerHeight = 24;
    frame.Attach(&window, options);

    EXPECT_EQ(frame.windows(), (QList<QWidget*>{&first, &window}));
    EXPECT_EQ(prop(window, "Vuziz_DUIIndex"), 2);
    EXPECT_EQ(prop(window, "Vuziz_BannerHeight"), 26);
    EXPECT_TRUE(window.property("ZaderEdav_WndProc").toBool());

    // One event filter: a second one would act on the click again and
    // restore the window at once.
    window.show();
    mouse::click(&window, frame.captionButtonRect(&window, CaptionButton::Maximize)->center());
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(prop(window, "Vuziz_Maximize"), 1);
}

TEST(SkinFrameAttach, DestroyedWindowsLeaveTheListAndLaterOnesAreRenumbered) {
    SkinFrame frame;
    QWidget first;
    auto second = std::make_unique<QWidget>();
    QWidget third;
    frame.Attach(&first);
    frame.Attach(second.get());
    frame.Attach(&third);
    EXPECT_EQ(prop(third, "Vuziz_DUIIndex"), 3);

    second.reset();
    EXPECT_EQ(frame.windows(), (QList<QWidget*>{&first, &third}));
    EXPECT_EQ(prop(first, "Vuziz_DUIIndex"), 1);
    EXPECT_EQ(prop(third, "Vuziz_DUIIndex"), 2);

    QWidget fourth;
    frame.Attach(&fourth);
    EXPECT_EQ(prop(fourth, "Vuziz_DUIIndex"), 3);
}

TEST(SkinFrameLook, PictureGivesItsAverageColourAndColourDropsThePicture) {
    SkinFrame frame;
    QSignalSpy changed(&frame, &SkinFrame::lookChanged);
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    for (int y = 0; y < 2; ++y) {
        for (int x = 2; x < 4; ++x) {
            picture.setPixelColor(x, y, QColor(0, 0, 255));
        }
    }
    ASSERT_TRUE(frame.setPictureBytes(test::pngBytes(picture)));
    EXPECT_TRUE(frame.hasPicture());
    EXPECT_EQ(frame.colour(), QColor(128, 0, 128));
    EXPECT_EQ(SkinFrame::averageColour(picture), QColor(128, 0, 128));

    frame.SetColour(QColor(10, 120, 60));
    EXPECT_FALSE(frame.hasPicture());
    EXPECT_EQ(frame.colour(), QColor(10, 120, 60));
    EXPECT_EQ(changed.count(), 2);
}

TEST(SkinFrameLook, PictureFromAFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("皮肤.jpg"));
    ASSERT_TRUE(test::filledImage({64, 48}, QColor(200, 120, 40)).save(path, "JPG", 100));
    SkinFrame frame;
    ASSERT_TRUE(frame.SetPicture(path));
    EXPECT_TRUE(frame.hasPicture());
    const QColor colour = frame.colour();
    EXPECT_NEAR(colour.red(), 200, 3);
    EXPECT_NEAR(colour.green(), 120, 3);
    EXPECT_NEAR(colour.blue(), 40, 3);
}

TEST(SkinFrameLook, UnreadablePicturesChangeNothing) {
    SkinFrame frame;
    frame.SetColour(QColor(1, 2, 3));
    QSignalSpy changed(&frame, &SkinFrame::lookChanged);
    EXPECT_FALSE(frame.setPictureBytes(QByteArray()));
    EXPECT_FALSE(frame.setPictureBytes(QByteArray("not a picture at all")));
    EXPECT_FALSE(frame.SetPicture(QStringLiteral("/no/such/skin.jpg")));
    EXPECT_FALSE(frame.hasPicture());
    EXPECT_EQ(frame.colour(), QColor(1, 2, 3));
    EXPECT_EQ(changed.count(), 0);
}

TEST(SkinFrameLook, BaseColourAndColourRefs) {
    SkinFrame frame;
    frame.SetBaseColour(QColor(Qt::white));
    EXPECT_EQ(frame.baseColour(), QColor(Qt::white));
    frame.SetBaseColour(QColor());  // the system's button face
    EXPECT_TRUE(frame.baseColour().isValid());
    EXPECT_EQ(frame.baseColour(), QApplication::palette().color(QPalette::Button));

    EXPECT_EQ(fromColorRef(178), QColor(178, 0, 0));
    EXPECT_EQ(fromColorRef(16711680), QColor(0, 0, 255));
    EXPECT_EQ(fromColorRef(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(toColorRef(QColor(0x99, 0x66, 0x33)), 0x00336699);
    EXPECT_EQ(fromColorRef(-1), QColor(255, 255, 255));  // high byte ignored
}

}  // namespace
}  // namespace lanzhou::skin
