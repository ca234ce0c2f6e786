#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using core::AlertListId;
using protocol::AlertRecord;
using protocol::ServerCode;

AlertRecord alert(std::string id, std::string time, std::string audience = "0",
                  std::string popup = "1") {
    return AlertRecord{std::move(id),       std::move(time), "600001", G("浦发银行"),
                       G("买入"),           "10.50",         "11.20",  G("备注"),
                       std::move(audience), std::move(popup)};
}

std::string added(const AlertRecord& record) {
    return protocol::answer::alert(ServerCode::AlertAdded, record);
}
std::string changed(const AlertRecord& record) {
    return protocol::answer::alert(ServerCode::AlertChanged, record);
}

class DispatcherAlerts : public SessionFixture {
protected:
    DispatcherAlerts() { setServerTime({2024, 3, 10, 12, 0, 0}); }

    std::vector<std::string> ids(AlertListId id) const {
        std::vector<std::string> result;
        const auto& list = alerts.list(id);
        for (int row = 0; row < list.rowCount(); ++row) {
            result.emplace_back(list.row(row).id);
        }
        return result;
    }
};

TEST_F(DispatcherAlerts, NewAlertGoesToTheListItsDateSelects) {
    struct Case {
        std::string time;
        AlertListId list;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"2024-03-10 00:00:01", AlertListId::Today, "2024-03-10 00:00:01"},
        {"2024-03-10 23:59:59", AlertListId::Today, "2024-03-10 23:59:59"},
        {"2024-03-11 08:00:00", AlertListId::Today, "2024-03-11 08:00:00"},
        {"2024-03-09 23:59:59", AlertListId::History, "2024-03-09 23:59:59"},
        {"not a date", AlertListId::History, "100-01-01 00:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        alerts.clear();
        deliver(added(alert("A1", c.time)));
        const auto& list = alerts.list(c.list);
        ASSERT_EQ(list.rowCount(), 1);
        EXPECT_EQ(list.row(0).time, c.shown);
        EXPECT_EQ(list.row(0).name, G("浦发银行"));
        EXPECT_EQ(
            alerts.list(c.list == AlertListId::Today ? AlertListId::History : AlertListId::Today)
                .rowCount(),
            0);
    }
}

TEST_F(DispatcherAlerts, AlertsOfAHeldBatchShareOneReadingOfTheClock) {
    // Midnight passes in the middle of a batch: its alerts still see the
    // day the batch began on, until a message of another kind (whose handler
    // may wait) or the end of the hold; unheld, every alert reads the clock.
    setServerTime({2024, 3, 10, 23, 59, 59});
    dispatcher.holdServerTime(true);
    deliver(added(alert("A1", "2024-03-10 23:59:59")));
    advanceSeconds(2);
    deliver(added(alert("A2", "2024-03-10 23:59:59")));
    deliver(protocol::answer::alertsRemoved({"none"}));
    deliver(added(alert("A3", "2024-03-10 23:59:59")));
    dispatcher.holdServerTime(false);
    setServerTime({2024, 3, 10, 23, 59, 59});
    deliver(added(alert("A4", "2024-03-10 23:59:59")));
    advanceSeconds(2);
    deliver(added(alert("A5", "2024-03-10 23:59:59")));
    EXPECT_EQ(ids(AlertListId::Today), (std::vector<std::string>{"A4", "A2", "A1"}));
    EXPECT_EQ(ids(AlertListId::History), (std::vector<std::string>{"A5", "A3"}));
}

TEST_F(DispatcherAlerts, NewestAlertIsOnTop) {
    deliver(added(alert("A1", "2024-03-10 09:00:00")));
    deliver(added(alert("A2", "2024-03-10 08:00:00")));
    EXPECT_EQ(ids(AlertListId::Today), (std::vector<std::string>{"A2", "A1"}));
}

TEST_F(DispatcherAlerts, AlertForAnotherAudienceIsIgnored) {
    for (const std::string audience : {"1", "00", " 0", ""}) {
        SCOPED_TRACE(audience);
        deliver(added(alert("A1", "2024-03-10 09:00:00", audience)));
    }
    session.userType = core::kPayingUser;
    deliver(added(alert("A2", "2024-03-10 09:00:00", "0")));

    EXPECT_EQ(alerts.list(AlertListId::Today).rowCount(), 0);
    EXPECT_EQ(alerts.list(AlertListId::History).rowCount(), 0);
    EXPECT_EQ(view.count("openPopup"), 0u);

    deliver(added(alert("A3", "2024-03-10 09:00:00", "1")));
    EXPECT_EQ(ids(AlertListId::Today), std::vector<std::string>{"A3"});
}

