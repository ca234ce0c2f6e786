// The storage on a fresh database of each kind: alerts, notices and the
// operator events recorded with them.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage_fixture.h"

namespace lanzhou::server::storage_test {
namespace {

// ------------------------------------------------------ alerts, notices

TEST_P(StorageTest, PublishedAlertsGetIdsAndNormalisedFields) {
    AlertRecord draft = alertDraft("600000", "1", "2024-6-5 9:30");
    draft.id = "777";     // ignored
    draft.popup = "yes";  // not the flag "1"
    const auto first = storage->publishAlert(draft);
    const auto second = storage->publishAlert(alertDraft("000001", "0"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, "1");
    EXPECT_EQ(second->id, "2");
    EXPECT_EQ(first->time, "2024-06-05 09:30:00");
    EXPECT_EQ(first->popup, "0");
    EXPECT_EQ(first->name, G("浦发银行"));
    EXPECT_EQ(storage->findAlert("1"), first);
    for (const char* id : {"3", "", "x", "-1", "01x", "99999999999999999999"}) {
        EXPECT_FALSE(storage->findAlert(id)) << id;
    }
}

TEST_P(StorageTest, AlertDraftsThatWouldBreakMessagesAreRefused) {
    struct Case {
        const char* title;
        std::function<void(AlertRecord&)> spoil;
    };
    const std::vector<Case> cases = {
        {"time not a date", [](AlertRecord& a) { a.time = "soon"; }},
        {"empty time", [](AlertRecord& a) { a.time.clear(); }},
        {"audience 2", [](AlertRecord& a) { a.audience = "2"; }},
        {"audience not a number", [](AlertRecord& a) { a.audience = "paying"; }},
        {"field separator", [](AlertRecord& a) { a.remark = "a|b"; }},
        {"record separator", [](AlertRecord& a) { a.name = G("甲☆乙"); }},
        {"record field separator", [](AlertRecord& a) { a.operation = G("买々入"); }},
        {"bytes that are not GBK", [](AlertRecord& a) { a.code = "\x81"; }},
    };
    for (const Case& c : cases) {
        AlertRecord draft = alertDraft("600000", "1");
        c.spoil(draft);
        EXPECT_FALSE(storage->publishAlert(draft)) << c.title;
    }
    EXPECT_TRUE(storage->listAlerts(10).empty());
    EXPECT_EQ(storage->lastEventSequence(), 0);
}

TEST_P(StorageTest, LatestAlertsAreTheNewestOfTheAudienceOldestFirst) {
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(storage->publishAlert(alertDraft("P" + std::to_string(i), "1")));
        ASSERT_TRUE(storage->publishAlert(alertDraft("F" + std::to_string(i), "0")));
    }
    auto codes = [](const std::vector<AlertRecord>& alerts) {
        std::vector<std::string> result;
        for (const auto& alert : alerts) {
            result.push_back(alert.code);
        }
        return result;
    };
    EXPECT_EQ(codes(storage->latestAlerts(1, 3)), (std::vector<std::string>{"P3", "P4", "P5"}));
    EXPECT_EQ(codes(storage->latestAlerts(0, 2)), (std::vector<std::string>{"F4", "F5"}));
    EXPECT_EQ(storage->latestAlerts(0, 500).size(), 6u);
    EXPECT_TRUE(storage->latestAlerts(1, 0).empty());
    EXPECT_TRUE(storage->latestAlerts(1, -5).empty());
    EXPECT_TRUE(storage->latestAlerts(2, 10).empty());
    // The operator's list: every audience, newest first.
    EXPECT_EQ(codes(storage->listAlerts(3)), (std::vector<std::string>{"F5", "P5", "F4"}));
}

TEST_P(StorageTest, LatestAlertsFollowEveryChangeOfEveryConnection) {
    // The server's connection reads the list for each login; operator
    // commands change the alerts through their own connections.
    const auto server = database->open();
    ASSERT_TRUE(server);
    const auto first = storage->publishAlert(alertDraft("A", "1"));
    ASSERT_TRUE(first);
    auto codes = [&server](std::int32_t count) {
        std::string joined;
        for (const auto& alert : server->latestAlerts(1, count)) {
            joined += alert.code + alert.sell + ",";
        }
        return joined;
    };
    EXPECT_EQ(codes(10), "A11.2,");
    EXPECT_EQ(codes(10), "A11.2,");  // unchanged, read again

    ASSERT_TRUE(storage->publishAlert(alertDraft("B", "1")));
    EXPECT_EQ(codes(10), "A11.2,B11.2,");
    EXPECT_EQ(codes(1), "B11.2,");

    AlertRecord changed = *first;
    changed.sell = "99";
    ASSERT_TRUE(storage->updateAlert(changed));  // same number of rows
    EXPECT_EQ(codes(10), "A99,B11.2,");

    ASSERT_TRUE(server->removeAlerts({first->id}));  // through the reading connection
    EXPECT_EQ(codes(10), "B11.2,");
    ASSERT_TRUE(server->publishAlert(alertDraft("C", "0")));
    EXPECT_EQ(codes(10), "B11.2,");
    EXPECT_EQ(server->latestAlerts(0, 10).size(), 1u);
}

TEST_P(StorageTest, AlertUpdatesAndRemovals) {
    const auto alert = storage->publishAlert(alertDraft("600000", "1"));
    ASSERT_TRUE(alert);
    AlertRecord changed = *alert;
    changed.sell = "12.0";
    changed.audience = "0";
    EXPECT_TRUE(storage->updateAlert(changed));
    EXPECT_EQ(storage->findAlert(alert->id), changed);
    changed.id = "42";
    EXPECT_FALSE(storage->updateAlert(changed));
    changed.id = alert->id;
    changed.remark = "x|y";
    EXPECT_FALSE(storage->updateAlert(changed));

    EXPECT_FALSE(storage->removeAlerts({"42", "x"}));
    EXPECT_FALSE(storage->removeAlerts({}));
    EXPECT_TRUE(storage->removeAlerts({"42", alert->id}));
    EXPECT_FALSE(storage->findAlert(alert->id));
    EXPECT_FALSE(storage->removeAlerts({alert->id}));
}

TEST_P(StorageTest, NoticesPublishUpdateAndRemoveWithinTheirChannel) {
    const auto notice = storage->publishNotice(noticeDraft("2"));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->id, "1");
    EXPECT_EQ(notice->body, G("<b>大盘</b>震荡"));
    EXPECT_EQ(storage->findNotice("1"), notice);

