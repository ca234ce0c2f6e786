#pragma once

// Shared by the storage tests: a fixture with a fresh database of each kind
// (an SQLite file; a database of this program's throwaway PostgreSQL
// cluster), and sample records.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "server/database/open_storage.h"
#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_schema.h"
#include "server/sqlite/sqlite_schema.h"
#include "server/sqlite/sqlite_storage.h"
#include "server/storage/schema_migration.h"
#include "server/storage/storage.h"
#include "temp_database.h"
#include "tests/support/gbk_literal.h"
#include "tests/support/postgres_cluster.h"

namespace lanzhou::server::storage_test {

using protocol::AlertRecord;
using protocol::DateTime;
using protocol::NoticeRecord;
using test::G;

inline const DateTime kNow{2024, 6, 15, 12, 0, 0};

inline std::unique_ptr<Storage> open(const std::filesystem::path& file) {
    auto opened = openSqliteStorage(file);
    EXPECT_TRUE(opened.has_value()) << opened.error();
    return std::move(*opened);
}

inline AccountRecord account(std::string name, std::string password, std::string qq = "10001",
                             std::string phone = "13800000000", std::string adapter = {}) {
    AccountRecord record;
    record.name = std::move(name);
    record.password = std::move(password);
    record.qq = std::move(qq);
    record.phone = std::move(phone);
    record.adapter = std::move(adapter);
    return record;
}

inline CardRecord card(std::string number, std::int32_t days, DateTime validUntil) {
    CardRecord record;
    record.number = std::move(number);
    record.days = days;
    record.validUntil = validUntil;
    return record;
}

inline AlertRecord alertDraft(std::string code, std::string audience,
                              std::string time = "2024-06-15 09:30:00") {
    AlertRecord alert;
    alert.time = std::move(time);
    alert.code = std::move(code);
    alert.name = G("浦发银行");
    alert.operation = G("买入");
    alert.buy = "10.5";
    alert.sell = "11.2";
    alert.remark = G("短线");
    alert.audience = std::move(audience);
    alert.popup = "1";
    return alert;
}

inline NoticeRecord noticeDraft(std::string channel) {
    NoticeRecord notice;
    notice.time = "2024-06-15 08:00:00";
    notice.title = G("早盘提示");
    notice.stars = "4";
    notice.body = G("<b>大盘</b>震荡");
    notice.channel = std::move(channel);
    notice.popup = "0";
    return notice;
}

// One text cell read with the sqlite3 library, bypassing the storage.
inline std::string rawText(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    std::string value;
    sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr) {
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

// A fresh database of one kind, as --db names it.
class TestDatabase {
public:
    virtual ~TestDatabase() = default;
    virtual std::string location() const = 0;
    virtual std::filesystem::path passwordFile() const { return {}; }
    // This program's migrations for the kind, and the schema machinery run
    // with others, bypassing the storage.
    virtual std::span<const SchemaMigration> migrations() const = 0;
    virtual bool migrate(std::span<const SchemaMigration> migrations, std::string& error) const = 0;
    virtual int schemaVersion() const = 0;
    // One text cell, read bypassing the storage.
    virtual std::string queryText(const char* sql) const = 0;

    // Another connection to the database (created on first use).
    std::unique_ptr<Storage> open() const {
        auto opened = openStorage(location(), passwordFile());
        EXPECT_TRUE(opened.has_value()) << opened.error();
        return std::move(*opened);
    }
};

class SqliteTestDatabase final : public TestDatabase {
public:
    std::string location() const override { return m_file.file().string(); }
    std::span<const SchemaMigration> migrations() const override { return sqliteMigrations(); }
    bool migrate(std::span<const SchemaMigration> migrations, std::string& error) const override {
        sqlite3* db = nullptr;
        const bool done = sqlite3_open(m_file.file().string().c_str(), &db) == SQLITE_OK &&
                          prepareSqliteDatabase(db, migrations, error);
        sqlite3_close(db);
        return done;
    }
    int schemaVersion() const override { return std::stoi(queryText("PRAGMA user_version")); }
    std::string queryText(const char* sql) const override { return rawText(m_file.file(), sql); }

private:
    test::TempDatabase m_file;
};

class PostgresTestDatabase final : public TestDatabase {
public:
    PostgresTestDatabase(const test::PostgresCluster& cluster, std::string name)
        : m_cluster(cluster), m_name(std::move(name)) {}
    std::string location() const override { return m_cluster.uri(m_name); }
    std::filesystem::path passwordFile() const override { return m_cluster.passwordFile(); }
    std::span<const SchemaMigration> migrations() const override { return postgresMigrations(); }
    bool migrate(std::span<const SchemaMigration> migrations, std::string& error) const override {
        const auto connection = connect(error);
        return connection && preparePostgresDatabase(*connection, migrations, error);
    }
    int schemaVersion() const override {
        return std::stoi("0" + queryText("SELECT MAX(version) FROM schema_version"));
    }
    std::string queryText(const char* sql) const override {
        std::string error;
        const auto connection = connect(error);
        return connection ? connection->run(sql).text(0, 0) : std::string();
    }
    const test::PostgresCluster& cluster() const { return m_cluster; }
    const std::string& name() const { return m_name; }

private:
    std::unique_ptr<PgConnection> connect(std::string& error) const {
        std::string password;
        std::getline(std::ifstream(m_cluster.passwordFile()) >> std::ws, password);
        auto connected = connectPostgres(location(), password);
        if (!connected) {
            error = connected.error();
            return nullptr;
        }
        return std::move(*connected);
    }

    const test::PostgresCluster& m_cluster;
    std::string m_name;
};

// One kind of database: its name in the tests' names, and how to make a fresh
// one (nothing, with a message, when it cannot be made).
struct Backend {
    std::string name;
    std::function<std::unique_ptr<TestDatabase>(std::string& error)> make;
};

inline void PrintTo(const Backend& backend, std::ostream* out) {
    *out << backend.name;
}

inline std::unique_ptr<TestDatabase> makeSqliteDatabase(std::string&) {
    return std::make_unique<SqliteTestDatabase>();
}

inline std::unique_ptr<TestDatabase> makePostgresDatabase(std::string& error) {
    test::PostgresCluster* cluster = test::sharedPostgresCluster(error);
    if (cluster == nullptr) {
        return nullptr;
    }
    std::string name = cluster->createDatabase(error);
    if (name.empty()) {
        return nullptr;
    }
    return std::make_unique<PostgresTestDatabase>(*cluster, std::move(name));
}

inline const Backend kSqlite{"Sqlite", makeSqliteDatabase};
inline const Backend kPostgres{"Postgres", makePostgresDatabase};

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param.name;
}

// The storage tests run once per kind of database.
#define LANZHOU_STORAGE_BACKENDS(fixture) \
    INSTANTIATE_TEST_SUITE_P(Backends, fixture, ::testing::Values(kSqlite, kPostgres), backendName)

// A fresh database of the test's kind, and the storage opened on it.
class StorageTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        std::string error;
        database = GetParam().make(error);
        ASSERT_TRUE(database) << error;
        storage = database->open();
        ASSERT_TRUE(storage);
    }

    std::unique_ptr<TestDatabase> database;
    std::unique_ptr<Storage> storage;
};

// The SQLite storage alone: its file.
class SqliteStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        storage = open(database.file());
        ASSERT_TRUE(storage);
    }

    test::TempDatabase database;
    std::unique_ptr<Storage> storage;
};

}  // namespace lanzhou::server::storage_test
