#include "server/sqlite/sqlite_schema.h"

#include <sqlite3.h>

#include <string>

namespace lanzhou::server {
namespace {

constexpr int kBusyTimeoutMs = 5000;

// Texts are UTF-8 so that the database reads well with the sqlite3 tool;
// date-times are "YYYY-MM-DD HH:MM:SS" texts. Version 1 keeps "IF NOT
// EXISTS": databases made before versions were counted may hold its tables.
constexpr SchemaMigration kMigrations[] = {{1, R"sql(
CREATE TABLE IF NOT EXISTS accounts(
    name TEXT PRIMARY KEY NOT NULL,
    password TEXT NOT NULL,
    qq TEXT NOT NULL DEFAULT '',
    phone TEXT NOT NULL DEFAULT '',
    adapter TEXT NOT NULL DEFAULT '',
    user_type INTEGER NOT NULL DEFAULT 0,
    expiry TEXT NOT NULL,
    created TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS accounts_adapter ON accounts(adapter);
CREATE TABLE IF NOT EXISTS cards(
    number TEXT PRIMARY KEY NOT NULL,
    days INTEGER NOT NULL,
    valid_until TEXT NOT NULL,
    used INTEGER NOT NULL DEFAULT 0,
    used_by TEXT REFERENCES accounts(name),
    used_at TEXT);
CREATE TABLE IF NOT EXISTS alerts(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time TEXT NOT NULL,
    code TEXT NOT NULL,
    name TEXT NOT NULL,
    operation TEXT NOT NULL,
    buy TEXT NOT NULL,
    sell TEXT NOT NULL,
    remark TEXT NOT NULL,
    audience INTEGER NOT NULL,
    popup INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS alerts_audience ON alerts(audience, id);
CREATE TABLE IF NOT EXISTS notices(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time TEXT NOT NULL,
    title TEXT NOT NULL,
    stars INTEGER NOT NULL,
    body TEXT NOT NULL,
    channel INTEGER NOT NULL,
    popup INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS events(
    sequence INTEGER PRIMARY KEY AUTOINCREMENT,
    kind TEXT NOT NULL,
    subjects TEXT NOT NULL,
    channel TEXT NOT NULL DEFAULT '');
)sql"}};

bool execute(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

// The single integer a pragma answers, or -1.
int pragmaValue(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

std::string pragmaText(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        if (const auto* text = sqlite3_column_text(statement, 0)) {
            value = reinterpret_cast<const char*>(text);
        }
    }
    sqlite3_finalize(statement);
    return value;
}

}  // namespace

std::span<const SchemaMigration> sqliteMigrations() {
    return kMigrations;
}

bool prepareSqliteDatabase(sqlite3* db, std::span<const SchemaMigration> migrations,
                           std::string& error) {
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (!execute(db, "PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL;", error)) {
        return false;
    }
    const std::string journal = pragmaText(db, "PRAGMA journal_mode=WAL");
    if (journal != "wal") {
        error = "cannot switch the database to WAL mode (journal mode: " +
                (journal.empty() ? std::string(sqlite3_errmsg(db)) : journal) + ")";
        return false;
    }
    // One process creates the tables; the others wait for it and find them.
    if (!execute(db, "BEGIN IMMEDIATE", error)) {
        return false;
    }
    const int latest = latestVersion(migrations);
    const int version = pragmaValue(db, "PRAGMA user_version");
    if (version < 0 || version > latest) {
        execute(db, "ROLLBACK", error);
        error = version < 0 ? std::string("cannot read the database's schema version")
                            : "the database was made by a newer version (schema " +
                                  std::to_string(version) + ")";
        return false;
    }
    bool migrated = true;
    for (const SchemaMigration& migration : migrations) {
        if (migrated && migration.version > version) {
            migrated = execute(db, std::string(migration.sql).c_str(), error);
        }
    }
    const std::string setVersion = "PRAGMA user_version=" + std::to_string(latest) + ";";
    if (!migrated || !execute(db, setVersion.c_str(), error) || !execute(db, "COMMIT", error)) {
        std::string ignored;
        execute(db, "ROLLBACK", ignored);
        return false;
    }
    return true;
}

}  // namespace lanzhou::server