    struct Case {
        const char* title;
        std::function<void(NoticeRecord&)> spoil;
    };
    const std::vector<Case> refused = {
        {"stars 0", [](NoticeRecord& n) { n.stars = "0"; }},
        {"stars 6", [](NoticeRecord& n) { n.stars = "6"; }},
        {"channel 6", [](NoticeRecord& n) { n.channel = "6"; }},
        {"channel empty", [](NoticeRecord& n) { n.channel.clear(); }},
        {"time not a date", [](NoticeRecord& n) { n.time = "2024-13-01 00:00:00"; }},
        {"separator in body", [](NoticeRecord& n) { n.body = "a|b"; }},
        {"record separator in title", [](NoticeRecord& n) { n.title = G("☆"); }},
    };
    for (const Case& c : refused) {
        NoticeRecord draft = noticeDraft("1");
        c.spoil(draft);
        EXPECT_FALSE(storage->publishNotice(draft)) << c.title;
        NoticeRecord update = *notice;
        c.spoil(update);
        EXPECT_FALSE(storage->updateNotice(update)) << c.title;
    }

    NoticeRecord changed = *notice;
    changed.title = G("午盘提示");
    changed.popup = "1";
    EXPECT_TRUE(storage->updateNotice(changed));
    EXPECT_EQ(storage->findNotice("1"), changed);
    changed.id = "9";
    EXPECT_FALSE(storage->updateNotice(changed));

