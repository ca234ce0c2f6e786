#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_catalogue.h"
#include "server/postgres/pg_event_log.h"
#include "server/storage/content_store.h"

namespace lanzhou::server {

class PgConnection;

// The alerts and notices of a PostgreSQL database (ContentStore's rules).
class PgContentStore final : public ContentStore {
public:
    PgContentStore(PgConnection& connection, PgEventLog& events)
        : m_connection(connection), m_events(events) {}

    std::vector<protocol::AlertRecord> latestAlerts(std::int32_t audience, std::int32_t count);
    std::vector<protocol::AlertRecord> listAlerts(std::int32_t count);

private:
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

    PgConnection& m_connection;
    PgEventLog& m_events;
};

}  // namespace lanzhou::server
