#pragma once

#include <string>

struct sqlite3;

namespace lanzhou::server {

// Version of the tables below, kept in PRAGMA user_version.
inline constexpr int kSqliteSchemaVersion = 1;

// Sets up a fresh connection (WAL journal, synchronous NORMAL, a 5 s busy
// timeout, foreign keys) and creates the tables when they are missing. False
// with a message when the database cannot be used, for example because a
// newer program made it.
bool prepareSqliteDatabase(sqlite3* db, std::string& error);

}  // namespace lanzhou::server
