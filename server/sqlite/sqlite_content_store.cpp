#include "server/sqlite/sqlite_content_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "platform/gbk.h"
#include "server/sqlite/sqlite_transaction.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

// Upper bound of one list, whatever count is asked for.
constexpr std::int32_t kMaxListCount = 100000;
// Audiences whose latest alerts are kept (there are two user types).
constexpr std::size_t kCachedAudiences = 4;

// Alert queries select "id, time, code, name, operation, buy, sell, remark,
// audience, popup" (AlertRecord order), notice queries "id, time, title,
// stars, body, channel, popup".
protocol::AlertRecord alertFrom(const SqliteStatement& row) {
    protocol::AlertRecord alert;
    alert.id = std::to_string(row.integer(0));
    alert.time = row.text(1);
    alert.code = platform::gbkFromUtf8(row.text(2));
    alert.name = platform::gbkFromUtf8(row.text(3));
    alert.operation = platform::gbkFromUtf8(row.text(4));
    alert.buy = platform::gbkFromUtf8(row.text(5));
    alert.sell = platform::gbkFromUtf8(row.text(6));
    alert.remark = platform::gbkFromUtf8(row.text(7));
    alert.audience = std::to_string(row.integer(8));
    alert.popup = row.integer(9) != 0 ? "1" : "0";
    return alert;
}

protocol::NoticeRecord noticeFrom(const SqliteStatement& row) {
    protocol::NoticeRecord notice;
    notice.id = std::to_string(row.integer(0));
    notice.time = row.text(1);
    notice.title = platform::gbkFromUtf8(row.text(2));
    notice.stars = std::to_string(row.integer(3));
    notice.body = platform::gbkFromUtf8(row.text(4));
    notice.channel = std::to_string(row.integer(5));
    notice.popup = row.integer(6) != 0 ? "1" : "0";
    return notice;
}

// Binds an alert row from parameter `first` on: time, code, name, operation,
// buy, sell, remark, audience, popup.
void bindAlert(SqliteStatement& statement, const AlertRow& row, int first) {
    int index = first;
    for (const std::string* text :
         {&row.time, &row.code, &row.name, &row.operation, &row.buy, &row.sell, &row.remark}) {
        statement.bind(index++, *text);
    }
    statement.bind(index++, row.audience);
    statement.bind(index, row.popup);
}

// Binds a notice row from parameter `first` on: time, title, stars, body,
// channel, popup.
void bindNotice(SqliteStatement& statement, const NoticeRow& row, int first) {
    statement.bind(first, row.time);
    statement.bind(first + 1, row.title);
    statement.bind(first + 2, row.stars);
    statement.bind(first + 3, row.body);
    statement.bind(first + 4, row.channel);
    statement.bind(first + 5, row.popup);
}

}  // namespace

std::vector<protocol::AlertRecord> SqliteContentStore::readAlerts(
    StatementCache::Lease& statement) {
    std::vector<protocol::AlertRecord> alerts;
    while (statement->step() == SqliteStatement::Step::Row) {
        alerts.push_back(alertFrom(*statement));
    }
    return alerts;
}

bool SqliteContentStore::databaseVersion(std::int64_t& dataVersion, std::int64_t& ownChanges) {
    auto statement = m_statements.get("PRAGMA data_version");
    if (!statement || statement->step() != SqliteStatement::Step::Row) {
        return false;
    }
    dataVersion = statement->integer(0);
    ownChanges = sqlite3_total_changes64(m_db);
    return true;
}

std::vector<protocol::AlertRecord> SqliteContentStore::latestAlerts(std::int32_t audience,
                                                                    std::int32_t count) {
    if (count <= 0) {
        return {};
    }
    count = std::min(count, kMaxListCount);
    // The version is read before the alerts: a change committed in between
    // then only costs one more reading.
    std::int64_t dataVersion = 0;
    std::int64_t ownChanges = 0;
    const bool versioned = databaseVersion(dataVersion, ownChanges);
    auto cached = std::find_if(m_latest.begin(), m_latest.end(), [audience](const auto& entry) {
        return entry.audience == audience;
    });
    if (versioned && cached != m_latest.end() && cached->count == count &&
        cached->dataVersion == dataVersion && cached->ownChanges == ownChanges) {
        return cached->alerts;
    }
    std::vector<protocol::AlertRecord> alerts;
    {
        auto statement = m_statements.get(
            "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
            " FROM alerts WHERE audience = ? ORDER BY id DESC LIMIT ?");
        if (!statement) {
            return {};
        }
        statement->bind(1, std::int64_t{audience});
        statement->bind(2, std::int64_t{count});
        alerts = readAlerts(statement);
    }
    std::reverse(alerts.begin(), alerts.end());
    if (versioned) {
        if (cached == m_latest.end()) {
            if (m_latest.size() >= kCachedAudiences) {
                m_latest.erase(m_latest.begin());
            }
            cached = m_latest.insert(m_latest.end(), CachedAlerts{});
            cached->audience = audience;
        }
        cached->count = count;
        cached->dataVersion = dataVersion;
        cached->ownChanges = ownChanges;
        cached->alerts = alerts;
    }
    return alerts;
}

