#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "protocol/date_time.h"
#include "protocol/message_catalogue.h"
#include "server/storage/event_signal.h"

namespace lanzhou::server {

// Texts cross this interface as GBK, like everything the protocol carries.

struct AccountRecord {
    std::string name;
    std::string password;  // kept retrievably: the protocol hands it back
    std::string qq;
    std::string phone;
    std::string adapter;        // adapter address sent at registration; empty when none
    std::int32_t userType = 0;  // 0 free, 1 paying
    protocol::DateTime expiry = protocol::DateTime::null();

    friend bool operator==(const AccountRecord&, const AccountRecord&) = default;
};

struct CardRecord {
    std::string number;
    std::int32_t days = 0;
    protocol::DateTime validUntil;  // the card cannot be used after this
    bool used = false;
    std::string usedBy;
    protocol::DateTime usedAt = protocol::DateTime::null();

    friend bool operator==(const CardRecord&, const CardRecord&) = default;
};

// What an operator command changed, for the running server to pass on.
// Written in the same transaction as the change; read in sequence order.
struct OperatorEvent {
    enum class Kind {
        AlertPublished,   // subjects: the alert id
        AlertUpdated,     // subjects: the alert id
        AlertsRemoved,    // subjects: the alert ids
        NoticePublished,  // subjects: the notice id
        NoticeUpdated,    // subjects: the notice id
        NoticesRemoved,   // subjects: the notice ids; channel
        Kick,             // subjects: the account
        LoggedIn,         // subjects: the account (a member's login on some server)
    };
    std::int64_t sequence = 0;
    Kind kind = Kind::AlertPublished;
    std::vector<std::string> subjects;
    std::string channel;

    friend bool operator==(const OperatorEvent&, const OperatorEvent&) = default;
};

enum class [[nodiscard]] RegisterResult{Registered, AccountExists, MachineTaken, Failed};
enum class [[nodiscard]] RechargeResult{Recharged, UnknownAccount, WrongPassword,
                                        BadCard,   CardExpired,    Failed};
enum class [[nodiscard]] ChangeResult{Changed, DataWrong, Failed};

// Accounts, recharge cards, alerts, notices and operator events. One
// implementation per database; SQLite is the default. Implementations are
// used from one thread at a time, but several processes (the server and the
// operator commands) may use the same database at once.
class Storage {
public:
    virtual ~Storage() = default;

    // ---- what the members' requests need
    virtual std::optional<AccountRecord> findAccount(std::string_view name) = 0;
    // A new free account (type 0, null expiry). MachineTaken only when
    // onePerComputer and another account was registered from the adapter.
    virtual RegisterResult registerAccount(const AccountRecord& account, bool onePerComputer) = 0;
    // Atomic: the card is used once even when two clients race for it. On
    // success the account becomes a paying member and its expiry moves to
    // max(now, expiry) + the card's days.
    virtual RechargeResult recharge(std::string_view account, std::string_view password,
                                    std::string_view card, const protocol::DateTime& now) = 0;
    // Changed when account, QQ and telephone match.
    virtual ChangeResult changePassword(std::string_view account, std::string_view qq,
                                        std::string_view phone, std::string_view newPassword) = 0;
    virtual std::optional<std::string> retrievePassword(std::string_view account,
                                                        std::string_view qq,
                                                        std::string_view phone) = 0;
    // The latest `count` alerts of the audience, oldest first.
    virtual std::vector<protocol::AlertRecord> latestAlerts(std::int32_t audience,
                                                            std::int32_t count) = 0;
    virtual std::optional<protocol::AlertRecord> findAlert(std::string_view id) = 0;
    virtual std::optional<protocol::NoticeRecord> findNotice(std::string_view id) = 0;

    // ---- operator commands (each records its OperatorEvent)
    [[nodiscard]] virtual bool addAccount(
        const AccountRecord& account) = 0;  // false when it exists
    [[nodiscard]] virtual bool updateAccount(
        const AccountRecord& account) = 0;  // false when it does not
    virtual std::vector<AccountRecord> listAccounts() = 0;
    [[nodiscard]] virtual bool addCard(const CardRecord& card) = 0;  // false when the number exists
    virtual std::vector<CardRecord> listCards() = 0;
    // The record with the id the storage gave it (the id in the draft is
    // ignored); nullopt on failure.
    [[nodiscard]] virtual std::optional<protocol::AlertRecord> publishAlert(
        protocol::AlertRecord draft) = 0;
    [[nodiscard]] virtual bool updateAlert(
        const protocol::AlertRecord& alert) = 0;  // false: no such id
    [[nodiscard]] virtual bool removeAlerts(const std::vector<std::string>& ids) = 0;
    virtual std::vector<protocol::AlertRecord> listAlerts(std::int32_t count) = 0;  // newest first
    [[nodiscard]] virtual std::optional<protocol::NoticeRecord> publishNotice(
        protocol::NoticeRecord draft) = 0;
    [[nodiscard]] virtual bool updateNotice(const protocol::NoticeRecord& notice) = 0;
    [[nodiscard]] virtual bool removeNotices(const std::vector<std::string>& ids,
                                             std::string_view channel) = 0;
    [[nodiscard]] virtual bool kick(std::string_view account) = 0;

    // ---- the running server's view of operator commands
    virtual std::vector<OperatorEvent> eventsAfter(std::int64_t sequence) = 0;
    virtual std::int64_t lastEventSequence() = 0;
    // Records that a member logged in as `account` on this server, for the
    // other servers of the database to end that account's older session; the
    // event's sequence number, nullopt when it could not be written.
    virtual std::optional<std::int64_t> recordLogin(std::string_view account) = 0;
    // A signal on a connection of its own that wakes a waiting thread when
    // events are recorded; nullptr when the database has none (then the
    // server polls).
    virtual std::unique_ptr<EventSignal> eventSignal() { return nullptr; }
};

}  // namespace lanzhou::server
