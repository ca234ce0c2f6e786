#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/quiet_watch.h"
#include "platform/do_not_disturb.h"
#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using protocol::ServerCode;

std::string alertMessage(std::string id, std::string popup = "1") {
    return protocol::answer::alert(
        ServerCode::AlertAdded,
        protocol::AlertRecord{std::move(id), "2024-03-10 21:00:00", "600001", G("浦发银行"),
                              G("买入"), "10.50", "11.20", "", "0", std::move(popup)});
}

std::string noticeMessage(ServerCode code) {
    return protocol::answer::notice(
        code, protocol::NoticeRecord{"N1", "2024-03-10 21:00:00", "T", "3", "<b>b</b>", "0", "1"});
}

// The dispatcher and its actions with the quiet watch as their popup gate;
// quiet hours 22:00 to 07:00 and the desktop's do-not-disturb off.
class QuietWatchTest : public SessionFixture {
protected:
    QuietWatchTest() {
        platform::overrideDesktopDoNotDisturb(false);
        session.quietFrom = "22:00";
        session.quietTo = "07:00";
        setServerTime({2024, 3, 10, 21, 59, 0});
        quiet.quietHoursChanged();  // as SessionCore does once the session has them
    }
    ~QuietWatchTest() override { platform::overrideDesktopDoNotDisturb(std::nullopt); }

    void receive(const std::string& message) {
        gatedDispatcher.dispatch(message);
        scheduler.runAll();
    }
    // The watch's period passes.
    void tick() { ASSERT_TRUE(scheduler.fireTimer(quietTimer)); }
    std::vector<ViewCall> summaries() const {
        std::vector<ViewCall> found;
        for (const auto& call : view.calls()) {
            if (call.name == "showSummary") {
                found.push_back(call);
            }
        }
        return found;
    }
    int listed() const {
        return alerts.list(core::AlertListId::Today).rowCount() +
               alerts.list(core::AlertListId::History).rowCount();
    }

    core::QuietWatch quiet{scheduler, session, alerts, view};
    const std::size_t quietTimer = scheduler.timerCount() - 1;
    core::SessionActions gatedActions{scheduler, session, view, config, &quiet};
    core::MessageDispatcher gatedDispatcher{
        core::DispatcherContext{session, view, gatedActions, alerts, sender, config, heartbeat,
                                [this] { return adapterAddress; }}};
};

TEST_F(QuietWatchTest, InsideQuietHoursAlertsAreListedWithoutPopupAndNoticesHeldToo) {
    EXPECT_EQ(scheduler.timerPeriod(quietTimer), core::QuietWatch::kCheckPeriod);
    receive(alertMessage("A0"));
    receive(noticeMessage(ServerCode::NoticeAdded));
    EXPECT_EQ(view.count("openPopup"), 2u);

    advanceSeconds(60);  // 22:00
    receive(alertMessage("A1"));
    receive(noticeMessage(ServerCode::NoticeAdded));
    receive(noticeMessage(ServerCode::NoticeChanged));
    // No popup, so no sound: the desktop plays it only with a popup.
    EXPECT_EQ(view.count("openPopup"), 2u);
    EXPECT_EQ(listed(), 2);
}

TEST_F(QuietWatchTest, EndOfQuietHoursTellsTheAlertsPlacedMeanwhileOnce) {
    receive(alertMessage("A0"));  // 21:59, before
    advanceSeconds(60);
    tick();
    receive(alertMessage("A1"));
    receive(alertMessage("A2", "0"));  // listed without a popup wanted: counted all the same
    tick();
    receive(alertMessage("A3"));
    advanceSeconds(9 * 3600 - 1);  // 06:59:59
    tick();
    EXPECT_TRUE(summaries().empty());
    EXPECT_EQ(view.count("openPopup"), 1u);

    advanceSeconds(1);  // 07:00, noticed without new traffic
    tick();
    EXPECT_EQ(summaries(), (std::vector<ViewCall>{{"showSummary", "quiet 3"}}));
    tick();
    receive(alertMessage("A4"));
    EXPECT_EQ(summaries().size(), 1u);
    EXPECT_EQ(view.count("openPopup"), 2u);
}

TEST_F(QuietWatchTest, APopupAfterTheEndComesAfterTheSummaryAndIsNotCounted) {
    advanceSeconds(60);
    receive(alertMessage("A1"));
    receive(alertMessage("A2"));
    advanceSeconds(9 * 3600);  // 07:00, before the watch's next look
    view.clearCalls();
    receive(alertMessage("A3"));
    EXPECT_EQ(view.calls(), (std::vector<ViewCall>{{"showSummary", "quiet 2"}, {"openPopup", ""}}));
}

TEST_F(QuietWatchTest, NoSummaryWhenNothingArrivedDuringQuietHours) {
    advanceSeconds(60);
    tick();
    receive(noticeMessage(ServerCode::NoticeAdded));
    advanceSeconds(9 * 3600);
    tick();
    EXPECT_TRUE(summaries().empty());
}

TEST_F(QuietWatchTest, DesktopDoNotDisturbHoldsPopupsLikeQuietHours) {
    session.quietFrom.clear();
    session.quietTo.clear();
    quiet.quietHoursChanged();
    // Without quiet hours the idle watch sleeps: no wake-ups.
    EXPECT_FALSE(scheduler.fireTimer(quietTimer));
    advanceSeconds(3600);  // 22:59: no quiet hours now
    platform::overrideDesktopDoNotDisturb(true);
    // Found at the popup, then watched until it ends.
    receive(alertMessage("A1"));
    receive(noticeMessage(ServerCode::NoticeAdded));
    EXPECT_EQ(view.count("openPopup"), 0u);

    platform::overrideDesktopDoNotDisturb(false);
    tick();
    EXPECT_EQ(summaries(), (std::vector<ViewCall>{{"showSummary", "quiet 1"}}));
    receive(alertMessage("A2"));
    EXPECT_EQ(view.count("openPopup"), 1u);
}

TEST_F(QuietWatchTest, NothingIsHeldBeforeTheServerHasToldItsTime) {
    session.serverTime = core::ClockTick([this] { return monotonic; });  // not started
    session.quietFrom = "00:00";
    session.quietTo = "23:59";
    platform::overrideDesktopDoNotDisturb(true);
    EXPECT_FALSE(quiet.holdsPopups());
}

}  // namespace
}  // namespace lanzhou::test
