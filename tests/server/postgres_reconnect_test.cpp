// The PostgreSQL storage while its database goes away and comes back: a
// running server's connections are made again and catch up on the events.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "storage_fixture.h"

namespace lanzhou::server::storage_test {
namespace {

using Clock = std::chrono::steady_clock;

// Asks `done` again until it holds or 20 s have passed (the connections wait
// up to 5 s between attempts to reach the database).
bool eventually(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(PostgresReconnectTest, ConnectionsLostWithTheDatabaseAreMadeAgainAndCatchUp) {
    std::string error;
    const auto database = makePostgresDatabase(error);
    ASSERT_TRUE(database) << error;
    test::PostgresCluster* cluster = test::sharedPostgresCluster(error);
    const auto reader = database->open();  // a running server's
    const auto writer = database->open();  // an operator's, say
    ASSERT_TRUE(reader && writer);
    ASSERT_TRUE(writer->addAccount(account("alice", "pw")));
    ASSERT_TRUE(writer->publishAlert(alertDraft("A", "1")));
    std::int64_t last = reader->lastEventSequence();
    ASSERT_GT(last, 0);

    // Restarted at once: the next request of each connection is served on a
    // new one.
    cluster->stop();
    ASSERT_TRUE(cluster->startAgain(error)) << error;
    const auto second = writer->publishAlert(alertDraft("B", "1"));
    ASSERT_TRUE(second);
    auto events = reader->eventsAfter(last);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].subjects, std::vector<std::string>{second->id});
    last = events[0].sequence;

    // Away for a while: requests fail with the failure answers, at once.
    cluster->stop();
    const auto before = Clock::now();
    EXPECT_TRUE(reader->eventsAfter(last).empty());
    EXPECT_FALSE(reader->findAccount("alice"));
    EXPECT_EQ(writer->registerAccount(account("bob", "pw"), false), RegisterResult::Failed);
    EXPECT_FALSE(writer->publishAlert(alertDraft("lost", "1")));
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(5));

    // Back: the reader catches up from its last event, missing none and
    // repeating none.
    ASSERT_TRUE(cluster->startAgain(error)) << error;
    std::optional<AlertRecord> third;
    ASSERT_TRUE(eventually([&] {
        third = writer->publishAlert(alertDraft("C", "1"));
        return third.has_value();
    }));
    std::vector<OperatorEvent> caughtUp;
    ASSERT_TRUE(eventually([&] {
        caughtUp = reader->eventsAfter(last);
        return !caughtUp.empty();
    }));
    ASSERT_EQ(caughtUp.size(), 1u);
    EXPECT_EQ(caughtUp[0].subjects, std::vector<std::string>{third->id});
    EXPECT_TRUE(reader->findAccount("alice"));
    EXPECT_EQ(writer->listAlerts(10).size(), 3u);
}

}  // namespace
}  // namespace lanzhou::server::storage_test
