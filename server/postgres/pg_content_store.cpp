#include "server/postgres/pg_content_store.h"

#include <algorithm>
#include <utility>

#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_transaction.h"
#include "server/storage/record_columns.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

// Upper bound of one list, whatever count is asked for.
constexpr std::int32_t kMaxListCount = 100000;

// One row of a result, read by column.
struct PgRow {
    const PgResult& rows;
    int row;

    std::string text(int column) const { return rows.text(row, column); }
    std::int64_t integer(int column) const { return rows.integer(row, column); }
};

std::vector<protocol::AlertRecord> alertsFrom(const PgResult& rows) {
    std::vector<protocol::AlertRecord> alerts;
    alerts.reserve(static_cast<std::size_t>(rows.rows()));
    for (int row = 0; row < rows.rows(); ++row) {
        alerts.push_back(alertFrom(PgRow{rows, row}));
    }
    return alerts;
}

// The id an INSERT ... RETURNING id gave its one row.
std::optional<std::int64_t> insertedId(const PgResult& result) {
    if (!result.ok() || result.rows() != 1) {
        return std::nullopt;
    }
    return result.integer(0, 0);
}

// Whether a DELETE of one id found its row; nothing when it failed.
std::optional<bool> wasDeleted(const PgResult& result) {
    return result.ok() ? std::optional<bool>(result.changed() == 1) : std::nullopt;
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

bool PgContentStore::inTransaction(const std::function<bool()>& work) {
    PgTransaction transaction(m_connection);
    return transaction.begin() && work() && transaction.commit();
}

bool PgContentStore::record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                            std::string_view channel) {
    return m_events.record(kind, subjects, channel);
}

std::optional<protocol::AlertRecord> PgContentStore::selectAlert(std::int64_t id) {
    const PgResult rows = m_connection.run(
        "SELECT id, time, code, name, operation, buy, sell, remark, audience, popup"
        " FROM alerts WHERE id = $1::bigint",
        {std::to_string(id)});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return alertFrom(PgRow{rows, 0});
}

std::optional<std::int64_t> PgContentStore::insertAlert(const AlertRow& row) {
    const PgResult inserted = m_connection.run(
        "INSERT INTO alerts(time, code, name, operation, buy, sell, remark, audience, popup) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8::integer, $9::integer) RETURNING id",
        {row.time, row.code, row.name, row.operation, row.buy, row.sell, row.remark,
         std::to_string(row.audience), std::to_string(row.popup)});
    return insertedId(inserted);
}

bool PgContentStore::rewriteAlert(std::int64_t id, const AlertRow& row) {
    const PgResult updated = m_connection.run(
        "UPDATE alerts SET time = $1, code = $2, name = $3, operation = $4, buy = $5, "
        "sell = $6, remark = $7, audience = $8::integer, popup = $9::integer "
        "WHERE id = $10::bigint",
        {row.time, row.code, row.name, row.operation, row.buy, row.sell, row.remark,
         std::to_string(row.audience), std::to_string(row.popup), std::to_string(id)});
    return updated.ok() && updated.changed() == 1;
}

std::optional<bool> PgContentStore::deleteAlert(std::int64_t id) {
    return wasDeleted(
        m_connection.run("DELETE FROM alerts WHERE id = $1::bigint", {std::to_string(id)}));
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

std::optional<protocol::NoticeRecord> PgContentStore::selectNotice(std::int64_t id) {
    const PgResult rows = m_connection.run(
        "SELECT id, time, title, stars, body, channel, popup FROM notices WHERE id = $1::bigint",
        {std::to_string(id)});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return noticeFrom(PgRow{rows, 0});
}

std::optional<std::int64_t> PgContentStore::insertNotice(const NoticeRow& row) {
    const PgResult inserted = m_connection.run(
        "INSERT INTO notices(time, title, stars, body, channel, popup) "
        "VALUES ($1, $2, $3::integer, $4, $5::integer, $6::integer) RETURNING id",
        {row.time, row.title, std::to_string(row.stars), row.body, std::to_string(row.channel),
         std::to_string(row.popup)});
    return insertedId(inserted);
}

bool PgContentStore::rewriteNotice(std::int64_t id, const NoticeRow& row) {
    const PgResult updated = m_connection.run(
        "UPDATE notices SET time = $1, title = $2, stars = $3::integer, body = $4, "
        "channel = $5::integer, popup = $6::integer WHERE id = $7::bigint",
        {row.time, row.title, std::to_string(row.stars), row.body, std::to_string(row.channel),
         std::to_string(row.popup), std::to_string(id)});
    return updated.ok() && updated.changed() == 1;
}

std::optional<bool> PgContentStore::deleteNotice(std::int64_t id, std::int64_t channel) {
    return wasDeleted(
        m_connection.run("DELETE FROM notices WHERE id = $1::bigint AND channel = $2::integer",
                         {std::to_string(id), std::to_string(channel)}));
}

}  // namespace lanzhou::server
