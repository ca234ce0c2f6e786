#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/storage.h"

namespace lanzhou::test {

// An in-memory Storage for the service's tests. Accounts, cards, alerts and
// notices behave as a database would; `next*` results, when set, replace the
// outcome of the next call of that kind, so every answer can be reached.
// Calls are counted and their arguments kept.
class FakeStorage final : public server::Storage {
public:
    using AccountRecord = server::AccountRecord;
    using AlertRecord = protocol::AlertRecord;
    using NoticeRecord = protocol::NoticeRecord;

    std::map<std::string, AccountRecord, std::less<>> accounts;
    std::map<std::string, server::CardRecord, std::less<>> cards;
    std::vector<AlertRecord> alerts;  // oldest first
    std::vector<NoticeRecord> notices;

    std::optional<server::RegisterResult> nextRegister;
    std::optional<server::RechargeResult> nextRecharge;
    std::optional<server::ChangeResult> nextChange;

    struct LastCall {
        std::vector<std::string> arguments;
        bool onePerComputer = false;
        protocol::DateTime now;
        std::int32_t audience = -1;
        std::int32_t count = -1;
    };
    LastCall last;
    int accountCalls = 0;  // requests that reached the account data
    int alertListCalls = 0;

    void putAccount(const AccountRecord& account) { accounts[account.name] = account; }

    // ---- members' requests
    std::optional<AccountRecord> findAccount(std::string_view name) override {
        ++accountCalls;
        const auto found = accounts.find(name);
        return found == accounts.end() ? std::nullopt : std::optional(found->second);
    }

    server::RegisterResult registerAccount(const AccountRecord& account,
                                           bool onePerComputer) override {
        ++accountCalls;
        last.arguments = {account.name,  account.password, account.qq,
                          account.phone, account.adapter,  std::to_string(account.userType)};
        last.onePerComputer = onePerComputer;
        if (const auto forced = take(nextRegister)) {
            return *forced;
        }
        if (accounts.contains(account.name)) {
            return server::RegisterResult::AccountExists;
        }
        if (onePerComputer && !account.adapter.empty() &&
            std::any_of(accounts.begin(), accounts.end(), [&](const auto& entry) {
                return entry.second.adapter == account.adapter;
            })) {
            return server::RegisterResult::MachineTaken;
        }
        AccountRecord stored = account;
        stored.userType = 0;
        stored.expiry = protocol::DateTime::null();
        accounts[stored.name] = stored;
        return server::RegisterResult::Registered;
    }

    server::RechargeResult recharge(std::string_view account, std::string_view password,
                                    std::string_view card, const protocol::DateTime& now) override {
        ++accountCalls;
        last.arguments = {std::string(account), std::string(password), std::string(card)};
        last.now = now;
        if (const auto forced = take(nextRecharge)) {
            return *forced;
        }
        const auto member = accounts.find(account);
        if (member == accounts.end()) {
            return server::RechargeResult::UnknownAccount;
        }
        if (member->second.password != password) {
            return server::RechargeResult::WrongPassword;
        }
        const auto found = cards.find(card);
        if (found == cards.end() || found->second.used) {
            return server::RechargeResult::BadCard;
        }
        if (found->second.validUntil < now) {
            return server::RechargeResult::CardExpired;
        }
        found->second.used = true;
        found->second.usedBy = std::string(account);
        found->second.usedAt = now;
        member->second.userType = 1;
        member->second.expiry = std::max(now, member->second.expiry)
                                    .plusSeconds(std::int64_t{86400} * found->second.days);
        return server::RechargeResult::Recharged;
    }

    server::ChangeResult changePassword(std::string_view account, std::string_view qq,
                                        std::string_view phone,
                                        std::string_view newPassword) override {
        ++accountCalls;
        last.arguments = {std::string(account), std::string(qq), std::string(phone),
                          std::string(newPassword)};
        if (const auto forced = take(nextChange)) {
            return *forced;
        }
        AccountRecord* member = matching(account, qq, phone);
        if (member == nullptr) {
            return server::ChangeResult::DataWrong;
        }
        member->password = std::string(newPassword);
        return server::ChangeResult::Changed;
    }

