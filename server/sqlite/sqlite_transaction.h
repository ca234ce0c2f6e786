#pragma once

#include "server/sqlite/sqlite_statement_cache.h"

namespace lanzhou::server {

// A write transaction taken at once (BEGIN IMMEDIATE), so that the checks made
// inside it still hold when it commits, even with other processes writing the
// same database. Rolled back unless committed.
class SqliteTransaction final {
public:
    explicit SqliteTransaction(StatementCache& statements) : m_statements(statements) {}
    ~SqliteTransaction();

    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // False when the write lock could not be had (within the busy timeout).
    [[nodiscard]] bool begin();
    // False when the commit failed; the transaction is then rolled back.
    [[nodiscard]] bool commit();

private:
    StatementCache& m_statements;
    bool m_open = false;
};

}  // namespace lanzhou::server
