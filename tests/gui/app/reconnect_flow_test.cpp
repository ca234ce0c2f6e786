// Reconnection in the running client: the main window's status line while
// the client tries again, and the one summary popup of what arrived meanwhile.

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "client/core/texts.h"
#include "client/display/main_window.h"
#include "client/display/message_window.h"
#include "config/config_keys.h"
#include "tests/gui/app/client_fixture.h"
#include "tests/gui/support/page_reading.h"
#include "ui/html/html_view.h"

namespace lanzhou::test {
namespace {

class ReconnectFlow : public RunningClient {
protected:
    // The client against a service on a port of its own, so that the service
    // can be stopped and started again there (both listeners let the port be
    // bound again while closed connections linger on it).
    void startOnOwnPort() {
        const auto port = static_cast<std::uint16_t>(FakeServer().port());
        m_service = std::make_unique<FakeService>(demoScript(), port);
        ASSERT_NE(m_service->port(), 0);
        m_client = std::make_unique<app::DesktopClient>(clientOptions(
            m_run, m_service->port(), &m_prompts, [this](int code) { m_exitCode = code; }));
        ASSERT_TRUE(m_client->start());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_client->core().session().webPages == m_service->script().pages; },
            kWait));
    }

    void logIn() {
        child<QLineEdit>(&login(), "登陆_ad1")->setText("demo");
        child<QLineEdit>(&login(), "登陆_ad2")->setText("demo");
        child<QPushButton>(&login(), "按钮3")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
        ASSERT_TRUE(QTest::qWaitFor([&] { return listRows() > 0; }, kWait));
    }

    int listRows() {
        const auto& alerts = m_client->core().alerts();
        return alerts.list(core::AlertListId::Today).rowCount() +
               alerts.list(core::AlertListId::History).rowCount();
    }

    display::MainWindow& main() { return *m_client->mainWindow(); }
};

TEST_F(ReconnectFlow, StatusLineTellsOfTheAttemptsAndOnePopupSumsUpWhatArrived) {
    ASSERT_TRUE(config().ensure());
    ASSERT_TRUE(config().write(config::key::kReconnect, "1"));
    startOnOwnPort();
    logIn();
    const QString accountLine = main().statusText();
    const int rowsBefore = listRows();

    // The server goes away: attempts are refused until it is back.
    FakeServiceScript script = m_service->script();
    const auto port = static_cast<std::uint16_t>(m_service->port());
    m_service.reset();
    const QString reconnecting = QString::fromUtf8(
        core::text::kReconnecting.data(), static_cast<int>(core::text::kReconnecting.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return main().statusText() == reconnecting; }, kWait));
    // Long enough for the first attempts to fail.
    QTest::qWait(1500);
    EXPECT_EQ(main().statusText(), reconnecting);
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(listRows(), rowsBefore) << "the lists stay as they were";
    EXPECT_TRUE(m_prompts.prompts.empty());
    EXPECT_FALSE(m_exitCode.has_value());

    // Back, with two alerts for this member published meanwhile.
    auto added = script.alerts.back();
    for (const char* id : {"2001", "2002"}) {
        added.id = id;
        added.popup = "1";
        script.alerts.push_back(added);
    }
    m_service = std::make_unique<FakeService>(std::move(script), port);
    ASSERT_NE(m_service->port(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->popup() != nullptr; }, 70'000));
    EXPECT_EQ(main().statusText(), accountLine);
    EXPECT_EQ(listRows(), rowsBefore + 2);

    QPointer<display::MessageWindow> popup = m_client->popup();
    QPointer<display::HtmlView> content = popup->findChild<display::HtmlView*>();
    ASSERT_FALSE(content.isNull());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return content && plainText(*content).contains("断线期间收到 2 条新预警"); }, kWait));
    main().showMinimized();
    child<QPushButton>(popup.data(), "详细_按钮")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, kWait));
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(main().isMinimized());
    EXPECT_TRUE(m_prompts.prompts.empty());
    EXPECT_FALSE(m_exitCode.has_value());
}

}  // namespace
}  // namespace lanzhou::test
