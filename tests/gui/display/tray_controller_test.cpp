// TrayController: minimizing hides the window behind a tray icon with the
// tooltip; restoring (directly or by any activation of the icon) shows it
// normal and centred and removes the icon; without a tray nothing changes. A
// window never shown may start in the tray (minimized without one).

#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <memory>

#include <gtest/gtest.h>

#include "client/display/tray_controller.h"

namespace lanzhou::display {
namespace {

QIcon sizedIcon() {
    QIcon icon;
    for (const int side : {16, 32, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::darkCyan);
        icon.addPixmap(pixmap);
    }
    return icon;
}

class TrayControllerTest : public ::testing::Test {
protected:
    TrayControllerTest() {
        m_window->resize(400, 300);
        m_window->move(0, 0);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // Minimizes the window and waits until it is in the tray.
    bool minimizeIntoTray(TrayController& tray) {
        m_window->showMinimized();
        return QTest::qWaitFor([&tray] { return tray.inTray(); });
    }

    void expectRestoredAndCentred() {
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_FALSE(m_window->isMinimized());
        EXPECT_EQ(m_window->windowState(), Qt::WindowNoState);
        const QRect available = m_window->screen()->availableGeometry();
        const QRect frame = m_window->frameGeometry();
        EXPECT_LE((frame.center() - available.center()).manhattanLength(), 2)
            << frame.x() << "," << frame.y() << " in " << available.width() << "x"
            << available.height();
    }

    std::unique_ptr<QWidget> m_window = std::make_unique<QWidget>();
};

TEST_F(TrayControllerTest, MinimizeHidesTheWindowBehindAnIconWithTheTooltip) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), true);
    EXPECT_FALSE(tray.inTray());
    EXPECT_EQ(tray.trayIcon(), nullptr) << "no icon while the window is shown";

    ASSERT_TRUE(minimizeIntoTray(tray));
    EXPECT_FALSE(m_window->isVisible());
    const QSystemTrayIcon* icon = tray.trayIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("澜舟智投"));
    EXPECT_EQ(icon->icon().availableSizes().size(), 3) << "every size of the icon";
}

TEST_F(TrayControllerTest, RestoreShowsTheWindowNormalCentredAndRemovesTheIcon) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), true);
    ASSERT_TRUE(minimizeIntoTray(tray));
    const QPointer<const QSystemTrayIcon> icon = tray.trayIcon();

    tray.restore();
    expectRestoredAndCentred();
    EXPECT_FALSE(tray.inTray());
    EXPECT_EQ(tray.trayIcon(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&icon] { return icon.isNull(); }));

    // The window may go to the tray again.
    ASSERT_TRUE(minimizeIntoTray(tray));
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(TrayControllerTest, AnyActivationOfTheIconRestores) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), true);
    for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                              QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
        SCOPED_TRACE(reason);
        m_window->move(0, 0);
        ASSERT_TRUE(minimizeIntoTray(tray));
        const QPointer<QSystemTrayIcon> icon = const_cast<QSystemTrayIcon*>(tray.trayIcon());
        ASSERT_TRUE(icon);
        emit icon->activated(reason);
        expectRestoredAndCentred();
        EXPECT_FALSE(tray.inTray());
        EXPECT_TRUE(QTest::qWaitFor([&icon] { return icon.isNull(); }));
    }
}

TEST_F(TrayControllerTest, RestoreOutsideTheTrayLeavesTheWindowAlone) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), true);
    m_window->move(10, 20);
    const QPoint before = m_window->pos();
    tray.restore();
    EXPECT_EQ(m_window->pos(), before);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(tray.inTray());
}

TEST_F(TrayControllerTest, WithoutATrayTheWindowMinimizesAsUsual) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), false);
    m_window->showMinimized();
    QCoreApplication::processEvents();  // the tray's hiding would be queued
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_window->isMinimized());
    EXPECT_TRUE(m_window->isVisible()) << "still in the task bar";
    EXPECT_FALSE(tray.inTray());
    EXPECT_EQ(tray.trayIcon(), nullptr);
}

TEST_F(TrayControllerTest, WindowGoingFirstLeavesAUsableController) {
    TrayController tray(*m_window, sizedIcon(), QStringLiteral("澜舟智投"), true);
    ASSERT_TRUE(minimizeIntoTray(tray));
    m_window.reset();
    tray.restore();  // nothing to show; the icon still goes
    EXPECT_FALSE(tray.inTray());
}

TEST(TrayControllerStart, AWindowNeverShownStartsInTheTrayOrMinimized) {
    for (const bool trayAvailable : {true, false}) {
        SCOPED_TRACE(trayAvailable);
        QWidget window;
        window.resize(400, 300);
        TrayController tray(window, sizedIcon(), QStringLiteral("澜舟智投"), trayAvailable);
        tray.showInTray();
        QCoreApplication::processEvents();  // the tray's own hiding would be queued
        QCoreApplication::processEvents();
        EXPECT_EQ(tray.inTray(), trayAvailable);
        EXPECT_EQ(window.isVisible(), !trayAvailable) << "in the task bar only without a tray";
        EXPECT_EQ(window.isMinimized(), !trayAvailable);
        if (trayAvailable) {
            ASSERT_NE(tray.trayIcon(), nullptr);
            EXPECT_TRUE(tray.trayIcon()->isVisible());
            tray.restore();
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(window.isMinimized());
            EXPECT_FALSE(tray.inTray());
        }
    }
}

}  // namespace
}  // namespace lanzhou::display
