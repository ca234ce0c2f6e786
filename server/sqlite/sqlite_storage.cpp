#include "server/sqlite/sqlite_storage.h"

#include <sqlite3.h>

#include <system_error>

#include "server/sqlite/sqlite_schema.h"
#include "server/sqlite/sqlite_transaction.h"

namespace lanzhou::server {
namespace {

// The path as SQLite wants it on every system: UTF-8.
std::string utf8Path(const std::filesystem::path& file) {
    const std::u8string text = file.u8string();
    return std::string(text.begin(), text.end());
}

// A new database file is made private at once, before anything is written
// into it, because it holds the members' passwords. SQLite gives its -wal and
// -shm files the mode of the database file.
bool makePrivate(const std::filesystem::path& file, std::string& error) {
    std::error_code code;
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
        std::filesystem::perm_options::replace, code);
    if (code) {
        error = "cannot make " + utf8Path(file) + " private: " + code.message();
        return false;
    }
    return true;
}

}  // namespace

Result<std::unique_ptr<Storage>> openSqliteStorage(const std::filesystem::path& file) {
    const std::string path = utf8Path(file);
    std::error_code code;
    const bool existed = std::filesystem::exists(file, code);
    sqlite3* db = nullptr;
    const int opened =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (opened != SQLITE_OK) {
        std::string error =
            path + ": " + (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(opened));
        sqlite3_close_v2(db);
        return fail(std::move(error));
    }
    std::string error;
    if ((!existed && !makePrivate(file, error)) || !prepareSqliteDatabase(db, error)) {
        sqlite3_close_v2(db);
        return fail(path + ": " + error);
    }
    return std::unique_ptr<Storage>(std::make_unique<SqliteStorage>(db));
}

SqliteStorage::SqliteStorage(sqlite3* db)
    : m_db(db),
      m_statements(db),
      m_events(m_statements),
      m_accounts(db, m_statements),
      m_content(db, m_statements, m_events) {}

SqliteStorage::~SqliteStorage() {
    m_statements.clear();
    sqlite3_close_v2(m_db);
}

std::optional<AccountRecord> SqliteStorage::findAccount(std::string_view name) {
    return m_accounts.find(name);
}

RegisterResult SqliteStorage::registerAccount(const AccountRecord& account, bool onePerComputer) {
    return m_accounts.registerAccount(account, onePerComputer);
}

RechargeResult SqliteStorage::recharge(std::string_view account, std::string_view password,
                                       std::string_view card, const protocol::DateTime& now) {
    return m_accounts.recharge(account, password, card, now);
}

ChangeResult SqliteStorage::changePassword(std::string_view account, std::string_view qq,
                                           std::string_view phone, std::string_view newPassword) {
    return m_accounts.changePassword(account, qq, phone, newPassword);
}

std::optional<std::string> SqliteStorage::retrievePassword(std::string_view account,
                                                           std::string_view qq,
                                                           std::string_view phone) {
    return m_accounts.retrievePassword(account, qq, phone);
}

std::vector<protocol::AlertRecord> SqliteStorage::latestAlerts(std::int32_t audience,
                                                               std::int32_t count) {
    return m_content.latestAlerts(audience, count);
}

std::optional<protocol::AlertRecord> SqliteStorage::findAlert(std::string_view id) {
    return m_content.findAlert(id);
}

std::optional<protocol::NoticeRecord> SqliteStorage::findNotice(std::string_view id) {
    return m_content.findNotice(id);
}

bool SqliteStorage::addAccount(const AccountRecord& account) {
    return m_accounts.add(account);
}

bool SqliteStorage::updateAccount(const AccountRecord& account) {
    return m_accounts.update(account);
}

std::vector<AccountRecord> SqliteStorage::listAccounts() {
    return m_accounts.list();
}

bool SqliteStorage::addCard(const CardRecord& card) {
    return m_accounts.addCard(card);
}

std::vector<CardRecord> SqliteStorage::listCards() {
    return m_accounts.listCards();
}

std::optional<protocol::AlertRecord> SqliteStorage::publishAlert(protocol::AlertRecord draft) {
    return m_content.publishAlert(draft);
}

bool SqliteStorage::updateAlert(const protocol::AlertRecord& alert) {
    return m_content.updateAlert(alert);
}

bool SqliteStorage::removeAlerts(const std::vector<std::string>& ids) {
    return m_content.removeAlerts(ids);
}

std::vector<protocol::AlertRecord> SqliteStorage::listAlerts(std::int32_t count) {
    return m_content.listAlerts(count);
}

std::optional<protocol::NoticeRecord> SqliteStorage::publishNotice(protocol::NoticeRecord draft) {
    return m_content.publishNotice(draft);
}

bool SqliteStorage::updateNotice(const protocol::NoticeRecord& notice) {
    return m_content.updateNotice(notice);
}

bool SqliteStorage::removeNotices(const std::vector<std::string>& ids, std::string_view channel) {
    return m_content.removeNotices(ids, channel);
}

bool SqliteStorage::kick(std::string_view account) {
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin() || !m_accounts.find(account)) {
        return false;
    }
    return m_events.record(OperatorEvent::Kind::Kick, {std::string(account)}) &&
           transaction.commit();
}

std::vector<OperatorEvent> SqliteStorage::eventsAfter(std::int64_t sequence) {
    return m_events.after(sequence);
}

std::int64_t SqliteStorage::lastEventSequence() {
    return m_events.last();
}

std::optional<std::int64_t> SqliteStorage::recordLogin(std::string_view account) {
    SqliteTransaction transaction(m_statements);
    if (!transaction.begin() ||
        !m_events.record(OperatorEvent::Kind::LoggedIn, {std::string(account)})) {
        return std::nullopt;
    }
    // The transaction writes alone, so the newest event is this one.
    const std::int64_t sequence = m_events.last();
    if (sequence <= 0 || !transaction.commit()) {
        return std::nullopt;
    }
    return sequence;
}

}  // namespace lanzhou::server
