#include "server/postgres/pg_content_store.h"

#include <algorithm>
#include <utility>

#include "platform/gbk.h"
#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_transaction.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

// Upper bound of one list, whatever count is asked for.
constexpr std::int32_t kMaxListCount = 100000;

// Alert queries select "id, time, code, name, operation, buy, sell, remark,
// audience, popup" (AlertRecord order), notice queries "id, time, title,
// stars, body, channel, popup".
protocol::AlertRecord alertFrom(const PgResult& rows, int row) {
    protocol::AlertRecord alert;
    alert.id = std::to_string(rows.integer(row, 0));
    alert.time = rows.text(row, 1);
    alert.code = platform::gbkFromUtf8(rows.text(row, 2));
    alert.name = platform::gbkFromUtf8(rows.text(row, 3));
    alert.operation = platform::gbkFromUtf8(rows.text(row, 4));
    alert.buy = platform::gbkFromUtf8(rows.text(row, 5));
    alert.sell = platform::gbkFromUtf8(rows.text(row, 6));
    alert.remark = platform::gbkFromUtf8(rows.text(row, 7));
    alert.audience = std::to_string(rows.integer(row, 8));
    alert.popup = rows.integer(row, 9) != 0 ? "1" : "0";
    return alert;
}

protocol::NoticeRecord noticeFrom(const PgResult& rows, int row) {
    protocol::NoticeRecord notice;
    notice.id = std::to_string(rows.integer(row, 0));
    notice.time = rows.text(row, 1);
    notice.title = platform::gbkFromUtf8(rows.text(row, 2));
    notice.stars = std::to_string(rows.integer(row, 3));
    notice.body = platform::gbkFromUtf8(rows.text(row, 4));
    notice.channel = std::to_string(rows.integer(row, 5));
    notice.popup = rows.integer(row, 6) != 0 ? "1" : "0";
    return notice;
}

std::vector<protocol::AlertRecord> alertsFrom(const PgResult& rows) {
    std::vector<protocol::AlertRecord> alerts;
    alerts.reserve(static_cast<std::size_t>(rows.rows()));
    for (int row = 0; row < rows.rows(); ++row) {
        alerts.push_back(alertFrom(rows, row));
    }
    return alerts;
}

}  // namespace

std::vector<protocol::AlertRecord> PgContentStore::latestAlerts(std::int32_t audience,
                                                                std::int32_t count) {
    if (count <= 0) {
        return {};
    }
    const std::string audienceText = std::to_string(audience);
    const std::string limit = std::to_string(std::min(count, kMaxListCount));
    auto alerts = alertsFrom(m_connection.run(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts WHERE audience = $1::integer ORDER BY id DESC LIMIT $2::bigint",
        {audienceText, limit}));
    std::reverse(alerts.begin(), alerts.end());
    return alerts;
}

std::optional<protocol::AlertRecord> PgContentStore::findAlert(std::string_view id) {
    const auto rowId = parseRowId(id);
    if (!rowId) {
        return std::nullopt;
    }
    const PgResult rows = m_connection.run(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts WHERE id = $1::bigint",
        {std::to_string(*rowId)});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return alertFrom(rows, 0);
}

std::optional<std::int64_t> PgContentStore::writeRecorded(
    std::string_view sql, std::initializer_list<std::string_view> params,
    std::optional<std::int64_t> existing, OperatorEvent::Kind kind) {
    PgTransaction transaction(m_connection);
    if (!transaction.begin()) {
        return std::nullopt;
    }
    std::int64_t id = 0;
    {
        const PgResult result = m_connection.run(sql, params);
        if (!result.ok() || (existing && result.changed() != 1) ||
            (!existing && result.rows() != 1)) {
            return std::nullopt;
        }
        id = existing ? *existing : result.integer(0, 0);
    }
    if (!m_events.record(kind, {std::to_string(id)}) || !transaction.commit()) {
        return std::nullopt;
    }
    return id;
}

std::optional<protocol::AlertRecord> PgContentStore::publishAlert(
    const protocol::AlertRecord& draft) {
    const auto row = alertRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id = writeRecorded(
        "INSERT INTO alerts(time, code, name, operation, buy, sell, remark, audience, popup) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8::integer, $9::integer) RETURNING id",
        {row->time, row->code, row->name, row->operation, row->buy, row->sell, row->remark,
         std::to_string(row->audience), std::to_string(row->popup)},
        std::nullopt, OperatorEvent::Kind::AlertPublished);
    return id ? findAlert(std::to_string(*id)) : std::nullopt;
}

