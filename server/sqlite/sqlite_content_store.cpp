#include "server/sqlite/sqlite_content_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "server/sqlite/sqlite_transaction.h"
#include "server/storage/record_columns.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

// Upper bound of one list, whatever count is asked for.
constexpr std::int32_t kMaxListCount = 100000;
// Audiences whose latest alerts are kept (there are two user types).
constexpr std::size_t kCachedAudiences = 4;

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

bool SqliteContentStore::inTransaction(const std::function<bool()>& work) {
    SqliteTransaction transaction(m_statements);
    return transaction.begin() && work() && transaction.commit();
}

bool SqliteContentStore::record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                                std::string_view channel) {
    return m_events.record(kind, subjects, channel);
}

std::optional<int> SqliteContentStore::changeRows(
    std::string_view sql, const std::function<void(SqliteStatement&)>& bind) {
    auto statement = m_statements.get(sql);
    if (!statement) {
        return std::nullopt;
    }
    bind(*statement);
    if (!statement->run()) {
        return std::nullopt;
    }
    return sqlite3_changes(m_db);
}

std::optional<protocol::AlertRecord> SqliteContentStore::selectAlert(std::int64_t id) {
    auto statement = m_statements.get(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts WHERE id = ?");
    if (!statement) {
        return std::nullopt;
    }
    statement->bind(1, id);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return alertFrom(*statement);
}

std::optional<std::int64_t> SqliteContentStore::insertAlert(const AlertRow& row) {
    const auto inserted = changeRows(
        "INSERT INTO alerts(time, code, name, operation, buy, sell, remark, audience, popup) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        [&](SqliteStatement& insert) { bindAlert(insert, row, 1); });
    return inserted ? std::optional<std::int64_t>(sqlite3_last_insert_rowid(m_db)) : std::nullopt;
}

bool SqliteContentStore::rewriteAlert(std::int64_t id, const AlertRow& row) {
    return changeRows(
               "UPDATE alerts SET time = ?, code = ?, name = ?, operation = ?, buy = ?, sell = ?, "
               "remark = ?, audience = ?, popup = ? WHERE id = ?",
               [&](SqliteStatement& update) {
                   bindAlert(update, row, 1);
                   update.bind(10, id);
               }) == 1;
}

std::optional<bool> SqliteContentStore::deleteAlert(std::int64_t id) {
    const auto removed = changeRows("DELETE FROM alerts WHERE id = ?",
                                    [&](SqliteStatement& remove) { remove.bind(1, id); });
    return removed ? std::optional(*removed == 1) : std::nullopt;
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

std::optional<protocol::NoticeRecord> SqliteContentStore::selectNotice(std::int64_t id) {
    auto statement = m_statements.get(
        "SELECT id, time, title, stars, body, channel, popup"
        " FROM notices WHERE id = ?");
    if (!statement) {
        return std::nullopt;
    }
    statement->bind(1, id);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return noticeFrom(*statement);
}

std::optional<std::int64_t> SqliteContentStore::insertNotice(const NoticeRow& row) {
    const auto inserted = changeRows(
        "INSERT INTO notices(time, title, stars, body, channel, popup) VALUES (?, ?, ?, ?, ?, ?)",
        [&](SqliteStatement& insert) { bindNotice(insert, row, 1); });
    return inserted ? std::optional<std::int64_t>(sqlite3_last_insert_rowid(m_db)) : std::nullopt;
}

bool SqliteContentStore::rewriteNotice(std::int64_t id, const NoticeRow& row) {
    return changeRows(
               "UPDATE notices SET time = ?, title = ?, stars = ?, body = ?, channel = ?, "
               "popup = ? WHERE id = ?",
               [&](SqliteStatement& update) {
                   bindNotice(update, row, 1);
                   update.bind(7, id);
               }) == 1;
}

std::optional<bool> SqliteContentStore::deleteNotice(std::int64_t id, std::int64_t channel) {
    const auto removed = changeRows("DELETE FROM notices WHERE id = ? AND channel = ?",
                                    [&](SqliteStatement& remove) {
                                        remove.bind(1, id);
                                        remove.bind(2, channel);
                                    });
    return removed ? std::optional(*removed == 1) : std::nullopt;
}

}  // namespace lanzhou::server