std::optional<protocol::AlertRecord> SqliteContentStore::findAlert(std::string_view id) {
    const auto rowId = parseRowId(id);
    auto statement = m_statements.get(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts WHERE id = ?");
    if (!rowId || !statement) {
        return std::nullopt;
    }
    statement->bind(1, *rowId);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return alertFrom(*statement);
}

std::optional<std::int64_t> SqliteContentStore::writeRecorded(
    std::string_view sql, const std::function<void(SqliteStatement&)>& bind,
    std::optional<std::int64_t> existing, OperatorEvent::Kind kind) {
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin()) {
        return std::nullopt;
    }
    std::int64_t id = 0;
    {
        auto statement = m_statements.get(sql);
        if (!statement) {
            return std::nullopt;
        }
        bind(*statement);
        if (!statement->run() || (existing && sqlite3_changes(m_db) != 1)) {
            return std::nullopt;
        }
        id = existing ? *existing : sqlite3_last_insert_rowid(m_db);
    }
    if (!m_events.record(kind, {std::to_string(id)}) || !transaction.commit()) {
        return std::nullopt;
    }
    return id;
}

std::optional<protocol::AlertRecord> SqliteContentStore::publishAlert(
    const protocol::AlertRecord& draft) {
    const auto row = alertRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id = writeRecorded(
        "INSERT INTO alerts(time, code, name, operation, buy, sell, remark, audience, popup) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](SqliteStatement& insert) { bindAlert(insert, *row, 1); }, std::nullopt,
        OperatorEvent::Kind::AlertPublished);
    return id ? findAlert(std::to_string(*id)) : std::nullopt;
}

bool SqliteContentStore::updateAlert(const protocol::AlertRecord& alert) {
    const auto rowId = parseRowId(alert.id);
    const auto row = alertRow(alert);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded(
               "UPDATE alerts SET time = ?, code = ?, name = ?, operation = ?, buy = ?, sell = ?, "
               "remark = ?, audience = ?, popup = ? WHERE id = ?",
               [&](SqliteStatement& update) {
                   bindAlert(update, *row, 1);
                   update.bind(10, *rowId);
               },
               *rowId, OperatorEvent::Kind::AlertUpdated)
        .has_value();
}

bool SqliteContentStore::removeAlerts(const std::vector<std::string>& ids) {
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin()) {
        return false;
    }
    std::vector<std::string> removed;
    for (const auto& id : ids) {
        const auto rowId = parseRowId(id);
        auto remove = m_statements.get("DELETE FROM alerts WHERE id = ?");
        if (!remove) {
            return false;
        }
        if (!rowId) {
            continue;
        }
        remove->bind(1, *rowId);
        if (!remove->run()) {
            return false;
        }
        if (sqlite3_changes(m_db) == 1) {
            removed.push_back(std::to_string(*rowId));
        }
    }
    // Only the alerts that were there are announced; nothing removed is a
    // failure the operator should hear of.
    return !removed.empty() && m_events.record(OperatorEvent::Kind::AlertsRemoved, removed) &&
           transaction.commit();
}

std::vector<protocol::AlertRecord> SqliteContentStore::listAlerts(std::int32_t count) {
    auto statement = m_statements.get(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts ORDER BY id DESC LIMIT ?");
    if (!statement || count <= 0) {
        return {};
    }
    statement->bind(1, std::int64_t{std::min(count, kMaxListCount)});
    return readAlerts(statement);
}

std::optional<protocol::NoticeRecord> SqliteContentStore::findNotice(std::string_view id) {
    const auto rowId = parseRowId(id);
    auto statement = m_statements.get(
        "SELECT id, time, title, stars, body, channel, popup"
        " FROM notices WHERE id = ?");
    if (!rowId || !statement) {
        return std::nullopt;
    }
    statement->bind(1, *rowId);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return noticeFrom(*statement);
}

std::optional<protocol::NoticeRecord> SqliteContentStore::publishNotice(
    const protocol::NoticeRecord& draft) {
    const auto row = noticeRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id = writeRecorded(
        "INSERT INTO notices(time, title, stars, body, channel, popup) VALUES (?, ?, ?, ?, ?, ?)",
        [&](SqliteStatement& insert) { bindNotice(insert, *row, 1); }, std::nullopt,
        OperatorEvent::Kind::NoticePublished);
    return id ? findNotice(std::to_string(*id)) : std::nullopt;
}

bool SqliteContentStore::updateNotice(const protocol::NoticeRecord& notice) {
    const auto rowId = parseRowId(notice.id);
    const auto row = noticeRow(notice);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded(
               "UPDATE notices SET time = ?, title = ?, stars = ?, body = ?, channel = ?, "
               "popup = ? WHERE id = ?",
               [&](SqliteStatement& update) {
                   bindNotice(update, *row, 1);
                   update.bind(7, *rowId);
               },
               *rowId, OperatorEvent::Kind::NoticeUpdated)
        .has_value();
}

bool SqliteContentStore::removeNotices(const std::vector<std::string>& ids,
                                       std::string_view channel) {
    const auto channelNo = channelNumber(channel);
    if (!channelNo) {
        return false;
    }
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin()) {
        return false;
    }
    std::vector<std::string> removed;
    for (const auto& id : ids) {
        const auto rowId = parseRowId(id);
        // The message names one channel for all ids, so only notices of that
        // channel are removed.
        auto remove = m_statements.get("DELETE FROM notices WHERE id = ? AND channel = ?");
        if (!remove) {
            return false;
        }
        if (!rowId) {
            continue;
        }
        remove->bind(1, *rowId);
        remove->bind(2, *channelNo);
        if (!remove->run()) {
            return false;
        }
        if (sqlite3_changes(m_db) == 1) {
            removed.push_back(std::to_string(*rowId));
        }
    }
    return !removed.empty() &&
           m_events.record(OperatorEvent::Kind::NoticesRemoved, removed,
                           std::to_string(*channelNo)) &&
           transaction.commit();
}

}  // namespace lanzhou::server
