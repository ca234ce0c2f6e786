#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/form_checks.h"
#include "client/core/reconnector.h"
#include "tests/core/view_texts.h"
#include "tests/support/fake_session_view.h"
#include "tests/support/manual_scheduler.h"
#include "tests/support/recording_sender.h"

namespace lanzhou::test {
namespace {

const core::Endpoint kUsed{"telecom.example", 8866};
const core::Endpoint kOther{"netcom.example", 8866};

// The reconnector alone: connections are a list of answers the test sets,
// every wait is the longest of its range.
class ReconnectorTest : public ::testing::Test {
protected:
    ReconnectorTest() {
        session.reconnect = true;
        keeper.setEndpoints({kUsed, kOther});
        keeper.loginSent({"demo", "secret"});
    }

    // The member logged in on the first connection.
    void loggedIn() { keeper.loggedIn(); }

    // The one timer of the reconnector runs out.
    bool fire() { return scheduler.fireTimer(0); }

    ManualScheduler scheduler;
    core::ClientSession session;
    FakeSessionView view;
    core::AlertListModel alerts;
    RecordingSender sender;
    bool connects = false;
    std::vector<core::Endpoint> tried;
    int disconnects = 0;
    core::Reconnector keeper{
        core::ReconnectorContext{scheduler, session, view, alerts, sender,
                                 [](std::int64_t, std::int64_t high) { return high; },
                                 [this](const core::Endpoint& endpoint) {
                                     tried.push_back(endpoint);
                                     return connects;
                                 },
                                 [this] { ++disconnects; }}};
};

TEST_F(ReconnectorTest, OnlyALoggedInSessionWithTheSwitchOnIsKept) {
    struct Case {
        const char* what;
        bool reconnect;
        bool loggedIn;
        bool sentAway;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"switched on, logged in", true, true, false, true},
        {"switched off", false, true, false, false},
        {"lost before login", true, false, false, false},
        {"sent away by the server", true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ManualScheduler timers;
        FakeSessionView calls;
        core::ClientSession state;
        state.reconnect = c.reconnect;
        core::Reconnector reconnector(
            core::ReconnectorContext{timers, state, calls, alerts, sender, nullptr,
                                     [](const core::Endpoint&) { return false; }, [] {}});
        reconnector.setEndpoints({kUsed});
        reconnector.loginSent({"demo", "secret"});
        if (c.loggedIn) {
            reconnector.loggedIn();
        }
        if (c.sentAway) {
            reconnector.sentAway();
        }
        EXPECT_EQ(reconnector.takeOverDrop(), c.kept);
        EXPECT_EQ(calls.count("showReconnecting"), c.kept ? 1u : 0u);
        EXPECT_EQ(timers.timerPeriod(0).count() > 0, c.kept);
    }
}

TEST_F(ReconnectorTest, AttemptsWaitLongerAndAlternateTheLines) {
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    EXPECT_EQ(disconnects, 1);
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(fire());
    }
    EXPECT_EQ(viewTexts(view, "showReconnecting"),
              (std::vector<std::string>{"1 1000", "2 2000", "3 4000", "4 8000", "5 16000",
                                        "6 32000", "7 60000", "8 60000"}));
    EXPECT_EQ(scheduler.timerPeriod(0).count(), 60000);
    EXPECT_EQ(tried,
              (std::vector<core::Endpoint>{kUsed, kOther, kUsed, kOther, kUsed, kOther, kUsed}));
    EXPECT_TRUE(keeper.retrying());
    EXPECT_EQ(view.count("connectionClosed"), 0u);
}

TEST_F(ReconnectorTest, AnOverrideAloneIsTriedEveryTime) {
    keeper.setEndpoints({kOther});
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    ASSERT_TRUE(fire());
    ASSERT_TRUE(fire());
    EXPECT_EQ(tried, (std::vector<core::Endpoint>{kOther, kOther}));
}

TEST_F(ReconnectorTest, LogsInAgainAfterTheHandshakeAndCountsTheCatchUp) {
    alerts.replaceAll(std::vector<protocol::AlertRecord>{{"1", "2026-12-11 09:00:00", "c", "n", "o",
                                                          "1", "2", "r", "1", "1"}},
                      protocol::DateTime{2026, 12, 11, 12, 0, 0});
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    ASSERT_TRUE(fire());  // the first line refuses
    connects = true;
    ASSERT_TRUE(fire());
    EXPECT_EQ(tried, (std::vector<core::Endpoint>{kUsed, kOther}));
    EXPECT_FALSE(scheduler.fireTimer(0)) << "no attempt is timed while logging in";

    // The login goes out once the handshake is complete, once.
    EXPECT_TRUE(sender.sent().empty());
    keeper.handshakeDone();
    keeper.handshakeDone();
    EXPECT_EQ(sender.sent(), (std::vector<std::string>{core::loginRequest({"demo", "secret"})}));
    const auto form = keeper.reloginForm();
    ASSERT_TRUE(form.has_value());
    EXPECT_EQ(form->account, "demo");
    EXPECT_EQ(form->password, "secret");
    EXPECT_FALSE(form->remember);

    keeper.loggedIn();
    EXPECT_FALSE(keeper.retrying());
    EXPECT_FALSE(keeper.reloginForm().has_value());
    keeper.alertArrived("2");  // live, before the list answer
    const std::vector<protocol::AlertRecord> answer = {
        {"1", "", "", "", "", "", "", "", "1", ""},
        {"2", "", "", "", "", "", "", "", "1", ""},
        {"3", "", "", "", "", "", "", "", "1", ""},
    };
    keeper.listReplaced(answer);
    keeper.listReplaced(answer);  // a later list answer is no catch-up
    EXPECT_EQ(viewTexts(view, "showReconnected"), (std::vector<std::string>{""}));
    EXPECT_EQ(viewTexts(view, "showSummary"), (std::vector<std::string>{"reconnect 1"}));

    // The next drop starts counting attempts afresh, on the line now in use.
    tried.clear();
    ASSERT_TRUE(keeper.takeOverDrop());
    ASSERT_TRUE(fire());
    EXPECT_EQ(viewTexts(view, "showReconnecting").back(), "1 1000");
    EXPECT_EQ(tried, (std::vector<core::Endpoint>{kOther}));
}

TEST_F(ReconnectorTest, NoNewAlertsNoSummary) {
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    connects = true;
    ASSERT_TRUE(fire());
    keeper.handshakeDone();
    keeper.loggedIn();
    keeper.listReplaced({});
    EXPECT_EQ(view.count("showSummary"), 0u);
}

TEST_F(ReconnectorTest, ARefusedLoginAgainEndsTheSessionAfterItsPrompt) {
    EXPECT_FALSE(keeper.endOnRefusal()) << "a refusal at the login form is the form's";
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    connects = true;
    ASSERT_TRUE(fire());
    keeper.handshakeDone();
    session.promptText = "refused";
    ASSERT_TRUE(keeper.endOnRefusal());
    scheduler.runAll();
    EXPECT_EQ(view.calls(), (std::vector<ViewCall>{{"showReconnecting", "1 1000"},
                                                   {"showPrompt", "refused"},
                                                   {"closeMainOrLogin", ""}}));
    EXPECT_EQ(disconnects, 2);
    // The connection's end that may follow changes nothing.
    EXPECT_TRUE(keeper.takeOverDrop());
    EXPECT_FALSE(scheduler.fireTimer(0));
    EXPECT_EQ(view.count("showReconnecting"), 1u);
}

TEST_F(ReconnectorTest, AClosedSessionMakesNoFurtherAttempt) {
    loggedIn();
    ASSERT_TRUE(keeper.takeOverDrop());
    keeper.stop();
    EXPECT_FALSE(fire());
    EXPECT_TRUE(tried.empty());
}

}  // namespace
}  // namespace lanzhou::test
