#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_catalogue.h"
#include "server/postgres/pg_event_log.h"

namespace lanzhou::server {

class PgConnection;

// The alerts and notices of a PostgreSQL database, by the same rules as
// SqliteContentStore: every change is one transaction together with its
// event; ids are the integer ids as decimal text.
class PgContentStore final {
public:
    PgContentStore(PgConnection& connection, PgEventLog& events)
        : m_connection(connection), m_events(events) {}

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
    // Runs the INSERT ... RETURNING id or UPDATE `sql` with `params` and
    // records `kind` for the row in the same transaction. An update names its
    // row (`existing`) and must change exactly that one. The row's id, or
    // nullopt when anything failed (the transaction is then rolled back).
    std::optional<std::int64_t> writeRecorded(std::string_view sql,
                                              std::initializer_list<std::string_view> params,
                                              std::optional<std::int64_t> existing,
                                              OperatorEvent::Kind kind);
    // Deletes the rows of `ids` with `sql` ($1 the id, then `extra`) and
    // records `kind` for those that were there, with `channel`.
    bool removeRecorded(std::string_view sql, const std::vector<std::string>& ids,
                        std::string_view extra, OperatorEvent::Kind kind, std::string_view channel);

    PgConnection& m_connection;
    PgEventLog& m_events;
};

}  // namespace lanzhou::server
