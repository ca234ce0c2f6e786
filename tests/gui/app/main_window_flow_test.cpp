// The main window in the running client: lists filled from the server,
// popups, the details button, the expiry check and the web-link tabs.

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "client/account/login_window.h"
#include "client/app/desktop_client.h"
#include "client/core/texts.h"
#include "client/display/alert_page.h"
#include "client/display/main_window.h"
#include "client/display/message_window.h"
#include "client/display/web_link_page.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/page_reading.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"
#include "ui/html/html_view.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;
using display::fromGbk;

constexpr int kWait = 15'000;

class MainWindowFlow : public ::testing::Test {
protected:
    void start(FakeServiceScript script, std::optional<bool> tray = std::nullopt,
               std::chrono::milliseconds expiryPeriod = 10'000ms) {
        m_service = std::make_unique<FakeService>(std::move(script));
        auto options = clientOptions(m_runDirectory, m_service->port(), &m_prompts,
                                     [this](int code) { m_exitCode = code; });
        options.trayAvailable = tray;
        options.expiryCheckPeriod = expiryPeriod;
        m_client = std::make_unique<app::DesktopClient>(std::move(options));
        ASSERT_TRUE(m_client->start());
    }

    // Logs in once the handshake has brought the web pages (a login before
    // that is answered with whatever the session holds then).
    void logIn(const QString& account, const QString& password) {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_client->core().session().webPages == m_service->script().pages; },
            kWait));
        auto* login = m_client->loginWindow();
        child<QLineEdit>(login, "登陆_ad1")->setText(account);
        child<QLineEdit>(login, "登陆_ad2")->setText(password);
        child<QPushButton>(login, "按钮3")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
    }

    display::MainWindow& main() { return *m_client->mainWindow(); }

    // A popup alert of now for the audience (the member's user type).
    protocol::AlertRecord liveAlert(const std::string& id, const std::string& code,
                                    const std::string& audience = "1") {
        protocol::AlertRecord alert;
        alert.id = id;
        alert.time = protocol::formatDateTime(m_service->script().now);
        alert.code = code;
        alert.name = G("测试股票");
        alert.operation = G("买入");
        alert.buy = "9.90";
        alert.sell = "10.80";
        alert.remark = G("备注");
        alert.audience = audience;
        alert.popup = "1";
        return alert;
    }

    QTemporaryDir m_runDirectory;
    RecordingPrompts m_prompts;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<app::DesktopClient> m_client;
    std::optional<int> m_exitCode;
};

TEST_F(MainWindowFlow, TheAlertListAnswerFillsBothListsNewestOnTop) {
    start(demoScript());
    logIn("demo", "demo");
    auto& page = main().alertPage();
    // The paying audience's alerts of the demo script, newest on top.
    const auto time = [&](const char* id) {
        for (const auto& alert : m_service->script().alerts) {
            if (alert.id == id) {
                return QString::fromStdString(alert.time);
            }
        }
        return QString();
    };
    using Rows = QList<QStringList>;
    const Rows today = {
        {"1005", time("1005"), "601318", "中国平安", "卖出", "45.00", "44.20", "止盈离场"},
        {"1003", time("1003"), "600519", "贵州茅台", "持有", "1700.00", "1800.00", "中线持有"},
    };
    const Rows history = {
        {"1001", time("1001"), "600000", "浦发银行", "买入", "10.20", "11.00", "短线关注"},
    };
    for (auto [view, expected] :
         {std::pair{&page.todayList(), today}, std::pair{&page.historyList(), history}}) {
        const QAbstractItemModel& model = *view->model();
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == expected.size(); }, kWait))
            << model.rowCount();
        Rows shown;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column) {
                cells << model.index(row, column).data().toString();
            }
            shown << cells;
        }
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(MainWindowFlow, TwoLiveAlertsLeaveOnePopupShowingTheSecond) {
    FakeServiceScript script = demoScript();
    script.config.popupCloseTicks = 0;  // stays until replaced
    start(std::move(script));
    logIn("demo", "demo");
    m_service->publish(
        protocol::answer::alert(protocol::ServerCode::AlertAdded, liveAlert("9001", "600111")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
    QPointer<display::MessageWindow> first = m_client->popup();
    m_service->publish(
        protocol::answer::alert(protocol::ServerCode::AlertAdded, liveAlert("9002", "600222")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull() && m_client->popup(); }, kWait));

    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        shown += window->objectName() == "MessageWindow" && window->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(shown, 1);
    display::MessageWindow* popup = m_client->popup();
    EXPECT_EQ(popup->pos(), display::MessageWindow::popupPosition(
                                QGuiApplication::primaryScreen()->availableGeometry()));
    EXPECT_EQ(popup->windowTitle(), "澜舟演示-消息窗口");
    QPointer<display::HtmlView> content = popup->findChild<display::HtmlView*>();
    ASSERT_FALSE(content.isNull());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return content && plainText(*content).contains("600222"); }, kWait));
}

