#include "ui/skin/skin_frame.h"

#include "tests/gui/skin/mouse_input.h"

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

namespace mouse = lanzhou::test::mouse;

int prop(const QWidget& window, const char* name) {
    return window.property(name).toInt();
}

class SkinFrameMouse : public ::testing::Test {
protected:
    void attach(AttachOptions options) {
        m_window.setGeometry(100, 100, 400, 300);
        m_frame.Attach(&m_window, options);
        m_window.show();
    }
    QPoint centreOf(CaptionButton button) {
        const std::optional<QRect> rect = m_frame.captionButtonRect(&m_window, button);
        EXPECT_TRUE(rect) << "caption button " << int(button) << " not shown";
        return rect ? rect->center() : QPoint();
    }

    SkinFrame m_frame;
    QWidget m_window;
};

TEST_F(SkinFrameMouse, CloseButtonClosesTheWindow) {
    attach({});
    mouse::click(&m_window, centreOf(CaptionButton::Close));
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(SkinFrameMouse, ReleaseOffTheButtonDoesNothing) {
    attach({});
    mouse::press(&m_window, centreOf(CaptionButton::Close));
    mouse::release(&m_window, QPoint(200, 150));
    EXPECT_TRUE(m_window.isVisible());
}

TEST_F(SkinFrameMouse, MinimizeButtonMinimizes) {
    AttachOptions options;
    options.minimizeButton = true;
    attach(options);
    mouse::click(&m_window, centreOf(CaptionButton::Minimize));
    EXPECT_TRUE(m_window.isMinimized());
    EXPECT_EQ(prop(m_window, "Vuziz_bMinimize"), 1);
    m_window.showNormal();
    EXPECT_EQ(prop(m_window, "Vuziz_bMinimize"), 0);
}

TEST_F(SkinFrameMouse, HelpAndMainMenuCallTheirHandlers) {
    AttachOptions options;
    options.helpButton = true;
    options.mainMenuButton = true;
    attach(options);
    int help = 0;
    int menu = 0;
    mouse::click(&m_window, centreOf(CaptionButton::Help));  // no handler yet: nothing
    m_frame.OnHelpClick(&m_window, [&help] { ++help; });
    m_frame.OnMainMenuClick(&m_window, [&menu] { ++menu; });
    mouse::click(&m_window, centreOf(CaptionButton::Help));
    EXPECT_EQ(help, 1);
    EXPECT_EQ(menu, 0);
    mouse::click(&m_window, centreOf(CaptionButton::MainMenu));
    EXPECT_EQ(help, 1);
    EXPECT_EQ(menu, 1);
}

TEST_F(SkinFrameMouse, HandlerMayCloseAndDeleteTheWindow) {
    SkinFrame frame;
    auto* window = new QWidget;
    window->resize(300, 200);
    AttachOptions options;
    options.helpButton = true;
    frame.Attach(window, options);
    window->show();
    frame.OnHelpClick(window, [window] { delete window; });
    mouse::click(window, frame.captionButtonRect(window, CaptionButton::Help)->center());
    EXPECT_TRUE(frame.windows().isEmpty());
}

TEST_F(SkinFrameMouse, DoubleClickOnBannerWithoutMaximizeButtonDoesNothing) {
    AttachOptions options;
    options.maximizeButton = false;
    attach(options);
    const QRect before = m_window.geometry();
    mouse::doubleClick(&m_window, QPoint(150, 40));
    EXPECT_FALSE(m_window.isMaximized());
    EXPECT_EQ(prop(m_window, "Vuziz_Maximize"), 0);
    EXPECT_EQ(m_window.geometry(), before);
}

// The properties show the frame's state; writing them changes nothing.
TEST_F(SkinFrameMouse, WrittenPropertiesChangeNothing) {
    AttachOptions options;
    options.maximizeButton = false;
    attach(options);
    const QRect content = m_frame.contentRect(&m_window);
    const QRect before = m_window.geometry();
    m_window.setProperty("Vuziz_BannerHeight", 120);
    m_window.setProperty("Vuziz_StatusHeight", 60);
    m_window.setProperty("Vuziz_MaximizeBox", 1);
    m_window.setProperty("Vuziz_bSizeBox", 1);
    EXPECT_EQ(m_frame.contentRect(&m_window), content);
    mouse::doubleClick(&m_window, QPoint(150, 40));  // on the banner
    EXPECT_FALSE(m_window.isMaximized());
    mouse::press(&m_window, QPoint(399, 150));  // the right border
    mouse::drag(&m_window, QPoint(450, 150));
    mouse::release(&m_window, QPoint(450, 150));
    EXPECT_EQ(m_window.geometry(), before);
}

TEST_F(SkinFrameMouse, DoubleClickMaximizesToTheWorkAreaAndRestores) {
    AttachOptions options;
    options.maximizeButton = true;
    attach(options);
    const QRect normal = m_window.geometry();

    mouse::doubleClick(&m_window, QPoint(150, 40));
    EXPECT_TRUE(m_window.isMaximized());
    EXPECT_EQ(prop(m_window, "Vuziz_Maximize"), 1);
    EXPECT_EQ(m_window.geometry(), m_window.screen()->availableGeometry());
    EXPECT_FALSE(m_frame.captionButtonRect(&m_window, CaptionButton::Maximize));
    EXPECT_TRUE(m_frame.captionButtonRect(&m_window, CaptionButton::Restore));
    EXPECT_TRUE(m_window.mask().isEmpty());  // square corners while maximized

    mouse::doubleClick(&m_window, QPoint(150, 40));
    EXPECT_FALSE(m_window.isMaximized());
    EXPECT_EQ(prop(m_window, "Vuziz_Maximize"), 0);
    EXPECT_EQ(m_window.geometry(), normal);
    EXPECT_TRUE(m_frame.captionButtonRect(&m_window, CaptionButton::Maximize));
}

TEST_F(SkinFrameMouse, DoubleClickTogglesInTheStatusBarNotInTheContent) {
    AttachOptions options;
    options.maximizeButton = true;
    attach(options);
    mouse::doubleClick(&m_window, QPoint(200, 150));  // content
    EXPECT_FALSE(m_window.isMaximized());
    mouse::doubleClick(&m_window, QPoint(200, 290));  // status bar
    EXPECT_TRUE(m_window.isMaximized());
}

TEST_F(SkinFrameMouse, RestoreButtonRestores) {
    AttachOptions options;
    options.maximizeButton = true;
    attach(options);
    const QRect normal = m_window.geometry();
    mouse::click(&m_window, centreOf(CaptionButton::Maximize));
    ASSERT_TRUE(m_window.isMaximized());
    mouse::click(&m_window, centreOf(CaptionButton::Restore));
    EXPECT_FALSE(m_window.isMaximized());
    EXPECT_EQ(m_window.geometry(), normal);
}

TEST_F(SkinFrameMouse, BannerDragMovesTheWindowByHand) {
    attach({});
    const QPoint start = m_window.pos();
    mouse::press(&m_window, QPoint(100, 10));
    mouse::drag(&m_window, QPoint(102, 11));  // within the drag distance: no move yet
    EXPECT_EQ(m_window.pos(), start);
    mouse::drag(&m_window, QPoint(150, 40));
    EXPECT_EQ(m_window.pos(), start + QPoint(50, 30));
    mouse::release(&m_window, QPoint(150, 40));
    mouse::drag(&m_window, QPoint(250, 40));  // released: the window stays
    EXPECT_EQ(m_window.pos(), start + QPoint(50, 30));
}

TEST_F(SkinFrameMouse, ContentAndMaximizedWindowsDoNotMove) {
    AttachOptions options;
    options.maximizeButton = true;
    attach(options);
    const QPoint start = m_window.pos();
    mouse::press(&m_window, QPoint(200, 150));
    mouse::drag(&m_window, QPoint(260, 190));
    mouse::release(&m_window, QPoint(260, 190));
    EXPECT_EQ(m_window.pos(), start);

    mouse::click(&m_window, centreOf(CaptionButton::Maximize));
    const QRect maximized = m_window.geometry();
    mouse::press(&m_window, QPoint(100, 10));
    mouse::drag(&m_window, QPoint(160, 60));
    mouse::release(&m_window, QPoint(160, 60));
    EXPECT_EQ(m_window.geometry(), maximized);
}

TEST_F(SkinFrameMouse, BorderResizesByHandDownToTheMinimum) {
    AttachOptions options;
    options.sizeBox = true;
    options.minimumWidth = 250;
    options.minimumHeight = 200;
    attach(options);
    mouse::hover(&m_window, QPoint(399, 150));
    EXPECT_EQ(m_window.cursor().shape(), Qt::SizeHorCursor);
    mouse::hover(&m_window, QPoint(395, 295));
    EXPECT_EQ(m_window.cursor().shape(), Qt::SizeFDiagCursor);
    mouse::hover(&m_window, QPoint(200, 150));
    EXPECT_EQ(m_window.cursor().shape(), Qt::ArrowCursor);

    mouse::press(&m_window, QPoint(399, 150));
    mouse::drag(&m_window, QPoint(449, 150));
    EXPECT_EQ(m_window.geometry(), QRect(100, 100, 450, 300));
    mouse::drag(&m_window, QPoint(100, 150));  // far past the minimum
    EXPECT_EQ(m_window.geometry(), QRect(100, 100, 250, 300));
    mouse::release(&m_window, QPoint(100, 150));

    // The top-left corner moves the opposite edges only.
    mouse::press(&m_window, QPoint(2, 2));
    mouse::drag(&m_window, QPoint(-18, -8));
    mouse::release(&m_window, QPoint(-18, -8));
    EXPECT_EQ(m_window.geometry(), QRect(80, 90, 270, 310));
}

TEST_F(SkinFrameMouse, NoResizingWithoutSizeBox) {
    attach({});
    mouse::hover(&m_window, QPoint(399, 150));
    EXPECT_EQ(m_window.cursor().shape(), Qt::ArrowCursor);
    mouse::press(&m_window, QPoint(399, 150));
    mouse::drag(&m_window, QPoint(449, 150));
    mouse::release(&m_window, QPoint(449, 150));
    EXPECT_EQ(m_window.size(), QSize(400, 300));
}

}  // namespace
}  // namespace lanzhou::skin
