#include "server/postgres/pg_storage.h"

#include <utility>

#include "server/postgres/pg_transaction.h"

namespace lanzhou::server {

PostgresStorage::PostgresStorage(std::unique_ptr<PgConnection> connection,
                                 PgEventSignal::Connect connect)
    : m_connection(std::move(connection)),
      m_connect(std::move(connect)),
      m_events(*m_connection),
      m_accounts(*m_connection),
      m_content(*m_connection, m_events) {}

std::optional<AccountRecord> PostgresStorage::findAccount(std::string_view name) {
    return m_accounts.find(name);
}

RegisterResult PostgresStorage::registerAccount(const AccountRecord& account, bool onePerComputer) {
    return m_accounts.registerAccount(account, onePerComputer);
}

RechargeResult PostgresStorage::recharge(std::string_view account, std::string_view password,
                                         std::string_view card, const protocol::DateTime& now) {
    return m_accounts.recharge(account, password, card, now);
}

ChangeResult PostgresStorage::changePassword(std::string_view account, std::string_view qq,
                                             std::string_view phone, std::string_view newPassword) {
    return m_accounts.changePassword(account, qq, phone, newPassword);
}

std::optional<std::string> PostgresStorage::retrievePassword(std::string_view account,
                                                             std::string_view qq,
                                                             std::string_view phone) {
    return m_accounts.retrievePassword(account, qq, phone);
}

std::vector<protocol::AlertRecord> PostgresStorage::latestAlerts(std::int32_t audience,
                                                                 std::int32_t count) {
    return m_content.latestAlerts(audience, count);
}

std::optional<protocol::AlertRecord> PostgresStorage::findAlert(std::string_view id) {
    return m_content.findAlert(id);
}

std::optional<protocol::NoticeRecord> PostgresStorage::findNotice(std::string_view id) {
    return m_content.findNotice(id);
}

bool PostgresStorage::addAccount(const AccountRecord& account) {
    return m_accounts.add(account);
}

bool PostgresStorage::updateAccount(const AccountRecord& account) {
    return m_accounts.update(account);
}

std::vector<AccountRecord> PostgresStorage::listAccounts() {
    return m_accounts.list();
}

bool PostgresStorage::addCard(const CardRecord& card) {
    return m_accounts.addCard(card);
}

std::vector<CardRecord> PostgresStorage::listCards() {
    return m_accounts.listCards();
}

std::optional<protocol::AlertRecord> PostgresStorage::publishAlert(protocol::AlertRecord draft) {
    return m_content.publishAlert(draft);
}

bool PostgresStorage::updateAlert(const protocol::AlertRecord& alert) {
    return m_content.updateAlert(alert);
}

bool PostgresStorage::removeAlerts(const std::vector<std::string>& ids) {
    return m_content.removeAlerts(ids);
}

std::vector<protocol::AlertRecord> PostgresStorage::listAlerts(std::int32_t count) {
    return m_content.listAlerts(count);
}

std::optional<protocol::NoticeRecord> PostgresStorage::publishNotice(protocol::NoticeRecord draft) {
    return m_content.publishNotice(draft);
}

bool PostgresStorage::updateNotice(const protocol::NoticeRecord& notice) {
    return m_content.updateNotice(notice);
}

bool PostgresStorage::removeNotices(const std::vector<std::string>& ids, std::string_view channel) {
    return m_content.removeNotices(ids, channel);
}

bool PostgresStorage::kick(std::string_view account) {
    PgTransaction transaction(*m_connection);
    if (!transaction.begin() || !m_accounts.find(account)) {
        return false;
    }
    return m_events.record(OperatorEvent::Kind::Kick, {std::string(account)}) &&
           transaction.commit();
}

std::vector<OperatorEvent> PostgresStorage::eventsAfter(std::int64_t sequence) {
    return m_events.after(sequence);
}

std::int64_t PostgresStorage::lastEventSequence() {
    return m_events.last();
}

std::optional<std::int64_t> PostgresStorage::recordLogin(std::string_view account) {
    PgTransaction transaction(*m_connection);
    if (!transaction.begin() ||
        !m_events.record(OperatorEvent::Kind::LoggedIn, {std::string(account)})) {
        return std::nullopt;
    }
    // Writers take turns, so the newest event is this one.
    const std::int64_t sequence = m_events.last();
    if (sequence <= 0 || !transaction.commit()) {
        return std::nullopt;
    }
    return sequence;
}

std::unique_ptr<EventSignal> PostgresStorage::eventSignal() {
    return std::make_unique<PgEventSignal>(m_connect);
}

}  // namespace lanzhou::server