TEST_F(DispatcherAlerts, PopupNeedsTheFlagAndPopupsSwitchedOn) {
    struct Case {
        std::string flag;
        bool popupHint;
        bool shown;
    };
    for (const Case& c : {Case{"1", true, true}, Case{"0", true, false}, Case{"1", false, false},
                          Case{"", true, false}, Case{"11", true, false}}) {
        SCOPED_TRACE(c.flag + (c.popupHint ? " on" : " off"));
        view.clearCalls();
        session.popupHint = c.popupHint;
        deliver(added(alert("A1", "2024-03-10 09:00:00", "0", c.flag)));
        EXPECT_EQ(view.count("openPopup"), c.shown ? 1u : 0u);
    }
}

TEST_F(DispatcherAlerts, PopupRecordHoldsTheAlertWithItsTimeNormalised) {
    deliver(added(alert("A1", "2024-3-9 9:05:03")));
    const auto popups = view.popupRecords();
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_TRUE(popups[0].kind.isAlert());
    EXPECT_EQ(popups[0].texts,
              (std::array<std::string, 7>{"", "2024-03-09 09:05:03", "600001", G("浦发银行"),
                                          G("买入"), "10.50", "11.20"}));
}

TEST_F(DispatcherAlerts, ChangedAlertRewritesItsRowAndMayPopUp) {
    deliver(added(alert("A1", "2024-03-10 09:00:00", "0", "0")));
    AlertRecord update = alert("a1", "2024-03-10 09:30:00");
    update.sell = "12.00";
    deliver(changed(update));

    // The row is found without regard to case and takes all eight pieces.
    ASSERT_EQ(alerts.list(AlertListId::Today).rowCount(), 1);
    EXPECT_EQ(alerts.list(AlertListId::Today).row(0).id, "a1");
    EXPECT_EQ(alerts.list(AlertListId::Today).row(0).sell, "12.00");
    ASSERT_EQ(view.popupRecords().size(), 1u);
    EXPECT_EQ(view.popupRecords()[0].texts[6], "12.00");

    // An id no row holds changes nothing, yet the popup rule still applies.
    deliver(changed(alert("A9", "2024-03-10 09:30:00")));
    EXPECT_EQ(ids(AlertListId::Today), std::vector<std::string>{"a1"});
    EXPECT_EQ(view.count("openPopup"), 2u);
}

TEST_F(DispatcherAlerts, MalformedAlertsAreIgnored) {
    deliver("#aiA1|2024-03-10 09:00:00|600001|name|op|1|2|remark|0");  // nine pieces
    deliver("#ajA1|2024-03-10 09:00:00|600001|name|op|1|2|remark|0|1|x");
    EXPECT_EQ(alerts.list(AlertListId::Today).rowCount(), 0);
    EXPECT_EQ(scheduler.armCalls(), 0u);
}

TEST_F(DispatcherAlerts, RemoveTakesEachIdFromEitherList) {
    deliver(added(alert("A1", "2024-03-10 09:00:00", "0", "0")));
    deliver(added(alert("A2", "2024-03-01 09:00:00", "0", "0")));
    deliver(added(alert("A3", "2024-03-10 10:00:00", "0", "0")));
    deliver(protocol::answer::alertsRemoved({"A1", "A2", "nothing"}));
    EXPECT_EQ(ids(AlertListId::Today), std::vector<std::string>{"A3"});
    EXPECT_TRUE(ids(AlertListId::History).empty());
}

TEST_F(DispatcherAlerts, WholeListReplacesBothListsLastRecordOnTop) {
    deliver(added(alert("OLD", "2024-03-10 09:00:00", "0", "0")));
    // The list carries no audience: every record is placed, none pops up.
    deliver(protocol::answer::alertList({alert("L1", "2024-03-10 09:00:00", "1"),
                                         alert("L2", "2024-03-02 09:00:00", "1"),
                                         alert("L3", "2024-03-10 11:00:00", "1")}));
    EXPECT_EQ(ids(AlertListId::Today), (std::vector<std::string>{"L3", "L1"}));
    EXPECT_EQ(ids(AlertListId::History), std::vector<std::string>{"L2"});
    EXPECT_EQ(view.count("openPopup"), 0u);

    deliver("#59|");
    EXPECT_TRUE(ids(AlertListId::Today).empty());
    EXPECT_TRUE(ids(AlertListId::History).empty());
}

}  // namespace
}  // namespace lanzhou::test
