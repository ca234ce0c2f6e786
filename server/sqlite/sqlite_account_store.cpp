#include "server/sqlite/sqlite_account_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "platform/gbk.h"
#include "server/sqlite/sqlite_transaction.h"
#include "server/storage/storage_fields.h"

namespace lanzhou::server {
namespace {

using protocol::DateTime;

constexpr std::string_view kNow = "strftime('%Y-%m-%d %H:%M:%S','now','localtime')";

// An account from a row of "SELECT name, password, qq, phone, adapter, user_type, expiry".
AccountRecord accountFrom(const SqliteStatement& row) {
    AccountRecord account;
    account.name = platform::gbkFromUtf8(row.text(0));
    account.password = platform::gbkFromUtf8(row.text(1));
    account.qq = platform::gbkFromUtf8(row.text(2));
    account.phone = platform::gbkFromUtf8(row.text(3));
    account.adapter = platform::gbkFromUtf8(row.text(4));
    account.userType = static_cast<std::int32_t>(row.integer(5));
    account.expiry = protocol::parseDateTime(row.text(6));
    return account;
}

}  // namespace

bool SqliteAccountStore::changeCount(int expected) const {
    return sqlite3_changes(m_db) == expected;
}

// ------------------------------------------------------------ accounts

std::optional<AccountRecord> SqliteAccountStore::find(std::string_view name) {
    const auto key = exactUtf8(name);
    auto statement = m_statements.get(
        "SELECT name, password, qq, phone, adapter, user_type, expiry FROM accounts "
        "WHERE name = ?");
    if (!key || !statement) {
        return std::nullopt;
    }
    statement->bind(1, *key);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return accountFrom(*statement);
}

bool SqliteAccountStore::add(const AccountRecord& account) {
    const auto row = accountRow(account);
    static const std::string sql =
        "INSERT OR IGNORE INTO accounts(name, password, qq, phone, adapter, user_type, expiry, "
        "created) VALUES (?, ?, ?, ?, ?, ?, ?, " +
        std::string(kNow) + ")";
    auto statement = m_statements.get(sql);
    if (!row || !statement) {
        return false;
    }
    statement->bind(1, row->name);
    statement->bind(2, row->password);
    statement->bind(3, row->qq);
    statement->bind(4, row->phone);
    statement->bind(5, row->adapter);
    statement->bind(6, std::int64_t{account.userType});
    statement->bind(7, row->expiry);
    return statement->run() && changeCount(1);
}

RegisterResult SqliteAccountStore::registerAccount(const AccountRecord& account,
                                                   bool onePerComputer) {
    AccountRecord fresh = account;
    fresh.userType = 0;
    fresh.expiry = DateTime::null();
    const auto row = accountRow(fresh);
    if (!row) {
        return RegisterResult::Failed;
    }
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin()) {
        return RegisterResult::Failed;
    }
    {
        auto exists = m_statements.get("SELECT 1 FROM accounts WHERE name = ?");
        if (!exists) {
            return RegisterResult::Failed;
        }
        exists->bind(1, row->name);
        const auto step = exists->step();
        if (step == SqliteStatement::Step::Error) {
            return RegisterResult::Failed;
        }
        if (step == SqliteStatement::Step::Row) {
            return RegisterResult::AccountExists;
        }
    }
    if (onePerComputer && !row->adapter.empty()) {
        auto taken = m_statements.get("SELECT 1 FROM accounts WHERE adapter = ? LIMIT 1");
        if (!taken) {
            return RegisterResult::Failed;
        }
        taken->bind(1, row->adapter);
        const auto step = taken->step();
        if (step == SqliteStatement::Step::Error) {
            return RegisterResult::Failed;
        }
        if (step == SqliteStatement::Step::Row) {
            return RegisterResult::MachineTaken;
        }
    }
    if (!add(fresh) || !transaction.commit()) {
        return RegisterResult::Failed;
    }
    return RegisterResult::Registered;
}

RechargeResult SqliteAccountStore::recharge(std::string_view account, std::string_view password,
                                            std::string_view card, const DateTime& now) {
    const auto name = exactUtf8(account);
    if (!name) {
        return RechargeResult::UnknownAccount;
    }
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin()) {
        return RechargeResult::Failed;
    }
    DateTime expiry;
    {
        auto member = m_statements.get("SELECT password, expiry FROM accounts WHERE name = ?");
        if (!member) {
            return RechargeResult::Failed;
        }
        member->bind(1, *name);
        const auto step = member->step();
        if (step == SqliteStatement::Step::Error) {
            return RechargeResult::Failed;
        }
        if (step == SqliteStatement::Step::Done) {
            return RechargeResult::UnknownAccount;
        }
        if (platform::gbkFromUtf8(member->text(0)) != password) {
            return RechargeResult::WrongPassword;
        }
        expiry = protocol::parseDateTime(member->text(1));
    }
    const auto number = exactUtf8(card);
    if (!number || number->empty()) {
        return RechargeResult::BadCard;
    }
    std::int64_t days = 0;
    {
        auto found = m_statements.get("SELECT days, valid_until, used FROM cards WHERE number = ?");
        if (!found) {
            return RechargeResult::Failed;
        }
        found->bind(1, *number);
        const auto step = found->step();
        if (step == SqliteStatement::Step::Error) {
            return RechargeResult::Failed;
        }
        if (step == SqliteStatement::Step::Done || found->integer(2) != 0) {
            return RechargeResult::BadCard;
        }
        if (protocol::parseDateTime(found->text(1)) < now) {
            return RechargeResult::CardExpired;
        }
        days = found->integer(0);
    }
    const std::string nowText = protocol::formatDateTime(now);
    {
        auto use = m_statements.get(
            "UPDATE cards SET used = 1, used_by = ?, used_at = ? WHERE number = ? AND used = 0");
        if (!use) {
            return RechargeResult::Failed;
        }
        use->bind(1, *name);
        use->bind(2, nowText);
        use->bind(3, *number);
        if (!use->run()) {
            return RechargeResult::Failed;
        }
        if (!changeCount(1)) {
            return RechargeResult::BadCard;  // used by someone else meanwhile
        }
    }
    {
        auto extend =
            m_statements.get("UPDATE accounts SET user_type = 1, expiry = ? WHERE name = ?");
        if (!extend) {
            return RechargeResult::Failed;
        }
        extend->bind(1, protocol::formatDateTime(extendedExpiry(expiry, now, days)));
        extend->bind(2, *name);
        if (!extend->run() || !changeCount(1)) {
            return RechargeResult::Failed;
        }
    }
    return transaction.commit() ? RechargeResult::Recharged : RechargeResult::Failed;
}

