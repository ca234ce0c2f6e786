#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_catalogue.h"
#include "server/sqlite/sqlite_event_log.h"
#include "server/sqlite/sqlite_statement_cache.h"
#include "server/storage/content_store.h"

struct sqlite3;

namespace lanzhou::server {

// The alerts and notices of an SQLite database (ContentStore's rules), with
// the latest alerts of each audience kept between changes.
class SqliteContentStore final : public ContentStore {
public:
    SqliteContentStore(sqlite3* db, StatementCache& statements, SqliteEventLog& events)
        : m_db(db), m_statements(statements), m_events(events) {}

    std::vector<protocol::AlertRecord> latestAlerts(std::int32_t audience, std::int32_t count);
    std::vector<protocol::AlertRecord> listAlerts(std::int32_t count);

private:
    // Every login asks for the same few hundred alerts, and reading them
    // costs far more than a login; they are read again only after the
    // database changed (through this connection or any other).
    struct CachedAlerts {
        std::int32_t audience = 0;
        std::int32_t count = 0;
        std::int64_t dataVersion = -1;
        std::int64_t ownChanges = -1;
        std::vector<protocol::AlertRecord> alerts;
    };

    bool inTransaction(const std::function<bool()>& work) override;
    bool record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                std::string_view channel) override;
    std::optional<protocol::AlertRecord> selectAlert(std::int64_t id) override;
    std::optional<protocol::NoticeRecord> selectNotice(std::int64_t id) override;
    std::optional<std::int64_t> insertAlert(const AlertRow& row) override;
    std::optional<std::int64_t> insertNotice(const NoticeRow& row) override;
    bool rewriteAlert(std::int64_t id, const AlertRow& row) override;
    bool rewriteNotice(std::int64_t id, const NoticeRow& row) override;
    std::optional<bool> deleteAlert(std::int64_t id) override;
    std::optional<bool> deleteNotice(std::int64_t id, std::int64_t channel) override;

    std::vector<protocol::AlertRecord> readAlerts(StatementCache::Lease& statement);
    // Runs `sql` with the parameters `bind` gives it; the rows it changed,
    // nothing when it failed.
    [[nodiscard]] std::optional<int> changeRows(std::string_view sql,
                                                const std::function<void(SqliteStatement&)>& bind);
    // What tells whether the database changed: PRAGMA data_version (commits
    // of other connections) and this connection's own change count.
    bool databaseVersion(std::int64_t& dataVersion, std::int64_t& ownChanges);

    sqlite3* m_db;
    StatementCache& m_statements;
    SqliteEventLog& m_events;
    std::vector<CachedAlerts> m_latest;  // one per audience asked for
};

}  // namespace lanzhou::server
