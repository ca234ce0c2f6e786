#include "server/service/service_members.h"

namespace lanzhou::server {

void ServiceMembers::add(Id connection) {
    if (m_entries.contains(connection)) {
        return;
    }
    Entry entry;
    entry.allIndex = m_all.size();
    m_all.push_back(connection);
    m_entries.emplace(connection, std::move(entry));
}

void ServiceMembers::remove(Id connection) {
    const auto found = m_entries.find(connection);
    if (found == m_entries.end()) {
        return;
    }
    logout(connection);
    dropFrom(m_all, found->second.allIndex, true);
    m_entries.erase(found);
}

bool ServiceMembers::contains(Id connection) const {
    return m_entries.contains(connection);
}

std::optional<ServiceMembers::Id> ServiceMembers::login(Id connection, std::string_view account,
                                                        int userType, std::int64_t sequence) {
    add(connection);
    logout(connection);
    std::optional<Id> older;
    if (const auto previous = connectionOf(account)) {
        older = *previous;
        logout(*previous);
    }
    Entry& entry = m_entries.at(connection);
    entry.account = std::string(account);
    entry.loginSequence = sequence;
    m_accounts.emplace(entry.account, connection);
    // Only 1 is a paying member; anything else is grouped with the free ones.
    entry.userType = userType == 1 ? 1 : 0;
    entry.memberIndex = m_members[entry.userType].size();
    m_members[entry.userType].push_back(connection);
    return older;
}

void ServiceMembers::logout(Id connection) {
    const auto found = m_entries.find(connection);
    if (found == m_entries.end() || found->second.userType < 0) {
        return;
    }
    Entry& entry = found->second;
    m_accounts.erase(entry.account);
    leaveGroup(entry);
    entry.account.clear();
    entry.account.shrink_to_fit();
}

std::optional<ServiceMembers::Id> ServiceMembers::connectionOf(std::string_view account) const {
    const auto found = m_accounts.find(std::string(account));
    if (found == m_accounts.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<int> ServiceMembers::userTypeOf(Id connection) const {
    const auto found = m_entries.find(connection);
    if (found == m_entries.end() || found->second.userType < 0) {
        return std::nullopt;
    }
    return found->second.userType;
}

std::optional<std::int64_t> ServiceMembers::loginSequenceOf(Id connection) const {
    const auto found = m_entries.find(connection);
    if (found == m_entries.end() || found->second.userType < 0) {
        return std::nullopt;
    }
    return found->second.loginSequence;
}

std::span<const ServiceMembers::Id> ServiceMembers::members(int userType) const {
    if (userType < 0 || userType >= kUserTypes) {
        return {};
    }
    return m_members[userType];
}

void ServiceMembers::leaveGroup(Entry& entry) {
    dropFrom(m_members[entry.userType], entry.memberIndex, false);
    entry.userType = -1;
    entry.memberIndex = 0;
}

// Removes list[index] by moving the last element into its place and
// correcting that element's stored index.
void ServiceMembers::dropFrom(std::vector<Id>& list, std::size_t index, bool allList) {
    const Id moved = list.back();
    list[index] = moved;
    list.pop_back();
    if (index < list.size()) {
        Entry& entry = m_entries.at(moved);
        (allList ? entry.allIndex : entry.memberIndex) = index;
    }
}

}  // namespace lanzhou::server
