// The schema of each kind of database: created on first use, brought up to
// date step by step keeping the data, and refused when a newer program made it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage_fixture.h"

namespace lanzhou::server::storage_test {
namespace {

TEST_P(StorageTest, AnOlderSchemaIsUpgradedKeepingItsDataAndANewerOneIsRefused) {
    ASSERT_TRUE(storage->addAccount(account("alice", "pw")));
    storage.reset();
    const auto current = database->migrations();
    ASSERT_FALSE(current.empty());
    EXPECT_EQ(database->schemaVersion(), current.back().version);

    // A later release: two more steps, which both databases understand.
    const int version = current.back().version;
    std::vector<SchemaMigration> later(current.begin(), current.end());
    later.push_back(
        {version + 1, "ALTER TABLE accounts ADD COLUMN note TEXT NOT NULL DEFAULT 'x'"});
    later.push_back({version + 2, "UPDATE accounts SET note = note || 'y'"});
    std::string error;
    ASSERT_TRUE(database->migrate(later, error)) << error;
    EXPECT_EQ(database->schemaVersion(), version + 2);
    EXPECT_EQ(database->queryText("SELECT name || password || note FROM accounts"), "alicepwxy");
    // Opened again by the later release: no step runs twice.
    ASSERT_TRUE(database->migrate(later, error)) << error;
    EXPECT_EQ(database->queryText("SELECT note FROM accounts"), "xy");

    // This program does not know the later schema: it refuses the database.
    const auto opened = openStorage(database->location(), database->passwordFile());
    EXPECT_FALSE(opened.has_value());
    EXPECT_NE(opened.error().find("newer version (schema " + std::to_string(version + 2) + ")"),
              std::string::npos)
        << opened.error();
}

TEST_P(StorageTest, AFailingStepLeavesTheDatabaseAtItsVersion) {
    ASSERT_TRUE(storage->addAccount(account("alice", "pw")));
    storage.reset();
    const auto current = database->migrations();
    const int version = current.back().version;
    std::vector<SchemaMigration> later(current.begin(), current.end());
    later.push_back({version + 1,
                     "ALTER TABLE accounts ADD COLUMN note TEXT NOT NULL DEFAULT 'x';"
                     "ALTER TABLE no_such_table ADD COLUMN y TEXT"});
    std::string error;
    EXPECT_FALSE(database->migrate(later, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(database->schemaVersion(), version);
    const auto reopened = database->open();  // nothing half done is left
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->findAccount("alice"));
    EXPECT_EQ(database->queryText("SELECT COUNT(*) FROM accounts"), "1");
}

}  // namespace
}  // namespace lanzhou::server::storage_test
