// The PostgreSQL storage's event signal: a waiting server is woken by what
// another connection records, and again after the database came back.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "storage_fixture.h"

namespace lanzhou::server::storage_test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Waits until the signal wakes, in slices as a server does; false after 20 s.
bool woken(EventSignal& signal) {
    for (int slice = 0; slice < 100; ++slice) {
        if (signal.wait(milliseconds(200))) {
            return true;
        }
    }
    return false;
}

TEST(PostgresEventSignalTest, WakesOnEveryRecordedEventAndAfterTheDatabaseCameBack) {
    std::string error;
    const auto database = makePostgresDatabase(error);
    ASSERT_TRUE(database) << error;
    const auto server = database->open();
    const auto writer = database->open();
    ASSERT_TRUE(server && writer);
    ASSERT_TRUE(writer->addAccount(account("alice", "pw")));
    const auto signal = server->eventSignal();
    ASSERT_TRUE(signal);
    ASSERT_TRUE(woken(*signal));  // listening from here on

    EXPECT_FALSE(signal->wait(milliseconds(100)));  // nothing recorded
    ASSERT_TRUE(writer->publishAlert(alertDraft("A", "1")));
    EXPECT_TRUE(woken(*signal));
    ASSERT_TRUE(writer->recordLogin("alice"));
    EXPECT_TRUE(woken(*signal));
    ASSERT_TRUE(writer->kick("alice"));
    EXPECT_TRUE(woken(*signal));
    // An operator command that failed records nothing and wakes nobody.
    EXPECT_FALSE(writer->kick("nobody"));
    EXPECT_FALSE(signal->wait(milliseconds(100)));

    test::PostgresCluster* cluster = test::sharedPostgresCluster(error);
    cluster->stop();
    EXPECT_TRUE(woken(*signal));  // lost: read the log when it is back
    ASSERT_TRUE(cluster->startAgain(error)) << error;
    EXPECT_TRUE(woken(*signal));  // listening again
    const auto before = server->lastEventSequence();
    ASSERT_TRUE(writer->publishAlert(alertDraft("B", "1")) ||
                writer->publishAlert(alertDraft("B", "1")));
    EXPECT_TRUE(woken(*signal));
    EXPECT_EQ(server->eventsAfter(before).size(), 1u);
}

}  // namespace
}  // namespace lanzhou::server::storage_test
