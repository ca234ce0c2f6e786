#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/sqlite/sqlite_statement_cache.h"
#include "server/storage/storage.h"

struct sqlite3;

namespace lanzhou::server {

// The accounts and recharge cards of an SQLite database (the part of
// SqliteStorage that the members' account requests use). Texts are GBK here
// and UTF-8 in the database; see SqliteStorage for the rules.
class SqliteAccountStore final {
public:
    SqliteAccountStore(sqlite3* db, StatementCache& statements)
        : m_db(db), m_statements(statements) {}

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
    bool changeCount(int expected) const;

    sqlite3* m_db;
    StatementCache& m_statements;
};

}  // namespace lanzhou::server
