#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/core/server_line.h"
#include "client/core/session_core.h"
#include "client/core/texts.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"
#include "tests/core/view_texts.h"
#include "tests/support/fake_service.h"

namespace lanzhou::test {
namespace {

using namespace std::chrono_literals;

// Generous bound of every wait; a passing test never waits that long.
constexpr auto kPatience = 10s;

// How the server side loses the connection.
enum class Drop { ServerCloses, ZeroLengthFrame, NetworkError };

void drop(FakeServer& server, Drop how) {
    switch (how) {
        case Drop::ServerCloses:
            server.close(-1);
            break;
        case Drop::ZeroLengthFrame:
            server.sendRaw(-1, protocol::encodeChunks("0999", protocol::encodeFrame("0999", "")));
            break;
        case Drop::NetworkError:
            server.reset(-1);
            break;
    }
}

// A SessionCore on a ManualScheduler (this thread is its session thread)
// against a FakeService. Every wait before an attempt is the longest of its
// range; the test runs the attempt's timer out by hand.
class SessionReconnectTest : public ::testing::Test {
protected:
    // A new session (the one before, if any, ends first).
    void start(bool reconnect) {
        core.reset();
        clearCalls();
        const config::ConfigFile config(runDirectory.path() / "k_config.ini");
        ASSERT_TRUE(config.ensure());
        ASSERT_TRUE(config.write(config::key::kReconnect, reconnect ? "1" : "0"));
        const std::size_t handshakes = receivedCount(protocol::request::kWebPages);
        core::SessionCore::Options options;
        options.runDirectory = runDirectory.gbkText();
        options.serverOverride = core::Endpoint{"127.0.0.1", service.port()};
        options.adapterAddress = [] { return std::string("00-1A-2B-3C-4D-5E"); };
        options.random = [](std::int64_t, std::int64_t high) { return high; };
        core = std::make_unique<core::SessionCore>(scheduler, view, std::move(options));
        // The reconnector's timer is the last one the core makes.
        reconnectTimer = scheduler.timerCount() - 1;
        view.watchSession(&core->session());
        view.setLoginForm({"demo", "demo", false});
        ASSERT_TRUE(core->open());
        ASSERT_TRUE(handshakeDone(handshakes + 1));
    }

    void clearCalls() {
        view.clearCalls();
        listsAsked = 0;
    }

