#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lanzhou::server {

// The service's view of its connections: which are open, which are logged in
// as which account, and the logged-in ones grouped by effective user type
// (0 free, 1 paying), so that a fan-out is one walk over a ready list. Every
// change is O(1): lists drop an entry by moving their last one into its place.
class ServiceMembers final {
public:
    using Id = std::uint64_t;
    static constexpr int kUserTypes = 2;

    void add(Id connection);     // no effect when known
    void remove(Id connection);  // forgets its login too
    bool contains(Id connection) const;

    // Logs `connection` in as `account` (leaving any login it had). Returns
    // the other connection that was logged in as the account, which is now
    // logged out. `sequence` places the login among the database's events.
    [[nodiscard]] std::optional<Id> login(Id connection, std::string_view account, int userType,
                                          std::int64_t sequence = 0);
    void logout(Id connection);

    std::optional<Id> connectionOf(std::string_view account) const;
    // The effective user type a logged-in connection was grouped under.
    std::optional<int> userTypeOf(Id connection) const;
    // The sequence a logged-in connection's login was recorded under.
    std::optional<std::int64_t> loginSequenceOf(Id connection) const;

    std::span<const Id> connections() const { return m_all; }
    // Logged-in connections of one user type (0 or 1); empty for others.
    std::span<const Id> members(int userType) const;

    std::size_t connectionCount() const { return m_all.size(); }
    std::size_t memberCount() const { return m_accounts.size(); }

private:
    struct Entry {
        std::size_t allIndex = 0;
        int userType = -1;  // -1: not logged in
        std::size_t memberIndex = 0;
        std::int64_t loginSequence = 0;
        std::string account;
    };

    void leaveGroup(Entry& entry);
    void dropFrom(std::vector<Id>& list, std::size_t index, bool allList);

    std::unordered_map<Id, Entry> m_entries;
    std::unordered_map<std::string, Id> m_accounts;
    std::vector<Id> m_all;
    std::vector<Id> m_members[kUserTypes];
};

}  // namespace lanzhou::server
