// The popup MessageWindow: place, components and frame, the rendered alert
// block, the close timer's count, the two buttons, and showing without
// taking the focus.

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <chrono>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "client/core/client_session.h"
#include "client/core/html_templates.h"
#include "client/display/message_window.h"
#include "tests/gui/support/page_reading.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/gbk_literal.h"
#include "ui/html/html_view.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::display {
namespace {

using test::plainText;

using namespace std::chrono_literals;
using test::child;
using test::G;

constexpr int kLoadWait = test::kPageWait;
constexpr int kCloseWait = 5000;

MessageWindow::Content content(int closeTicks, std::string fragment = {}) {
    return {QStringLiteral("澜舟智投-消息窗口"), std::move(fragment), closeTicks};
}

class MessageWindowTest : public ::testing::Test {
protected:
    ~MessageWindowTest() override { delete m_window; }

    // A window that deletes itself when it closes; m_window follows it.
    MessageWindow* open(MessageWindow::Content what, std::chrono::milliseconds tick = 1h) {
        m_window = new MessageWindow(m_frame, std::move(what));
        m_window->setTickInterval(tick);
        return m_window;
    }

    bool gone() {
        return QTest::qWaitFor([this] { return m_window.isNull(); }, kCloseWait);
    }

    skin::SkinFrame m_frame;
    QPointer<MessageWindow> m_window;
};

TEST(MessageWindowPlace, AgainstTheLowerRightCornerOfTheScreen) {
    struct Case {
        QRect area;  // the primary screen's available area
        QPoint place;
    };
    for (const Case& c :
         {Case{{0, 0, 1024, 768}, {722, 545}}, Case{{0, 0, 1920, 1080}, {1618, 857}},
          Case{{0, 0, 800, 600}, {498, 377}}, Case{{0, 0, 300, 195}, {-2, -28}},
          // right of another screen, below a top panel
          Case{{1920, 0, 1280, 1024}, {2898, 801}}, Case{{-1280, 32, 1280, 992}, {-302, 801}},
          // a task bar of 40 at the bottom
          Case{{0, 0, 1024, 728}, {722, 505}}}) {
        EXPECT_EQ(MessageWindow::popupPosition(c.area), c.place)
            << c.area.x() << "," << c.area.y() << " " << c.area.width() << "x" << c.area.height();
    }
}

TEST_F(MessageWindowTest, ComponentsFrameAndPlace) {
    MessageWindow* window = open(content(5));
    EXPECT_EQ(window->objectName(), QStringLiteral("MessageWindow"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("澜舟智投-消息窗口"));
    EXPECT_EQ(window->size(), QSize(300, 195));
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(window->parentWidget(), nullptr) << "no owner window";

    struct Component {
        const char* name;
        QRect place;
        const char* text;
    };
    for (const Component& c : {Component{"详细_按钮", {118, 163, 122, 24}, "点击查看详细信息"},
                               Component{"关闭_按钮", {249, 163, 46, 24}, "关闭"}}) {
        auto* button = child<QPushButton>(window, QString::fromUtf8(c.name));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->geometry(), c.place) << c.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.text));
    }
    auto* browser = child<HtmlView>(window, QStringLiteral("内容_浏览器"));
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->geometry(), QRect(2, 24, 296, 133));

    EXPECT_TRUE(m_frame.isAttached(window));
    EXPECT_EQ(window->property("Vuziz_BannerHeight").toInt(), 26);
    EXPECT_EQ(window->property("Vuziz_StatusHeight").toInt(), 0);
    EXPECT_TRUE(m_frame.captionButtonRect(window, skin::CaptionButton::Close));
    EXPECT_FALSE(m_frame.captionButtonRect(window, skin::CaptionButton::Minimize));
    EXPECT_FALSE(m_frame.captionButtonRect(window, skin::CaptionButton::Maximize));

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    window->show();
    EXPECT_EQ(window->pos(), MessageWindow::popupPosition(screen->availableGeometry()));
}

TEST_F(MessageWindowTest, ShowsTheAlertBlockInTheLargeTemplate) {
    core::PopupRecord record;
    record.texts = {"",     "2013-11-24 09:05:03", "600000", G("浦发银行"), G("买入"), "10.50",
                    "11.20"};
    MessageWindow* window = open(content(0, core::alertTextBlock(record)));
    auto* browser = child<HtmlView>(window, QStringLiteral("内容_浏览器"));
    ASSERT_TRUE(browser);
    window->show();
    // The text is read until the page holds the block (the engine loads it
    // in the background).
    QString text;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            text = plainText(*browser);
            return text.contains(QStringLiteral("卖出价格"));
        },
        kLoadWait))
        << text.toStdString();
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines,
              QStringList({QStringLiteral("发布时间：2013-11-24 09:05:03"),
                           QStringLiteral("股票代码：600000"), QStringLiteral("股票名称：浦发银行"),
                           QStringLiteral("操作方式：买入"), QStringLiteral("买入价格：10.50"),
                           QStringLiteral("卖出价格：11.20")}));
}

