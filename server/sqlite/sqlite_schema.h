#pragma once

#include <span>
#include <string>

#include "server/storage/schema_migration.h"

struct sqlite3;

namespace lanzhou::server {

// The tables of an SQLite database, version by version; the version is kept
// in PRAGMA user_version.
std::span<const SchemaMigration> sqliteMigrations();

// Sets up a fresh connection (WAL journal, synchronous NORMAL, a 5 s busy
// timeout, foreign keys) and brings the database to the last of `migrations`
// in one transaction (creating the tables on first use). False with a message
// when the database cannot be used, for example because a newer program made
// it.
[[nodiscard]] bool prepareSqliteDatabase(sqlite3* db, std::span<const SchemaMigration> migrations,
                                         std::string& error);
[[nodiscard]] inline bool prepareSqliteDatabase(sqlite3* db, std::string& error) {
    return prepareSqliteDatabase(db, sqliteMigrations(), error);
}

}  // namespace lanzhou::server
