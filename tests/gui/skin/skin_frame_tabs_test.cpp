#include "ui/skin/skin_frame.h"

#include "tests/gui/skin/image_bytes.h"
#include "tests/gui/skin/mouse_input.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

namespace lanzhou::skin {
namespace {

namespace mouse = lanzhou::test::mouse;

QByteArray iconBytes() {
    return test::pngBytes(test::filledImage({32, 32}, QColor(20, 160, 60)));
}

class SkinFrameTabs : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.resize(600, 400);
        AttachOptions options;
        options.bannerHeight = 26;
        m_frame.Attach(&m_window, options);
        m_frame.AddTab(&m_window, iconBytes(), QStringLiteral("股票预警"), m_alerts);
        m_frame.AddTab(&m_window, QByteArray(), QStringLiteral("网页"), m_web);
        m_window.show();
    }
    QWidget* selectedPage() const { return m_window.property("Vuziz_hWndChild").value<QWidget*>(); }

    SkinFrame m_frame;
    QWidget m_window;
    QPointer<QWidget> m_alerts = new QWidget;
    QPointer<QWidget> m_web = new QWidget;
};

TEST_F(SkinFrameTabs, PagesBecomeHiddenChildrenAndTheBannerRises) {
    EXPECT_EQ(m_window.property("Vuziz_BannerHeight").toInt(), 80);
    EXPECT_EQ(m_alerts->parentWidget(), &m_window);
    EXPECT_EQ(m_web->parentWidget(), &m_window);
    EXPECT_TRUE(m_alerts->isHidden());
    EXPECT_TRUE(m_web->isHidden());
    EXPECT_EQ(m_frame.tabTitles(&m_window),
              (QStringList{QStringLiteral("股票预警"), QStringLiteral("网页")}));
    EXPECT_EQ(m_frame.selectedTab(&m_window), QString());
    EXPECT_EQ(m_frame.tabRect(&m_window, QStringLiteral("股票预警")), QRect(5, 27, 60, 52));
    EXPECT_EQ(m_frame.tabRect(&m_window, QStringLiteral("网页")), QRect(67, 27, 60, 52));
    EXPECT_FALSE(m_frame.tabRect(&m_window, QStringLiteral("其他")));
    EXPECT_EQ(m_frame.contentRect(&m_window), QRect(3, 80, 594, 294));
}

TEST_F(SkinFrameTabs, SelectingShowsItsPageFittedAndHidesThePrevious) {
    m_frame.SelectTab(&m_window, QStringLiteral("股票预警"));
    EXPECT_TRUE(m_alerts->isVisible());
    EXPECT_EQ(m_alerts->geometry(), m_frame.contentRect(&m_window));
    EXPECT_EQ(selectedPage(), m_alerts.data());

    m_frame.SelectTab(&m_window, QStringLiteral("网页"));
    EXPECT_TRUE(m_alerts->isHidden());
    EXPECT_TRUE(m_web->isVisible());
    EXPECT_EQ(m_web->geometry(), m_frame.contentRect(&m_window));
    EXPECT_EQ(m_frame.selectedTab(&m_window), QStringLiteral("网页"));
    EXPECT_EQ(selectedPage(), m_web.data());

    // An unknown title changes nothing.
    m_frame.SelectTab(&m_window, QStringLiteral("网"));
    EXPECT_TRUE(m_web->isVisible());
    EXPECT_TRUE(m_alerts->isHidden());
    EXPECT_EQ(m_frame.selectedTab(&m_window), QStringLiteral("网页"));
    EXPECT_EQ(selectedPage(), m_web.data());
}

TEST_F(SkinFrameTabs, ClickingATabSelectsIt) {
    mouse::click(&m_window, m_frame.tabRect(&m_window, QStringLiteral("网页"))->center());
    EXPECT_EQ(m_frame.selectedTab(&m_window), QStringLiteral("网页"));
    EXPECT_TRUE(m_web->isVisible());
}

TEST_F(SkinFrameTabs, PagesFollowTheWindowSize) {
    m_frame.SelectTab(&m_window, QStringLiteral("股票预警"));
    m_window.resize(700, 500);
    EXPECT_EQ(m_frame.contentRect(&m_window), QRect(3, 80, 694, 394));
    EXPECT_EQ(m_alerts->geometry(), m_frame.contentRect(&m_window));
    EXPECT_EQ(m_web->geometry(), m_frame.contentRect(&m_window));
}

TEST_F(SkinFrameTabs, TabIconsAreDrawnAndBadIconBytesLeaveATabWithoutIcon) {
    m_frame.AddTab(&m_window, QByteArray("\0\0\1\0 not an icon", 18), QStringLiteral("坏"),
                   new QWidget);
    EXPECT_EQ(m_frame.tabTitles(&m_window).size(), 3);
    const QImage image = m_window.grab().toImage();
    const QRect withIcon = *m_frame.tabRect(&m_window, QStringLiteral("股票预警"));
    const QColor icon = image.pixelColor(withIcon.center().x(), withIcon.top() + 19);
    EXPECT_EQ(icon, QColor(20, 160, 60));
    const QRect without = *m_frame.tabRect(&m_window, QStringLiteral("坏"));
    EXPECT_NE(image.pixelColor(without.center().x(), without.top() + 19), QColor(20, 160, 60));
}

TEST_F(SkinFrameTabs, StatusText) {
    m_frame.SetStatusText(&m_window, QStringLiteral("账号：demo  用户类型：付费用户"));
    EXPECT_EQ(m_frame.statusText(&m_window), QStringLiteral("账号：demo  用户类型：付费用户"));
    QWidget stranger;
    m_frame.SetStatusText(&stranger, QStringLiteral("x"));  // not attached: ignored
    EXPECT_EQ(m_frame.statusText(&stranger), QString());
}

TEST_F(SkinFrameTabs, DeletedPageDoesNotBreakSelection) {
    m_frame.SelectTab(&m_window, QStringLiteral("股票预警"));
    delete m_alerts.data();
    m_frame.SelectTab(&m_window, QStringLiteral("网页"));
    EXPECT_TRUE(m_web->isVisible());
    m_frame.SelectTab(&m_window, QStringLiteral("股票预警"));
    EXPECT_EQ(m_frame.selectedTab(&m_window), QStringLiteral("股票预警"));
    EXPECT_EQ(selectedPage(), nullptr);
    EXPECT_TRUE(m_web->isHidden());
}

}  // namespace
}  // namespace lanzhou::skin
