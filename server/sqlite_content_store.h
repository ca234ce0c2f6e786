#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_catalogue.h"
#include "server/sqlite_event_log.h"
#include "server/sqlite_statement_cache.h"

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
    std::vector<protocol::AlertRecord> readAlerts(StatementCache::Lease& statement);

    sqlite3* m_db;
    StatementCache& m_statements;
    SqliteEventLog& m_events;
};

}  // namespace lanzhou::server
