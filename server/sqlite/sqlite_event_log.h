#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/sqlite/sqlite_statement_cache.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

// The events table: what operator commands changed, in sequence order, for
// the running server to pass on. Subjects (ids, or one account name) are kept
// joined by "|", which none of them may contain.
class SqliteEventLog final {
public:
    // At most this many events per read; the rest come with the next one.
    static constexpr std::size_t kBatch = 1000;
    // Older events are history nobody reads again; this many are kept.
    static constexpr std::int64_t kKept = 10000;

    explicit SqliteEventLog(StatementCache& statements) : m_statements(statements) {}

    // Call inside the transaction of the change it reports. Subjects are GBK.
    [[nodiscard]] bool record(OperatorEvent::Kind kind, const std::vector<std::string>& subjects,
                              std::string_view channel = {});

    std::vector<OperatorEvent> after(std::int64_t sequence);
    std::int64_t last();

private:
    StatementCache& m_statements;
};

}  // namespace lanzhou::server
