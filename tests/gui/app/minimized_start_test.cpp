// The minimized start (--minimized, as the autostart entry starts the
// client): with remembered credentials the client logs in by itself once the
// handshake is done and starts in the notification area (minimized without
// one); without them the login window shows as usual; a refused login shows
// its prompt, then the login window, and so does a handshake that never ends.

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/account/login_window.h"
#include "client/app/desktop_client.h"
#include "client/core/startup_settings.h"
#include "client/core/texts.h"
#include "client/display/main_window.h"
#include "config/config_file.h"
#include "tests/gui/app/client_options.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/support/fake_service.h"
#include "tests/support/gbk_literal.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWait = 15'000;

class MinimizedStart : public ::testing::Test {
protected:
    // The client started as given, against the demo service whose handshake
    // answers come late, so that a login sent too early would show.
    void start(std::optional<core::Credentials> remembered, bool minimized,
               std::optional<bool> tray = true, std::set<std::string> unanswered = {}) {
        const config::ConfigFile config(m_run.path().toStdString() + "/k_config.ini");
        ASSERT_TRUE(config.ensure());
        if (remembered) {
            core::storeRememberBox(config, true, *remembered);
        }
        FakeServiceScript script = demoScript();
        script.handshakeDelay = 30ms;
        script.unanswered = std::move(unanswered);
        m_service = std::make_unique<FakeService>(std::move(script));
        auto options = clientOptions(m_run, m_service->port(), &m_prompts,
                                     [this](int code) { m_exitCode = code; });
        options.startMinimized = minimized;
        options.trayAvailable = tray;
        options.handshakeWait = m_handshakeWait;
        m_client = std::make_unique<app::DesktopClient>(std::move(options));
        ASSERT_TRUE(m_client->start());
    }

    bool handshakeDone() {
        return QTest::qWaitFor(
            [&] { return m_client->core().session().webPages == m_service->script().pages; },
            kWait);
    }

    // Where the request is among those the service received; nullopt when
    // it is not.
    std::optional<std::size_t> indexOf(const std::string& request) const {
        const std::vector<std::string> received = m_service->server().received();
        const auto found = std::find(received.begin(), received.end(), request);
        return found == received.end() ? std::nullopt
                                       : std::optional<std::size_t>(found - received.begin());
    }

    bool receives(const std::string& request) {
        return QTest::qWaitFor([&] { return indexOf(request).has_value(); }, kWait);
    }

    account::LoginWindow& login() { return *m_client->loginWindow(); }

    QTemporaryDir m_run;
    RecordingPrompts m_prompts;
    std::unique_ptr<FakeService> m_service;
    std::unique_ptr<app::DesktopClient> m_client;
    std::optional<int> m_exitCode;
    // Longer than any handshake takes here, unless a test shortens it.
    std::chrono::milliseconds m_handshakeWait = 15s;
};

TEST_F(MinimizedStart, RememberedCredentialsLogInOnceTheHandshakeIsDone) {
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "into the notification area" : "minimized without one");
        start(core::Credentials{"demo", "demo"}, true, tray);
        EXPECT_FALSE(login().isVisible());

        ASSERT_TRUE(receives("#a3|demo|demo"));
        ASSERT_TRUE(indexOf("#58").has_value());
        EXPECT_GT(*indexOf("#a3|demo|demo"), *indexOf("#58")) << "after the handshake";
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_client->mainWindow() != nullptr; }, kWait));
        display::MainWindow& main = *m_client->mainWindow();
        EXPECT_EQ(main.inTray(), tray);
        EXPECT_EQ(main.isVisible(), !tray);
        EXPECT_EQ(main.isMinimized(), !tray);
        EXPECT_FALSE(login().isVisible());
        EXPECT_TRUE(receives("#591")) << "the lists are asked for as always";
        EXPECT_TRUE(m_prompts.prompts.empty());

        main.bringToFront();
        EXPECT_TRUE(main.isVisible());
        EXPECT_FALSE(main.isMinimized());
        EXPECT_FALSE(main.inTray());
        m_client.reset();
    }
}

TEST_F(MinimizedStart, WithoutBothTheLoginWindowShowsAndNothingIsSent) {
    struct Case {
        const char* what;
        std::optional<core::Credentials> remembered;
        bool minimized;
    };
    const Case cases[] = {
        {"minimized, nothing remembered", std::nullopt, true},
        {"remembered, a usual start", core::Credentials{"demo", "demo"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.remembered, c.minimized);
        EXPECT_TRUE(login().isVisible());
        ASSERT_TRUE(handshakeDone());
        QTest::qWait(100);  // room for a login that should not come
        EXPECT_FALSE(indexOf("#a3|demo|demo").has_value());
        EXPECT_EQ(m_client->mainWindow(), nullptr);
        EXPECT_TRUE(login().isVisible());
        m_client.reset();
    }
}

TEST_F(MinimizedStart, ARefusedLoginShowsItsPromptThenTheLoginWindow) {
    start(core::Credentials{"demo", "wrong"}, true);
    ASSERT_TRUE(receives("#a3|demo|wrong"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return login().isVisible(); }, kWait));
    ASSERT_EQ(m_prompts.prompts.size(), 1u);
    EXPECT_EQ(m_prompts.prompts[0], G(core::text::kLoginFailed));
    EXPECT_EQ(m_client->mainWindow(), nullptr);
    EXPECT_FALSE(m_exitCode.has_value());
}

TEST_F(MinimizedStart, ALoginTheFormRefusesShowsTheLoginWindowWithItsPrompt) {
    // Remembered text the login form does not send.
    start(core::Credentials{"de|mo", "demo"}, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return login().isVisible(); }, kWait));
    EXPECT_EQ(m_prompts.prompts.size(), 1u);
    EXPECT_EQ(m_client->mainWindow(), nullptr);
    for (const std::string& request : m_service->server().received()) {
        EXPECT_FALSE(request.starts_with("#a3")) << request;
    }
}

TEST_F(MinimizedStart, AHandshakeThatNeverEndsShowsTheLoginWindowAfterAll) {
    m_handshakeWait = 500ms;
    start(core::Credentials{"demo", "demo"}, true, true, {"#58"});
    EXPECT_FALSE(login().isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return login().isVisible(); }, kWait));
    EXPECT_FALSE(indexOf("#a3|demo|demo").has_value());
    EXPECT_EQ(m_client->mainWindow(), nullptr);
    EXPECT_TRUE(m_prompts.prompts.empty());
}

}  // namespace
}  // namespace lanzhou::test