TEST_F(MessageWindowTest, ClosesOnTheTickThatReachesCloseTicks) {
    for (const int closeTicks : {1, 3, 5}) {
        SCOPED_TRACE(closeTicks);
        MessageWindow* window = open(content(closeTicks), 5ms);
        auto* timer = child<QTimer>(window, QStringLiteral("关闭_时钟"));
        ASSERT_TRUE(timer);
        QSignalSpy ticks(timer, &QTimer::timeout);
        EXPECT_FALSE(timer->isActive()) << "the counter starts when the window opens";
        window->show();
        EXPECT_TRUE(timer->isActive());
        ASSERT_TRUE(gone());
        EXPECT_EQ(ticks.count(), closeTicks);
    }
}

TEST_F(MessageWindowTest, ZeroOrNegativeCloseTicksNeverCloseByThemselves) {
    for (const int closeTicks : {0, -1}) {
        SCOPED_TRACE(closeTicks);
        MessageWindow* window = open(content(closeTicks), 1ms);
        auto* timer = child<QTimer>(window, QStringLiteral("关闭_时钟"));
        ASSERT_TRUE(timer);
        QSignalSpy ticks(timer, &QTimer::timeout);
        window->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 20; }, kCloseWait));
        ASSERT_FALSE(m_window.isNull());
        EXPECT_TRUE(window->isVisible());
        auto* close = child<QPushButton>(window, QStringLiteral("关闭_按钮"));
        ASSERT_TRUE(close);
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_TRUE(gone()) << "the close button still closes it";
    }
}

TEST_F(MessageWindowTest, CloseButtonClosesWithoutAskingForDetails) {
    MessageWindow* window = open(content(0));
    window->show();
    QSignalSpy details(window, &MessageWindow::detailsRequested);
    auto* close = child<QPushButton>(window, QStringLiteral("关闭_按钮"));
    ASSERT_TRUE(close);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(gone());
    EXPECT_EQ(details.count(), 0);
}

TEST_F(MessageWindowTest, DetailsButtonAsksForDetailsThenCloses) {
    MessageWindow* window = open(content(0));
    window->show();
    std::optional<bool> visibleWhenAsked;
    QObject::connect(window, &MessageWindow::detailsRequested,
                     [&] { visibleWhenAsked = m_window && m_window->isVisible(); });
    auto* details = child<QPushButton>(window, QStringLiteral("详细_按钮"));
    ASSERT_TRUE(details);
    QTest::mouseClick(details, Qt::LeftButton);
    EXPECT_EQ(visibleWhenAsked, std::optional<bool>(true));
    EXPECT_TRUE(gone());
}

TEST_F(MessageWindowTest, DetailsReceiverMayReplaceThePopupAtOnce) {
    // A receiver that opens a newer popup destroys this one while the
    // button's click is still being delivered.
    MessageWindow* window = open(content(0));
    window->show();
    QObject::connect(window, &MessageWindow::detailsRequested, [&] { delete m_window; });
    auto* details = child<QPushButton>(window, QStringLiteral("详细_按钮"));
    ASSERT_TRUE(details);
    details->click();
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(MessageWindowTest, ShownWithoutTakingTheFocus) {
    MessageWindow* window = open(content(0));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool) << "kept out of the task bar";
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint)) << "the skin frame draws it";

    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        GTEST_SKIP() << "the offscreen platform makes every window it shows active; the run "
                        "under Xvfb (QT_QPA_PLATFORM=xcb) shows this";
    }
    QWidget typing;
    typing.setWindowTitle(QStringLiteral("typing"));
    typing.show();
    typing.activateWindow();
    if (!QTest::qWaitForWindowActive(&typing)) {
        GTEST_SKIP() << "no window can be made active on the platform "
                     << QGuiApplication::platformName().toStdString();
    }

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // An activation would arrive as a window system event: give it time.
    EXPECT_FALSE(QTest::qWaitFor([&] { return QApplication::activeWindow() != &typing; }, 500))
        << "the popup took the focus";
    EXPECT_EQ(QApplication::activeWindow(), &typing);
    EXPECT_FALSE(window->isActiveWindow());
}

}  // namespace
}  // namespace lanzhou::display