bool PgContentStore::updateAlert(const protocol::AlertRecord& alert) {
    const auto rowId = parseRowId(alert.id);
    const auto row = alertRow(alert);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded(
               "UPDATE alerts SET time = $1, code = $2, name = $3, operation = $4, buy = $5, "
               "sell = $6, remark = $7, audience = $8::integer, popup = $9::integer "
               "WHERE id = $10::bigint",
               {row->time, row->code, row->name, row->operation, row->buy, row->sell, row->remark,
                std::to_string(row->audience), std::to_string(row->popup), std::to_string(*rowId)},
               *rowId, OperatorEvent::Kind::AlertUpdated)
        .has_value();
}

bool PgContentStore::removeRecorded(std::string_view sql, const std::vector<std::string>& ids,
                                    std::string_view extra, OperatorEvent::Kind kind,
                                    std::string_view channel) {
    PgTransaction transaction(m_connection);
    if (!transaction.begin()) {
        return false;
    }
    std::vector<std::string> removed;
    for (const auto& id : ids) {
        const auto rowId = parseRowId(id);
        if (!rowId) {
            continue;
        }
        const std::string idText = std::to_string(*rowId);
        const PgResult result = extra.empty() ? m_connection.run(sql, {idText})
                                              : m_connection.run(sql, {idText, extra});
        if (!result.ok()) {
            return false;
        }
        if (result.changed() == 1) {
            removed.push_back(idText);
        }
    }
    // Only the rows that were there are announced; nothing removed is a
    // failure the operator should hear of.
    return !removed.empty() && m_events.record(kind, removed, channel) && transaction.commit();
}

bool PgContentStore::removeAlerts(const std::vector<std::string>& ids) {
    return removeRecorded("DELETE FROM alerts WHERE id = $1::bigint", ids, {},
                          OperatorEvent::Kind::AlertsRemoved, {});
}

std::vector<protocol::AlertRecord> PgContentStore::listAlerts(std::int32_t count) {
    if (count <= 0) {
        return {};
    }
    const std::string limit = std::to_string(std::min(count, kMaxListCount));
    return alertsFrom(m_connection.run(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts ORDER BY id DESC LIMIT $1::bigint",
        {limit}));
}

std::optional<protocol::NoticeRecord> PgContentStore::findNotice(std::string_view id) {
    const auto rowId = parseRowId(id);
    if (!rowId) {
        return std::nullopt;
    }
    const PgResult rows = m_connection.run(
        "SELECT id, time, title, stars, body, channel, popup FROM notices WHERE id = $1::bigint",
        {std::to_string(*rowId)});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return noticeFrom(rows, 0);
}

std::optional<protocol::NoticeRecord> PgContentStore::publishNotice(
    const protocol::NoticeRecord& draft) {
    const auto row = noticeRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id = writeRecorded(
        "INSERT INTO notices(time, title, stars, body, channel, popup) "
        "VALUES ($1, $2, $3::integer, $4, $5::integer, $6::integer) RETURNING id",
        {row->time, row->title, std::to_string(row->stars), row->body, std::to_string(row->channel),
         std::to_string(row->popup)},
        std::nullopt, OperatorEvent::Kind::NoticePublished);
    return id ? findNotice(std::to_string(*id)) : std::nullopt;
}

bool PgContentStore::updateNotice(const protocol::NoticeRecord& notice) {
    const auto rowId = parseRowId(notice.id);
    const auto row = noticeRow(notice);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded(
               "UPDATE notices SET time = $1, title = $2, stars = $3::integer, body = $4, "
               "channel = $5::integer, popup = $6::integer WHERE id = $7::bigint",
               {row->time, row->title, std::to_string(row->stars), row->body,
                std::to_string(row->channel), std::to_string(row->popup), std::to_string(*rowId)},
               *rowId, OperatorEvent::Kind::NoticeUpdated)
        .has_value();
}

bool PgContentStore::removeNotices(const std::vector<std::string>& ids, std::string_view channel) {
    const auto channelNo = channelNumber(channel);
    if (!channelNo) {
        return false;
    }
    // The message names one channel for all ids, so only notices of that
    // channel are removed.
    const std::string channelText = std::to_string(*channelNo);
    return removeRecorded("DELETE FROM notices WHERE id = $1::bigint AND channel = $2::integer",
                          ids, channelText, OperatorEvent::Kind::NoticesRemoved, channelText);
}

}  // namespace lanzhou::server