TEST_F(MainWindowFlow, DetailsButtonBringsTheMainWindowBackFromTheTrayOnTheNewestAlert) {
    start(demoScript(), /*tray=*/true);
    logIn("demo", "demo");
    main().showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return main().inTray(); }, kWait));
    EXPECT_FALSE(main().isVisible());

    m_service->publish(
        protocol::answer::alert(protocol::ServerCode::AlertAdded, liveAlert("9003", "600333")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
    QPointer<display::MessageWindow> popup = m_client->popup();
    auto* details = child<QPushButton>(popup.data(), "详细_按钮");
    ASSERT_NE(details, nullptr);
    details->click();

    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, kWait));
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(main().inTray());
    EXPECT_EQ(m_client->frame().selectedTab(&main()), "股票预警");
    auto& today = main().alertPage().todayList();
    ASSERT_TRUE(today.currentIndex().isValid());
    EXPECT_EQ(today.currentIndex().row(), 0);
    EXPECT_EQ(today.model()->index(0, 2).data().toString(), "600333");
}

TEST_F(MainWindowFlow, DetailsButtonOfANoticeSelectsTheTabNamedAfterItsChannel) {
    FakeServiceScript script = demoScript();
    script.pages[1].name = script.channels[2].name;  // a web page titled like channel 2
    start(std::move(script));
    logIn("demo", "demo");
    ASSERT_EQ(m_client->frame().selectedTab(&main()), "股票预警");

    const protocol::NoticeRecord notice{
        "n1", protocol::formatDateTime(m_service->script().now), G("午间提示"), "3", G("内容"), "2",
        "1"};
    m_service->publish(protocol::answer::notice(protocol::ServerCode::NoticeAdded, notice));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
    child<QPushButton>(m_client->popup(), "详细_按钮")->click();

    EXPECT_EQ(m_client->frame().selectedTab(&main()),
              fromGbk(m_service->script().channels[2].name));
}

TEST_F(MainWindowFlow, APopupBeforeLoginOnlyClosesOnDetails) {
    start(demoScript());
    // Published once the service has the connection (its handshake done),
    // not while it may still be accepting it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_client->core().session().webPages == m_service->script().pages; }, kWait));
    m_service->publish(protocol::answer::alert(protocol::ServerCode::AlertAdded,
                                               liveAlert("9004", "600444", "0")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
    QPointer<display::MessageWindow> popup = m_client->popup();
    child<QPushButton>(popup.data(), "详细_按钮")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, kWait));
    EXPECT_EQ(m_client->mainWindow(), nullptr);
    EXPECT_TRUE(m_client->loginWindow()->isVisible());
}

TEST_F(MainWindowFlow, ExpiredMembershipShowsTheCountdownAndEndsTheProgram) {
    FakeServiceScript script = demoScript();
    // Current when it logs in (however slow the machine is, up to three
    // seconds after "#TM"), then found expired by a check once the server
    // time has reached the expiry, two seconds after "#TM".
    script.accounts.push_back(
        {"late", "late", protocol::formatDateTime(script.now.plusSeconds(2)), 1, "0"});
    start(std::move(script), std::nullopt, 50ms);
    logIn("late", "late");
    ASSERT_EQ(m_client->core().session().userType, core::kPayingUser)
        << "let in as a paying member";

    ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
    EXPECT_EQ(m_exitCode, 0);
    ASSERT_EQ(m_prompts.countdowns.size(), 1u);
    EXPECT_EQ(m_prompts.countdowns.front(), core::gbk(core::text::kMembershipExpired));
}

TEST_F(MainWindowFlow, FreeMembersGetNoExpiryCheck) {
    start(demoScript(), std::nullopt, 20ms);
    logIn("free", "free");
    QTest::qWait(200);
    EXPECT_FALSE(m_exitCode);
    EXPECT_TRUE(m_prompts.countdowns.empty());
}

TEST_F(MainWindowFlow, HiddenWebPagesGetNoTabAndTheOthersKeepTheirIcons) {
    FakeServiceScript script = demoScript();
    for (std::size_t i = 0; i < script.pages.size(); ++i) {
        script.pages[i] = {G("页面") + std::to_string(i), "about:blank", true, i == 2};
    }
    start(std::move(script));
    logIn("demo", "demo");

    const QStringList titles = m_client->frame().tabTitles(&main());
    EXPECT_EQ(titles, (QStringList{"股票预警", "页面0", "页面1", "页面3", "页面4", "页面5"}));
    const auto pages = main().webLinkPages();
    ASSERT_EQ(pages.size(), 5);
    EXPECT_EQ(pages[2]->index(), 3);
    EXPECT_EQ(display::WebLinkPage::iconFile(pages[2]->index()), "ico/11.ico");
}

