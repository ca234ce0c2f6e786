// The whole desktop client against an in-process scripted server.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "client/account/login_window.h"
#include "client/app/desktop_client.h"
#include "client/core/texts.h"
#include "client/display/main_window.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"
#include "tests/support/refused_port.h"
#include "ui/html/html_view.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;
using display::fromGbk;

constexpr int kWait = 10'000;  // ms; generous for a loaded machine

class DesktopStart : public ::testing::Test {
protected:
    void start(FakeServiceScript script, bool recordPrompts = true,
               std::function<void(int)> endProgram = {}) {
        m_service = std::make_unique<FakeService>(std::move(script));
        m_client = std::make_unique<app::DesktopClient>(clientOptions(
            m_runDirectory, m_service->port(), recordPrompts ? &m_prompts : nullptr,
            endProgram ? std::move(endProgram) : [this](int code) { m_exitCode = code; }));
        m_started = m_client->start();
    }

    bool received(const std::string& request) {
        return QTest::qWaitFor(
            [&] {
                for (const auto& text : m_service->server().received()) {
                    if (text == request) {
                        return true;
                    }
                }
                return false;
            },
            kWait);
    }

    account::LoginWindow* login() { return m_client->loginWindow(); }

    QTemporaryDir m_runDirectory;
    RecordingPrompts m_prompts;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<app::DesktopClient> m_client;
    bool m_started = false;
    std::optional<int> m_exitCode;
};

TEST_F(DesktopStart, HandshakeDressesTheLoginWindow) {
    FakeServiceScript script = demoScript();
    script.config.productTitle = G("澜舟测试版");
    script.config.labelColour = 0x0000FF;  // red, as 0x00BBGGRR
    script.config.loginBulletinHidden = true;
    script.config.supportQq = "10001";
    start(std::move(script));
    ASSERT_TRUE(m_started);
    ASSERT_TRUE(login()->isVisible());

    ASSERT_TRUE(QTest::qWaitFor([&] { return login()->windowTitle() == "澜舟测试版"; }, kWait));
    EXPECT_EQ(login()->height(), 309);
    EXPECT_FALSE(child<display::HtmlView>(login(), "互联网浏览器1")->isVisible());
    EXPECT_TRUE(child<QWidget>(login(), "图形按钮1")->isVisible());
    EXPECT_FALSE(child<QWidget>(login(), "图形按钮2")->isVisible());
    for (const char* name : {"标签3", "标签4", "标签5", "注册_标签", "充值_标签"}) {
        auto* label = child<QLabel>(login(), name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0)) << name;
    }
    EXPECT_EQ(m_client->frame().statusText(login()),
              "您当前选择的通道：电信线路(可在软件设置中设置)");
    EXPECT_TRUE(m_prompts.prompts.empty());
}

TEST_F(DesktopStart, ValidLoginHidesTheLoginWindowAndOpensTheMainWindow) {
    start(demoScript());
    ASSERT_TRUE(m_started);
    child<QLineEdit>(login(), "登陆_ad1")->setText("demo");
    child<QLineEdit>(login(), "登陆_ad2")->setText("demo");
    QTest::mouseClick(child<QPushButton>(login(), "按钮3"), Qt::LeftButton);

    ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
    EXPECT_TRUE(m_client->mainWindow()->isVisible());
    EXPECT_FALSE(login()->isVisible());
    EXPECT_TRUE(m_client->frame().statusText(m_client->mainWindow()).startsWith("账号：demo"));
    // The alert page asks for the whole list.
    EXPECT_TRUE(received("#591"));
    EXPECT_FALSE(m_exitCode);
}

TEST_F(DesktopStart, RefusedLoginShowsItsPrompt) {
    start(demoScript());
    ASSERT_TRUE(m_started);
    child<QLineEdit>(login(), "登陆_ad1")->setText("demo");
    child<QLineEdit>(login(), "登陆_ad2")->setText("wrong");
    QTest::mouseClick(child<QPushButton>(login(), "按钮3"), Qt::LeftButton);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_prompts.prompts.empty(); }, kWait));
    EXPECT_EQ(m_prompts.prompts.front(), core::gbk(core::text::kLoginFailed));
    EXPECT_EQ(m_client->mainWindow(), nullptr);
    EXPECT_TRUE(login()->isVisible());
}

TEST_F(DesktopStart, UnreachableServerPromptsOnceAndEnds) {
    const RefusedPort refused;
    app::DesktopClient client(clientOptions(m_runDirectory, refused.port(), &m_prompts,
                                            [this](int code) { m_exitCode = code; }));

    EXPECT_FALSE(client.start());
    ASSERT_EQ(m_prompts.prompts.size(), 1u);
    EXPECT_EQ(m_prompts.prompts.front(), core::gbk(core::text::kConnectFailed));
    EXPECT_EQ(m_exitCode, 0);
}

TEST_F(DesktopStart, EndProgramFromAnotherThreadEndsOnTheGuiThreadOnce) {
    std::vector<std::thread::id> endedOn;
    start(demoScript(), true, [&](int code) {
        m_exitCode = code;
        endedOn.push_back(std::this_thread::get_id());
    });
    ASSERT_TRUE(m_started);
    std::thread worker([&] {
        m_client->endProgram(0);
        m_client->endProgram(0);
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_exitCode.has_value(); }, kWait));
    // Both queued requests have run by now: the second one did nothing.
    QCoreApplication::processEvents();
    EXPECT_EQ(m_exitCode, 0);
    EXPECT_EQ(endedOn, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_FALSE(login()->isVisible());
    // The connection is closed: the server sees it go.
    EXPECT_TRUE(m_service->server().waitForConnectionCount(0, std::chrono::milliseconds(kWait)));
}

// The real prompt window and the real end of the event loop.
TEST_F(DesktopStart, ServerCloseShowsTheDisconnectPromptAndEndsWithStatusZero) {
    start(demoScript(), /*recordPrompts=*/false, [](int code) { QCoreApplication::exit(code); });
    ASSERT_TRUE(m_started);
    ASSERT_TRUE(received("#58"));  // handshake done

    QString promptText;
    whenModalOpens([&](QWidget* modal) {
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            promptText += label->text();
        }
        auto buttons = modal->findChildren<QPushButton*>();
        ASSERT_FALSE(buttons.isEmpty());
        QTest::mouseClick(buttons.front(), Qt::LeftButton);
    });
    m_service->server().close(-1);
    QTimer::singleShot(30'000, [] { QCoreApplication::exit(99); });  // a hang fails, not blocks
    const int status = QApplication::exec();

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(promptText.contains(fromGbk(core::gbk(core::text::kDisconnected))))
        << promptText.toStdString();
}

}  // namespace
}  // namespace lanzhou::test
