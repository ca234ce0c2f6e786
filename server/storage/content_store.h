#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_catalogue.h"
#include "server/storage/storage.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {

// The alerts and notices of a database, by the same rules whatever the
// database: a record is checked before anything is written, every change is
// one transaction together with the event that tells the running server of
// it, a published record is read back with the id the database gave it, and
// only the rows that were there are announced as removed. Ids are the integer
// row ids as decimal text. A database supplies the statements below.
class ContentStore {
public:
    virtual ~ContentStore() = default;

    ContentStore(const ContentStore&) = delete;
    ContentStore& operator=(const ContentStore&) = delete;

    std::optional<protocol::AlertRecord> findAlert(std::string_view id);
    [[nodiscard]] std::optional<protocol::AlertRecord> publishAlert(
        const protocol::AlertRecord& draft);
    [[nodiscard]] bool updateAlert(const protocol::AlertRecord& alert);
    [[nodiscard]] bool removeAlerts(const std::vector<std::string>& ids);

    std::optional<protocol::NoticeRecord> findNotice(std::string_view id);
    [[nodiscard]] std::optional<protocol::NoticeRecord> publishNotice(
        const protocol::NoticeRecord& draft);
    [[nodiscard]] bool updateNotice(const protocol::NoticeRecord& notice);
    [[nodiscard]] bool removeNotices(const std::vector<std::string>& ids, std::string_view channel);

protected:
    ContentStore() = default;

    // Runs `work` in one transaction, committed when it returns true and
    // rolled back otherwise; true when it was committed.
    [[nodiscard]] virtual bool inTransaction(const std::function<bool()>& work) = 0;
    // Records what changed, inside the transaction of the change.
    [[nodiscard]] virtual bool record(OperatorEvent::Kind kind,
                                      const std::vector<std::string>& subjects,
                                      std::string_view channel) = 0;

    // The row of `id`; nothing when there is none or it could not be read.
    virtual std::optional<protocol::AlertRecord> selectAlert(std::int64_t id) = 0;
    virtual std::optional<protocol::NoticeRecord> selectNotice(std::int64_t id) = 0;
    // Writes a new row; its id, nothing when it could not be written.
    [[nodiscard]] virtual std::optional<std::int64_t> insertAlert(const AlertRow& row) = 0;
    [[nodiscard]] virtual std::optional<std::int64_t> insertNotice(const NoticeRow& row) = 0;
    // Rewrites the row of `id`; true when exactly that row changed.
    [[nodiscard]] virtual bool rewriteAlert(std::int64_t id, const AlertRow& row) = 0;
    [[nodiscard]] virtual bool rewriteNotice(std::int64_t id, const NoticeRow& row) = 0;
    // Deletes the row of `id` (a notice only in `channel`): whether it was
    // there, nothing when the statement failed.
    [[nodiscard]] virtual std::optional<bool> deleteAlert(std::int64_t id) = 0;
    [[nodiscard]] virtual std::optional<bool> deleteNotice(std::int64_t id,
                                                           std::int64_t channel) = 0;

private:
    // Runs `write` and records `kind` for the row it names in one
    // transaction; the row's id, nothing when anything failed.
    [[nodiscard]] std::optional<std::int64_t> writeRecorded(
        const std::function<std::optional<std::int64_t>()>& write, OperatorEvent::Kind kind);
    // Deletes the rows of `ids` with `remove` and records `kind` for those
    // that were there, with `channel`, in one transaction. False when none
    // was there: nothing removed is a failure the operator should hear of.
    [[nodiscard]] bool removeRecorded(
        const std::vector<std::string>& ids,
        const std::function<std::optional<bool>(std::int64_t)>& remove, OperatorEvent::Kind kind,
        std::string_view channel);
};

}  // namespace lanzhou::server