    // Runs the session thread until `done` holds. Like the windows, it asks
    // for the alert list each time the main window is entered.
    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        for (;;) {
            scheduler.runAll();
            if (view.count("enterMain") > listsAsked) {
                ++listsAsked;
                core->requestAlertList();
                continue;
            }
            if (done()) {
                return true;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    std::size_t receivedCount(std::string_view text) {
        std::size_t n = 0;
        for (const auto& received : service.server().received()) {
            n += received == text ? 1 : 0;
        }
        return n;
    }

    // The answer to the `n`th "#58" has been handled.
    bool handshakeDone(std::size_t n) {
        return runUntil([&] {
            return receivedCount(protocol::request::kWebPages) >= n &&
                   core->session().webPages[0].name.size() > 0 && scheduler.pendingPosts() == 0;
        });
    }

    // Logs in and waits for the list answer.
    void logIn() {
        ASSERT_FALSE(core->login({"demo", "demo"}).has_value());
        ASSERT_TRUE(runUntil([&] {
            return core->alerts().list(core::AlertListId::Today).rowCount() +
                       core->alerts().list(core::AlertListId::History).rowCount() >
                   0;
        }));
    }

    // Drops the connection and waits until the session has seen it.
    void dropAndWait(Drop how) {
        const std::size_t before = view.count("showReconnecting") + view.count("connectionClosed");
        drop(service.server(), how);
        ASSERT_TRUE(runUntil([&] {
            return view.count("showReconnecting") + view.count("connectionClosed") > before;
        }));
    }

    // Runs the attempt's timer out and waits until the list answer is in.
    void reconnectAndWait() {
        ASSERT_TRUE(scheduler.fireTimer(reconnectTimer));
        ASSERT_TRUE(runUntil([&] { return core->reconnector().live(); }));
    }

    std::vector<std::string> ids() const {
        std::vector<std::string> result;
        for (const auto list : {core::AlertListId::Today, core::AlertListId::History}) {
            const auto& rows = core->alerts().list(list);
            for (int row = 0; row < rows.rowCount(); ++row) {
                result.emplace_back(rows.row(row).id);
            }
        }
        std::sort(result.begin(), result.end());
        return result;
    }

    FakeService service;
    TempRunDirectory runDirectory;
    ManualScheduler scheduler;
    FakeSessionView view;
    std::unique_ptr<core::SessionCore> core;
    std::size_t reconnectTimer = 0;
    std::size_t listsAsked = 0;
};

TEST_F(SessionReconnectTest, ALostConnectionIsRetriedOnlyWithTheSwitchOn) {
    struct Case {
        const char* what;
        bool reconnect;
        Drop how;
    };
    const std::vector<Case> cases = {
        {"on, server closes", true, Drop::ServerCloses},
        {"on, zero-length frame", true, Drop::ZeroLengthFrame},
        {"on, network error", true, Drop::NetworkError},
        {"off, server closes", false, Drop::ServerCloses},
        {"off, zero-length frame", false, Drop::ZeroLengthFrame},
        {"off, network error", false, Drop::NetworkError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.reconnect);
        logIn();
        const auto before = ids();
        clearCalls();

        dropAndWait(c.how);
        if (!c.reconnect) {
            EXPECT_EQ(view.calls(),
                      (std::vector<ViewCall>{
                          {"connectionClosed", core::gbk(core::text::kDisconnected)}}));
            continue;
        }
        EXPECT_EQ(view.calls(), (std::vector<ViewCall>{{"showReconnecting", "1 1000"}}));
        EXPECT_FALSE(core->client().connected());

        reconnectAndWait();
        EXPECT_TRUE(core->client().connected());
        // A second handshake, the same login request, the list again.
        const auto received = service.server().received();
        const std::vector<std::string> again(received.end() - 8, received.end());
        EXPECT_EQ(again, (std::vector<std::string>{"#54", "#55", "#56", "#TM", "#57", "#58",
                                                   core::loginRequest({"demo", "demo"}), "#591"}));
        EXPECT_EQ(view.count("connectionClosed"), 0u);
        EXPECT_EQ(view.count("showPrompt"), 0u);
        EXPECT_EQ(view.count("showReconnected"), 1u);
        EXPECT_EQ(view.count("enterMain"), 1u);
        EXPECT_EQ(view.count("showSummary"), 0u);
        EXPECT_EQ(ids(), before) << "the lists are replaced, not doubled";
    }
}

TEST_F(SessionReconnectTest, SessionsEndedByTheServerOrBeforeLoginAreNotRetried) {
    struct Case {
        const char* what;
        bool logIn;
        std::string sentAway;  // "" or "#ag"/"#ah" before the connection ends
    };
    const std::vector<Case> cases = {
        {"lost before login", false, ""},
        {"logged in elsewhere", true, "#ag"},
        {"taken offline", true, "#ah"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        start(true);
        if (c.logIn) {
            logIn();
        }
        if (!c.sentAway.empty()) {
            service.server().send(-1, c.sentAway);
            ASSERT_TRUE(runUntil([&] { return view.count("closeMainOrLogin") > 0; }));
        }
        dropAndWait(Drop::ServerCloses);
        EXPECT_EQ(view.count("showReconnecting"), 0u);
        EXPECT_EQ(viewTexts(view, "connectionClosed"),
                  (std::vector<std::string>{core::gbk(core::text::kDisconnected)}));
        EXPECT_EQ(scheduler.timerPeriod(reconnectTimer).count(), 0);
    }
}

TEST_F(SessionReconnectTest, ARefusedLoginAgainEndsTheSessionWithoutFurtherAttempts) {
    start(true);
    logIn();
    service.editScript([](FakeServiceScript& script) { script.accounts[0].password = "changed"; });
    dropAndWait(Drop::ServerCloses);
    clearCalls();
    ASSERT_TRUE(scheduler.fireTimer(reconnectTimer));
    ASSERT_TRUE(runUntil([&] { return view.count("closeMainOrLogin") > 0; }));
    EXPECT_EQ(viewTexts(view, "showPrompt"),
              (std::vector<std::string>{core::gbk(core::text::kLoginFailed)}));
    const auto names = view.callNames();
    EXPECT_EQ(std::find(names.begin(), names.end(), "showPrompt") + 1,
              std::find(names.begin(), names.end(), "closeMainOrLogin"))
        << "the session ends after the prompt";
    EXPECT_EQ(view.count("showReconnecting"), 0u);
    EXPECT_EQ(view.count("showReconnected"), 0u);
    EXPECT_EQ(view.count("enterMain"), 0u);
    EXPECT_EQ(view.count("connectionClosed"), 0u);
    EXPECT_FALSE(core->client().connected());
    EXPECT_EQ(scheduler.timerPeriod(reconnectTimer).count(), 0);
    EXPECT_EQ(service.server().received().back(), core::loginRequest({"demo", "demo"}));
}

TEST_F(SessionReconnectTest, CatchUpCountsWhatArrivedMeanwhileWithoutAPopupEach) {
    start(true);
    logIn();
    ASSERT_EQ(ids(), (std::vector<std::string>{"1001", "1003", "1005"}));
    dropAndWait(Drop::NetworkError);
    // While the connection is down: one alert removed, two added for this
    // member, one for the other audience.
    service.editScript([](FakeServiceScript& script) {
        auto& alerts = script.alerts;
        std::erase_if(alerts, [](const auto& alert) { return alert.id == "1003"; });
        auto added = alerts.back();
        for (const char* id : {"2001", "2002"}) {
            added.id = id;
            alerts.push_back(added);
        }
        added.id = "2003";
        added.audience = "0";
        alerts.push_back(added);
    });
    clearCalls();
    reconnectAndWait();
    EXPECT_EQ(ids(), (std::vector<std::string>{"1001", "1005", "2001", "2002"}));
    EXPECT_EQ(viewTexts(view, "showSummary"), (std::vector<std::string>{"reconnect 2"}));
    EXPECT_EQ(view.count("openPopup"), 0u);

    // Live alerts afterwards pop up as usual.
    auto live = service.script().alerts.back();
    live.id = "3001";
    live.audience = "1";
    service.publish(protocol::answer::alert(protocol::ServerCode::AlertAdded, live));
    ASSERT_TRUE(runUntil([&] { return view.count("openPopup") == 1; }));
    EXPECT_EQ(viewTexts(view, "showSummary").size(), 1u);
}

TEST_F(SessionReconnectTest, TheLineInUseComesFirstThenTheOther) {
    struct Case {
        const char* xl;
        const char* first;
        const char* second;
    };
    for (const auto& c : {Case{"0", "0", "1"}, Case{"1", "1", "0"}}) {
        SCOPED_TRACE(c.xl);
        TempRunDirectory directory;
        const config::ConfigFile config(directory.path() / "k_config.ini");
        ASSERT_TRUE(config.ensure());
        ASSERT_TRUE(config.write("xl", c.xl));
        core::SessionCore::Options options;
        options.runDirectory = directory.gbkText();
        core::SessionCore lines(scheduler, view, options);
        static_cast<void>(lines.open());  // the built-in lines need not answer
        const auto first = core::chooseServerLine(c.first);
        const auto second = core::chooseServerLine(c.second);
        EXPECT_EQ(
            lines.reconnector().endpoints(),
            (std::vector<core::Endpoint>{{first.host, first.port}, {second.host, second.port}}));
    }
    start(true);
    EXPECT_EQ(core->reconnector().endpoints(),
              (std::vector<core::Endpoint>{{"127.0.0.1", service.port()}}));
}

}  // namespace
}  // namespace lanzhou::test