    std::optional<std::string> retrievePassword(std::string_view account, std::string_view qq,
                                                std::string_view phone) override {
        ++accountCalls;
        last.arguments = {std::string(account), std::string(qq), std::string(phone)};
        const AccountRecord* member = matching(account, qq, phone);
        return member == nullptr ? std::nullopt : std::optional(member->password);
    }

    std::vector<AlertRecord> latestAlerts(std::int32_t audience, std::int32_t count) override {
        ++alertListCalls;
        last.audience = audience;
        last.count = count;
        std::vector<AlertRecord> result;
        for (auto alert = alerts.rbegin();
             alert != alerts.rend() && static_cast<std::int32_t>(result.size()) < count; ++alert) {
            if (alert->audience == std::to_string(audience)) {
                result.insert(result.begin(), *alert);
            }
        }
        return result;
    }

    std::optional<AlertRecord> findAlert(std::string_view id) override {
        const auto found = std::find_if(alerts.begin(), alerts.end(),
                                        [&](const AlertRecord& alert) { return alert.id == id; });
        return found == alerts.end() ? std::nullopt : std::optional(*found);
    }

    std::optional<NoticeRecord> findNotice(std::string_view id) override {
        const auto found =
            std::find_if(notices.begin(), notices.end(),
                         [&](const NoticeRecord& notice) { return notice.id == id; });
        return found == notices.end() ? std::nullopt : std::optional(*found);
    }

    // ---- operator commands: the service does not use them
    bool addAccount(const AccountRecord& account) override {
        return accounts.emplace(account.name, account).second;
    }
    bool updateAccount(const AccountRecord& account) override {
        const auto found = accounts.find(account.name);
        if (found == accounts.end()) {
            return false;
        }
        found->second = account;
        return true;
    }
    std::vector<AccountRecord> listAccounts() override {
        std::vector<AccountRecord> list;
        for (const auto& entry : accounts) {
            list.push_back(entry.second);
        }
        return list;
    }
    bool addCard(const server::CardRecord& card) override {
        return cards.emplace(card.number, card).second;
    }
    std::vector<server::CardRecord> listCards() override {
        std::vector<server::CardRecord> list;
        for (const auto& entry : cards) {
            list.push_back(entry.second);
        }
        return list;
    }
    std::optional<AlertRecord> publishAlert(AlertRecord draft) override {
        draft.id = std::to_string(alerts.size() + 1);
        alerts.push_back(draft);
        return draft;
    }
    bool updateAlert(const AlertRecord&) override { return false; }
    bool removeAlerts(const std::vector<std::string>&) override { return false; }
    std::vector<AlertRecord> listAlerts(std::int32_t) override { return {}; }
    std::optional<NoticeRecord> publishNotice(NoticeRecord draft) override {
        draft.id = std::to_string(notices.size() + 1);
        notices.push_back(draft);
        return draft;
    }
    bool updateNotice(const NoticeRecord&) override { return false; }
    bool removeNotices(const std::vector<std::string>&, std::string_view) override { return false; }
    bool kick(std::string_view) override { return false; }
    std::vector<server::OperatorEvent> eventsAfter(std::int64_t) override { return {}; }
    std::int64_t lastEventSequence() override { return 0; }
    std::optional<std::int64_t> recordLogin(std::string_view) override { return ++loginsRecorded; }

    std::int64_t loginsRecorded = 0;

private:
    template <typename T>
    static std::optional<T> take(std::optional<T>& slot) {
        std::optional<T> value = slot;
        slot.reset();
        return value;
    }

    AccountRecord* matching(std::string_view account, std::string_view qq, std::string_view phone) {
        const auto found = accounts.find(account);
        if (found == accounts.end() || found->second.qq != qq || found->second.phone != phone) {
            return nullptr;
        }
        return &found->second;
    }
};

}  // namespace lanzhou::test