    EXPECT_FALSE(storage->removeNotices({"1"}, "3"));  // another channel's removal
    EXPECT_FALSE(storage->removeNotices({"1"}, "x"));
    EXPECT_TRUE(storage->findNotice("1"));
    EXPECT_TRUE(storage->removeNotices({"1", "9"}, "2"));
    EXPECT_FALSE(storage->findNotice("1"));
}

// --------------------------------------------------------------- events

TEST_P(StorageTest, OperatorEventsAreRecordedInOrderWithTheirSubjects) {
    ASSERT_TRUE(storage->addAccount(account(G("张三"), "pw")));
    const auto start = storage->lastEventSequence();
    const auto a1 = storage->publishAlert(alertDraft("600000", "1"));
    const auto a2 = storage->publishAlert(alertDraft("600001", "0"));
    ASSERT_TRUE(a1 && a2);
    ASSERT_TRUE(storage->updateAlert(*a1));
    ASSERT_TRUE(storage->removeAlerts({a1->id, "99", a2->id}));
    const auto n1 = storage->publishNotice(noticeDraft("3"));
    ASSERT_TRUE(n1);
    ASSERT_TRUE(storage->updateNotice(*n1));
    ASSERT_TRUE(storage->removeNotices({n1->id}, "3"));
    ASSERT_TRUE(storage->kick(G("张三")));
    // Failures record nothing.
    EXPECT_FALSE(storage->kick("nobody"));
    EXPECT_FALSE(storage->removeAlerts({"99"}));
    EXPECT_FALSE(storage->updateAlert(alertDraft("x", "1")));

    using Kind = OperatorEvent::Kind;
    const std::vector<std::pair<Kind, std::vector<std::string>>> expected = {
        {Kind::AlertPublished, {"1"}},  {Kind::AlertPublished, {"2"}},
        {Kind::AlertUpdated, {"1"}},    {Kind::AlertsRemoved, {"1", "2"}},
        {Kind::NoticePublished, {"1"}}, {Kind::NoticeUpdated, {"1"}},
        {Kind::NoticesRemoved, {"1"}},  {Kind::Kick, {G("张三")}},
    };
    const auto events = storage->eventsAfter(start);
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, expected[i].first) << i;
        EXPECT_EQ(events[i].subjects, expected[i].second) << i;
        if (i > 0) {
            EXPECT_GT(events[i].sequence, events[i - 1].sequence);
        }
    }
    EXPECT_EQ(events[6].channel, "3");
    EXPECT_EQ(storage->lastEventSequence(), events.back().sequence);
    EXPECT_TRUE(storage->eventsAfter(events.back().sequence).empty());
    EXPECT_EQ(storage->eventsAfter(events[5].sequence).size(), 2u);
}

TEST_P(StorageTest, AnotherConnectionSeesEventsAsTheyAreWritten) {
    // The running server's connection polls while operator commands write
    // through their own; every poll must see what was committed before it.
    const auto server = database->open();
    ASSERT_TRUE(server);
    std::int64_t last = server->lastEventSequence();
    for (int i = 0; i < 3; ++i) {
        const auto alert = storage->publishAlert(alertDraft("60000" + std::to_string(i), "1"));
        ASSERT_TRUE(alert);
        const auto events = server->eventsAfter(last);
        ASSERT_EQ(events.size(), 1u) << i;
        EXPECT_EQ(events[0].subjects, std::vector<std::string>{alert->id});
        EXPECT_EQ(server->findAlert(alert->id), alert);
        last = events[0].sequence;
    }
}

TEST_P(StorageTest, EventsComeInBoundedBatches) {
    const std::size_t total = 1005;
    for (std::size_t i = 0; i < total; ++i) {
        ASSERT_TRUE(storage->addAccount(account("m" + std::to_string(i), "pw")));
        ASSERT_TRUE(storage->kick("m" + std::to_string(i)));
    }
    const auto first = storage->eventsAfter(0);
    ASSERT_FALSE(first.empty());
    ASSERT_LT(first.size(), total);
    const auto rest = storage->eventsAfter(first.back().sequence);
    EXPECT_EQ(first.size() + rest.size(), total);
    EXPECT_EQ(rest.back().subjects, std::vector<std::string>{"m1004"});
}

}  // namespace
}  // namespace lanzhou::server::storage_test
