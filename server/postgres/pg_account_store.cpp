#include "server/postgres/pg_account_store.h"

#include <utility>

#include "platform/gbk.h"
#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_transaction.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

using protocol::DateTime;

// An account from a row of "SELECT name, password, qq, phone, adapter, user_type, expiry".
AccountRecord accountFrom(const PgResult& rows, int row) {
    AccountRecord account;
    account.name = platform::gbkFromUtf8(rows.text(row, 0));
    account.password = platform::gbkFromUtf8(rows.text(row, 1));
    account.qq = platform::gbkFromUtf8(rows.text(row, 2));
    account.phone = platform::gbkFromUtf8(rows.text(row, 3));
    account.adapter = platform::gbkFromUtf8(rows.text(row, 4));
    account.userType = static_cast<std::int32_t>(rows.integer(row, 5));
    account.expiry = protocol::parseDateTime(rows.text(row, 6));
    return account;
}

// Inserts the account unless the name exists: the rows inserted (0 or 1),
// or -1 when the statement failed.
std::int64_t insertAccount(PgConnection& connection, const AccountRow& row, std::int32_t type) {
    const PgResult result = connection.run(
        "INSERT INTO accounts(name, password, qq, phone, adapter, user_type, expiry, created) "
        "VALUES ($1, $2, $3, $4, $5, $6::integer, $7, "
        "to_char(localtimestamp(0), 'YYYY-MM-DD HH24:MI:SS')) ON CONFLICT (name) DO NOTHING",
        {row.name, row.password, row.qq, row.phone, row.adapter, std::to_string(type), row.expiry});
    return result.ok() ? result.changed() : -1;
}

}  // namespace

// ------------------------------------------------------------ accounts

std::optional<AccountRecord> PgAccountStore::find(std::string_view name) {
    const auto key = exactUtf8(name);
    if (!key) {
        return std::nullopt;
    }
    const PgResult rows = m_connection.run(
        "SELECT name, password, qq, phone, adapter, user_type, expiry FROM accounts "
        "WHERE name = $1",
        {*key});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return accountFrom(rows, 0);
}

bool PgAccountStore::add(const AccountRecord& account) {
    const auto row = accountRow(account);
    return row && insertAccount(m_connection, *row, account.userType) == 1;
}

RegisterResult PgAccountStore::registerAccount(const AccountRecord& account, bool onePerComputer) {
    AccountRecord fresh = account;
    fresh.userType = 0;
    fresh.expiry = DateTime::null();
    const auto row = accountRow(fresh);
    if (!row) {
        return RegisterResult::Failed;
    }
    PgTransaction transaction(m_connection);
    if (!transaction.begin()) {
        return RegisterResult::Failed;
    }
    const bool checkAdapter = onePerComputer && !row->adapter.empty();
    // Registrations from one adapter take turns until they commit, so that
    // two at once cannot both find the adapter unused; the later one then
    // makes its checks in the same order as on an idle database.
    if (checkAdapter &&
        !m_connection.run("SELECT pg_advisory_xact_lock(7294003, hashtext($1))", {row->adapter})
             .ok()) {
        return RegisterResult::Failed;
    }
    {
        const PgResult exists =
            m_connection.run("SELECT 1 FROM accounts WHERE name = $1", {row->name});
        if (!exists.ok()) {
            return RegisterResult::Failed;
        }
        if (exists.rows() > 0) {
            return RegisterResult::AccountExists;
        }
    }
    if (checkAdapter) {
        const PgResult taken =
            m_connection.run("SELECT 1 FROM accounts WHERE adapter = $1 LIMIT 1", {row->adapter});
        if (!taken.ok()) {
            return RegisterResult::Failed;
        }
        if (taken.rows() > 0) {
            return RegisterResult::MachineTaken;
        }
    }
    // A registration of the same name committed meanwhile leaves nothing to
    // insert: the name exists.
    const std::int64_t inserted = insertAccount(m_connection, *row, 0);
    if (inserted == 0) {
        return RegisterResult::AccountExists;
    }
    if (inserted != 1 || !transaction.commit()) {
        return RegisterResult::Failed;
    }
    return RegisterResult::Registered;
}

RechargeResult PgAccountStore::recharge(std::string_view account, std::string_view password,
                                        std::string_view card, const DateTime& now) {
    const auto name = exactUtf8(account);
    if (!name) {
        return RechargeResult::UnknownAccount;
    }
    PgTransaction transaction(m_connection);
    if (!transaction.begin()) {
        return RechargeResult::Failed;
    }
    DateTime expiry;
    {
        // Locked until the commit: two cards used for one account at once
        // both count.
        const PgResult member = m_connection.run(
            "SELECT password, expiry FROM accounts WHERE name = $1 FOR UPDATE", {*name});
        if (!member.ok()) {
            return RechargeResult::Failed;
        }
        if (member.rows() == 0) {
            return RechargeResult::UnknownAccount;
        }
        if (platform::gbkFromUtf8(member.text(0, 0)) != password) {
            return RechargeResult::WrongPassword;
        }
        expiry = protocol::parseDateTime(member.text(0, 1));
    }
    const auto number = exactUtf8(card);
    if (!number || number->empty()) {
        return RechargeResult::BadCard;
    }
    std::int64_t days = 0;
    {
        const PgResult found = m_connection.run(
            "SELECT days, valid_until, used FROM cards WHERE number = $1", {*number});
        if (!found.ok()) {
            return RechargeResult::Failed;
        }
        if (found.rows() == 0 || found.integer(0, 2) != 0) {
            return RechargeResult::BadCard;
        }
        if (protocol::parseDateTime(found.text(0, 1)) < now) {
            return RechargeResult::CardExpired;
        }
        days = found.integer(0, 0);
    }
    {
        // Waits for another transaction using the card and then finds it used.
        const PgResult use = m_connection.run(
            "UPDATE cards SET used = 1, used_by = $1, used_at = $2 WHERE number = $3 AND used = 0",
            {*name, protocol::formatDateTime(now), *number});
        if (!use.ok()) {
            return RechargeResult::Failed;
        }
        if (use.changed() != 1) {
            return RechargeResult::BadCard;  // used by someone else meanwhile
        }
    }
    const PgResult extend =
        m_connection.run("UPDATE accounts SET user_type = 1, expiry = $1 WHERE name = $2",
                         {protocol::formatDateTime(extendedExpiry(expiry, now, days)), *name});
    if (extend.changed() != 1) {
        return RechargeResult::Failed;
    }
    return transaction.commit() ? RechargeResult::Recharged : RechargeResult::Failed;
}

