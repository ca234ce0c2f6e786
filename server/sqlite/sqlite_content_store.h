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

struct sqlite3;

namespace lanzhou::server {

// The alerts and notices of an SQLite database. Every change is one
// transaction together with the event that tells the running server of it.
// Ids are the integer row ids as decimal text.
class SqliteContentStore final {
public:
    SqliteContentStore(sqlite3* db, StatementCache& statements, SqliteEventLog& events)
        : m_db(db), m_statements(statements), m_events(events) {}

    std::vector<protocol::AlertRecord> latestAlerts(std::int32_t audience, std::int32_t count);
    std::optional<protocol::AlertRecord> findAlert(std::string_view id);
    std::optional<protocol::AlertRecord> publishAlert(const protocol::AlertRecord& draft);
    bool updateAlert(const protocol::AlertRecord& alert);
    bool removeAlerts(const std::vector<std::string>& ids);
    std::vector<protocol::AlertRecord> listAlerts(std::int32_t count);

    std::optional<protocol::NoticeRecord> findNotice(std::string_view id);
    std::optional<protocol::NoticeRecord> publishNotice(const protocol::NoticeRecord& draft);
    bool updateNotice(const protocol::NoticeRecord& notice);
    bool removeNotices(const std::vector<std::string>& ids, std::string_view channel);

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

    std::vector<protocol::AlertRecord> readAlerts(StatementCache::Lease& statement);
    // Runs the INSERT or UPDATE `sql`, its parameters bound by `bind`, and
    // records `kind` for the row in the same transaction. An update names
    // its row (`existing`) and must change exactly that one. The row's id, or
    // nullopt when anything failed (the transaction is then rolled back).
    std::optional<std::int64_t> writeRecorded(std::string_view sql,
                                              const std::function<void(SqliteStatement&)>& bind,
                                              std::optional<std::int64_t> existing,
                                              OperatorEvent::Kind kind);
    // What tells whether the database changed: PRAGMA data_version (commits
    // of other connections) and this connection's own change count.
    bool databaseVersion(std::int64_t& dataVersion, std::int64_t& ownChanges);

    sqlite3* m_db;
    StatementCache& m_statements;
    SqliteEventLog& m_events;
    std::vector<CachedAlerts> m_latest;  // one per audience asked for
};

}  // namespace lanzhou::server