TEST_F(MainWindowFlow, AQuitRequestEndsTheClientWithoutAskingForConfirmation) {
    start(demoScript());
    logIn("demo", "demo");
    // What the quit message becomes on Windows, and what the quit handler
    // leads to elsewhere: the application's quit event.
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_EQ(m_exitCode, 0);
    EXPECT_EQ(m_prompts.confirmations, 0);
    EXPECT_FALSE(main().isVisible());
}

// Without a notification area, or with the window merely minimized or
// behind another one, the details button still brings the main window back
// in front, active, on the newest alert.
class DetailsWithoutTray : public MainWindowFlow {
protected:
    void expectBroughtBackAfter(const std::function<void(QWidget& main, QWidget& other)>& putAway) {
        start(demoScript(), /*tray=*/false);
        logIn("demo", "demo");
        QWidget other;
        other.resize(400, 300);
        putAway(main(), other);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return main().isMinimized() || QApplication::activeWindow() == &other; }, kWait));

        m_service->publish(
            protocol::answer::alert(protocol::ServerCode::AlertAdded, liveAlert("9501", "600501")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, kWait));
        QPointer<display::MessageWindow> popup = m_client->popup();
        child<QPushButton>(popup.data(), "详细_按钮")->click();

        ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, kWait));
        EXPECT_TRUE(main().isVisible());
        EXPECT_FALSE(main().isMinimized());
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return QApplication::activeWindow() == &main(); }, kWait));
        EXPECT_EQ(m_client->frame().selectedTab(&main()), "股票预警");
        auto& today = main().alertPage().todayList();
        ASSERT_TRUE(today.currentIndex().isValid());
        EXPECT_EQ(today.currentIndex().row(), 0);
        EXPECT_EQ(today.model()->index(0, 2).data().toString(), "600501");
    }
};

TEST_F(DetailsWithoutTray, BringsBackAMinimizedMainWindow) {
    expectBroughtBackAfter([](QWidget& main, QWidget&) { main.showMinimized(); });
}

TEST_F(DetailsWithoutTray, BringsTheMainWindowInFrontOfAnother) {
    expectBroughtBackAfter([](QWidget&, QWidget& other) {
        other.show();
        other.raise();
        other.activateWindow();
    });
}

TEST_F(MainWindowFlow, ClosingTheMainWindowEndsTheClientOnlyWhenConfirmed) {
    for (const bool confirmed : {false, true}) {
        SCOPED_TRACE(confirmed ? "确定" : "取消");
        m_client.reset();
        m_exitCode.reset();
        m_prompts = RecordingPrompts();
        m_prompts.closeAnswer = confirmed;
        start(demoScript());
        logIn("demo", "demo");
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return m_service->server().connectionCount() == 1; }, kWait));
        // The close button of the frame's caption.
        const auto close = m_client->frame().captionButtonRect(&main(), skin::CaptionButton::Close);
        ASSERT_TRUE(close.has_value());
        QTest::mouseClick(&main(), Qt::LeftButton, {}, close->center());

        EXPECT_EQ(m_prompts.confirmations, 1);
        if (confirmed) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
            EXPECT_EQ(m_exitCode, 0);
            EXPECT_FALSE(main().isVisible());
            EXPECT_TRUE(m_service->server().waitForConnectionCount(0, 15'000ms));
        } else {
            QCoreApplication::processEvents();
            EXPECT_FALSE(m_exitCode);
            EXPECT_TRUE(main().isVisible());
            EXPECT_EQ(m_service->server().connectionCount(), 1);
        }
    }
}

TEST_F(MainWindowFlow, ForcedOfflineWithTheMainWindowOpenCountsDownThenEnds) {
    start(demoScript());
    logIn("demo", "demo");
    ASSERT_TRUE(main().isVisible());
    m_service->publish(protocol::answer::bare(protocol::ServerCode::LoggedInElsewhere));

    ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
    EXPECT_EQ(m_exitCode, 0);
    EXPECT_EQ(m_prompts.countdowns,
              std::vector<std::string>{core::gbk(core::text::kLoggedInElsewhere)});
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(m_prompts.confirmations, 0) << "no question before a forced end";
}

}  // namespace
}  // namespace lanzhou::test