ChangeResult PgAccountStore::changePassword(std::string_view account, std::string_view qq,
                                            std::string_view phone, std::string_view newPassword) {
    const auto name = exactUtf8(account);
    const auto qqText = exactUtf8(qq);
    const auto phoneText = exactUtf8(phone);
    // Empty contacts never match: they would let anyone who knows an account
    // without contacts take it over.
    if (!name || !qqText || !phoneText || qqText->empty() || phoneText->empty()) {
        return ChangeResult::DataWrong;
    }
    const auto password = exactUtf8(newPassword);
    if (!password || password->empty() || hasSeparator(*password, false)) {
        return ChangeResult::Failed;
    }
    const PgResult result = m_connection.run(
        "UPDATE accounts SET password = $1 WHERE name = $2 AND qq = $3 AND phone = $4",
        {*password, *name, *qqText, *phoneText});
    if (!result.ok()) {
        return ChangeResult::Failed;
    }
    return result.changed() == 1 ? ChangeResult::Changed : ChangeResult::DataWrong;
}

std::optional<std::string> PgAccountStore::retrievePassword(std::string_view account,
                                                            std::string_view qq,
                                                            std::string_view phone) {
    const auto name = exactUtf8(account);
    const auto qqText = exactUtf8(qq);
    const auto phoneText = exactUtf8(phone);
    if (!name || !qqText || !phoneText || qqText->empty() || phoneText->empty()) {
        return std::nullopt;
    }
    const PgResult rows =
        m_connection.run("SELECT password FROM accounts WHERE name = $1 AND qq = $2 AND phone = $3",
                         {*name, *qqText, *phoneText});
    if (rows.rows() != 1) {
        return std::nullopt;
    }
    return platform::gbkFromUtf8(rows.text(0, 0));
}

bool PgAccountStore::update(const AccountRecord& account) {
    const auto row = accountRow(account);
    if (!row) {
        return false;
    }
    return m_connection
               .run(
                   "UPDATE accounts SET password = $1, qq = $2, phone = $3, adapter = $4, "
                   "user_type = $5::integer, expiry = $6 WHERE name = $7",
                   {row->password, row->qq, row->phone, row->adapter,
                    std::to_string(account.userType), row->expiry, row->name})
               .changed() == 1;
}

std::vector<AccountRecord> PgAccountStore::list() {
    std::vector<AccountRecord> accounts;
    const PgResult rows = m_connection.run(
        "SELECT name, password, qq, phone, adapter, user_type, expiry FROM accounts "
        "ORDER BY serial");
    for (int row = 0; row < rows.rows(); ++row) {
        accounts.push_back(accountFrom(rows, row));
    }
    return accounts;
}

// --------------------------------------------------------------- cards

bool PgAccountStore::addCard(const CardRecord& card) {
    const auto number = exactUtf8(card.number);
    if (!number || number->empty() || hasSeparator(*number, true) || card.days <= 0) {
        return false;
    }
    return m_connection
               .run(
                   "INSERT INTO cards(number, days, valid_until, used) "
                   "VALUES ($1, $2::integer, $3, 0) ON CONFLICT (number) DO NOTHING",
                   {*number, std::to_string(card.days), protocol::formatDateTime(card.validUntil)})
               .changed() == 1;
}

std::vector<CardRecord> PgAccountStore::listCards() {
    std::vector<CardRecord> cards;
    const PgResult rows = m_connection.run(
        "SELECT number, days, valid_until, used, used_by, used_at FROM cards ORDER BY serial");
    for (int row = 0; row < rows.rows(); ++row) {
        CardRecord card;
        card.number = platform::gbkFromUtf8(rows.text(row, 0));
        card.days = static_cast<std::int32_t>(rows.integer(row, 1));
        card.validUntil = protocol::parseDateTime(rows.text(row, 2));
        card.used = rows.integer(row, 3) != 0;
        card.usedBy = platform::gbkFromUtf8(rows.text(row, 4));
        card.usedAt =
            rows.isNull(row, 5) ? DateTime::null() : protocol::parseDateTime(rows.text(row, 5));
        cards.push_back(std::move(card));
    }
    return cards;
}

}  // namespace lanzhou::server
