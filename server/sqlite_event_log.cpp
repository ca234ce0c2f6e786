#include "server/sqlite_event_log.h"

#include <optional>

#include "platform/gbk.h"
#include "server/storage_fields.h"

namespace lanzhou::server {
namespace {

struct KindName {
    OperatorEvent::Kind kind;
    std::string_view name;
};
constexpr KindName kKindNames[] = {
    {OperatorEvent::Kind::AlertPublished, "alert-published"},
    {OperatorEvent::Kind::AlertUpdated, "alert-updated"},
    {OperatorEvent::Kind::AlertsRemoved, "alerts-removed"},
    {OperatorEvent::Kind::NoticePublished, "notice-published"},
    {OperatorEvent::Kind::NoticeUpdated, "notice-updated"},
    {OperatorEvent::Kind::NoticesRemoved, "notices-removed"},
    {OperatorEvent::Kind::Kick, "kick"},
};

std::string_view kindName(OperatorEvent::Kind kind) {
    for (const auto& entry : kKindNames) {
        if (entry.kind == kind) {
            return entry.name;
        }
    }
    return {};
}

std::optional<OperatorEvent::Kind> kindOf(std::string_view name) {
    for (const auto& entry : kKindNames) {
        if (entry.name == name) {
            return entry.kind;
        }
    }
    return std::nullopt;
}

std::vector<std::string> splitSubjects(std::string_view joined) {
    std::vector<std::string> subjects;
    while (!joined.empty()) {
        const auto bar = joined.find('|');
        subjects.push_back(platform::gbkFromUtf8(joined.substr(0, bar)));
        if (bar == std::string_view::npos) {
            break;
        }
        joined.remove_prefix(bar + 1);
    }
    return subjects;
}

}  // namespace

bool SqliteEventLog::record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                            std::string_view channel) {
    std::string joined;
    for (const auto& subject : subjects) {
        const auto utf8 = exactUtf8(subject);
        if (!utf8 || hasSeparator(*utf8, false)) {
            return false;
        }
        if (!joined.empty()) {
            joined += '|';
        }
        joined += *utf8;
    }
    const auto channelText = exactUtf8(channel);
    auto insert = m_statements.get("INSERT INTO events(kind, subjects, channel) VALUES (?, ?, ?)");
    if (!channelText || !insert) {
        return false;
    }
    insert->bind(1, kindName(kind));
    insert->bind(2, joined);
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
        "'notice-updated', 'notices-removed', 'kick') ORDER BY sequence LIMIT ?");
    if (!statement) {
        return events;
    }
    statement->bind(1, sequence);
    statement->bind(2, static_cast<std::int64_t>(kBatch));
    while (statement->step() == SqliteStatement::Step::Row) {
        const auto kind = kindOf(statement->text(1));
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
