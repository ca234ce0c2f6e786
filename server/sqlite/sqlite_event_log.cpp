#include "server/sqlite/sqlite_event_log.h"

#include <optional>

#include "platform/gbk.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {

bool SqliteEventLog::record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                            std::string_view channel) {
    const auto joined = joinSubjects(subjects);
    const auto channelText = exactUtf8(channel);
    auto insert = m_statements.get("INSERT INTO events(kind, subjects, channel) VALUES (?, ?, ?)");
    if (!joined || !channelText || !insert) {
        return false;
    }
    insert->bind(1, eventKindName(kind));
    insert->bind(2, *joined);
    insert->bind(3, *channelText);
    if (!insert->run()) {
        return false;
    }
    auto prune = m_statements.get(
        "DELETE FROM events WHERE sequence <= (SELECT MAX(sequence) FROM events) - ?");
    if (!prune) {
        return false;
    }
    prune->bind(1, kKept);
    return prune->run();
}

std::vector<OperatorEvent> SqliteEventLog::after(std::int64_t sequence) {
    std::vector<OperatorEvent> events;
    auto statement = m_statements.get(
        "SELECT sequence, kind, subjects, channel FROM events WHERE sequence > ? AND kind IN "
        "('alert-published', 'alert-updated', 'alerts-removed', 'notice-published', "
        "'notice-updated', 'notices-removed', 'kick', 'login') ORDER BY sequence LIMIT ?");
    if (!statement) {
        return events;
    }
    statement->bind(1, sequence);
    statement->bind(2, static_cast<std::int64_t>(kBatch));
    while (statement->step() == SqliteStatement::Step::Row) {
        const auto kind = eventKindOf(statement->text(1));
        if (!kind) {
            continue;  // cannot happen: the query names the kinds known here
        }
        OperatorEvent event;
        event.sequence = statement->integer(0);
        event.kind = *kind;
        event.subjects = splitSubjects(statement->text(2));
        event.channel = platform::gbkFromUtf8(statement->text(3));
        events.push_back(std::move(event));
    }
    return events;
}

std::int64_t SqliteEventLog::last() {
    auto statement = m_statements.get("SELECT COALESCE(MAX(sequence), 0) FROM events");
    if (!statement || statement->step() != SqliteStatement::Step::Row) {
        return 0;
    }
    return statement->integer(0);
}

}  // namespace lanzhou::server
