#pragma once

#include <memory>
#include <string_view>
#include <unordered_map>

#include "server/sqlite/sqlite_statement.h"

struct sqlite3;

namespace lanzhou::server {

// Prepared statements of one connection, prepared on first use and kept for
// the life of the connection. Keys are the SQL texts, which must outlive the
// cache (string literals).
class StatementCache final {
public:
    // A statement on loan: bindings cleared when taken, reset when the lease
    // ends. Resetting matters: a statement left mid-result would keep its
    // read snapshot open, and later reads of the connection would not see
    // what other processes wrote since.
    class Lease final {
    public:
        explicit Lease(SqliteStatement* statement) : m_statement(statement) {}
        ~Lease() {
            if (m_statement != nullptr) {
                m_statement->reset();
            }
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        explicit operator bool() const { return m_statement != nullptr; }
        SqliteStatement* operator->() const { return m_statement; }
        SqliteStatement& operator*() const { return *m_statement; }

    private:
        SqliteStatement* m_statement;
    };

    explicit StatementCache(sqlite3* db) : m_db(db) {}

    // The prepared statement of `sql`; an empty lease when it cannot be
    // prepared.
    Lease get(std::string_view sql);

    // Runs `sql` (no parameters, results ignored) through the cache.
    bool execute(std::string_view sql);

    // Finalizes every statement (before the connection closes).
    void clear() { m_statements.clear(); }

private:
    sqlite3* m_db;
    std::unordered_map<std::string_view, std::unique_ptr<SqliteStatement>> m_statements;
};

}  // namespace lanzhou::server