ChangeResult SqliteAccountStore::changePassword(std::string_view account, std::string_view qq,
                                                std::string_view phone,
                                                std::string_view newPassword) {
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
    auto statement = m_statements.get(
        "UPDATE accounts SET password = ? WHERE name = ? AND qq = ? AND phone = ?");
    if (!statement) {
        return ChangeResult::Failed;
    }
    statement->bind(1, *password);
    statement->bind(2, *name);
    statement->bind(3, *qqText);
    statement->bind(4, *phoneText);
    if (!statement->run()) {
        return ChangeResult::Failed;
    }
    return changeCount(1) ? ChangeResult::Changed : ChangeResult::DataWrong;
}

std::optional<std::string> SqliteAccountStore::retrievePassword(std::string_view account,
                                                                std::string_view qq,
                                                                std::string_view phone) {
    const auto name = exactUtf8(account);
    const auto qqText = exactUtf8(qq);
    const auto phoneText = exactUtf8(phone);
    auto statement =
        m_statements.get("SELECT password FROM accounts WHERE name = ? AND qq = ? AND phone = ?");
    if (!name || !qqText || !phoneText || qqText->empty() || phoneText->empty() || !statement) {
        return std::nullopt;
    }
    statement->bind(1, *name);
    statement->bind(2, *qqText);
    statement->bind(3, *phoneText);
    if (statement->step() != SqliteStatement::Step::Row) {
        return std::nullopt;
    }
    return platform::gbkFromUtf8(statement->text(0));
}

bool SqliteAccountStore::update(const AccountRecord& account) {
    const auto row = accountRow(account);
    auto statement = m_statements.get(
        "UPDATE accounts SET password = ?, qq = ?, phone = ?, adapter = ?, user_type = ?, "
        "expiry = ? WHERE name = ?");
    if (!row || !statement) {
        return false;
    }
    statement->bind(1, row->password);
    statement->bind(2, row->qq);
    statement->bind(3, row->phone);
    statement->bind(4, row->adapter);
    statement->bind(5, std::int64_t{account.userType});
    statement->bind(6, row->expiry);
    statement->bind(7, row->name);
    return statement->run() && changeCount(1);
}

std::vector<AccountRecord> SqliteAccountStore::list() {
    std::vector<AccountRecord> accounts;
    auto statement = m_statements.get(
        "SELECT name, password, qq, phone, adapter, user_type, expiry FROM accounts "
        "ORDER BY rowid");
    if (!statement) {
        return accounts;
    }
    while (statement->step() == SqliteStatement::Step::Row) {
        accounts.push_back(accountFrom(*statement));
    }
    return accounts;
}

// --------------------------------------------------------------- cards

bool SqliteAccountStore::addCard(const CardRecord& card) {
    const auto number = exactUtf8(card.number);
    auto statement = m_statements.get(
        "INSERT OR IGNORE INTO cards(number, days, valid_until, used) VALUES (?, ?, ?, 0)");
    if (!number || number->empty() || hasSeparator(*number, true) || card.days <= 0 || !statement) {
        return false;
    }
    statement->bind(1, *number);
    statement->bind(2, std::int64_t{card.days});
    statement->bind(3, protocol::formatDateTime(card.validUntil));
    return statement->run() && changeCount(1);
}

std::vector<CardRecord> SqliteAccountStore::listCards() {
    std::vector<CardRecord> cards;
    auto statement = m_statements.get(
        "SELECT number, days, valid_until, used, used_by, used_at FROM cards ORDER BY rowid");
    if (!statement) {
        return cards;
    }
    while (statement->step() == SqliteStatement::Step::Row) {
        CardRecord card;
        card.number = platform::gbkFromUtf8(statement->text(0));
        card.days = static_cast<std::int32_t>(statement->integer(1));
        card.validUntil = protocol::parseDateTime(statement->text(2));
        card.used = statement->integer(3) != 0;
        card.usedBy = platform::gbkFromUtf8(statement->text(4));
        card.usedAt =
            statement->isNull(5) ? DateTime::null() : protocol::parseDateTime(statement->text(5));
        cards.push_back(std::move(card));
    }
    return cards;
}

}  // namespace lanzhou::server
