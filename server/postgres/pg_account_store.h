#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/storage.h"

namespace lanzhou::server {

class PgConnection;

// The accounts and recharge cards of a PostgreSQL database, by the same rules
// as SqliteAccountStore. Several servers may use the database at once: the
// checks of a registration or a recharge hold until it commits.
class PgAccountStore final {
public:
    explicit PgAccountStore(PgConnection& connection) : m_connection(connection) {}

    std::optional<AccountRecord> find(std::string_view name);
    RegisterResult registerAccount(const AccountRecord& account, bool onePerComputer);
    RechargeResult recharge(std::string_view account, std::string_view password,
                            std::string_view card, const protocol::DateTime& now);
    ChangeResult changePassword(std::string_view account, std::string_view qq,
                                std::string_view phone, std::string_view newPassword);
    std::optional<std::string> retrievePassword(std::string_view account, std::string_view qq,
                                                std::string_view phone);

    [[nodiscard]] bool add(const AccountRecord& account);
    [[nodiscard]] bool update(const AccountRecord& account);
    std::vector<AccountRecord> list();
    [[nodiscard]] bool addCard(const CardRecord& card);
    std::vector<CardRecord> listCards();

private:
    PgConnection& m_connection;
};

}  // namespace lanzhou::server
