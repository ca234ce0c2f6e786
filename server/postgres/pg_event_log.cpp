#include "server/postgres/pg_event_log.h"

#include <optional>

#include "platform/gbk.h"
#include "server/postgres/pg_connection.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {

bool PgEventLog::record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                        std::string_view channel) {
    const auto joined = joinSubjects(subjects);
    const auto channelText = exactUtf8(channel);
    if (!joined || !channelText) {
        return false;
    }
    // Held until the transaction ends: the next writer's sequence number is
    // drawn only after this one is committed or gone.
    if (!m_connection.run("SELECT pg_advisory_xact_lock(7294002)").ok()) {
        return false;
    }
    const std::string kept = std::to_string(kKept);
    return m_connection
               .run("INSERT INTO events(kind, subjects, channel) VALUES ($1, $2, $3)",
                    {eventKindName(kind), *joined, *channelText})
               .ok() &&
           m_connection
               .run(
                   "DELETE FROM events WHERE sequence <= (SELECT MAX(sequence) FROM events) - "
                   "$1::bigint",
                   {kept})
               .ok() &&
           // Delivered to the listening servers when the transaction commits.
           m_connection.run("SELECT pg_notify($1, '')", {kChannel}).ok();
}

std::vector<OperatorEvent> PgEventLog::after(std::int64_t sequence) {
    std::vector<OperatorEvent> events;
    const std::string from = std::to_string(sequence);
    const std::string limit = std::to_string(kBatch);
    const PgResult rows = m_connection.run(
        "SELECT sequence, kind, subjects, channel FROM events WHERE sequence > $1::bigint AND "
        "kind IN ('alert-published', 'alert-updated', 'alerts-removed', 'notice-published', "
        "'notice-updated', 'notices-removed', 'kick', 'login') ORDER BY sequence LIMIT $2::bigint",
        {from, limit});
    for (int row = 0; row < rows.rows(); ++row) {
        const auto kind = eventKindOf(rows.text(row, 1));
        if (!kind) {
            continue;  // cannot happen: the query names the kinds known here
        }
        OperatorEvent event;
        event.sequence = rows.integer(row, 0);
        event.kind = *kind;
        event.subjects = splitSubjects(rows.text(row, 2));
        event.channel = platform::gbkFromUtf8(rows.text(row, 3));
        events.push_back(std::move(event));
    }
    return events;
}

std::int64_t PgEventLog::last() {
    const PgResult result = m_connection.run("SELECT COALESCE(MAX(sequence), 0) FROM events");
    return result.rows() == 1 ? result.integer(0, 0) : 0;
}

}  // namespace lanzhou::server
