#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/core/event_loop.h"
#include "client/core/session_core.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "platform/file_io.h"
#include "tests/core/session_fixture.h"
#include "tests/support/fake_server.h"
#include "tests/support/refused_port.h"

namespace lanzhou::test {
namespace {

TEST(ParseEndpoint, HostAndPortAtTheLastColon) {
    struct Case {
        std::string text;
        std::optional<core::Endpoint> expected;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1:8866", core::Endpoint{"127.0.0.1", 8866}},
        {"example.invalid:0", core::Endpoint{"example.invalid", 0}},
        {"h:65535", core::Endpoint{"h", 65535}},
        {"::1:80", core::Endpoint{"::1", 80}},
        {"h:00080", core::Endpoint{"h", 80}},
        {"tls://h:443", core::Endpoint{"h", 443, true}},
        {"TLS://127.0.0.1:8866", core::Endpoint{"127.0.0.1", 8866, true}},
        {"tls://::1:80", core::Endpoint{"::1", 80, true}},
        {"tls://:80", std::nullopt},
        {"tls://h", std::nullopt},
        {"tls:/h:80", std::nullopt},
        {"http://h:80", std::nullopt},
        {"tls://tls://h:80", std::nullopt},
        {"h:65536", std::nullopt},
        {"h:99999999999999999999", std::nullopt},
        {"h:-1", std::nullopt},
        {"h:+80", std::nullopt},
        {"h:8o", std::nullopt},
        {"h: 80", std::nullopt},
        {"h:", std::nullopt},
        {":80", std::nullopt},
        {"8866", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = core::parseEndpoint(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (parsed) {
            EXPECT_EQ(*parsed, *c.expected);
        }
    }
}

class SessionCoreTest : public ::testing::Test {
protected:
    core::SessionCore::Options options(std::optional<core::Endpoint> server = std::nullopt) {
        core::SessionCore::Options result;
        result.runDirectory = runDirectory.gbkText();
        result.serverOverride = std::move(server);
        result.adapterAddress = [] { return std::string("00-1A-2B-3C-4D-5E"); };
        return result;
    }

    TempRunDirectory runDirectory;
    ManualScheduler scheduler;
    FakeSessionView view;
};

TEST_F(SessionCoreTest, FirstStartCreatesTheConfigurationAndReadsIt) {
    core::SessionCore core(scheduler, view, options());
    const auto written = platform::readFile(runDirectory.path() / "k_config.ini");
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written, config::ConfigFile::defaultContent());
    EXPECT_EQ(core.session().runDirectory, runDirectory.gbkText());
    EXPECT_TRUE(core.startupSettings().soundHint);
    EXPECT_TRUE(core.startupSettings().popupHint);
    EXPECT_EQ(core.startupSettings().soundFile, runDirectory.gbkText() + "\\music\\music.wav");
}

TEST_F(SessionCoreTest, RefusedConnectionReportsFailureAndSendsNothing) {
    ASSERT_TRUE(config::ConfigFile(runDirectory.path() / "k_config.ini").ensure());
    ASSERT_TRUE(config::ConfigFile(runDirectory.path() / "k_config.ini").write("xl", "1"));
    const RefusedPort refused;
    core::SessionCore core(scheduler, view, options(core::Endpoint{"127.0.0.1", refused.port()}));
    EXPECT_FALSE(core.open());
    EXPECT_FALSE(core.client().connected());
    // The line is chosen all the same; the switches are left off.
    EXPECT_EQ(core.session().line, core::LineChoice::Netcom);
    EXPECT_EQ(core.line().index, core::LineChoice::Netcom);
    EXPECT_FALSE(core.session().popupHint);
    EXPECT_TRUE(core.session().soundFile.empty());
}

TEST_F(SessionCoreTest, FormsRefuseBeforeSending) {
    core::SessionCore core(scheduler, view, options());
    const auto refusal = core.login({"", ""});
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text, core::gbk(core::text::kAccountEmpty));

    core.session().settings.registrationClosed = true;
    const auto closed = core.registerAccount({"a", "p", "p", "q", "t"});
    ASSERT_TRUE(closed.has_value());
    EXPECT_EQ(closed->text, core::gbk(core::text::kRegistrationClosed));

    // Passing checks on a closed connection: nothing to refuse, nothing sent.
    EXPECT_FALSE(core.login({"a", "p"}).has_value());
}

// The core on a real event loop against a fake server: the handshake is
// answered, a forced logout and the end of the connection reach the view.
TEST_F(SessionCoreTest, TalksToAServerThroughTheEventLoop) {
    using namespace std::chrono_literals;
    constexpr auto kWait = 10s;
    FakeServer server;
    ASSERT_NE(server.port(), 0);
    core::EventLoop loop;
    core::LoopScheduler loopScheduler(loop);
    FakeSessionView loopView;
    {
        core::SessionCore core(loopScheduler, loopView,
                               options(core::Endpoint{"127.0.0.1", server.port()}));
        loopView.watchSession(&core.session());
        ASSERT_TRUE(core.open());
        EXPECT_TRUE(core.session().popupHint);
        std::thread sessionThread([&loop] { loop.run(); });

        ASSERT_TRUE(server.waitForReceived(1, kWait));
        server.send(-1, "#54|3|U");
        ASSERT_TRUE(server.waitForReceived(2, kWait));
        loop.post([&core] { core.requestAlertList(); });
        ASSERT_TRUE(server.waitForReceived(3, kWait));
        server.send(-1, "#ag");
        ASSERT_TRUE(loopView.waitForCall("closeMainOrLogin", 1, kWait));
        ASSERT_TRUE(server.waitForReceived(4, kWait));
        server.close(-1);
        ASSERT_TRUE(loopView.waitForCall("connectionClosed", 1, kWait));

        loop.quit(0);
        sessionThread.join();
        EXPECT_EQ(server.received(), (std::vector<std::string>{"#54", "#55", "#590", "#az"}));
        EXPECT_EQ(core.session().serverVersion, 3);
    }
    const auto calls = loopView.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0],
              (ViewCall{"showCountdownPrompt", core::gbk(core::text::kLoggedInElsewhere)}));
    EXPECT_EQ(calls[2], (ViewCall{"connectionClosed", core::gbk(core::text::kDisconnected)}));
}

}  // namespace
}  // namespace lanzhou::test
