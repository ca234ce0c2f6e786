#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/result.h"

struct pg_conn;
struct pg_result;

namespace lanzhou::server {

// The result of one statement; owns it.
class PgResult final {
public:
    PgResult() = default;
    explicit PgResult(pg_result* result) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    // True when the statement ran (with or without rows).
    bool ok() const;
    int rows() const;
    // Rows the statement changed (INSERT, UPDATE, DELETE); 0 when it failed.
    std::int64_t changed() const;
    std::string text(int row, int column) const;
    std::int64_t integer(int row, int column) const;
    bool isNull(int row, int column) const;
    // The command tag ("COMMIT", "ROLLBACK", ...).
    std::string_view tag() const;

private:
    pg_result* m_result = nullptr;
};

// One libpq connection. Statements with parameters are prepared on first use
// and kept for the life of the session; the SQL texts are the keys and must
// outlive the connection (string literals). Parameters are texts; one that
// holds a NUL byte is refused, since libpq would cut it there.
//
// A connection found broken is made again before the next statement (not
// inside a transaction: that one is lost anyway and fails), at most once per
// back-off period (0.1 s doubling to 5 s while the server stays away); in
// between, statements fail at once. A query (SELECT) or a BEGIN that found the
// connection lost is tried once more on the new one.
class PgConnection final {
public:
    // Use connectPostgres(); `conn` is owned from here on.
    explicit PgConnection(pg_conn* conn) : m_conn(conn) {}
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    PgResult run(std::string_view sql, std::initializer_list<std::string_view> params = {});
    // Runs `sql` without parameters (several statements allowed); false with
    // the server's message in `error` when it failed.
    [[nodiscard]] bool execute(std::string_view sql, std::string& error);
    [[nodiscard]] bool execute(std::string_view sql) {
        std::string ignored;
        return execute(sql, ignored);
    }

    // Transactions: begin() then commit(); rollback() when abandoned.
    [[nodiscard]] bool begin();
    [[nodiscard]] bool commit();
    void rollback();

    std::string lastError() const;

    // For waiting on notifications (LISTEN): the socket to wait on, reading
    // what arrived on it (false when the connection is lost), and taking the
    // notifications read so far (how many there were).
    int socket() const;
    [[nodiscard]] bool consumeInput();
    std::size_t takeNotifications();

private:
    // Resets a broken connection outside transactions; false when it is
    // still broken.
    bool usable();
    // True when the connection was lost outside a transaction and is back.
    bool lostOutsideTransaction();
    PgResult runOnce(std::string_view sql, std::initializer_list<std::string_view> params);

    pg_conn* m_conn;
    std::chrono::steady_clock::time_point m_nextReset{};
    std::chrono::milliseconds m_backOff{};
    std::unordered_map<std::string_view, std::string> m_prepared;  // SQL -> statement name
    bool m_inTransaction = false;
};

// Connects to the PostgreSQL database of a connection URI
// ("postgresql://..." or "postgres://..."). A password inside the URI is
// refused (it would show in the process list); `password`, when given, is
// used instead of libpq's own password file, service file or environment.
Result<std::unique_ptr<PgConnection>> connectPostgres(std::string_view uri,
                                                      const std::optional<std::string>& password);

}  // namespace lanzhou::server
