#include "server/storage/content_store.h"

namespace lanzhou::server {

std::optional<std::int64_t> ContentStore::writeRecorded(
    const std::function<std::optional<std::int64_t>()>& write, OperatorEvent::Kind kind) {
    std::optional<std::int64_t> id;
    const bool committed = inTransaction([&] {
        id = write();
        return id && record(kind, {std::to_string(*id)}, {});
    });
    return committed ? id : std::nullopt;
}

bool ContentStore::removeRecorded(const std::vector<std::string>& ids,
                                  const std::function<std::optional<bool>(std::int64_t)>& remove,
                                  OperatorEvent::Kind kind, std::string_view channel) {
    return inTransaction([&] {
        std::vector<std::string> removed;
        for (const auto& id : ids) {
            const auto rowId = parseRowId(id);
            if (!rowId) {
                continue;
            }
            const auto wasThere = remove(*rowId);
            if (!wasThere) {
                return false;
            }
            if (*wasThere) {
                removed.push_back(std::to_string(*rowId));
            }
        }
        return !removed.empty() && record(kind, removed, channel);
    });
}

std::optional<protocol::AlertRecord> ContentStore::findAlert(std::string_view id) {
    const auto rowId = parseRowId(id);
    return rowId ? selectAlert(*rowId) : std::nullopt;
}

std::optional<protocol::AlertRecord> ContentStore::publishAlert(
    const protocol::AlertRecord& draft) {
    const auto row = alertRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id =
        writeRecorded([&] { return insertAlert(*row); }, OperatorEvent::Kind::AlertPublished);
    return id ? selectAlert(*id) : std::nullopt;
}

bool ContentStore::updateAlert(const protocol::AlertRecord& alert) {
    const auto rowId = parseRowId(alert.id);
    const auto row = alertRow(alert);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded([&] { return rewriteAlert(*rowId, *row) ? rowId : std::nullopt; },
                         OperatorEvent::Kind::AlertUpdated)
        .has_value();
}

bool ContentStore::removeAlerts(const std::vector<std::string>& ids) {
    return removeRecorded(ids, [&](std::int64_t id) { return deleteAlert(id); },
                          OperatorEvent::Kind::AlertsRemoved, {});
}

std::optional<protocol::NoticeRecord> ContentStore::findNotice(std::string_view id) {
    const auto rowId = parseRowId(id);
    return rowId ? selectNotice(*rowId) : std::nullopt;
}

std::optional<protocol::NoticeRecord> ContentStore::publishNotice(
    const protocol::NoticeRecord& draft) {
    const auto row = noticeRow(draft);
    if (!row) {
        return std::nullopt;
    }
    const auto id =
        writeRecorded([&] { return insertNotice(*row); }, OperatorEvent::Kind::NoticePublished);
    return id ? selectNotice(*id) : std::nullopt;
}

bool ContentStore::updateNotice(const protocol::NoticeRecord& notice) {
    const auto rowId = parseRowId(notice.id);
    const auto row = noticeRow(notice);
    if (!rowId || !row) {
        return false;
    }
    return writeRecorded([&] { return rewriteNotice(*rowId, *row) ? rowId : std::nullopt; },
                         OperatorEvent::Kind::NoticeUpdated)
        .has_value();
}

bool ContentStore::removeNotices(const std::vector<std::string>& ids, std::string_view channel) {
    const auto channelNo = channelNumber(channel);
    if (!channelNo) {
        return false;
    }
    // The message names one channel for all ids, so only notices of that
    // channel are removed.
    return removeRecorded(
        ids, [&](std::int64_t id) { return deleteNotice(id, *channelNo); },
        OperatorEvent::Kind::NoticesRemoved, std::to_string(*channelNo));
}

}  // namespace lanzhou::server
