#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "server/sqlite/sqlite_account_store.h"
#include "server/sqlite/sqlite_content_store.h"
#include "server/sqlite/sqlite_event_log.h"
#include "server/sqlite/sqlite_statement_cache.h"
#include "server/storage/storage.h"

struct sqlite3;

namespace lanzhou::server {

// Storage in one SQLite database file (WAL mode, so that the server and the
// operator commands can use it at once). Texts are kept as UTF-8 and cross
// the interface as GBK; a text that does not convert exactly (bytes that are
// not GBK) is never written and never matches. Values that contain a message
// separator ("|", and in alerts and notices "☆" and "々") are refused.
//
// Besides the interface's rules: a password is retrieved or changed only when
// the given QQ and telephone are not empty; eventsAfter() returns at most
// SqliteEventLog::kBatch events per call (ask again from the last one for more).
class SqliteStorage final : public Storage {
public:
    // Use openSqliteStorage(); `db` is owned from here on.
    explicit SqliteStorage(sqlite3* db);
    ~SqliteStorage() override;

    SqliteStorage(const SqliteStorage&) = delete;
    SqliteStorage& operator=(const SqliteStorage&) = delete;

    std::optional<AccountRecord> findAccount(std::string_view name) override;
    RegisterResult registerAccount(const AccountRecord& account, bool onePerComputer) override;
    RechargeResult recharge(std::string_view account, std::string_view password,
                            std::string_view card, const protocol::DateTime& now) override;
    ChangeResult changePassword(std::string_view account, std::string_view qq,
                                std::string_view phone, std::string_view newPassword) override;
    std::optional<std::string> retrievePassword(std::string_view account, std::string_view qq,
                                                std::string_view phone) override;
    std::vector<protocol::AlertRecord> latestAlerts(std::int32_t audience,
                                                    std::int32_t count) override;
    std::optional<protocol::AlertRecord> findAlert(std::string_view id) override;
    std::optional<protocol::NoticeRecord> findNotice(std::string_view id) override;

    bool addAccount(const AccountRecord& account) override;
    bool updateAccount(const AccountRecord& account) override;
    std::vector<AccountRecord> listAccounts() override;
    bool addCard(const CardRecord& card) override;
    std::vector<CardRecord> listCards() override;
    std::optional<protocol::AlertRecord> publishAlert(protocol::AlertRecord draft) override;
    bool updateAlert(const protocol::AlertRecord& alert) override;
    bool removeAlerts(const std::vector<std::string>& ids) override;
    std::vector<protocol::AlertRecord> listAlerts(std::int32_t count) override;
    std::optional<protocol::NoticeRecord> publishNotice(protocol::NoticeRecord draft) override;
    bool updateNotice(const protocol::NoticeRecord& notice) override;
    bool removeNotices(const std::vector<std::string>& ids, std::string_view channel) override;
    bool kick(std::string_view account) override;

    std::vector<OperatorEvent> eventsAfter(std::int64_t sequence) override;
    std::int64_t lastEventSequence() override;
    std::optional<std::int64_t> recordLogin(std::string_view account) override;

private:
    sqlite3* m_db;
    StatementCache m_statements;
    SqliteEventLog m_events;
    SqliteAccountStore m_accounts;
    SqliteContentStore m_content;
};

// Opens (creating when missing) an SQLite database in WAL mode; a new file
// gets mode 0600, because it holds the members' passwords.
Result<std::unique_ptr<Storage>> openSqliteStorage(const std::filesystem::path& file);

}  // namespace lanzhou::server
