// The account windows of the desktop client against a real lanzhou-server
// process: register, recharge with a card, log in as a paying member, change
// the password and retrieve it.

#ifdef LANZHOU_SERVER_PATH

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/account/account_service_window.h"
#include "client/account/login_window.h"
#include "client/account/recharge_window.h"
#include "client/account/register_window.h"
#include "client/app/desktop_client.h"
#include "client/core/texts.h"
#include "client/display/main_window.h"
#include "protocol/date_time.h"
#include "tests/e2e/server_process.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/local_clock.h"
#include "ui/html/html_view.h"

namespace lanzhou::test {
namespace {

constexpr int kWait = 15'000;

class AccountEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        m_database = m_data.filePath(QStringLiteral("service.db")).toStdString();
        const CommandResult card =
            runServerCommand({"card", "add", "--number", "CARD-E2E", "--days", "30",
                              "--valid-until", localTimeInDays(30), "--db", m_database});
        ASSERT_EQ(card.status, 0) << card.err;
        m_server = std::make_unique<ServerProcess>(
            std::vector<std::string>{"--db", m_database, "--listen", "127.0.0.1:0"});
        ASSERT_NE(m_server->port(), 0) << m_server->errorOutput();
    }

    // A fresh client in its own run directory, with the handshake done.
    void startClient() {
        m_client.reset();
        m_run = std::make_unique<QTemporaryDir>();
        // The service's default version is 1: this client is up to date.
        QFile version(m_run->filePath(QStringLiteral("ver.txt")));
        ASSERT_TRUE(version.open(QIODevice::WriteOnly));
        version.write("1");
        version.close();
        m_client = std::make_unique<app::DesktopClient>(
            clientOptions(*m_run, m_server->port(), &m_prompts));
        // The version check puts the bulletin into the login window 10 ms
        // after the handshake brought it: the handshake is done then.
        ASSERT_TRUE(m_client->start());
        QSignalSpy bulletinShown(&login().bulletinView(), &QWebEngineView::loadStarted);
        ASSERT_TRUE(bulletinShown.wait(kWait));
    }

    account::LoginWindow& login() { return *m_client->loginWindow(); }

    // Runs `work` in the window the login window's label opens, then closes
    // it if the work left it open.
    void throughLabel(const char* label, std::function<void(QWidget*)> work) {
        whenModalOpens([work = std::move(work)](QWidget* window) {
            work(window);
            if (window->isVisible()) {
                window->close();
            }
        });
        QTest::mouseClick(child<QLabel>(&login(), QString::fromUtf8(label)), Qt::LeftButton);
    }

    void throughHelpButton(QWidget* owner, std::function<void(QWidget*)> work) {
        whenModalOpens([work = std::move(work)](QWidget* window) {
            work(window);
            if (window->isVisible()) {
                window->close();
            }
        });
        const auto help = m_client->frame().captionButtonRect(owner, skin::CaptionButton::Help);
        ASSERT_TRUE(help.has_value());
        QTest::mouseClick(owner, Qt::LeftButton, {}, help->center());
    }

    static void fill(QWidget* window, const std::vector<std::pair<const char*, QString>>& fields) {
        for (const auto& [name, text] : fields) {
            child<QLineEdit>(window, QString::fromUtf8(name))->setText(text);
        }
    }

    // Waits for the nth prompt (1-based) and returns it.
    std::string prompt(std::size_t nth) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_prompts.prompts.size() >= nth; }, kWait));
        return m_prompts.prompts.size() >= nth ? m_prompts.prompts[nth - 1] : std::string();
    }

    QTemporaryDir m_data;
    std::string m_database;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<QTemporaryDir> m_run;
    RecordingPrompts m_prompts;
    std::unique_ptr<app::DesktopClient> m_client;
};

TEST_F(AccountEndToEnd, RegisterRechargeLogInChangeAndRetrieveThePassword) {
    startClient();

    // Register: the new account lands in the login form.
    throughLabel("注册_标签", [&](QWidget* window) {
        ASSERT_NE(qobject_cast<account::RegisterWindow*>(window), nullptr);
        fill(window, {{"注册_ad1", "alice"},
                      {"注册_ad2", "first"},
                      {"注册_ad3", "first"},
                      {"注册_ad4", "10086"},
                      {"注册_ad5", "13900000000"}});
        child<QPushButton>(window, "按钮1")->click();
        // The window closes itself once the answer has been adopted.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, kWait));
    });
    EXPECT_EQ(prompt(1), core::gbk(core::text::kRegisterSucceeded));
    EXPECT_EQ(login().form().account, "alice");

    // Recharge with the card: the window stays open after the answer.
    throughLabel("充值_标签", [&](QWidget* window) {
        ASSERT_NE(qobject_cast<account::RechargeWindow*>(window), nullptr);
        fill(window, {{"充值_ad1", "alice"}, {"充值_ad2", "first"}, {"充值_ad3", "CARD-E2E"}});
        child<QPushButton>(window, "按钮1")->click();
        EXPECT_EQ(prompt(2), core::gbk(core::text::kRechargeSucceeded));
        EXPECT_TRUE(window->isVisible());
    });

    // Log in with the new account: a paying member now.
    child<QPushButton>(&login(), "按钮3")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
    EXPECT_EQ(m_client->core().session().accountName, "alice");
    EXPECT_EQ(m_client->core().session().userType, core::kPayingUser);

    // From the main window's help button: change the password, then
    // retrieve it.
    throughHelpButton(m_client->mainWindow(), [&](QWidget* window) {
        ASSERT_NE(qobject_cast<account::AccountServiceWindow*>(window), nullptr);
        fill(window, {{"修改_ad1", "alice"},
                      {"修改_ad2", "second"},
                      {"修改_ad3", "second"},
                      {"修改_ad4", "10086"},
                      {"修改_ad5", "13900000000"}});
        child<QPushButton>(window, "按钮1")->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, kWait));
    });
    EXPECT_EQ(prompt(3), core::gbk(core::text::kPasswordChanged));
    EXPECT_EQ(login().form().password, "second");

    throughHelpButton(m_client->mainWindow(), [&](QWidget* window) {
        child<QTabWidget>(window, "高级选择夹1")->setCurrentIndex(1);
        fill(window, {{"找回_ad1", "alice"}, {"找回_ad2", "10086"}, {"找回_ad3", "13900000000"}});
        child<QPushButton>(window, "按钮2")->click();
        EXPECT_EQ(prompt(4), core::gbk(core::text::kPasswordRetrieved) + "second");
        EXPECT_EQ(child<QLineEdit>(window, "结果_ad1")->text(), "second");
    });
}

}  // namespace
}  // namespace lanzhou::test

#endif  // LANZHOU_SERVER_PATH
