#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/postgres/pg_account_store.h"
#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_content_store.h"
#include "server/postgres/pg_event_log.h"
#include "server/postgres/pg_event_signal.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// Storage in a PostgreSQL database, shared by any number of servers and
// operator commands. It behaves as SqliteStorage does, with the same rules for
// texts; besides, a text holding a NUL byte is never written and never
// matches. A lost connection is made again before the next request; the
// request that found it lost fails.
class PostgresStorage final : public Storage {
public:
    // Use openStorage(); the connection's database is prepared already.
    // `connect` makes another connection to it, for the event signal.
    PostgresStorage(std::unique_ptr<PgConnection> connection, PgEventSignal::Connect connect);

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
    std::unique_ptr<EventSignal> eventSignal() override;

private:
    std::unique_ptr<PgConnection> m_connection;
    PgEventSignal::Connect m_connect;
    PgEventLog m_events;
    PgAccountStore m_accounts;
    PgContentStore m_content;
};

}  // namespace lanzhou::server
